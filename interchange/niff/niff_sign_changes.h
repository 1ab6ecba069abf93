// Clef and key changes inside a measure of a NIFF import made as the cell objects
// the score keeps them as: a clef change (type 14) or a key signature (type 15) in
// the staff's measure at the tick the file gives, after the notes are placed.
#pragma once

#include <cstdint>

namespace ql::niff {

struct NiffImportState;
struct NiffSignChange;

inline constexpr char kNiffUnmadeSignChanges[] = "clef and key changes that could not be made";

// `x`: the anchor's offset from the tick's x.
void MakeNiffSignChange(NiffImportState& import, const NiffSignChange& change, int32_t x = 0);
// Every change the handlers left, in file order; a key changed at the time of a clef
// change of its staff stands right of the clef.
void MakeNiffSignChanges(NiffImportState& import);

}  // namespace ql::niff
