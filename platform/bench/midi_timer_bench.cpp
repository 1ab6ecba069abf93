// Lateness of the one-shot timer thread over 10,000 periods of 1 ms, beside a
// bare clock_nanosleep(TIMER_ABSTIME) loop with the same periods, in the same
// run (so a loaded machine moves both). Counters: p50, p99 and max lateness in
// microseconds. Target: the timer's p99 at most 1.5 times the bare loop's.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/midi/timer_thread.h"

namespace ql::midi {
namespace {

constexpr int kPeriods = 10000;
constexpr int64_t kPeriodNs = 1'000'000;
constexpr double kNsPerUs = 1000.0;

void Report(benchmark::State& state, std::vector<int64_t> lateness) {
    std::sort(lateness.begin(), lateness.end());
    auto at = [&](double q) { return lateness[static_cast<size_t>(q * (lateness.size() - 1))] / kNsPerUs; };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
    state.counters["max_us"] = lateness.back() / kNsPerUs;
}

struct Run {
    TimerThread* timer = nullptr;
    std::vector<int64_t> lateness;
    std::atomic<bool> done{false};
};

void BM_TimerLateness(benchmark::State& state) {
    for (auto _ : state) {
        Run run;
        run.lateness.reserve(kPeriods);
        std::unique_ptr<TimerThread> timer = TimerThread::Create(
            [](void* user) {
                auto* r = static_cast<Run*>(user);
                r->lateness.push_back(MonotonicNanoseconds() - r->timer->FiredDeadline());
                if (r->lateness.size() < kPeriods) {
                    r->timer->Arm(1);
                } else {
                    r->done.store(true, std::memory_order_release);
                }
            },
            &run);
        if (!timer) {
            state.SkipWithError("the timer thread could not be made");
            return;
        }
        run.timer = timer.get();
        timer->Arm(1);
        while (!run.done.load(std::memory_order_acquire)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        timer->Cancel();
        state.counters["realtime"] = timer->IsRealtime() ? 1 : 0;
        Report(state, std::move(run.lateness));
    }
    state.SetLabel("target <= 1.5x");
}
BENCHMARK(BM_TimerLateness)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The bare loop on a thread of its own, as the timer's is.
void BM_TimerLateness_Baseline(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<int64_t> lateness;
        lateness.reserve(kPeriods);
        std::thread loop([&] {
            for (int i = 0; i < kPeriods; ++i) {
                int64_t deadline = MonotonicNanoseconds() + kPeriodNs;
                timespec target{static_cast<time_t>(deadline / 1'000'000'000), static_cast<long>(deadline % 1'000'000'000)};
                clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &target, nullptr);
                lateness.push_back(MonotonicNanoseconds() - deadline);
            }
        });
        loop.join();
        Report(state, std::move(lateness));
    }
    state.SetLabel("baseline");
}
BENCHMARK(BM_TimerLateness_Baseline)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace ql::midi
