// The text-entry control's procedure: input-method text and pastes go in through the
// control's character set and keep the 1,023-byte limit, a paste is told to the
// dialog, the input locale follows the control, and one control holds the procedure
// at a time until it is destroyed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/tests/text/text_entry_host.h"
#include "display/text_entry_procedure.h"
#include "platform/ui/controls.h"
#include "platform/ui/edit_charset.h"
#include "platform/ui/dialog_template.h"
#include "platform/win/message_loop.h"

namespace ql {
namespace {

constexpr uint8_t kCyrillic = 204;
constexpr uint8_t kGreek = 161;
constexpr int32_t kEditId = 7;
constexpr uint32_t kPasteNotice = 0x400;
const std::u16string kMir = u"\u041C\u0438\u0440";  // "Мир"
const std::string kMirIn1251 = "\xCC\xE8\xF0";

class TextEntryProcedure : public testing_text::TextEntryHost {
  protected:
    void SetUp() override {
        TextEntryHost::SetUp();
        edit_ = MakeEdit(kEditId);
    }
    void SetCharset(uint8_t charset) const {
        ui::ControlFont font;
        font.face = "Liberation Sans";
        font.height = 16;
        font.charset = charset;
        ASSERT_TRUE(ui::SetEditFont(edit_, font));
    }
    intptr_t Compose(const std::u16string& text) const {
        return win::SendMessage(edit_, win::Message::InputMethodResult, 0, reinterpret_cast<intptr_t>(&text));
    }
    // The commands posted to the host, taken from the queue.
    std::vector<win::QueuedMessage> PostedCommands() const {
        std::vector<win::QueuedMessage> commands;
        win::QueuedMessage message;
        while (win::PeekMessage(message)) {
            if (message.window == host_ && message.message == win::Message::Command)
                commands.push_back(message);
            else
                win::DispatchMessage(message);  // a paint validates its window
        }
        return commands;
    }
    platform::WindowHandle edit_{};
};

// The input method's text goes in at the caret in the code page of the control's font,
// or of the input language when the control has no font of its own; the message
// stops there.
TEST_F(TextEntryProcedure, InputMethodTextTakesTheControlsCharacterSet) {
    ASSERT_TRUE(SubclassTextEntryControl(host_, kEditId, kPasteNotice));
    EXPECT_EQ(SubclassedTextEntryControl(), edit_);
    win::SendMessage(edit_, win::Message::InputLanguageChange, kCyrillic, 0x0419);
    EXPECT_EQ(CurrentInputLocale().charset, kCyrillic);
    EXPECT_EQ(CurrentInputLocale().layout, 0x0419u);
    EXPECT_EQ(Compose(kMir), 1);
    EXPECT_EQ(win::GetWindowText(edit_), kMirIn1251);

    SetCharset(kGreek);
    win::SetWindowText(edit_, "ab");
    ui::SelectEditText(edit_, 1, 1);
    EXPECT_EQ(Compose(u"\u03A9"), 1);  // capital omega, 0xD9 in code page 1253
    EXPECT_EQ(win::GetWindowText(edit_), "a\xD9" "b");
    EXPECT_EQ(ui::GetEditSelection(edit_).start, 2);
    EXPECT_TRUE(ui::headless::Beeps().empty());
}

// The control's text is marked as held in the input language's character set, and
// follows a change of language, so that the desktop's entry shows it as its characters.
TEST_F(TextEntryProcedure, TheControlsTextCharsetFollowsTheInputLanguage) {
    EXPECT_EQ(ui::GetEditCharset(edit_), std::nullopt);
    SetInputLocale(kGreek, 0x0408);
    ASSERT_TRUE(SubclassTextEntryControl(host_, kEditId, 0));
    EXPECT_EQ(ui::GetEditCharset(edit_), kGreek);
    win::SendMessage(edit_, win::Message::InputLanguageChange, kCyrillic, 0x0419);
    EXPECT_EQ(ui::GetEditCharset(edit_), kCyrillic);
    EXPECT_EQ(Compose(kMir), 1);
    EXPECT_EQ(ui::EditTextToDisplay(edit_, win::GetWindowText(edit_)), "Мир");
}

// A result that would take the control past 1,023 bytes is refused with a beep, whole.
TEST_F(TextEntryProcedure, OverlongInputMethodTextIsRefusedWithABeep) {
    ASSERT_TRUE(SubclassTextEntryControl(host_, kEditId, 0));
    SetCharset(kCyrillic);
    const std::string full(1000, 'a');
    win::SetWindowText(edit_, full);
    ui::SelectEditText(edit_, 1000, 1000);
    EXPECT_EQ(Compose(std::u16string(24, u'\u0416')), 1);
    EXPECT_EQ(win::GetWindowText(edit_), full);
    EXPECT_EQ(ui::headless::Beeps().size(), 1u);
}

// A paste takes the desktop's text that comes with it, else the program's clipboard
// text, through the control's character set, selected; the dialog is told after each.
TEST_F(TextEntryProcedure, PasteConvertsSelectsAndTellsTheDialog) {
    ASSERT_TRUE(SubclassTextEntryControl(host_, kEditId, kPasteNotice));
    SetCharset(kCyrillic);
    const std::string desktop = "\xD0\x9C\xD0\xB8\xD1\x80  ";  // "Мир" and blanks, UTF-8
    EXPECT_EQ(win::SendMessage(edit_, win::Message::Paste, 0, reinterpret_cast<intptr_t>(&desktop)), 1);
    EXPECT_EQ(win::GetWindowText(edit_), kMirIn1251);
    EXPECT_EQ(ui::GetEditSelection(edit_).start, 0);
    EXPECT_EQ(ui::GetEditSelection(edit_).end, 3);
    std::vector<win::QueuedMessage> commands = PostedCommands();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(win::CommandId(commands[0].word), static_cast<uint32_t>(kEditId));
    EXPECT_EQ(win::CommandCode(commands[0].word), kPasteNotice);
    EXPECT_EQ(win::WindowFromData(commands[0].data), edit_);

    const std::string own = "\xD0\x94\xD0\xB0";  // "Да"
    CopyText(own);
    ui::SelectEditText(edit_, 3, 3);
    EXPECT_EQ(win::SendMessage(edit_, win::Message::Paste, 0, 0), 1);
    EXPECT_EQ(win::GetWindowText(edit_), kMirIn1251 + "\xC4\xE0");
    EXPECT_EQ(PostedCommands().size(), 1u);

    // Nothing to paste: a beep, the text kept, the dialog still told.
    const std::string blank = "   ";
    win::SendMessage(edit_, win::Message::Paste, 0, reinterpret_cast<intptr_t>(&blank));
    EXPECT_EQ(win::GetWindowText(edit_), kMirIn1251 + "\xC4\xE0");
    EXPECT_EQ(ui::headless::Beeps().size(), 1u);
}

// One control at a time: a second is refused while the first lives; destroying the
// first gives it its own procedure back and frees the place.
TEST_F(TextEntryProcedure, OneControlAtATimeUntilItIsDestroyed) {
    const platform::WindowHandle second = MakeEdit(kEditId + 1);
    EXPECT_FALSE(SubclassTextEntryControl(host_, kEditId + 5, 0));  // no such control
    ASSERT_TRUE(SubclassTextEntryControl(host_, kEditId, 0));
    EXPECT_FALSE(SubclassTextEntryControl(host_, kEditId + 1, 0));
    // Other messages reach the edit's own procedure: typing still works.
    win::SendMessage(edit_, win::Message::Char, 'x', 0);
    EXPECT_EQ(win::GetWindowText(edit_), "x");
    win::DestroyWindow(edit_);
    EXPECT_FALSE(SubclassedTextEntryControl());
    ASSERT_TRUE(SubclassTextEntryControl(host_, kEditId + 1, 0));
    EXPECT_EQ(SubclassedTextEntryControl(), second);
    // An edit without the procedure leaves input-method text to the desktop.
    const platform::WindowHandle plain = MakeEdit(kEditId + 2);
    const std::u16string text = u"plain";
    EXPECT_EQ(win::SendMessage(plain, win::Message::InputMethodResult, 0, reinterpret_cast<intptr_t>(&text)), 0);
    EXPECT_EQ(win::GetWindowText(plain), "");
}

}  // namespace
}  // namespace ql
