// The headless MIDI backend: recording virtual output devices, virtual inputs that
// tests inject bytes into, and either a virtual clock that only the test moves or
// the real monotonic clock with the real timer thread (for tests of the threads).
//
// Virtual clock: VirtualClock::Advance(ms) fires, synchronously on the calling
// thread, every due one-shot and every injected input in time order (ties in the
// order they were armed or injected), with the clock at that time. The backend's
// Wait moves the virtual clock on without firing anything. Every byte
// written to a virtual output is recorded with the clock time and the device's
// number, in one log for all devices. Devices and timers must be released before
// the backend is replaced.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/midi/midi.h"

namespace ql::midi::headless {

enum class ClockMode : uint8_t {
    Virtual = 0,  // moves only by Advance; timers fire inside Advance
    Real = 1,     // CLOCK_MONOTONIC and the real timer thread
};

// Bytes an input holds between injection and delivery; a burst that does not fit
// is dropped whole and counted.
constexpr size_t kVirtualInputRingBytes = 4096;
constexpr size_t kVirtualInputBursts = 256;

struct SentMessage {
    uint32_t ms = 0;
    int port = 0;  // the device's number (the order it was declared in)
    std::vector<uint8_t> bytes;
    bool operator==(const SentMessage&) const = default;
};

std::unique_ptr<Backend> MakeBackend(ClockMode mode);

// Installs a fresh headless backend (clock at 0, no devices, empty log).
void Reset(ClockMode mode = ClockMode::Virtual);

// Declares a device on the installed headless backend; returns its number.
int AddDevice(std::string name, bool output, bool input);

// The log of every message written to a virtual output, in order.
std::vector<SentMessage> Sent();
void ClearSent();

// From now on, writes to the named output fail and it no longer opens (the
// device vanishes while still listed).
void FailWrites(std::string_view name);

// From now on (or no longer), the backend makes no timer: CreateTimer gives null,
// as when the timer thread cannot be made.
void FailTimers(bool fail);

// The virtual clock of the installed headless backend.
uint32_t Now();
void Advance(uint32_t ms);

// A virtual input as opened through the backend.
class VirtualMidiIn : public InputDevice {
public:
    using InputDevice::InputDevice;
    // Virtual clock: delivers `bytes` when the clock passes `ms` (not earlier than
    // the last injection of this input). False when refused or dropped.
    virtual bool InjectAt(uint32_t ms, std::span<const uint8_t> bytes) = 0;
    // Delivers at once on the calling thread, stamped with the clock now.
    virtual void InjectNow(std::span<const uint8_t> bytes) = 0;
};

}  // namespace ql::midi::headless
