// The headless window backend.
#include "platform/win/headless_backend.h"

namespace ql::win::detail {
namespace {

// Metrics of the headless "display": a thin border of one pixel, a sizing frame
// of four, scroll bars sixteen wide.
constexpr int32_t kBorder = 1;
constexpr int32_t kFrame = 4;
constexpr int32_t kScrollBar = 16;
constexpr int32_t kCaption = 18;
constexpr int32_t kMenuBar = 19;

}  // namespace

void HeadlessBackend::WaitForWork(std::optional<uint64_t> deadline) {
    // The virtual clock never moves while this thread waits (only the test thread
    // moves it, and that is this thread), so only a post can end the wait.
    if (deadline && *deadline <= Now()) return;
    std::unique_lock lock(mutex_);
    woken_.wait(lock, [this] { return wakePending_; });
    wakePending_ = false;
}

void HeadlessBackend::Wake() {
    {
        std::lock_guard lock(mutex_);
        wakePending_ = true;
    }
    woken_.notify_all();
}

bool HeadlessBackend::IsKeyDown(Key key) {
    auto index = static_cast<size_t>(key);
    return index < kKeyCount && keys_[index];
}

void HeadlessBackend::SetKeyDown(Key key, bool down) {
    auto index = static_cast<size_t>(key);
    if (index < kKeyCount) keys_[index] = down;
}

int32_t HeadlessBackend::Metric(SystemMetric metric) {
    switch (metric) {
        case SystemMetric::BorderWidth:
        case SystemMetric::BorderHeight:
            return kBorder;
        case SystemMetric::FrameWidth:
        case SystemMetric::FrameHeight:
            return kFrame;
        case SystemMetric::VerticalScrollWidth:
        case SystemMetric::HorizontalScrollHeight:
            return kScrollBar;
        case SystemMetric::CaptionHeight:
            return kCaption;
        case SystemMetric::MenuHeight:
            return kMenuBar;
        case SystemMetric::ScreenWidth:
            return screen_.cx;
        case SystemMetric::ScreenHeight:
            return screen_.cy;
    }
    return 0;
}

HeadlessBackend* Headless() { return dynamic_cast<HeadlessBackend*>(&CurrentBackend()); }

}  // namespace ql::win::detail
