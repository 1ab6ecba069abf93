// Controls outside the dialog runner: reading numbers from edits, edit limits
// and read-only state, check boxes and radio groups, combo and list boxes,
// up-down wrap and base, progress clamping, and calls on the wrong kind of control.
#include <memory>
#include <vector>

#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/control_state.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::ui {
namespace {

using win::Message;

class UiControlsTest : public testing::FreshWindowLayer {
protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        detail::EnsureControlClasses();
        win::WindowClass cls;
        cls.name = "Host";
        cls.procedure = [this](WindowHandle, Message m, uint32_t word, intptr_t) -> intptr_t {
            if (m == Message::Command) notices.emplace_back(win::CommandId(word), win::CommandCode(word));
            return 0;
        };
        win::RegisterWindowClass(cls);
        win::WindowParams params;
        params.className = "Host";
        params.style = win::kStyleVisible;
        host = win::CreateWindow(params);
    }

    WindowHandle Add(const char* cls, int32_t id, uint32_t style = 0) {
        win::WindowParams params;
        params.className = cls;
        params.style = style | win::kStyleChild | win::kStyleVisible;
        params.parent = host;
        params.id = id;
        return win::CreateWindow(params);
    }

    WindowHandle host;
    std::vector<std::pair<uint32_t, uint32_t>> notices;  // id, code
};

// Numbers are read with blanks around them allowed; a sign only when signed;
// anything else, and values out of range, read as nothing.
TEST_F(UiControlsTest, EditNumbersParseStrictlyWithinRange) {
    Add(kEditClass, 1);
    auto signedOf = [&](const char* text) {
        SetItemText(host, 1, text);
        return GetItemInt(host, 1);
    };
    auto unsignedOf = [&](const char* text) {
        SetItemText(host, 1, text);
        return GetItemUnsigned(host, 1);
    };
    EXPECT_EQ(signedOf("  -42 "), -42);
    EXPECT_EQ(signedOf("2147483647"), INT32_MAX);
    EXPECT_EQ(signedOf("-2147483648"), INT32_MIN);
    EXPECT_EQ(signedOf("2147483648"), std::nullopt);
    EXPECT_EQ(signedOf(""), std::nullopt);
    EXPECT_EQ(signedOf("-"), std::nullopt);
    EXPECT_EQ(signedOf("12a"), std::nullopt);
    EXPECT_EQ(signedOf("1 2"), std::nullopt);
    EXPECT_EQ(unsignedOf("4294967295"), 4294967295u);
    EXPECT_EQ(unsignedOf("-1"), std::nullopt);
    SetItemInt(host, 1, -1, false);
    EXPECT_EQ(GetItemText(host, 1), "4294967295");
}

// Writing an edit's text tells the parent of the change, as typing does.
TEST_F(UiControlsTest, SettingEditTextNotifiesTheChange) {
    Add(kEditClass, 7);
    SetItemText(host, 7, "abc");
    EXPECT_EQ(notices, (std::vector<std::pair<uint32_t, uint32_t>>{{7, kEditChange}}));
}

// Typing replaces the selection within the limit; a read-only edit refuses it.
TEST_F(UiControlsTest, TypingRespectsTheLimitAndReadOnly) {
    WindowHandle edit = Add(kEditClass, 2);
    SetEditLimit(edit, 5);
    win::SetWindowText(edit, "abcd");
    SelectEditText(edit, 1, 3);
    EXPECT_TRUE(ReplaceEditSelection(edit, "XYZW"));
    EXPECT_EQ(win::GetWindowText(edit), "aXYZd");
    EXPECT_EQ(GetEditSelection(edit).start, 4);
    SelectAllEditText(edit);
    EXPECT_EQ(GetEditSelection(edit).end, 5);
    SetEditReadOnly(edit, true);
    EXPECT_FALSE(ReplaceEditSelection(edit, "q"));
    EXPECT_EQ(win::GetWindowText(edit), "aXYZd");
    SelectEditText(edit, 3, 99);  // clamped to the text
    EXPECT_EQ(GetEditSelection(edit).end, 5);
}

