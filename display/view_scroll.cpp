// Scroll ranges and scrolling (module QLVIEW): the page's extent and the scroll bars
// of a view and of its linked views, the vertical origin moved so that a staff's
// band is in view, page-view steps, the scroll view's measure steps, the scroll
// bars' messages and auto-scrolling at the window's edge. The window is repainted
// whole after a step rather than blitted.
#include "display/view_scroll.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/core_strings.h"
#include "core/draw/draw_surface.h"
#include "core/draw/view_metrics.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/shell_services.h"
#include "core/ui/status_bar.h"
#include "core/units/paper_size.h"
#include "core/units/view_moves.h"
#include "display/linked_views.h"
#include "display/view_modes.h"
#include "layout/measure_spacing.h"
#include "layout/page/page_dialog_resources.h"
#include "notes/entry/note_cursor.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/timers.h"
#include "platform/win/window.h"

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

namespace {

constexpr int32_t kLineStep = 512;
constexpr int32_t kFineLineStep = 256;
constexpr int kPageRequest = 4;  // the scroll bars' page codes: half the extent
constexpr int32_t kStepGrain = 64;
constexpr int32_t kBottomRoom = 512;
constexpr int32_t kThumbNear = 1536;
constexpr int kMostThumbSteps = 8;
constexpr int kPercent = 100;
constexpr int kStripEndMeasures = 4;
constexpr int kRightRoomMeasures = 8;
constexpr int kStatusChars = 64;

enum class Axis { X, Y };

double StepScale(const ScoreView* view) {
    return ViewScale(view) > 0.0 ? ViewScale(view) : 1.0;
}

// A logical distance in whole multiples of 64 units at the view's scale.
int32_t RoundToGrain(const ScoreView* view, int32_t value) {
    const double scale = StepScale(view);
    const auto units = static_cast<int64_t>(value / scale);
    const int64_t rounded = units >= 0 ? (units + kStepGrain / 2) & ~int64_t{kStepGrain - 1}
                                       : -((-units + kStepGrain / 2) & ~int64_t{kStepGrain - 1});
    return static_cast<int32_t>(static_cast<double>(rounded) * scale);
}

bool IsCtrlHeld() {
    return win::IsKeyDown(win::Key::Control) || State().input.StickyCtrlFlag != 0;
}

// The farthest the origin may go down or right on an axis.
int32_t FarthestOrigin(const ScoreView* view, Axis axis) {
    if (axis == Axis::X) return view->PageRight - kBottomRoom;
    if (view->pageView != 0 || view->document == nullptr || view->currentSystem == nullptr)
        return view->PageBottom - kBottomRoom;
    const uint16_t* offsets = StaffOffsetsOf(view->currentSystem);
    const int staves = view->document->header.staffCount;
    return view->currentSystem->y + (offsets != nullptr ? offsets[staves] : 0);
}

// Moves the origin of an axis to `target` (kept on the page, on the grain, not
// past `ceiling`) and
// brings the view, its ruler and its scroll bar up to date. True when it moved.
bool MoveOrigin(ScoreView* view, Axis axis, int32_t target, int32_t ceiling = INT32_MAX) {
    int32_t& origin = axis == Axis::X ? ScrollX(view) : ScrollY(view);
    target = RoundToGrain(view, std::max<int32_t>(target, kLogicalOrigin));
    // Rounding never carries the origin past the farthest it may go.
    if (target > ceiling) target -= static_cast<int32_t>(kStepGrain * StepScale(view));
    target = std::max<int32_t>(target, kLogicalOrigin);
    if (target == origin) return false;
    origin = target;
    RefreshViewMetrics(view);
    win::InvalidateRect(view->ViewWindow, nullptr, true);
    RefreshRulers(view, axis == Axis::X ? kTopRuler : kLeftRuler);
    win::UpdateWindow(view->ViewWindow);
    win::SetScrollPosition(view->ViewWindow, axis == Axis::X ? win::ScrollBar::Horizontal : win::ScrollBar::Vertical,
                           origin, true);
    return true;
}

bool ScrollAxis(ScoreView* view, Axis axis, int steps) {
    if (!IsValidView(view)) return false;
    const int32_t origin = axis == Axis::X ? ScrollX(view) : ScrollY(view);
    const int32_t visible = axis == Axis::X ? view->visibleRect.Width() : view->visibleRect.Height();
    const int32_t distance = ScrollDistance(view, steps, visible);
    if (steps == 0) return MoveOrigin(view, axis, origin);
    if (steps < 0) return origin > kLogicalOrigin && MoveOrigin(view, axis, std::max<int32_t>(origin - distance, kLogicalOrigin));
    const int32_t farthest = std::max(origin, FarthestOrigin(view, axis));
    // Already at (or past) the farthest: a step down does not move the view back.
    if (origin >= farthest) return false;
    return MoveOrigin(view, axis, std::min(origin + distance, farthest), farthest);
}

void ShowThumbPercent(int32_t position, int32_t extent) {
    const int32_t span = std::max(1, extent - kLogicalOrigin);
    const int percent = std::max<int>(1, static_cast<int>(int64_t{position - kLogicalOrigin} * kPercent / span));
    char text[kStatusChars];
    std::snprintf(text, sizeof text, "%s: %d%%", ProgramString(kStrPagePosition).c_str(), percent);
    SetStatusText(0, text);
}

// Single steps toward a thumb that is near the origin.
void StepTowardThumb(ScoreView* view, Axis axis, int32_t position) {
    for (int i = 0; i < kMostThumbSteps; ++i) {
        const int32_t origin = axis == Axis::X ? ScrollX(view) : ScrollY(view);
        const int32_t away = position - origin;
        if (away == 0 || std::abs(away) >= kThumbNear) return;
        if (!ScrollAxis(view, axis, away < 0 ? -1 : 1)) return;
    }
}

// The codes both scroll bars share in page view.
void PageViewScroll(ScoreView* view, Axis axis, win::ScrollCode code, int32_t position) {
    const int32_t extent = axis == Axis::X ? view->PageRight : view->PageBottom;
    switch (code) {
        case win::ScrollCode::LineUp: ScrollAxis(view, axis, -1); break;
        case win::ScrollCode::LineDown: ScrollAxis(view, axis, 1); break;
        case win::ScrollCode::PageUp: ScrollAxis(view, axis, -kPageRequest); break;
        case win::ScrollCode::PageDown: ScrollAxis(view, axis, kPageRequest); break;
        case win::ScrollCode::ThumbPosition:
            MoveOrigin(view, axis, std::min(position, extent - kBottomRoom), extent - kBottomRoom);
            break;
        case win::ScrollCode::ThumbTrack:
            ShowThumbPercent(position, extent);
            StepTowardThumb(view, axis, position);
            break;
        case win::ScrollCode::Top: MoveOrigin(view, axis, kLogicalOrigin); break;
        case win::ScrollCode::Bottom: {
            const int32_t farthest = FarthestOrigin(view, axis);
            MoveOrigin(view, axis, farthest, farthest);
            break;
        }
        default: break;
    }
}

}  // namespace

