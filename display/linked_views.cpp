// Redrawing a view and its linked views. Score views do not paint yet.
#include "display/linked_views.h"

namespace ql {

void RepaintScoreView(ScoreView* /*view*/, bool /*erase*/) {
    // provisional: score views have no painter yet; nothing to repaint.
}

void RedrawCurrentMeasure(ScoreView* /*view*/) {
    // provisional: score views have no painter yet; nothing to redraw.
}

void InvalidateLinkedViews(ScoreView* /*view*/) {
    // provisional: score views have no windows yet; nothing to invalidate.
}

void UpdateLinkedViews(ScoreView* /*view*/) {
    // provisional: score views have no windows yet; nothing to update.
}

}  // namespace ql
