// Pen and brush ink on images, checked pixel by pixel: where lines and shapes
// land (last point excluded, pen widths), XOR ink drawn twice erasing itself,
// clipping, fill modes, hatch gaps, dashes and flood fill.
#include <gtest/gtest.h>

#include <vector>

#include "platform/tests/gfx/gfx_canvas.h"

namespace ql::gfx {
namespace {

using testing::Canvas;
using Pixels = std::vector<std::string>;

constexpr Colour kRed = Rgb(255, 0, 0);
constexpr Colour kFeedback = Rgb(0x7F, 0x7F, 0x00);

void Line(DcHandle dc, Point a, Point b) {
    MoveTo(dc, a);
    LineTo(dc, b);
}

// A one-pixel line covers its first point and stops before its last.
TEST(GfxLines, LineExcludesItsLastPoint) {
    Canvas c(12, 6);
    Line(c.dc(), Point{2, 3}, Point{6, 3});
    EXPECT_EQ(c.PixelsOf(kBlack), (Pixels{"2,3", "3,3", "4,3", "5,3"}));
    EXPECT_EQ(GetCurrentPosition(c.dc()), (Point{6, 3}));
}

// Lines running left or up land on the same pixels as the mirrored run, shifted by one.
TEST(GfxLines, ReversedAndDiagonalLinesStepOnePixelPerColumn) {
    Canvas c(12, 12);
    Line(c.dc(), Point{6, 1}, Point{2, 1});
    EXPECT_EQ(c.PixelsOf(kBlack), (Pixels{"3,1", "4,1", "5,1", "6,1"}));
    c.Fill(kWhite);
    Line(c.dc(), Point{0, 0}, Point{4, 2});
    EXPECT_EQ(c.PixelsOf(kBlack), (Pixels{"0,0", "1,1", "2,1", "3,2"}));
}

// Lines from far outside the image land on the same pixels as their visible part.
TEST(GfxLines, FarEndpointsDrawOnlyTheVisiblePart) {
    Canvas c(10, 10);
    Line(c.dc(), Point{-2000000000, 5}, Point{4, 5});
    EXPECT_EQ(c.PixelsOf(kBlack), (Pixels{"0,5", "1,5", "2,5", "3,5"}));
    c.Fill(kWhite);
    Line(c.dc(), Point{-2000000000, -2000000000}, Point{2000000000, 2000000000});
    EXPECT_EQ(c.CountOf(kBlack), 10);
    EXPECT_EQ(c.At(7, 7), kBlack);
    c.Fill(kWhite);
    // A triangle whose long edge runs along x + y = 9 across the image.
    Point far[] = {{-2100000000, 2100000009}, {2100000000, -2099999991}, {2100000000, 2100000000}};
    SelectObject(c.dc(), GetStockBrush(StockBrush::Black));
    Polygon(c.dc(), far, 3);
    EXPECT_EQ(c.At(8, 8), kBlack);
    EXPECT_EQ(c.At(0, 9), kBlack);  // on the edge
    EXPECT_EQ(c.At(1, 1), kWhite);
}

// Pen widths are logical: at 4 pixels per unit a width-1 pen is 4 pixels thick.
TEST(GfxLines, PenWidthScalesWithTheMapping) {
    Canvas c(40, 40);
    SetMapMode(c.dc(), MapMode::Anisotropic);
    SetWindowExtent(c.dc(), Size{1, 1});
    SetViewportExtent(c.dc(), Size{4, 4});
    PenHandle pen = CreatePen(PenStyle::Solid, 1, kBlack);
    SelectObject(c.dc(), pen);
    Line(c.dc(), Point{2, 5}, Point{8, 5});
    int thickness = 0;
    for (int y = 0; y < 40; ++y) thickness += c.At(16, y) == kBlack;
    EXPECT_EQ(thickness, 4);
    DeleteObject(pen);
}

// An XOR line drawn twice leaves every pixel as it was, for thin, wide and dashed pens.
TEST(GfxXor, LineDrawnTwiceRestoresEveryPixel) {
    Canvas c(64, 64);
    BrushHandle stripes = CreateHatchBrush(HatchStyle::DiagonalCross, Rgb(10, 200, 30));
    SelectObject(c.dc(), stripes);
    PatternBlit(c.dc(), Rect{0, 0, 64, 64}, 0x00F00021);
    std::vector<Colour> before = c.Pixels();
    SetRop2(c.dc(), Rop2::XorPen);
    for (PenStyle style : {PenStyle::Solid, PenStyle::Dot, PenStyle::DashDot}) {
        for (int width : {0, 5}) {
            PenHandle pen = CreatePen(style, width, kFeedback);
            SelectObject(c.dc(), pen);
            Point pts[] = {{3, 60}, {40, 7}, {61, 50}, {3, 60}};
            Polyline(c.dc(), pts, 4);
            EXPECT_NE(c.Pixels(), before);
            Polyline(c.dc(), pts, 4);
            EXPECT_EQ(c.Pixels(), before) << "style " << int(style) << " width " << width;
            SelectObject(c.dc(), GetStockPen(StockPen::Black));
            DeleteObject(pen);
        }
    }
    DeleteObject(stripes);
}

// XOR shapes (outline and interior together) also erase themselves exactly.
TEST(GfxXor, FilledShapesDrawnTwiceRestoreEveryPixel) {
    Canvas c(50, 50);
    c.Fill(Rgb(30, 60, 90));
    std::vector<Colour> before = c.Pixels();
    SetRop2(c.dc(), Rop2::XorPen);
    PenHandle pen = CreatePen(PenStyle::Solid, 0, kFeedback);
    BrushHandle brush = CreateSolidBrush(Rgb(0, 0, 0x7F));
    SelectObject(c.dc(), pen);
    SelectObject(c.dc(), brush);
    for (int pass = 0; pass < 2; ++pass) {
        Ellipse(c.dc(), Rect{2, 3, 30, 40});
        Rectangle(c.dc(), Rect{10, 10, 45, 30});
        RoundRect(c.dc(), Rect{5, 30, 48, 48}, Size{10, 8});
        Point star[] = {{25, 2}, {32, 45}, {2, 15}, {48, 15}, {18, 45}};
        Polygon(c.dc(), star, 5);
    }
    EXPECT_EQ(c.Pixels(), before);
    DeleteObject(pen);
    DeleteObject(brush);
}

// XOR of the feedback pen over white gives the complementary colour.
TEST(GfxXor, XorPenCombinesWithThePixelBelow) {
    Canvas c(8, 3);
    PenHandle pen = CreatePen(PenStyle::Solid, 0, kFeedback);
    SelectObject(c.dc(), pen);
    SetRop2(c.dc(), Rop2::XorPen);
    Line(c.dc(), Point{0, 1}, Point{4, 1});
    EXPECT_EQ(c.At(1, 1), Rgb(0x80, 0x80, 0xFF));
    DeleteObject(pen);
}

// Rectangle: pen border on left..right-1, brush inside; with no pen one pixel less.
TEST(GfxShapes, RectangleOutlineAndInterior) {
    Canvas c(10, 10);
    BrushHandle red = CreateSolidBrush(kRed);
    SelectObject(c.dc(), red);
    Rectangle(c.dc(), Rect{1, 1, 5, 4});
    EXPECT_EQ(c.PixelsOf(kRed), (Pixels{"2,2", "3,2"}));
    EXPECT_EQ(c.CountOf(kBlack), 10);
    EXPECT_EQ(c.At(4, 3), kBlack);
    EXPECT_EQ(c.At(5, 4), kWhite);
    c.Fill(kWhite);
    SelectObject(c.dc(), GetStockPen(StockPen::Null));
    Rectangle(c.dc(), Rect{1, 1, 5, 4});
    EXPECT_EQ(c.PixelsOf(kRed), (Pixels{"1,1", "2,1", "3,1", "1,2", "2,2", "3,2"}));
    DeleteObject(red);
}

// FillRect covers the whole rectangle and ignores the pen and the raster operation.
TEST(GfxShapes, FillRectCoversLeftToRightMinusOne) {
    Canvas c(6, 6);
    SetRop2(c.dc(), Rop2::XorPen);
    FillRect(c.dc(), Rect{1, 2, 3, 4}, GetStockBrush(StockBrush::Black));
    EXPECT_EQ(c.PixelsOf(kBlack), (Pixels{"1,2", "2,2", "1,3", "2,3"}));
}

// Alternate leaves the middle of a five-point star empty; winding fills it.
TEST(GfxShapes, FillModesDecideTheStarCentre) {
    Canvas c(60, 60);
    SelectObject(c.dc(), GetStockPen(StockPen::Null));
    SelectObject(c.dc(), GetStockBrush(StockBrush::Black));
    Point star[] = {{30, 2}, {47, 55}, {2, 20}, {58, 20}, {13, 55}};
    Polygon(c.dc(), star, 5);
    EXPECT_EQ(c.At(30, 30), kWhite);
    EXPECT_EQ(c.At(30, 8), kBlack);
    SetFillMode(c.dc(), FillMode::Winding);
    Polygon(c.dc(), star, 5);
    EXPECT_EQ(c.At(30, 30), kBlack);
}

// Clip rectangles (in logical units) and a paint context's invalid area bound all ink.
TEST(GfxClip, InkStaysInsideTheClip) {
    Canvas c(20, 20);
    SetMapMode(c.dc(), MapMode::Anisotropic);
    SetWindowExtent(c.dc(), Size{2, 2});
    SetViewportExtent(c.dc(), Size{1, 1});
    IntersectClipRect(c.dc(), Rect{10, 10, 20, 20});  // device 5..9
    FillRect(c.dc(), Rect{0, 0, 40, 40}, GetStockBrush(StockBrush::Black));
    EXPECT_EQ(c.CountOf(kBlack), 25);
    EXPECT_EQ(c.At(5, 5), kBlack);
    EXPECT_EQ(c.At(10, 10), kWhite);
    EXPECT_EQ(GetClipBox(c.dc()), (Rect{10, 10, 20, 20}));

    DcHandle paint = CreatePaintContext(c.image(), Rect{0, 0, 3, 2});
    FillRect(paint, Rect{0, 0, 20, 20}, GetStockBrush(StockBrush::Grey));
    EXPECT_EQ(c.CountOf(kGrey), 6);
    EXPECT_EQ(GetPixel(paint, Point{5, 5}), kInvalidColour);
    ReleaseContext(paint);
}

// Hatch gaps take the background colour when opaque and are left alone when transparent.
TEST(GfxBrushes, HatchGapsFollowTheBackgroundMode) {
    Canvas c(16, 16);
    c.Fill(kRed);
    BrushHandle hatch = CreateHatchBrush(HatchStyle::Horizontal, kBlack);
    SetBackgroundColour(c.dc(), kWhite);
    SetBackgroundMode(c.dc(), BackgroundMode::Transparent);
    FillRect(c.dc(), Rect{0, 0, 16, 16}, hatch);
    EXPECT_EQ(c.At(3, 0), kBlack);
    EXPECT_EQ(c.At(3, 1), kRed);
    EXPECT_EQ(c.At(3, 8), kBlack);
    SetBackgroundMode(c.dc(), BackgroundMode::Opaque);
    FillRect(c.dc(), Rect{0, 0, 16, 16}, hatch);
    EXPECT_EQ(c.At(3, 1), kWhite);
    DeleteObject(hatch);
}

// A dotted line leaves gaps; a solid one of the same length does not.
TEST(GfxLines, DottedPenLeavesGaps) {
    Canvas c(40, 3);
    PenHandle dot = CreatePen(PenStyle::Dot, 0, kBlack);
    SelectObject(c.dc(), dot);
    Line(c.dc(), Point{0, 1}, Point{30, 1});
    int inked = c.CountOf(kBlack);
    EXPECT_GT(inked, 10);
    EXPECT_LT(inked, 20);
    EXPECT_EQ(c.At(0, 1), kBlack);
    DeleteObject(dot);
}

// Flood fill stops at the border colour and reports a start on the border as nothing done.
TEST(GfxFlood, BorderFillStaysInsideTheOutline) {
    Canvas c(20, 20);
    Rectangle(c.dc(), Rect{2, 2, 12, 12});  // black border, white inside
    BrushHandle red = CreateSolidBrush(kRed);
    SelectObject(c.dc(), red);
    ASSERT_TRUE(FloodFill(c.dc(), Point{5, 5}, kBlack, FloodMode::Border));
    EXPECT_EQ(c.CountOf(kRed), 8 * 8);
    EXPECT_EQ(c.At(15, 15), kWhite);
    EXPECT_FALSE(FloodFill(c.dc(), Point{2, 2}, kBlack, FloodMode::Border));
    ASSERT_TRUE(FloodFill(c.dc(), Point{15, 15}, kWhite, FloodMode::Surface));
    EXPECT_EQ(c.CountOf(kWhite), 0);
    DeleteObject(red);
}

// Ink on a monochrome bitmap becomes black or white by brightness.
TEST(GfxMonochrome, InkBecomesBlackOrWhite) {
    DcHandle mem = CreateMemoryContext(DcHandle{});
    BitmapHandle mono = CreateMonochromeBitmap(8, 2);
    SelectObject(mem, mono);
    FillRect(mem, Rect{0, 0, 4, 2}, GetStockBrush(StockBrush::LightGrey));
    FillRect(mem, Rect{4, 0, 8, 2}, GetStockBrush(StockBrush::DarkGrey));
    EXPECT_EQ(GetBitmapPixel(mono, 1, 1), kWhite);
    EXPECT_EQ(GetBitmapPixel(mono, 5, 1), kBlack);
    DeleteContext(mem);
    DeleteObject(mono);
}

}  // namespace
}  // namespace ql::gfx
