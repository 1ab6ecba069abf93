// The marks of a NIFF import that go into the new document as objects: each
// part's name as the label of its first staff, and the texts anchored on pages.
// What cannot be placed yet is counted in the import report.
#pragma once

namespace ql::niff {

struct NiffImportState;

// Needs the view's pages laid out; leaves page 1 current.
void PlaceNiffMarks(NiffImportState& import);

inline constexpr char kNiffMeasureMarksKind[] = "texts anchored in measures";

}  // namespace ql::niff
