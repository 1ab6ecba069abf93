// The marks of a NIFF import that go into the new document as objects: each
// part's name as the label of its first staff, and the texts, chord symbols,
// tempo marks, dynamics and pedal marks anchored on pages, in measures or in time.
#pragma once

namespace ql {
struct ScoreObject;
struct ScorePage;
}  // namespace ql

namespace ql::niff {

struct NiffImportState;

// Links an object the file anchors to the page into the page's item list, giving
// the page its margin object (the list's head) when it has none. False when the
// page or its margin object is missing; the caller then keeps the object.
bool AddToPageItems(ScorePage* page, ScoreObject* object);

// Needs the view's pages laid out; leaves page 1 current.
void PlaceNiffMarks(NiffImportState& import);

}  // namespace ql::niff
