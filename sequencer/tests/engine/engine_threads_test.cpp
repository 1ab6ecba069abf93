// The engine's threads together, for the ThreadSanitizer step: the real timer
// thread plays dense tables at a high rate, an input thread injects notes (and
// damage) that are recorded and sent thru, and this thread pumps refills, moves
// mixer values and reads the recorded chain. Play, stop and restart 20 times.
// Any race report fails the step; so does a note left sounding (or a note-off of
// a note never sent), and a Stop whose timer thread slept more than one slice
// after the cancel flag was set (counted by that thread, not timed here).
#include <atomic>
#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <tuple>

#include "core/memory/pool.h"
#include "core/state.h"
#include "platform/midi/headless.h"
#include "platform/win/headless.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "sequencer/engine.h"
#include "sequencer/tests/engine/engine_fixture.h"

namespace ql::testing {
namespace {

constexpr int kRuns = 20;
constexpr int kSlots = 4;
constexpr int kNoteSpacing = 16;  // ticks
constexpr int kNoteLength = 12;
// Bounds the waits (the test never asserts a duration).
constexpr int kMaxWaitSteps = 20000;

struct Wire {
    bool unbalanced = false;
    std::string first;  // the first fault found
    std::map<std::tuple<int, int, int>, bool> sounding;
    void Fault(const std::string& what) {
        if (!unbalanced) first = what;
        unbalanced = true;
    }
};

std::string Describe(int port, int channel, int key) {
    return "port " + std::to_string(port) + " channel " + std::to_string(channel) + " key " + std::to_string(key);
}

// Replays the log: a note-on starts a note, a note-off ends it; a note-off of a
// silent note, or a note still sounding at the end, is unbalanced.
Wire ReplayWire(const std::vector<Sent>& sent) {
    Wire wire;
    for (const Sent& s : sent) {
        int kind = s.bytes[0] & 0xF0;
        if (kind != 0x80 && kind != 0x90) continue;
        bool& on = wire.sounding[{s.port, s.bytes[0] & 0x0F, s.bytes[1]}];
        bool starts = kind == 0x90 && s.bytes[2] != 0;
        if (!starts && !on) wire.Fault("a note-off without its note-on at " + std::to_string(s.ms) + " ms: " +
                                       Describe(s.port, s.bytes[0] & 0x0F, s.bytes[1]));
        on = starts;
    }
    for (const auto& [note, on] : wire.sounding)
        if (on) wire.Fault("left sounding: " + Describe(std::get<0>(note), std::get<1>(note), std::get<2>(note)));
    return wire;
}

void FreeChains(TickSlotHalf& half) {
    for (Ref32<PerformanceEvent>& head : half.heads) {
        PerformanceEvent* event = head.get();
        while (event != nullptr) {
            PerformanceEvent* next = event->next.get();
            FreeStaticRecord(kPerformanceStaticPool, event);
            event = next;
        }
        head = {};
    }
}

// Notes on every slot, each on its own channel and port A or B.
void FillBlock(TickSlotHalf& half, int blockLength, uint32_t firstTick) {
    FreeChains(half);
    for (int slot = 1; slot <= kSlots; ++slot) {
        for (int index = slot; index + kNoteLength < blockLength; index += kNoteSpacing) {
            auto key = static_cast<uint8_t>(48 + (firstTick / kNoteSpacing + index / kNoteSpacing) % 24);
            auto status = static_cast<uint8_t>(slot - 1);
            for (auto [at, message] : {std::pair{index, 0x90u | status | (key << 8) | (90u << 16)},
                                       std::pair{index + kNoteLength, 0x80u | status | (key << 8)}}) {
                auto* event = static_cast<PerformanceEvent*>(AllocStaticRecord(kPerformanceStaticPool));
                ASSERT_NE(event, nullptr);
                event->flags = MakeEventFlags(PerformanceEventKind::Channel, slot % 2, slot);
                event->message = message;
                event->time = static_cast<int32_t>(firstTick) + at;
                event->next = half.heads[at];
                half.heads[at] = Ref32<PerformanceEvent>::To(event);
            }
        }
    }
    // A downbeat on each block posts to the window from the timer thread.
    auto* downbeat = static_cast<PerformanceEvent*>(AllocStaticRecord(kPerformanceStaticPool));
    ASSERT_NE(downbeat, nullptr);
    downbeat->flags = MakeEventFlags(PerformanceEventKind::Downbeat, 0, 1);
    downbeat->measure = static_cast<uint16_t>(firstTick / blockLength);
    downbeat->next = half.heads[0];
    half.heads[0] = Ref32<PerformanceEvent>::To(downbeat);
}

void FreeRecorded(SequencerState& state) {
    PerformanceEvent* event = Ref32<PerformanceEvent>{state.recordHead.load()}.get();
    while (event != nullptr) {
        PerformanceEvent* next = event->next.get();
        FreeStaticRecord(kSequencerStaticPool, event);
        event = next;
    }
    state.recordHead.store(0);
    state.recordTail.store(0);
}

class EngineThreadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        ASSERT_EQ(InitStaticPoolSet(), 1);
        win::headless::ResetWindowLayer();
        midi::headless::Reset(midi::headless::ClockMode::Real);
        midi::headless::AddDevice("Out A", true, false);
        midi::headless::AddDevice("Out B", true, false);
        midi::headless::AddDevice("Keyboard", false, true);
        outA_ = midi::CurrentBackend().OpenOutput("Out A");
        outB_ = midi::CurrentBackend().OpenOutput("Out B");
        input_ = midi::CurrentBackend().OpenInput("Keyboard");
        state_ = &TheSequencerState();
        ResetSequencerStateForTest(*state_);
        win::WindowClass cls;
        cls.name = "Sequencer";
        cls.procedure = [this](win::WindowHandle, win::Message message, uint32_t, intptr_t) -> intptr_t {
            if (win::ToRaw(message) == kMsgSequencerRefill && TakeRefill(*state_)) {
                FillBlock(FillHalf(*state_), state_->run.blockLength,
                          state_->baseTick.load() + state_->run.blockLength);
                PublishFill(*state_);
                ++refills_;
            }
            if (win::ToRaw(message) == kMsgSequencerStop) stopped_ = true;
            return 0;
        };
        win::RegisterWindowClass(cls);
        win::WindowParams params;
        params.className = "Sequencer";
        window_ = win::CreateWindow(params);
    }
    void TearDown() override {
        input_.reset();
        outA_.reset();
        outB_.reset();
        ResetSequencerStateForTest(*state_);
        PlaybackFlags().SequencerRunning.store(0);
        win::headless::ResetWindowLayer();
        midi::headless::Reset(midi::headless::ClockMode::Virtual);
        ResetProgramState();
    }

