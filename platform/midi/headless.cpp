// The headless MIDI backend (see headless.h): the virtual clock and its schedule of
// one-shots and injected input, recording outputs and injectable inputs.
#include "platform/midi/headless.h"

#include <algorithm>
#include <array>
#include <mutex>

#include "platform/midi/timer_thread.h"

namespace ql::midi::headless {
namespace {

constexpr size_t kSentLogReserve = 1 << 16;  // so recording a run rarely allocates
constexpr int64_t kNanosecondsPerMs = 1'000'000;

class HeadlessBackend;
HeadlessBackend* Installed();

class VirtualClock final : public Clock {
public:
    uint32_t NowMs() const override { return now_.load(std::memory_order_acquire); }
    void Set(uint32_t ms) { now_.store(ms, std::memory_order_release); }

private:
    std::atomic<uint32_t> now_{0};
};

class RealClock final : public Clock {
public:
    uint32_t NowMs() const override {
        return static_cast<uint32_t>(MonotonicNanoseconds() / kNanosecondsPerMs);
    }
};

class VirtualTimer;
class VirtualInput;

// One thing due on the virtual clock.
struct Due {
    uint32_t ms = 0;
    uint64_t order = 0;
    VirtualTimer* timer = nullptr;
    VirtualInput* input = nullptr;
};

class HeadlessBackend final : public Backend {
public:
    explicit HeadlessBackend(ClockMode mode) : mode_(mode) { sent_.reserve(kSentLogReserve); }

    std::vector<DeviceInfo> Devices() override { return declared_; }
    std::unique_ptr<OutputDevice> OpenOutput(std::string_view name) override;
    std::unique_ptr<InputDevice> OpenInput(std::string_view name) override;
    std::unique_ptr<OneShotTimer> CreateTimer(TimerCallback callback, void* user) override;
    const Clock& TheClock() const override {
        if (mode_ == ClockMode::Real) return realClock_;
        return virtualClock_;
    }
    void Wait(uint32_t ms) override {
        if (mode_ == ClockMode::Real) return Backend::Wait(ms);
        virtualClock_.Set(virtualClock_.NowMs() + ms);
    }

    void FailTimers(bool fail) { failTimers_ = fail; }

    int Declare(std::string name, bool output, bool input) {
        declared_.push_back(DeviceInfo{std::move(name), DeviceKind::Virtual, output, input});
        return static_cast<int>(declared_.size()) - 1;
    }
    int NumberOf(std::string_view name) const {
        for (size_t i = 0; i < declared_.size(); ++i)
            if (declared_[i].name == name) return static_cast<int>(i);
        return -1;
    }
    void Record(int port, std::span<const uint8_t> bytes) {
        std::lock_guard lock(sentMutex_);
        sent_.push_back(SentMessage{TheClock().NowMs(), port, {bytes.begin(), bytes.end()}});
    }
    std::vector<SentMessage> Sent() {
        std::lock_guard lock(sentMutex_);
        return sent_;
    }
    void ClearSent() {
        std::lock_guard lock(sentMutex_);
        sent_.clear();
    }
    void Fail(std::string_view name) {
        std::lock_guard lock(sentMutex_);
        failing_.emplace_back(name);
    }
    bool IsFailing(const std::string& name) {
        std::lock_guard lock(sentMutex_);
        return std::find(failing_.begin(), failing_.end(), name) != failing_.end();
    }

    uint64_t NextOrder() { return ++order_; }
    void Add(VirtualTimer* timer) { timers_.push_back(timer); }
    void Remove(VirtualTimer* timer) { std::erase(timers_, timer); }
    void Add(VirtualInput* input) { inputs_.push_back(input); }
    void Remove(VirtualInput* input) { std::erase(inputs_, input); }
    void Advance(uint32_t ms);

private:
    bool NextDue(uint32_t until, Due& due) const;

