// The system MIDI backend: the built-in synthesizer (always listed while its
// soundfont is there), the ports of the ALSA sequencer (when it can be had), the
// timer thread and the monotonic clock. Without a sequencer only the synthesizer
// is listed, and that is reported once; without the soundfont the synthesizer is
// dropped with a notice.
//
// Every output it opens is guarded (guarded_output.h): no sender waits on a
// device. The synthesizer is one per backend: it opens (its soundfont loaded, its
// sound device or WAV file opened) at the first opening and stays open until the
// backend goes, and each opening of it is a handle onto it; a guard of it taken as
// gone is followed by a new guard, never by a second synthesizer. A synthesizer
// whose sound device does not open plays on silently, and the first time that
// happens a box notice names the device and says how to choose another output.
#pragma once

#include <memory>

#include "platform/midi/fluid_device.h"
#include "platform/midi/midi.h"

namespace ql::midi {

class AlsaSequencer;

class SystemBackend final : public Backend {
public:
    explicit SystemBackend(SynthesizerOptions synthesizer = {});
    ~SystemBackend() override;

    std::vector<DeviceInfo> Devices() override;
    std::unique_ptr<OutputDevice> OpenOutput(std::string_view name) override;
    std::unique_ptr<InputDevice> OpenInput(std::string_view name) override;
    std::unique_ptr<OneShotTimer> CreateTimer(TimerCallback callback, void* user) override;
    const Clock& TheClock() const override;

    // The sequencer, or null when it could not be had.
    AlsaSequencer* Sequencer();

    struct SharedSynthesizer;

private:
    bool SynthesizerAvailable();
    std::unique_ptr<OutputDevice> OpenSynthesizer();

    SynthesizerOptions synthesizer_;
    std::weak_ptr<SharedSynthesizer> openSynthesizer_;
    std::shared_ptr<FluidSynthDevice> synthesizerDevice_;  // from the first opening on
    std::shared_ptr<AlsaSequencer> sequencer_;
    bool sequencerTried_ = false;
    bool soundFontReported_ = false;
    bool audioFailureReported_ = false;
};

// The synthesizer an output of the system backend opened onto, or null when it is
// another device.
FluidSynthDevice* SynthesizerBehind(OutputDevice* device);

}  // namespace ql::midi
