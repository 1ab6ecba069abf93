// Font metrics in logical units: cell and em heights, character widths, glyph
// outline boxes, extents, widths asked for, symbol codes, and the independence of
// logical metrics from the zoom of the context.
#include "platform/text/text_metrics.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/glyph_run.h"

namespace ql::text {
namespace {

// Owns one font for the length of a test.
class ScopedFont {
  public:
    explicit ScopedFont(std::string_view face, int32_t height, int32_t width = 0,
                        uint8_t charset = 0) {
        LogicalFont request;
        request.SetFace(face);
        request.height = height;
        request.width = width;
        request.charset = charset;
        handle_ = CreateFontIndirect(request);
    }
    ~ScopedFont() { DeleteFont(handle_); }
    FontHandle handle() const { return handle_; }
    SizedFont Sized(DeviceScale scale = {}) const { return SizeFont(*FindFont(handle_), scale); }

  private:
    FontHandle handle_;
};

// A positive height is the cell: ascent + descent add up to it exactly, at every
// height (separately rounded parts would miss by one at some).
TEST(TextMetrics, PositiveHeightIsTheCellHeight) {
    for (int32_t height = 8; height <= 600; height += 7) {
        ScopedFont font("Arial", height);
        TextMetrics tm = MeasureTextMetrics(font.Sized());
        EXPECT_EQ(tm.ascent + tm.descent, height);
        EXPECT_EQ(tm.height, height);
        EXPECT_GT(tm.internalLeading, 0);
    }
}

// A negative height is the em: the cell less the internal leading gives it back.
TEST(TextMetrics, NegativeHeightIsTheEm) {
    for (int32_t height = -8; height >= -600; height -= 7) {
        ScopedFont font("Times New Roman", height);
        TextMetrics tm = MeasureTextMetrics(font.Sized());
        EXPECT_EQ(tm.height - tm.internalLeading, -height);
        EXPECT_EQ(tm.ascent + tm.descent, tm.height);
        EXPECT_GT(tm.height, -height);
    }
}

// A proportional face gives 'i' and 'W' different widths; a monospaced one does not.
TEST(TextMetrics, CharacterWidthsFollowTheFace) {
    ScopedFont sans("Arial", -200);
    SizedFont sized = sans.Sized();
    int32_t i = MeasureGlyphBox(sized, 'i').advance, w = MeasureGlyphBox(sized, 'W').advance;
    EXPECT_LT(2 * i, w);
    ScopedFont mono("Courier New", -200);
    SizedFont monoSized = mono.Sized();
    EXPECT_EQ(MeasureGlyphBox(monoSized, 'i').advance, MeasureGlyphBox(monoSized, 'W').advance);
    EXPECT_TRUE(MeasureTextMetrics(monoSized).fixedPitch);
}

// The ink box of 'H' sits on the baseline, that of 'p' reaches below it, and a
// space has an advance but no ink.
TEST(TextMetrics, GlyphBoxesAreMeasuredFromTheBaseline) {
    ScopedFont font("Arial", -1000);
    SizedFont sized = font.Sized();
    GlyphBox h = MeasureGlyphBox(sized, 'H');
    EXPECT_TRUE(h.hasInk);
    EXPECT_NEAR(h.bottom, 0, 1);
    EXPECT_GT(h.top, 600);  // the cap height of a sans face is about 0.7 em
    EXPECT_LT(h.top, 800);
    EXPECT_GT(h.left, 0);
    EXPECT_LT(h.right, h.advance);
    GlyphBox p = MeasureGlyphBox(sized, 'p');
    EXPECT_LT(p.bottom, -150);
    GlyphBox space = MeasureGlyphBox(sized, ' ');
    EXPECT_FALSE(space.hasInk);
    EXPECT_GT(space.advance, 0);
    EXPECT_EQ(space.Width(), 0);
}

// An extent is the sum of the advances, plus the character extra after each character.
TEST(TextMetrics, ExtentAddsAdvancesAndCharacterExtra) {
    ScopedFont font("Arial", -400);
    SizedFont sized = font.Sized();
    int32_t sum = 0;
    for (char c : std::string("Wall"))
        sum += MeasureGlyphBox(sized, static_cast<uint8_t>(c)).advance;
    gfx::Size extent = MeasureExtentA(sized, "Wall");
    EXPECT_EQ(extent.cx, sum);
    EXPECT_EQ(extent.cy, MeasureTextMetrics(sized).height);
    EXPECT_EQ(MeasureExtentA(sized, "Wall", 10).cx, extent.cx + 40);
    EXPECT_EQ(MeasureExtentW(sized, u"Wall").cx, extent.cx);
    EXPECT_EQ(MeasureExtentA(sized, "").cx, 0);
}

// A width asked for becomes the average character width, and stretches the glyphs.
TEST(TextMetrics, RequestedWidthIsTheAverageCharacterWidth) {
    ScopedFont natural("Arial", -400);
    ScopedFont wide("Arial", -400, 400);
    TextMetrics narrowTm = MeasureTextMetrics(natural.Sized());
    TextMetrics wideTm = MeasureTextMetrics(wide.Sized());
    EXPECT_NEAR(wideTm.averageCharWidth, 400, 1);
    EXPECT_LT(narrowTm.averageCharWidth, 300);
    EXPECT_EQ(wideTm.height, narrowTm.height);
    EXPECT_GT(MeasureGlyphBox(wide.Sized(), 'H').Width(),
              MeasureGlyphBox(natural.Sized(), 'H').Width() * 3 / 2);
}

// Logical metrics do not change with the zoom of the context, and the glyph
// keeps its shape on a device whose pixels are not square.
TEST(TextMetrics, LogicalMetricsDoNotDependOnTheZoom) {
    ScopedFont font("Arial", -512);
    SizedFont small = font.Sized(DeviceScale{2.0 / 128, 2.0 / 128, 1.0});
    SizedFont large = font.Sized(DeviceScale{40.0 / 128, 40.0 / 128, 1.0});
    EXPECT_EQ(MeasureTextMetrics(small).height, MeasureTextMetrics(large).height);
    EXPECT_EQ(MeasureGlyphBox(small, 'W').advance, MeasureGlyphBox(large, 'W').advance);
    SizedFont wideDots = font.Sized(DeviceScale{2.0, 1.0, 2.0});
    EXPECT_DOUBLE_EQ(wideDots.emDeviceX, 2 * wideDots.emDeviceY);
    EXPECT_EQ(MeasureGlyphBox(wideDots, 'W').advance, MeasureGlyphBox(small, 'W').advance);
}

// Code pages choose the glyph: 0xE9 is e-acute in Western text and a Cyrillic letter
// in Russian text; the symbol set reads the byte as a glyph code (NBSP included).
TEST(TextMetrics, CharsetsChooseTheGlyphOfAByte) {
    ScopedFont western("Arial", -100, 0, 0);
    ScopedFont russian("Arial", -100, 0, 204);
    ScopedFont symbol("Arial", -100, 0, 2);
    const Font& w = *FindFont(western.handle());
    EXPECT_EQ(GlyphOfCode(w, 0xE9), w.face->GlyphOfChar(U'\u00E9'));
    EXPECT_EQ(GlyphOfCode(w, 0x80), w.face->GlyphOfChar(U'\u20AC'));
    const Font& r = *FindFont(russian.handle());
    EXPECT_EQ(GlyphOfCode(r, 0xE9), r.face->GlyphOfChar(U'\u0439'));
    const Font& s = *FindFont(symbol.handle());
    EXPECT_EQ(GlyphOfCode(s, 0xA0), s.face->GlyphOfChar(U'\u00A0'));
    EXPECT_NE(GlyphOfCode(s, 0xA0), 0u);
    GlyphRun run = GlyphsOfBytes(s, std::string("\xA0\xAD", 2));
    EXPECT_EQ(run.glyphs.size(), 2u);  // neither is swallowed
}

// The music font reads its codes as glyph codes even when asked for with the
// Western character set: codes the code page would turn into other characters
// (0x80 is the euro there) still find the symbol at that code.
TEST(TextMetrics, MusicFontCodesSurviveTheWesternCodePage) {
    ScopedFont symbol("Glyphora", -512, 0, 2);
    ScopedFont western("Glyphora", -512, 0, 0);
    ASSERT_TRUE(symbol.handle());
    const Font& s = *FindFont(symbol.handle());
    const Font& w = *FindFont(western.handle());
    ASSERT_FALSE(s.match.substituted);
    for (uint32_t code : {0x80u, 0x93u, 0xA0u, 0xADu, 72u}) {
        EXPECT_NE(GlyphOfCode(s, code), 0u) << code;
        EXPECT_EQ(GlyphOfCode(w, code), GlyphOfCode(s, code)) << code;
    }
}

// Measured through a context, values are in its logical units at any mapping.
TEST(TextMetrics, ContextMetricsUseTheSelectedFont) {
    gfx::DcHandle dc = gfx::CreateMemoryContext(gfx::DcHandle{});
    ASSERT_TRUE(dc);
    ScopedFont font("Arial", -512);
    gfx::SelectObject(dc, font.handle());
    gfx::SetMapMode(dc, gfx::MapMode::Anisotropic);
    gfx::SetWindowExtent(dc, gfx::Size{128, 128});
    gfx::SetViewportExtent(dc, gfx::Size{16, 16});
    TextMetrics tm;
    ASSERT_TRUE(GetTextMetrics(dc, &tm));
    EXPECT_EQ(tm.height - tm.internalLeading, 512);
    int32_t widths[3] = {};
    ASSERT_TRUE(GetCharWidths(dc, 'W', 'Y', widths));
    EXPECT_EQ(widths[0], MeasureGlyphBox(font.Sized(), 'W').advance);
    EXPECT_FALSE(GetCharWidths(dc, 'Y', 'W', widths));
    EXPECT_EQ(GetOutlineEmSquare(dc), 2048);
    EXPECT_EQ(GetTextFace(dc), "Liberation Sans");
    gfx::SetTextCharacterExtra(dc, 5);
    gfx::Size extent;
    ASSERT_TRUE(GetTextExtentA(dc, "WW", &extent));
    EXPECT_EQ(extent.cx, 2 * widths[0] + 10);
    gfx::DeleteContext(dc);
    EXPECT_FALSE(GetTextMetrics(dc, &tm));
}

// A font asked for at the largest heights and widths measures saturated, never
// wrapped: the cell stops at the 32-bit limit and its parts stay positive.
TEST(TextMetrics, HeightsNearTheLimitSaturate) {
    ScopedFont font("Arial", std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min());
    ASSERT_TRUE(font.handle());
    TextMetrics tm = MeasureTextMetrics(font.Sized());
    EXPECT_EQ(tm.height, std::numeric_limits<int32_t>::max());
    EXPECT_GT(tm.ascent, 0);
    EXPECT_GT(tm.descent, 0);
    EXPECT_EQ(tm.averageCharWidth, std::numeric_limits<int32_t>::max());
    GlyphBox box = MeasureGlyphBox(font.Sized(), 'W');
    EXPECT_GT(box.right, box.left);
    EXPECT_GT(MeasureExtentA(font.Sized(), "WW").cx, 0);
}

// A context whose font was deleted measures with the default font instead of failing.
TEST(TextMetrics, DeletedSelectedFontFallsBackToTheDefault) {
    gfx::DcHandle dc = gfx::CreateMemoryContext(gfx::DcHandle{});
    ASSERT_TRUE(dc);
    FontHandle font;
    {
        ScopedFont scoped("Times New Roman", -40);
        font = scoped.handle();
        gfx::SelectObject(dc, font);
        EXPECT_EQ(GetTextFace(dc), "Liberation Serif");
    }
    TextMetrics tm;
    EXPECT_TRUE(GetTextMetrics(dc, &tm));
    EXPECT_EQ(GetTextFace(dc), GetFontFaceName(DefaultFont()));
    gfx::DeleteContext(dc);
}

}  // namespace
}  // namespace ql::text