    void ConfigureRun() {
        RunConstants& run = state_->run;
        run = RunConstants{};
        run.blockLength = 1200;
        run.slotCount = kSlots;
        run.portHandle[0] = outA_.get();
        run.portHandle[1] = outB_.get();
        run.thruPortMask = 0b10;
        run.recordChannel = 5;
        run.followMeasure = 1;
        run.sequencerWindow = window_;
        run.clock = &midi::CurrentBackend().TheClock();
        state_->rate.store(kMaxRate);
    }

    void Play(int refillsWanted, uint32_t seed);

    SequencerState* state_ = nullptr;
    std::unique_ptr<midi::OutputDevice> outA_;
    std::unique_ptr<midi::OutputDevice> outB_;
    std::unique_ptr<midi::InputDevice> input_;
    win::WindowHandle window_;
    int refills_ = 0;
    bool stopped_ = false;
};

// Injects notes (with a clock and a bad byte) until told to stop. Each note comes
// whole in one burst, so a Stop never cuts a thru note in half.
void InjectUntilStopped(midi::headless::VirtualMidiIn& input, const std::atomic<bool>& stop) {
    uint8_t key = 30;
    while (!stop.load(std::memory_order_acquire)) {
        const uint8_t note[] = {0x90, key, 64, 0xF8, 0x80, key, 0, 0xF5};
        input.InjectNow(note);
        key = static_cast<uint8_t>(30 + (key + 7) % 40);
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
}

void EngineThreadsTest::Play(int refillsWanted, uint32_t seed) {
    ConfigureRun();
    refills_ = 0;
    stopped_ = false;
    BeginRun(*state_);
    FillBlock(state_->table.halfA, 1200, 0);
    FillBlock(state_->table.halfB, 1200, 1200);
    PublishFill(*state_);
    std::unique_ptr<midi::OneShotTimer> timer = midi::CurrentBackend().CreateTimer(SequencerTimerCallback, state_);
    ASSERT_NE(timer, nullptr);
    state_->run.timer = timer.get();
    state_->run.recordStartTime = state_->run.clock->NowMs();
    ASSERT_TRUE(input_->Start(RecordInputHandler(*state_), state_->run.recordStartTime));
    std::atomic<bool> stopInjecting{false};
    auto& keyboard = static_cast<midi::headless::VirtualMidiIn&>(*input_);
    std::thread injector([&] { InjectUntilStopped(keyboard, stopInjecting); });
    PlaybackFlags().SequencerRunning.store(1, std::memory_order_release);
    timer->Arm(1);

    RecordedChainReader reader;
    size_t recorded = 0;
    for (int step = 0; step < kMaxWaitSteps && refills_ < refillsWanted && !stopped_; ++step) {
        win::PumpMessages();
        seed = seed * 1103515245u + 12345u;
        int slot = 1 + static_cast<int>((seed >> 16) % kSlots);
        switch ((seed >> 8) % 5) {
            case 0: SetSlotMute(*state_, slot, (seed >> 20) % 2 != 0); break;
            case 1: SetSlotSolo(*state_, slot, (seed >> 20) % 4 == 0); break;
            case 2: SetSlotVelocityOffset(*state_, slot, static_cast<int>((seed >> 20) % 40) - 20); break;
            case 3: SetPerformanceRate(*state_, kMaxRate - (seed >> 20) % 1000); break;
            default: recorded += reader.ReadNew(*state_, [](const PerformanceEvent&) {}); break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    EXPECT_GE(refills_, refillsWanted) << "the refills did not come";

    // The transport's stop order.
    state_->stopByte.store(1, std::memory_order_release);
    midi::TimerStopReport report = timer->Cancel();
    EXPECT_LE(report.slicesAfterCancel, 1u);
    input_->Stop();
    stopInjecting.store(true, std::memory_order_release);
    injector.join();
    PlaybackFlags().SequencerRunning.store(0, std::memory_order_release);
    EXPECT_TRUE(EndRun(*state_).empty());
    win::PumpMessages();
    if (refillsWanted > 0) {
        EXPECT_GT(recorded + state_->recordedCount.load(), 0u);
    }
    Wire wire = ReplayWire(midi::headless::Sent());
    EXPECT_FALSE(wire.unbalanced) << wire.first;
    midi::headless::ClearSent();
    FreeRecorded(*state_);
    FreeChains(state_->table.halfA);
    FreeChains(state_->table.halfB);
    for (int slot = 1; slot <= kSlots; ++slot) {
        SetSlotMute(*state_, slot, false);
        SetSlotSolo(*state_, slot, false);
    }
}

TEST_F(EngineThreadsTest, PlayStopAndRestartTwentyTimes) {
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE(run);
        Play(run % 3, 977u * static_cast<uint32_t>(run + 1));
    }
    input_->Close();
}

}  // namespace
}  // namespace ql::testing
