// The page, navigation and ruler commands reach the active score window from the
// frame's menu: Display Ruler gives the window its rulers, Go to Page runs its
// dialog for the view, and without a score window, or with one whose view is no
// longer valid, the commands do nothing.
#include <gtest/gtest.h>

#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "layout/page/page_dialog_resources.h"
#include "platform/ui/headless.h"
#include "platform/ui/status_bar.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/page_commands.h"
#include "shell/program/score_windows.h"
#include "shell/program/transport_commands.h"
#include "shell/program/view_transport.h"
#include "shell/shell_services.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using PageCommandsTest = testing::ProgramFixture;

void Send(int32_t command) {
    win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(static_cast<uint32_t>(command), 0));
}

TEST_F(PageCommandsTest, CommandsReachTheActiveView) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const size_t dialogs = ui::headless::Dialogs().size();
    Send(page_cmd::kGoToPage);  // no score window: nothing runs
    EXPECT_EQ(ui::headless::Dialogs().size(), dialogs);
    const std::string path = WriteScore("commands.ql");
    ASSERT_TRUE(OpenScorePath(path));
    ScoreView* view = FindViewByPath(path);
    ASSERT_NE(view, nullptr);
    Options().RulerOn = 0;
    Send(page_cmd::kDisplayRuler);
    EXPECT_EQ(Options().RulerOn, 1);
    EXPECT_TRUE(win::IsWindow(view->TopRuler));
    bool ran = false;
    ui::headless::SetDialogScript(go_to_page_dialog::kGoToPageDialog, [&ran](ui::headless::DialogDriver& d) {
        ran = true;
        EXPECT_EQ(d.Text(go_to_page_dialog::kRange), "(1 - 1)");
        d.Click(ui::kIdCancel);
    });
    Send(page_cmd::kGoToPage);
    EXPECT_TRUE(ran);
}

// A window whose view record no longer passes the check every score window's view
// must pass (its self pointer broken) takes no frame command, neither the
// transport's nor one of its own; whole again, it takes them.
TEST_F(PageCommandsTest, AWindowWithAnInvalidViewTakesNoFrameCommand) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string path = WriteScore("invalid.ql");
    ASSERT_TRUE(OpenScorePath(path));
    ScoreView* view = FindViewByPath(path);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(GetActiveScoreView(), view);
    int dialogs = 0;
    ui::headless::SetDialogScript(go_to_page_dialog::kGoToPageDialog, [&dialogs](ui::headless::DialogDriver& d) {
        ++dialogs;
        d.Click(ui::kIdCancel);
    });

    view->self = nullptr;  // the window still holds the record, which no longer passes
    EXPECT_EQ(GetActiveScoreView(), nullptr);
    Send(transport_cmd::kStartPlayback);
    EXPECT_EQ(Transport().started, 0) << "a run started for an invalid view";
    EXPECT_EQ(Transport().playingView, nullptr);
    Send(page_cmd::kGoToPage);
    EXPECT_EQ(dialogs, 0);

    view->self = view;
    Send(page_cmd::kGoToPage);
    EXPECT_EQ(dialogs, 1);
}

}  // namespace
}  // namespace ql

namespace ql {
namespace {

// The page readout of the status bar's first part gives way to "Playing..." while
// a run plays; its second part still follows the page.
TEST_F(PageCommandsTest, PageReadoutKeepsPlayingInTheFirstPart) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string path = WriteScore("playing.ql");
    ASSERT_TRUE(OpenScorePath(path));
    ScoreView* view = FindViewByPath(path);
    ASSERT_NE(view, nullptr);
    SetStatusText(0, "Playing...");
    SetStatusText(1, "");
    const std::string playing = ui::GetStatusBarText(Frame().statusBar, 0);
    const std::string cleared = ui::GetStatusBarText(Frame().statusBar, 1);
    PlaybackFlags().SequencerRunning.store(1);
    ShowPageStatus(view);
    PlaybackFlags().SequencerRunning.store(0);
    EXPECT_EQ(ui::GetStatusBarText(Frame().statusBar, 0), playing);
    EXPECT_NE(ui::GetStatusBarText(Frame().statusBar, 1), cleared);
    ShowPageStatus(view);
    EXPECT_NE(ui::GetStatusBarText(Frame().statusBar, 0), playing);
}

}  // namespace
}  // namespace ql
