// The frame's accelerators: the keys the menus name reach the frame from the frame
// and from every score window, focused or not, and run the items' commands; the
// File menu names its keys.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/state.h"
#include "platform/ui/menu.h"
#include "platform/ui/menu_accelerators.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/page_commands.h"
#include "shell/program/program_ids.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

namespace fs = std::filesystem;
using testing::ProgramFixture;
using win::Key;

using FrameAcceleratorsTest = ProgramFixture;

int32_t CommandOf(const ui::AcceleratorTable& table, Key key, uint8_t modifiers) {
    for (const ui::Accelerator& a : table.entries)
        if (a.key == key && a.modifiers == modifiers) return a.command;
    return 0;
}

// The score windows' menu bar names the file and page keys.
TEST_F(FrameAcceleratorsTest, ScoreMenuNamesTheShortcuts) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const ui::AcceleratorTable table = ui::AcceleratorsOfMenu(Frame().childMenu);
    constexpr uint8_t kCtrl = ui::kAcceleratorControl;
    EXPECT_EQ(CommandOf(table, win::LetterKey('N'), kCtrl), cmd::kFileNew);
    EXPECT_EQ(CommandOf(table, win::LetterKey('O'), kCtrl), cmd::kFileOpen);
    EXPECT_EQ(CommandOf(table, win::LetterKey('S'), kCtrl), cmd::kFileSave);
    EXPECT_EQ(CommandOf(table, win::LetterKey('P'), kCtrl), cmd::kFilePrint);
    EXPECT_EQ(CommandOf(table, win::LetterKey('W'), kCtrl), cmd::kCloseView);
    EXPECT_EQ(CommandOf(table, win::LetterKey('F'), kCtrl), page_cmd::kFindPageMeasure);
    EXPECT_EQ(CommandOf(table, win::LetterKey('G'), kCtrl), page_cmd::kPageSetup);
    EXPECT_EQ(CommandOf(table, win::LetterKey('L'), kCtrl), page_cmd::kPageLayout);
    EXPECT_EQ(CommandOf(table, win::FunctionKey(3), 0), page_cmd::kRepeatFind);
    EXPECT_EQ(CommandOf(table, win::FunctionKey(5), ui::kAcceleratorShift), cmd::kCascade);
    EXPECT_EQ(CommandOf(table, win::FunctionKey(4), ui::kAcceleratorAlt), cmd::kExit);
    const ui::AcceleratorTable frameTable = ui::AcceleratorsOfMenu(Frame().frameMenu);
    EXPECT_EQ(CommandOf(frameTable, win::LetterKey('O'), kCtrl), cmd::kFileOpen);
    EXPECT_EQ(CommandOf(frameTable, win::LetterKey('S'), kCtrl), 0);  // no score to save
}

// Every accelerator text of the menus names a key, so no shortcut shown is dead
// (Copy Notes shows "Ctrl+Shft+Ins").
void ExpectEveryShownKeyParses(platform::MenuHandle menu) {
    for (int32_t i = 0; i < ui::GetMenuItemCount(menu); ++i) {
        if (platform::MenuHandle sub = ui::GetSubmenu(menu, i)) {
            ExpectEveryShownKeyParses(sub);
            continue;
        }
        const std::string text = ui::GetMenuItemText(menu, i);
        const std::string_view shown = ui::AcceleratorTextOf(text);
        if (shown.empty()) continue;
        EXPECT_TRUE(ui::ParseAcceleratorText(shown)) << text;
    }
}

TEST_F(FrameAcceleratorsTest, EveryShortcutTheMenusShowWorks) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ExpectEveryShownKeyParses(Frame().childMenu);
    ExpectEveryShownKeyParses(Frame().frameMenu);
    constexpr int32_t kCopyNotes = 40216;
    EXPECT_EQ(CommandOf(ui::AcceleratorsOfMenu(Frame().childMenu), Key::Insert,
                        ui::kAcceleratorControl | ui::kAcceleratorShift),
              kCopyNotes);
}

// Ctrl+S pressed in a score window, and again with no window focused, saves the
// changed score; a key no item names does nothing.
TEST_F(FrameAcceleratorsTest, SaveKeyReachesTheFrameFromAScoreWindow) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string path = WriteScore("keyed.ql");
    RequestOpen(path);
    Pump();
    ScoreView* view = State().documents.ActiveView;
    ASSERT_NE(view, nullptr);
    ScoreDocument* document = view->document;
    for (const platform::WindowHandle focus : {view->ViewWindow, platform::WindowHandle{}}) {
        SetDocumentModified(document);
        const fs::file_time_type before = fs::last_write_time(path);
        win::SetFocus(focus);
        const platform::WindowHandle target = focus ? focus : Frame().window;
        win::headless::SetKeyDown(Key::Control, true);
        win::headless::PostKeyStroke(target, win::LetterKey('Q'));
        Pump();
        EXPECT_NE(document->changeCounter, 0);
        win::headless::PostKeyStroke(target, win::LetterKey('S'));
        Pump();
        win::headless::SetKeyDown(Key::Control, false);
        EXPECT_EQ(document->changeCounter, 0) << "Ctrl+S did not save";
        EXPECT_GE(fs::last_write_time(path), before);
    }
}

}  // namespace
}  // namespace ql
