// Speed of the drawing paths a score repaint leans on: one-pixel lines, filled
// rectangles (stems, beams, staff lines), XOR feedback, and the XNOR glyph blit.
#include <benchmark/benchmark.h>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"

namespace {

using namespace ql::gfx;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

struct Window {
    BitmapHandle image = CreateImageBitmap(kWidth, kHeight);
    DcHandle dc = CreateWindowContext(image);
    ~Window() {
        DeleteContext(dc);
        DeleteObject(image);
    }
};

void BM_GfxHorizontalLine(benchmark::State& state) {
    Window w;
    int y = 0;
    for (auto _ : state) {
        MoveTo(w.dc, Point{10, y});
        LineTo(w.dc, Point{kWidth - 10, y});
        y = (y + 1) % kHeight;
    }
}
BENCHMARK(BM_GfxHorizontalLine);

void BM_GfxXorDiagonalLine(benchmark::State& state) {
    Window w;
    SetRop2(w.dc, Rop2::XorPen);
    for (auto _ : state) {
        MoveTo(w.dc, Point{0, 0});
        LineTo(w.dc, Point{kWidth - 1, kHeight - 1});
    }
}
BENCHMARK(BM_GfxXorDiagonalLine);

void BM_GfxSmallFilledRectangle(benchmark::State& state) {
    Window w;
    SelectObject(w.dc, GetStockBrush(StockBrush::Black));
    SelectObject(w.dc, GetStockPen(StockPen::Null));
    int x = 0;
    for (auto _ : state) {
        Rectangle(w.dc, Rect{x, 100, x + 3, 140});
        x = (x + 5) % (kWidth - 4);
    }
}
BENCHMARK(BM_GfxSmallFilledRectangle);

void BM_GfxGlyphXnorBlit(benchmark::State& state) {
    Window w;
    BitmapHandle glyph = CreateMonochromeBitmap(16, 16);
    DcHandle mem = CreateMemoryContext(w.dc);
    SelectObject(mem, glyph);
    int x = 0;
    for (auto _ : state) {
        BitBlit(w.dc, Point{x, 200}, Size{16, 16}, mem, Point{0, 0}, RasterOp::DestXnorSource);
        x = (x + 17) % (kWidth - 16);
    }
    DeleteContext(mem);
    DeleteObject(glyph);
}
BENCHMARK(BM_GfxGlyphXnorBlit);

}  // namespace
