// The default fonts of new text lines and lyrics chosen in "Select Font": an own face
// taken from a quick font, kept for the next text line, written to "DefTexlineFont"
// only with "Save Preferences", and Cancel changing nothing.
#include "objects/quick_fonts/select_font.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/settings/program_options.h"
#include "objects/tests/texts/texts_fixture.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "objects/text_marks/text_line.h"
#include "platform/sys/settings_store.h"

namespace ql::testing_texts {
namespace {

using ui::headless::DialogDriver;
using namespace font_panel;

class SelectFontTest : public TextsTest {
  protected:
    void SetUp() override {
        TextsTest::SetUp();
        std::strcpy(doc_->fonts[7].face, "DejaVu Serif");
        doc_->fonts[7].height = 480;
        doc_->fonts[7].bold = 1;
    }
    void Script(std::function<void(DialogDriver&)> script) {
        ui::headless::SetDialogScript(select_font_dialog::kSelectFontDialog, std::move(script));
    }
};

TEST_F(SelectFontTest, AnOwnFaceBecomesTheTextLineDefaultAndIsSavedOnRequest) {
    Script([](DialogDriver& d) {
        d.Select(kQuickFonts, 7);
        d.Click(kWinFontRadio);
        d.SetChecked(kItalic, true);
        d.SetChecked(select_font_dialog::kSavePreferences, true);
        d.PressEnter();
    });
    EXPECT_EQ(SelectDefaultTextFont(view_, DefaultTextFont::TextLine, true), 1);
    EXPECT_EQ(doc_->fontRefs[0].flag, 1);
    const uint32_t cached = doc_->fontRefs[0].font;
    EXPECT_NE(cached, 0u);
    const DefaultFontSetting& setting = Options().DefaultFonts[0];
    EXPECT_EQ(setting.face, "DejaVu Serif");
    EXPECT_EQ(setting.height, 480);
    EXPECT_EQ(setting.bold, 1u);
    EXPECT_EQ(setting.italic, 1u);
    const std::optional<std::string> stored =
        sys::ProgramSettings().ReadText("Fonts", "DefTexlineFont");
    ASSERT_TRUE(stored.has_value());
    EXPECT_NE(stored->find("DejaVu Serif"), std::string::npos);
    // A new text line takes it.
    TextObject line{};
    ApplyDefaultTextFont(&line, doc_, DefaultTextFont::TextLine);
    EXPECT_NE(line.body.flags & kTextOwnFont, 0);
    EXPECT_NE(line.body.flags & kTextItalic, 0);
    EXPECT_EQ(line.body.size, 480);
    // The lyric default is another setting.
    EXPECT_EQ(doc_->fontRefs[1].flag, 0);
}

TEST_F(SelectFontTest, WithoutSavePreferencesNothingIsWrittenAndCancelChangesNothing) {
    Script([](DialogDriver& d) {
        d.Select(kQuickFonts, 7);
        d.PressEnter();
    });
    EXPECT_EQ(SelectDefaultTextFont(view_, DefaultTextFont::Lyric, true), 1);
    const uint16_t chosen = doc_->fontRefs[1].faceIndex;
    EXPECT_EQ(chosen, 7);
    EXPECT_FALSE(sys::ProgramSettings().ReadText("Fonts", "DefLyricFont").has_value());
    Script([](DialogDriver& d) {
        d.Select(kQuickFonts, 9);
        d.PressEscape();
    });
    EXPECT_EQ(SelectDefaultTextFont(view_, DefaultTextFont::Lyric, true), 0);
    const uint16_t kept = doc_->fontRefs[1].faceIndex;
    EXPECT_EQ(kept, 7);
}

}  // namespace
}  // namespace ql::testing_texts
