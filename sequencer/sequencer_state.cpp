// The engine's state block, its reset to the start values, the late queue, the
// long-message table lookup, and posting and sending helpers of the engine.
#include "sequencer/sequencer_state.h"

#include <cstring>

#include "sequencer/engine_internal.h"
#include "sequencer/sequencer_services.h"

namespace ql {
namespace {

// The first clock falls on index 0: the last one is taken to lie a step before N.
constexpr int kClockStartOffset = 42;
constexpr int kFreeLimitDivisor = 8;

}  // namespace

SequencerState& TheSequencerState() {
    static SequencerState state;
    return state;
}

midi::OutputDevice* sequencing::RunDeviceOfLogicalPort(int port) {
    if (port < 0 || port >= kLogicalPortCount) return nullptr;
    return TheSequencerState().run.portHandle[static_cast<size_t>(port)];
}

void ResetSequencerTiming(SequencerState& state, bool resetPlayedIndex) {
    EngineOwned& engine = state.engine;
    RunConstants& run = state.run;
    std::memset(engine.noteOnCount, 0, sizeof engine.noteOnCount);
    std::memset(engine.slotNoteCount, 0, sizeof engine.slotNoteCount);
    std::memset(engine.slotDevices, 0, sizeof engine.slotDevices);
    state.stopByte.store(0, std::memory_order_release);
    state.recordedCount.store(0, std::memory_order_relaxed);
    engine.halfSelector = 1;
    engine.currentIndex = 0;
    engine.indexAtCallStart = 0;
    if (resetPlayedIndex) state.playedIndex.store(0, std::memory_order_release);
    engine.delayRemainder = 0;
    engine.timedFrom = 0;
    engine.timedRate = 0;
    engine.timedMs = 0;
    uint32_t now = run.clock != nullptr ? run.clock->NowMs() : 0;
    engine.startTime = now;
    engine.plannedTime = now;
    state.beatRef.store(PackBeatRef(now, 0), std::memory_order_relaxed);
    engine.reentrancyWord = 0;
    engine.clockStep = kClockSteps - 1;
    engine.lastClockIndex = run.blockLength - kClockStartOffset;
    engine.clockTime = 0;
    engine.previousClockTime = 0;
    engine.clocksReceived = 0;
    engine.masterStarted = 0;
    engine.inUnderrun = false;
    run.freeLimit = run.blockLength - run.blockLength / kFreeLimitDivisor;
}

bool LateRing::Push(const LateGroup& group) {
    uint32_t written = written_.load(std::memory_order_relaxed);
    if (written - taken_.load(std::memory_order_acquire) >= kLateRingEntries) return false;
    groups_[written % kLateRingEntries] = group;
    written_.store(written + 1, std::memory_order_release);
    return true;
}

bool LateRing::Pop(LateGroup& group) {
    uint32_t taken = taken_.load(std::memory_order_relaxed);
    if (taken == written_.load(std::memory_order_acquire)) return false;
    group = groups_[taken % kLateRingEntries];
    taken_.store(taken + 1, std::memory_order_release);
    return true;
}

void LateRing::Clear() {
    written_.store(0, std::memory_order_relaxed);
    taken_.store(0, std::memory_order_relaxed);
}

const LongMessageEntry* FindLongMessage(const LongMessageTable& table, uint32_t index) {
    const int count = table.count.load(std::memory_order_acquire);
    if (index == 0 || index > static_cast<uint32_t>(count) || index > table.entries.size()) return nullptr;
    return &table.entries[index - 1];
}

namespace engine_detail {

void PostToSequencer(SequencerState& state, win::PostRing& posts, uint32_t message, uint32_t word, intptr_t data) {
    if (!posts.Post(state.run.sequencerWindow, static_cast<win::Message>(message), word, data))
        state.stopByte.store(1, std::memory_order_release);
}

midi::OutputDevice* UsableDevice(midi::OutputDevice* device) {
    return device != nullptr && !device->IsGone() ? device : nullptr;
}

void SendToSyncPorts(SequencerState& state, uint8_t status) {
    // Stop goes out once a run, whichever thread ends it first.
    if (status == kMidiStop && state.syncStopSent.exchange(1, std::memory_order_acq_rel) != 0) return;
    for (int port = 0; port < kLogicalPortCount; ++port) {
        if ((state.run.syncPortMask & (1u << port)) == 0) continue;
        if (midi::OutputDevice* device = UsableDevice(state.run.portHandle[port])) device->SendRealtime(status);
    }
}

}  // namespace engine_detail
}  // namespace ql
