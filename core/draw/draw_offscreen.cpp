// Off-screen bitmaps, the view's memory context and the XNOR blit.
#include "core/draw/draw_offscreen.h"

#include "core/draw/draw_surface.h"
#include "core/draw/gdi_cache.h"
#include "core/state.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"

namespace ql {

namespace {

platform::DcHandle SurfaceForCompatibility(const ScoreView* view) {
    return view->ViewMirrorDC ? view->ViewMirrorDC : view->ViewDC;
}

// Bitmap size in the logical units of `dc`.
bool BitmapLogicalSize(platform::DcHandle dc, platform::BitmapHandle bitmap, gfx::Size* size) {
    gfx::BitmapInfo info;
    if (!gfx::GetBitmapInfo(bitmap, &info)) return false;
    *size = gfx::DeviceToLogicalDistance(dc, gfx::Size{info.width, info.height});
    return true;
}

void AbandonOffscreen(DrawingGlobals& d) {
    if (d.OffscreenDC) gfx::DeleteContext(d.OffscreenDC);
    if (d.OffscreenBitmap) gfx::DeleteObject(d.OffscreenBitmap);
    d.OffscreenDC = {};
    d.OffscreenBitmap = {};
    d.OffscreenOldBitmap = {};
}

}  // namespace

void ResetMemoryDC(ScoreView* view) {
    if (!view->ViewDC) return;
    if (view->ViewMemoryDC) gfx::DeleteContext(view->ViewMemoryDC);
    view->ViewMemoryDC = gfx::CreateMemoryContext(SurfaceForCompatibility(view));
    if (!view->ViewMemoryDC) return;
    SetViewMapping(view, view->ViewMemoryDC);
    gfx::SetBackgroundMode(view->ViewMemoryDC, gfx::BackgroundMode::Transparent);
    gfx::SetTextAlign(view->ViewMemoryDC, gfx::kTextAlignLeft | gfx::kTextAlignTop);
}

platform::DcHandle BeginOffscreenDraw(ScoreView* view, int32_t width, int32_t height) {
    DrawingGlobals& d = State().drawing;
    if (d.OffscreenDC) return {};  // one off-screen drawing at a time
    platform::DcHandle compatible = SurfaceForCompatibility(view);
    d.OffscreenDC = gfx::CreateMemoryContext(compatible);
    if (!d.OffscreenDC) return {};
    SetViewMapping(view, d.OffscreenDC);
    gfx::SetWindowOrigin(d.OffscreenDC, gfx::Point{0, 0});
    gfx::Size pixels = gfx::LogicalToDeviceDistance(d.OffscreenDC, gfx::Size{width, height});
    d.OffscreenBitmap = gfx::CreateCompatibleBitmap(compatible, pixels.cx, pixels.cy);
    if (!d.OffscreenBitmap) {
        AbandonOffscreen(d);
        return {};
    }
    d.OffscreenOldBitmap = gfx::SelectObject(d.OffscreenDC, d.OffscreenBitmap);
    gfx::FillRect(d.OffscreenDC, gfx::Rect{0, 0, width, height},
                  gfx::GetStockBrush(gfx::StockBrush::White));
    return d.OffscreenDC;
}

platform::BitmapHandle EndOffscreenDraw() {
    DrawingGlobals& d = State().drawing;
    if (!d.OffscreenDC) return {};
    if (d.OffscreenOldBitmap) gfx::SelectObject(d.OffscreenDC, d.OffscreenOldBitmap);
    gfx::DeleteContext(d.OffscreenDC);
    platform::BitmapHandle bitmap = d.OffscreenBitmap;
    d.OffscreenDC = {};
    d.OffscreenBitmap = {};
    d.OffscreenOldBitmap = {};
    return bitmap;
}

bool BlitBitmapToView(ScoreView* view, platform::BitmapHandle bitmap, int32_t x, int32_t y) {
    if (!view->ViewDC || !bitmap) return false;
    if (!view->ViewMemoryDC) ResetMemoryDC(view);
    if (!view->ViewMemoryDC) return false;
    platform::BitmapHandle previous = gfx::SelectObject(view->ViewMemoryDC, bitmap);
    if (!previous) return false;
    gfx::Size size;
    bool drawn = BitmapLogicalSize(view->ViewMemoryDC, bitmap, &size) &&
                 gfx::BitBlit(view->ViewDC, gfx::Point{x, y}, size, view->ViewMemoryDC,
                              gfx::Point{0, 0}, gfx::RasterOp::DestXnorSource);
    gfx::SelectObject(view->ViewMemoryDC, previous);
    return drawn;
}

bool BlitBitmapToViewScaled(ScoreView* view, platform::BitmapHandle bitmap, int32_t x, int32_t y) {
    if (!view->ViewDC || !bitmap) return false;
    if (!view->ViewMemoryDC) ResetMemoryDC(view);
    gfx::Size size;
    if (!view->ViewMemoryDC || !BitmapLogicalSize(view->ViewMemoryDC, bitmap, &size)) return false;
    return BlitBitmapToView(view, bitmap, x - (size.cx >> 1), y - (size.cy >> 1));
}

}  // namespace ql
