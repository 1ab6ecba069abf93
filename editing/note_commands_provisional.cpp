// The marquee's range, as far as the editor's callers need it before part
// extraction is built.
#include "editing/selection.h"

namespace ql {

// provisional: without the marquee there is no marquee point to turn into a range.
int MarqueeRangeAtPoint(ScoreView* /*view*/, int* /*staffOut*/, int* /*measureOut*/) {
    return 0;
}

}  // namespace ql
