// An output device that no sender ever waits on: every message it takes is put in
// a ring and written to the device behind it by a writer thread of its own. The
// timer thread, the user-interface thread and the input threads only queue, so a
// device that blocks, spins or vanishes can hold up nothing but its own writer.
//
// - Send, SendLong and SendRealtime check the message, queue it and return at
//   once. The writer writes the messages in the order they were queued.
// - A device that does not keep up (the ring is full), that sits in one write for
//   longer than kStuckWriteMs, or whose write fails is gone: it reads as gone, and
//   what is queued or sent afterwards is dropped.
// - Destroying the guard lets the writer finish what is queued, waiting at most
//   kCloseWaitMs, and not at all once the device is stuck. A writer that has not
//   finished then is let go: it goes on writing what is queued (a slow device
//   still hears every message), dropping the rest only once one write has taken
//   longer than kStuckWriteMs, and when its queue is written it ends and
//   releases the device behind.
#pragma once

#include <cstdint>
#include <memory>
#include <thread>

#include "platform/midi/midi.h"

namespace ql::midi {

// Bytes of queued messages a device may hold before it is taken as gone.
constexpr size_t kGuardRingBytes = 128 * 1024;
constexpr uint32_t kStuckWriteMs = 250;
constexpr uint32_t kCloseWaitMs = 250;

class GuardedOutput final : public OutputDevice {
public:
    // Null when the writer thread cannot be made. The device behind is shared so
    // that a writer let go can keep it.
    static std::unique_ptr<GuardedOutput> Open(std::shared_ptr<OutputDevice> device);
    ~GuardedOutput() override;

    struct Shared;

protected:
    bool WriteShort(std::span<const uint8_t> bytes) override;
    bool WriteLong(std::span<const uint8_t> bytes) override;

private:
    explicit GuardedOutput(std::shared_ptr<OutputDevice> device);
    bool Queue(std::span<const uint8_t> bytes);

    std::shared_ptr<Shared> shared_;
    std::thread writer_;
};

// The device behind a guard of its own; null when the writer thread cannot be made
// (then the device is not opened either).
std::unique_ptr<OutputDevice> GuardOutput(std::unique_ptr<OutputDevice> device);

}  // namespace ql::midi
