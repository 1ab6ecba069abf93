// The one-shot timer thread (see timer_thread.h).
#include "platform/midi/timer_thread.h"

#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace ql::midi {
namespace {

constexpr int64_t kNanosecondsPerMs = 1'000'000;
constexpr int64_t kNanosecondsPerSecond = 1'000'000'000;
constexpr int64_t kSliceNs = kTimerSliceMs * kNanosecondsPerMs;

timespec ToTimespec(int64_t ns) {
    return timespec{static_cast<time_t>(ns / kNanosecondsPerSecond), static_cast<long>(ns % kNanosecondsPerSecond)};
}

// Best effort: a refused request leaves the thread as it was.
bool TryRealtime() {
    sched_param param{};
    param.sched_priority = kTimerFifoPriority;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

}  // namespace

int64_t MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
}

std::unique_ptr<TimerThread> TimerThread::Create(TimerCallback callback, void* user) {
    std::unique_ptr<TimerThread> timer(new TimerThread(callback, user));
    try {
        timer->thread_ = std::thread([raw = timer.get()] { raw->Run(); });
    } catch (const std::system_error&) {
        timer->joined_ = true;
        return nullptr;
    }
    return timer;
}

TimerThread::~TimerThread() { Cancel(); }

bool TimerThread::Arm(uint32_t delayMs) {
    if (cancel_.load(std::memory_order_acquire)) return false;
    int64_t delay = std::max<int64_t>(delayMs, 1) * kNanosecondsPerMs;
    deadline_.store(MonotonicNanoseconds() + delay, std::memory_order_release);
    return true;
}

TimerStopReport TimerThread::Cancel() {
    cancel_.store(true, std::memory_order_release);
    if (!joined_) {
        thread_.join();
        joined_ = true;
    }
    return TimerStopReport{slicesAfterCancel_};
}

void TimerThread::Run() {
    realtime_.store(TryRealtime(), std::memory_order_release);
    while (!cancel_.load(std::memory_order_acquire)) {
        if (!SleepOneSlice()) break;
        FireIfDue();
    }
}

// Sleeps to the deadline or one slice, whichever is nearer. False when the cancel
// flag was set meanwhile (the slice is counted).
bool TimerThread::SleepOneSlice() {
    int64_t now = MonotonicNanoseconds();
    int64_t deadline = deadline_.load(std::memory_order_acquire);
    int64_t until = now + kSliceNs;
    if (deadline != 0) until = std::min(until, deadline);
    if (until > now) {
        timespec target = ToTimespec(until);
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &target, nullptr) == EINTR) {
        }
    }
    if (cancel_.load(std::memory_order_acquire)) {
        ++slicesAfterCancel_;
        return false;
    }
    return true;
}

bool TimerThread::FireIfDue() {
    int64_t deadline = deadline_.load(std::memory_order_acquire);
    if (deadline == 0 || MonotonicNanoseconds() < deadline) return false;
    if (!deadline_.compare_exchange_strong(deadline, 0, std::memory_order_acq_rel)) return false;
    if (cancel_.load(std::memory_order_acquire)) return false;
    firedDeadline_ = deadline;
    callback_(user_);
    return true;
}

}  // namespace ql::midi
