// Zoom of a score view: SetZoom with the lowest level the staff sizes allow, stepping,
// the previous level, the quick-zoom slots and the zoom readout.
#include "display/zoom.h"
#include "display/painter.h"

#include <algorithm>
#include <cstdio>

#include "core/draw/draw_surface.h"
#include "core/draw/staff_scaling.h"
#include "core/draw/view_metrics.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "core/units/view_moves.h"
#include "display/painter_internal.h"
#include "display/view_location.h"
#include "display/view_modes.h"
#include "notes/beatmap/beat_map.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/win/keys.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql {

namespace {

// A staff of p percent needs at least kSizeZoomProduct / p.
constexpr int32_t kSizeZoomProduct = 200;
// Step rules (see zoom.h).
constexpr int32_t kSmallStepBelow = 8;
constexpr int32_t kTwoStepUpTo = 12;
constexpr int32_t kEvenFrom = 7;
constexpr int32_t kNoStepOutBelow = 3;
// Readout: levels 1..6 below zoom 8, then one level per two zoom steps.
constexpr int32_t kReadoutLevelAt8 = 6;
constexpr int32_t kDpiRounding = 5;
constexpr int kMaxPagesWalked = 4096;
constexpr char kZoomStatusFormat[] = "Zoom level %d (%ld DPI)";

// Fills the client area with the background at once.
void EraseClientNow(ScoreView* view) {
    if (!view->ViewWindow) return;
    HideMarqueeForPaint(view);  // the paint that follows draws it again
    platform::DcHandle dc = win::GetWindowContext(view->ViewWindow);
    if (!dc) return;
    const win::Rect client = win::GetClientRect(view->ViewWindow);
    gfx::FillRect(dc, gfx::Rect{client.left, client.top, client.right, client.bottom},
                  gfx::GetStockBrush(gfx::StockBrush::White));
    win::ReleaseWindowContext(view->ViewWindow, dc);
}

void RequestSelectionRefresh() {
    if (painter::IsSequencerPlaying()) return;
    SelectionState* selection = TheSelectionState();
    if (selection != nullptr) selection->rebuildRequested = 1;
}

int32_t MinZoomOfSystem(const ScoreView* view, const ScoreSystem* system) {
    int32_t lowest = kMinZoom;
    const int8_t* flags = StaffFlagsOf(system);
    const int count = view->document->header.staffCount;
    for (int staff = 1; staff <= count && flags != nullptr; ++staff) {
        const StaffRecord* record =
            flags[staff] >= 0 ? StaffRecordOf(view->document, staff) : nullptr;
        const int percent = record != nullptr ? StaffSizePercent(*record) : 0;
        if (percent != 0) lowest = std::max(lowest, kSizeZoomProduct / percent);
    }
    return lowest;
}

// A page view's origin no further right or down than shows the page's far edge at
// the window's far edge (the page's corner where the window is larger than the
// page): a quick zoom to a level lower than the last one keeps the page on screen.
void KeepPageOnScreen(ScoreView* view) {
    if (!view->pageView) return;
    const gfx::Rect& visible = view->visibleRect;
    const int32_t x = std::min(ScrollX(view), std::max(kLogicalOrigin, view->PageRight - visible.Width()));
    const int32_t y = std::min(ScrollY(view), std::max(kLogicalOrigin, view->PageBottom - visible.Height()));
    if (x == ScrollX(view) && y == ScrollY(view)) return;
    ScrollX(view) = x;
    ScrollY(view) = y;
    RefreshViewMetrics(view);
    SetViewScrollRanges(view);
}

}  // namespace

int32_t LowestZoomOfPages(const ScoreView* view) {
    int32_t lowest = kMinZoom;
    if (view == nullptr || view->document == nullptr) return lowest;
    int pages = 0;
    for (const ScorePage* page = view->currentPage; page != nullptr && pages < kMaxPagesWalked;
         page = page->next.get(), ++pages) {
        const ScoreSystem* system = page->firstSystem.get();
        for (int n = 0; system != nullptr && n < page->systemCount;
             ++n, system = system->next.get())
            lowest = std::max(lowest, MinZoomOfSystem(view, system));
    }
    return lowest;
}

void SetZoom(ScoreView* view, int level) {
    if (!IsValidView(view)) return;
    view->previousZoom = std::clamp(view->zoom, kMinZoom, kMaxZoom);
    const int32_t zoom = std::clamp<int32_t>(level, kMinZoom, kMaxZoom);
    view->zoom = std::max(zoom, LowestZoomOfPages(view));
    EndViewDrawAll(view);
    EraseClientNow(view);
    InitViewMetrics(view);
    if (view->pageView == 0) BuildStaffBeatMap(view, 1);
    if (view->ViewWindow) win::InvalidateRect(view->ViewWindow, nullptr, true);
    RequestSelectionRefresh();
    ShowZoomStatus(view);
}

