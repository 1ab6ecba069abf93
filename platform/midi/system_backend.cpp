// The system MIDI backend (see system_backend.h).
#include "platform/midi/system_backend.h"

#include <unistd.h>

#include "platform/midi/alsa_sequencer.h"
#include "platform/midi/timer_thread.h"

namespace ql::midi {
namespace {

constexpr int64_t kNanosecondsPerMs = 1'000'000;

class MonotonicClock final : public Clock {
public:
    uint32_t NowMs() const override {
        return static_cast<uint32_t>(MonotonicNanoseconds() / kNanosecondsPerMs);
    }
};

const MonotonicClock& TheMonotonicClock() {
    static const MonotonicClock clock;
    return clock;
}

}  // namespace

SystemBackend::SystemBackend(SynthesizerOptions synthesizer) : synthesizer_(std::move(synthesizer)) {}
SystemBackend::~SystemBackend() = default;

// Tried once; a sequencer that cannot be had is reported once.
AlsaSequencer* SystemBackend::Sequencer() {
    if (!sequencerTried_) {
        sequencerTried_ = true;
        std::string reason;
        sequencer_ = AlsaSequencer::Open(reason);
        if (!sequencer_) AddNotice("MIDI ports are not available (" + reason + "); only the built-in synthesizer is listed.");
    }
    return sequencer_.get();
}

bool SystemBackend::SynthesizerAvailable() {
    if (access(synthesizer_.soundFont.c_str(), R_OK) == 0) return true;
    if (!soundFontReported_) {
        soundFontReported_ = true;
        AddNotice("The built-in synthesizer is not available: its soundfont " + synthesizer_.soundFont + " is missing.");
    }
    return false;
}

std::vector<DeviceInfo> SystemBackend::Devices() {
    std::vector<DeviceInfo> devices;
    if (SynthesizerAvailable())
        devices.push_back(DeviceInfo{std::string(kSynthesizerName), DeviceKind::Synthesizer, true, false});
    if (AlsaSequencer* sequencer = Sequencer()) {
        std::vector<DeviceInfo> ports = sequencer->Ports();
        devices.insert(devices.end(), ports.begin(), ports.end());
    }
    return devices;
}

std::unique_ptr<OutputDevice> SystemBackend::OpenOutput(std::string_view name) {
    if (name == kSynthesizerName) {
        if (!SynthesizerAvailable()) return nullptr;
        return FluidSynthDevice::Open(synthesizer_);
    }
    AlsaSequencer* sequencer = Sequencer();
    return sequencer ? sequencer->OpenOutput(name) : nullptr;
}

std::unique_ptr<InputDevice> SystemBackend::OpenInput(std::string_view name) {
    AlsaSequencer* sequencer = Sequencer();
    return sequencer ? sequencer->OpenInput(name, TheClock()) : nullptr;
}

std::unique_ptr<OneShotTimer> SystemBackend::CreateTimer(TimerCallback callback, void* user) {
    return TimerThread::Create(callback, user);
}

const Clock& SystemBackend::TheClock() const { return TheMonotonicClock(); }

}  // namespace ql::midi
