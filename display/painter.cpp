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
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/shell_services.h"
#include "core/units/view_moves.h"
#include "display/linked_views.h"
#include "display/system_drawing_internal.h"
#include "display/view_location.h"
#include "display/visible_systems.h"
#include "notes/entry/note_cursor.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

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

// Plain device units on the off-screen context, as the window's context has them.
void UnmapSmoothSurface(platform::DcHandle dc) {
    gfx::SetMapMode(dc, gfx::MapMode::Text);
    gfx::SetWindowOrigin(dc, gfx::Point{0, 0});
    gfx::SetViewportOrigin(dc, gfx::Point{0, 0});
}

// "Smooth Display": the off-screen context and its bitmap, kept between paints.
struct SmoothPaint {
    platform::DcHandle dc{};
    platform::BitmapHandle bitmap{};
    platform::BitmapHandle oldBitmap{};
    int32_t width = 0;
    int32_t height = 0;
};
SmoothPaint g_smooth;

// The off-screen context of "Smooth Display" with a bitmap at least the window's
// size selected into it: made at the first smooth paint and kept for every later
// paint of every view (a larger window makes a larger bitmap). Null when it cannot
// be had: the paint then goes straight to the window.
platform::DcHandle SmoothSurface(platform::DcHandle windowDc, const gfx::Rect& client) {
    SmoothPaint& d = g_smooth;
    const int32_t width = std::max(client.Width(), 1);
    const int32_t height = std::max(client.Height(), 1);
    if (d.bitmap && (d.width < width || d.height < height)) ReleaseSmoothPaint(true);
    if (!d.dc) {
        d.dc = gfx::CreateMemoryContext(windowDc);
        if (!d.dc) return {};
    }
    if (!d.bitmap) {
        d.bitmap = gfx::CreateCompatibleBitmap(windowDc, width, height);
        if (!d.bitmap) return {};
        d.width = width;
        d.height = height;
    }
    if (!d.oldBitmap) d.oldBitmap = gfx::SelectObject(d.dc, d.bitmap);
    UnmapSmoothSurface(d.dc);
    return d.dc;
}

}  // namespace

void ReleaseSmoothPaint(bool bitmapToo) {
    SmoothPaint& d = g_smooth;
    if (d.dc) {
        if (d.oldBitmap) gfx::SelectObject(d.dc, d.oldBitmap);
        gfx::DeleteContext(d.dc);
    }
    d.dc = {};
    d.oldBitmap = {};
    if (!bitmapToo) return;
    if (d.bitmap) gfx::DeleteObject(platform::AnyObjectHandle{d.bitmap});
    d.bitmap = {};
    d.width = 0;
    d.height = 0;
}

bool HasSmoothPaintBitmap() {
    return static_cast<bool>(g_smooth.bitmap);
}

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
    platform::DcHandle target = dc;
    if (Options().SmoothScreen != 0)
        if (platform::DcHandle smooth = SmoothSurface(dc, win::GetClientRect(view->ViewWindow))) target = smooth;
    drawing.PaintDC = target;
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
        // The off-screen bitmap holds an older picture: the area is always erased.
        PaintViewContents(view, info.erase || target != dc);
        painter.paintRect = kept.paintRect;
        painter.paintRectActive = kept.paintRectActive;
    }
    if (target != dc) {
        UnmapSmoothSurface(target);
        const gfx::Rect& area = info.invalid;
        gfx::BitBlit(dc, gfx::Point{area.left, area.top}, gfx::Size{area.Width(), area.Height()}, target,
                     gfx::Point{area.left, area.top}, gfx::RasterOp::SourceCopy);
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
