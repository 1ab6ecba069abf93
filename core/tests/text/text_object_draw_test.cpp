// Measuring and drawing text objects on a view's surface: the measured extent is
// kept within its limits, own fonts are not left behind, and a drawn symbol leaves
// ink at its anchor.
#include <gtest/gtest.h>

#include <cstring>

#include "core/draw/gdi_cache.h"
#include "core/tests/draw/draw_fixture.h"
#include "core/text/text_object.h"
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

// Without a font (style 0, no own font) measuring leaves the extent alone.
TEST_F(TextDrawTest, MeasuringWithoutFontDoesNothing) {
    text_.body.style = 0;
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

}  // namespace
}  // namespace ql::testing_draw
