// The notes handler's operations, as far as the rest code needs them.
#include "notes/handler/notes_handler.h"

namespace ql {

void NudgeEventSpacing(ScoreView* /*view*/, int /*tick*/, int /*direction*/, bool /*larger*/) {
    // provisional: the notes handler's spacing nudge (column entries of the measure's
    // spacing list) is not built; the item stays where it is.
}

ScoreObject* FollowNotesHandlerLocation(ScoreView* /*view*/) {
    // provisional: the program's notes handler and its per-chord handle objects are
    // not built; there is nothing to follow the location with.
    return nullptr;
}

}  // namespace ql
