// Window timers on the headless backend's virtual clock: order, periods,
// coalescing, and stopping by KillTimer and by destroying the window.
#include <utility>
#include <vector>

#include "platform/tests/win/win_test_fixture.h"
#include "platform/win/message_loop.h"
#include "platform/win/timers.h"
#include "platform/win/window.h"

namespace ql::win {
namespace {

using Tick = std::pair<uint32_t, uint32_t>;  // window bits, timer id

class WinTimersTest : public testing::FreshWindowLayer {
protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        WindowClass cls;
        cls.name = "Clocked";
        cls.procedure = [this](WindowHandle w, Message m, uint32_t word, intptr_t data) -> intptr_t {
            if (m == Message::Timer) {
                ticks.emplace_back(w.bits, word);
                if (onTimer) onTimer(w, word);
            }
            return DefaultWindowProc(w, m, word, data);
        };
        ASSERT_TRUE(RegisterWindowClass(cls));
    }

    WindowHandle MakeWindow() {
        WindowParams params;
        params.className = "Clocked";
        return CreateWindow(params);
    }

    std::vector<uint32_t> TimerIdsAfter(uint64_t ms) {
        ticks.clear();
        headless::AdvanceClock(ms);
        PumpMessages();
        std::vector<uint32_t> ids;
        for (const Tick& t : ticks) ids.push_back(t.second);
        return ids;
    }

    std::vector<Tick> ticks;
    std::function<void(WindowHandle, uint32_t)> onTimer;
};

// Timers that fall due within one advance fire in order of their due times.
TEST_F(WinTimersTest, TimersFireInOrderOfDueTime) {
    WindowHandle w = MakeWindow();
    SetTimer(w, 30, 30);
    SetTimer(w, 10, 10);
    SetTimer(w, 20, 20);
    EXPECT_EQ(TimerIdsAfter(35), (std::vector<uint32_t>{10, 20, 30}));
}

// Nothing fires before the period has passed on the virtual clock; then it fires
// once per period while the loop keeps up.
TEST_F(WinTimersTest, TimerFiresOncePerPeriodAndNotBefore) {
    WindowHandle w = MakeWindow();
    SetTimer(w, 1, 10);
    EXPECT_TRUE(TimerIdsAfter(9).empty());
    EXPECT_EQ(TimerIdsAfter(1).size(), 1u);
    EXPECT_EQ(TimerIdsAfter(10).size(), 1u);
    EXPECT_TRUE(TimerIdsAfter(5).empty());
}

// Periods missed while the loop was busy do not pile up: one Timer waits at a time.
TEST_F(WinTimersTest, MissedPeriodsCoalesceIntoOneMessage) {
    WindowHandle w = MakeWindow();
    SetTimer(w, 1, 10);
    EXPECT_EQ(TimerIdsAfter(100).size(), 1u);
    EXPECT_EQ(TimerIdsAfter(10).size(), 1u);
}

// A killed timer stops, and a Timer message of it that was already waiting is
// withdrawn.
TEST_F(WinTimersTest, KilledTimerStopsAndItsWaitingMessageIsWithdrawn) {
    WindowHandle w = MakeWindow();
    SetTimer(w, 1, 10);
    SetTimer(w, 2, 10);
    onTimer = [](WindowHandle window, uint32_t id) {
        if (id == 1) KillTimer(window, 2);
    };
    EXPECT_EQ(TimerIdsAfter(10), std::vector<uint32_t>{1});
    EXPECT_EQ(TimerIdsAfter(50), std::vector<uint32_t>{1});
    EXPECT_FALSE(KillTimer(w, 2));  // already gone
}

// Destroying a window stops its timers; other windows' timers go on.
TEST_F(WinTimersTest, DestroyingTheWindowStopsItsTimers) {
    WindowHandle doomed = MakeWindow();
    WindowHandle kept = MakeWindow();
    SetTimer(doomed, 1, 10);
    SetTimer(kept, 2, 10);
    DestroyWindow(doomed);
    EXPECT_EQ(TimerIdsAfter(10), std::vector<uint32_t>{2});
    EXPECT_FALSE(SetTimer(doomed, 1, 10));
}

// Setting a running timer again restarts its period from now.
TEST_F(WinTimersTest, SettingARunningTimerRestartsItsPeriod) {
    WindowHandle w = MakeWindow();
    SetTimer(w, 1, 10);
    headless::AdvanceClock(8);
    SetTimer(w, 1, 10);
    EXPECT_TRUE(TimerIdsAfter(5).empty());
    EXPECT_EQ(TimerIdsAfter(5).size(), 1u);
}

// A message posted after a timer fell due is still delivered before the timer's.
TEST_F(WinTimersTest, PostedMessagesComeBeforeDueTimers) {
    WindowHandle w = MakeWindow();
    SetTimer(w, 1, 10);
    headless::AdvanceClock(10);
    PostMessage(w, Message::Timer, 99);
    PumpMessages();
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_EQ(ticks[0].second, 99u);
    EXPECT_EQ(ticks[1].second, 1u);
}

}  // namespace
}  // namespace ql::win