int32_t ScrollDistance(const ScoreView* view, int steps, int32_t visible) {
    if (steps == 0) return 0;
    const int count = std::abs(steps);
    int32_t step = IsCtrlHeld() ? kFineLineStep : kLineStep;
    if (count > 1) step = visible - (count == kPageRequest ? visible / 2 : visible / 4);
    step = std::max<int32_t>(RoundToGrain(view, step), 0);
    return count == kPageRequest ? step : step * count;
}

bool ScrollVertically(ScoreView* view, int steps) {
    return ScrollAxis(view, Axis::Y, steps);
}

bool ScrollHorizontally(ScoreView* view, int steps) {
    return ScrollAxis(view, Axis::X, steps);
}

void ScrollByMeasures(ScoreView* view, int steps) {
    if (!IsValidView(view) || view->document == nullptr || view->galleySystem == nullptr) return;
    const int first = view->galleySystem->firstMeasure;
    const int last = view->galleySystem->lastMeasure;
    int start = first + steps;
    if (steps >= 2) start = last;
    if (steps < -1) start = first - (last - first);
    start = std::clamp(start, 1, std::max<int>(1, view->document->header.measureCount));
    SetScrollViewStart(view, start);
}

void ScrollViewStep(ScoreView* view, int steps) {
    if (!IsValidView(view)) return;
    if (IsPageLayout(view))
        ScrollHorizontally(view, steps);
    else
        ScrollByMeasures(view, steps);
}

void HandleVerticalScroll(ScoreView* view, uint16_t code, int32_t position) {
    if (!IsValidView(view)) return;
    if (view->pageView == 0 && view->galleyPage != nullptr) {
        view->currentPage = view->galleyPage;
        view->currentSystem = view->galleySystem;
    }
    PageViewScroll(view, Axis::Y, static_cast<win::ScrollCode>(code), position);
}

