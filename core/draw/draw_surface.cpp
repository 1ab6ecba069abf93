// Opening, nesting and closing the view's drawing surface, and its mapping from
// score units onto the device. Attribute calls go to the view context and then to
// its companion; measurements come from the companion when there is one.
#include "core/draw/draw_surface.h"

#include <cmath>

#include "core/draw/colour_sets.h"
#include "core/state.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"

namespace ql {

namespace {

constexpr int kByteValues = 256;

// a x b / c rounded to the nearest integer; a x b when c is 0.
int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return a;
    return static_cast<int32_t>(gfx::RoundedDivide(static_cast<int64_t>(a) * b, c));
}

void DropMemoryContext(ScoreView* view) {
    if (view->ViewMemoryDC) gfx::DeleteContext(view->ViewMemoryDC);
    view->ViewMemoryDC = {};
}

bool IsBorrowedContext(platform::DcHandle dc) {
    const DrawingGlobals& drawing = State().drawing;
    return dc == drawing.PaintDC || dc == drawing.PrintDC;
}

// A window context we took ourselves (never the paint or print context).
bool IsOwnContext(platform::DcHandle dc) {
    return dc && !IsBorrowedContext(dc) && gfx::GetContextKind(dc) == gfx::ContextKind::Window;
}

// The context the surface opens on: paint, else print, else our own.
platform::DcHandle AcquireContext(ScoreView* view) {
    const DrawingGlobals& drawing = State().drawing;
    if (drawing.PaintDC) return drawing.PaintDC;
    if (drawing.PrintDC) return drawing.PrintDC;
    if (view->CaretShown) win::HideCaret(view->ViewWindow);
    platform::DcHandle own = win::GetWindowContext(view->ViewWindow);
    if (!own && view->CaretShown) win::ShowCaret(view->ViewWindow);
    return own;
}

void ReleaseOwnContext(ScoreView* view) {
    // A window that went away cannot take its context back; end it ourselves.
    if (!win::ReleaseWindowContext(view->ViewWindow, view->ViewDC))
        gfx::DeleteContext(view->ViewDC);
    if (view->CaretShown) win::ShowCaret(view->ViewWindow);
}

// The first steps on a freshly opened context.
void PrepareOpenedSurface(ScoreView* view) {
    view->DrawDepth = 1;
    ApplyViewMapping(view);
    platform::DcHandle companion = CompanionContext(view);
    for (platform::DcHandle dc : {view->ViewDC, companion}) {
        if (!dc) continue;
        gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Transparent);
        gfx::SetTextAlign(dc, gfx::kTextAlignBaseline);
    }
    BeginHighlightDraw(view);
    gfx::SetFillMode(view->ViewDC, gfx::FillMode::Winding);
    DrawingGlobals& drawing = State().drawing;
    if (!drawing.MusicFont) return;
    platform::FontHandle replaced = gfx::SelectObject(view->ViewDC, drawing.MusicFont);
    if (companion) replaced = gfx::SelectObject(companion, drawing.MusicFont);
    drawing.SavedFont = replaced;
}

}  // namespace

bool IsPrinting() {
    return static_cast<bool>(State().drawing.PrintDC);
}

platform::DcHandle CompanionContext(const ScoreView* view) {
    if (view->ViewMirrorDC) return view->ViewMirrorDC;
    return State().drawing.ReferenceDC;
}

platform::DcHandle MeasuringContext(const ScoreView* view) {
    platform::DcHandle companion = CompanionContext(view);
    return companion ? companion : view->ViewDC;
}

void BeginViewDraw(ScoreView* view) {
    if (view->DrawDepth != 0 && view->ViewDC) {
        ++view->DrawDepth;
        return;
    }
    view->DrawDepth = 0;
    DropMemoryContext(view);
    if (IsOwnContext(view->ViewDC)) ReleaseOwnContext(view);
    view->ViewDC = AcquireContext(view);
    if (view->ViewDC) PrepareOpenedSurface(view);
}

void EndViewDraw(ScoreView* view) {
    if (view->DrawDepth > 1 && view->ViewDC) {
        --view->DrawDepth;
        return;
    }
    view->DrawDepth = 0;
    DropMemoryContext(view);
    DrawingGlobals& drawing = State().drawing;
    platform::DcHandle companion = CompanionContext(view);
    if (view->ViewDC && drawing.SavedFont) {
        gfx::SelectObject(view->ViewDC, drawing.SavedFont);
        if (companion) gfx::SelectObject(companion, drawing.SavedFont);
        if (drawing.PrintDC && drawing.PrintJobFont) {
            gfx::SelectObject(view->ViewDC, drawing.PrintJobFont);
            if (companion) gfx::SelectObject(companion, drawing.PrintJobFont);
        }
    }
    drawing.SavedFont = {};
    // Only a context we took ourselves goes back, even when a paint or print began
    // or ended while the surface was open.
    if (IsOwnContext(view->ViewDC)) ReleaseOwnContext(view);
    view->ViewDC = {};
}

