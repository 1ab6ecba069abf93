// Measuring and drawing text objects on a view's surface: the measured extent is
// kept within its limits, own fonts are not left behind, a symbol is measured from its
// glyph, style 0 takes the document's fret-symbol font, and text lines are measured
// by the measuring mode in force and drawn through their character set.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/draw/gdi_cache.h"
#include "core/tests/draw/draw_fixture.h"
#include "core/text/charset_text.h"
#include "core/text/text_object.h"
#include "display/anchors.h"
#include "platform/gfx/mapping.h"
#include "platform/text/code_page_test_seam.h"
#include "platform/text/font.h"

namespace ql::testing_draw {
namespace {

class TextDrawTest : public DrawTest {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        RegisterTextObjectClasses();
        ConstructTextObject(&text_);
    }
    // An own-font single character of `size` logical units.
    void OwnFontCharacter(char c, int16_t size) {
        std::strcpy(document_->faceNames[1].name, "Liberation Sans");
        text_.body.flags = kTextOwnFont;
        text_.body.style = 1;
        text_.body.size = size;
        text_.body.string = static_cast<uint8_t>(c);
    }
    TextObject text_{};
};

// A text class whose display text is a fixed string, so that a text line is measured
// and drawn without a pooled string.
class FixedTextClass final : public TextObjectClass {
  public:
    explicit FixedTextClass(const char* shown) : shown_(shown) {}
    const char* GetDisplayText(ScoreObject*, ScoreView*) const override { return shown_; }

