// Step entry's input device and its bounded queue between the input thread and the
// user-interface thread.
#include "notes/step_entry/step_entry_input.h"

#include "notes/step_entry/step_entry.h"
#include "platform/win/message_loop.h"

namespace ql {

namespace {

constexpr uint32_t kStatusMask = 0xFF;
constexpr uint32_t kFirstChannelStatus = 0x80;
constexpr uint32_t kLastChannelStatus = 0xEF;

}  // namespace

bool StepEntryInput::Open(std::string_view name, platform::WindowHandle notify, win::Message message) {
    Close();
    std::unique_ptr<midi::InputDevice> device = midi::CurrentBackend().OpenInput(name);
    if (device == nullptr) return false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.clear();
        queue_.reserve(kStepInputQueueMessages);
        dropped_ = 0;
        notify_ = notify;
        notifyMessage_ = message;
    }
    midi::InputHandler handler;
    handler.onShort = &StepEntryInput::OnShort;
    handler.user = this;
    if (!device->Start(handler, midi::CurrentBackend().TheClock().NowMs())) return false;
    device_ = std::move(device);
    return true;
}

void StepEntryInput::Close() {
    if (device_ != nullptr) {
        device_->Close();
        device_.reset();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.clear();
}

void StepEntryInput::OnShort(void* user, uint32_t message, uint32_t /*ms*/) {
    const uint32_t status = message & kStatusMask;
    if (status < kFirstChannelStatus || status > kLastChannelStatus) return;
    static_cast<StepEntryInput*>(user)->Queue(message);
}

void StepEntryInput::Queue(uint32_t message) {
    bool wasEmpty = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (queue_.size() >= kStepInputQueueMessages) {
            ++dropped_;
            return;
        }
        wasEmpty = queue_.empty();
        queue_.push_back(message);
    }
    if (wasEmpty && notify_) win::PostMessage(notify_, notifyMessage_);
}

size_t StepEntryInput::Deliver(ScoreView* view) {
    std::vector<uint32_t> taken;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        taken.swap(queue_);
        queue_.reserve(kStepInputQueueMessages);
    }
    for (uint32_t message : taken) StepEntryFromMidiInput(view, message);
    return taken.size();
}

uint32_t StepEntryInput::Dropped() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dropped_;
}

}  // namespace ql
