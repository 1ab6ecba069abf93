// The block range of the marquee, as far as the block clipboard needs it until the
// range walk over the systems' measure edges is built.
#include <algorithm>

#include "core/model/score_document.h"
#include "core/ui/status_bar.h"
#include "display/view_location.h"
#include "editing/block_clipboard.h"
#include "editing/block_range.h"
#include "editing/marquee.h"
#include "editing/selection.h"

namespace ql {

// provisional: the staves come from MarqueeRangeAtPoint and the measures from the
// places of the rectangle's left and right edges at its middle height, so a
// marquee that spans systems gives only the measures of its middle row; the walk
// over the systems' staves and measure edges replaces this body.
int MarqueeToBlockRange(ScoreView* view, BlockRange* range, const gfx::Rect* rect) {
    if (view == nullptr || view->document == nullptr || range == nullptr) return 0;
    if (rect == nullptr && CurrentMarquee() == nullptr) {
        ShowNotice(kBlockNoSelection);
        return 0;
    }
    int firstStaff = 0;
    int lastStaff = 0;
    if (MarqueeRangeAtPoint(view, &firstStaff, &lastStaff) == 0) return 0;
    const gfx::Rect r = gfx::Normalised(rect != nullptr ? *rect : CurrentMarqueeRect());
    const int32_t middle = (r.top + r.bottom) / 2;
    const int saveStaff = view->currentStaff;
    const int saveMeasure = view->currentMeasure;
    const int first = LocatePoint(view, LogicalPoint{r.left, middle}).measure;
    const int last = LocatePoint(view, LogicalPoint{r.right, middle}).measure;
    SetCurrentMeasureQuick(view, saveStaff, saveMeasure);
    const int count = view->document->header.measureCount;
    if (first < 1 || first > count || last < first) return 0;
    range->firstStaff = static_cast<uint8_t>(firstStaff);
    range->lastStaff = static_cast<uint8_t>(lastStaff);
    range->firstMeasure = static_cast<uint16_t>(first);
    range->lastMeasure = static_cast<uint16_t>(std::min(last, count));
    return 1;
}

}  // namespace ql
