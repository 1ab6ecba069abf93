// The built-in software synthesizer on FluidSynth (see fluid_device.h). Short
// messages are dispatched to the synthesizer's channel calls; system-exclusive
// messages go to its SysEx handler without their F0 and F7; a system reset (FF)
// resets it. Other system messages mean nothing to a synthesizer and are taken.
#include "platform/midi/fluid_device.h"

#include <fluidsynth.h>

namespace ql::midi {
namespace {

constexpr uint8_t kChannelMask = 0x0F;
constexpr uint8_t kSystemReset = 0xFF;
constexpr int kPitchBendDataBits = 7;

void DiscardLog(int, const char*, void*) {}

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

struct FluidSynthDevice::Parts {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_audio_driver_t* audio = nullptr;
    std::mutex renderMutex;

    ~Parts() {
        if (audio) delete_fluid_audio_driver(audio);
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
    }
};

void SilenceSynthesizerLog() {
    static const bool silenced = [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, DiscardLog, nullptr);
        return true;
    }();
    (void)silenced;
}

FluidSynthDevice::FluidSynthDevice() : OutputDevice(std::string(kSynthesizerName)), parts_(std::make_unique<Parts>()) {}

FluidSynthDevice::~FluidSynthDevice() = default;

std::unique_ptr<FluidSynthDevice> FluidSynthDevice::Open(const SynthesizerOptions& options) {
    SilenceSynthesizerLog();
    std::unique_ptr<FluidSynthDevice> device(new FluidSynthDevice());
    Parts& parts = *device->parts_;
    parts.settings = new_fluid_settings();
    if (parts.settings == nullptr) return nullptr;
    fluid_settings_setnum(parts.settings, "synth.sample-rate", kSynthesizerSampleRate);
    fluid_settings_setint(parts.settings, "synth.threadsafe-api", 1);
    parts.synth = new_fluid_synth(parts.settings);
    if (parts.synth == nullptr) return nullptr;
    if (fluid_synth_sfload(parts.synth, options.soundFont.c_str(), 1) == FLUID_FAILED) return nullptr;
    // Without a sound server the device still opens: Render then gives its sound.
    if (options.audioOutput) parts.audio = new_fluid_audio_driver(parts.settings, parts.synth);
    return device;
}

bool FluidSynthDevice::HasAudioOutput() const { return parts_->audio != nullptr; }

bool FluidSynthDevice::WriteShort(std::span<const uint8_t> bytes) {
    Dispatch(parts_->synth, bytes);
    return true;
}

bool FluidSynthDevice::WriteLong(std::span<const uint8_t> bytes) {
    // The body without F0 and F7; a SysEx the synthesizer does not know is ignored.
    const auto* body = reinterpret_cast<const char*>(bytes.data() + 1);
    fluid_synth_sysex(parts_->synth, body, static_cast<int>(bytes.size() - 2), nullptr, nullptr, nullptr, 0);
    return true;
}

bool FluidSynthDevice::Render(std::span<float> left, std::span<float> right) {
    if (IsGone() || left.size() != right.size()) return false;
    std::lock_guard lock(parts_->renderMutex);
    int frames = static_cast<int>(left.size());
    return fluid_synth_write_float(parts_->synth, frames, left.data(), 0, 1, right.data(), 0, 1) == FLUID_OK;
}

}  // namespace ql::midi
