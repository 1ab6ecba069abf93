// The MIDI layer: device list, output and input devices opened by name, short,
// long and real-time messages, input callbacks with millisecond stamps, a one-shot
// timer and a millisecond clock, behind one interface with two backends: the
// headless one (virtual clock, recording virtual devices; midi/headless.h) and the
// system one (ALSA sequencer ports, the built-in FluidSynth synthesizer, a timer
// thread on CLOCK_MONOTONIC; midi/system_backend.h).
//
// Threads: Send, SendLong and SendRealtime are safe from any thread (one mutex per
// output device, held only while a message is encoded and written; encoders are
// preallocated). The system backend's outputs write on a thread of their own
// (guarded_output.h), so that no sender waits on a device. A device whose write
// fails is gone from then on: it reads as closed and nothing more is written to it. Everything else belongs to the
// user-interface thread, except the clock (any thread) and the timer's Arm, which
// its own callback may call.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/midi/input_parser.h"

namespace ql::midi {

// ---- Devices ----

enum class DeviceKind : uint8_t {
    Synthesizer = 0,  // the built-in software synthesizer
    Port = 1,         // a port of another sequencer client
    Virtual = 2,      // a device of the headless backend
};

struct DeviceInfo {
    std::string name;  // what the device is opened by; stored in settings
    DeviceKind kind = DeviceKind::Port;
    bool output = false;  // the program can send to it
    bool input = false;   // the program can receive from it
};

// An opened output device. Owned by whoever opened it; closing is destroying.
class OutputDevice {
public:
    explicit OutputDevice(std::string name) : name_(std::move(name)) {}
    virtual ~OutputDevice() = default;
    OutputDevice(const OutputDevice&) = delete;
    OutputDevice& operator=(const OutputDevice&) = delete;

    const std::string& Name() const { return name_; }

    // A packed short message: status in the low byte, then data 1 and data 2. The
    // status must be a channel or system common status (not 0xF0 or 0xF7); data
    // bytes are taken 7 bits wide. False when refused or the device is gone.
    bool Send(uint32_t message);
    // A whole system-exclusive message, F0 ... F7, with 7-bit bytes between.
    bool SendLong(std::span<const uint8_t> bytes);
    // One system real-time byte (0xF8 clock, 0xFA start, 0xFC stop, ...).
    bool SendRealtime(uint8_t status);

    // True once a write failed (or the device was lost); any thread.
    bool IsGone() const { return gone_.load(std::memory_order_acquire); }

protected:
    // Called with the device's mutex held. `bytes` is a complete message. False
    // when the device failed: it is then gone.
    virtual bool WriteShort(std::span<const uint8_t> bytes) = 0;
    virtual bool WriteLong(std::span<const uint8_t> bytes) = 0;
    // For a backend that learns the device is lost other than by a failed write.
    void MarkGone() { gone_.store(true, std::memory_order_release); }

private:
    bool Write(std::span<const uint8_t> bytes, bool isLong);

    std::string name_;
    std::mutex mutex_;
    std::atomic<bool> gone_{false};
};

// Writes a message that another device's Send, SendLong or SendRealtime took
// (its bytes as they were encoded) through `device`'s own call for it. False when
// `device` refuses it.
bool ForwardMessage(OutputDevice& device, std::span<const uint8_t> bytes);

// Callbacks of an input device; `user` is handed back unchanged. They run on the
// device's input thread, one at a time; `ms` counts from Start.
struct InputHandler {
    void (*onShort)(void* user, uint32_t message, uint32_t ms) = nullptr;
    void (*onLong)(void* user, std::span<const uint8_t> bytes, uint32_t ms) = nullptr;
    void* user = nullptr;
};

// What an input device dropped, and what it passed on; any thread.
struct InputCounters {
    uint32_t shortMessages = 0;
    uint32_t longMessages = 0;
    uint32_t badStatus = 0;       // undefined status bytes, an F7 without an F0
    uint32_t strayData = 0;       // data bytes with no status to belong to
    uint32_t truncated = 0;       // messages cut off by a status byte or a lost burst
    uint32_t overlong = 0;        // system-exclusive messages longer than the buffer
    uint32_t droppedBursts = 0;   // bursts the input ring could not take
};

// An opened input device. Owned by whoever opened it; destroying it closes it.
// Received bytes go through one parser (input_parser.h): a malformed message is
// dropped and counted, never passed on half-formed.
class InputDevice {
public:
    explicit InputDevice(std::string name) : name_(std::move(name)) {}
    virtual ~InputDevice() = default;
    InputDevice(const InputDevice&) = delete;
    InputDevice& operator=(const InputDevice&) = delete;

    const std::string& Name() const { return name_; }

    // Starts delivering to the handler; stamps count from now. False when the
    // device cannot start (then nothing is delivered).
    bool Start(const InputHandler& handler, uint32_t nowMs);
    // Returns when no callback is running and none will run until the next Start.
    void Stop();
    // Stops, then releases the device; nothing is received afterwards.
    void Close();

