// Redrawing the notes of the view's current measure on every staff (note drawing):
// after a measure was respaced, its old image is drawn away in the erase colours and
// its new one drawn.
#pragma once

namespace ql {

struct ScoreView;

// Draws the current measure on every visible staff: notes, rests and their items,
// then the staff's measure here and in the linked views (RedrawMeasureLinked).
void RedrawMeasureOnAllStaves(ScoreView* view);
// Draws the staff's measure here and in the linked views, then the notes and items
// of the shown voices of the current measure, on every visible staff.
void RedrawMeasureNotesOnAllStaves(ScoreView* view);

}  // namespace ql
