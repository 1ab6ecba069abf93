// The built-in synthesizer's sound: a sound device that never blocks (ALSA's null
// device) cannot make its renderer spin; a sound device that does not open leaves
// the synthesizer playing silently and saying which device and why; the WAV hook
// writes what was played, in step with the clock. The system backend opens one
// synthesizer however often it is opened, and keeps it open between openings
// (the WAV file then holds every run), also when a guard of it was taken as gone;
// it tells of a failed sound device once, in a box.
#include <gtest/gtest.h>

#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/midi/fluid_device.h"
#include "platform/midi/guarded_output.h"
#include "platform/midi/system_backend.h"
#include "platform/tests/midi/wav_samples.h"

namespace ql::midi {
namespace {

constexpr char kMissingDevice[] = "no-such-sound-device-for-tests";
constexpr auto kMeasured = std::chrono::seconds(1);
// A spinning renderer takes a whole processor; a paced one a few per cent (more
// under the sanitizers), and less still on a busy machine.
constexpr double kMostProcessorShare = 0.5;

bool HasSoundFont() { return access(std::string(kGeneralMidiSoundFont).c_str(), R_OK) == 0; }

double ProcessCpuSeconds() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

SynthesizerOptions WithDevice(std::string device) {
    SynthesizerOptions options;
    options.audioDevice = std::move(device);
    return options;
}

TEST(SynthesizerAudio, ADeviceThatNeverBlocksIsHeldToTheClock) {
    if (!HasSoundFont()) GTEST_SKIP() << "no soundfont (package timgm6mb-soundfont)";
    std::unique_ptr<FluidSynthDevice> synth = FluidSynthDevice::Open(WithDevice("null"));
    ASSERT_NE(synth, nullptr);
    if (!synth->HasAudioOutput()) GTEST_SKIP() << "ALSA's null device does not open here: " << synth->AudioFailure();
    ASSERT_TRUE(synth->Send(0x403C90));  // a note, so that there is something to render
    const double cpuBefore = ProcessCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(kMeasured);
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    EXPECT_LT(cpu / wall, kMostProcessorShare) << "the synthesizer's audio thread spins";
    const auto closing = std::chrono::steady_clock::now();
    synth.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(5));
}

TEST(SynthesizerAudio, AFailedDevicePlaysSilentlyAndSaysWhich) {
    if (!HasSoundFont()) GTEST_SKIP() << "no soundfont (package timgm6mb-soundfont)";
    std::unique_ptr<FluidSynthDevice> synth = FluidSynthDevice::Open(WithDevice(kMissingDevice));
    ASSERT_NE(synth, nullptr) << "the synthesizer must open without its sound device";
    EXPECT_FALSE(synth->HasAudioOutput());
    EXPECT_NE(synth->AudioFailure().find(kMissingDevice), std::string::npos) << synth->AudioFailure();
    EXPECT_TRUE(synth->Send(0x403C90));
    EXPECT_FALSE(synth->IsGone());
}

// The WAV file holds the time the synthesizer was open, and the note where it
// was played: silence before it, sound while it is held.
TEST(SynthesizerAudio, TheWavHookWritesWhatWasPlayed) {
    if (!HasSoundFont()) GTEST_SKIP() << "no soundfont (package timgm6mb-soundfont)";
    const std::string path = std::string(std::getenv("HOME")) + "/synthesizer-hook.wav";
    SynthesizerOptions options;
    options.wavFile = path;
    std::unique_ptr<FluidSynthDevice> synth = FluidSynthDevice::Open(options);
    ASSERT_NE(synth, nullptr);
    ASSERT_TRUE(synth->HasAudioOutput()) << synth->AudioFailure();
    const auto opened = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const double noteOn = std::chrono::duration<double>(std::chrono::steady_clock::now() - opened).count();
    ASSERT_TRUE(synth->Send(0x703C90));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(synth->Send(0x003C80));
    synth.reset();
    const double open = std::chrono::duration<double>(std::chrono::steady_clock::now() - opened).count();
    const testing::WavSamples wav = testing::ReadWav(path);
    ASSERT_TRUE(wav.ok);
    EXPECT_EQ(wav.rate, static_cast<uint32_t>(kSynthesizerSampleRate));
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.declaredDataBytes, wav.left.size() * 4) << "the header was not completed";
    EXPECT_GE(wav.Seconds(), 0.8 - 0.05);
    EXPECT_LE(wav.Seconds(), open + 0.05);
    const float held = wav.PeakBetween(noteOn + 0.1, noteOn + 0.4);
    EXPECT_GT(held, 0.01f) << "the held note is silent";
    EXPECT_LT(wav.PeakBetween(0, 0.2), held * 0.01f) << "sound before the note";
}

