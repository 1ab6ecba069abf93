// The system MIDI backend: the built-in synthesizer (always listed while its
// soundfont is there), the ports of the ALSA sequencer (when it can be had), the
// timer thread and the monotonic clock. Without a sequencer only the synthesizer
// is listed, and that is reported once; without the soundfont the synthesizer is
// dropped with a one-line notice.
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

private:
    bool SynthesizerAvailable();

    SynthesizerOptions synthesizer_;
    std::shared_ptr<AlsaSequencer> sequencer_;
    bool sequencerTried_ = false;
    bool soundFontReported_ = false;
};

}  // namespace ql::midi