    ClockMode mode_;
    bool failTimers_ = false;
    VirtualClock virtualClock_;
    RealClock realClock_;
    std::vector<DeviceInfo> declared_;
    std::mutex sentMutex_;
    std::vector<SentMessage> sent_;
    std::vector<std::string> failing_;
    uint64_t order_ = 0;
    std::vector<VirtualTimer*> timers_;
    std::vector<VirtualInput*> inputs_;
};

// ---- Outputs ----

class VirtualMidiOut final : public OutputDevice {
public:
    VirtualMidiOut(HeadlessBackend& backend, std::string name, int port)
        : OutputDevice(std::move(name)), backend_(backend), port_(port) {}

protected:
    bool WriteShort(std::span<const uint8_t> bytes) override { return Write(bytes); }
    bool WriteLong(std::span<const uint8_t> bytes) override { return Write(bytes); }

private:
    bool Write(std::span<const uint8_t> bytes) {
        if (backend_.IsFailing(Name())) return false;
        backend_.Record(port_, bytes);
        return true;
    }

    HeadlessBackend& backend_;
    int port_;
};

// ---- Timers on the virtual clock ----

class VirtualTimer final : public OneShotTimer {
public:
    VirtualTimer(HeadlessBackend& backend, TimerCallback callback, void* user)
        : backend_(backend), callback_(callback), user_(user) {
        backend_.Add(this);
    }
    ~VirtualTimer() override { backend_.Remove(this); }

    bool Arm(uint32_t delayMs) override {
        if (cancelled_) return false;
        armed_ = true;
        due_ = backend_.TheClock().NowMs() + std::max<uint32_t>(delayMs, 1);
        order_ = backend_.NextOrder();
        return true;
    }
    TimerStopReport Cancel() override {
        cancelled_ = true;
        armed_ = false;
        return {};
    }
    bool IsArmed() const { return armed_; }
    uint32_t DueMs() const { return due_; }
    uint64_t Order() const { return order_; }
    void Fire() {
        armed_ = false;
        callback_(user_);
    }

private:
    HeadlessBackend& backend_;
    TimerCallback callback_;
    void* user_;
    bool armed_ = false;
    bool cancelled_ = false;
    uint32_t due_ = 0;
    uint64_t order_ = 0;
};

// ---- Inputs ----

class VirtualInput final : public VirtualMidiIn {
public:
    VirtualInput(HeadlessBackend& backend, std::string name) : VirtualMidiIn(std::move(name)), backend_(backend) {
        backend_.Add(this);
    }
    ~VirtualInput() override { backend_.Remove(this); }

    bool InjectAt(uint32_t ms, std::span<const uint8_t> bytes) override;
    void InjectNow(std::span<const uint8_t> bytes) override { Receive(bytes, backend_.TheClock().NowMs()); }

    bool HasDue() const { return burstCount_ > 0; }
    uint32_t DueMs() const { return bursts_[burstHead_].ms; }
    uint64_t Order() const { return bursts_[burstHead_].order; }
    void Deliver();

private:
    struct Burst {
        uint32_t ms = 0;
        uint64_t order = 0;
        uint32_t length = 0;
        bool lost = false;  // a burst the ring could not take
    };

