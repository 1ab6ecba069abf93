// Test helper: an output device that behaves as it is told (writes at once,
// blocks in each write until released, spins in each write, sleeps a little in
// each write, fails) and keeps what
// it was sent beyond its own life, with whether a write began and whether it is
// gone from memory, for tests of what a misbehaving device can hold up.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/midi/midi.h"

namespace ql::testing {

enum class Behaviour { Healthy, Blocks, Spins, Slow, Fails };

inline constexpr auto kSpinPerWrite = std::chrono::milliseconds(30);
inline constexpr auto kSlowPerWrite = std::chrono::milliseconds(2);

// What the device was sent; shared with the test.
struct Wire {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::vector<uint8_t>> written;
    bool entered = false;    // a write has begun
    bool release = false;    // blocked writes may return
    bool destroyed = false;  // the device is gone from memory

    // Lets blocked writes return and waits (bounded) until the device is freed.
    bool ReleaseAndWaitForTheEnd(std::chrono::milliseconds bound) {
        std::unique_lock lock(mutex);
        release = true;
        changed.notify_all();
        return changed.wait_for(lock, bound, [&] { return destroyed; });
    }
};

class ScriptedOutput final : public midi::OutputDevice {
public:
    ScriptedOutput(std::string name, Behaviour behaviour, std::shared_ptr<Wire> wire)
        : OutputDevice(std::move(name)), behaviour_(behaviour), wire_(std::move(wire)) {}
    ~ScriptedOutput() override {
        std::lock_guard lock(wire_->mutex);
        wire_->destroyed = true;
        wire_->changed.notify_all();
    }

protected:
    bool WriteShort(std::span<const uint8_t> bytes) override {
        std::unique_lock lock(wire_->mutex);
        wire_->entered = true;
        wire_->changed.notify_all();
        if (behaviour_ == Behaviour::Fails) return false;
        if (behaviour_ == Behaviour::Blocks) wire_->changed.wait(lock, [&] { return wire_->release; });
        if (behaviour_ == Behaviour::Spins) {
            lock.unlock();
            for (const auto until = std::chrono::steady_clock::now() + kSpinPerWrite; std::chrono::steady_clock::now() < until;) {
            }
            lock.lock();
        }
        if (behaviour_ == Behaviour::Slow) {
            lock.unlock();
            std::this_thread::sleep_for(kSlowPerWrite);
            lock.lock();
        }
        wire_->written.emplace_back(bytes.begin(), bytes.end());
        return true;
    }
    bool WriteLong(std::span<const uint8_t> bytes) override { return WriteShort(bytes); }

private:
    Behaviour behaviour_;
    std::shared_ptr<Wire> wire_;
};

}  // namespace ql::testing
