// The marks of a NIFF import that go into the new document as objects: each
// part's name as the label of its first staff, and the texts, chord symbols,
// tempo marks, dynamics and pedal marks anchored on pages, in measures or in time.
#pragma once

namespace ql::niff {

struct NiffImportState;

// Needs the view's pages laid out; leaves page 1 current.
void PlaceNiffMarks(NiffImportState& import);

}  // namespace ql::niff
