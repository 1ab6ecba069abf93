// The one-shot timer on a thread of its own, one per run.
//
// The thread sleeps to an absolute CLOCK_MONOTONIC deadline with
// clock_nanosleep(TIMER_ABSTIME), in slices of at most kTimerSliceMs, and tests an
// atomic cancel flag between slices, so Cancel waits at most one slice. When the
// deadline is reached the arming is taken (compare-exchange, so an Arm racing with
// it is never lost) and the callback runs; the callback may Arm again. The thread
// asks for SCHED_FIFO and silently stays SCHED_OTHER when that is refused (the
// engine locks its own state in memory, best effort).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "platform/midi/midi.h"

namespace ql::midi {

constexpr uint32_t kTimerSliceMs = 5;
// The SCHED_FIFO priority the timer thread asks for: below the kernel's own
// soft-interrupt threads, above every ordinary thread. No other thread of the
// program asks for as much.
constexpr int kTimerFifoPriority = 40;

// CLOCK_MONOTONIC in nanoseconds.
int64_t MonotonicNanoseconds();

class TimerThread final : public OneShotTimer {
public:
    // Null when the thread cannot be made.
    static std::unique_ptr<TimerThread> Create(TimerCallback callback, void* user);
    ~TimerThread() override;

    bool Arm(uint32_t delayMs) override;
    TimerStopReport Cancel() override;

    // Inside the callback: the deadline (CLOCK_MONOTONIC ns) that made it run.
    int64_t FiredDeadline() const { return firedDeadline_; }
    // True when the thread runs under SCHED_FIFO.
    bool IsRealtime() const { return realtime_.load(std::memory_order_acquire); }

private:
    TimerThread(TimerCallback callback, void* user) : callback_(callback), user_(user) {}
    void Run();
    bool SleepOneSlice();
    bool FireIfDue();

    TimerCallback callback_;
    void* user_;
    std::atomic<int64_t> deadline_{0};  // 0: not armed
    std::atomic<bool> cancel_{false};
    std::atomic<bool> realtime_{false};
    int64_t firedDeadline_ = 0;        // the timer thread's own
    uint32_t slicesAfterCancel_ = 0;   // the timer thread's own until joined
    std::thread thread_;
    bool joined_ = false;
};

}  // namespace ql::midi
