// Playback through the built-in synthesizer on a machine whose ALSA layer has no
// device: the device list is [the synthesizer], the ports open onto it, and a
// note of the score sounds in the rendered buffer. Without the soundfont the list
// is empty and a start is refused with nothing opened.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/midi/fluid_device.h"
#include "platform/midi/system_backend.h"
#include "sequencer/sequencer_state.h"
#include "sequencer/tests/builder/score_fixture.h"

namespace ql::testing {
namespace {

constexpr uint8_t kWhole = 12;
constexpr size_t kFrames = 4096;
constexpr int kWaitLimitMs = 5000;  // a bound on waiting for the timer thread, not a timing

class SynthPlaybackTest : public ScoreTest {
protected:
    void Install(std::string soundFont) {
        midi::SynthesizerOptions options;
        options.soundFont = std::move(soundFont);
        options.audioOutput = false;
        midi::InstallBackend(std::make_unique<midi::SystemBackend>(options));
        midi::TakeNotices();
    }
    void TearDown() override {
        StopPlayback();
        ScoreTest::TearDown();  // puts the headless backend back
    }
};

TEST_F(SynthPlaybackTest, ScoreSoundsThroughTheSynthesizer) {
    if (access("/dev/snd/seq", R_OK | W_OK) == 0) GTEST_SKIP() << "this machine has a sequencer";
    if (access(std::string(midi::kGeneralMidiSoundFont).c_str(), R_OK) != 0) GTEST_SKIP() << "no soundfont";
    Install(std::string(midi::kGeneralMidiSoundFont));
    BuildScore(1, 1);
    Note(1, 1, 0, kWhole, 0);
    EXPECT_TRUE(HasPlaybackOutput()) << "Play is not enabled with the synthesizer alone";
    PlaybackRequest request = Request(1, 1);
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    auto* synth = dynamic_cast<midi::FluidSynthDevice*>(PlaybackDeviceOfPort(0));
    ASSERT_NE(synth, nullptr);
    EXPECT_EQ(PlaybackDeviceOfPort(7), PlaybackDeviceOfPort(0));  // every port on the one synthesizer
    SequencerState& state = TheSequencerState();
    for (int ms = 0; ms < kWaitLimitMs && state.live.lastKey[1].load() == 0; ++ms)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_NE(state.live.lastKey[1].load(), 0) << "the note-on was never sent";
    std::vector<float> left(kFrames), right(kFrames);
    ASSERT_TRUE(synth->Render(left, right));
    const float peak = *std::max_element(left.begin(), left.end(), [](float a, float b) { return std::abs(a) < std::abs(b); });
    EXPECT_GT(std::abs(peak), 0.0f);
    StopPlayback();
    EXPECT_FALSE(IsPlaybackRunning());
}

TEST_F(SynthPlaybackTest, NoDeviceAtAllRefusesTheRun) {
    if (access("/dev/snd/seq", R_OK | W_OK) == 0) GTEST_SKIP() << "this machine has a sequencer";
    Install("/nonexistent/none.sf2");
    BuildScore(1, 1);
    Note(1, 1, 0, kWhole, 0);
    EXPECT_FALSE(HasPlaybackOutput()) << "Play is enabled with no output at all";
    EXPECT_EQ(StartPlayback(Request(1, 1)), PlaybackStart::NoOutput);
    EXPECT_FALSE(IsPlaybackRunning());
    EXPECT_EQ(PlaybackDeviceOfPort(0), nullptr);
    EXPECT_EQ(PlaybackFlags().PlaybackActive.load(), 0);
}

}  // namespace
}  // namespace ql::testing
