// The painter's entry points and clipping (module DRAW): the paint path a score
// window's paint and the scroll handlers call, the immediate repaint after an edit,
// the background fill, and the band and slot range that limit a paint to the area
// being repainted.
#include "display/painter.h"

#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/draw/painting_guard.h"
#include "core/model/beat_map_record.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "core/units/view_moves.h"
#include "display/linked_views.h"
#include "display/system_drawing_internal.h"
#include "display/view_location.h"
#include "display/visible_systems.h"
#include "notes/entry/note_cursor.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/win/paint.h"
#include "shell/program/rulers.h"

namespace ql {

namespace {

gfx::Rect ToRect(const PaintArea& area) {
    return gfx::Rect{area.left, area.top, area.right, area.bottom};
}

PaintArea FromRect(const gfx::Rect& rect) {
    return PaintArea{rect.left, rect.top, rect.right, rect.bottom};
}

// The background over an area, or over the paint rectangle when it is active.
void FillBackground(ScoreView* view, const gfx::Rect& area) {
    const PainterState& painter = State().display.painter;
    const gfx::Rect rect = painter.paintRectActive ? ToRect(painter.paintRect) : area;
    BeginViewDraw(view);
    if (view->ViewDC) gfx::FillRect(view->ViewDC, rect, gfx::GetStockBrush(gfx::StockBrush::White));
    EndViewDraw(view);
}

// The beat-map x of a slot's left edge in the current system; rightOf the next slot's.
int32_t SlotLeft(const sysdraw::Grid& grid, int slot) {
    return sysdraw::SlotLeftX(grid, slot);
}

}  // namespace

void DrawScoreContents(ScoreView* view) {
    if (!IsValidView(view) || view->document == nullptr) return;
    const ScopedPaintingGuard guard;
    if (view->pageView == 1)
        DrawPageView(view);
    else
        DrawScrollView(view);
}

int PaintViewContents(ScoreView* view, bool erase) {
    if (!IsValidView(view) || view->document == nullptr) return 0;
    const ScopedPaintingGuard guard;
    EndViewDrawAll(view);
    BeginViewDraw(view);
    ScoreObject* marquee = HideMarqueeForPaint(view);
    if (erase || marquee != nullptr) EraseViewClient(view);
    if (view->pageView == 1)
        DrawPageView(view);
    else
        DrawScrollView(view);
    InvalidateRulers(view);
    ShowMarqueeAfterPaint(view, marquee);
    EndViewDraw(view);
    return 0;
}

ScoreObject* HideMarqueeForPaint(ScoreView* view) {
    const MarqueeState& marquee = State().marquee;
    if (!IsValidView(view) || marquee.current == nullptr || !view->ViewWindow ||
        marquee.ownerWindow != view->ViewWindow)
        return nullptr;
    ClassOf(marquee.current).EraseTracking(marquee.current, view);
    return marquee.current;
}

void ShowMarqueeAfterPaint(ScoreView* view, ScoreObject* marquee) {
    if (marquee != nullptr && marquee == State().marquee.current) ClassOf(marquee).DrawTracking(marquee, view);
}

void PaintScoreWindow(ScoreView* view) {
    if (!IsValidView(view) || !view->ViewWindow) return;
    win::PaintInfo info;
    const platform::DcHandle dc = win::BeginPaint(view->ViewWindow, info);
    if (!dc) return;
    DrawingGlobals& drawing = State().drawing;
    PainterState& painter = State().display.painter;
    const platform::DcHandle keptDc = drawing.PaintDC;
    drawing.PaintDC = dc;
    EndViewDrawAll(view);
    BeginViewDraw(view);
    gfx::Point corners[2] = {{info.invalid.left, info.invalid.top},
                             {info.invalid.right, info.invalid.bottom}};
    const bool mapped = view->ViewDC && gfx::DeviceToLogical(view->ViewDC, corners, 2);
    EndViewDraw(view);
    if (mapped && !info.invalid.IsEmpty()) {
        const PainterState kept = painter;
        painter.paintRect = PaintArea{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
        painter.paintRectActive = 1;
        PaintViewContents(view, info.erase);
        painter.paintRect = kept.paintRect;
        painter.paintRectActive = kept.paintRectActive;
    }
    drawing.PaintDC = keptDc;
    win::EndPaint(view->ViewWindow, info);
}

void RepaintScoreView(ScoreView* view, bool erase) {
    if (!IsValidView(view) || view->document == nullptr) return;
    const ScopedPaintingGuard guard;
    BeginViewDraw(view);
    ScoreObject* marquee = HideMarqueeForPaint(view);
    if (erase) EraseViewPage(view);
    if (view->pageView == 1)
        DrawPageView(view);
    else
        DrawScrollView(view);
    InvalidateRulers(view);
    ShowMarqueeAfterPaint(view, marquee);
    EndViewDraw(view);
}

void EraseViewClient(ScoreView* view) {
    if (!IsValidView(view)) return;
    ShowNoteCursor(view);
    FillBackground(view, view->visibleRect);
}

void EraseViewPage(ScoreView* view) {
    if (!IsValidView(view)) return;
    FillBackground(view, view->visibleRect);
}

PaintArea PaintedArea(const ScoreView* view) {
    const PainterState& painter = State().display.painter;
    bool usePaintRect = painter.paintRectActive != 0;
    if (view->pageView == 1 && State().drawing.ClipboardRendering && !IsPrinting())
        usePaintRect = false;
    return usePaintRect ? painter.paintRect : FromRect(view->visibleRect);
}

void SetClipBandFromRect(const PaintArea& rect) {
    PainterState& painter = State().display.painter;
    const StaffBand band = StaffBandAround(rect.top, rect.bottom);
    painter.bandTop = band.top;
    painter.bandBottom = band.bottom;
}

void SetClipSlotRange(ScoreView* view, const PaintArea& rect) {
    PainterState& painter = State().display.painter;
    sysdraw::Grid grid;
    painter.firstSlot = painter.lastSlot = 1;
    if (!OpenGrid(view, &grid)) return;
    const int last = std::max(1, sysdraw::LastSlot(grid));
    if (IsPrinting() && painter.printAllSlots) {
        painter.lastSlot = last;
        return;
    }
    int first = 1;
    if (grid.system->x < rect.left) {
        first = last;
        for (int slot = 1; slot <= last; ++slot)
            if (SlotLeft(grid, slot) >= rect.left) {
                first = slot;
                break;
            }
        first = std::max(1, first - 2);
    }
    int slot = last;
    while (slot > 1 && sysdraw::SlotRightX(grid, slot) > rect.right) --slot;
    if (sysdraw::SlotRightX(grid, slot) < rect.right && slot < last) ++slot;
    const int measureCount = std::max<int>(1, view->document->header.measureCount);
    painter.firstSlot = first;
    painter.lastSlot = std::min(std::max(slot, first), measureCount);
}

bool StaffBandIntersects(ScoreView* view, const ScoreSystem* system, int firstShown, int lastShown,
                         int staff, const PaintArea& rect) {
    sysdraw::Grid grid;
    if (!OpenGrid(view, &grid) || grid.system != system) return false;
    // From the staff above's y (the band above the first staff reaches a staff height
    // further) to the top line of the staff below (a staff height below the last).
    const int32_t height = sysdraw::StaffHeight(grid, staff);
    const int32_t y = sysdraw::StaffY(grid, staff);
    int above = staff - 1;
    while (above >= firstShown && !sysdraw::IsShown(grid, above)) --above;
    int below = staff + 1;
    while (below <= lastShown && !sysdraw::IsShown(grid, below)) ++below;
    const int64_t top =
        above >= firstShown ? sysdraw::StaffY(grid, above) : int64_t{y} - 2 * height;
    const int64_t bottom = below <= lastShown ? int64_t{sysdraw::StaffY(grid, below)} -
                                                    sysdraw::StaffHeight(grid, below)
                                              : int64_t{y} + height;
    return std::max<int64_t>(top, rect.top) < std::min<int64_t>(bottom, rect.bottom) &&
           rect.left < rect.right;
}

}  // namespace ql
