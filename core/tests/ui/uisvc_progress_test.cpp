// The progress dialog: cancel with confirmation stops a long operation; a quit
// request taken while pumping is kept and posted again when the operation ends.
#include <gtest/gtest.h>

#include "core/ui/progress.h"
#include "core/tests/ui/uisvc_fixture.h"
#include "platform/ui/controls.h"
#include "platform/win/message_loop.h"

namespace ql::testing_uisvc {
namespace {

class ProgressTest : public UiServicesTest {
  protected:
    // A long operation of `steps` steps; the user presses Cancel before step
    // `cancelAt`. Returns the number of steps done.
    int RunOperation(int steps, int cancelAt) {
        if (BeginProgressDialog(0, steps, "Importing") != 0) return 0;
        int done = 0;
        for (int step = 1; step <= steps; ++step) {
            if (step == cancelAt)
                win::PostMessage(State().dialogs.ProgressDialog, win::Message::Command,
                                 win::MakeCommandWord(ui::kIdCancel, ui::kButtonClicked));
            if (StepProgressDialog(step) != 0) break;
            ++done;
        }
        return done;
    }
};

// Cancel confirmed with Yes stops the operation at the next poll.
TEST_F(ProgressTest, ConfirmedCancelStopsLongOperation) {
    ui::headless::QueueMessageBoxAnswer(ui::kIdYes);
    EXPECT_EQ(RunOperation(100, 40), 39);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(ui::headless::MessageBoxes()[0].text, "Are you sure you want to cancel?");
    EXPECT_EQ(ui::headless::MessageBoxes()[0].style, ui::kBoxYesNo | ui::kBoxIconExclamation);
    EndProgressDialog();
    EXPECT_EQ(State().dialogs.CancelRequested, 0);
}

// Cancel answered No leaves the operation running to its end.
TEST_F(ProgressTest, CancelAnsweredNoKeepsRunning) {
    ui::headless::QueueMessageBoxAnswer(ui::kIdNo);
    EXPECT_EQ(RunOperation(50, 10), 50);
    EXPECT_EQ(State().dialogs.CancelRequested, 0);
    EndProgressDialog();
}

// While open, the dialog disables the frame and shows caption and range; ending
// it enables the frame again.
TEST_F(ProgressTest, DialogDisablesFrameWhileOpen) {
    BeginProgressDialog(1, 12, "Formatting data...");
    platform::WindowHandle dialog = State().dialogs.ProgressDialog;
    ASSERT_TRUE(win::IsWindow(dialog));
    EXPECT_FALSE(win::IsWindowEnabled(frame_));
    EXPECT_EQ(win::GetWindowText(dialog), "Formatting data...");
    platform::WindowHandle bar = ui::GetDialogItem(dialog, kProgressBarId);
    EXPECT_EQ(ui::GetProgressRange(bar).high, 12);
    StepProgressDialog(5);
    EXPECT_EQ(ui::GetProgressPosition(bar), 5);
    EndProgressDialog();
    EXPECT_FALSE(win::IsWindow(dialog));
    EXPECT_TRUE(win::IsWindowEnabled(frame_));
}

// A second Begin while open resets range and caption and keeps the user's cancel.
TEST_F(ProgressTest, SecondBeginKeepsCancelRequest) {
    ui::headless::QueueMessageBoxAnswer(ui::kIdYes);
    BeginProgressDialog(0, 10, "First");
    win::PostMessage(State().dialogs.ProgressDialog, win::Message::Command,
                     win::MakeCommandWord(ui::kIdCancel, ui::kButtonClicked));
    EXPECT_EQ(StepProgressDialog(1), 1);
    EXPECT_EQ(BeginProgressDialog(0, 20, "Second"), 1);
    EXPECT_EQ(win::GetWindowText(State().dialogs.ProgressDialog), "Second");
    EndProgressDialog();
}

// A quit taken while pumping is reported, kept while the operation runs, and
// posted again when it ends.
TEST_F(ProgressTest, QuitDuringPumpIsRepostedWhenOperationEnds) {
    BeginProgressDialog(0, 10, "Importing");
    win::PostQuitMessage(3);
    EXPECT_EQ(PumpPendingMessages(), kPumpTookQuit);
    EXPECT_EQ(StepProgressDialog(2), 0);  // the operation goes on
    EXPECT_EQ(win::headless::PendingMessageCount(), 0u);
    EndProgressDialog();
    win::QueuedMessage message;
    EXPECT_FALSE(win::GetMessage(message));
    EXPECT_EQ(message.word, 3u);
}

// Without an operation running, a quit taken by the pump is posted again at once.
TEST_F(ProgressTest, QuitOutsideOperationIsPostedAgainAtOnce) {
    win::PostQuitMessage(0);
    EXPECT_EQ(PumpPendingMessages(), kPumpTookQuit);
    EXPECT_EQ(win::headless::PendingMessageCount(), 1u);
    EXPECT_EQ(PumpPendingMessages(), kPumpTookQuit);
    EXPECT_EQ(win::headless::PendingMessageCount(), 1u);
}

// One staff below a page whose bottom lies 10000 units down fits five systems.
TEST(SystemsPerPage, EstimatesFromPageBottom) {
    EXPECT_EQ(EstimateSystemsPerPage(10000 - 30720, -30720, 1), 5);
    EXPECT_EQ(EstimateSystemsPerPage(0, 0, 4), 1);
    EXPECT_EQ(EstimateSystemsPerPage(-30720, 0, 2), 1);
}

}  // namespace
}  // namespace ql::testing_uisvc
