// One call of the engine: the entry tests, the swap of the halves, the slot loop
// with the MIDI clock of a sync master (or the clock steps of a slave), and the
// re-arm (see engine.h).
//
// Timing: the ticks a call covers are timed at the rate of each tick. A tempo
// event times the ticks before it at the old rate (ticks x 60,000 + carried
// remainder, divided by the rate, in 64 bits) and the leftover below a
// millisecond is rescaled to the new rate, so that it keeps its length in time;
// a mixer change is taken at the start of the next call in the same way. The
// leftover carries 20 bits below the dividend's unit and is rescaled rounding
// up, so that over any tempo curve the call times stay within 1 ms of the exact
// sum of the ticks' lengths (below 1 ms early from the whole milliseconds of the
// waits; the rounding up makes them late by far less than a microsecond).
// Re-arm: delay = the milliseconds of the ticks covered; the lateness of this call
// (now - planned) is taken off, but a lateness above the delay leaves 1 ms; a
// delay of 0 becomes 10 ms. A long gap at a slow tempo is one long wait: the
// timer's cancel is prompt, so that costs nothing at Stop.
// Swap: only a half the user-interface thread published is played. Otherwise the
// engine does not advance, counts one underrun and looks again after 1 ms; when
// the half arrives the planned time starts afresh, so the music resumes shifted
// instead of catching up in a burst.
#include <algorithm>
#include <limits>

#include "core/state.h"
#include "sequencer/engine_internal.h"

