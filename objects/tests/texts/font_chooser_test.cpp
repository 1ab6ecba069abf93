// The font chooser behind the text dialogs' font buttons: "Select" of the font panel
// is usable for an own face only, starts the chooser from the face shown (in points at
// the staff size), and OK takes the chosen face (entered in the face-name table only
// then), size, weight, italic and underline; Cancel of the dialog or the chooser
// changes nothing. Setup QuickFonts chooses into its slot; Select Symbol takes face
// and charset.
#include <gtest/gtest.h>

#include <cstring>

#include "core/model/object_list.h"
#include "objects/quick_fonts/quick_fonts_dialog.h"
#include "objects/quick_fonts/select_font.h"
#include "objects/tests/texts/texts_fixture.h"
#include "objects/text_marks/set_image_dialog.h"
#include "objects/text_marks/symbol_picker.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "objects/text_marks/text_line.h"
#include "platform/ui/font_dialog.h"

namespace ql::testing_texts {
namespace {

using ui::headless::DialogDriver;
using namespace font_panel;

constexpr char kChosenFace[] = "Noto Sans Mono";

// With a staff size of half an inch, 20 units are 20 / 160 / 0.5 x 72 = 18 points and
// 9 points are 0.5 x 9 / 72 x 160 + 0.5 = 10.5, rounded 11 units.
void QueueChosen(int weight, bool italic, bool underline, uint8_t charset = 0) {
    ui::headless::QueueFontDialogAnswer(
        {ui::FontDialogStatus::Chosen, {kChosenFace, 9, weight, italic, underline, charset}});
}

class FontChooserTest : public TextsTest {
  protected:
    void SetUp() override {
        TextsTest::SetUp();
        ui::headless::ResetFontDialogs();
        doc_->header.fontSizeSetting = 0x0050;
        std::strcpy(doc_->fonts[7].face, "DejaVu Serif");
        doc_->fonts[7].height = 20;
        doc_->fonts[7].bold = 1;
    }
    void TearDown() override {
        ui::headless::ResetFontDialogs();
        TextsTest::TearDown();
    }
    bool FaceTableHasChosen() const {
        for (const FaceNameEntry& entry : doc_->faceNames)
            if (std::strncmp(entry.name, kChosenFace, sizeof entry.name) == 0) return true;
        return false;
    }
    // Quick font 7, then "Select" as an own face, then `close` (Enter or Escape).
    void ScriptPanel(int32_t dialog, bool enter) {
        ui::headless::SetDialogScript(dialog, [this, enter](DialogDriver& d) {
            d.Select(kQuickFonts, 7);
            selectForQuick_ = d.IsEnabled(kSelectFont);
            d.Click(kWinFontRadio);
            d.Click(kSelectFont);
            enter ? d.PressEnter() : d.PressEscape();
        });
    }
    bool selectForQuick_ = true;
};

TEST_F(FontChooserTest, SelectFontTakesTheChosenFontOnOkOnly) {
    // Chosen, then the dialog cancelled: the body and the face table stay.
    QueueChosen(400, false, false);
    ScriptPanel(select_font_dialog::kSelectFontDialog, false);
    TextObjectBody body{};
    EXPECT_EQ(RunSelectFontDialog(view_, &body, nullptr), ui::kIdCancel);
    EXPECT_EQ(body.flags, 0);
    EXPECT_FALSE(FaceTableHasChosen());
    // Chosen and OK: weight 600 is bold; 9 points are 11 units.
    QueueChosen(600, true, true);
    ScriptPanel(select_font_dialog::kSelectFontDialog, true);
    EXPECT_EQ(RunSelectFontDialog(view_, &body, nullptr), ui::kIdOk);
    EXPECT_FALSE(selectForQuick_) << "Select is for an own face only";
    ASSERT_EQ(ui::headless::FontDialogs().size(), 2u);
    const ui::ChosenFont& initial = ui::headless::FontDialogs()[1].initial;
    EXPECT_EQ(initial.face, "DejaVu Serif");
    EXPECT_EQ(initial.points, 18);
    EXPECT_GE(initial.weight, ui::kFontDialogBoldFrom);
    EXPECT_EQ(body.flags & (kTextOwnFont | kTextBold | kTextItalic | kTextUnderline),
              kTextOwnFont | kTextBold | kTextItalic | kTextUnderline);
    EXPECT_EQ(body.size, 11);
    EXPECT_STREQ(doc_->faceNames[body.style].name, kChosenFace);
}

TEST_F(FontChooserTest, ACancelledChooserKeepsTheFaceAndSetImageTakesAChoice) {
    ScriptPanel(select_font_dialog::kSelectFontDialog, true);  // nothing queued
    TextObjectBody body{};
    EXPECT_EQ(RunSelectFontDialog(view_, &body, nullptr), ui::kIdOk);
    EXPECT_EQ(ui::headless::FontDialogs().size(), 1u);
    EXPECT_STREQ(doc_->faceNames[body.style].name, "DejaVu Serif");
    EXPECT_EQ(body.size, 20);

    ScoreObject* line = ConstructTextLineWithText(view_, "Ab");
    ASSERT_NE(line, nullptr);
    InsertObjectBySubtype(view_, line);
    QueueChosen(400, true, false);
    ScriptPanel(set_image_dialog::kSetImageDialog, true);
    EXPECT_EQ(OpenTextPropertiesDialog(line, view_), 1);
    const TextObjectBody& set = AsTextObject(line)->body;
    EXPECT_STREQ(doc_->faceNames[set.style].name, kChosenFace);
    EXPECT_EQ(set.flags & (kTextBold | kTextItalic), kTextItalic);
    EXPECT_EQ(set.size, 11);
}

TEST_F(FontChooserTest, QuickFontsChooseIntoTheSlotAndSymbolsTakeFaceAndCharset) {
    CurrentQuickFontSlot() = 7;
    QueueChosen(400, true, false, 161);
    ui::headless::SetDialogScript(quick_fonts_dialog::kSetupQuickFontsDialog, [](DialogDriver& d) {
        d.Click(quick_fonts_dialog::kSelect);
        EXPECT_TRUE(d.IsChecked(quick_fonts_dialog::kItalic));
        d.PressEnter();
    });
    EXPECT_EQ(SetupQuickFonts(view_), ui::kIdOk);
    const QuickFontRecord& slot = doc_->fonts[7];
    EXPECT_STREQ(slot.face, kChosenFace);
    EXPECT_EQ(slot.height, 11);
    EXPECT_EQ(slot.bold, 0);
    EXPECT_EQ(slot.charset, 161);
    EXPECT_NE(doc_->changeCounter, 0);

    TextObjectBody symbol{};
    symbol.flags = kTextOwnFont;
    symbol.style = 2;
    symbol.size = 20;
    symbol.string = 65;
    QueueChosen(700, true, true, 2);
    ui::headless::SetDialogScript(select_symbol_dialog::kSelectSymbolDialog, [](DialogDriver& d) {
        d.Click(select_symbol_dialog::kSelectFont);
        d.PressEnter();
    });
    EXPECT_EQ(RunSelectSymbolDialog(view_, &symbol), ui::kIdOk);
    EXPECT_STREQ(doc_->faceNames[symbol.style].name, kChosenFace);
    EXPECT_EQ(symbol.charset, 2);
    EXPECT_EQ(symbol.size, 20) << "only face and charset are taken";
    EXPECT_EQ(symbol.flags & (kTextBold | kTextItalic | kTextUnderline), 0);
}

}  // namespace
}  // namespace ql::testing_texts