  private:
    const char* shown_;
};

constexpr char kLine[] = "Measured lines of text";
constexpr int16_t kSmallLine = -180;
constexpr int16_t kLargeLine = 2 * kSmallLine;
constexpr uint8_t kCyrillic = 204;
constexpr uint16_t kCyrillicCodePage = 1251;

class TextLineDrawTest : public TextDrawTest {
  protected:
    void TearDown() override {
        ReleaseCharsetText();
        text::test_seam::SetCodePageMissing(kCyrillicCodePage, false);
        TextDrawTest::TearDown();
    }
    // A page-anchored own-font line of `size` at the window's pixel (x, y).
    void OwnFontLine(int16_t size, int x, int y) {
        std::strcpy(document_->faceNames[1].name, "DejaVu Sans");
        text_.header.subtype = SubtypeCode(ObjectSubtype::PageList);
        text_.body.flags = kTextOwnFont;
        text_.body.style = 1;
        text_.body.size = size;
        BeginViewDraw(&view_);
        gfx::Point at{x, y};
        gfx::DeviceToLogical(view_.ViewDC, &at, 1);
        const LogicalPoint point{at.x, at.y};
        EncodePageAnchors(&view_, &text_.body.location, &point, 1);
        EndViewDraw(&view_);
    }
    int32_t MeasuredWidth(const FixedTextClass& shown) {
        shown.Measure(&text_.header, &view_);
        return text_.body.width;
    }
};

// A tall glyph is stored 2048 high; a narrow, short one 64 by 64.
TEST_F(TextDrawTest, MeasuredExtentIsClampedToItsLimits) {
    OwnFontCharacter('W', -6000);
    TheTextObjectClass().Measure(&text_.header, &view_);
    EXPECT_EQ(text_.body.height, kMaximumTextHeight);
    OwnFontCharacter('.', -200);
    TheTextObjectClass().Measure(&text_.header, &view_);
    EXPECT_EQ(text_.body.width, kMinimumTextExtent);
    EXPECT_EQ(text_.body.height, kMinimumTextExtent);
}

// Measuring with an own font deletes that font afterwards.
TEST_F(TextDrawTest, OwnFontIsReleasedAfterMeasuring) {
    OwnFontCharacter('A', -400);
    size_t before = text::LiveFontCount();
    TheTextObjectClass().Measure(&text_.header, &view_);
    EXPECT_EQ(text_.body.fontCache, 0u);
    EXPECT_EQ(text::LiveFontCount(), before);
    EXPECT_EQ(CachedGdiObjectCount(document_.get()), 0);
    EXPECT_GT(text_.body.width, kMinimumTextExtent);
}

// Without a font (a style whose face is empty, no own font) measuring leaves the
// extent alone.
TEST_F(TextDrawTest, MeasuringWithoutFontDoesNothing) {
    text_.body.style = 5;
    document_->fonts[5].face[0] = '\0';
    text_.body.width = 5;
    TheTextObjectClass().Measure(&text_.header, &view_);
    EXPECT_EQ(text_.body.width, 5);
}

// A music-font symbol in style 1 is measured from its glyph.
TEST_F(TextDrawTest, SymbolIsMeasuredFromItsGlyph) {
    RequireMusicFonts();
    text_.body.style = 1;
    text_.body.string = 72;  // black note head
    TheTextObjectClass().Measure(&text_.header, &view_);
    EXPECT_GE(text_.body.width, kMinimumTextExtent);
    EXPECT_GE(text_.body.height, kMinimumTextExtent);
    EXPECT_LE(text_.body.height, kMaximumTextHeight);
    EXPECT_GT(text_.body.baseline, 0);
}

// Style 0 is the document's fret-symbol font: a diagram character in it is measured
// from its glyph, as the other symbol styles are.
TEST_F(TextDrawTest, StyleZeroIsTheFretSymbolFont) {
    std::strcpy(document_->fonts[0].face, "DejaVu Sans");
    document_->fonts[0].height = 400;
    document_->fonts[0].charset = 2;
    text_.body.style = 0;
    text_.body.string = 'W';
    text_.body.width = 5;
    TheTextObjectClass().Measure(&text_.header, &view_);
    EXPECT_GT(text_.body.width, kMinimumTextExtent);
    EXPECT_TRUE(document_->fonts[0].handle != 0);
    text::DeleteFont(platform::FontHandle{document_->fonts[0].handle});
    document_->fonts[0].handle = 0;
}

// A style byte beyond the document's styles is drawn in the first document style.
TEST_F(TextDrawTest, StyleBeyondTheTableTakesTheFirstDocumentStyle) {
    std::strcpy(document_->fonts[4].face, "DejaVu Sans");
    document_->fonts[4].height = 400;
    text_.body.style = kLastDocumentStyle + 17;
    text_.body.string = 'W';
    TheTextObjectClass().Measure(&text_.header, &view_);
    EXPECT_GT(text_.body.width, kMinimumTextExtent);
    EXPECT_TRUE(document_->fonts[4].handle != 0);
    EXPECT_EQ(document_->fonts[0].handle, 0u);
    text::DeleteFont(platform::FontHandle{document_->fonts[4].handle});
    document_->fonts[4].handle = 0;
}

// At the font's design size (measuring mode 2) a line in a font twice as high measures
// exactly twice as wide; measured on the view the glyphs' pixel widths break the ratio.
TEST_F(TextLineDrawTest, LinesAreMeasuredByTheMeasuringMode) {
    const FixedTextClass shown(kLine);
    OwnFontLine(kSmallLine, 100, 100);
    const int32_t smallOnView = MeasuredWidth(shown);
    OwnFontLine(kLargeLine, 100, 100);
    const int32_t largeOnView = MeasuredWidth(shown);
    ASSERT_GT(std::abs(largeOnView - 2 * smallOnView), 2) << "the view's widths keep the ratio";
    SetMeasuringMode(MeasuringMode::DesignSize);
    OwnFontLine(kSmallLine, 100, 100);
    const int32_t small = MeasuredWidth(shown);
    OwnFontLine(kLargeLine, 100, 100);
    const int32_t large = MeasuredWidth(shown);
    EXPECT_NEAR(large, 2 * small, 1);
}

// A line in a code page the machine lacks is read as Western and the lack reported
// once, whether the line is measured or drawn.
TEST_F(TextLineDrawTest, MissingCodePageIsReportedForLines) {
    const FixedTextClass shown("\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0");
    text::test_seam::SetCodePageMissing(kCyrillicCodePage, true);
    const std::vector<uint16_t>& reported = State().display.MissingCodePagesReported;
    OwnFontLine(kSmallLine, 100, 100);
    text_.body.charset = kCyrillic;
    shown.Measure(&text_.header, &view_);
    EXPECT_EQ(reported, std::vector<uint16_t>{kCyrillicCodePage});
    State().display.MissingCodePagesReported.clear();
    shown.Draw(&text_.header, &view_);
    shown.Draw(&text_.header, &view_);
    EXPECT_EQ(reported, std::vector<uint16_t>{kCyrillicCodePage});
}

}  // namespace
}  // namespace ql::testing_draw
