// The synthesizer's renderers (see synth_audio.h): FluidSynth's audio driver fed
// through a paced callback, the WAV file renderer, the bounded stop they share,
// and FluidSynth's error log kept as the reason for a device that failed.
#include "platform/midi/synth_audio.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/midi/counted_threads.h"
#include "platform/midi/fluid_device.h"
#include "platform/midi/real_time_frames.h"

namespace ql::midi {
namespace {

constexpr size_t kMaxErrorChars = 512;
// The reason a device failed: the last few errors logged (ALSA may log a chain of
// them for one failure).
constexpr size_t kMaxErrorLines = 3;
constexpr int kStereo = 2;
constexpr int kWavBitsPerSample = 16;
constexpr int kWavBytesPerFrame = kStereo * kWavBitsPerSample / 8;
constexpr float kWavFullScale = 32767.0f;
constexpr uint16_t kWavPcmFormat = 1;
constexpr uint32_t kWavFormatChunkBytes = 16;
constexpr long kWavRiffSizeAt = 4;
constexpr long kWavDataSizeAt = 40;
constexpr uint32_t kWavHeaderBytes = 44;
// The WAV renderer works in blocks of 10 ms and looks at the clock as often.
constexpr uint32_t kWavBlockMs = 10;
constexpr int kWavBlockFrames = static_cast<int>(kSynthesizerSampleRate / 1000 * kWavBlockMs);
constexpr int kByteBits = 8;

struct ErrorLog {
    std::mutex mutex;
    std::vector<std::string> lines;
};

ErrorLog& Errors() {
    static ErrorLog log;
    return log;
}

void KeepError(int, const char* message, void*) {
    std::lock_guard lock(Errors().mutex);
    std::vector<std::string>& lines = Errors().lines;
    lines.emplace_back(message != nullptr ? message : "");
    if (lines.size() > kMaxErrorLines) lines.erase(lines.begin());
}

void DropLog(int, const char*, void*) {}

// ALSA's own complaints (the sound device FluidSynth's driver opens through it)
// join FluidSynth's errors instead of going to the standard error.
void KeepAlsaError(const char*, int, const char*, int, const char* format, ...) {
    char text[kMaxErrorChars];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    KeepError(0, text, nullptr);
}

// Set once a closing job has finished; waited for with a bound.
struct Finished {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    void Set() {
        std::lock_guard lock(mutex);
        done = true;
        changed.notify_all();
    }
    bool WaitFor(uint32_t ms) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return done; });
    }
};

// Runs `job` on a thread of its own and waits for it at most `ms`; a job that
// has not finished by then is let go (it owns what it needs). Without a thread
// the job runs here.
void RunWithin(std::function<void()> job, uint32_t ms) {
    auto finished = std::make_shared<Finished>();
    std::thread thread;
    try {
        thread = StartCountedThread([job, finished] {
            job();
            finished->Set();
        });
    } catch (const std::system_error&) {
        job();
        return;
    }
    if (finished->WaitFor(ms)) thread.join();
    else thread.detach();
}

// "device" (driver) as FluidSynth's settings name them.
std::string DescribeDevice(fluid_settings_t* settings) {
    char* driver = nullptr;
    std::string described = "the default sound device";
    if (fluid_settings_dupstr(settings, "audio.driver", &driver) != FLUID_OK || driver == nullptr) return described;
    const std::string deviceKey = std::string("audio.") + driver + ".device";
    char* device = nullptr;
    if (fluid_settings_get_type(settings, deviceKey.c_str()) == FLUID_STR_TYPE &&
        fluid_settings_dupstr(settings, deviceKey.c_str(), &device) == FLUID_OK && device != nullptr) {
        described = std::string("\"") + device + "\" (" + driver + ")";
        fluid_free(device);
    } else {
        described = std::string("the ") + driver + " sound device";
    }
    fluid_free(driver);
    return described;
}

// What FluidSynth's driver thread calls for each buffer: waits while the
// renderer is too far ahead of the clock, then renders.
struct DeviceFeed {
    explicit DeviceFeed(std::shared_ptr<SynthCore> synthCore)
        : core(std::move(synthCore)), clock(kSynthesizerSampleRate) {}
    std::shared_ptr<SynthCore> core;
    RealTimeFrames clock;  // the driver thread's own
};

