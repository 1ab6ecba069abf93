// The program in a desktop session, with a session manager on a private bus: the
// log-out inhibit follows the scores' unsaved changes; a log-out request asks each
// changed score as closing the frame does and answers with whether all closed,
// leaving the frame; the session's end closes the program, a changed score getting
// its autosave copy first.
#include <gtest/gtest.h>

#include <filesystem>
#include <chrono>
#include <string>
#include <thread>

#include "core/model/score_document.h"
#include "core/model/view.h"
#include "platform/tests/sys/fake_session_manager.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "platform/win/headless.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

class SessionEndTest : public testing::ProgramFixture {
  protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        if (!manager_.Ready()) GTEST_SKIP() << "no dbus-daemon to run a private session bus";
        ASSERT_EQ(Start(), StartupCode::Ok);
        ASSERT_TRUE(manager_.WaitForCall("RegisterClient quaverline"));
        path_ = WriteScore("tune.ql");
        RequestOpen(path_);
        Pump();
        ASSERT_EQ(CountOpenViews(), 1);
    }
    ScoreDocument* Document() const { return FindViewByPath(path_)->document; }
    // The inhibit's timer runs once.
    void TickInhibitTimer() {
        win::headless::AdvanceClock(1000);
        Pump();
    }
    // Pumps until the manager has heard `count` answers.
    bool PumpUntilAnswered(size_t count) {
        for (int round = 0; round < 200 && manager_.CountCalls("EndSessionResponse") < count; ++round) {
            Pump();
            manager_.WaitForCall("EndSessionResponse", count);
        }
        return manager_.CountCalls("EndSessionResponse") >= count;
    }
    // Pumps until the frame has handled the signal the link posted.
    template <typename Done>
    bool PumpUntil(Done done) {
        for (int round = 0; round < 400 && !done(); ++round) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            Pump();
        }
        return done();
    }

    testing::FakeSessionManager manager_;
    std::string path_;
};

TEST_F(SessionEndTest, TheInhibitIsHeldWhileAScoreHasUnsavedChanges) {
    TickInhibitTimer();
    EXPECT_EQ(manager_.CountCalls("Inhibit"), 0u) << "an unchanged score took the inhibit";
    Document()->changeCounter = 1;
    TickInhibitTimer();
    ASSERT_TRUE(manager_.WaitForCall("Inhibit quaverline"));
    TickInhibitTimer();
    EXPECT_EQ(manager_.CountCalls("Inhibit"), 1u);
    Document()->changeCounter = 0;
    TickInhibitTimer();
    EXPECT_TRUE(manager_.WaitForCall("Uninhibit"));
}

TEST_F(SessionEndTest, ALogOutRequestAsksTheChangedScoreAndAnswersWithTheOutcome) {
    Document()->changeCounter = 1;
    ui::headless::QueueMessageBoxAnswer(ui::kIdCancel);
    manager_.Send("QueryEndSession");
    ASSERT_TRUE(PumpUntilAnswered(1));
    EXPECT_EQ(manager_.CountCalls("EndSessionResponse 0 "), 1u) << "the kept score was not told";
    EXPECT_EQ(CountOpenViews(), 1) << "Cancel closed the score";

    ui::headless::QueueMessageBoxAnswer(ui::kIdNo);
    manager_.Send("QueryEndSession");
    ASSERT_TRUE(PumpUntilAnswered(2));
    EXPECT_EQ(manager_.CountCalls("EndSessionResponse 1 "), 1u);
    EXPECT_EQ(CountOpenViews(), 0);
    EXPECT_TRUE(win::IsWindow(Frame().window)) << "the request closed the frame itself";
    EXPECT_FALSE(Frame().terminating);
}

TEST_F(SessionEndTest, TheSessionsEndWritesTheCopyOfAChangedScoreAndEndsTheProgram) {
    Document()->changeCounter = 1;
    const std::string before = testing::ReadFileBytes(path_);
    manager_.Send("EndSession");
    ASSERT_TRUE(PumpUntil([] { return !win::IsWindow(Frame().window); })) << "the program did not end";
    EXPECT_TRUE(manager_.WaitForCall("EndSessionResponse 1"));
    EXPECT_TRUE(std::filesystem::exists(scratch / "tune.AUT"));
    EXPECT_EQ(testing::ReadFileBytes(path_), before);
    EXPECT_EQ(Frame().exitCode, 1);
}

TEST_F(SessionEndTest, TheSessionsEndWithNothingUnsavedEndsTheProgramPlainly) {
    manager_.Send("EndSession");
    ASSERT_TRUE(PumpUntil([] { return !win::IsWindow(Frame().window); })) << "the program did not end";
    EXPECT_FALSE(std::filesystem::exists(scratch / "tune.AUT"));
    EXPECT_EQ(Frame().exitCode, 0);
}

}  // namespace
}  // namespace ql
