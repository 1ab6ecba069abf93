// Ink written straight into runs of pixels: one-pixel lines along an axis, box
// interiors and shape interiors scanned row by row. Checked against the rules
// every ink follows: the clip bounds it, each raster operation gives its truth
// table bit by bit, a shape covers exactly its area, and XOR combines every
// pixel of a self-crossing line once.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/tests/gfx/gfx_canvas.h"

namespace ql::gfx {
namespace {

using testing::Canvas;
using Pixels = std::vector<std::string>;

constexpr int kPatternSide = 40;
constexpr Colour kPen = Rgb(0x5A, 0xC3, 0x0F);
constexpr int kColourBits = 24;
constexpr int kFirstRop = 1;
constexpr int kLastRop = 16;

void Line(DcHandle dc, Point a, Point b) {
    MoveTo(dc, a);
    LineTo(dc, b);
}

// A colour that differs from pixel to pixel in every channel.
Colour PatternAt(int x, int y) {
    return Rgb(static_cast<uint8_t>(x * 6 + y), static_cast<uint8_t>(255 - y * 5 + x),
               static_cast<uint8_t>((x * 37 + y * 11) & 0xFF));
}

void PaintPattern(DcHandle dc) {
    for (int y = 0; y < kPatternSide; ++y)
        for (int x = 0; x < kPatternSide; ++x) SetPixel(dc, Point{x, y}, PatternAt(x, y));
}

// The raster operation by its definition: value - 1 is the truth table, bit
// ((pen << 1) | destination) of it gives each result bit.
Colour ByTruthTable(int rop, Colour pen, Colour destination) {
    uint32_t table = static_cast<uint32_t>(rop - 1), out = 0;
    for (int bit = 0; bit < kColourBits; ++bit) {
        uint32_t p = (pen >> bit) & 1, d = (destination >> bit) & 1;
        out |= ((table >> ((p << 1) | d)) & 1) << bit;
    }
    return out;
}

// Draws `shape` with every raster operation over the pattern; pixels inside
// `covered` must follow the truth table with `ink`, all others stay as they were.
void ExpectTruthTables(const std::function<void(DcHandle)>& shape, Rect covered, Colour ink) {
    Canvas c(kPatternSide, kPatternSide);
    for (int rop = kFirstRop; rop <= kLastRop; ++rop) {
        PaintPattern(c.dc());
        SetRop2(c.dc(), static_cast<Rop2>(rop));
        shape(c.dc());
        int wrong = 0;
        for (int y = 0; y < kPatternSide; ++y)
            for (int x = 0; x < kPatternSide; ++x) {
                Colour before = PatternAt(x, y);
                Colour want = covered.Contains(Point{x, y}) ? ByTruthTable(rop, ink, before) : before;
                wrong += c.At(x, y) != want;
            }
        EXPECT_EQ(wrong, 0) << "raster operation " << rop;
    }
}

// Horizontal and vertical lines stop at the clip's edges whichever way they run,
// and a line inside the clip keeps its own ends (the last point excluded).
TEST(GfxPixelRuns, AxisLinesStopAtTheClipEdgesWhicheverWayTheyRun) {
    Canvas c(50, 50);
    SetClipRect(c.dc(), Rect{10, 10, 30, 30});
    Line(c.dc(), Point{0, 15}, Point{50, 15});
    Line(c.dc(), Point{50, 16}, Point{0, 16});
    Line(c.dc(), Point{15, 0}, Point{15, 50});
    Line(c.dc(), Point{16, 50}, Point{16, 0});
    Pixels black = c.PixelsOf(kBlack);
    EXPECT_EQ(black.size(), 4u * 20 - 4);  // four runs of 20 crossing in four pixels
    for (int i = 10; i < 30; ++i) {
        EXPECT_EQ(c.At(i, 15), kBlack) << i;
        EXPECT_EQ(c.At(16, i), kBlack) << i;
    }
    EXPECT_EQ(c.At(9, 15), kWhite);
    EXPECT_EQ(c.At(30, 16), kWhite);
    EXPECT_EQ(c.At(15, 9), kWhite);
    EXPECT_EQ(c.At(16, 30), kWhite);

    c.Fill(kWhite);
    Line(c.dc(), Point{20, 20}, Point{25, 20});
    Line(c.dc(), Point{25, 21}, Point{20, 21});
    Line(c.dc(), Point{12, 22}, Point{12, 22});  // no length, no pixel
    EXPECT_EQ(c.PixelsOf(kBlack), (Pixels{"20,20", "21,20", "22,20", "23,20", "24,20", "21,21", "22,21",
                                          "23,21", "24,21", "25,21"}));
}

// A line along the clip's last row or column is drawn; one just outside is not.
TEST(GfxPixelRuns, LinesOnTheClipBorderAreInsideAndJustBeyondAreOutside) {
    Canvas c(20, 20);
    SetClipRect(c.dc(), Rect{5, 5, 15, 15});
    Line(c.dc(), Point{0, 14}, Point{20, 14});
    Line(c.dc(), Point{0, 15}, Point{20, 15});
    Line(c.dc(), Point{4, 0}, Point{4, 20});
    Line(c.dc(), Point{5, 0}, Point{5, 20});
    EXPECT_EQ(c.CountOf(kBlack), 10 + 10 - 1);
    EXPECT_EQ(c.At(14, 14), kBlack);
    EXPECT_EQ(c.At(5, 5), kBlack);
    EXPECT_EQ(c.At(10, 15), kWhite);
    EXPECT_EQ(c.At(4, 10), kWhite);
}

// Every raster operation of a horizontal and of a vertical one-pixel line gives
// its truth table on every pixel below it.
TEST(GfxPixelRuns, LinesFollowEveryRasterOperationsTruthTable) {
    PenHandle pen = CreatePen(PenStyle::Solid, 0, kPen);
    auto horizontal = [pen](DcHandle dc) {
        SelectObject(dc, pen);
        Line(dc, Point{2, 5}, Point{38, 5});
    };
    ExpectTruthTables(horizontal, Rect{2, 5, 38, 6}, kPen);
    auto vertical = [pen](DcHandle dc) {
        SelectObject(dc, pen);
        Line(dc, Point{7, 38}, Point{7, 2});
    };
    ExpectTruthTables(vertical, Rect{7, 3, 8, 39}, kPen);
    auto diagonal = [pen](DcHandle dc) {
        SelectObject(dc, pen);
        Line(dc, Point{0, 0}, Point{1, 1});  // a single pixel by the stepping path
    };
    ExpectTruthTables(diagonal, Rect{0, 0, 1, 1}, kPen);
    DeleteObject(pen);
}

// Box interiors (a rectangle without a pen) and polygon interiors follow every
// raster operation's truth table with the brush colour.
TEST(GfxPixelRuns, InteriorsFollowEveryRasterOperationsTruthTable) {
    BrushHandle brush = CreateSolidBrush(kPen);
    auto box = [brush](DcHandle dc) {
        SelectObject(dc, brush);
        SelectObject(dc, GetStockPen(StockPen::Null));
        Rectangle(dc, Rect{10, 10, 30, 30});
    };
    ExpectTruthTables(box, Rect{10, 10, 29, 29}, kPen);
    auto polygon = [brush](DcHandle dc) {
        SelectObject(dc, brush);
        SelectObject(dc, GetStockPen(StockPen::Null));
        Point corners[] = {{3, 12}, {37, 12}, {37, 28}, {3, 28}};
        Polygon(dc, corners, 4);
    };
    ExpectTruthTables(polygon, Rect{3, 12, 37, 28}, kPen);
    DeleteObject(brush);
}

// A filled polygon covers exactly its area whatever its width and its offset in
// the row (interiors are scanned several pixels at a time).
TEST(GfxPixelRuns, InteriorsCoverTheirAreaAtEveryWidthAndOffset) {
    Canvas c(40, 6);
    SelectObject(c.dc(), GetStockBrush(StockBrush::Black));
    SelectObject(c.dc(), GetStockPen(StockPen::Null));
    for (int width = 1; width <= 20; ++width)
        for (int left = 0; left < 10; ++left) {
            c.Fill(kWhite);
            Point corners[] = {{left, 1}, {left + width, 1}, {left + width, 4}, {left, 4}};
            Polygon(c.dc(), corners, 4);
            int outside = 0, inside = 0;
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 40; ++x) {
                    bool in = x >= left && x < left + width && y >= 1 && y < 4;
                    (in ? inside : outside) += (c.At(x, y) == kBlack) == in ? 0 : 1;
                }
            EXPECT_EQ(inside + outside, 0) << "width " << width << " left " << left;
        }
}

// An XOR polyline that crosses itself inverts every pixel it covers once: its
// ink is the union of its segments drawn one by one, small or spread wide.
TEST(GfxPixelRuns, SelfCrossingXorPolylineInvertsEachPixelOnce) {
    const std::vector<std::vector<Point>> shapes = {
        {{2, 2}, {30, 30}, {30, 2}, {2, 30}, {2, 2}},             // small: crossings close together
        {{1, 1}, {598, 398}, {598, 1}, {1, 398}, {300, 1}, {1, 1}},  // wide: few pixels in a large box
    };
    for (const std::vector<Point>& points : shapes) {
        Canvas xorCanvas(600, 400), segments(600, 400);
        SetRop2(xorCanvas.dc(), Rop2::XorPen);
        SelectObject(xorCanvas.dc(), GetStockPen(StockPen::White));
        Polyline(xorCanvas.dc(), points.data(), static_cast<int>(points.size()));
        for (size_t i = 1; i < points.size(); ++i) Line(segments.dc(), points[i - 1], points[i]);
        EXPECT_EQ(xorCanvas.PixelsOf(kBlack), segments.PixelsOf(kBlack)) << points.size() << " points";
        Polyline(xorCanvas.dc(), points.data(), static_cast<int>(points.size()));
        EXPECT_EQ(xorCanvas.CountOf(kWhite), 600 * 400);
    }
}

// A one-pixel polyline in copy ink goes straight into the pixels, the others
// through a mask of its pixels. On black, OR ink leaves the pen's pixel wherever
// the mask has one, so both must give the same pixels: for seeded polylines that
// cross themselves, run beyond the image or far beyond it, with every dashed pen
// and a clip.
TEST(GfxPixelRuns, CopyPolylinesCoverTheirMasksPixels) {
    std::mt19937 random(55);
    auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    constexpr int kSide = 90;
    const PenStyle styles[] = {PenStyle::Solid, PenStyle::Dash, PenStyle::Dot, PenStyle::DashDot, PenStyle::DashDotDot};
    for (int round = 0; round < 200; ++round) {
        const PenStyle style = styles[pick(0, std::size(styles) - 1)];
        std::vector<Point> points;
        const int count = pick(2, 8);
        const int reach = round % 10 == 0 ? 300000 : 120;
        for (int i = 0; i < count; ++i) points.push_back(Point{pick(-reach, reach), pick(-reach, reach)});
        const bool clipped = round % 3 == 0;
        SCOPED_TRACE(::testing::Message() << "round " << round);
        PenHandle pen = CreatePen(style, 0, kPen);
        {
            Canvas copied(kSide, kSide), merged(kSide, kSide);
            for (const Canvas* c : {&copied, &merged}) {
                c->Fill(kBlack);
                SelectObject(c->dc(), pen);
                if (clipped) IntersectClipRect(c->dc(), Rect{10, 15, 70, 80});
            }
            SetRop2(merged.dc(), Rop2::MergePen);
            Polyline(copied.dc(), points.data(), count);
            Polyline(merged.dc(), points.data(), count);
            EXPECT_EQ(copied.PixelsOf(kPen), merged.PixelsOf(kPen));
            EXPECT_EQ(copied.CountOf(kPen) + copied.CountOf(kBlack), kSide * kSide);
        }
        DeleteObject(pen);
    }
}

// A rectangle with a pen and a brush, drawn twice with XOR, restores every pixel:
// the border and the box interior never combine a pixel twice.
TEST(GfxPixelRuns, XorRectangleWithPenAndBrushErasesItself) {
    Canvas c(60, 40);
    PaintPattern(c.dc());
    std::vector<Colour> before = c.Pixels();
    SetRop2(c.dc(), Rop2::XorPen);
    PenHandle pen = CreatePen(PenStyle::Solid, 0, kPen);
    SelectObject(c.dc(), pen);
    SelectObject(c.dc(), GetStockBrush(StockBrush::Grey));
    Rectangle(c.dc(), Rect{5, 5, 35, 25});
    EXPECT_NE(c.Pixels(), before);
    Rectangle(c.dc(), Rect{5, 5, 35, 25});
    EXPECT_EQ(c.Pixels(), before);
    DeleteObject(pen);
}

}  // namespace
}  // namespace ql::gfx