int32_t SteppedZoom(int32_t zoom, int direction, bool alt, bool ctrl) {
    if (zoom < kNoStepOutBelow && direction < 0) return zoom;
    int32_t step = zoom < kSmallStepBelow ? 1 : zoom <= kTwoStepUpTo ? 2 : (alt ? 2 : zoom / 2);
    if (!alt && ctrl) step /= 2;
    step = std::max(1, step);
    int32_t next = direction < 0 ? zoom - step : zoom + step;
    next = std::clamp(next, kMinZoom, kMaxZoom);
    if (next >= kEvenFrom && next % 2 != 0) next += direction < 0 ? -1 : 1;
    return std::clamp(next, kMinZoom, kMaxZoom);
}

void StepZoom(ScoreView* view, int direction) {
    if (!IsValidView(view)) return;
    PainterState& painter = State().display.painter;
    painter.zoomAnchorX = view->pageView ? view->pointerPoint.x : kLogicalOrigin;
    painter.zoomAnchorY = view->pageView ? view->pointerPoint.y : kLogicalOrigin;
    const int32_t zoom =
        SteppedZoom(view->zoom, direction, win::IsKeyDown(win::Key::Alt), CtrlHeld());
    if (zoom == view->zoom && direction < 0 && view->zoom < kNoStepOutBelow) return;
    EndViewDrawAll(view);
    SetZoom(view, zoom);
    if (view->pageView) MovePointerToLogical(view, painter.zoomAnchorX, painter.zoomAnchorY);
}

void ZoomAtPointer(ScoreView* view, int32_t zoom) {
    if (!IsValidView(view)) return;
    PainterState& painter = State().display.painter;
    painter.zoomAnchorX = view->pageView ? view->pointerPoint.x : 0;
    painter.zoomAnchorY = view->pageView ? view->pointerPoint.y : 0;
    SetZoom(view, zoom);
    if (view->pageView) MovePointerToLogical(view, painter.zoomAnchorX, painter.zoomAnchorY);
}

void PreviousZoomLevel(ScoreView* view) {
    if (!IsValidView(view)) return;
    int32_t* saved = State().display.painter.savedOrigin;
    std::swap(ScrollX(view), saved[0]);
    std::swap(ScrollY(view), saved[1]);
    EndViewDrawAll(view);
    SetZoom(view, view->previousZoom);
}

void ApplyQuickZoom(ScoreView* view, int slot) {
    const int index = slot < kQuickOriginSlotBase ? slot : slot - kQuickOriginSlotBase;
    if (!IsValidView(view) || index < 0 || index >= kQuickZoomSlots) return;
    QuickZoomSlot& entry = State().display.painter.quickZoom[index];
    if (entry.originX == 0 && entry.originY == 0) entry.originX = entry.originY = kLogicalOrigin;
    if (slot >= kQuickOriginSlotBase) {
        ScrollX(view) = entry.originX;
        ScrollY(view) = entry.originY;
        SetZoom(view, entry.zoom);
        ScrollX(view) = entry.originX;
        ScrollY(view) = entry.originY;
    }
    SetZoom(view, entry.zoom);
    if (slot < kQuickOriginSlotBase) KeepPageOnScreen(view);
}

void SetQuickZoom(ScoreView* view, int slot) {
    if (!IsValidView(view) || slot < 0 || slot >= kQuickZoomSlots) return;
    QuickZoomSlot& entry = State().display.painter.quickZoom[slot];
    entry.originX = ScrollX(view);
    entry.originY = ScrollY(view);
    entry.zoom = static_cast<uint8_t>(std::clamp(view->zoom, kMinZoom, kMaxZoom));
}

std::string ZoomStatusText(const ScoreView* view) {
    const int32_t zoom = view->zoom;
    const long t = static_cast<long>(zoom * view->UnitsPerInch / kMappingUnits);
    const long dpi = kDpiRounding * ((kDpiRounding - 1 + t) / kDpiRounding);
    const int level =
        zoom < kSmallStepBelow ? zoom - 1 : (zoom - kSmallStepBelow) / 2 + kReadoutLevelAt8;
    char text[64];
    std::snprintf(text, sizeof text, kZoomStatusFormat, level, dpi);
    return text;
}

void ShowZoomStatus(ScoreView* view) {
    if (!IsValidView(view)) return;
    SetStatusText(1, ZoomStatusText(view).c_str());
}

}  // namespace ql
