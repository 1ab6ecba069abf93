// The notes handler's operations on items already in the score that the rest code
// calls: nudging the spacing at an item and following the view's location.
#pragma once

namespace ql {

struct ScoreView;
struct ScoreObject;

// Moves the item at `tick` of the current measure in time within its voice by
// changing the spacing before it: direction -1 narrows, +1 widens; `larger` selects
// the larger move.
void NudgeEventSpacing(ScoreView* view, int tick, int direction, bool larger);

// Asks the program's notes handler to follow the view's current staff and measure;
// the object linked after the handler when it did, else null.
ScoreObject* FollowNotesHandlerLocation(ScoreView* view);

}  // namespace ql
