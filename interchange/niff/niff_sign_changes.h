// Clef and key changes inside a measure of a NIFF import made as the cell objects
// the score keeps them as: a clef change (type 14) or a key signature (type 15) in
// the staff's measure at the tick the file gives, after the notes are placed.
#pragma once

#include <cstdint>

namespace ql {
struct ScoreObject;
}

namespace ql::niff {

struct NiffImportState;
struct NiffSignChange;

inline constexpr char kNiffUnmadeSignChanges[] = "clef and key changes that could not be made";

// One change; a key signature at the tick of a clef change `clefWidth` wide (0: none)
// stands right of it. The object made, or null.
ScoreObject* MakeNiffSignChange(NiffImportState& import, const NiffSignChange& change, int32_t clefWidth = 0);
// Every change the handlers left, the clefs first.
void MakeNiffSignChanges(NiffImportState& import);

}  // namespace ql::niff
