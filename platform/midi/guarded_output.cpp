// The guarded output (see guarded_output.h). The ring holds each message as a
// four-byte length and its bytes; the writer takes one message at a time out of
// it under the mutex and writes it with the mutex released, noting when the write
// began so that senders and the closer can tell a stuck device.
#include "platform/midi/guarded_output.h"

#include <condition_variable>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/midi/counted_threads.h"
#include "platform/midi/timer_thread.h"

namespace ql::midi {
namespace {

constexpr int64_t kNanosecondsPerMs = 1'000'000;
constexpr int64_t kStuckWriteNs = int64_t{kStuckWriteMs} * kNanosecondsPerMs;
constexpr size_t kLengthBytes = 4;
constexpr int kByteBits = 8;
// How often the closer looks again whether a busy writer has become stuck.
constexpr auto kCloseLook = std::chrono::milliseconds(10);

}  // namespace

struct GuardedOutput::Shared {
    explicit Shared(std::shared_ptr<OutputDevice> behind) : device(std::move(behind)), ring(kGuardRingBytes) {}

    std::shared_ptr<OutputDevice> device;
    std::mutex mutex;
    std::condition_variable wake;  // the writer: something queued, or closing
    std::condition_variable idle;  // the closer: the ring emptied, or the writer ended
    std::vector<uint8_t> ring;
    size_t head = 0;
    size_t used = 0;
    bool closing = false;
    bool writerDone = false;
    bool failed = false;
    GuardedOutput* owner = nullptr;     // null once the guard is being destroyed
    std::atomic<int64_t> writeBegan{0};  // CLOCK_MONOTONIC ns; 0 outside a write

    bool IsStuck() const {
        const int64_t began = writeBegan.load(std::memory_order_acquire);
        return began != 0 && MonotonicNanoseconds() - began > kStuckWriteNs;
    }
    void Put(const uint8_t* bytes, size_t count) {
        for (size_t i = 0; i < count; ++i) ring[(head + used + i) % ring.size()] = bytes[i];
        used += count;
    }
    void Take(uint8_t* bytes, size_t count) {
        for (size_t i = 0; i < count; ++i) bytes[i] = ring[(head + i) % ring.size()];
        head = (head + count) % ring.size();
        used -= count;
    }
    // Called with the mutex held: the guard reads as gone from now on.
    void Fail() {
        failed = true;
        if (owner != nullptr) owner->MarkGone();
    }
    void Run();
};

void GuardedOutput::Shared::Run() {
    std::vector<uint8_t> message;
    message.reserve(kGuardRingBytes);
    std::unique_lock lock(mutex);
    for (;;) {
        wake.wait(lock, [&] { return used > 0 || closing; });
        if (used == 0) break;  // closing, and everything written
        uint8_t length[kLengthBytes];
        Take(length, kLengthBytes);
        uint32_t count = 0;
        for (size_t i = 0; i < kLengthBytes; ++i) count |= static_cast<uint32_t>(length[i]) << (kByteBits * i);
        message.resize(count);
        Take(message.data(), count);
        if (failed) continue;
        lock.unlock();
        const int64_t began = MonotonicNanoseconds();
        writeBegan.store(began, std::memory_order_release);
        const bool ok = ForwardMessage(*device, message);
        const bool stuck = MonotonicNanoseconds() - began > kStuckWriteNs;
        writeBegan.store(0, std::memory_order_release);
        lock.lock();
        // A device that sat in one write past the limit is stuck: it is gone, and
        // what is left in the ring is dropped.
        if (!ok || stuck) Fail();
        if (used == 0) idle.notify_all();
    }
    writerDone = true;
    idle.notify_all();
}

GuardedOutput::GuardedOutput(std::shared_ptr<OutputDevice> device)
    : OutputDevice(device->Name()), shared_(std::make_shared<Shared>(std::move(device))) {
    shared_->owner = this;
}

std::unique_ptr<GuardedOutput> GuardedOutput::Open(std::shared_ptr<OutputDevice> device) {
    std::unique_ptr<GuardedOutput> guard(new GuardedOutput(std::move(device)));
    try {
        guard->writer_ = StartCountedThread([shared = guard->shared_] { shared->Run(); });
    } catch (const std::system_error&) {
        guard->shared_->writerDone = true;  // nothing to wait for when it goes
        return nullptr;
    }
    return guard;
}

GuardedOutput::~GuardedOutput() {
    Shared& shared = *shared_;
    bool done = false;
    {
        std::unique_lock lock(shared.mutex);
        shared.owner = nullptr;
        shared.closing = true;
        shared.wake.notify_one();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kCloseWaitMs);
        while (!shared.writerDone && !shared.IsStuck() && std::chrono::steady_clock::now() < deadline)
            shared.idle.wait_for(lock, kCloseLook);
        done = shared.writerDone;
    }
    if (!writer_.joinable()) return;
    if (done) writer_.join();
    else writer_.detach();  // it holds the shared part, and the device behind, until its queue is written
}

bool GuardedOutput::WriteShort(std::span<const uint8_t> bytes) { return Queue(bytes); }
bool GuardedOutput::WriteLong(std::span<const uint8_t> bytes) { return Queue(bytes); }

bool GuardedOutput::Queue(std::span<const uint8_t> bytes) {
    Shared& shared = *shared_;
    std::lock_guard lock(shared.mutex);
    if (shared.failed) return false;
    if (shared.IsStuck() || shared.used + kLengthBytes + bytes.size() > shared.ring.size()) {
        shared.failed = true;  // the base marks the guard gone on this refusal
        return false;
    }
    uint8_t length[kLengthBytes];
    for (size_t i = 0; i < kLengthBytes; ++i) length[i] = static_cast<uint8_t>(bytes.size() >> (kByteBits * i));
    shared.Put(length, kLengthBytes);
    shared.Put(bytes.data(), bytes.size());
    shared.wake.notify_one();
    return true;
}

std::unique_ptr<OutputDevice> GuardOutput(std::unique_ptr<OutputDevice> device) {
    if (device == nullptr) return nullptr;
    return GuardedOutput::Open(std::shared_ptr<OutputDevice>(std::move(device)));
}

}  // namespace ql::midi