TEST(SynthesizerAudio, OneSynthesizerForEveryOpeningAndOneBox) {
    if (!HasSoundFont()) GTEST_SKIP() << "no soundfont (package timgm6mb-soundfont)";
    TakeNotices();
    SystemBackend backend(WithDevice(kMissingDevice));
    std::unique_ptr<OutputDevice> first = backend.OpenOutput(kSynthesizerName);
    std::unique_ptr<OutputDevice> second = backend.OpenOutput(kSynthesizerName);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(SynthesizerBehind(first.get()), SynthesizerBehind(second.get()));
    FluidSynthDevice* synthesizer = SynthesizerBehind(first.get());
    ASSERT_NE(synthesizer, nullptr);
    first.reset();
    EXPECT_TRUE(second->Send(0x403C90));  // the other opening keeps it
    second.reset();
    std::unique_ptr<OutputDevice> again = backend.OpenOutput(kSynthesizerName);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(SynthesizerBehind(again.get()), synthesizer) << "the synthesizer was not kept open";
    // A message larger than the guard's queue makes the guard gone: the next
    // opening has a guard of its own over the same synthesizer, not a second one.
    std::vector<uint8_t> huge(kGuardRingBytes + 8, 0x11);
    huge.front() = 0xF0;
    huge.back() = 0xF7;
    EXPECT_FALSE(again->SendLong(huge));
    EXPECT_TRUE(again->IsGone());
    std::unique_ptr<OutputDevice> after = backend.OpenOutput(kSynthesizerName);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(SynthesizerBehind(after.get()), synthesizer) << "a second synthesizer was opened";
    EXPECT_TRUE(after->Send(0x403C90));
    int boxes = 0;
    for (const Notice& notice : TakeNotices()) {
        if (notice.weight != NoticeWeight::Box) continue;
        ++boxes;
        EXPECT_NE(notice.text.find(kMissingDevice), std::string::npos) << notice.text;
        EXPECT_NE(notice.text.find("MIDI > Setup"), std::string::npos) << notice.text;
    }
    EXPECT_EQ(boxes, 1) << "a failed sound device is told once";
}

// Two runs of the system backend's synthesizer, one after the other, go into the
// one WAV file: it is not written anew at the second opening.
TEST(SynthesizerAudio, TheWavFileKeepsEveryRun) {
    if (!HasSoundFont()) GTEST_SKIP() << "no soundfont (package timgm6mb-soundfont)";
    const std::string path = std::string(std::getenv("HOME")) + "/synthesizer-runs.wav";
    constexpr auto kFirstRun = std::chrono::milliseconds(400);
    {
        SynthesizerOptions options;
        options.wavFile = path;
        SystemBackend backend(options);
        std::unique_ptr<OutputDevice> run = backend.OpenOutput(kSynthesizerName);
        ASSERT_NE(run, nullptr);
        std::this_thread::sleep_for(kFirstRun);
        run = nullptr;
        run = backend.OpenOutput(kSynthesizerName);
        ASSERT_NE(run, nullptr);
    }
    const testing::WavSamples wav = testing::ReadWav(path);
    ASSERT_TRUE(wav.ok);
    EXPECT_GE(wav.Seconds(), std::chrono::duration<double>(kFirstRun).count() - 0.05) << "the first run is lost";
}

}  // namespace
}  // namespace ql::midi
