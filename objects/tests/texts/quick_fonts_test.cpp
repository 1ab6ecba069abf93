// "Setup QuickFonts" scripted: renaming a slot, toggling bold and changing the height
// in 160ths; the settings written with "Save Preferences"; Cancel and an untouched OK
// leave the document's change state alone. Also the font-size conversions and the
// checked quick-slot reading.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "objects/quick_fonts/quick_fonts_dialog.h"
#include "objects/quick_fonts/text_fonts.h"
#include "objects/tests/texts/texts_fixture.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "platform/gfx/objects.h"
#include "platform/sys/settings_store.h"

namespace ql::testing_texts {
namespace {

using ui::headless::DialogDriver;
using namespace quick_fonts_dialog;

class QuickFontsTest : public TextsTest {
  protected:
    void SetUp() override {
        TextsTest::SetUp();
        CurrentQuickFontSlot() = 4;
        std::strcpy(doc_->fonts[5].name, "Tempo");
        std::strcpy(doc_->fonts[5].face, "DejaVu Sans");
        doc_->fonts[5].height = 320;
        doc_->changeCounter = 0;
    }
    void TearDown() override {
        ReleaseSlotFont();
        TextsTest::TearDown();
    }
    void ReleaseSlotFont() {
        if (doc_->fonts[5].handle != 0)
            gfx::DeleteObject(platform::FontHandle{doc_->fonts[5].handle});
        doc_->fonts[5].handle = 0;
    }
    void Script(std::function<void(DialogDriver&)> script) {
        ui::headless::SetDialogScript(kSetupQuickFontsDialog, std::move(script));
    }
};

TEST_F(QuickFontsTest, ASlotIsRenamedMadeBoldAndResizedInPlace) {
    std::string shownHeight;
    Script([&](DialogDriver& d) {
        EXPECT_FALSE(d.IsVisible(kName));
        EXPECT_TRUE(d.Select(kSlots, 5));
        shownHeight = d.Text(kHeight);
        EXPECT_TRUE(d.Click(kSetName));
        EXPECT_TRUE(d.Type(kName, "Expression"));
        EXPECT_TRUE(d.SetChecked(kBold, true));
        EXPECT_TRUE(d.Type(kHeight, "2.50"));
        d.PressEnter();
    });
    EXPECT_EQ(SetupQuickFonts(view_), 1);
    // The slot's height shows in 160ths: 320 is "2.00".
    EXPECT_EQ(shownHeight, "2.00");
    EXPECT_STREQ(doc_->fonts[5].name, "Expression");
    EXPECT_EQ(doc_->fonts[5].bold, 1);
    EXPECT_EQ(doc_->fonts[5].height, 2 * 160 + 80);  // "2.50" is exactly 400
    EXPECT_NE(doc_->changeCounter, 0);
    // The slot shown last is where the dialog opens next time.
    EXPECT_EQ(CurrentQuickFontSlot(), 5);
    // Nothing was written without "Save Preferences".
    EXPECT_FALSE(sys::ProgramSettings().ReadText("Fonts", "QuickFont5").has_value());
}

TEST_F(QuickFontsTest, SavePreferencesWritesEverySlot) {
    Script([](DialogDriver& d) {
        d.Select(kSlots, 5);
        d.SetChecked(kItalic, true);
        d.SetChecked(kSavePreferences, true);
        d.PressEnter();
    });
    EXPECT_EQ(SetupQuickFonts(view_), 1);
    const std::optional<std::string> stored =
        sys::ProgramSettings().ReadText("Fonts", "QuickFont5");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->rfind("Tempo,", 0), 0u);
    EXPECT_NE(stored->find(",italic"), std::string::npos);
    EXPECT_TRUE(sys::ProgramSettings().ReadText("Fonts", "QuickFont23").has_value());
    ReleaseSlotFont();
}

TEST_F(QuickFontsTest, AnUntouchedOkAndCancelLeaveTheDocumentUnchanged) {
    Script([](DialogDriver& d) { d.PressEnter(); });
    EXPECT_EQ(SetupQuickFonts(view_), 1);
    EXPECT_EQ(doc_->changeCounter, 0);
    Script([](DialogDriver& d) {
        d.SetChecked(kUnderline, true);
        d.PressEscape();
    });
    EXPECT_EQ(SetupQuickFonts(view_), 2);
    EXPECT_EQ(doc_->changeCounter, 0);
}

TEST(TextFontUnits, PointsAndTwipsBecomeHeightUnitsOfTheStaffSize) {
    ScoreDocument document{};
    // S = 0.25 inch: 0.25 x 12 / 72 x 160 = 6.67, + 0.5 = 7.17, rounded 7.
    document.header.fontSizeSetting = 0x0025;
    EXPECT_EQ(PointsToScoreUnits(&document, 12), 7);
    EXPECT_EQ(TwipsToScoreUnits(&document, 240), 7);
    // S = 0.5 inch: 0.5 x 9 / 72 x 160 = 10, + 0.5 = 10.5, rounded away: 11 (the + 0.5 counts).
    document.header.fontSizeSetting = 0x0050;
    EXPECT_EQ(PointsToScoreUnits(&document, 9), 11);
    EXPECT_EQ(TwipsToScoreUnits(&document, 180), 11);
}

TEST(TextFontUnits, QuickSlotsBeyondTheTableReadAsTheDefault) {
    EXPECT_EQ(CheckedQuickSlot(23, 4), 23);
    EXPECT_EQ(CheckedQuickSlot(24, 4), 4);
    EXPECT_EQ(CheckedQuickSlot(-1, 7), 7);
}

}  // namespace
}  // namespace ql::testing_texts
