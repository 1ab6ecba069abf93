// The MIDI-input callbacks: recording (thru, echo, slave sync, the recorded chain)
// and following an external sync master while only playing.
//
// Thru forwards channel messages only (0x80-0xEF), re-channelled to the record
// channel; a system message is never forwarded (a clock re-channelled would start
// a system-exclusive message). A recorded event's time: ms since the last beat
// reference, converted at the received clock's interval in slave mode (a clock is
// 1,024 / 24 ticks), else at the current rate; an event before tick 0 is dropped.
// The recorded chain is linked with release stores, so the user-interface thread
// can follow it while recording goes on.
#include "core/state.h"
#include "sequencer/engine_internal.h"

namespace ql {
namespace engine_detail {
namespace {

constexpr uint32_t kDefaultClockIntervalMs = 40;  // 24 clocks a quarter at 62.5 BPM
constexpr int64_t kTicksPerQuarter = 1024;
constexpr int64_t kClocksPerQuarter = 24;
constexpr uint8_t kLastChannelStatus = 0xEF;

bool IsRunning() { return PlaybackFlags().SequencerRunning.load(std::memory_order_acquire) != 0; }

uint32_t Rechannel(uint32_t message, uint8_t channel) {
    return (message & ~static_cast<uint32_t>(kChannelMask)) | (channel & kChannelMask);
}

// Follows the notes thru starts and ends.
void NoteThruSounding(SequencerState& state, uint32_t message) {
    uint8_t kind = MessageByte(message, 0) & kStatusKindMask;
    if (kind != kNoteOn && kind != kNoteOff) return;
    uint8_t& count = state.thruSounding[MessageByte(message, 1) & 0x7F];
    bool starts = kind == kNoteOn && MessageByte(message, 2) != 0;
    if (starts && count < UINT8_MAX) ++count;
    if (!starts && count > 0) --count;
}

void ForwardThru(SequencerState& state, uint32_t message) {
    const RunConstants& run = state.run;
    uint8_t status = MessageByte(message, 0);
    if (status < kNoteOff || status > kLastChannelStatus) return;
    uint8_t ports = run.thruPortMask & static_cast<uint8_t>(~(1u << run.recordPort));
    if (ports == 0) return;
    uint32_t rechannelled = Rechannel(message, run.recordChannel);
    NoteThruSounding(state, rechannelled);
    for (int port = 0; port < kLogicalPortCount; ++port) {
        if ((ports & (1u << port)) == 0) continue;
        if (midi::OutputDevice* out = UsableDevice(run.portHandle[port])) out->Send(rechannelled);
    }
}

// Clock 0xF8 from the sync master: one engine call on this thread.
void OnClock(SequencerState& state) {
    EngineOwned& engine = state.engine;
    if (!state.run.slaveByte || !IsRunning() || !engine.masterStarted) return;
    engine.previousClockTime = engine.clockTime;
    engine.clockTime = state.run.clock->NowMs();
    ++engine.clocksReceived;
    SequencerTimerProc(state, state.inputPosts);
}

void OnExternalStart(SequencerState& state, bool announce) {
    EngineOwned& engine = state.engine;
    engine.masterStarted = 1;
    uint32_t now = state.run.clock->NowMs();
    state.beatRef.store(PackBeatRef(now, static_cast<int32_t>(state.baseTick.load(std::memory_order_relaxed))),
                        std::memory_order_relaxed);
    engine.clockTime = 0;
    engine.previousClockTime = 0;
    engine.clocksReceived = 0;
    if (announce) PostToSequencer(state, state.inputPosts, kMsgSyncMasterStarted, 0, 0);
}

void OnExternalStop(SequencerState& state) {
    if (!IsRunning()) return;
    int64_t tick = static_cast<int64_t>(state.baseTick.load(std::memory_order_relaxed)) + state.engine.currentIndex;
    PostToSequencer(state, state.inputPosts, kMsgSequencerStop, kStopFromSyncMaster, static_cast<intptr_t>(tick));
    state.stopByte.store(1, std::memory_order_release);
}

// Start and Stop of the sync master; true when the message was one of them.
bool FollowSyncMaster(SequencerState& state, uint8_t status, bool announceStart) {
    if (!state.run.slaveByte) return false;
    if (status == kMidiStart) {
        OnExternalStart(state, announceStart);
        return true;
    }
    if (status == kMidiStop) {
        OnExternalStop(state);
        return true;
    }
    return false;
}

// Ticks since the beat reference of an input `ms` after the beat.
int64_t TicksSinceBeat(SequencerState& state, int64_t ms) {
    const EngineOwned& engine = state.engine;
    if (!state.run.slaveByte) return ms * state.rate.load(std::memory_order_relaxed) / kMsPerMinute;
    if (engine.clocksReceived == 0) return 0;
    int64_t interval = engine.clocksReceived >= 2 ? static_cast<int64_t>(engine.clockTime - engine.previousClockTime) : 0;
    if (interval == 0) interval = kDefaultClockIntervalMs;
    return ms * kTicksPerQuarter / (interval * kClocksPerQuarter);
}

void AppendRecorded(SequencerState& state, PerformanceEvent* event) {
    uint32_t offset = Ref32<PerformanceEvent>::To(event).offset;
    uint32_t tail = state.recordTail.load(std::memory_order_relaxed);
    if (tail == 0) {
        state.recordTail.store(offset, std::memory_order_relaxed);
        state.recordHead.store(offset, std::memory_order_release);
        return;
    }
    std::atomic_ref<uint32_t>(NextWord(Ref32<PerformanceEvent>{tail}.get())).store(offset, std::memory_order_release);
    state.recordTail.store(offset, std::memory_order_relaxed);
}

// Without "KeepMIDI": frees from the head every transcribed event (kind 0) that
// has a successor.
void ReleaseTranscribed(SequencerState& state) {
    for (;;) {
        PerformanceEvent* head = Ref32<PerformanceEvent>{state.recordHead.load(std::memory_order_acquire)}.get();
        if (head == nullptr) return;
        uint32_t next = std::atomic_ref<uint32_t>(NextWord(head)).load(std::memory_order_acquire);
        uint16_t flags = std::atomic_ref<uint16_t>(FlagsWord(head)).load(std::memory_order_acquire);
        if (next == 0 || static_cast<PerformanceEventKind>(flags >> kEventKindShift) != PerformanceEventKind::Channel)
            return;
        state.recordHead.store(next, std::memory_order_release);
        FreeStaticRecord(kSequencerStaticPool, head);
    }
}

// The record pool is exhausted: recording stops; what was recorded stays.
void StopForFullPool(SequencerState& state) {
    PostToSequencer(state, state.inputPosts, kMsgRecordPoolExhausted,
                    state.recordedCount.load(std::memory_order_relaxed), 0);
    PostToSequencer(state, state.inputPosts, kMsgSequencerStop, kStopRecordPoolFull,
                    state.lastEventTime.load(std::memory_order_relaxed));
    SendToSyncPorts(state, kMidiStop);
    state.stopByte.store(1, std::memory_order_release);
}

void RecordMessage(SequencerState& state, uint32_t message, uint32_t ms) {
    const RunConstants& run = state.run;
    auto* event = static_cast<PerformanceEvent*>(AllocStaticRecord(kSequencerStaticPool));
    if (event == nullptr) {
        StopForFullPool(state);
        return;
    }
    state.recordedCount.fetch_add(1, std::memory_order_relaxed);
    int slot = run.recordSlot == 0 || run.recordSlot > run.slotCount ? 1 : run.recordSlot;
    event->flags = MakeEventFlags(PerformanceEventKind::Tempo, run.recordPort, slot);
    event->message = message;
    if (run.echoByte) {
        if (midi::OutputDevice* out = UsableDevice(run.portHandle[run.recordPort % kLogicalPortCount]))
            out->Send(Rechannel(message, run.recordChannel));
    }
    uint64_t beat = state.beatRef.load(std::memory_order_relaxed);
    int64_t sinceBeat = static_cast<int32_t>(run.recordStartTime + ms - BeatTimeOf(beat));
    int64_t time = BeatTickOf(beat) + TicksSinceBeat(state, sinceBeat);
    if (time < 0) {
        state.droppedRecordings.fetch_add(1, std::memory_order_relaxed);
        FreeStaticRecord(kSequencerStaticPool, event);
        return;
    }
    event->time = static_cast<int32_t>(time);
    AppendRecorded(state, event);
    if (!run.keepMidi) ReleaseTranscribed(state);
}

bool IsSystemCommonOrSensing(uint8_t status) {
    return status == kActiveSensing || (status >= kFirstSystemStatus && status <= kLastSystemCommon);
}

}  // namespace
}  // namespace engine_detail

using namespace engine_detail;

void MidiInRecordProc(SequencerState& state, uint32_t message, uint32_t ms) {
    if (state.stopByte.load(std::memory_order_acquire)) return;
    uint8_t status = MessageByte(message, 0);
    ForwardThru(state, message);
    if (IsSystemCommonOrSensing(status)) return;
    if (status == kMidiClock) {
        OnClock(state);
        return;
    }
    if (FollowSyncMaster(state, status, true)) return;
    if (status >= kFirstSystemStatus) return;
    RecordMessage(state, message, ms);
}

void MidiInSyncProc(SequencerState& state, uint32_t message, uint32_t /*ms*/) {
    if (state.stopByte.load(std::memory_order_acquire)) return;
    uint8_t status = MessageByte(message, 0);
    if (IsSystemCommonOrSensing(status)) return;
    if (status == kMidiClock) {
        OnClock(state);
        return;
    }
    FollowSyncMaster(state, status, false);
}

midi::InputHandler RecordInputHandler(SequencerState& state) {
    midi::InputHandler handler;
    handler.onShort = [](void* user, uint32_t message, uint32_t ms) {
        MidiInRecordProc(*static_cast<SequencerState*>(user), message, ms);
    };
    handler.user = &state;
    return handler;
}

midi::InputHandler SyncInputHandler(SequencerState& state) {
    midi::InputHandler handler;
    handler.onShort = [](void* user, uint32_t message, uint32_t ms) {
        MidiInSyncProc(*static_cast<SequencerState*>(user), message, ms);
    };
    handler.user = &state;
    return handler;
}

}  // namespace ql
