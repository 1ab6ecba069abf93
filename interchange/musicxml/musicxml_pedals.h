// Pedal marks of a MusicXML score. A pedal direction's sign ("Ped." and its
// release star) becomes the score's pedal marks, which also press and release the
// sustain pedal when the score plays; its line becomes a pedal bracket from the
// press to the release, which the score shows and does not play. A change
// (the pedal released and pressed again at once) ends one bracket and starts the
// next. A pedal the file only continues says nothing new; a pedal it resumes or
// discontinues (a line broken off) is counted.
#pragma once

#include <optional>

#include "interchange/import_report.h"
#include "interchange/musicxml/musicxml_model.h"

namespace ql::musicxml {

inline constexpr int kPedalDown = 1;
inline constexpr int kPedalUp = 2;
inline constexpr int kPedalChange = 3;
inline constexpr int kPedalSign = 1;  // MxlItem::symbol bits
inline constexpr int kPedalLine = 2;

// The pedal item of a <pedal> element with these attributes (null when absent),
// or none for one that says nothing the score keeps.
std::optional<MxlItem> PedalItem(const char* type, const char* line, const char* sign, ImportReport& skipped);

}  // namespace ql::musicxml
