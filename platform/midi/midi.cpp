// The device-independent half of the MIDI layer: checking and writing messages
// under each output device's mutex, parsing and delivering received bytes, the
// installed backend and the notices.
#include "platform/midi/midi.h"

#include <array>
#include <chrono>
#include <thread>

#include "platform/midi/counted_threads.h"
#include "platform/midi/headless.h"

namespace ql::midi {
namespace {

constexpr uint8_t kDataMask = 0x7F;
constexpr uint8_t kSysExStart = 0xF0;
constexpr uint8_t kSysExEnd = 0xF7;
constexpr uint8_t kFirstRealtime = 0xF8;
constexpr int kByteBits = 8;
// Bytes of the longest input burst the ring between a device's reader and the
// parser takes at once.
constexpr size_t kInputRingBytes = 4096;

bool IsWholeSysEx(std::span<const uint8_t> bytes) {
    if (bytes.size() < 2 || bytes.front() != kSysExStart || bytes.back() != kSysExEnd) return false;
    for (size_t i = 1; i + 1 < bytes.size(); ++i)
        if (bytes[i] > kDataMask) return false;
    return true;
}

std::unique_ptr<Backend>& BackendSlot() {
    static std::unique_ptr<Backend> backend = headless::MakeBackend(headless::ClockMode::Virtual);
    return backend;
}

struct NoticeList {
    std::mutex mutex;
    std::vector<Notice> notices;
    NoticeWaker waker = nullptr;
};

NoticeList& Notices() {
    static NoticeList list;
    return list;
}

// Hands what the parser passes on to the device's handler with the stamp.
class HandlerSink final : public ParserSink {
public:
    HandlerSink(const InputHandler& handler, uint32_t ms, std::atomic<uint32_t>& shorts,
                std::atomic<uint32_t>& longs)
        : handler_(handler), ms_(ms), shorts_(shorts), longs_(longs) {}
    void OnShort(uint32_t message) override {
        shorts_.fetch_add(1, std::memory_order_relaxed);
        if (handler_.onShort) handler_.onShort(handler_.user, message, ms_);
    }
    void OnLong(std::span<const uint8_t> bytes) override {
        longs_.fetch_add(1, std::memory_order_relaxed);
        if (handler_.onLong) handler_.onLong(handler_.user, bytes, ms_);
    }

private:
    const InputHandler& handler_;
    uint32_t ms_;
    std::atomic<uint32_t>& shorts_;
    std::atomic<uint32_t>& longs_;
};

}  // namespace

// ---- OutputDevice ----

bool OutputDevice::Write(std::span<const uint8_t> bytes, bool isLong) {
    if (IsGone()) return false;
    std::lock_guard lock(mutex_);
    if (IsGone()) return false;
    bool written = isLong ? WriteLong(bytes) : WriteShort(bytes);
    if (!written) MarkGone();
    return written;
}

bool OutputDevice::Send(uint32_t message) {
    auto status = static_cast<uint8_t>(message & 0xFF);
    int length = ShortMessageLength(status);
    if (length == 0) return false;
    std::array<uint8_t, 3> bytes{status, static_cast<uint8_t>((message >> 8) & kDataMask),
                                 static_cast<uint8_t>((message >> 16) & kDataMask)};
    return Write(std::span<const uint8_t>(bytes.data(), static_cast<size_t>(length)), false);
}

bool OutputDevice::SendLong(std::span<const uint8_t> bytes) {
    if (!IsWholeSysEx(bytes)) return false;
    return Write(bytes, true);
}

bool OutputDevice::SendRealtime(uint8_t status) {
    if (status < kFirstRealtime || ShortMessageLength(status) == 0) return false;
    return Write(std::span<const uint8_t>(&status, 1), false);
}

bool ForwardMessage(OutputDevice& device, std::span<const uint8_t> bytes) {
    if (bytes.empty()) return false;
    if (bytes.front() == kSysExStart) return device.SendLong(bytes);
    if (bytes.front() >= kFirstRealtime) return device.SendRealtime(bytes.front());
    uint32_t message = 0;
    for (size_t i = 0; i < bytes.size(); ++i) message |= static_cast<uint32_t>(bytes[i]) << (kByteBits * i);
    return device.Send(message);
}

// ---- InputDevice ----

bool InputDevice::Start(const InputHandler& handler, uint32_t nowMs) {
    std::lock_guard lock(dispatchMutex_);
    if (closed_) return false;
    if (!started_ && !OpenStream()) return false;
    handler_ = handler;
    startMs_ = nowMs;
    parser_.Reset();
    started_ = true;
    return true;
}

void InputDevice::Stop() {
    std::lock_guard lock(dispatchMutex_);
    started_ = false;
}

void InputDevice::Close() {
    Stop();
    bool wasClosed;
    {
        std::lock_guard lock(dispatchMutex_);
        wasClosed = closed_;
        closed_ = true;
    }
    if (!wasClosed) CloseStream();
}

void InputDevice::Receive(std::span<const uint8_t> bytes, uint32_t nowMs) {
    std::lock_guard lock(dispatchMutex_);
    if (!started_) return;
    if (bytes.size() > kInputRingBytes) {
        droppedBursts_.fetch_add(1, std::memory_order_relaxed);
        parser_.Interrupt();
        return;
    }
    HandlerSink sink(handler_, nowMs - startMs_, shortCount_, longCount_);
    parser_.Feed(bytes, sink);
}

void InputDevice::NoteLostBurst() {
    std::lock_guard lock(dispatchMutex_);
    droppedBursts_.fetch_add(1, std::memory_order_relaxed);
    parser_.Interrupt();
}

InputCounters InputDevice::Counters() const {
    InputCounters counters;
    {
        std::lock_guard lock(dispatchMutex_);
        const ParserCounters& parsed = parser_.Counters();
        counters.badStatus = parsed.badStatus;
        counters.strayData = parsed.strayData;
        counters.truncated = parsed.truncated;
        counters.overlong = parsed.overlong;
    }
    counters.shortMessages = shortCount_.load(std::memory_order_relaxed);
    counters.longMessages = longCount_.load(std::memory_order_relaxed);
    counters.droppedBursts = droppedBursts_.load(std::memory_order_relaxed);
    return counters;
}

// ---- Timer periods ----

bool BeginTimerPeriod(uint32_t periodMs) { return periodMs >= kMinimumTimerPeriodMs; }
bool EndTimerPeriod(uint32_t periodMs) { return periodMs >= kMinimumTimerPeriodMs; }

// ---- Backend and notices ----

void Backend::Wait(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

Backend& CurrentBackend() { return *BackendSlot(); }

namespace {

BackendReleaseHook& ReleaseHookSlot() {
    static BackendReleaseHook hook = nullptr;
    return hook;
}

}  // namespace

void SetBackendReleaseHook(BackendReleaseHook hook) { ReleaseHookSlot() = hook; }

void InstallBackend(std::unique_ptr<Backend> backend) {
    if (BackendReleaseHook hook = ReleaseHookSlot()) hook();
    BackendSlot() = backend ? std::move(backend) : headless::MakeBackend(headless::ClockMode::Virtual);
}

bool ReleaseForExit(uint32_t ms) {
    InstallBackend(nullptr);
    return WaitForCountedThreads(ms);
}

void AddNotice(std::string text, NoticeWeight weight) {
    NoticeWaker waker = nullptr;
    {
        std::lock_guard lock(Notices().mutex);
        Notices().notices.push_back(Notice{std::move(text), weight});
        waker = Notices().waker;
    }
    if (waker != nullptr) waker();
}

std::vector<Notice> TakeNotices() {
    std::lock_guard lock(Notices().mutex);
    std::vector<Notice> taken;
    taken.swap(Notices().notices);
    return taken;
}

void SetNoticeWaker(NoticeWaker waker) {
    std::lock_guard lock(Notices().mutex);
    Notices().waker = waker;
}

}  // namespace ql::midi