void EndViewDrawAll(ScoreView* view) {
    while (view->ViewDC) EndViewDraw(view);
    view->DrawDepth = 0;
}

void HalvePrintingExtents(gfx::Size* window, gfx::Size* viewport) {
    auto anyTooLarge = [&] {
        return window->cx >= kMaxMappingExtent || window->cy >= kMaxMappingExtent ||
               viewport->cx >= kMaxMappingExtent || viewport->cy >= kMaxMappingExtent;
    };
    while (anyTooLarge()) {
        window->cx >>= 1;
        window->cy >>= 1;
        viewport->cx >>= 1;
        viewport->cy >>= 1;
    }
}

int SetViewMapping(const ScoreView* view, platform::DcHandle dc) {
    if (!dc) return 0;
    const DrawingGlobals& drawing = State().drawing;
    gfx::SetMapMode(dc, gfx::MapMode::Anisotropic);
    gfx::Size window{kMappingUnits, kMappingUnits};
    gfx::Size viewport{MulDiv(view->zoom, drawing.ScreenDpiX, drawing.ScreenDpiY), view->zoom};
    if (drawing.PrintDC && !drawing.ClipboardRendering && drawing.ScreenDpiX > 0 &&
        drawing.ScreenDpiY > 0) {
        double unitsX = static_cast<double>(view->DeviceWidth) / drawing.ScreenDpiX;
        double unitsY = static_cast<double>(view->DeviceHeight) / drawing.ScreenDpiY;
        window = gfx::Size{static_cast<int32_t>(unitsX * view->UnitsPerInch * kMappingUnits),
                           static_cast<int32_t>(unitsY * view->UnitsPerInch * kMappingUnits)};
        viewport = gfx::Size{view->DeviceWidth * kMappingUnits, view->DeviceHeight * kMappingUnits};
        HalvePrintingExtents(&window, &viewport);
    }
    // A zero extent (a view not measured yet) would be refused; keep one unit.
    if (window.cx == 0) window.cx = 1;
    if (window.cy == 0) window.cy = 1;
    if (viewport.cx == 0) viewport.cx = 1;
    if (viewport.cy == 0) viewport.cy = 1;
    gfx::SetWindowExtent(dc, window);
    gfx::SetViewportExtent(dc, viewport);
    return 1;
}

void ApplyViewMapping(ScoreView* view) {
    const DrawingGlobals& drawing = State().drawing;
    gfx::Point origin{};
    if (drawing.RulersShown && !drawing.PrintDC && !drawing.ClipboardRendering)
        origin = gfx::Point{drawing.ScreenDpiX / kRulerDpiDivisor,
                            drawing.ScreenDpiY / kRulerDpiDivisor};
    for (platform::DcHandle dc : {view->ViewDC, CompanionContext(view)}) {
        if (!SetViewMapping(view, dc)) continue;
        gfx::SetWindowOrigin(dc, gfx::Point{ScrollX(view), ScrollY(view)});
        gfx::SetViewportOrigin(dc, origin);
    }
}

bool SetViewportOrigin(ScoreView* view, int32_t x, int32_t y, gfx::Point* oldPoint) {
    if (!view->ViewDC) return false;
    gfx::SetViewportOrigin(view->ViewDC, gfx::Point{x, y}, oldPoint);
    if (platform::DcHandle companion = CompanionContext(view))
        gfx::SetViewportOrigin(companion, gfx::Point{x, y});
    return true;
}

void DrawLineSegment(ScoreView* view, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    platform::DcHandle dc = view->ViewDC;
    if (!dc) return;
    gfx::MoveTo(dc, gfx::Point{x1, y1});
    gfx::LineTo(dc, gfx::Point{x2, y1});
    gfx::LineTo(dc, gfx::Point{x2, y2});
    gfx::LineTo(dc, gfx::Point{x1, y2});
    gfx::LineTo(dc, gfx::Point{x1, y1});
}

int ByteIndex(int v) {
    return v < kByteValues ? v : -1;
}
int ByteInRange(int v) {
    return v < kByteValues ? v : 0;
}

}  // namespace ql
