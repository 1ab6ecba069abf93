// The notes handler's spacing nudge and location following, as far as the rest code
// and the note keys need them.
#include "notes/handler/notes_handler.h"

namespace ql {

void NudgeEventSpacing(ScoreView* /*view*/, int /*tick*/, int /*direction*/, bool /*larger*/) {
    // provisional: the spacing nudge (column entries of the measure's spacing list)
    // comes with the spacing operations of the notes handler; the item stays put.
}

ScoreObject* FollowNotesHandlerLocation(ScoreView* /*view*/) {
    // provisional: the per-chord handle objects that follow the location are made by
    // the selection engine's handle rebuild, which is not built; nothing follows.
    return nullptr;
}

}  // namespace ql
