// Repeated figures stamped with the stamp kept from an earlier figure of the same
// shape: the very pixels of the figure stamped afresh, whatever pen, brush, fill
// rule or kind of figure came before it, and wherever it stands, near the edge of
// the drawable range included.
#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

#include "platform/gfx/detail/drawable_range.h"
#include "platform/tests/gfx/gfx_canvas.h"

namespace ql::gfx {
namespace {

using testing::Canvas;

constexpr int kSide = 160;
constexpr Colour kPenInk = Rgb(0x20, 0x40, 0x90);
constexpr Colour kBrushInk = Rgb(0xC0, 0x10, 0x30);
constexpr Colour kOtherPenInk = Rgb(0x10, 0xA0, 0x40);

struct Inking {
    PenStyle style;
    int width;
    bool brush;
    FillMode mode;
    bool polygons;
};

// Each differs from the first in one thing a stamp depends on.
const Inking kInkings[] = {
    {PenStyle::Solid, 0, true, FillMode::Alternate, true},  {PenStyle::Solid, 3, true, FillMode::Alternate, true},
    {PenStyle::Solid, 2, true, FillMode::Alternate, true},  // as wide a margin as 3
    {PenStyle::Dot, 0, true, FillMode::Alternate, true},    {PenStyle::Null, 0, true, FillMode::Alternate, true},
    {PenStyle::Solid, 0, false, FillMode::Alternate, true}, {PenStyle::Solid, 0, true, FillMode::Winding, true},
    {PenStyle::Solid, 0, true, FillMode::Alternate, false}, {PenStyle::Solid, 6, false, FillMode::Winding, false},
};

// A wave's period, a figure crossing itself twice (the fill rule shows) and a
// figure with repeated points.
const std::vector<std::vector<Point>> kShapes = {
    {{0, 0}, {3, -4}, {7, -4}, {10, 0}, {12, 2}, {14, 2}, {16, 0}, {13, 4}, {9, 4}, {6, 0}, {4, -2}, {2, -2}},
    {{0, 0}, {24, 16}, {24, 0}, {0, 16}, {12, -6}, {18, 22}},
    {{0, 0}, {0, 0}, {9, 3}, {9, 3}, {4, 11}, {-3, 6}, {-3, 6}},
};

void Draw(DcHandle dc, const Inking& inking, const std::vector<Point>& figure, int copies, Point step,
          Colour penInk = kPenInk) {
    PenHandle pen = CreatePen(inking.style, inking.width, penInk);
    BrushHandle brush = inking.brush ? CreateSolidBrush(kBrushInk) : GetStockBrush(StockBrush::Null);
    PenHandle oldPen = SelectObject(dc, pen);
    BrushHandle oldBrush = SelectObject(dc, brush);
    SetFillMode(dc, inking.mode);
    auto repeat = inking.polygons ? RepeatedPolygon : RepeatedPolyline;
    repeat(dc, figure.data(), static_cast<int>(figure.size()), copies, step);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    if (inking.brush) DeleteObject(brush);
}

// The same figure on a thread of its own, where no stamp has been kept.
void DrawAfresh(DcHandle dc, const Inking& inking, const std::vector<Point>& figure, int copies, Point step,
                Colour penInk = kPenInk) {
    std::thread([&] { Draw(dc, inking, figure, copies, step, penInk); }).join();
}

std::vector<Point> Placed(const std::vector<Point>& shape, Point at) {
    std::vector<Point> out;
    for (Point p : shape) out.push_back(Point{p.x + at.x, p.y + at.y});
    return out;
}

TEST(GfxFigureStamps, KeptStampsPaintAsStampsMadeAfresh) {
    std::mt19937 random(55);
    auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const Point steps[] = {{16, 0}, {0, 12}, {-10, 7}, {29, 0}};
    Canvas kept(kSide, kSide), afresh(kSide, kSide);
    kept.Fill(kWhite);
    afresh.Fill(kWhite);
    for (int draw = 0; draw < 300; ++draw) {
        const Inking& inking = kInkings[pick(0, std::size(kInkings) - 1)];
        const std::vector<Point> figure = Placed(kShapes[pick(0, kShapes.size() - 1)], {pick(-30, kSide), pick(-20, kSide)});
        const Point step = steps[pick(0, std::size(steps) - 1)];
        const int copies = pick(1, 5);
        const Colour penInk = pick(0, 1) == 0 ? kPenInk : kOtherPenInk;  // inks are not part of a stamp
        SCOPED_TRACE(::testing::Message() << "draw " << draw << " at " << figure[0].x << "," << figure[0].y);
        Draw(kept.dc(), inking, figure, copies, step, penInk);
        DrawAfresh(afresh.dc(), inking, figure, copies, step, penInk);
        ASSERT_EQ(kept.Pixels(), afresh.Pixels());
    }
    EXPECT_GT(kept.CountOf(kPenInk), 0);
    EXPECT_GT(kept.CountOf(kBrushInk), 0);
}

// A figure reaching beyond the drawable range is cut there before it is
// rasterised; a stamp kept from the same shape inside the range is not used for it.
TEST(GfxFigureStamps, FigureBeyondTheRangeIsStampedAsItStands) {
    const Inking& inking = kInkings[0];
    const std::vector<Point>& shape = kShapes[1];
    // The figure reaches 12 pixels into the range; its last copy stands at x = 20.
    constexpr int32_t kFar = detail::kCairoCoordinateLimit - 12;
    constexpr int kCopies = 5;
    const Point step{-(kFar - 20) / (kCopies - 1), 0};
    Canvas kept(kSide, kSide), afresh(kSide, kSide);
    for (const Canvas* c : {&kept, &afresh}) {
        c->Fill(kWhite);
        DrawAfresh(c->dc(), inking, Placed(shape, {100, 100}), 1, step);
    }
    Draw(kept.dc(), inking, Placed(shape, {100, 100}), 1, step);  // the stamp kept
    Draw(kept.dc(), inking, Placed(shape, {kFar, 40}), kCopies, step);
    DrawAfresh(afresh.dc(), inking, Placed(shape, {kFar, 40}), kCopies, step);
    EXPECT_EQ(kept.Pixels(), afresh.Pixels());
    int shown = 0;  // of the last copy, whose figure was cut 12 pixels in
    for (int y = 34; y < 64; ++y)
        for (int x = 16; x < 50; ++x) shown += afresh.At(x, y) != kWhite ? 1 : 0;
    EXPECT_GT(shown, 0);
}

}  // namespace
}  // namespace ql::gfx
