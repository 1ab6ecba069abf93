// The built-in synthesizer rendered into a buffer: a short phrase sent through
// the device is not silent, and its loudest moments lie where its note-ons were
// sent. A missing soundfont drops the device with one notice.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/midi/fluid_device.h"
#include "platform/midi/system_backend.h"

namespace ql::midi {
namespace {

constexpr int kRate = static_cast<int>(kSynthesizerSampleRate);
constexpr int kWindow = kRate / 20;  // 50 ms

// Peak of |sample| per 50 ms window.
std::vector<float> WindowPeaks(const std::vector<float>& samples) {
    std::vector<float> peaks;
    for (size_t at = 0; at + kWindow <= samples.size(); at += kWindow) {
        float peak = 0;
        for (size_t i = at; i < at + kWindow; ++i) peak = std::max(peak, std::fabs(samples[i]));
        peaks.push_back(peak);
    }
    return peaks;
}

class MidiSynthTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (access(std::string(kGeneralMidiSoundFont).c_str(), R_OK) != 0)
            GTEST_SKIP() << "the General MIDI soundfont is not installed (package timgm6mb-soundfont)";
        SynthesizerOptions options;
        options.audioOutput = false;
        synth_ = FluidSynthDevice::Open(options);
        ASSERT_NE(synth_, nullptr);
    }
    // Renders `ms` milliseconds onto the end of the left channel.
    void Render(int ms) {
        std::vector<float> left(static_cast<size_t>(kRate) * ms / 1000);
        std::vector<float> right(left.size());
        ASSERT_TRUE(synth_->Render(left, right));
        samples_.insert(samples_.end(), left.begin(), left.end());
    }

    std::unique_ptr<FluidSynthDevice> synth_;
    std::vector<float> samples_;
};

// Silence, a note from 300 ms to 500 ms, silence, a chord from 1,200 ms: the
// loud windows are those after the note-ons, and the first 300 ms are silent.
TEST_F(MidiSynthTest, APhraseIsLoudWhereItsNotesBegin) {
    ASSERT_TRUE(synth_->Send(0x00C0));  // piano
    Render(300);
    ASSERT_TRUE(synth_->Send(0x643C90));
    Render(200);
    ASSERT_TRUE(synth_->Send(0x003C80));
    Render(700);
    for (uint32_t key : {60u, 64u, 67u}) ASSERT_TRUE(synth_->Send(0x700090 | (key << 8)));
    Render(300);
    for (uint32_t key : {60u, 64u, 67u}) ASSERT_TRUE(synth_->Send(0x000080 | (key << 8)));
    Render(300);
    std::vector<float> peaks = WindowPeaks(samples_);
    ASSERT_EQ(peaks.size(), 36u);
    float loudest = *std::max_element(peaks.begin(), peaks.end());
    EXPECT_GT(loudest, 0.01f) << "the phrase is silent";
    for (int w = 0; w < 6; ++w) EXPECT_LT(peaks[w], loudest * 0.01f) << "sound before the first note, window " << w;
    // The loudest window of each half lies within 150 ms of its note-on.
    auto loudestIn = [&](int from, int to) {
        return static_cast<int>(std::max_element(peaks.begin() + from, peaks.begin() + to) - peaks.begin());
    };
    int first = loudestIn(0, 24);
    int second = loudestIn(24, 36);
    EXPECT_GE(first, 6);
    EXPECT_LE(first, 8);
    EXPECT_GE(second, 24);
    EXPECT_LE(second, 26);
    // Long after the single note ended the sound has died away.
    EXPECT_LT(peaks[23], peaks[first] * 0.1f);
}

// dBFS of a peak (1.0 is full scale).
double Dbfs(float peak) { return 20.0 * std::log10(std::max(peak, 1e-9f)); }

// A mezzo-forte piano note peaks near -12 dBFS (within 3 dB), as loud as other
// players make it, and a two-handed mezzo-forte chord of ten notes does not clip.
TEST_F(MidiSynthTest, AMezzoFortePianoNoteIsLoudEnoughAndAChordDoesNotClip) {
    constexpr uint32_t kMezzoForte = 80;
    ASSERT_TRUE(synth_->Send(0x00C0));  // piano
    ASSERT_TRUE(synth_->Send(0x90 | (60u << 8) | (kMezzoForte << 16)));
    Render(1000);
    float note = 0;
    for (const float sample : samples_) note = std::max(note, std::fabs(sample));
    ASSERT_TRUE(synth_->Send(0x80 | (60u << 8)));
    Render(1500);
    samples_.clear();
    for (const uint32_t key : {36u, 43u, 48u, 52u, 55u, 60u, 64u, 67u, 72u, 76u})
        ASSERT_TRUE(synth_->Send(0x90 | (key << 8) | (kMezzoForte << 16)));
    Render(1000);
    float chord = 0;
    for (const float sample : samples_) chord = std::max(chord, std::fabs(sample));
    EXPECT_NEAR(Dbfs(note), -12.0, 3.0);
    EXPECT_LT(chord, 1.0f) << "the chord clips";
}

// A system-exclusive GM reset and a system reset are taken without harm.
TEST_F(MidiSynthTest, TakesSystemMessages) {
    const uint8_t gmOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    EXPECT_TRUE(synth_->SendLong(gmOn));
    EXPECT_TRUE(synth_->SendRealtime(0xFF));
    EXPECT_TRUE(synth_->SendRealtime(0xF8));
    EXPECT_FALSE(synth_->IsGone());
}

// Without its soundfont the synthesizer is not listed, and that is said once.
TEST(MidiSystemBackend, AMissingSoundfontDropsTheSynthesizer) {
    TakeNotices();
    SynthesizerOptions options;
    options.soundFont = "/nonexistent/none.sf2";
    options.audioOutput = false;
    SystemBackend backend(options);
    for (const DeviceInfo& device : backend.Devices()) EXPECT_NE(device.kind, DeviceKind::Synthesizer);
    backend.Devices();
    EXPECT_EQ(backend.OpenOutput(kSynthesizerName), nullptr);
    int soundfontNotices = 0;
    for (const Notice& notice : TakeNotices()) soundfontNotices += notice.text.find("soundfont") != std::string::npos;
    EXPECT_EQ(soundfontNotices, 1);
}

// With its soundfont the synthesizer is always listed first, whatever the
// sequencer offers.
TEST(MidiSystemBackend, ListsTheSynthesizerFirst) {
    if (access(std::string(kGeneralMidiSoundFont).c_str(), R_OK) != 0)
        GTEST_SKIP() << "the General MIDI soundfont is not installed (package timgm6mb-soundfont)";
    SynthesizerOptions options;
    options.audioOutput = false;
    SystemBackend backend(options);
    std::vector<DeviceInfo> devices = backend.Devices();
    ASSERT_FALSE(devices.empty());
    EXPECT_EQ(devices[0].name, kSynthesizerName);
    EXPECT_EQ(devices[0].kind, DeviceKind::Synthesizer);
    TakeNotices();
}

}  // namespace
}  // namespace ql::midi
