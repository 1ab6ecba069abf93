// Blits on pixels: the XNOR glyph blit on white and on black, NOT-source copy,
// OR and AND, pattern copy, stretching and mirroring, the colour rules between
// monochrome and colour images, and blits within one image that overlap.
#include <gtest/gtest.h>

#include "platform/tests/gfx/gfx_canvas.h"

namespace ql::gfx {
namespace {

using testing::Canvas;

constexpr Colour kRed = Rgb(255, 0, 0);
constexpr Colour kBlue = Rgb(0, 0, 255);

// A 4x4 monochrome "glyph": a black 2x2 square in the middle of white.
class GlyphBitmap {
public:
    GlyphBitmap() {
        // Rows padded to 16 bits; 1 = white. Columns 1 and 2 black on rows 1 and 2.
        const uint8_t bits[] = {0xF0, 0, 0x90, 0, 0x90, 0, 0xF0, 0};
        bitmap_ = CreateMonochromeBitmap(4, 4, bits);
        dc_ = CreateMemoryContext(DcHandle{});
        SelectObject(dc_, bitmap_);
    }
    ~GlyphBitmap() {
        DeleteContext(dc_);
        DeleteObject(bitmap_);
    }
    DcHandle dc() const { return dc_; }

private:
    BitmapHandle bitmap_;
    DcHandle dc_;
};

// XNOR of a black glyph onto white draws the glyph black and leaves white alone.
TEST(GfxXnorBlit, BlackGlyphOntoWhiteDrawsTheGlyph) {
    Canvas c(6, 6);
    GlyphBitmap glyph;
    ASSERT_TRUE(BitBlit(c.dc(), Point{1, 1}, Size{4, 4}, glyph.dc(), Point{0, 0}, RasterOp::DestXnorSource));
    EXPECT_EQ(c.PixelsOf(kBlack), (std::vector<std::string>{"2,2", "3,2", "2,3", "3,3"}));
}

// XNOR of the same glyph onto black draws it white and keeps the black.
TEST(GfxXnorBlit, BlackGlyphOntoBlackInvertsTheGlyph) {
    Canvas c(6, 6);
    c.Fill(kBlack);
    GlyphBitmap glyph;
    BitBlit(c.dc(), Point{1, 1}, Size{4, 4}, glyph.dc(), Point{0, 0}, RasterOp::DestXnorSource);
    EXPECT_EQ(c.PixelsOf(kWhite), (std::vector<std::string>{"2,2", "3,2", "2,3", "3,3"}));
}

// Not-source copy inverts every source pixel, colour by colour.
TEST(GfxBlit, NotSourceCopyInverts) {
    Canvas src(2, 1), dst(2, 1);
    SetPixel(src.dc(), Point{0, 0}, Rgb(10, 20, 30));
    SetPixel(src.dc(), Point{1, 0}, kWhite);
    BitBlit(dst.dc(), Point{0, 0}, Size{2, 1}, src.dc(), Point{0, 0}, RasterOp::NotSourceCopy);
    EXPECT_EQ(dst.At(0, 0), Rgb(245, 235, 225));
    EXPECT_EQ(dst.At(1, 0), kBlack);
}

// Source paint ORs and source AND ANDs the colour bits.
TEST(GfxBlit, SourcePaintOrsAndSourceAndAnds) {
    Canvas src(1, 1), dst(2, 1);
    SetPixel(src.dc(), Point{0, 0}, kRed);
    dst.Fill(kBlue);
    BitBlit(dst.dc(), Point{0, 0}, Size{1, 1}, src.dc(), Point{0, 0}, RasterOp::SourcePaint);
    BitBlit(dst.dc(), Point{1, 0}, Size{1, 1}, src.dc(), Point{0, 0}, RasterOp::SourceAnd);
    EXPECT_EQ(dst.At(0, 0), Rgb(255, 0, 255));
    EXPECT_EQ(dst.At(1, 0), kBlack);
}

// Pattern copy fills with the selected brush and needs no source.
TEST(GfxBlit, PatternCopyPaintsTheBrush) {
    Canvas c(4, 4);
    BrushHandle red = CreateSolidBrush(kRed);
    SelectObject(c.dc(), red);
    EXPECT_TRUE(PatternBlit(c.dc(), Rect{1, 1, 3, 3}, RasterOp::PatternCopy));
    EXPECT_EQ(c.CountOf(kRed), 4);
    EXPECT_TRUE(BitBlit(c.dc(), Point{0, 0}, Size{1, 1}, DcHandle{}, Point{}, RasterOp::PatternCopy));
    EXPECT_EQ(c.At(0, 0), kRed);
    EXPECT_FALSE(PatternBlit(c.dc(), Rect{0, 0, 1, 1}, RasterOp::SourceCopy));
    DeleteObject(red);
}

// Stretching doubles each pixel; a negative destination width mirrors.
TEST(GfxStretchBlit, DoublesAndMirrors) {
    Canvas src(2, 1), dst(4, 2);
    SetPixel(src.dc(), Point{0, 0}, kRed);
    SetPixel(src.dc(), Point{1, 0}, kBlue);
    StretchBlit(dst.dc(), Rect{0, 0, 4, 1}, src.dc(), Rect{0, 0, 2, 1}, RasterOp::SourceCopy);
    EXPECT_EQ(dst.At(0, 0), kRed);
    EXPECT_EQ(dst.At(1, 0), kRed);
    EXPECT_EQ(dst.At(2, 0), kBlue);
    EXPECT_EQ(dst.At(3, 0), kBlue);
    StretchBlit(dst.dc(), Rect{2, 1, 0, 2}, src.dc(), Rect{0, 0, 2, 1}, RasterOp::SourceCopy);
    EXPECT_EQ(dst.At(0, 1), kBlue);
    EXPECT_EQ(dst.At(1, 1), kRed);
}

// A blit between contexts with different mappings converts both sides.
TEST(GfxStretchBlit, EachSideUsesItsOwnMapping) {
    Canvas src(2, 2), dst(8, 8);
    SetPixel(src.dc(), Point{1, 1}, kRed);
    SetMapMode(dst.dc(), MapMode::Anisotropic);
    SetWindowExtent(dst.dc(), Size{1, 1});
    SetViewportExtent(dst.dc(), Size{4, 4});
    BitBlit(dst.dc(), Point{0, 0}, Size{2, 2}, src.dc(), Point{0, 0}, RasterOp::SourceCopy);
    EXPECT_EQ(dst.CountOf(kRed), 16);
    EXPECT_EQ(dst.At(4, 4), kRed);
    EXPECT_EQ(dst.At(3, 3), kWhite);
}

// Monochrome to colour: black takes the text colour, white the background colour.
TEST(GfxBlitColours, MonochromeSourceTakesDestinationColours) {
    Canvas c(4, 4);
    GlyphBitmap glyph;
    SetTextColour(c.dc(), kRed);
    SetBackgroundColour(c.dc(), kBlue);
    BitBlit(c.dc(), Point{0, 0}, Size{4, 4}, glyph.dc(), Point{0, 0}, RasterOp::SourceCopy);
    EXPECT_EQ(c.CountOf(kRed), 4);
    EXPECT_EQ(c.CountOf(kBlue), 12);
}

// Colour to monochrome: the source background colour becomes white, the rest black.
TEST(GfxBlitColours, ColourSourceBecomesMonochromeByItsBackground) {
    Canvas src(3, 1);
    SetPixel(src.dc(), Point{0, 0}, kRed);
    SetPixel(src.dc(), Point{1, 0}, Rgb(250, 250, 250));
    SetBackgroundColour(src.dc(), kRed);
    DcHandle mem = CreateMemoryContext(src.dc());
    BitmapHandle mono = CreateCompatibleBitmap(mem, 3, 1);  // a fresh memory context is monochrome
    BitmapInfo info;
    ASSERT_TRUE(GetBitmapInfo(mono, &info));
    EXPECT_TRUE(info.monochrome);
    SelectObject(mem, mono);
    BitBlit(mem, Point{0, 0}, Size{3, 1}, src.dc(), Point{0, 0}, RasterOp::SourceCopy);
    EXPECT_EQ(GetBitmapPixel(mono, 0, 0), kWhite);
    EXPECT_EQ(GetBitmapPixel(mono, 1, 0), kBlack);
    EXPECT_EQ(GetBitmapPixel(mono, 2, 0), kBlack);
    DeleteContext(mem);
    DeleteObject(mono);
}

// A blit within one image that overlaps itself reads the pixels as they were.
TEST(GfxBlit, OverlappingBlitWithinOneImageReadsTheOriginal) {
    Canvas c(4, 1);
    SetPixel(c.dc(), Point{0, 0}, kRed);
    SetPixel(c.dc(), Point{1, 0}, kBlue);
    BitBlit(c.dc(), Point{1, 0}, Size{3, 1}, c.dc(), Point{0, 0}, RasterOp::SourceCopy);
    EXPECT_EQ(c.At(1, 0), kRed);
    EXPECT_EQ(c.At(2, 0), kBlue);
    EXPECT_EQ(c.At(3, 0), kWhite);
}

// Operations are classified by their truth tables.
TEST(GfxRasterOps, SourceAndPatternUseFollowTheTruthTable) {
    EXPECT_TRUE(RasterOpUsesSource(RasterOp::DestXnorSource));
    EXPECT_FALSE(RasterOpUsesPattern(RasterOp::DestXnorSource));
    EXPECT_FALSE(RasterOpUsesSource(RasterOp::PatternInvert));
    EXPECT_TRUE(RasterOpUsesPattern(RasterOp::PatternInvert));
    EXPECT_FALSE(RasterOpUsesSource(RasterOp::Blackness));
}

}  // namespace
}  // namespace ql::gfx
