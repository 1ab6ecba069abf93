// The focused object's handles built again from what it stores: after a key has
// changed its shape or style (a flip, a step, a reset) the chain's first record,
// which the selection's lists and focus hold, stays and the records behind it take
// the fresh places, or make way for the fresh records when the object now has other
// handles; before a commit, the area the stored object covers is repainted.
#pragma once

#include "core/ui/selection_services.h"

namespace ql {

struct HitRecord;
struct ScoreObject;
struct ScoreView;

// Rebuilds the focused object's handle chain in place when its handles have moved
// or changed. With `redraw` the feedback is taken off before and put back after
// (only when something changed). Nothing for notes, rests, staves, barlines, ties
// and marquees, whose handles the editor keeps itself, nor without a focus.
void RefreshFocusedHandles(ScoreView* view, bool redraw);

// MoveFocusedHandlesToStoredPlaces, for an object that keeps its own handles, is
// in core/ui/selection_services.h.

// Invalidates the window area under the object's handles as its stored form gives
// them, built where `head` was made: where it is drawn until a commit replaces it
// (a drag moves only the held handles). Nothing for the kinds above. The area a
// keyed change left (below) is invalidated with it.
void InvalidateStoredObjectArea(ScoreView* view, ScoreObject* object, const HitRecord* head);

// Keeps the area under the focused object's stored form before a key changes it (a
// flip, a step, a reset), for the commit to repaint: its drawing stays on the
// window, under the focus feedback, until then.
void KeepFocusedAreaForCommit(ScoreView* view);

}  // namespace ql
