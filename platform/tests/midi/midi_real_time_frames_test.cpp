// Audio frames against the clock: a renderer waits only once it is more than the
// limit ahead, and then down to the target; one that fell behind keeps a bounded
// credit; the file renderer is told what the clock has made due. At 1,000 frames
// a second a frame is a millisecond.
#include <gtest/gtest.h>

#include <vector>

#include "platform/midi/real_time_frames.h"

namespace ql::midi {
namespace {

constexpr double kFramesPerSecond = 1000.0;
constexpr int64_t kNsPerMs = 1'000'000;

struct Step {
    int64_t nowMs;
    uint32_t frames;
    int64_t waitMs;  // what WaitBefore asks for
};

struct Case {
    const char* what;
    std::vector<Step> steps;
};

TEST(RealTimeFrames, WaitsOnlyWhenTooFarAhead) {
    const std::vector<Case> cases = {
        {"a device that blocks keeps pace: no wait", {{0, 64, 0}, {64, 64, 0}, {128, 64, 0}, {192, 64, 0}}},
        {"within the limit ahead: no wait", {{0, 100, 0}, {0, 150, 0}}},
        {"past the limit: down to the target", {{0, 100, 0}, {0, 200, 100}, {100, 100, 100}}},
        {"a device that never blocks is held to the clock", {{0, 300, 100}, {100, 300, 300}, {400, 64, 64}}},
        {"behind by a second: only the credit is kept", {{0, 10, 0}, {1000, 10, 0}, {1000, 500, 60}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RealTimeFrames frames(kFramesPerSecond);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            EXPECT_EQ(frames.WaitBefore(step.nowMs * kNsPerMs, step.frames), step.waitMs * kNsPerMs) << "step " << i;
        }
    }
}

// The file renderer renders what is due and nothing ahead of the clock.
TEST(RealTimeFrames, DueFramesFollowTheClock) {
    RealTimeFrames frames(kFramesPerSecond);
    EXPECT_EQ(frames.DueFrames(5 * kNsPerMs), 0u);  // starts the clock
    EXPECT_EQ(frames.DueFrames(55 * kNsPerMs), 50u);
    frames.Rendered(50);
    EXPECT_EQ(frames.DueFrames(55 * kNsPerMs), 0u);
    frames.Rendered(20);  // ahead: nothing due
    EXPECT_EQ(frames.DueFrames(60 * kNsPerMs), 0u);
    EXPECT_EQ(frames.AheadNs(60 * kNsPerMs), 15 * kNsPerMs);
    EXPECT_EQ(frames.DueFrames(1075 * kNsPerMs), 1000u);
}

}  // namespace
}  // namespace ql::midi