int FeedDevice(void* data, int frames, int effectBuffers, float* effects[], int outBuffers, float* out[]) {
    auto* feed = static_cast<DeviceFeed*>(data);
    const int64_t wait = feed->clock.WaitBefore(MonotonicNanoseconds(), static_cast<uint32_t>(std::max(frames, 0)));
    if (wait > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(wait));
    return feed->core->Process(frames, effectBuffers, effects, outBuffers, out) ? FLUID_OK : FLUID_FAILED;
}

class DeviceAudio final : public SynthAudio {
public:
    DeviceAudio(fluid_audio_driver_t* driver, std::shared_ptr<DeviceFeed> feed) : driver_(driver), feed_(std::move(feed)) {}
    ~DeviceAudio() override {
        // Deleting the driver ends its thread, which may sit in the device.
        RunWithin([driver = driver_, feed = feed_] { delete_fluid_audio_driver(driver); }, kAudioCloseWaitMs);
    }

private:
    fluid_audio_driver_t* driver_;
    std::shared_ptr<DeviceFeed> feed_;  // the driver's callback data, kept until the driver is gone
};

void PutLittleEndian(std::vector<uint8_t>& bytes, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes.push_back(static_cast<uint8_t>(value >> (kByteBits * i)));
}

std::vector<uint8_t> WavHeader(uint32_t dataBytes) {
    std::vector<uint8_t> header;
    const auto tag = [&](const char* text) { header.insert(header.end(), text, text + 4); };
    const auto rate = static_cast<uint32_t>(kSynthesizerSampleRate);
    tag("RIFF");
    PutLittleEndian(header, kWavHeaderBytes - 8 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    PutLittleEndian(header, kWavFormatChunkBytes, 4);
    PutLittleEndian(header, kWavPcmFormat, 2);
    PutLittleEndian(header, kStereo, 2);
    PutLittleEndian(header, rate, 4);
    PutLittleEndian(header, rate * kWavBytesPerFrame, 4);
    PutLittleEndian(header, kWavBytesPerFrame, 2);
    PutLittleEndian(header, kWavBitsPerSample, 2);
    tag("data");
    PutLittleEndian(header, dataBytes, 4);
    return header;
}

// The WAV renderer's state, shared with its thread.
struct WavState {
    std::shared_ptr<SynthCore> core;
    std::FILE* file = nullptr;
    std::mutex mutex;
    std::condition_variable stopped;
    bool stop = false;
    uint32_t dataBytes = 0;

    bool WriteBlock(int frames) {
        std::array<float, kWavBlockFrames> left{};
        std::array<float, kWavBlockFrames> right{};
        if (!core->Render(left.data(), right.data(), frames)) return false;
        std::array<int16_t, kWavBlockFrames * kStereo> samples{};
        for (int i = 0; i < frames; ++i) {
            samples[kStereo * i] = static_cast<int16_t>(std::clamp(left[i], -1.0f, 1.0f) * kWavFullScale);
            samples[kStereo * i + 1] = static_cast<int16_t>(std::clamp(right[i], -1.0f, 1.0f) * kWavFullScale);
        }
        const size_t bytes = static_cast<size_t>(frames) * kWavBytesPerFrame;
        if (std::fwrite(samples.data(), 1, bytes, file) != bytes) return false;
        dataBytes += static_cast<uint32_t>(bytes);
        return true;
    }
    // Renders what the clock has made due, block by block.
    bool CatchUp(RealTimeFrames& clock) {
        for (uint64_t due = clock.DueFrames(MonotonicNanoseconds()); due > 0;) {
            const int frames = static_cast<int>(std::min<uint64_t>(due, kWavBlockFrames));
            if (!WriteBlock(frames)) return false;
            clock.Rendered(static_cast<uint32_t>(frames));
            due -= static_cast<uint64_t>(frames);
        }
        return true;
    }
    void Run() {
        RealTimeFrames clock(kSynthesizerSampleRate);
        bool writing = true;
        std::unique_lock lock(mutex);
        while (!stop) {
            lock.unlock();
            writing = writing && CatchUp(clock);
            lock.lock();
            stopped.wait_for(lock, std::chrono::milliseconds(kWavBlockMs), [&] { return stop; });
        }
        lock.unlock();
        if (writing) CatchUp(clock);
        const std::vector<uint8_t> header = WavHeader(dataBytes);
        if (std::fseek(file, 0, SEEK_SET) == 0) std::fwrite(header.data(), 1, header.size(), file);
        std::fclose(file);
    }
};

class WavAudio final : public SynthAudio {
public:
    WavAudio(std::shared_ptr<WavState> state, std::thread thread, std::shared_ptr<Finished> finished)
        : state_(std::move(state)), thread_(std::move(thread)), finished_(std::move(finished)) {}
    ~WavAudio() override {
        {
            std::lock_guard lock(state_->mutex);
            state_->stop = true;
        }
        state_->stopped.notify_all();
        if (finished_->WaitFor(kAudioCloseWaitMs)) thread_.join();
        else thread_.detach();
    }

private:
    std::shared_ptr<WavState> state_;
    std::thread thread_;
    std::shared_ptr<Finished> finished_;
};

}  // namespace

