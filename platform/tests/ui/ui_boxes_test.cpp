// Message boxes and their answers, beeps, the status bar's parts and recorded
// texts, menus with their item states, popup menus answered by script, and
// accelerators.
#include <memory>
#include <vector>

#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/menu.h"
#include "platform/ui/message_box.h"
#include "platform/ui/status_bar.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::ui {
namespace {

using win::Message;

class UiBoxesTest : public testing::FreshWindowLayer {
protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        win::WindowClass cls;
        cls.name = "Frame";
        cls.procedure = [this](WindowHandle, Message m, uint32_t word, intptr_t data) -> intptr_t {
            if (m == Message::Command) commands.emplace_back(win::CommandId(word), win::CommandCode(word));
            // The owner's item states, as a program sets them when a popup opens.
            if (m == Message::InitMenuPopup)
                for (const auto& [command, grayed] : itemStates)
                    EnableMenuItem(MenuHandle(static_cast<uint32_t>(data)), command,
                                   grayed ? MenuItemState::Grayed : MenuItemState::Enabled);
            return 0;
        };
        win::RegisterWindowClass(cls);
        win::WindowParams params;
        params.className = "Frame";
        params.style = win::kStyleVisible;
        params.rect = win::Rect{0, 0, 440, 300};
        frame = win::CreateWindow(params);
    }

    WindowHandle frame;
    std::vector<std::pair<uint32_t, uint32_t>> commands;
    std::vector<std::pair<int32_t, bool>> itemStates;  // command, grayed
};

// Without a queued answer a box answers with its first button; queued answers
// are used in order; an answer the box has no button for is refused.
TEST_F(UiBoxesTest, MessageBoxesTakeQueuedAnswersOrTheirFirstButton) {
    EXPECT_EQ(ShowMessageBox(frame, "Save?", "Product", kBoxYesNoCancel | kBoxIconQuestion), kIdYes);
    EXPECT_EQ(ShowMessageBox(frame, "Retry?", "Product", kBoxRetryCancel), kIdRetry);
    headless::QueueMessageBoxAnswer(kIdNo);
    headless::QueueMessageBoxAnswer(kIdIgnore);
    EXPECT_EQ(ShowMessageBox(frame, "Save?", "Product", kBoxYesNoCancel), kIdNo);
    EXPECT_EQ(ShowMessageBox(frame, "Sure?", "Product", kBoxOkCancel), kIdOk);
    const auto& boxes = headless::MessageBoxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].text, "Save?");
    EXPECT_EQ(boxes[0].style, kBoxYesNoCancel | kBoxIconQuestion);
    EXPECT_EQ(boxes[0].owner, frame);
    EXPECT_FALSE(boxes[2].answerRefused);
    EXPECT_TRUE(boxes[3].answerRefused);
    EXPECT_EQ(ShowMessageBox(frame, "odd", "", 0xE), kIdOk);  // unknown button set shows OK
}

// A style beeps with its icon, whatever button set and default button come
// with it; icon bits that name no icon, and plain numbers, give the default beep.
TEST_F(UiBoxesTest, BeepOfAStyleFollowsItsIconOnly) {
    EXPECT_EQ(BeepKindOfStyle(kBoxYesNoCancel | kBoxIconStop | kBoxDefaultButton3), BeepKind::Stop);
    EXPECT_EQ(BeepKindOfStyle(kBoxYesNo | kBoxIconQuestion), BeepKind::Question);
    EXPECT_EQ(BeepKindOfStyle(kBoxRetryCancel | kBoxIconExclamation | kBoxDefaultButton2), BeepKind::Exclamation);
    EXPECT_EQ(BeepKindOfStyle(kBoxIconInformation), BeepKind::Information);
    // 0x50..0xF0 are icon bits without an icon.
    for (uint32_t icon = kBoxIconInformation + 0x10; icon <= kBoxIconMask; icon += 0x10)
        EXPECT_EQ(BeepKindOfStyle(icon | kBoxOkCancel), BeepKind::Default) << icon;
    EXPECT_EQ(BeepKindOfStyle(7), BeepKind::Default);  // low bits only, no icon
    EXPECT_EQ(BeepKindOfStyle(0x1000 | kBoxOk), BeepKind::Default);  // bits above the default button
    Beep(BeepKindOfStyle(0x1000 | kBoxIconStop));
    EXPECT_EQ(headless::Beeps(), std::vector<BeepKind>{BeepKind::Stop});
}

