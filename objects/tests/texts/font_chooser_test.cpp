// The font chooser behind the text dialogs' font buttons: "Select" of the font panel
// (Select Font, Set Image) is usable for an own face only, starts the chooser from the
// face shown in points at the staff size, and on OK takes the chosen face (entered in
// the face-name table), size, weight, italic and underline; Cancel of the dialog or of
// the chooser changes nothing. Setup QuickFonts chooses into its slot; Select Symbol
// takes face and charset.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "objects/quick_fonts/quick_fonts_dialog.h"
#include "objects/quick_fonts/select_font.h"
#include "objects/tests/texts/texts_fixture.h"
#include "objects/text_marks/set_image_dialog.h"
#include "objects/text_marks/symbol_picker.h"
#include "objects/text_marks/text_line.h"
#include "platform/ui/font_dialog.h"
#include "shell/resources/text_dialog_resources.h"

namespace ql::testing_texts {
namespace {

using ui::headless::DialogDriver;

constexpr char kChosenFace[] = "Noto Sans Mono";

// A staff size of half an inch: 20 units are 20 / 160 / 0.5 x 72 = 18 points, and 9
// points are 0.5 x 9 / 72 x 160 + 0.5 = 10.5, rounded 11 units.
constexpr uint16_t kHalfInch = 0x0050;

ui::FontDialogAnswer Chosen(int points, int weight, bool italic, bool underline, uint8_t charset = 0) {
    return {ui::FontDialogStatus::Chosen, {kChosenFace, points, weight, italic, underline, charset}};
}

class FontChooserTest : public TextsTest {
  protected:
    void SetUp() override {
        TextsTest::SetUp();
        ui::headless::ResetFontDialogs();
        doc_->header.fontSizeSetting = kHalfInch;
        std::strcpy(doc_->fonts[7].face, "DejaVu Serif");
        doc_->fonts[7].height = 20;
        doc_->fonts[7].bold = 1;
    }
    void TearDown() override {
        ui::headless::ResetFontDialogs();
        TextsTest::TearDown();
    }
    bool FaceTableHas(const char* face) const {
        for (const FaceNameEntry& entry : doc_->faceNames)
            if (std::strncmp(entry.name, face, sizeof entry.name) == 0) return true;
        return false;
    }
    // Select Font on a body: the quick font 7, then an own face through "Select".
    static void OwnFaceThroughSelect(DialogDriver& d, bool& quickEnabled, bool& ownEnabled) {
        using namespace font_panel;
        d.Select(kQuickFonts, 7);
        quickEnabled = d.IsEnabled(kSelectFont);
        d.Click(kWinFontRadio);
        ownEnabled = d.IsEnabled(kSelectFont);
        d.Click(kSelectFont);
    }
};

TEST_F(FontChooserTest, SelectFontTakesTheChosenFontOnOk) {
    ui::headless::QueueFontDialogAnswer(Chosen(9, 600, true, true));
    bool quickEnabled = true, ownEnabled = false;
    std::string heightShown;
    ui::headless::SetDialogScript(select_font_dialog::kSelectFontDialog, [&](DialogDriver& d) {
        OwnFaceThroughSelect(d, quickEnabled, ownEnabled);
        heightShown = d.Text(font_panel::kHeight);
        d.PressEnter();
    });
    TextObjectBody body{};
    EXPECT_EQ(RunSelectFontDialog(view_, &body, nullptr), ui::kIdOk);
    EXPECT_FALSE(quickEnabled) << "Select is for an own face only";
    EXPECT_TRUE(ownEnabled);
    // The chooser started from the face shown, in points, bold.
    ASSERT_EQ(ui::headless::FontDialogs().size(), 1u);
    const ui::ChosenFont& initial = ui::headless::FontDialogs()[0].initial;
    EXPECT_EQ(initial.face, "DejaVu Serif");
    EXPECT_EQ(initial.points, 18);
    EXPECT_GE(initial.weight, ui::kFontDialogBoldFrom);
    EXPECT_FALSE(initial.italic);
    // The chosen font came back: weight 600 is bold, 9 points are 11 units.
    EXPECT_NE(body.flags & kTextOwnFont, 0);
    EXPECT_NE(body.flags & kTextBold, 0);
    EXPECT_NE(body.flags & kTextItalic, 0);
    EXPECT_NE(body.flags & kTextUnderline, 0);
    EXPECT_EQ(body.size, 11);
    EXPECT_EQ(heightShown, ".07") << "the panel shows the chosen height";
    EXPECT_STREQ(doc_->faceNames[body.style].name, kChosenFace);
}

TEST_F(FontChooserTest, CancelInTheDialogOrTheChooserChangesNothing) {
    // A face chosen, then the dialog cancelled: the body and the face table stay.
    ui::headless::QueueFontDialogAnswer(Chosen(9, 400, false, false));
    bool quickEnabled = true, ownEnabled = false;
    ui::headless::SetDialogScript(select_font_dialog::kSelectFontDialog, [&](DialogDriver& d) {
        OwnFaceThroughSelect(d, quickEnabled, ownEnabled);
        d.PressEscape();
    });
    TextObjectBody body{};
    body.style = 4;
    const TextObjectBody before = body;
    EXPECT_EQ(RunSelectFontDialog(view_, &body, nullptr), ui::kIdCancel);
    EXPECT_EQ(std::memcmp(&body, &before, sizeof body), 0);
    EXPECT_FALSE(FaceTableHas(kChosenFace));
    EXPECT_EQ(doc_->changeCounter, 0);
    // The chooser cancelled (nothing queued), then OK: the own face of the quick font.
    ui::headless::SetDialogScript(select_font_dialog::kSelectFontDialog, [&](DialogDriver& d) {
        OwnFaceThroughSelect(d, quickEnabled, ownEnabled);
        d.PressEnter();
    });
    EXPECT_EQ(RunSelectFontDialog(view_, &body, nullptr), ui::kIdOk);
    EXPECT_EQ(ui::headless::FontDialogs().size(), 2u);
    EXPECT_STREQ(doc_->faceNames[body.style].name, "DejaVu Serif");
    EXPECT_EQ(body.size, 20);
    EXPECT_FALSE(FaceTableHas(kChosenFace));
}

TEST_F(FontChooserTest, SetImageGivesTheTextLineTheChosenFace) {
    ScoreObject* line = ConstructTextLineWithText(view_, "Ab");
    ASSERT_NE(line, nullptr);
    InsertObjectBySubtype(view_, line);
    doc_->changeCounter = 0;
    ui::headless::QueueFontDialogAnswer(Chosen(9, 400, true, false));
    ui::headless::SetDialogScript(set_image_dialog::kSetImageDialog, [&](DialogDriver& d) {
        bool quickEnabled = true, ownEnabled = false;
        OwnFaceThroughSelect(d, quickEnabled, ownEnabled);
        EXPECT_TRUE(ownEnabled);
        d.PressEnter();
    });
    EXPECT_EQ(OpenTextPropertiesDialog(line, view_), 1);
    const TextObjectBody& body = AsTextObject(line)->body;
    EXPECT_STREQ(doc_->faceNames[body.style].name, kChosenFace);
    EXPECT_EQ(body.flags & kTextBold, 0);
    EXPECT_NE(body.flags & kTextItalic, 0);
    EXPECT_EQ(body.size, 11);
    EXPECT_NE(doc_->changeCounter, 0);
}

TEST_F(FontChooserTest, SetupQuickFontsChoosesIntoTheSlot) {
    CurrentQuickFontSlot() = 7;
    ui::headless::QueueFontDialogAnswer(Chosen(9, 400, true, false, 161));
    bool enabled = false;
    ui::headless::SetDialogScript(quick_fonts_dialog::kSetupQuickFontsDialog, [&](DialogDriver& d) {
        enabled = d.IsEnabled(quick_fonts_dialog::kSelect);
        d.Click(quick_fonts_dialog::kSelect);
        EXPECT_TRUE(d.IsChecked(quick_fonts_dialog::kItalic));
        EXPECT_FALSE(d.IsChecked(quick_fonts_dialog::kBold));
        d.PressEnter();
    });
    EXPECT_EQ(SetupQuickFonts(view_), ui::kIdOk);
    EXPECT_TRUE(enabled);
    const QuickFontRecord& slot = doc_->fonts[7];
    EXPECT_STREQ(slot.face, kChosenFace);
    EXPECT_EQ(slot.height, 11);
    EXPECT_EQ(slot.bold, 0);
    EXPECT_EQ(slot.italic, 1);
    EXPECT_EQ(slot.charset, 161);
    EXPECT_NE(doc_->changeCounter, 0);
}

TEST_F(FontChooserTest, SelectSymbolTakesFaceAndCharset) {
    TextObjectBody body{};
    body.flags = kTextOwnFont;
    body.style = 2;
    body.size = 20;
    body.string = 65;
    ui::headless::QueueFontDialogAnswer(Chosen(30, 700, true, true, 2));
    ui::headless::SetDialogScript(select_symbol_dialog::kSelectSymbolDialog, [&](DialogDriver& d) {
        EXPECT_TRUE(d.Click(select_symbol_dialog::kSelectFont));
        d.PressEnter();
    });
    EXPECT_EQ(RunSelectSymbolDialog(view_, &body), ui::kIdOk);
    EXPECT_STREQ(doc_->faceNames[body.style].name, kChosenFace);
    EXPECT_EQ(body.charset, 2);
    EXPECT_EQ(body.size, 20) << "only face and charset are taken";
    EXPECT_EQ(body.flags & (kTextBold | kTextItalic | kTextUnderline), 0);
}

}  // namespace
}  // namespace ql::testing_texts