SynthCore::~SynthCore() {
    if (synth != nullptr) delete_fluid_synth(synth);
    if (settings != nullptr) delete_fluid_settings(settings);
}

bool SynthCore::Render(float* left, float* right, int frames) {
    std::lock_guard lock(renderMutex);
    return fluid_synth_write_float(synth, frames, left, 0, 1, right, 0, 1) == FLUID_OK;
}

bool SynthCore::Process(int frames, int effectBuffers, float* effects[], int outBuffers, float* out[]) {
    std::lock_guard lock(renderMutex);
    if (effectBuffers > 0 || outBuffers < kStereo)
        return fluid_synth_process(synth, frames, effectBuffers, effects, outBuffers, out) == FLUID_OK;
    // No buffers of its own for the effects: reverb and chorus go into the dry sound.
    float* mixed[] = {out[0], out[1], out[0], out[1]};
    return fluid_synth_process(synth, frames, static_cast<int>(std::size(mixed)), mixed, outBuffers, out) == FLUID_OK;
}

std::unique_ptr<SynthAudio> StartDeviceAudio(std::shared_ptr<SynthCore> core, const std::string& device,
                                             std::string& failure) {
    fluid_settings_t* settings = core->settings;
    fluid_settings_setint(settings, "audio.realtime-prio", kSynthesizerAudioPriority);
    char* driver = nullptr;
    if (!device.empty() && fluid_settings_dupstr(settings, "audio.driver", &driver) == FLUID_OK && driver != nullptr) {
        fluid_settings_setstr(settings, (std::string("audio.") + driver + ".device").c_str(), device.c_str());
        fluid_free(driver);
    }
    auto feed = std::make_shared<DeviceFeed>(std::move(core));
    TakeSynthesizerErrors();
    fluid_audio_driver_t* audio = new_fluid_audio_driver2(settings, FeedDevice, feed.get());
    if (audio == nullptr) {
        const std::string reason = TakeSynthesizerErrors();
        failure = DescribeDevice(settings) + (reason.empty() ? std::string(" does not open") : ": " + reason);
        return nullptr;
    }
    return std::make_unique<DeviceAudio>(audio, std::move(feed));
}

std::unique_ptr<SynthAudio> StartWavAudio(std::shared_ptr<SynthCore> core, const std::string& path,
                                          std::string& failure) {
    auto state = std::make_shared<WavState>();
    state->core = std::move(core);
    state->file = std::fopen(path.c_str(), "wb");
    const std::vector<uint8_t> header = WavHeader(0);
    if (state->file == nullptr || std::fwrite(header.data(), 1, header.size(), state->file) != header.size()) {
        failure = "the WAV file \"" + path + "\": " + std::strerror(errno);
        if (state->file != nullptr) std::fclose(state->file);
        return nullptr;
    }
    auto finished = std::make_shared<Finished>();
    std::thread thread;
    try {
        thread = StartCountedThread([state, finished] {
            state->Run();
            finished->Set();
        });
    } catch (const std::system_error& error) {
        failure = "the WAV file \"" + path + "\": " + error.what();
        std::fclose(state->file);
        return nullptr;
    }
    return std::make_unique<WavAudio>(std::move(state), std::move(thread), std::move(finished));
}

std::string TakeSynthesizerErrors() {
    std::lock_guard lock(Errors().mutex);
    std::string taken;
    for (const std::string& line : Errors().lines) taken += (taken.empty() ? "" : "; ") + line;
    Errors().lines.clear();
    return taken;
}

void CaptureSynthesizerLog() {
    static const bool captured = [] {
        for (int level : {FLUID_PANIC, FLUID_ERR}) fluid_set_log_function(level, KeepError, nullptr);
        for (int level : {FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, DropLog, nullptr);
        snd_lib_error_set_handler(KeepAlsaError);
        return true;
    }();
    (void)captured;
}

}  // namespace ql::midi