// The status bar keeps its part edges and texts, records every text set with
// its style (pop-out included), and refuses parts it does not have.
TEST_F(UiBoxesTest, StatusBarPartsAndPopOutTextsAreRecorded) {
    WindowHandle bar = CreateStatusBar(frame, win::kStyleVisible | kStatusBarSizeGrip, "", 0);
    ASSERT_TRUE(bar);
    EXPECT_EQ(win::GetWindowRect(bar).bottom, 300);  // along the frame's bottom
    const int32_t edges[] = {208, 316, 406};
    ASSERT_TRUE(SetStatusBarParts(bar, edges));
    EXPECT_EQ(GetStatusBarParts(bar), (std::vector<int32_t>{208, 316, 406}));
    EXPECT_TRUE(SetStatusBarText(bar, 0, " Notice: No more room in measure.", StatusTextStyle::PopOut));
    EXPECT_TRUE(SetStatusBarText(bar, 1, " "));
    EXPECT_FALSE(SetStatusBarText(bar, 3, " beyond"));
    EXPECT_EQ(GetStatusBarTextStyle(bar, 0), StatusTextStyle::PopOut);
    EXPECT_EQ(GetStatusBarText(bar, 1), " ");
    const auto& texts = headless::StatusTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].part, 0);
    EXPECT_EQ(texts[0].style, StatusTextStyle::PopOut);
    EXPECT_EQ(texts[0].text, " Notice: No more room in measure.");
    EXPECT_EQ(texts[1].bar, bar);
    const int32_t one[] = {-1};
    SetStatusBarParts(bar, one);
    EXPECT_EQ(GetStatusBarText(bar, 0), " Notice: No more room in measure.");  // kept
    EXPECT_FALSE(SetStatusBarText(frame, 0, "not a status bar"));
}

// The text a status bar is made with is its first part's text, recorded like
// any text set later; an empty one records nothing.
TEST_F(UiBoxesTest, StatusBarTextGivenAtCreationIsRecorded) {
    WindowHandle ready = CreateStatusBar(frame, win::kStyleVisible, " Ready", 0);
    CreateStatusBar(frame, win::kStyleVisible, "", 1);
    EXPECT_EQ(GetStatusBarText(ready, 0), " Ready");
    const auto& texts = headless::StatusTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].bar, ready);
    EXPECT_EQ(texts[0].part, 0);
    EXPECT_EQ(texts[0].text, " Ready");
}

// A popup returns the command the test chose; one that cannot be chosen
// (grayed) or no choice at all gives 0; without kTrackReturnCommand the owner
// gets the command.
TEST_F(UiBoxesTest, PopupMenuReturnsTheScriptedCommand) {
    MenuHandle popup = CreatePopupMenu();
    AppendMenuItem(popup, 301, "Delete");
    AppendMenuItem(popup, 302, "Hide", kMenuGrayed);
    MenuHandle more = CreatePopupMenu();
    AppendMenuItem(more, 303, "Properties");
    AppendSubmenu(popup, more, "More");
    headless::QueuePopupMenuChoice(303);
    headless::QueuePopupMenuChoice(302);
    headless::QueuePopupMenuChoice(301);
    EXPECT_EQ(TrackPopupMenu(popup, kTrackReturnCommand, win::Point{5, 6}, frame), 303);
    EXPECT_EQ(TrackPopupMenu(popup, kTrackReturnCommand, win::Point{5, 6}, frame), 0);
    EXPECT_EQ(TrackPopupMenu(popup, kTrackRightButton, win::Point{5, 6}, frame), 1);
    EXPECT_EQ(commands, (std::vector<std::pair<uint32_t, uint32_t>>{{301, 0}}));
    EXPECT_EQ(TrackPopupMenu(popup, kTrackReturnCommand, win::Point{5, 6}, frame), 0);  // dismissed
    ASSERT_EQ(headless::PopupMenus().size(), 4u);
    EXPECT_EQ(headless::PopupMenus()[0].point, (win::Point{5, 6}));
}

// A menu built from a template finds items through its submenus; check and
// enable calls return the previous state and -1 for unknown commands.
TEST_F(UiBoxesTest, MenuFromTemplateChecksAndGreysItemsByCommand) {
    auto bundle = std::make_shared<sys::ResourceBundle>();
    bundle->menus["FrameMenu"] = MenuTemplate{{
        MenuItemTemplate{"&File", 0, 0, {{"&Open", 101, 0, {}}, {"", 0, kMenuSeparator, {}}, {"E&xit", 102, 0, {}}}},
        MenuItemTemplate{"&Help", 0, 0, {{"&Contents", 201, kMenuChecked, {}}}},
    }};
    sys::SetProgramBundle(bundle);
    MenuHandle bar = LoadMenu("FRAMEMENU");
    ASSERT_TRUE(bar);
    EXPECT_EQ(GetMenuItemCount(bar), 2);
    MenuHandle file = GetSubmenu(bar, 0);
    EXPECT_EQ(GetMenuItemCount(file), 3);
    EXPECT_EQ(GetMenuItemCommand(file, 1), -1);  // the separator
    EXPECT_EQ(CheckMenuItem(bar, 201, false), 1);
    EXPECT_EQ(CheckMenuItem(bar, 201, true), 0);
    EXPECT_EQ(EnableMenuItem(bar, 102, MenuItemState::Grayed), static_cast<int32_t>(MenuItemState::Enabled));
    EXPECT_EQ(GetMenuItemFlags(bar, 102), kMenuGrayed);
    EXPECT_EQ(CheckMenuItem(bar, 999, true), -1);
    EXPECT_TRUE(DestroyMenu(bar));
    EXPECT_FALSE(IsMenu(file));  // submenus go with their menu
    EXPECT_FALSE(LoadMenu("NoSuchMenu"));
}