    HeadlessBackend& backend_;
    std::array<Burst, kVirtualInputBursts> bursts_{};
    size_t burstHead_ = 0;
    size_t burstCount_ = 0;
    std::array<uint8_t, kVirtualInputRingBytes> ring_{};
    size_t byteHead_ = 0;
    size_t byteCount_ = 0;
    uint32_t lastMs_ = 0;
};

bool VirtualInput::InjectAt(uint32_t ms, std::span<const uint8_t> bytes) {
    if (burstCount_ > 0 && ms < lastMs_) return false;
    if (burstCount_ == bursts_.size()) {
        NoteLostBurst();
        return false;
    }
    if (bytes.size() > ring_.size() - byteCount_) {
        // Lost at its place in the stream: what was in progress before it is cut off.
        bursts_[(burstHead_ + burstCount_) % bursts_.size()] = Burst{ms, backend_.NextOrder(), 0, true};
        ++burstCount_;
        lastMs_ = ms;
        return false;
    }
    for (size_t i = 0; i < bytes.size(); ++i) ring_[(byteHead_ + byteCount_ + i) % ring_.size()] = bytes[i];
    byteCount_ += bytes.size();
    bursts_[(burstHead_ + burstCount_) % bursts_.size()] =
        Burst{ms, backend_.NextOrder(), static_cast<uint32_t>(bytes.size()), false};
    ++burstCount_;
    lastMs_ = ms;
    return true;
}

void VirtualInput::Deliver() {
    Burst burst = bursts_[burstHead_];
    burstHead_ = (burstHead_ + 1) % bursts_.size();
    --burstCount_;
    if (burst.lost) {
        NoteLostBurst();
        return;
    }
    std::array<uint8_t, kVirtualInputRingBytes> bytes;
    for (uint32_t i = 0; i < burst.length; ++i) bytes[i] = ring_[(byteHead_ + i) % ring_.size()];
    byteHead_ = (byteHead_ + burst.length) % ring_.size();
    byteCount_ -= burst.length;
    Receive(std::span<const uint8_t>(bytes.data(), burst.length), burst.ms);
}

// ---- The backend ----

std::unique_ptr<OutputDevice> HeadlessBackend::OpenOutput(std::string_view name) {
    int port = NumberOf(name);
    if (port < 0 || !declared_[port].output || IsFailing(std::string(name))) return nullptr;
    return std::make_unique<VirtualMidiOut>(*this, std::string(name), port);
}

std::unique_ptr<InputDevice> HeadlessBackend::OpenInput(std::string_view name) {
    int port = NumberOf(name);
    if (port < 0 || !declared_[port].input) return nullptr;
    return std::make_unique<VirtualInput>(*this, std::string(name));
}

std::unique_ptr<OneShotTimer> HeadlessBackend::CreateTimer(TimerCallback callback, void* user) {
    if (failTimers_) return nullptr;
    if (mode_ == ClockMode::Real) return TimerThread::Create(callback, user);
    return std::make_unique<VirtualTimer>(*this, callback, user);
}

bool HeadlessBackend::NextDue(uint32_t until, Due& due) const {
    bool found = false;
    auto consider = [&](uint32_t ms, uint64_t order, VirtualTimer* timer, VirtualInput* input) {
        if (ms > until) return;
        if (!found || ms < due.ms || (ms == due.ms && order < due.order)) {
            due = Due{ms, order, timer, input};
            found = true;
        }
    };
    for (VirtualTimer* timer : timers_)
        if (timer->IsArmed()) consider(timer->DueMs(), timer->Order(), timer, nullptr);
    for (VirtualInput* input : inputs_)
        if (input->HasDue()) consider(input->DueMs(), input->Order(), nullptr, input);
    return found;
}

void HeadlessBackend::Advance(uint32_t ms) {
    uint32_t target = virtualClock_.NowMs() + ms;
    Due due;
    while (NextDue(target, due)) {
        virtualClock_.Set(std::max(due.ms, virtualClock_.NowMs()));
        if (due.timer != nullptr) due.timer->Fire();
        if (due.input != nullptr) due.input->Deliver();
    }
    virtualClock_.Set(target);
}

HeadlessBackend* Installed() { return dynamic_cast<HeadlessBackend*>(&CurrentBackend()); }

}  // namespace

std::unique_ptr<Backend> MakeBackend(ClockMode mode) { return std::make_unique<HeadlessBackend>(mode); }

void Reset(ClockMode mode) { InstallBackend(MakeBackend(mode)); }

int AddDevice(std::string name, bool output, bool input) {
    HeadlessBackend* backend = Installed();
    return backend ? backend->Declare(std::move(name), output, input) : -1;
}

std::vector<SentMessage> Sent() {
    HeadlessBackend* backend = Installed();
    return backend ? backend->Sent() : std::vector<SentMessage>{};
}

void ClearSent() {
    if (HeadlessBackend* backend = Installed()) backend->ClearSent();
}

void FailTimers(bool fail) {
    if (HeadlessBackend* backend = Installed()) backend->FailTimers(fail);
}

void FailWrites(std::string_view name) {
    if (HeadlessBackend* backend = Installed()) backend->Fail(name);
}

uint32_t Now() { return CurrentBackend().TheClock().NowMs(); }

void Advance(uint32_t ms) {
    if (HeadlessBackend* backend = Installed()) backend->Advance(ms);
}

}  // namespace ql::midi::headless
