// The factories that turn a placed chord symbol or tempo mark of a NIFF file
// into a score object: one per type, so the handlers only parse and place.
#pragma once

#include <string>

#include "interchange/niff/niff_chord_parser.h"
#include "interchange/niff/niff_values.h"

namespace ql::niff {

struct NiffImportState;
struct NiffMark;

struct NiffTempoRequest {
    std::string text;
    NiffNoteValue beat;
    int beatsPerMinute = 0;
    int glyph = 0;
};

void MakeNiffChordSymbol(NiffImportState& import, const NiffChord& chord, const NiffMark& mark);
void MakeNiffTempoMark(NiffImportState& import, const NiffTempoRequest& tempo, const NiffMark& mark);

}  // namespace ql::niff
