// The link to the session manager, against a manager on a private bus: the client
// registers under the program's name, takes and gives back its log-out inhibit once
// per change, hears the end-of-session signals on its own thread and answers them;
// with no manager the link is absent and nothing fails.
#include "platform/sys/session_manager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/tests/sys/fake_session_manager.h"

namespace ql::sys {
namespace {

using testing::FakeSessionManager;

bool WaitUntil(const std::atomic<int>& value, int wanted) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (value.load() < wanted && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return value.load() >= wanted;
}

class SessionManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!manager_.Ready()) GTEST_SKIP() << "no dbus-daemon to run a private session bus";
    }
    void TearDown() override { DisconnectSessionManager(); }
    FakeSessionManager manager_;
};

TEST_F(SessionManagerTest, InhibitIsTakenAndGivenBackOncePerChange) {
    ASSERT_TRUE(ConnectSessionManager("quaverline", {}));
    EXPECT_TRUE(manager_.WaitForCall("RegisterClient quaverline"));
    EXPECT_TRUE(SetLogoutInhibit(true, "Unsaved scores"));
    EXPECT_TRUE(SetLogoutInhibit(true, "Unsaved scores"));
    EXPECT_TRUE(IsLogoutInhibited());
    EXPECT_TRUE(SetLogoutInhibit(false, ""));
    EXPECT_FALSE(IsLogoutInhibited());
    EXPECT_TRUE(SetLogoutInhibit(true, "Unsaved scores"));
    EXPECT_EQ(manager_.CountCalls("Inhibit quaverline Unsaved scores 1"), 2u);
    EXPECT_EQ(manager_.CountCalls("Uninhibit"), 1u);
    // Leaving gives the inhibit back and unregisters.
    DisconnectSessionManager();
    EXPECT_EQ(manager_.CountCalls("Uninhibit"), 2u);
    EXPECT_EQ(manager_.CountCalls("UnregisterClient"), 1u);
    EXPECT_FALSE(IsLogoutInhibited());
}

TEST_F(SessionManagerTest, EndOfSessionSignalsAreHeardAndAnswered) {
    std::atomic<int> queries{0};
    std::atomic<int> ends{0};
    ASSERT_TRUE(ConnectSessionManager("quaverline", {[&] { ++queries; }, [&] { ++ends; }}));
    manager_.Send("QueryEndSession");
    ASSERT_TRUE(WaitUntil(queries, 1)) << "the query was not heard";
    AnswerSessionEnd(false, "A score has unsaved changes");
    EXPECT_TRUE(manager_.WaitForCall("EndSessionResponse 0 A score has unsaved changes"));
    manager_.Send("EndSession");
    manager_.Send("Stop");
    EXPECT_TRUE(WaitUntil(ends, 2));
    AnswerSessionEnd(true, "");
    EXPECT_TRUE(manager_.WaitForCall("EndSessionResponse 1"));
    EXPECT_EQ(queries.load(), 1);
}

// A session bus without a manager on it, as on desktops that have none.
TEST(SessionManagerAbsentTest, WithoutAManagerTheLinkIsAbsentAndCallsDoNothing) {
    FakeSessionManager bus(false);
    if (!bus.Ready()) GTEST_SKIP() << "no dbus-daemon to run a private session bus";
    EXPECT_FALSE(ConnectSessionManager("quaverline", {}));
    EXPECT_FALSE(IsSessionManagerConnected());
    EXPECT_FALSE(SetLogoutInhibit(true, "Unsaved scores"));
    EXPECT_TRUE(SetLogoutInhibit(false, ""));
    AnswerSessionEnd(true, "");
    EXPECT_TRUE(bus.Calls().empty());
}

}  // namespace
}  // namespace ql::sys