void HandleHorizontalScroll(ScoreView* view, uint16_t code, int32_t position) {
    if (!IsValidView(view)) return;
    const auto scrollCode = static_cast<win::ScrollCode>(code);
    if (IsPageLayout(view) || view->document == nullptr) return PageViewScroll(view, Axis::X, scrollCode, position);
    switch (scrollCode) {
        case win::ScrollCode::LineUp: ScrollByMeasures(view, -1); break;
        case win::ScrollCode::LineDown: ScrollByMeasures(view, 1); break;
        case win::ScrollCode::PageUp: ScrollByMeasures(view, -kPageRequest); break;
        case win::ScrollCode::PageDown: ScrollByMeasures(view, kPageRequest); break;
        case win::ScrollCode::ThumbTrack: {
            char text[kStatusChars];
            std::snprintf(text, sizeof text, "%s: %d", ProgramString(kStrScrollToMeasure).c_str(), position);
            SetStatusText(0, text);
            break;
        }
        case win::ScrollCode::ThumbPosition: SetScrollViewStart(view, position); break;
        case win::ScrollCode::Top: SetScrollViewStart(view, 1); break;
        case win::ScrollCode::Bottom:
            SetScrollViewStart(view, view->document->header.measureCount - kStripEndMeasures);
            break;
        default: break;
    }
}

void StartAutoScrollTimer(platform::WindowHandle window) {
    win::KillTimer(window, kAutoScrollTimer);
    win::SetTimer(window, kAutoScrollTimer, kAutoScrollPeriodMs);
}

namespace {

// The client area less the rulers shown along its top and left.
gfx::Rect ScrollingArea(platform::WindowHandle window) {
    gfx::Rect area = win::GetClientRect(window);
    const DrawingGlobals& drawing = State().drawing;
    if (drawing.RulersShown != 0) {
        area.top += drawing.ScreenDpiY / kRulerDpiDivisor;
        area.left += drawing.ScreenDpiX / kRulerDpiDivisor;
    }
    return area;
}

// One horizontal step: page steps in page view, a measure in scroll view, when the
// view can move that way.
bool StepSideways(ScoreView* view, int direction) {
    if (IsPageLayout(view)) {
        if (direction < 0) return ScrollX(view) > kLogicalOrigin && ScrollHorizontally(view, -1);
        return view->PageRight > view->visibleRect.right && ScrollHorizontally(view, 1);
    }
    const ScoreSystem* strip = view->galleySystem;
    if (strip == nullptr || view->document == nullptr) return false;
    if (direction < 0) {
        if (strip->firstMeasure <= 1) return false;
    } else if (LastUsedMeasure(view->document) + kRightRoomMeasures <= strip->lastMeasure) {
        return false;
    }
    ScrollByMeasures(view, direction);
    return true;
}

}  // namespace

bool AutoScrollStep(ScoreView* view, platform::WindowHandle window) {
    const uint8_t setting = Options().AutoScroll;
    if (setting == 0 || !IsValidView(view)) return false;
    const gfx::Rect area = ScrollingArea(window);
    const gfx::Point p = win::ScreenToClient(window, win::GetCursorPosition());
    bool scrolled = false;
    if (!area.Contains(p)) {
        if ((setting & kAutoScrollOutside) == 0) return false;
        win::SetCursor(win::LoadSystemCursor(win::SystemCursor::SizeAll));
        HideNoteCursor(view);
        if (p.y < area.top || p.y >= area.bottom) scrolled |= ScrollVertically(view, p.y < area.top ? -1 : 1);
        if (p.x < area.left || p.x >= area.right) scrolled |= StepSideways(view, p.x < area.left ? -1 : 1);
        StartAutoScrollTimer(window);
        return scrolled;
    }
    if (p.y < area.top + kAutoScrollEdge && ScrollY(view) > kLogicalOrigin) scrolled |= ScrollVertically(view, -1);
    else if (p.y >= area.bottom - kAutoScrollEdge) scrolled |= ScrollVertically(view, 1);
    if (p.x < area.left + kAutoScrollEdge) scrolled |= StepSideways(view, -1);
    else if (p.x >= area.right - kAutoScrollEdge) scrolled |= StepSideways(view, 1);
    return scrolled;
}

}  // namespace ql
