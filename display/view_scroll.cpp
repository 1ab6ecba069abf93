// Scroll ranges and scrolling to a staff (module QLVIEW): the page's extent and the
// scroll bars of a view and of its linked views, and the vertical origin moved so
// that a staff's band is in view.
#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/draw/view_metrics.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/units/paper_size.h"
#include "core/units/view_moves.h"
#include "display/linked_views.h"
#include "display/view_modes.h"

namespace ql {

void ComputeViewScrollRanges(ScoreView* view) {
    if (!IsValidView(view)) return;
    PaperSizeOf(view);
    SetViewScrollRanges(view);
    InvalidateLinkedViews(view);
}

void SetViewScrollBars(ScoreView* view) {
    if (!IsValidView(view)) return;
    SetViewScrollRanges(view);
    for (ScoreView* linked = NextLinkedView(view, nullptr); linked != nullptr;
         linked = NextLinkedView(view, linked))
        SetViewScrollRanges(linked);
}

void ScrollViewToStaff(ScoreView* view, int staff) {
    if (!IsValidView(view) || view->document == nullptr || view->currentSystem == nullptr) return;
    if (staff < 1 || staff > view->document->header.staffCount) return;
    const uint16_t* offsets = StaffOffsetsOf(view->currentSystem);
    if (offsets == nullptr) return;
    const int32_t y = view->currentSystem->y + offsets[staff];
    const int32_t top = y - StaffBandHeight(StaffRecordOf(view->document, staff));
    const gfx::Rect& visible = view->visibleRect;
    if (top >= visible.top && y <= visible.bottom) return;
    const int32_t origin = OriginShowingSpan(
        ScrollY(view), visible.top, visible.bottom - visible.top, top, y, view->zoomFactor);
    if (origin == ScrollY(view)) return;
    ScrollY(view) = origin;
    RefreshViewMetrics(view);
    SetViewScrollRanges(view);
    RepaintScoreView(view, true);
}

}  // namespace ql
