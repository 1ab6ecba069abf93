// Redrawing the notes of the view's current measure on every staff (note drawing):
// after a measure was respaced, its old image is drawn away in the erase colours and
// its new one drawn.
#pragma once

namespace ql {

struct ScoreView;

// Draws the current measure on every visible staff: notes, rests and their items.
void RedrawMeasureOnAllStaves(ScoreView* view);
// Draws the notes and items of the shown voices of the current measure on every
// visible staff.
void RedrawMeasureNotesOnAllStaves(ScoreView* view);

}  // namespace ql
