// The counted threads (see counted_threads.h). The count is a plain atomic, which
// no static destructor touches, so that a thread ending at exit may still use it.
#include "platform/midi/counted_threads.h"

#include <atomic>
#include <chrono>
#include <system_error>

namespace ql::midi {
namespace {

constinit std::atomic<int> g_running{0};
// How often a waiter looks again.
constexpr auto kWaitStep = std::chrono::milliseconds(5);

}  // namespace

std::thread StartCountedThread(std::function<void()> body) {
    g_running.fetch_add(1, std::memory_order_acq_rel);
    try {
        return std::thread([body = std::move(body)]() mutable {
            body();
            body = nullptr;  // what the body holds goes before the thread stops counting
            g_running.fetch_sub(1, std::memory_order_acq_rel);
        });
    } catch (const std::system_error&) {
        g_running.fetch_sub(1, std::memory_order_acq_rel);
        throw;
    }
}

int CountedThreadsRunning() { return g_running.load(std::memory_order_acquire); }

bool WaitForCountedThreads(uint32_t ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (CountedThreadsRunning() > 0) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kWaitStep);
    }
    return true;
}

}  // namespace ql::midi
