// The engine test fixture (see engine_fixture.h).
#include "sequencer/tests/engine/engine_fixture.h"

#include <new>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/state.h"
#include "platform/win/headless.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::testing {
namespace {

constexpr char kSequencerClass[] = "Sequencer";

}  // namespace

void ResetSequencerStateForTest(SequencerState& state) {
    state.~SequencerState();
    new (&state) SequencerState();
}

void EngineTest::SetUp() {
    ResetProgramState();
    ASSERT_EQ(InitStaticPoolSet(), 1);
    win::headless::ResetWindowLayer();
    midi::headless::Reset(midi::headless::ClockMode::Virtual);
    midi::TakeNotices();
    midi::headless::AddDevice("Out A", true, false);
    midi::headless::AddDevice("Out B", true, false);
    midi::headless::AddDevice("Keyboard", false, true);
    outA_ = midi::CurrentBackend().OpenOutput("Out A");
    outB_ = midi::CurrentBackend().OpenOutput("Out B");
    input_ = midi::CurrentBackend().OpenInput("Keyboard");
    state_ = &TheSequencerState();
    ResetSequencerStateForTest(*state_);
    win::WindowClass cls;
    cls.name = kSequencerClass;
    cls.procedure = [this](win::WindowHandle, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
        uint32_t raw = win::ToRaw(message);
        if (raw < win::kPrivateMessageBase) return 0;
        posted_.push_back(Posted{raw, word, data});
        if (raw == kMsgSequencerRefill && filler_ && TakeRefill(*state_)) {
            filler_(FillHalf(*state_), state_->baseTick.load() + state_->run.blockLength);
            PublishFill(*state_);
        }
        return 0;
    };
    win::RegisterWindowClass(cls);
    win::WindowParams params;
    params.className = kSequencerClass;
    state_->run.sequencerWindow = win::CreateWindow(params);
    Configure();
}

void EngineTest::TearDown() {
    if (running_) StopRun();
    input_.reset();
    outA_.reset();
    outB_.reset();
    timer_.reset();
    ResetSequencerStateForTest(*state_);
    PlaybackFlags().SequencerRunning.store(0);
    PlaybackFlags().SequencerRecording.store(0);
    win::headless::ResetWindowLayer();
    midi::headless::Reset(midi::headless::ClockMode::Virtual);
    ResetProgramState();
}

void EngineTest::Configure(int blockLength, uint32_t rate, int slotCount) {
    RunConstants& run = state_->run;
    run.blockLength = blockLength;
    run.slotCount = static_cast<uint8_t>(slotCount);
    run.portHandle = {};
    run.portHandle[0] = outA_.get();
    run.portHandle[1] = outB_.get();
    run.clock = &midi::CurrentBackend().TheClock();
    state_->rate.store(rate);
}

PerformanceEvent* EngineTest::MakeEvent(PerformanceEventKind kind, uint32_t message, int port, int slot,
                                        int32_t time) {
    auto* event = static_cast<PerformanceEvent*>(AllocStaticRecord(kPerformanceStaticPool));
    EXPECT_NE(event, nullptr);
    event->flags = MakeEventFlags(kind, port, slot);
    event->message = message;
    event->time = time;
    return event;
}

PerformanceEvent* EngineTest::Add(TickSlotHalf& half, int index, PerformanceEventKind kind, uint32_t message,
                                  int port, int slot, int32_t time) {
    PerformanceEvent* event = MakeEvent(kind, message, port, slot, time < 0 ? index : time);
    Ref32<PerformanceEvent>* link = &half.heads[index];
    while (link->get() != nullptr) link = &link->get()->next;
    *link = Ref32<PerformanceEvent>::To(event);
    return event;
}

PerformanceEvent* EngineTest::AddNote(TickSlotHalf& half, int index, uint8_t status, uint8_t key, uint8_t velocity,
                                      int port, int slot) {
    return Add(half, index, PerformanceEventKind::Channel, Pack(status, key, velocity), port, slot);
}

void EngineTest::StartRun(bool publishSecondHalf) {
    BeginRun(*state_);
    if (publishSecondHalf) PublishFill(*state_);
    if (!state_->run.slaveByte) {
        timer_ = midi::CurrentBackend().CreateTimer(SequencerTimerCallback, state_);
        state_->run.timer = timer_.get();
    }
    if (recordInput_ || syncInput_) {
        state_->run.recordStartTime = state_->run.clock->NowMs();
        input_->Start(recordInput_ ? RecordInputHandler(*state_) : SyncInputHandler(*state_),
                      state_->run.clock->NowMs());
    }
    PlaybackFlags().SequencerRunning.store(1, std::memory_order_release);
    running_ = true;
    if (timer_) timer_->Arm(1);
}

std::vector<std::string> EngineTest::StopRun() {
    state_->stopByte.store(1, std::memory_order_release);
    if (timer_) timer_->Cancel();
    input_->Stop();
    input_->Close();
    PlaybackFlags().SequencerRunning.store(0, std::memory_order_release);
    running_ = false;
    return EndRun(*state_);
}

void EngineTest::Pump() { win::PumpMessages(); }

std::vector<Sent> EngineTest::SentTo(int port) const {
    std::vector<Sent> out;
    for (const Sent& sent : midi::headless::Sent())
        if (sent.port == port) out.push_back(sent);
    return out;
}

}  // namespace ql::testing