// A keystroke that changes nothing (backspace at the start, a character with
// the limit reached) tells the parent of no change.
TEST_F(UiControlsTest, KeystrokeThatChangesNothingIsNotNotified) {
    WindowHandle edit = Add(kEditClass, 4);
    SetEditLimit(edit, 2);
    win::SetWindowText(edit, "ab");
    SelectEditText(edit, 0, 0);
    win::SendMessage(edit, Message::Char, '\b');
    SelectEditText(edit, 2, 2);
    win::SendMessage(edit, Message::Char, '7');
    EXPECT_EQ(win::GetWindowText(edit), "ab");
    EXPECT_TRUE(notices.empty());
}

// Typed characters reach the edit through its Char messages, with backspace.
TEST_F(UiControlsTest, CharMessagesTypeIntoTheEdit) {
    WindowHandle edit = Add(kEditClass, 3);
    win::headless::PostKeyStroke(edit, win::DigitKey(1), '1');
    win::headless::PostKeyStroke(edit, win::DigitKey(2), '2');
    win::headless::PostKeyStroke(edit, win::Key::Backspace, '\b');
    win::headless::PostKeyStroke(edit, win::DigitKey(5), '5');
    win::PumpMessages();
    EXPECT_EQ(win::GetWindowText(edit), "15");
}

// Clicking an auto radio button unchecks the other radios of its group only;
// an auto check box toggles; both tell the parent.
TEST_F(UiControlsTest, AutoRadioClearsOnlyItsOwnGroup) {
    WindowHandle a = Add(kButtonClass, 10, kButtonAutoRadio | win::kStyleGroup);
    WindowHandle b = Add(kButtonClass, 11, kButtonAutoRadio);
    WindowHandle c = Add(kButtonClass, 12, kButtonAutoRadio | win::kStyleGroup);
    WindowHandle check = Add(kButtonClass, 13, kButtonAutoCheckBox);
    ClickButton(a);
    ClickButton(c);
    EXPECT_TRUE(IsItemChecked(host, 10));
    ClickButton(b);
    EXPECT_FALSE(IsItemChecked(host, 10));
    EXPECT_TRUE(IsItemChecked(host, 11));
    EXPECT_TRUE(IsItemChecked(host, 12));  // another group
    ClickButton(check);
    ClickButton(check);
    EXPECT_FALSE(IsItemChecked(host, 13));
    EXPECT_EQ(notices.size(), 5u);
    CheckRadioButton(host, 10, 12, 12);
    EXPECT_FALSE(IsItemChecked(host, 11));
    EXPECT_TRUE(IsItemChecked(host, 12));
    win::WindowParams lone;  // a radio button with no parent is a group of one
    lone.className = kButtonClass;
    lone.style = kButtonAutoRadio | win::kStyleVisible;
    WindowHandle alone = win::CreateWindow(lone);
    EXPECT_TRUE(ClickButton(alone));
    EXPECT_EQ(GetButtonCheck(alone), CheckState::Checked);
}

// A radio range reaching the largest control id checks and clears within it.
TEST_F(UiControlsTest, RadioRangeReachingTheLargestIdWorks) {
    Add(kButtonClass, INT32_MAX - 1, kButtonRadio);
    Add(kButtonClass, INT32_MAX, kButtonRadio);
    Add(kButtonClass, 5, kButtonRadio);
    CheckItem(host, 5, true);
    EXPECT_TRUE(CheckRadioButton(host, INT32_MAX - 1, INT32_MAX, INT32_MAX));
    EXPECT_TRUE(IsItemChecked(host, INT32_MAX));
    EXPECT_FALSE(IsItemChecked(host, INT32_MAX - 1));
    EXPECT_TRUE(IsItemChecked(host, 5));  // outside the range
}

// A sorted combo inserts in order; deleting an item before the selection keeps
// the same item selected; finding ignores case; data stays with its item.
TEST_F(UiControlsTest, SortedComboKeepsOrderSelectionAndData) {
    WindowHandle combo = Add(kComboBoxClass, 20, kComboDropDownList | kComboSort);
    ComboAddString(combo, "pear");
    ComboAddString(combo, "Apple");
    int32_t fig = ComboAddString(combo, "fig");
    EXPECT_EQ(fig, 1);
    ComboSetItemData(combo, fig, 1234);
    EXPECT_EQ(ComboSetSelection(combo, 2), 2);
    EXPECT_EQ(win::GetWindowText(combo), "pear");
    ComboDeleteString(combo, 0);
    EXPECT_EQ(ComboGetSelection(combo), 1);
    EXPECT_EQ(ComboGetItemText(combo, 1), "pear");
    EXPECT_EQ(ComboGetItemData(combo, 0), 1234);
    EXPECT_EQ(ComboFindExact(combo, "PEAR"), 1);
    EXPECT_EQ(ComboSetSelection(combo, 5), -1);
    EXPECT_EQ(ComboGetSelection(combo), -1);
}

