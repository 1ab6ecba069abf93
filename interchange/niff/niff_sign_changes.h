// Clef and key changes inside a measure of a NIFF import made as the cell objects
// the score keeps them as: a clef change (type 14) or a key signature (type 15) in
// the staff's measure at the tick the file gives, after the notes are placed.
#pragma once

namespace ql::niff {

struct NiffImportState;
struct NiffSignChange;

inline constexpr char kNiffUnmadeSignChanges[] = "clef and key changes that could not be made";

void MakeNiffSignChange(NiffImportState& import, const NiffSignChange& change);
// Every change the handlers left, in file order.
void MakeNiffSignChanges(NiffImportState& import);

}  // namespace ql::niff
