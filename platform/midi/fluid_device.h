// The built-in software synthesizer: a FluidSynth synthesizer with the General
// MIDI soundfont, reached through the same Send/SendLong/SendRealtime as every
// other output. With audio output it plays through FluidSynth's audio driver;
// without (no sound server, or not asked for) it still opens, and Render pulls
// its sound into a buffer.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "platform/midi/midi.h"

namespace ql::midi {

// The name the synthesizer is listed and opened by.
inline constexpr std::string_view kSynthesizerName = "Built-in Synthesizer";
// Debian's General MIDI soundfont (package timgm6mb-soundfont).
inline constexpr std::string_view kGeneralMidiSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr double kSynthesizerSampleRate = 44100.0;

struct SynthesizerOptions {
    std::string soundFont{kGeneralMidiSoundFont};
    bool audioOutput = true;  // try FluidSynth's audio driver
};

class FluidSynthDevice final : public OutputDevice {
public:
    // Null when the soundfont cannot be loaded or the synthesizer not made.
    static std::unique_ptr<FluidSynthDevice> Open(const SynthesizerOptions& options);
    ~FluidSynthDevice() override;

    // Renders the next left.size() frames (right must be as long). False when the
    // device is gone or the sizes differ.
    bool Render(std::span<float> left, std::span<float> right);
    bool HasAudioOutput() const;

protected:
    bool WriteShort(std::span<const uint8_t> bytes) override;
    bool WriteLong(std::span<const uint8_t> bytes) override;

private:
    struct Parts;
    FluidSynthDevice();

    std::unique_ptr<Parts> parts_;
};

// Sends FluidSynth's own log to nowhere (a library does not print). Idempotent.
void SilenceSynthesizerLog();

}  // namespace ql::midi
