// The built-in software synthesizer: a FluidSynth synthesizer with the General
// MIDI soundfont, reached through the same Send/SendLong/SendRealtime as every
// other output. Its sound goes to a sound device through FluidSynth's audio
// driver, or into a WAV file, or nowhere (then Render pulls it into a buffer).
// A sound device that does not open leaves the synthesizer open and silent, and
// says which device failed and why (AudioFailure).
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
// The environment variable that sends the synthesizer's sound into a WAV file
// instead of a sound device: a hook for tests and for checking by ear, not a
// setting the user is offered. The file is written anew each time the
// synthesizer opens (the system backend opens it once), in step with the clock,
// and completed when it closes.
inline constexpr char kSynthesizerWavVariable[] = "QL_SYNTH_WAV";

struct SynthesizerOptions {
    std::string soundFont{kGeneralMidiSoundFont};
    bool audioOutput = true;  // sound through a sound device (or the WAV file)
    // The device FluidSynth's audio driver opens; empty: the driver's default.
    std::string audioDevice;
    // Not empty: the sound goes into this WAV file instead of a sound device.
    std::string wavFile;
};

// The options of the program's synthesizer: the defaults, with the WAV file of
// kSynthesizerWavVariable when it is set and not empty.
SynthesizerOptions SynthesizerOptionsFromEnvironment();

struct SynthCore;
class SynthAudio;

class FluidSynthDevice final : public OutputDevice {
public:
    // Null when the soundfont cannot be loaded or the synthesizer not made.
    static std::unique_ptr<FluidSynthDevice> Open(const SynthesizerOptions& options);
    ~FluidSynthDevice() override;

    // Renders the next left.size() frames (right must be as long). False when the
    // device is gone or the sizes differ. Only for a synthesizer without audio
    // output: a renderer of its own takes the sound otherwise.
    bool Render(std::span<float> left, std::span<float> right);
    // Whether the sound goes to a device or a file.
    bool HasAudioOutput() const;
    // Which sound device (or WAV file) could not be opened, and why; empty when
    // the sound goes out, or was not asked for.
    const std::string& AudioFailure() const { return audioFailure_; }

protected:
    bool WriteShort(std::span<const uint8_t> bytes) override;
    bool WriteLong(std::span<const uint8_t> bytes) override;

private:
    FluidSynthDevice();

    std::shared_ptr<SynthCore> core_;
    std::unique_ptr<SynthAudio> audio_;  // stopped before the synthesizer goes
    std::string audioFailure_;
};

}  // namespace ql::midi
