// The MIDI input of step entry: one input device opened by name through the
// platform's MIDI layer (an ALSA sequencer port, or a virtual input in headless
// mode whose scripted bytes arrive on the virtual clock). The device's parser turns
// bytes into whole messages (running status, stray data and overlong bursts are its
// business); channel messages are queued here on the input thread and handed to
// StepEntryFromMidiInput on the user-interface thread by Deliver.
//
// The queue holds kStepInputQueueMessages; messages arriving while it is full are
// dropped and counted, never blocking the input thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/handles.h"
#include "platform/midi/midi.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

constexpr size_t kStepInputQueueMessages = 256;

class StepEntryInput {
  public:
    StepEntryInput() = default;
    ~StepEntryInput() { Close(); }
    StepEntryInput(const StepEntryInput&) = delete;
    StepEntryInput& operator=(const StepEntryInput&) = delete;

    // Opens and starts the named input; when `notify` is set, `message` is posted to
    // it whenever the queue turns non-empty. False when there is no such device or
    // it cannot start (then nothing is open).
    bool Open(std::string_view name, platform::WindowHandle notify = {},
              win::Message message = win::Message::Null);
    // Stops and releases the device; queued messages are discarded.
    void Close();
    bool IsOpen() const { return device_ != nullptr; }
    // The open device (borrowed; null when closed), e.g. to inject into a virtual one.
    midi::InputDevice* Device() const { return device_.get(); }

    // Hands every queued message, oldest first, to StepEntryFromMidiInput for the
    // view; returns how many. User-interface thread.
    size_t Deliver(ScoreView* view);

    // Messages dropped because the queue was full; any thread.
    uint32_t Dropped() const;

  private:
    static void OnShort(void* user, uint32_t message, uint32_t ms);
    void Queue(uint32_t message);

    std::unique_ptr<midi::InputDevice> device_;
    platform::WindowHandle notify_{};
    win::Message notifyMessage_ = win::Message::Null;
    mutable std::mutex mutex_;
    std::vector<uint32_t> queue_;  // reserved to the capacity when opened
    uint32_t dropped_ = 0;
};

}  // namespace ql