// Multiple-selection lists keep a set; single ones keep one item and refuse
// the set calls, and the other way round.
TEST_F(UiControlsTest, ListSelectionFollowsTheListKind) {
    WindowHandle many = Add(kListBoxClass, 30, kListMultipleSelection);
    WindowHandle one = Add(kListBoxClass, 31);
    for (const char* t : {"a", "b", "c"}) {
        ListAddString(many, t);
        ListAddString(one, t);
    }
    EXPECT_TRUE(ListSetItemSelected(many, 0, true));
    EXPECT_TRUE(ListSetItemSelected(many, 2, true));
    EXPECT_EQ(ListGetSelectedItems(many), (std::vector<int32_t>{0, 2}));
    EXPECT_EQ(ListSetSelection(many, 1), -1);
    EXPECT_FALSE(ListSetItemSelected(one, 0, true));
    EXPECT_EQ(ListSetSelection(one, 1), 1);
    EXPECT_EQ(ListGetSelectedItems(one), std::vector<int32_t>{1});
    EXPECT_TRUE(ListSetItemSelected(many, -1, false));
    EXPECT_TRUE(ListGetSelectedItems(many).empty());
    ListSetItemData(one, 2, -7);
    ListInsertString(one, 0, "z");
    EXPECT_EQ(ListGetItemData(one, 3), -7);
    EXPECT_EQ(ListGetSelection(one), 2);
}

// An up-down wraps round with the wrap option, runs a reversed range the other
// way, and writes hexadecimal into its buddy in base 16.
TEST_F(UiControlsTest, UpDownWrapsReversesAndWritesItsBase) {
    WindowHandle buddy = Add(kEditClass, 41);
    WindowHandle wrap = Add(kUpDownClass, 40, kUpDownWrap | kUpDownSetBuddyInt);
    SetUpDownBuddy(wrap, buddy);
    SetUpDownRange(wrap, 0, 2);
    SetUpDownPosition(wrap, 2);
    PressUpDownArrow(wrap, true);
    EXPECT_EQ(GetUpDownPosition(wrap), 0);
    PressUpDownArrow(wrap, false);
    EXPECT_EQ(GetUpDownPosition(wrap), 2);
    SetUpDownBase(wrap, 16);
    SetUpDownRange(wrap, 0, 255);
    SetUpDownPosition(wrap, 254);
    PressUpDownArrow(wrap, true);
    EXPECT_EQ(win::GetWindowText(buddy), "0xFF");
    WindowHandle reversed = Add(kUpDownClass, 42);
    SetUpDownRange(reversed, 10, 0);
    SetUpDownPosition(reversed, 5);
    PressUpDownArrow(reversed, true);
    EXPECT_EQ(GetUpDownPosition(reversed), 4);  // up runs toward `upper`, here 0
    EXPECT_EQ(SetUpDownPosition(reversed, -3), 4);
    EXPECT_EQ(GetUpDownPosition(reversed), 0);
}

// Progress positions stay inside the range; an inverted range is refused.
TEST_F(UiControlsTest, ProgressPositionStaysInsideTheRange) {
    WindowHandle bar = Add(kProgressBarClass, 50);
    EXPECT_TRUE(SetProgressRange(bar, 1, 12));
    SetProgressPosition(bar, 40);
    EXPECT_EQ(GetProgressPosition(bar), 12);
    EXPECT_FALSE(SetProgressRange(bar, 5, 1));
    EXPECT_EQ(GetProgressRange(bar).high, 12);
}

// Calls on a control of another kind fail and change nothing.
TEST_F(UiControlsTest, CallsOnTheWrongKindOfControlFail) {
    WindowHandle list = Add(kListBoxClass, 60);
    WindowHandle edit = Add(kEditClass, 61);
    EXPECT_EQ(ComboAddString(list, "x"), -1);
    EXPECT_EQ(ListGetCount(list), 0);
    EXPECT_FALSE(SetUpDownRange(edit, 0, 1));
    EXPECT_FALSE(SetButtonCheck(edit, CheckState::Checked));
    EXPECT_FALSE(SetEditLimit(list, 3));
    EXPECT_FALSE(ClickButton(edit));
}

}  // namespace
}  // namespace ql::ui
