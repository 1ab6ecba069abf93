// Playback through the built-in synthesizer on a machine whose ALSA layer has no
// device: the device list is [the synthesizer], the ports open onto it, and a
// note of the score sounds in the rendered buffer. The port map, the run and the
// note preview share one synthesizer. A score played in real time into the WAV
// hook lasts as long as its tempo says and sounds where its notes are. Without
// the soundfont the list is empty and a start is refused with nothing opened.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/midi/fluid_device.h"
#include "platform/midi/system_backend.h"
#include "platform/tests/midi/wav_samples.h"
#include "platform/win/message_loop.h"
#include "sequencer/sequencer_services.h"
#include "sequencer/sequencer_state.h"
#include "sequencer/tests/builder/score_fixture.h"

namespace ql::testing {
namespace {

constexpr uint8_t kWhole = 12;
constexpr size_t kFrames = 4096;
constexpr int kWaitLimitMs = 5000;  // a bound on waiting for the timer thread, not a timing

class SynthPlaybackTest : public ScoreTest {
protected:
    void Install(std::string soundFont, std::string wavFile = {}) {
        midi::SynthesizerOptions options;
        options.soundFont = std::move(soundFont);
        options.audioOutput = !wavFile.empty();
        options.wavFile = std::move(wavFile);
        midi::InstallBackend(std::make_unique<midi::SystemBackend>(options));
        midi::TakeNotices();
    }
    void TearDown() override {
        StopPlayback();
        CloseMidiOutputPorts();
        ScoreTest::TearDown();  // puts the headless backend back
    }
};

bool MachineWithoutSequencer() { return access("/dev/snd/seq", R_OK | W_OK) != 0; }
bool HasSoundFont() { return access(std::string(midi::kGeneralMidiSoundFont).c_str(), R_OK) == 0; }

// The duration sox reads from the file's header, or a negative number when sox is
// not there.
double SoxSeconds(const std::string& path) {
    const std::string command = "soxi -D '" + path + "' 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    double seconds = -1;
    if (std::fscanf(pipe, "%lf", &seconds) != 1) seconds = -1;
    pclose(pipe);
    return seconds;
}

TEST_F(SynthPlaybackTest, ScoreSoundsThroughTheSynthesizer) {
    if (access("/dev/snd/seq", R_OK | W_OK) == 0) GTEST_SKIP() << "this machine has a sequencer";
    if (access(std::string(midi::kGeneralMidiSoundFont).c_str(), R_OK) != 0) GTEST_SKIP() << "no soundfont";
    Install(std::string(midi::kGeneralMidiSoundFont));
    BuildScore(1, 1);
    Note(1, 1, 0, kWhole, 0);
    EXPECT_TRUE(HasPlaybackOutput()) << "Play is not enabled with the synthesizer alone";
    PlaybackRequest request = Request(1, 1);
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    midi::FluidSynthDevice* synth = midi::SynthesizerBehind(PlaybackDeviceOfPort(0));
    ASSERT_NE(synth, nullptr);
    EXPECT_EQ(PlaybackDeviceOfPort(7), PlaybackDeviceOfPort(0));  // every port on the one synthesizer
    SequencerState& state = TheSequencerState();
    for (int ms = 0; ms < kWaitLimitMs && state.live.lastKey[1].load() == 0; ++ms)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_NE(state.live.lastKey[1].load(), 0) << "the note-on was never sent";
    // The note reaches the synthesizer through its device's writer thread.
    std::vector<float> left(kFrames), right(kFrames);
    float peak = 0;
    for (int ms = 0; ms < kWaitLimitMs && peak == 0; ms += 10) {
        ASSERT_TRUE(synth->Render(left, right));
        for (float sample : left) peak = std::max(peak, std::abs(sample));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_GT(peak, 0.0f);
    StopPlayback();
    EXPECT_FALSE(IsPlaybackRunning());
}

// The port map (the mixer and the note preview play on it) and the run open the
// same synthesizer.
TEST_F(SynthPlaybackTest, OneSynthesizerForThePortMapAndTheRun) {
    if (!MachineWithoutSequencer()) GTEST_SKIP() << "this machine has a sequencer";
    if (!HasSoundFont()) GTEST_SKIP() << "no soundfont";
    Install(std::string(midi::kGeneralMidiSoundFont));
    BuildScore(2, 1);
    Note(1, 1, 0, kWhole, 0);
    midi::FluidSynthDevice* portMap = midi::SynthesizerBehind(DeviceOfLogicalPort(1));
    ASSERT_NE(portMap, nullptr) << "port B plays on the synthesizer when nobody chose";
    ASSERT_EQ(StartPlayback(Request(1, 1)), PlaybackStart::Started);
    EXPECT_EQ(midi::SynthesizerBehind(PlaybackDeviceOfPort(0)), portMap);
    EXPECT_EQ(midi::SynthesizerBehind(DeviceOfLogicalPort(1)), portMap);
    StopPlayback();
}

// Three quarter notes with rests between, four ticks a millisecond: the file lasts
// at least as long as the score at that tempo, and each note sounds in it, timed
// from the first sound.
TEST_F(SynthPlaybackTest, APlayedScoreSoundsInTheWavHook) {
    if (!MachineWithoutSequencer()) GTEST_SKIP() << "this machine has a sequencer";
    if (!HasSoundFont()) GTEST_SKIP() << "no soundfont";
    const std::string path = std::string(std::getenv("HOME")) + "/played-score.wav";
    Install(std::string(midi::kGeneralMidiSoundFont), path);
    constexpr int kTicksPerMs = 4;
    constexpr double kQuarterSeconds = 1024.0 / kTicksPerMs / 1000;
    constexpr float kAudible = 0.002f;  // the quiet piano of a default velocity peaks near 0.009
    const int noteTicks[] = {0, 2048, kBar};  // measure 1 beats 1 and 3, measure 2 beat 1
    BuildScore(1, 2);
    for (int tick : noteTicks) Note(1, 1 + tick / kBar, tick % kBar, kQuarter, 0);
    const double scoreSeconds = (noteTicks[2] + 1024.0) / kTicksPerMs / 1000;
    PlaybackRequest request = Request(1, 2);
    request.rate = 60000 * kTicksPerMs;
    ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
    const auto started = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - started < std::chrono::duration<double>(scoreSeconds + 0.5)) {
        win::PumpMessages();  // the refills
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    StopPlayback();
    CloseMidiOutputPorts();
    midi::InstallBackend(nullptr);  // the synthesizer closes with its backend: the file is complete
    const testing::WavSamples wav = testing::ReadWav(path);
    ASSERT_TRUE(wav.ok);
    EXPECT_EQ(wav.declaredDataBytes, wav.left.size() * 4);
    size_t first = 0;
    while (first < wav.left.size() && std::fabs(wav.left[first]) < 0.001f) ++first;
    ASSERT_LT(first, wav.left.size()) << "the file is silent";
    const double onset = static_cast<double>(first) / wav.rate;
    EXPECT_GE(wav.Seconds(), onset + scoreSeconds) << "shorter than the score at its tempo";
    for (int tick : noteTicks) {
        const double at = onset + tick / kTicksPerMs / 1000.0;
        EXPECT_GT(wav.PeakBetween(at + 0.1 * kQuarterSeconds, at + 0.5 * kQuarterSeconds), kAudible)
            << "silent where the note at tick " << tick << " sounds";
    }
    const double sox = SoxSeconds(path);
    if (sox >= 0) {
        EXPECT_NEAR(sox, wav.Seconds(), 0.01) << "sox reads another length";
    }
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
