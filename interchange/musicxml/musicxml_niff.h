// Writing the MusicXML model as a NIFF file: the setup section (parts, string
// table, chunk length table), then pages of systems of staves, each staff with its
// measures' time slices, clefs, keys, times, chords (grace notes with their place
// before or after their note), rests, beams, ties, articulations, ornaments,
// arpeggio signs, lyrics, dynamics and words. A value longer than one note shows
// (a whole with three dots) is written as tied notes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "interchange/import_report.h"
#include "interchange/musicxml/musicxml_model.h"

namespace ql::musicxml {

// The NIFF bytes of `score`; what cannot be written is counted in `skipped`.
// Empty with a one-line `error` when the score cannot be converted at all.
std::vector<uint8_t> WriteScoreAsNiff(const MxlScore& score, ImportReport& skipped, std::string& error);

}  // namespace ql::musicxml
