// Audio frames against the clock (see real_time_frames.h).
#include "platform/midi/real_time_frames.h"

#include <cmath>

namespace ql::midi {
namespace {

constexpr double kNanosecondsPerSecond = 1e9;
constexpr int64_t kNanosecondsPerMs = 1'000'000;

}  // namespace

void RealTimeFrames::StartAt(int64_t nowNs) {
    if (started_) return;
    started_ = true;
    startNs_ = nowNs;
    rendered_ = 0;
}

int64_t RealTimeFrames::AheadNs(int64_t nowNs) const {
    const auto renderedNs = static_cast<int64_t>(std::llround(static_cast<double>(rendered_) * kNanosecondsPerSecond / framesPerSecond_));
    return renderedNs - (nowNs - startNs_);
}

int64_t RealTimeFrames::WaitBefore(int64_t nowNs, uint32_t frames) {
    StartAt(nowNs);
    // Behind by more than the credit: the start moves up, the rest is forgotten.
    const int64_t credit = kLagCreditMs * kNanosecondsPerMs;
    if (const int64_t ahead = AheadNs(nowNs); ahead < -credit) startNs_ += -credit - ahead;
    Rendered(frames);
    const int64_t ahead = AheadNs(nowNs);
    if (ahead <= kAheadLimitMs * kNanosecondsPerMs) return 0;
    return ahead - kAheadTargetMs * kNanosecondsPerMs;
}

uint64_t RealTimeFrames::DueFrames(int64_t nowNs) {
    StartAt(nowNs);
    const int64_t ahead = AheadNs(nowNs);
    if (ahead >= 0) return 0;
    return static_cast<uint64_t>(static_cast<double>(-ahead) * framesPerSecond_ / kNanosecondsPerSecond);
}

}  // namespace ql::midi
