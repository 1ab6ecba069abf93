// Stop with a device that misbehaves, on the real timer thread and the real
// clock: staff 1 plays on a device that blocks in its writes, or spins in each
// one, and staff 2 on a healthy one. The outputs are guarded as the system
// backend guards them. Stop returns within a bound far below a hang (it takes a
// fraction of a second), the healthy device still hears the notes end, and the
// misbehaving device is released once its write returns. A slow device (a few
// milliseconds a message) still hears the whole silencing sweep after Stop.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/midi/guarded_output.h"
#include "platform/midi/timer_thread.h"
#include "platform/tests/midi/scripted_output.h"
#include "sequencer/tests/builder/score_fixture.h"

namespace ql::testing {
namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr auto kStopBound = std::chrono::seconds(5);  // a hang bound, not a timing
constexpr auto kWaitBound = std::chrono::seconds(10);
constexpr int64_t kNanosecondsPerMs = 1'000'000;

class MonotonicMs final : public midi::Clock {
public:
    uint32_t NowMs() const override { return static_cast<uint32_t>(midi::MonotonicNanoseconds() / kNanosecondsPerMs); }
};

// Two outputs, "Bad" with the behaviour given and "Good"; every output guarded.
class TestBackend final : public midi::Backend {
public:
    TestBackend(Behaviour bad, std::shared_ptr<Wire> badWire, std::shared_ptr<Wire> goodWire)
        : bad_(bad), badWire_(std::move(badWire)), goodWire_(std::move(goodWire)) {}
    std::vector<midi::DeviceInfo> Devices() override {
        return {{"Bad", midi::DeviceKind::Port, true, false}, {"Good", midi::DeviceKind::Port, true, false}};
    }
    std::unique_ptr<midi::OutputDevice> OpenOutput(std::string_view name) override {
        if (name == "Bad") return midi::GuardOutput(std::make_unique<ScriptedOutput>("Bad", bad_, badWire_));
        if (name == "Good")
            return midi::GuardOutput(std::make_unique<ScriptedOutput>("Good", Behaviour::Healthy, goodWire_));
        return nullptr;
    }
    std::unique_ptr<midi::InputDevice> OpenInput(std::string_view) override { return nullptr; }
    std::unique_ptr<midi::OneShotTimer> CreateTimer(midi::TimerCallback callback, void* user) override {
        return midi::TimerThread::Create(callback, user);
    }
    const midi::Clock& TheClock() const override { return clock_; }

private:
    Behaviour bad_;
    std::shared_ptr<Wire> badWire_;
    std::shared_ptr<Wire> goodWire_;
    MonotonicMs clock_;
};

class MisbehavingDeviceTest : public ScoreTest {};

TEST_F(MisbehavingDeviceTest, StopReturnsAndSilencesTheOthers) {
    for (Behaviour bad : {Behaviour::Blocks, Behaviour::Spins}) {
        SCOPED_TRACE(bad == Behaviour::Blocks ? "a device that blocks" : "a device that spins");
        auto badWire = std::make_shared<Wire>();
        auto goodWire = std::make_shared<Wire>();
        midi::InstallBackend(std::make_unique<TestBackend>(bad, badWire, goodWire));
        BuildScore(2, 2);
        for (int measure = 1; measure <= 2; ++measure)
            for (int staff = 1; staff <= 2; ++staff) Note(staff, measure, 0, kHalf, 0);
        PlaybackRequest request = Request(1, 2);
        request.ports.names = {"Bad", "Good", "", "", "", "", "", ""};
        ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
        {
            std::unique_lock lock(badWire->mutex);
            ASSERT_TRUE(badWire->changed.wait_for(lock, kWaitBound, [&] { return badWire->entered; }))
                << "the run never wrote to the device";
        }
        const auto stopping = SteadyClock::now();
        StopPlayback();
        EXPECT_LT(SteadyClock::now() - stopping, kStopBound) << "Stop waited on the device";
        EXPECT_FALSE(IsPlaybackRunning());
        {
            // The healthy device heard its channel silenced.
            std::lock_guard lock(goodWire->mutex);
            int allNotesOff = 0;
            for (const std::vector<uint8_t>& bytes : goodWire->written)
                allNotesOff += bytes == std::vector<uint8_t>{0xB1, 123, 0} ? 1 : 0;
            EXPECT_EQ(allNotesOff, 1);
        }
        EXPECT_TRUE(badWire->ReleaseAndWaitForTheEnd(kWaitBound)) << "the misbehaving device was never released";
        TearDown();
        SetUp();
    }
}

TEST_F(MisbehavingDeviceTest, ASlowDeviceHearsEveryChannelSilenced) {
    auto slowWire = std::make_shared<Wire>();
    midi::InstallBackend(std::make_unique<TestBackend>(Behaviour::Slow, slowWire, std::make_shared<Wire>()));
    constexpr int kChannels = 8;
    BuildScore(kChannels, 2);  // staff s on channel s - 1; stopped in measure 1, before the last
    for (int staff = 1; staff <= kChannels; ++staff)
        for (int measure = 1; measure <= 2; ++measure) Note(staff, measure, 0, kHalf, 0);
    PlaybackRequest request = Request(1, 2);
    request.ports.names.fill("Bad");
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    StopPlayback();
    ASSERT_TRUE(slowWire->ReleaseAndWaitForTheEnd(kWaitBound)) << "the slow device was never released";
    std::lock_guard lock(slowWire->mutex);
    for (uint8_t channel = 0; channel < kChannels; ++channel) {
        const uint8_t control = static_cast<uint8_t>(0xB0 | channel);
        const auto count = [&](std::vector<uint8_t> bytes) {
            return std::count(slowWire->written.begin(), slowWire->written.end(), bytes);
        };
        EXPECT_GE(count({control, 64, 0}), 1) << "no pedal up on channel " << int{channel};
        EXPECT_GE(count({control, 123, 0}), 1) << "no All Notes Off on channel " << int{channel};
    }
}

}  // namespace
}  // namespace ql::testing
