// Edits holding text of a character set on the GTK backend: the entry shows the 8-bit
// text as UTF-8 (Latin-1, Cyrillic and the symbol set's glyph codes), what the user
// types there reaches the model in the edit's set, and an edit with a procedure of its
// own puts the caret after the right character of double-byte text. In such an edit
// (the program puts typed text in itself, at its own caret) the caret the user moves
// with the keys or the pointer is the edit's, counted in its bytes, so typed letters
// go in where the user sees the caret; the focus keeps the caret the program put.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/gtk/gtk_install.h"
#include "platform/gtk/gtk_window_backend.h"
#include "platform/tests/gtk/gtk_scene_input.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/edit_charset.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::testing {
namespace {

using win::Key;
using win::Message;

constexpr int kDialog = 21;
constexpr int32_t kEdit = 100;
constexpr uint8_t kWestern = 0;
constexpr uint8_t kSymbol = 2;
constexpr uint8_t kJapanese = 128;
constexpr uint8_t kCyrillic = 204;

class GtkEditCharsetTest : public FreshWindowLayer {
protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        if (!gtk::InstallGtkBackends()) GTEST_SKIP() << "no display";
        ui::DialogTemplate t;
        t.caption = "Text";
        t.rect = ui::DialogUnitRect{0, 0, 160, 40};
        t.controls = {ui::ControlTemplate{ui::kEditClass, kEdit, "", ui::DialogUnitRect{10, 10, 120, 12},
                                          win::kStyleTabStop | win::kStyleVisible, 0}};
        dialog_ = ShowPlainDialog(kDialog, t);
        ASSERT_TRUE(dialog_);
        edit_ = ui::GetDialogItem(dialog_, kEdit);
    }
    void TearDown() override {
        if (dialog_) win::DestroyWindow(dialog_);
        FreshWindowLayer::TearDown();
    }
    GtkEntry* Entry() {
        gtk::Peer* peer = gtk::CurrentGtkBackend()->FindPeer(edit_);
        return peer && GTK_IS_ENTRY(peer->outer) ? GTK_ENTRY(peer->outer) : nullptr;
    }
    // The model's text put in and shown; what the entry shows.
    std::string Shown(std::string_view held) {
        ui::SetItemText(dialog_, kEdit, held);
        SettleDisplay();
        return Entry() ? gtk_entry_get_text(Entry()) : "(no entry)";
    }
    // The user's typing in the entry (UTF-8); what the model holds.
    std::string Typed(const char* utf8) {
        gtk_entry_set_text(Entry(), utf8);
        win::PumpMessages();
        return ui::GetItemText(dialog_, kEdit);
    }
    // A procedure of the edit's own that puts what the input method finishes in at the
    // edit's selection.
    void TakeTypingIntoTheEdit() {
        auto previous = std::make_shared<win::WindowProc>();
        *previous = win::SetWindowProcedure(
            edit_, [previous](WindowHandle w, Message m, uint32_t word, intptr_t data) -> intptr_t {
                if (m != Message::InputMethodResult) return (*previous)(w, m, word, data);
                std::string typed;
                for (char16_t c : *reinterpret_cast<const std::u16string*>(data)) typed.push_back(static_cast<char>(c));
                ui::ReplaceEditSelection(w, typed);
                return 1;
            });
        ASSERT_TRUE(*previous);
    }
    // The edit holds `text` with the caret at its end, and takes the focus.
    void Focus(const char* text) {
        ui::SetItemText(dialog_, kEdit, text);
        const auto end = static_cast<int32_t>(std::string(text).size());
        ui::SelectEditText(edit_, end, end);
        win::SetFocus(edit_);
        input_.Settle();
    }
    void Press(Key key) { input_.PressKey(key, false, false, 0); }
    void TypeLetters(const char* letters) {
        for (const char* c = letters; *c; ++c) Press(win::LetterKey(static_cast<char>(*c - 'a' + 'A')));
    }
    std::string Text() { return ui::GetItemText(dialog_, kEdit); }

    GtkSceneInput input_;
    WindowHandle dialog_{};
    WindowHandle edit_{};
};

TEST_F(GtkEditCharsetTest, TextOfTheEditsCharsetShowsAndComesBackAsItsBytes) {
    ASSERT_TRUE(ui::SetEditCharset(edit_, kWestern));
    ASSERT_NE(Entry(), nullptr);
    EXPECT_EQ(Shown("Caf\xE9 \x80"), "Café €");
    EXPECT_EQ(Typed("Noël"), "No\xEBl");
    EXPECT_EQ(Typed("日"), "?");  // Western cannot write it
    ASSERT_TRUE(ui::SetEditCharset(edit_, kCyrillic));
    EXPECT_EQ(Shown("\xCF\xF0\xE8"), "При");
    EXPECT_EQ(Typed("Мир"), "\xCC\xE8\xF0");
    // A symbol font's glyph codes show as the font's copy at U+F000 + code.
    ASSERT_TRUE(ui::SetEditFont(edit_, ui::ControlFont{"Glyphora", 14, false, false, false, kSymbol}));
    EXPECT_EQ(Shown("q\xE9"), "q\uF0E9");
    EXPECT_EQ(Typed("q\uF0A0"), "q\xA0");
}

