// Shapes, fills and blits whose corners lie near the ends of the 32-bit range,
// given directly or reached through a large scale: they draw exactly what falls
// on the image and nothing else, and their sizes never overflow.
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "platform/tests/gfx/gfx_canvas.h"

namespace ql::gfx {
namespace {

using testing::Canvas;

constexpr int32_t kLowest = std::numeric_limits<int32_t>::min();
constexpr int32_t kHighest = std::numeric_limits<int32_t>::max();
constexpr Rect kEverything{kLowest, kLowest, kHighest, kHighest};
constexpr int kSide = 8;
constexpr Colour kRed = Rgb(255, 0, 0);
constexpr Colour kBlue = Rgb(0, 0, 255);

// Spans wider than 2^31 saturate instead of wrapping to negative sizes.
TEST(GfxFarCoordinates, RectangleSpansSaturate) {
    EXPECT_EQ(kEverything.Width(), kHighest);
    EXPECT_EQ((Rect{kHighest, 0, kLowest, 0}).Width(), kLowest);
    EXPECT_EQ((Rect{-5, -7, 5, 7}).Height(), 14);
}

// A rectangle and a pattern blit over the whole range cover every pixel.
TEST(GfxFarCoordinates, BoxesOverTheWholeRangeCoverTheImage) {
    Canvas c(kSide, kSide);
    SelectObject(c.dc(), GetStockBrush(StockBrush::Black));
    SelectObject(c.dc(), GetStockPen(StockPen::Null));
    EXPECT_TRUE(Rectangle(c.dc(), kEverything));
    EXPECT_EQ(c.CountOf(kBlack), kSide * kSide);
    SelectObject(c.dc(), GetStockBrush(StockBrush::White));
    EXPECT_TRUE(PatternBlit(c.dc(), kEverything, RasterOp::PatternCopy));
    EXPECT_EQ(c.CountOf(kWhite), kSide * kSide);
}

// A small box blown up by a scale of 2^31 - 1 fills the image as its interior.
TEST(GfxFarCoordinates, HugeScaleFillsTheImage) {
    Canvas c(kSide, kSide);
    SetMapMode(c.dc(), MapMode::Anisotropic);
    SetWindowExtent(c.dc(), Size{1, 1});
    SetViewportExtent(c.dc(), Size{kHighest, kHighest});
    SelectObject(c.dc(), GetStockBrush(StockBrush::Black));
    EXPECT_TRUE(Rectangle(c.dc(), Rect{-5, -5, 5, 5}));
    EXPECT_EQ(c.CountOf(kBlack), kSide * kSide);
}

// A two-pixel source stretched across the whole range: the image lies in the
// right half of the destination, so it takes the right source pixel throughout.
TEST(GfxFarCoordinates, StretchAcrossTheWholeRangeSamplesTheRightHalf) {
    Canvas src(2, 1), dst(kSide, 1);
    SetPixel(src.dc(), Point{0, 0}, kRed);
    SetPixel(src.dc(), Point{1, 0}, kBlue);
    EXPECT_TRUE(StretchBlit(dst.dc(), Rect{kLowest, 0, kHighest, 1}, src.dc(), Rect{0, 0, 2, 1},
                            RasterOp::SourceCopy));
    EXPECT_EQ(dst.CountOf(kBlue), kSide);
}

// A source row whose every pixel has its own colour: pixel x is red x.
std::unique_ptr<Canvas> GradientRow(int width) {
    auto row = std::make_unique<Canvas>(width, 1);
    for (int x = 0; x < width; ++x) SetPixel(row->dc(), Point{x, 0}, Rgb(static_cast<uint8_t>(x), 0, 0));
    return row;
}

// An unstretched copy is exact however far its boxes reach beyond the image:
// destination pixel x reads source pixel x + 50 in each case.
TEST(GfxFarCoordinates, UnstretchedCopyFarAwayKeepsItsOffset) {
    constexpr int kShift = 50;
    std::unique_ptr<Canvas> src = GradientRow(kSide + kShift);
    auto expectShifted = [&](const Canvas& dst, const char* what) {
        for (int x = 0; x < kSide; ++x) EXPECT_EQ(dst.At(x, 0), Rgb(x + kShift, 0, 0)) << what << ", x " << x;
    };
    // Both boxes reach millions of pixels to either side.
    Canvas both(kSide, 1);
    EXPECT_TRUE(BitBlit(both.dc(), Point{-5000000, 0}, Size{10000000, 1}, src->dc(), Point{-4999950, 0},
                        RasterOp::SourceCopy));
    expectShifted(both, "both sides far");
    // The boxes start near the image and end far to the right.
    Canvas right(kSide, 1);
    EXPECT_TRUE(BitBlit(right.dc(), Point{-10, 0}, Size{5000000, 1}, src->dc(), Point{kShift - 10, 0},
                        RasterOp::SourceCopy));
    expectShifted(right, "far end only");
    // The same size given as two rectangles, the destination through a scale of
    // one with a far window origin.
    Canvas mapped(kSide, 1);
    SetMapMode(mapped.dc(), MapMode::Anisotropic);
    SetWindowOrigin(mapped.dc(), Point{-2000000000, 0});
    EXPECT_TRUE(StretchBlit(mapped.dc(), Rect{-2000000000 - 6000000, 0, -2000000000 + 6000000, 1}, src->dc(),
                            Rect{kShift - 6000000, 0, kShift + 6000000, 1}, RasterOp::SourceCopy));
    expectShifted(mapped, "through a mapping");
    // The source's far corner would pass 2^31 (its origin is moved there by its
    // window origin): both boxes lose the same far part and stay the same size.
    Canvas end(kSide, 1);
    SetWindowOrigin(src->dc(), Point{2000000000, 0});
    EXPECT_TRUE(BitBlit(end.dc(), Point{-5, 0}, Size{kHighest, 1}, src->dc(), Point{2000000000 + kShift - 5, 0},
                        RasterOp::SourceCopy));
    expectShifted(end, "at the end of the range");
}

// A copy mirrored across millions of pixels keeps its exact mirror line:
// destination pixel x reads source pixel 49 - x.
TEST(GfxFarCoordinates, MirroredCopyFarAwayKeepsItsMirrorLine) {
    std::unique_ptr<Canvas> src = GradientRow(64);
    Canvas dst(kSide, 1);
    EXPECT_TRUE(StretchBlit(dst.dc(), Rect{5000000, 0, -5000000, 1}, src->dc(), Rect{-4999950, 0, 5000050, 1},
                            RasterOp::SourceCopy));
    for (int x = 0; x < kSide; ++x) EXPECT_EQ(dst.At(x, 0), Rgb(49 - x, 0, 0)) << "x " << x;
}

// A blit whose far corner would pass 2^31 is cut there and lands off the image.
TEST(GfxFarCoordinates, BlitAtTheEndOfTheRangeChangesNothing) {
    Canvas src(4, 4), dst(kSide, kSide);
    src.Fill(kRed);
    EXPECT_TRUE(BitBlit(dst.dc(), Point{kHighest - 2, 0}, Size{10, 10}, src.dc(), Point{0, 0},
                        RasterOp::SourceCopy));
    EXPECT_EQ(dst.CountOf(kWhite), kSide * kSide);
    // Read from that far: nothing of the source lies there, nothing is copied.
    EXPECT_TRUE(BitBlit(dst.dc(), Point{0, 0}, Size{4, 4}, src.dc(), Point{kHighest - 2, 0},
                        RasterOp::SourceCopy));
    EXPECT_EQ(dst.CountOf(kWhite), kSide * kSide);
}

}  // namespace
}  // namespace ql::gfx
