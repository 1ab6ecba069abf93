// Clipboard text in the character set of a locale: the locale asked, the input
// language's, or the user's; languages without a set of their own take the default
// set; blanks at the end are cut and nothing left gives none; and a paste into a
// control without a font takes the set of the clipboard's locale.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/clipboard_charset.h"
#include "display/tests/text/text_entry_host.h"
#include "display/text_entry_procedure.h"
#include "platform/win/message_loop.h"

namespace ql {
namespace {

constexpr uint32_t kRussian = 0x0419;
constexpr uint32_t kGreek = 0x0408;
constexpr uint32_t kJapanese = 0x0411;
constexpr uint32_t kArmenian = 0x042B;    // a language that writes no set of the table
constexpr uint32_t kMongolian = 0x0450;   // beyond the language table
constexpr uint32_t kDesktopCharset = 1;   // the desktop names no set with a new layout

class ClipboardCharsetTest : public testing_text::TextEntryHost {
  protected:
    std::optional<std::string> Read(uint32_t* locale) const { return GetClipboardTextInCharset(host_, locale); }
};

TEST_F(ClipboardCharsetTest, TextTakesTheSetOfTheLocaleAskedTheInputLanguageOrTheUser) {
    CopyText("Мир  ");
    SetInputLocale(204, kRussian);
    uint32_t locale = 0;
    EXPECT_EQ(Read(&locale), "\xCC\xE8\xF0");  // the input language's set, blanks cut
    EXPECT_EQ(locale, kRussian);
    CopyText("Ωmega");
    locale = kGreek;
    EXPECT_EQ(Read(&locale), "\xD9mega");
    EXPECT_EQ(locale, kGreek);
    // A layout the desktop changed to names no language: the user's locale is taken.
    SetInputLocale(kDesktopCharset, 0);
    State().display.UserLocale = kJapanese;
    CopyText("日本");
    locale = 0;
    EXPECT_EQ(Read(&locale), "\x93\xFA\x96\x7B");
    EXPECT_EQ(locale, kJapanese);
}

// Languages that write no set of the table, or beyond it, take the default set (1252).
TEST_F(ClipboardCharsetTest, LanguagesWithoutASetTakeTheDefaultOne) {
    for (uint32_t asked : {kArmenian, kMongolian}) {
        CopyText("Café Հ");
        uint32_t locale = asked;
        EXPECT_EQ(Read(&locale), "Caf\xE9 ?") << asked;
        EXPECT_EQ(locale, asked);
    }
}

// Nothing on the clipboard, only blanks, or a clipboard someone else holds open: none,
// and the locale asked stays as it was.
TEST_F(ClipboardCharsetTest, NoTextGivesNoneAndLeavesTheLocale) {
    uint32_t locale = kGreek;
    EXPECT_EQ(Read(&locale), std::nullopt);
    CopyText(" \t ");
    EXPECT_EQ(Read(&locale), std::nullopt);
    CopyText("text");
    ASSERT_TRUE(sys::OpenClipboard(host_));
    EXPECT_EQ(Read(&locale), std::nullopt);
    sys::CloseClipboard();
    EXPECT_EQ(locale, kGreek);
    EXPECT_EQ(Read(nullptr), "text");
}

// A control without a font takes pasted text in the set of the clipboard's locale, not
// in the default set the desktop's layout change left as the input character set.
TEST_F(ClipboardCharsetTest, APasteIntoAControlWithoutAFontTakesTheLocalesSet) {
    const platform::WindowHandle edit = MakeEdit(5);
    ASSERT_TRUE(SubclassTextEntryControl(host_, 5, 0));
    win::SendMessage(edit, win::Message::InputLanguageChange, kDesktopCharset, kRussian);
    CopyText("Мир");
    EXPECT_EQ(win::SendMessage(edit, win::Message::Paste, 0, 0), 1);
    EXPECT_EQ(win::GetWindowText(edit), "\xCC\xE8\xF0");
    EXPECT_TRUE(ui::headless::Beeps().empty());
    win::DestroyWindow(edit);
}

}  // namespace
}  // namespace ql
