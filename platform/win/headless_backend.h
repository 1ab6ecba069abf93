// The headless window backend: a virtual clock that only tests move, key state
// and a pointer position set by tests, fixed metrics, and a wait that returns
// when a message is posted.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/win/backend.h"

namespace ql::win::detail {

class HeadlessBackend final : public Backend {
public:
    uint64_t Now() override { return now_.load(); }
    void WaitForWork(std::optional<uint64_t> deadline) override;
    void Wake() override;
    bool IsKeyDown(Key key) override;
    Point CursorPosition() override { return cursor_; }
    void SetCursorPosition(Point screen) override { cursor_ = screen; }
    // Always succeeds and is recorded.
    bool WarpPointer(Point screen) override {
        cursor_ = screen;
        warps_.push_back(screen);
        return true;
    }
    const std::vector<Point>& Warps() const { return warps_; }
    int32_t Metric(SystemMetric metric) override;
    void WindowChanged(WindowHandle, WindowChange) override {}

    void Advance(uint64_t milliseconds) { now_ += milliseconds; }
    void SetKeyDown(Key key, bool down);
    void SetScreenSize(Size size) { screen_ = size; }

private:
    static constexpr size_t kKeyCount = 256;
    std::atomic<uint64_t> now_{0};
    std::mutex mutex_;
    std::condition_variable woken_;
    bool wakePending_ = false;
    std::array<bool, kKeyCount> keys_{};
    Point cursor_;
    std::vector<Point> warps_;
    Size screen_{1280, 1024};
};

// The installed backend when it is the headless one, else null.
HeadlessBackend* Headless();

}  // namespace ql::win::detail
