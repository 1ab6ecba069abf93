// The sound of the built-in synthesizer, pulled out of it by one of two renderers:
// - a sound device, through FluidSynth's audio driver (its default driver, and
//   its default device unless one is named). The driver's thread asks for a
//   real-time priority below the timer thread's, and each buffer it takes is
//   paced against the clock (real_time_frames.h), so a device that never blocks
//   cannot make it spin;
// - a WAV file (16-bit stereo at the synthesizer's rate) written by a thread of
//   ours that renders in step with the clock: the file holds what a device would
//   have played from the moment the sound started until it stopped.
// Stopping either waits at most kAudioCloseWaitMs; a driver stuck in its device
// is let go, and keeps the synthesizer until it returns. Internal to the MIDI
// layer's synthesizer.
#pragma once

#include <fluidsynth.h>

#include <memory>
#include <mutex>
#include <string>

#include "platform/midi/timer_thread.h"

namespace ql::midi {

constexpr uint32_t kAudioCloseWaitMs = 1000;
// The real-time priority FluidSynth's audio thread asks for: below the timer's.
constexpr int kSynthesizerAudioPriority = kTimerFifoPriority - 10;
static_assert(kSynthesizerAudioPriority > 0 && kSynthesizerAudioPriority < kTimerFifoPriority);

// The synthesizer and its settings, shared by the device and its renderers;
// deleted with the last of them.
struct SynthCore {
    SynthCore() = default;
    SynthCore(const SynthCore&) = delete;
    SynthCore& operator=(const SynthCore&) = delete;
    ~SynthCore();

    // Renders `frames` frames into the two channels; false when the synthesizer
    // refuses. One renderer at a time.
    bool Render(float* left, float* right, int frames);
    // The same for FluidSynth's driver, which hands its own buffers.
    bool Process(int frames, int effectBuffers, float* effects[], int outBuffers, float* out[]);

    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    std::mutex renderMutex;
};

// A running renderer; destroying it stops it.
class SynthAudio {
public:
    virtual ~SynthAudio() = default;
};

// The sound through a sound device: null when the device does not open, with
// `failure` naming the device and saying why.
std::unique_ptr<SynthAudio> StartDeviceAudio(std::shared_ptr<SynthCore> core, const std::string& device,
                                             std::string& failure);
// The sound into a WAV file (created anew): null when the file cannot be written,
// with `failure` naming it and saying why.
std::unique_ptr<SynthAudio> StartWavAudio(std::shared_ptr<SynthCore> core, const std::string& path,
                                          std::string& failure);

// What FluidSynth (and ALSA beneath it) logged as errors since the last call;
// FluidSynth's warnings and notes are dropped: the reason an audio driver gave up.
// Any thread.
std::string TakeSynthesizerErrors();
// Routes FluidSynth's log and ALSA's error messages into the list above (a
// library does not print). Idempotent.
void CaptureSynthesizerLog();

}  // namespace ql::midi
