// "Set Image" scripted on text lines: text to single symbol and back, the mapped-code
// bit of music-font symbols, an own face started from the quick font, and an OK that
// changes nothing ending as Cancel with the document left alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "objects/tests/texts/texts_fixture.h"
#include "objects/text_marks/set_image_dialog.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "objects/text_marks/text_line.h"
#include "platform/ui/controls.h"
#include "platform/win/window.h"

namespace ql::testing_texts {
namespace {

using ui::headless::DialogDriver;
using namespace set_image_dialog;

class SetImageTest : public TextsTest {
  protected:
    void SetUp() override {
        TextsTest::SetUp();
        line_ = ConstructTextLineWithText(view_, "Ab");
        ASSERT_NE(line_, nullptr);
        InsertObjectBySubtype(view_, line_);
        doc_->changeCounter = 0;
    }
    void Script(std::function<void(DialogDriver&)> script) {
        ui::headless::SetDialogScript(kSetImageDialog, std::move(script));
    }
    TextObjectBody& Body() { return AsTextObject(line_)->body; }
    ScoreObject* line_ = nullptr;
};

TEST_F(SetImageTest, ATextBecomesASymbolOfItsFirstCharacterAndBack) {
    Script([](DialogDriver& d) {
        EXPECT_TRUE(d.IsVisible(kText));
        EXPECT_FALSE(d.IsVisible(kSymbol));
        EXPECT_TRUE(d.Click(kSingleSymbol));
        EXPECT_TRUE(d.IsVisible(kSymbol));
        EXPECT_EQ(d.Text(kSymbol), "A");
        d.PressEnter();
    });
    EXPECT_EQ(OpenTextPropertiesDialog(line_, view_), 1);
    EXPECT_EQ(Body().flags & kTextOwnsString, 0);
    EXPECT_EQ(Body().string, 'A');
    EXPECT_NE(doc_->changeCounter, 0);
    Script([](DialogDriver& d) {
        EXPECT_TRUE(d.Click(kTextLine));
        EXPECT_EQ(d.Text(kText), "A");
        d.Type(kText, "Allegro ");
        d.PressEnter();
    });
    EXPECT_EQ(OpenTextPropertiesDialog(line_, view_), 1);
    EXPECT_NE(Body().flags & kTextOwnsString, 0);
    EXPECT_EQ(StringOf(line_), "Allegro");
}

TEST_F(SetImageTest, ASymbolOfAMusicFontSizeIsAMappedCode) {
    Script([](DialogDriver& d) {
        d.Click(kSingleSymbol);
        d.Select(kQuickFonts, 2);
        d.PressEnter();
    });
    EXPECT_EQ(OpenTextPropertiesDialog(line_, view_), 1);
    EXPECT_EQ(Body().style, 2);
    EXPECT_NE(Body().flags & kTextMusicGlyph, 0);
    // Back to text: the code is unmapped.
    Script([](DialogDriver& d) {
        d.Click(kTextLine);
        d.PressEnter();
    });
    EXPECT_EQ(OpenTextPropertiesDialog(line_, view_), 1);
    EXPECT_EQ(Body().flags & kTextMusicGlyph, 0);
}

TEST_F(SetImageTest, AnOwnFaceStartsFromTheQuickFontShown) {
    std::strcpy(doc_->fonts[7].face, "DejaVu Serif");
    doc_->fonts[7].height = 400;
    doc_->fonts[7].italic = 1;
    bool heightEnabledForQuick = true;
    Script([&](DialogDriver& d) {
        heightEnabledForQuick = d.IsEnabled(kHeight);
        d.Click(kWinFontRadio);
        EXPECT_FALSE(d.IsEnabled(kQuickFonts));
        EXPECT_TRUE(d.IsChecked(kItalic));
        d.SetChecked(kBold, true);
        d.PressEnter();
    });
    EXPECT_EQ(OpenTextPropertiesDialog(line_, view_), 1);
    EXPECT_FALSE(heightEnabledForQuick);
    EXPECT_NE(Body().flags & kTextOwnFont, 0);
    EXPECT_NE(Body().flags & kTextBold, 0);
    EXPECT_NE(Body().flags & kTextItalic, 0);
    EXPECT_EQ(Body().size, 400);
    EXPECT_STREQ(doc_->faceNames[Body().style].name, "DejaVu Serif");
}

// The text edit shows what is typed in the text's font, and the symbol edit its
// symbol: the quick font's face at first, then the own face made bold as the panel
// changes it; each at the height of its control.
TEST_F(SetImageTest, TheTextAndSymbolAreShownInTheChosenFont) {
    std::strcpy(doc_->fonts[7].face, "DejaVu Serif");
    Body().style = 7;
    std::vector<std::optional<ui::ControlFont>> fonts;
    std::string typed;
    int32_t height = 0;
    Script([&](DialogDriver& d) {
        fonts.push_back(ui::GetEditFont(d.Item(kText)));
        height = win::GetClientRect(d.Item(kText)).Height();
        d.Type(kText, "Allegro");
        d.Click(kWinFontRadio);
        d.Click(kBold);
        fonts.push_back(ui::GetEditFont(d.Item(kText)));
        typed = d.Text(kText);
        d.Click(kSingleSymbol);
        fonts.push_back(ui::GetEditFont(d.Item(kSymbol)));
        d.PressEscape();
    });
    OpenTextPropertiesDialog(line_, view_);
    ASSERT_EQ(fonts.size(), 3u);
    for (const auto& font : fonts) ASSERT_TRUE(font.has_value()) << "an edit not in the text's font";
    EXPECT_EQ(fonts[0]->face, "DejaVu Serif");
    EXPECT_FALSE(fonts[0]->bold);
    EXPECT_EQ(fonts[0]->height, std::max(1, height - 1));
    EXPECT_EQ(fonts[1]->face, "DejaVu Serif");
    EXPECT_TRUE(fonts[1]->bold);
    EXPECT_EQ(typed, "Allegro");  // the typed text stays
    EXPECT_TRUE(fonts[2]->bold);
}

TEST_F(SetImageTest, AnOkThatChangesNothingEndsAsCancel) {
    Script([](DialogDriver& d) { d.PressEnter(); });
    EXPECT_EQ(OpenTextPropertiesDialog(line_, view_), 0);
    EXPECT_EQ(doc_->changeCounter, 0);
    // Trailing blanks typed after the text are cut: still unchanged.
    Script([](DialogDriver& d) {
        d.Type(kText, "Ab   ");
        d.PressEnter();
    });
    EXPECT_EQ(OpenTextPropertiesDialog(line_, view_), 0);
    EXPECT_EQ(doc_->changeCounter, 0);
    // The text line's own attribute editing runs the same dialog.
    Script([](DialogDriver& d) { d.PressEscape(); });
    EXPECT_EQ(ClassOf(line_).EditAttributes(line_, view_), 0);
    EXPECT_EQ(StringOf(line_), "Ab");
}

}  // namespace
}  // namespace ql::testing_texts
