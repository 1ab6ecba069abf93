// Redrawing a view and its linked views. Two views are linked when they show the same
// score and their current pages hold measures that overlap or touch; an edit redraws
// the view and every linked view, and a partial repaint invalidates only the current
// system's band, measure column or staff cell on each of them.
#include "display/linked_views.h"

#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/units/view_moves.h"
#include "display/painter.h"
#include "display/system_drawing_internal.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "platform/gfx/mapping.h"
#include "platform/win/paint.h"

namespace ql {

namespace {

// Margins of the partial repaints around a system band and a measure column.
constexpr int32_t kBandBelowPrevious = 128;
constexpr int32_t kBandAboveNext = 640;
constexpr int32_t kColumnMargin = 128;
constexpr int32_t kMeasureRectAboveNext = 160;

enum class Part { System, Measure, Cell };

// Pages whose measure ranges overlap or follow each other; false when either is missing.
bool PagesLinked(const ScorePage* a, const ScorePage* b) {
    if (a == nullptr || b == nullptr) return false;
    const int a1 = a->firstMeasure, a2 = a->lastMeasure;
    const int b1 = b->firstMeasure, b2 = b->lastMeasure;
    return b1 == a2 + 1 || a1 == b2 + 1 || (b1 >= a1 && b1 <= a2) || (a1 >= b1 && a1 <= b2) ||
           (b2 >= a1 && b2 <= a2) || (a2 >= b1 && a2 <= b2);
}

void InvalidateWhole(ScoreView* view) {
    if (IsValidView(view) && view->ViewWindow) win::InvalidateRect(view->ViewWindow, nullptr, true);
}

// The y of a system's last (or first) shown staff.
int32_t ShownStaffY(const ScoreView* view, const ScoreSystem* system, bool last) {
    const uint16_t* offsets = StaffOffsetsOf(system);
    const int8_t* flags = StaffFlagsOf(system);
    const int count = view->document->header.staffCount;
    if (offsets == nullptr || flags == nullptr || count < 1) return system->y;
    for (int i = 1; i <= count; ++i) {
        const int staff = last ? count + 1 - i : i;
        if (flags[staff] >= 0) return system->y + offsets[staff];
    }
    return system->y + offsets[last ? count : 1];
}

// The top line of a staff: its y less (lines - 1) line spacings.
int32_t StaffTopLine(const sysdraw::Grid& grid, int staff) {
    const int lines = std::max(1, sysdraw::StaffType(grid, staff));
    return sysdraw::StaffY(grid, staff) - (lines - 1) * sysdraw::kLineSpacing;
}

ScoreSystem* PreviousSystem(const ScoreView* view) {
    ScoreSystem* system = view->currentSystem;
    return system->number > 0 && system->previous ? system->previous.get() : nullptr;
}

ScoreSystem* NextSystem(const ScoreView* view) {
    const ScoreSystem* system = view->currentSystem;
    const ScorePage* page = view->currentPage;
    const bool more = page != nullptr && system->number + 1 < page->systemCount;
    return more && system->next ? system->next.get() : nullptr;
}

void SystemBand(const ScoreView* view, PaintArea* area) {
    const ScoreSystem* previous = PreviousSystem(view);
    const ScoreSystem* next = NextSystem(view);
    area->top = previous != nullptr ? ShownStaffY(view, previous, true) + kBandBelowPrevious
                                    : kLogicalOrigin;
    area->bottom = next != nullptr ? next->y - kBandAboveNext : view->PageBottom;
}

void CellBand(ScoreView* view, const sysdraw::Grid& grid, PaintArea* area) {
    const int staff = view->currentStaff;
    int above = staff - 1;
    while (above >= 1 && !sysdraw::IsShown(grid, above)) --above;
    int below = staff + 1;
    while (below <= grid.staffCount && !sysdraw::IsShown(grid, below)) ++below;
    const ScoreSystem* previous = PreviousSystem(view);
    const ScoreSystem* next = NextSystem(view);
    if (above >= 1)
        area->top = sysdraw::StaffY(grid, above) + 1;
    else
        area->top = previous != nullptr ? ShownStaffY(view, previous, true) + 1 : kLogicalOrigin;
    if (below <= grid.staffCount)
        area->bottom = StaffTopLine(grid, below) - 1;
    else if (next != nullptr)
        area->bottom = ShownStaffY(view, next, false) - 4 * sysdraw::kLineSpacing - 1;
    else
        area->bottom = view->PageBottom;
}

// The area of a part at the view's current location; false when it has none.
bool PartArea(ScoreView* view, Part part, PaintArea* area) {
    sysdraw::Grid grid;
    if (!IsValidView(view) || !OpenGrid(view, &grid)) return false;
    area->left = view->visibleRect.left;
    area->right = view->visibleRect.right;
    if (part == Part::Cell)
        CellBand(view, grid, area);
    else
        SystemBand(view, area);
    if (part != Part::System) {
        const int slot = std::max(1, view->currentSlot);
        area->left = sysdraw::SlotLeftX(grid, slot) - kColumnMargin;
        area->right = sysdraw::SlotRightX(grid, slot) + kColumnMargin;
    }
    return area->left < area->right && area->top < area->bottom;
}

// A logical area invalidated on the view's window (device units through its mapping).
void InvalidateArea(ScoreView* view, const PaintArea& area, bool update) {
    if (!IsValidView(view) || !view->ViewWindow) return;
    BeginViewDraw(view);
    gfx::Point corners[2] = {{area.left, area.top}, {area.right, area.bottom}};
    const bool mapped = view->ViewDC && gfx::LogicalToDevice(view->ViewDC, corners, 2);
    EndViewDraw(view);
    if (!mapped) return;
    const win::Rect rect{std::min(corners[0].x, corners[1].x), std::min(corners[0].y, corners[1].y),
                         std::max(corners[0].x, corners[1].x) + 1,
                         std::max(corners[0].y, corners[1].y) + 1};
    win::InvalidateRect(view->ViewWindow, &rect, true);
    if (update) win::UpdateWindow(view->ViewWindow);
}

// The part on a linked view: its own geometry at the calling view's staff and measure,
// when its page holds that measure; its location is given back.
void InvalidateLinkedPart(ScoreView* linked, const ScoreView* view, Part part) {
    const ScorePage* page = linked->currentPage;
    const int measure = view->currentMeasure;
    if (page == nullptr || measure < page->firstMeasure || measure > page->lastMeasure) return;
    ScoreSystem* keptSystem = linked->currentSystem;
    const int keptStaff = linked->currentStaff;
    const int keptMeasure = linked->currentMeasure;
    SetCurrentMeasure(linked, view->currentStaff, measure);
    PaintArea area;
    if (PartArea(linked, part, &area)) InvalidateArea(linked, area, false);
    SetCurrentSystemAndMeasure(linked, keptSystem, keptStaff, keptMeasure, true);
}

void InvalidatePart(ScoreView* view, Part part, bool update) {
    PainterState& painter = State().display.painter;
    PaintArea area;
    if (!PartArea(view, part, &area)) return;
    painter.paintRect = area;
    InvalidatePaintRect(view, update);
    for (ScoreView* linked = NextLinkedView(view, nullptr); linked != nullptr;
         linked = NextLinkedView(view, linked))
        InvalidateLinkedPart(linked, view, part);
}

}  // namespace

ScoreView* NextLinkedView(ScoreView* view, ScoreView* previous) {
    if (view == nullptr) return nullptr;
    ScoreView* candidate = previous != nullptr ? previous->nextView : State().documents.FirstView;
    for (; candidate != nullptr; candidate = candidate->nextView) {
        if (candidate != view && IsValidView(candidate) && candidate->document == view->document &&
            PagesLinked(view->currentPage, candidate->currentPage))
            return candidate;
    }
    return nullptr;
}

void InvalidateLinkedViews(ScoreView* view) {
    if (!IsValidView(view)) return;
    InvalidateWhole(view);
    InvalidateOtherLinkedViews(view);
}

void InvalidateOtherLinkedViews(ScoreView* view) {
    if (!IsValidView(view)) return;
    for (ScoreView* linked = NextLinkedView(view, nullptr); linked != nullptr;
         linked = NextLinkedView(view, linked))
        InvalidateWhole(linked);
}

void InvalidateOtherViewsOfScore(ScoreView* view) {
    if (!IsValidView(view)) return;
    for (ScoreView* other = State().documents.FirstView; other != nullptr; other = other->nextView)
        if (other != view && other->document == view->document) InvalidateWhole(other);
}

void UpdateLinkedViews(ScoreView* view) {
    if (!IsValidView(view)) return;
    InvalidateWhole(view);
    if (view->ViewWindow) win::UpdateWindow(view->ViewWindow);
    InvalidateOtherLinkedViews(view);
}

void RedrawLinkedViews(ScoreView* view) {
    if (!IsValidView(view)) return;
    UpdateBeatMaps(view, 1);
    for (ScoreView* linked = NextLinkedView(view, nullptr); linked != nullptr;
         linked = NextLinkedView(view, linked))
        UpdateBeatMaps(linked, 1);
}

void BuildBeatMapsOnOtherLinkedViews(ScoreView* view, int flag) {
    if (!IsValidView(view)) return;
    for (ScoreView* linked = NextLinkedView(view, nullptr); linked != nullptr;
         linked = NextLinkedView(view, linked))
        BuildStaffBeatMap(linked, flag);
}

void InvalidatePaintRect(ScoreView* view, bool update) {
    InvalidateArea(view, State().display.painter.paintRect, update);
}

void InvalidateCurrentSystem(ScoreView* view) {
    InvalidatePart(view, Part::System, true);
}

void InvalidateCurrentMeasure(ScoreView* view) {
    InvalidatePart(view, Part::Measure, true);
}

void InvalidateCurrentCell(ScoreView* view, bool update) {
    InvalidatePart(view, Part::Cell, update);
}

void SetPaintRectForMeasure(ScoreView* view) {
    PaintArea area;
    if (!PartArea(view, Part::Measure, &area)) return;
    const ScoreSystem* next = NextSystem(view);
    if (next != nullptr) area.bottom = next->y - kMeasureRectAboveNext;
    State().display.painter.paintRect = area;
}

}  // namespace ql
