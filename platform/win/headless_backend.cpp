// The headless window backend.
#include "platform/win/headless_backend.h"

#include "platform/win/frame_metrics.h"

namespace ql::win::detail {
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

// The headless "display" has the layer's own frame metrics.
int32_t HeadlessBackend::Metric(SystemMetric metric) {
    switch (metric) {
        case SystemMetric::BorderWidth:
        case SystemMetric::BorderHeight:
            return kBorderWidth;
        case SystemMetric::FrameWidth:
        case SystemMetric::FrameHeight:
            return kFrameWidth;
        case SystemMetric::VerticalScrollWidth:
        case SystemMetric::HorizontalScrollHeight:
            return kScrollBarWidth;
        case SystemMetric::CaptionHeight:
            return kCaptionHeight;
        case SystemMetric::MenuHeight:
            return kMenuBarHeight;
        case SystemMetric::ScreenWidth:
            return screen_.cx;
        case SystemMetric::ScreenHeight:
            return screen_.cy;
        case SystemMetric::ManagerFrameLeft:  // no window manager
        case SystemMetric::ManagerFrameTop:
        case SystemMetric::ManagerFrameRight:
        case SystemMetric::ManagerFrameBottom:
            return 0;
    }
    return 0;
}

HeadlessBackend* Headless() { return dynamic_cast<HeadlessBackend*>(&CurrentBackend()); }

}  // namespace ql::win::detail