// A submenu has one owner and no menu can hold itself, so searches by command
// always end.
TEST_F(UiBoxesTest, SubmenuCannotBeSharedOrHoldItsOwnMenu) {
    MenuHandle bar = CreateMenuBar();
    MenuHandle file = CreatePopupMenu();
    MenuHandle recent = CreatePopupMenu();
    AppendMenuItem(recent, 40001, "1 Score.ql");
    ASSERT_TRUE(AppendSubmenu(bar, file, "&File"));
    ASSERT_TRUE(AppendSubmenu(file, recent, "Recent"));
    EXPECT_FALSE(AppendSubmenu(recent, bar, "Loop"));  // bar holds recent
    EXPECT_FALSE(AppendSubmenu(file, file, "Self"));
    EXPECT_FALSE(AppendSubmenu(bar, recent, "Again"));  // file owns it already
    EXPECT_EQ(GetMenuItemCount(bar), 1);
    EXPECT_EQ(CheckMenuItem(bar, 40002, true), -1);  // a search that must end
    EXPECT_EQ(CheckMenuItem(bar, 40001, true), 0);
}

// An accelerator fires only with exactly its modifiers held, and sends the
// command with the accelerator code.
TEST_F(UiBoxesTest, AcceleratorsNeedExactlyTheirModifiers) {
    AcceleratorTable table{{Accelerator{win::LetterKey('S'), kAcceleratorControl, 57603}}};
    win::QueuedMessage keyS{frame, Message::KeyDown, static_cast<uint32_t>(win::LetterKey('S')), 1};
    EXPECT_FALSE(TranslateAccelerator(frame, table, keyS));
    win::headless::SetKeyDown(win::Key::Control, true);
    win::headless::SetKeyDown(win::Key::Shift, true);
    EXPECT_FALSE(TranslateAccelerator(frame, table, keyS));
    win::headless::SetKeyDown(win::Key::Shift, false);
    EXPECT_TRUE(TranslateAccelerator(frame, table, keyS));
    EXPECT_EQ(commands, (std::vector<std::pair<uint32_t, uint32_t>>{{57603, win::kCommandFromAccelerator}}));
    win::QueuedMessage keyUp{frame, Message::KeyUp, keyS.word, 1};
    EXPECT_FALSE(TranslateAccelerator(frame, table, keyUp));
}

// A key runs only what its menu item would: the item's state is brought up to date
// as for opening its menus (a submenu's too), and a grayed item sends no command
// and leaves the key to its window. A command no menu item has is sent as it stands.
TEST_F(UiBoxesTest, AnAcceleratorOfAGrayedItemSendsNothing) {
    MenuHandle bar = CreateMenuBar();
    MenuHandle file = CreatePopupMenu();
    MenuHandle recent = CreatePopupMenu();
    AppendMenuItem(file, 57603, "&Save\tCtrl+S");
    AppendMenuItem(recent, 40001, "1 Score.ql\tCtrl+R");
    AppendSubmenu(file, recent, "Recent");
    AppendSubmenu(bar, file, "&File");
    ASSERT_TRUE(win::SetWindowMenu(frame, bar));
    AcceleratorTable table{{Accelerator{win::LetterKey('S'), kAcceleratorControl, 57603},
                            Accelerator{win::LetterKey('R'), kAcceleratorControl, 40001},
                            Accelerator{win::LetterKey('Q'), kAcceleratorControl, 57665}}};
    win::headless::SetKeyDown(win::Key::Control, true);
    const struct {
        char key;
        bool grayed;
        uint32_t sent;  // 0: none
    } cases[] = {{'S', true, 0}, {'S', false, 57603}, {'R', true, 0}, {'R', false, 40001}, {'Q', true, 57665}};
    for (const auto& c : cases) {
        commands.clear();
        itemStates = {{57603, c.grayed}, {40001, c.grayed}};
        // The menu shows the item enabled until the owner says otherwise.
        EnableMenuItem(bar, 57603, MenuItemState::Enabled);
        EnableMenuItem(bar, 40001, MenuItemState::Enabled);
        const win::QueuedMessage key{frame, Message::KeyDown, static_cast<uint32_t>(win::LetterKey(c.key)), 1};
        EXPECT_EQ(TranslateAccelerator(frame, table, key), c.sent != 0) << c.key;
        const auto expected = c.sent == 0 ? std::vector<std::pair<uint32_t, uint32_t>>{}
                                          : std::vector<std::pair<uint32_t, uint32_t>>{{c.sent, win::kCommandFromAccelerator}};
        EXPECT_EQ(commands, expected) << "Ctrl+" << c.key << (c.grayed ? " grayed" : " enabled");
    }
    win::headless::SetKeyDown(win::Key::Control, false);
}

}  // namespace
}  // namespace ql::ui