namespace ql {
namespace engine_detail {
namespace {

constexpr int kCallTicks = 17;       // a call plays the slots less than this far ahead
constexpr int kCallTicksAtClock = 9;  // ... or this far when a clock falls there
constexpr uint32_t kUnderrunRetryMs = 1;
constexpr uint32_t kZeroDelayMs = 10;
constexpr int kRemainderBits = 20;
// Delays added on each retry of a failed arming.
constexpr std::array<uint32_t, 5> kArmRetryExtraMs{0, 0, 4, 8, 16};

void NoteUnderrun(SequencerState& state) {
    if (state.engine.inUnderrun) return;
    state.engine.inUnderrun = true;
    state.underrunCount.fetch_add(1, std::memory_order_relaxed);
}

// Arms the timer, retrying with longer delays; when every try fails the run stops.
void ArmTimer(SequencerState& state, win::PostRing& posts, uint32_t delay) {
    for (uint32_t extra : kArmRetryExtraMs)
        if (state.run.timer->Arm(delay + extra)) return;
    PostToSequencer(state, posts, kMsgSequencerStop, delay, kStopTimerFailed);
    state.stopByte.store(1, std::memory_order_release);
}

uint32_t ClampedRate(SequencerState& state) {
    uint32_t rate = state.rate.load(std::memory_order_relaxed);
    uint32_t clamped = std::clamp(rate, kMinRate, kMaxRate);
    // A mixer write that came in between wins; this call still uses its clamp.
    if (clamped != rate) state.rate.compare_exchange_strong(rate, clamped, std::memory_order_relaxed);
    return clamped;
}

// Turns the ticks from timedFrom to the current index into milliseconds at the
// rate in force, and times what follows at `rate`.
void TimeTicksUntilNow(EngineOwned& engine, uint32_t rate) {
    if (engine.timedRate != 0) {
        const uint64_t ticks = static_cast<uint64_t>(std::max(engine.currentIndex - engine.timedFrom, 0));
        const uint64_t dividend = (ticks * kMsPerMinute << kRemainderBits) + engine.delayRemainder;
        const uint64_t scaledRate = uint64_t{engine.timedRate} << kRemainderBits;
        engine.timedMs += dividend / scaledRate;
        const uint64_t leftover = dividend % scaledRate;
        engine.delayRemainder = (leftover * rate + engine.timedRate - 1) / engine.timedRate;
    }
    engine.timedFrom = engine.currentIndex;
    engine.timedRate = rate;
}

// At the start of a call: nothing timed yet, and a rate the mixer set in
// between times the ticks of this call.
void BeginCallTiming(SequencerState& state) {
    EngineOwned& engine = state.engine;
    engine.timedMs = 0;
    engine.timedFrom = engine.currentIndex;
    TimeTicksUntilNow(engine, ClampedRate(state));
}

void ReArm(SequencerState& state, win::PostRing& posts, uint32_t now) {
    EngineOwned& engine = state.engine;
    TimeTicksUntilNow(engine, engine.timedRate);
    int64_t delay = static_cast<int64_t>(std::min<uint64_t>(engine.timedMs, std::numeric_limits<int64_t>::max()));
    engine.timedMs = 0;
    if (engine.plannedTime == engine.startTime) engine.plannedTime = now;  // the first call
    int64_t drift = static_cast<int32_t>(now - engine.plannedTime);
    if (drift > delay) drift = delay - 1;
    delay -= drift;
    if (delay == 0) delay = kZeroDelayMs;
    delay = std::min<int64_t>(delay, std::numeric_limits<uint32_t>::max());
    engine.plannedTime = now + static_cast<uint32_t>(delay);
    ArmTimer(state, posts, static_cast<uint32_t>(delay));
    engine.reentrancyWord = 0;
}

int NextClockIndex(const SequencerState& state) {
    const RunConstants& run = state.run;
    if (!run.masterByte || run.syncPortMask == 0) return run.blockLength + 1;
    int next = state.engine.lastClockIndex + kClockStepTicks[state.engine.clockStep];
    return next >= run.blockLength ? next - run.blockLength : next;
}

void NextClockStep(EngineOwned& engine) { engine.clockStep = (engine.clockStep + 1) % kClockSteps; }

// Master or free: sends a clock due at this index, moves to the next slot that
// has events or a clock, and says whether the call should re-arm now.
bool AdvanceMaster(SequencerState& state) {
    EngineOwned& engine = state.engine;
    const int n = state.run.blockLength;
    int next = NextClockIndex(state);
    if (next == engine.currentIndex) {
        SendToSyncPorts(state, kMidiClock);
        engine.lastClockIndex = engine.currentIndex;
        NextClockStep(engine);
        next = NextClockIndex(state);
    }
    ++engine.currentIndex;
    while (engine.currentIndex < n && engine.currentIndex < next && !engine.playHalf->heads[engine.currentIndex])
        ++engine.currentIndex;
    if (engine.currentIndex >= n) return true;
    if (engine.currentIndex < state.run.freeLimit)
        state.playedIndex.store(static_cast<uint16_t>(engine.currentIndex), std::memory_order_release);
    int reach = engine.currentIndex == next ? kCallTicksAtClock : kCallTicks;
    return engine.currentIndex >= engine.indexAtCallStart + reach;
}

// Slave: one received clock plays one clock step of ticks. True when the call is
// done (there is no re-arm: the next clock calls again).
bool AdvanceSlave(SequencerState& state, win::PostRing& posts) {
    EngineOwned& engine = state.engine;
    const int n = state.run.blockLength;
    ++engine.currentIndex;
    int target = engine.indexAtCallStart + kClockStepTicks[engine.clockStep];
    if (engine.currentIndex < n && engine.currentIndex < target) return false;
    if (engine.currentIndex >= n && target > n) {
        if (SwapHalves(state, posts)) {
            engine.indexAtCallStart -= n;
            return false;
        }
        engine.reentrancyWord = 0;  // an underrun: the next clock tries again
        return true;
    }
    NextClockStep(engine);
    engine.reentrancyWord = 0;
    return true;
}

bool MayRun(SequencerState& state) {
    const EngineOwned& engine = state.engine;
    if (engine.playHalf == nullptr) return false;
    if (!state.run.slaveByte && state.run.timer == nullptr) return false;
    if (!PlaybackFlags().SequencerRunning.load(std::memory_order_acquire)) return false;
    return engine.reentrancyWord == 0;
}

}  // namespace

void ChangeRate(SequencerState& state, uint32_t rate) {
    const uint32_t clamped = std::clamp(rate, kMinRate, kMaxRate);
    TimeTicksUntilNow(state.engine, clamped);
    state.rate.store(clamped, std::memory_order_relaxed);
}

bool SwapHalves(SequencerState& state, win::PostRing& posts) {
    EngineOwned& engine = state.engine;
    if (state.fillReady.load(std::memory_order_acquire) == 0) {
        NoteUnderrun(state);
        return false;
    }
    state.playedIndex.store(0, std::memory_order_release);
    TickSlotHalf* next = engine.halfSelector ? &state.table.halfB : &state.table.halfA;
    engine.fillHalf = next == &state.table.halfA ? &state.table.halfB : &state.table.halfA;
    engine.playHalf = next;
    engine.halfSelector ^= 1;
    state.baseTick.store(state.baseTick.load(std::memory_order_relaxed) + state.run.blockLength,
                         std::memory_order_relaxed);
    engine.currentIndex = 0;
    state.fillReady.store(0, std::memory_order_relaxed);
    state.refillPending.store(1, std::memory_order_release);
    PostToSequencer(state, posts, kMsgSequencerRefill, 1, 1);
    return true;
}

// Each late group goes in front of the chain at max(tick - 1 - base, current
// index), and never past the half.
void SpliceLateGroups(SequencerState& state) {
    EngineOwned& engine = state.engine;
    const int n = state.run.blockLength;
    int64_t base = state.baseTick.load(std::memory_order_relaxed);
    LateGroup group;
    while (state.late.Pop(group)) {
        PerformanceEvent* first = group.chain.get();
        if (first == nullptr) continue;
        int64_t index = std::max<int64_t>(group.tick - 1 - base, engine.currentIndex);
        index = std::min<int64_t>(index, n - 1);
        PerformanceEvent* last = first;
        while (last->next) last = last->next.get();
        last->next = engine.playHalf->heads[index];
        engine.playHalf->heads[index] = group.chain;
    }
}

}  // namespace engine_detail

using namespace engine_detail;

void SequencerTimerProc(SequencerState& state, win::PostRing& posts) {
    EngineOwned& engine = state.engine;
    if (state.stopByte.load(std::memory_order_acquire)) return;
    if (!MayRun(state)) return;
    const bool slave = state.run.slaveByte != 0;
    if (engine.currentIndex >= state.run.blockLength && !SwapHalves(state, posts)) {
        if (!slave) {
            engine.plannedTime = state.run.clock->NowMs() + kUnderrunRetryMs;
            ArmTimer(state, posts, kUnderrunRetryMs);
        }
        return;
    }
    engine.reentrancyWord = 1;
    engine.indexAtCallStart = engine.currentIndex;
    uint32_t now = slave ? 0 : state.run.clock->NowMs();
    if (engine.inUnderrun) {
        engine.inUnderrun = false;
        if (!slave) engine.plannedTime = now;  // resume from here, shifted
    }
    BeginCallTiming(state);
    ServeSilenceRequests(state);
    SpliceLateGroups(state);
    for (;;) {
        if (!PlaySlot(state, posts, now)) return;  // the end: reentrancyWord stays set
        if (slave) {
            if (AdvanceSlave(state, posts)) return;
        } else if (AdvanceMaster(state)) {
            break;
        }
    }
    ReArm(state, posts, now);
}

void SequencerTimerCallback(void* user) {
    auto* state = static_cast<SequencerState*>(user);
    SequencerTimerProc(*state, state->timerPosts);
}

}  // namespace ql