TEST_F(GtkEditCharsetTest, AnEditWithoutACharsetShowsTheProgramsUtf8AsItIs) {
    ASSERT_NE(Entry(), nullptr);
    EXPECT_EQ(Shown("Noël.qlx"), "Noël.qlx");
    EXPECT_EQ(Typed("Zoë"), "Zoë");
}

// A paste the edit's own procedure takes puts its text in; the entry shows it and
// puts the caret after the pasted character, counted in characters, not bytes.
TEST_F(GtkEditCharsetTest, AnOwnProcedureEditShowsItsTextWithTheCaretAfterIt) {
    ASSERT_TRUE(ui::SetEditCharset(edit_, kJapanese));
    ASSERT_NE(Entry(), nullptr);
    auto previous = std::make_shared<win::WindowProc>();
    *previous = win::SetWindowProcedure(
        edit_, [previous](WindowHandle w, Message m, uint32_t word, intptr_t data) -> intptr_t {
            if (m != Message::Paste) return (*previous)(w, m, word, data);
            ui::ReplaceEditSelection(w, "\x93\xFA");  // one double-byte character
            return 1;
        });
    ASSERT_TRUE(*previous);
    ui::SetItemText(dialog_, kEdit, "\x96\x7B\x96\x7B");
    ui::SelectEditText(edit_, 2, 2);
    SettleDisplay();
    g_signal_emit_by_name(Entry(), "paste-clipboard");
    win::PumpMessages();
    EXPECT_EQ(ui::GetItemText(dialog_, kEdit), "\x96\x7B\x93\xFA\x96\x7B");
    EXPECT_STREQ(gtk_entry_get_text(Entry()), "本日本");
    EXPECT_EQ(gtk_editable_get_position(GTK_EDITABLE(Entry())), 2);
}

TEST_F(GtkEditCharsetTest, LettersGoInWhereTheKeysMovedTheCaret) {
    ASSERT_NE(Entry(), nullptr);
    TakeTypingIntoTheEdit();
    Focus("");
    TypeLetters("ac");
    ASSERT_EQ(Text(), "ac");
    Press(Key::Left);
    TypeLetters("b");
    EXPECT_EQ(Text(), "abc");
    Press(Key::Home);
    TypeLetters("x");
    EXPECT_EQ(Text(), "xabc");
    Press(Key::End);
    TypeLetters("d");
    EXPECT_EQ(Text(), "xabcd");
}

// The focus keeps the caret where the program put it (the end), nothing selected for
// the first letter to replace.
TEST_F(GtkEditCharsetTest, TheFocusKeepsTheProgramsCaret) {
    ASSERT_NE(Entry(), nullptr);
    TakeTypingIntoTheEdit();
    Focus("Allegro");
    EXPECT_FALSE(gtk_editable_get_selection_bounds(GTK_EDITABLE(Entry()), nullptr, nullptr));
    EXPECT_EQ(gtk_editable_get_position(GTK_EDITABLE(Entry())), 7);
    TypeLetters("s");
    EXPECT_EQ(Text(), "Allegros");
}

// A caret or selection set in the entry (as a click or a drag of the pointer sets it)
// is the edit's, in bytes of its double-byte text.
TEST_F(GtkEditCharsetTest, TheEntrysSelectionIsTheEditsInItsBytes) {
    ASSERT_TRUE(ui::SetEditCharset(edit_, kJapanese));
    ASSERT_NE(Entry(), nullptr);
    TakeTypingIntoTheEdit();
    Focus("\x96\x7B\x93\xFA\x96\x7B");  // three double-byte characters
    gtk_editable_set_position(GTK_EDITABLE(Entry()), 1);
    EXPECT_EQ(ui::GetEditSelection(edit_).start, 2);
    EXPECT_EQ(ui::GetEditSelection(edit_).end, 2);
    gtk_editable_select_region(GTK_EDITABLE(Entry()), 1, 3);
    EXPECT_EQ(ui::GetEditSelection(edit_).start, 2);
    EXPECT_EQ(ui::GetEditSelection(edit_).end, 6);
}

}  // namespace
}  // namespace ql::testing
