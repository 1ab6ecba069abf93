// The one-shot timer thread: it fires once per arming, re-arms from its own
// callback, and Cancel returns with the thread gone having slept at most one
// slice after the cancel flag was set (counted by the thread itself).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/midi/timer_thread.h"

namespace ql::midi {
namespace {

constexpr int kMaxWaitSteps = 10000;  // bounds a wait; nothing is asserted about time

struct Chain {
    std::atomic<int> calls{0};
    int wanted = 0;
    TimerThread* timer = nullptr;
};

void WaitFor(const std::atomic<int>& calls, int wanted) {
    for (int step = 0; step < kMaxWaitSteps && calls.load() < wanted; ++step)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Each arming fires once; the callback re-arms until it has run `wanted` times.
TEST(MidiTimerThread, ReArmsFromItsOwnCallback) {
    Chain chain;
    chain.wanted = 25;
    std::unique_ptr<TimerThread> timer = TimerThread::Create(
        [](void* user) {
            auto* c = static_cast<Chain*>(user);
            if (c->calls.fetch_add(1) + 1 < c->wanted) c->timer->Arm(1);
        },
        &chain);
    ASSERT_NE(timer, nullptr);
    chain.timer = timer.get();
    EXPECT_TRUE(timer->Arm(2));
    WaitFor(chain.calls, chain.wanted);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(chain.calls.load(), chain.wanted);
    TimerStopReport report = timer->Cancel();
    EXPECT_LE(report.slicesAfterCancel, 1u);
    EXPECT_FALSE(timer->Arm(1));
}

// Cancel with a wait of 16 seconds pending: the thread notices within one slice,
// the callback never runs, and a second Cancel is harmless.
TEST(MidiTimerThread, CancelIsPromptDuringALongWait) {
    std::atomic<int> calls{0};
    std::unique_ptr<TimerThread> timer =
        TimerThread::Create([](void* user) { static_cast<std::atomic<int>*>(user)->fetch_add(1); }, &calls);
    ASSERT_NE(timer, nullptr);
    timer->Arm(16000);
    std::this_thread::sleep_for(std::chrono::milliseconds(12));
    TimerStopReport report = timer->Cancel();
    EXPECT_EQ(report.slicesAfterCancel, 1u);
    EXPECT_EQ(calls.load(), 0);
    EXPECT_EQ(timer->Cancel().slicesAfterCancel, 1u);
}

// Periods of at least the minimum are always granted; 0 is not a period.
TEST(MidiTimerThread, PeriodsOfTheMinimumAreGranted) {
    EXPECT_TRUE(BeginTimerPeriod(kMinimumTimerPeriodMs));
    EXPECT_TRUE(EndTimerPeriod(kMinimumTimerPeriodMs));
    EXPECT_FALSE(BeginTimerPeriod(0));
}

}  // namespace
}  // namespace ql::midi