    InputCounters Counters() const;

protected:
    // The backend's reader: `bytes` arrived at `nowMs` (the backend's clock). A
    // burst longer than the input ring (kInputRingBytes) is dropped whole and
    // counted, and so is anything that arrives while the device is stopped.
    void Receive(std::span<const uint8_t> bytes, uint32_t nowMs);
    // The backend lost bytes (its own buffer overran): counted as a dropped burst;
    // a message in progress is dropped as truncated.
    void NoteLostBurst();
    // Backend hooks around Start and Close; the defaults do nothing.
    virtual bool OpenStream() { return true; }
    virtual void CloseStream() {}

private:
    std::string name_;
    mutable std::mutex dispatchMutex_;  // held while bytes are parsed and delivered
    InputHandler handler_{};
    bool started_ = false;
    bool closed_ = false;
    uint32_t startMs_ = 0;
    InputParser parser_;
    std::atomic<uint32_t> shortCount_{0};
    std::atomic<uint32_t> longCount_{0};
    std::atomic<uint32_t> droppedBursts_{0};
};

// ---- The one-shot timer ----

using TimerCallback = void (*)(void* user);

// What Cancel saw of the timer thread: slices of its sleep that ended after the
// cancel flag was set (at most 1 for a prompt cancel; 0 for a virtual timer).
struct TimerStopReport {
    uint32_t slicesAfterCancel = 0;
};

class OneShotTimer {
public:
    virtual ~OneShotTimer() = default;
    // Fires the callback once, `delayMs` from now (0 is taken as 1), replacing an
    // earlier arming. From the callback itself or the user-interface thread.
    // False when the timer is cancelled.
    virtual bool Arm(uint32_t delayMs) = 0;
    // Returns only when the callback is not running and will not run again.
    virtual TimerStopReport Cancel() = 0;
};

// The smallest period the timer offers, in ms. The timer thread needs no period
// to be begun, so beginning or ending one of at least the minimum succeeds (0 is
// refused); "Can't start timer" comes only from a thread that cannot be made.
constexpr uint32_t kMinimumTimerPeriodMs = 1;
bool BeginTimerPeriod(uint32_t periodMs);
bool EndTimerPeriod(uint32_t periodMs);

// ---- The backend ----

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds of a monotonic clock; wraps at 2^32. Any thread.
    virtual uint32_t NowMs() const = 0;
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual std::vector<DeviceInfo> Devices() = 0;
    // Null when no such device exists or it cannot be opened.
    virtual std::unique_ptr<OutputDevice> OpenOutput(std::string_view name) = 0;
    virtual std::unique_ptr<InputDevice> OpenInput(std::string_view name) = 0;
    // A timer for one run; null when its thread cannot be made.
    virtual std::unique_ptr<OneShotTimer> CreateTimer(TimerCallback callback, void* user) = 0;
    virtual const Clock& TheClock() const = 0;
    // Lets `ms` of the backend's clock pass on the calling thread (a sleep; the
    // virtual clock moves on without firing anything). User-interface thread.
    virtual void Wait(uint32_t ms);
};

// The installed backend (a headless one with a virtual clock unless another was
// installed). Devices, timers and clocks taken from a backend must be released
// before it is replaced. User-interface thread.
Backend& CurrentBackend();
void InstallBackend(std::unique_ptr<Backend> backend);
// Called before the installed backend is replaced, for a holder of its devices
// and timers that outlive what it was holding them for (a run's last notes
// ringing) to let them go; null for none. User-interface thread.
using BackendReleaseHook = void (*)();
void SetBackendReleaseHook(BackendReleaseHook hook);

// At the program's end: the installed backend released (with its synthesizer)
// and the layer's threads that were let go waited for, at most `ms`
// (counted_threads.h). False when one still sits in a device by then: the program
// must end without destroying its static objects, which that thread may use.
// User-interface thread, after every device taken from the backend is released.
bool ReleaseForExit(uint32_t ms);

// Notices of the layer for the user, oldest first; taking them empties the list.
// A line notice says what the program goes on without (the sequencer not
// reachable); a box notice says why nothing will be heard (the synthesizer has no
// soundfont or no sound device) and is shown in a message box. Any thread.
enum class NoticeWeight : uint8_t { Line = 0, Box = 1 };
struct Notice {
    std::string text;
    NoticeWeight weight = NoticeWeight::Line;
};
void AddNotice(std::string text, NoticeWeight weight = NoticeWeight::Line);
std::vector<Notice> TakeNotices();
// Called (on the thread that adds it) after each notice is added, so that the
// user-interface thread can be woken to show it; null for none. The waker must be
// safe to call from any thread. User-interface thread.
using NoticeWaker = void (*)();
void SetNoticeWaker(NoticeWaker waker);

}  // namespace ql::midi
