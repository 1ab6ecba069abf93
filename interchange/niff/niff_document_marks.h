// The marks of a NIFF import that go into the new document as objects: each
// part's name as the label of its first staff, the texts anchored on pages and
// those anchored in measures.
#pragma once

namespace ql::niff {

struct NiffImportState;

// Needs the view's pages laid out; leaves page 1 current. Texts anchored in time
// stand at the start of their measure until time slices are read.
void PlaceNiffMarks(NiffImportState& import);

}  // namespace ql::niff
