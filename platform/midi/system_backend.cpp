// The system MIDI backend (see system_backend.h).
#include "platform/midi/system_backend.h"

#include <unistd.h>

#include "platform/midi/alsa_sequencer.h"
#include "platform/midi/guarded_output.h"
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

std::string AudioFailureNotice(const std::string& failure) {
    return "The built-in synthesizer cannot play through " + failure +
           ". Scores play on without sound. To hear them, choose another output for the ports in "
           "MIDI > Setup > MIDI Ports.";
}

}  // namespace

// The one synthesizer and the guard its messages go through (declared after it,
// so the guard goes first).
struct SystemBackend::SharedSynthesizer {
    std::shared_ptr<FluidSynthDevice> synthesizer;
    std::unique_ptr<OutputDevice> guard;
};

namespace {

// One opening of the shared synthesizer.
class SynthesizerHandle final : public OutputDevice {
public:
    explicit SynthesizerHandle(std::shared_ptr<SystemBackend::SharedSynthesizer> shared)
        : OutputDevice(std::string(kSynthesizerName)), shared_(std::move(shared)) {}
    FluidSynthDevice* Synthesizer() const { return shared_->synthesizer.get(); }

protected:
    bool WriteShort(std::span<const uint8_t> bytes) override { return ForwardMessage(*shared_->guard, bytes); }
    bool WriteLong(std::span<const uint8_t> bytes) override { return ForwardMessage(*shared_->guard, bytes); }

private:
    std::shared_ptr<SystemBackend::SharedSynthesizer> shared_;
};

}  // namespace

SystemBackend::SystemBackend(SynthesizerOptions synthesizer) : synthesizer_(std::move(synthesizer)) {}
SystemBackend::~SystemBackend() = default;

// Tried once; a sequencer that cannot be had is reported once.
AlsaSequencer* SystemBackend::Sequencer() {
    if (!sequencerTried_) {
        sequencerTried_ = true;
        std::string reason;
        sequencer_ = AlsaSequencer::Open(reason);
        if (!sequencer_)
            AddNotice("MIDI ports are not available (" + reason + "); only the built-in synthesizer is listed.");
    }
    return sequencer_.get();
}

bool SystemBackend::SynthesizerAvailable() {
    if (access(synthesizer_.soundFont.c_str(), R_OK) == 0) return true;
    if (!soundFontReported_) {
        soundFontReported_ = true;
        AddNotice("The built-in synthesizer is not available: its soundfont " + synthesizer_.soundFont + " is missing.",
                  NoticeWeight::Box);
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

// A handle onto the one synthesizer, opened at the first opening. A guard taken
// as gone (one write that sat too long, a full queue) is followed by a new guard
// over the same synthesizer: the handles of the old one read as gone.
std::unique_ptr<OutputDevice> SystemBackend::OpenSynthesizer() {
    std::shared_ptr<SharedSynthesizer> shared = openSynthesizer_.lock();
    if (shared == nullptr || shared->guard->IsGone()) {
        if (synthesizerDevice_ == nullptr) {
            if (!SynthesizerAvailable()) return nullptr;
            synthesizerDevice_ = FluidSynthDevice::Open(synthesizer_);
            if (synthesizerDevice_ == nullptr) return nullptr;
            if (!synthesizerDevice_->AudioFailure().empty() && !audioFailureReported_) {
                audioFailureReported_ = true;
                AddNotice(AudioFailureNotice(synthesizerDevice_->AudioFailure()), NoticeWeight::Box);
            }
        }
        shared = std::make_shared<SharedSynthesizer>();
        shared->guard = GuardedOutput::Open(synthesizerDevice_);
        if (shared->guard == nullptr) return nullptr;
        shared->synthesizer = synthesizerDevice_;
        openSynthesizer_ = shared;
    }
    return std::make_unique<SynthesizerHandle>(std::move(shared));
}

std::unique_ptr<OutputDevice> SystemBackend::OpenOutput(std::string_view name) {
    if (name == kSynthesizerName) return OpenSynthesizer();
    AlsaSequencer* sequencer = Sequencer();
    return sequencer ? GuardOutput(sequencer->OpenOutput(name)) : nullptr;
}

std::unique_ptr<InputDevice> SystemBackend::OpenInput(std::string_view name) {
    AlsaSequencer* sequencer = Sequencer();
    return sequencer ? sequencer->OpenInput(name, TheClock()) : nullptr;
}

std::unique_ptr<OneShotTimer> SystemBackend::CreateTimer(TimerCallback callback, void* user) {
    return TimerThread::Create(callback, user);
}

const Clock& SystemBackend::TheClock() const { return TheMonotonicClock(); }

FluidSynthDevice* SynthesizerBehind(OutputDevice* device) {
    auto* handle = dynamic_cast<SynthesizerHandle*>(device);
    return handle != nullptr ? handle->Synthesizer() : nullptr;
}

}  // namespace ql::midi
