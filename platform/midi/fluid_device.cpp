// The built-in software synthesizer on FluidSynth (see fluid_device.h). Short
// messages are dispatched to the synthesizer's channel calls; system-exclusive
// messages go to its SysEx handler without their F0 and F7; a system reset (FF)
// resets it. Other system messages mean nothing to a synthesizer and are taken.
#include "platform/midi/fluid_device.h"

#include <cstdlib>

#include "platform/midi/synth_audio.h"

namespace ql::midi {
namespace {

constexpr uint8_t kChannelMask = 0x0F;
constexpr uint8_t kSystemReset = 0xFF;
constexpr int kPitchBendDataBits = 7;
// The synthesizer's output gain: a mezzo-forte piano note peaks near -14 dBFS, as
// loud as other players make it, and a mezzo-forte chord of both hands stays
// below full scale (FluidSynth's own 0.2 left the note near -36 dBFS).
constexpr double kSynthesizerGain = 2.5;

// One channel message to the synthesizer. A note-off for a note that does not
// sound fails in FluidSynth; that is not a fault of the device.
void Dispatch(fluid_synth_t* synth, std::span<const uint8_t> bytes) {
    uint8_t status = bytes[0];
    int channel = status & kChannelMask;
    int data1 = bytes.size() > 1 ? bytes[1] : 0;
    int data2 = bytes.size() > 2 ? bytes[2] : 0;
    switch (status & 0xF0) {
        case 0x80: fluid_synth_noteoff(synth, channel, data1); break;
        case 0x90:
            if (data2 == 0) {
                fluid_synth_noteoff(synth, channel, data1);
            } else {
                fluid_synth_noteon(synth, channel, data1, data2);
            }
            break;
        case 0xA0: fluid_synth_key_pressure(synth, channel, data1, data2); break;
        case 0xB0: fluid_synth_cc(synth, channel, data1, data2); break;
        case 0xC0: fluid_synth_program_change(synth, channel, data1); break;
        case 0xD0: fluid_synth_channel_pressure(synth, channel, data1); break;
        case 0xE0: fluid_synth_pitch_bend(synth, channel, data1 | (data2 << kPitchBendDataBits)); break;
        default:
            if (status == kSystemReset) fluid_synth_system_reset(synth);
            break;
    }
}

}  // namespace

SynthesizerOptions SynthesizerOptionsFromEnvironment() {
    SynthesizerOptions options;
    const char* wav = std::getenv(kSynthesizerWavVariable);
    if (wav != nullptr) options.wavFile = wav;
    return options;
}

FluidSynthDevice::FluidSynthDevice()
    : OutputDevice(std::string(kSynthesizerName)), core_(std::make_shared<SynthCore>()) {}

FluidSynthDevice::~FluidSynthDevice() { audio_.reset(); }

std::unique_ptr<FluidSynthDevice> FluidSynthDevice::Open(const SynthesizerOptions& options) {
    CaptureSynthesizerLog();
    std::unique_ptr<FluidSynthDevice> device(new FluidSynthDevice());
    SynthCore& core = *device->core_;
    core.settings = new_fluid_settings();
    if (core.settings == nullptr) return nullptr;
    fluid_settings_setnum(core.settings, "synth.sample-rate", kSynthesizerSampleRate);
    fluid_settings_setint(core.settings, "synth.threadsafe-api", 1);
    fluid_settings_setnum(core.settings, "synth.gain", kSynthesizerGain);
    core.synth = new_fluid_synth(core.settings);
    if (core.synth == nullptr) return nullptr;
    if (fluid_synth_sfload(core.synth, options.soundFont.c_str(), 1) == FLUID_FAILED) return nullptr;
    // A sound device that does not open leaves the synthesizer open: it plays on
    // silently, and says why.
    if (!options.audioOutput) return device;
    if (!options.wavFile.empty())
        device->audio_ = StartWavAudio(device->core_, options.wavFile, device->audioFailure_);
    else
        device->audio_ = StartDeviceAudio(device->core_, options.audioDevice, device->audioFailure_);
    return device;
}

bool FluidSynthDevice::HasAudioOutput() const { return audio_ != nullptr; }

bool FluidSynthDevice::WriteShort(std::span<const uint8_t> bytes) {
    Dispatch(core_->synth, bytes);
    return true;
}

bool FluidSynthDevice::WriteLong(std::span<const uint8_t> bytes) {
    // The body without F0 and F7; a SysEx the synthesizer does not know is ignored.
    const auto* body = reinterpret_cast<const char*>(bytes.data() + 1);
    fluid_synth_sysex(core_->synth, body, static_cast<int>(bytes.size() - 2), nullptr, nullptr, nullptr, 0);
    return true;
}

bool FluidSynthDevice::Render(std::span<float> left, std::span<float> right) {
    if (IsGone() || left.size() != right.size()) return false;
    return core_->Render(left.data(), right.data(), static_cast<int>(left.size()));
}

}  // namespace ql::midi
