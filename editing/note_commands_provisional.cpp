// The note commands on the marquee and the focused note, and the marquee's range,
// as far as the editor's callers need them before the marquee is built.
#include "editing/selection.h"

namespace ql {

// provisional: the marquee and its note commands come with a later change; until
// then no command changes a note, so the change counter never moves.
int ApplyNoteCommand(ScoreView* /*view*/, int /*command*/, int /*value*/) {
    return 0;
}

// provisional: without the marquee there is no marquee point to turn into a range.
int MarqueeRangeAtPoint(ScoreView* /*view*/, int* /*staffOut*/, int* /*measureOut*/) {
    return 0;
}

}  // namespace ql
