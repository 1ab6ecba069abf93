// The pick list in the running program: the File menu of either menu bar lists the
// recent files when it opens, and choosing an entry opens that file once.
#include <gtest/gtest.h>

#include "platform/ui/menu.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"
#include "shell/program/score_windows.h"
#include "shell/recent_files.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using PickListMenuTest = testing::ProgramFixture;

// The texts of the pick-list items of a popup, in menu order.
std::vector<std::string> PickItems(platform::MenuHandle popup) {
    std::vector<std::string> texts;
    for (int32_t i = 0; i < ui::GetMenuItemCount(popup); ++i) {
        const int32_t command = ui::GetMenuItemCommand(popup, i);
        if (command >= cmd::kFirstPickListEntry && command <= cmd::kLastPickListEntry)
            texts.push_back(ui::GetMenuItemText(popup, i));
    }
    return texts;
}

TEST_F(PickListMenuTest, FileMenusListTheRecentFilesAndOpenThem) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string older = WriteScore("older.ql");
    const std::string newer = WriteScore("newer.ql");
    // The frame menu's File popup, as the user opens it.
    ui::NotifyPopupOpening(Frame().window, Frame().frameWindowMenu);
    EXPECT_EQ(PickItems(Frame().frameWindowMenu),
              (std::vector<std::string>{"1. " + newer, "2. " + older}));
    // Entry 2 opens once; the child menu's File popup then shows it on top.
    win::SendMessage(Frame().window, win::Message::Command,
                     win::MakeCommandWord(cmd::kFirstPickListEntry + 1, 0));
    Pump();
    EXPECT_EQ(Captions(), std::vector<std::string>{older});
    const platform::MenuHandle childFile = ui::GetSubmenu(Frame().childMenu, 0);
    ui::NotifyPopupOpening(Frame().window, childFile);
    EXPECT_EQ(PickItems(childFile), (std::vector<std::string>{"1. " + older, "2. " + newer}));
    // A command past the list opens nothing; other popups get no pick list.
    win::SendMessage(Frame().window, win::Message::Command,
                     win::MakeCommandWord(cmd::kFirstPickListEntry + 5, 0));
    Pump();
    EXPECT_EQ(CountOpenDocuments(), 1);
    const platform::MenuHandle view = ui::GetSubmenu(Frame().childMenu, 2);
    ui::NotifyPopupOpening(Frame().window, view);
    EXPECT_TRUE(PickItems(view).empty());
}

}  // namespace
}  // namespace ql
