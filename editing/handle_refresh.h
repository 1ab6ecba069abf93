// The focused object's handles built again after a key has changed its shape or
// style (a flip, a step, a reset): the chain's first record, which the selection's
// lists and focus hold, stays; the records behind it take the fresh places, or
// make way for the fresh records when the object now has other handles.
#pragma once

namespace ql {

struct ScoreView;

// Rebuilds the focused object's handle chain in place when its handles have moved
// or changed. With `redraw` the feedback is taken off before and put back after
// (only when something changed). Nothing for notes, rests, staves, barlines, ties
// and marquees, whose handles the editor keeps itself, nor without a focus.
void RefreshFocusedHandles(ScoreView* view, bool redraw);

}  // namespace ql
