// The editing keys of a dialog's edit field on the GTK backend: End, Ctrl+End, Home,
// BackSpace and Delete move the caret and delete where the user sees the caret,
// and typed letters go in at the caret, in single-line and multi-line edits alike;
// Enter makes a new line in a multi-line edit. A focused entry shown anew keeps its
// caret, its text not selected for the next key to replace.
#include <gtest/gtest.h>

#include <memory>

#include "platform/gtk/gtk_install.h"
#include "platform/gtk/gtk_window_backend.h"
#include "platform/tests/gtk/gtk_scene_input.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::testing {
namespace {

using win::Key;
using win::Message;

constexpr int kDialog = 22;
constexpr int32_t kLine = 100;
constexpr int32_t kLines = 101;

class GtkDialogEditKeysTest : public FreshWindowLayer {
protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        if (!gtk::InstallGtkBackends()) GTEST_SKIP() << "no display";
        ui::DialogTemplate t;
        t.caption = "Label";
        t.rect = ui::DialogUnitRect{0, 0, 180, 90};
        const uint32_t style = win::kStyleTabStop | win::kStyleVisible;
        t.controls = {
            ui::ControlTemplate{ui::kEditClass, kLine, "", ui::DialogUnitRect{10, 10, 150, 12}, style, 0},
            ui::ControlTemplate{ui::kEditClass, kLines, "", ui::DialogUnitRect{10, 30, 150, 40},
                                style | ui::kEditMultiLine, 0},
        };
        dialog_ = ShowPlainDialog(kDialog, t);
        ASSERT_TRUE(dialog_);
    }
    void TearDown() override {
        if (dialog_) win::DestroyWindow(dialog_);
        FreshWindowLayer::TearDown();
    }

    // Puts `text` in the edit and gives it the focus, as a dialog does when it opens.
    void Focus(int32_t id, const char* text) {
        ui::SetItemText(dialog_, id, text);
        win::SetFocus(ui::GetDialogItem(dialog_, id));
        input_.Settle();
    }
    void Press(Key key, bool control = false) { input_.PressKey(key, control, false, 0); }
    void Type(const char* letters) {
        for (const char* c = letters; *c; ++c) Press(win::LetterKey(static_cast<char>(*c - 'a' + 'A')));
    }
    std::string Text(int32_t id) { return ui::GetItemText(dialog_, id); }

    GtkSceneInput input_;
    WindowHandle dialog_{};
};

TEST_F(GtkDialogEditKeysTest, TheEditingKeysOfASingleLineEditWorkWhereTheCaretIs) {
    Focus(kLine, "Staff");
    Press(Key::Home);
    Type("my");
    EXPECT_EQ(Text(kLine), "myStaff");
    Press(Key::End);
    Press(Key::Backspace);
    Type("x");
    EXPECT_EQ(Text(kLine), "myStafx");
    Press(Key::Home);
    Press(Key::Delete);
    EXPECT_EQ(Text(kLine), "yStafx");
    Press(Key::Home, true);
    Press(Key::End, true);
    Type("q");
    EXPECT_EQ(Text(kLine), "yStafxq");
}

TEST_F(GtkDialogEditKeysTest, TheEditingKeysOfAMultiLineEditWorkWhereTheCaretIs) {
    Focus(kLines, "Staff");
    Press(Key::End, true);
    Press(Key::Backspace);
    Type("ing");
    EXPECT_EQ(Text(kLines), "Stafing");
    Press(Key::Home, true);
    Press(Key::Delete);
    Type("z");
    EXPECT_EQ(Text(kLines), "ztafing");
    Press(Key::End);
    Press(Key::Enter);
    Type("b");
    EXPECT_EQ(Text(kLines), "ztafing\nb");
}

TEST_F(GtkDialogEditKeysTest, AFocusedEntryKeepsItsCaretWhenItsTextChanges) {
    Focus(kLine, "");
    Type("di");
    gtk::Peer* line = gtk::CurrentGtkBackend()->FindPeer(ui::GetDialogItem(dialog_, kLine));
    ASSERT_TRUE(line && GTK_IS_ENTRY(line->outer));
    // The program shows the text again (as a window that resizes with its text
    // does): the entry is shown anew, its text not selected.
    ui::SetItemText(dialog_, kLine, "di");
    input_.Settle();
    EXPECT_FALSE(gtk_editable_get_selection_bounds(GTK_EDITABLE(line->outer), nullptr, nullptr));
    Press(win::Key::Space);
    EXPECT_EQ(Text(kLine), "di ");
    // Ctrl+A chooses the whole text, for the next key to replace.
    Press(win::LetterKey('A'), true);
    Type("x");
    EXPECT_EQ(Text(kLine), "x");
}

// The function keys are the dialog's, not the edit's: F1 in a focused edit reaches
// the dialog's keys (its help), as the keys that move between controls do; letters
// and the caret keys stay the edit's.
TEST_F(GtkDialogEditKeysTest, FunctionKeysReachTheDialogFromAFocusedEdit) {
    const struct {
        Key key;
        bool reaches;
    } kCases[] = {{Key::F1, true}, {win::FunctionKey(5), true}, {win::LetterKey('Q'), false}, {Key::End, false}};
    for (const auto& c : kCases) {
        Focus(kLine, "Staff");
        Press(c.key);
        bool reached = false;
        win::MessageFilter filters[] = {[&](const win::QueuedMessage& m) {
            reached = reached || (m.message == Message::KeyDown && m.word == static_cast<uint32_t>(c.key));
            return true;
        }};
        win::PumpMessages(filters);
        EXPECT_EQ(reached, c.reaches) << static_cast<uint32_t>(c.key);
    }
}

}  // namespace
}  // namespace ql::testing
