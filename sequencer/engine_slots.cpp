// Playing one slot of the played half: each event of its chain in order.
//
// Every event's slot and port are checked into local values (slot 0 or above the
// slot count plays as slot 1, a port above 7 as port A) and never written back.
// Note messages take the live velocity offsets (a positive velocity never drops
// below 1; a genuine 0 stays 0) and octave shift, then pass mute and solo. Two
// counts follow the note-ons actually sent: one per (device, channel, key) shared
// by all slots, and one per slot and (device, channel, key). A note-off passes
// mute and solo but is counted and sent only while its slot has that note
// sounding on its device; it is sent when the device's count falls to 0, or
// always with "always send note-off". A skipped note-on counts nowhere, so
// muting or soloing never leaves a note hanging, and a note ended on one device
// never keeps another device's note sounding.
#include <algorithm>

#include "core/state.h"
#include "sequencer/engine_internal.h"

namespace ql::engine_detail {
namespace {

constexpr int kOctave = 12;
constexpr int kMaxData = 127;
constexpr uint8_t kCountLimit = 255;
constexpr uint8_t kOctaveUp = 1;
constexpr int kMessageKeyShift = 8;
constexpr int kMessageVelocityShift = 16;
constexpr uint32_t kMessageKeyMask = 0xFFu << kMessageKeyShift;
constexpr uint32_t kMessageVelocityMask = 0xFFu << kMessageVelocityShift;
// A beat is 1,024 / 24 ticks of the received clock.
constexpr int64_t kTicksPerQuarter = 1024;
constexpr int64_t kClocksPerQuarter = 24;

bool IsSoloInForce(const SequencerState& state) {
    for (int slot = 1; slot <= state.run.slotCount; ++slot)
        if (state.live.solo[slot].load(std::memory_order_relaxed)) return true;
    return false;
}

bool IsAudible(const SequencerState& state, int slot) {
    if (IsSoloInForce(state)) return state.live.solo[slot].load(std::memory_order_relaxed) != 0;
    return state.live.mute[slot].load(std::memory_order_relaxed) == 0;
}

// Velocity offsets and octave shift of the slot, applied to a note message.
uint32_t ApplyLiveValues(const SequencerState& state, int slot, uint32_t message) {
    int key = MessageByte(message, 1);
    int velocity = MessageByte(message, 2);
    if (velocity != 0) {
        velocity += state.live.masterVelocityOffset.load(std::memory_order_relaxed) +
                    state.live.velocityOffset[slot].load(std::memory_order_relaxed);
        velocity = std::clamp(velocity, 1, kMaxData);
    }
    uint8_t shift = state.live.octaveShift[slot].load(std::memory_order_relaxed);
    if (shift != 0) {
        int shifted = shift == kOctaveUp ? key + kOctave : key - kOctave;
        if (shifted >= 0 && shifted <= kMaxData) key = shifted;  // a shift off the keyboard is not made
    }
    return (message & ~(kMessageKeyMask | kMessageVelocityMask)) | (static_cast<uint32_t>(key) << kMessageKeyShift) |
           (static_cast<uint32_t>(velocity) << kMessageVelocityShift);
}

void SendNoteOff(SequencerState& state, midi::OutputDevice* out, int slot, int port, uint32_t message) {
    EngineOwned& engine = state.engine;
    const int device = state.run.deviceOfPort[port];
    int channel = MessageByte(message, 0) & kChannelMask;
    int key = MessageByte(message, 1) & kMaxData;
    uint8_t& mine = engine.slotNoteCount[slot][device][channel][key];
    if (mine == 0) return;  // the slot has no such note sounding on the device
    --mine;
    uint8_t& shared = engine.noteOnCount[device][channel][key];
    if (shared > 0) --shared;
    if (out != nullptr && (state.run.alwaysSendNoteOff || shared == 0)) out->Send(message);
}

void SendNoteOn(SequencerState& state, midi::OutputDevice* out, int slot, int port, uint32_t message) {
    if (!IsAudible(state, slot)) return;
    EngineOwned& engine = state.engine;
    const int device = state.run.deviceOfPort[port];
    int channel = MessageByte(message, 0) & kChannelMask;
    int key = MessageByte(message, 1) & kMaxData;
    uint8_t& shared = engine.noteOnCount[device][channel][key];
    uint8_t& mine = engine.slotNoteCount[slot][device][channel][key];
    if (shared < kCountLimit) ++shared;
    if (mine < kCountLimit) ++mine;
    engine.slotDevices[slot] |= static_cast<uint8_t>(1u << device);
    if (out != nullptr) out->Send(message);
    state.live.lastKey[slot].store(static_cast<uint8_t>(key), std::memory_order_relaxed);
}

void SendChannelMessage(SequencerState& state, midi::OutputDevice* out, int slot, int port, uint32_t message) {
    if (message == 0) return;
    uint8_t kind = MessageByte(message, 0) & kStatusKindMask;
    if (kind == kNoteOff) {
        SendNoteOff(state, out, slot, port, ApplyLiveValues(state, slot, message));
    } else if (kind == kNoteOn) {
        SendNoteOn(state, out, slot, port, ApplyLiveValues(state, slot, message));
    } else if (state.live.mute[slot].load(std::memory_order_relaxed) == 0 && out != nullptr) {
        out->Send(message);  // solo does not apply to other messages
    }
}

void SendMetronome(SequencerState& state, uint8_t status, uint8_t key, uint8_t velocity) {
    const RunConstants& run = state.run;
    if (!run.metronomeOn) return;
    midi::OutputDevice* device = UsableDevice(run.metronomeHandle);
    if (device == nullptr) return;
    device->Send(static_cast<uint32_t>(status | (run.metronomeChannel & kChannelMask)) |
                 (static_cast<uint32_t>(key) << kMessageKeyShift) |
                 (static_cast<uint32_t>(velocity) << kMessageVelocityShift));
}

// The beat reference of a downbeat or beat: its time and tick. In slave mode the
// time is the last clock's, moved on by the ticks played since it at the clock's
// interval (1,024 / 24 ticks a clock); before the second clock there is no
// interval and nothing is added.
void TakeBeatReference(SequencerState& state, uint32_t now) {
    const EngineOwned& engine = state.engine;
    uint32_t beatTime = now;
    if (state.run.slaveByte) {
        beatTime = engine.clockTime;
        if (engine.clocksReceived >= 2) {
            int64_t interval = static_cast<int64_t>(engine.clockTime - engine.previousClockTime);
            int64_t ticks = engine.currentIndex - engine.indexAtCallStart;
            beatTime += static_cast<uint32_t>(interval * ticks * kClocksPerQuarter / kTicksPerQuarter);
        }
    }
    int32_t beatTick = static_cast<int32_t>(state.baseTick.load(std::memory_order_relaxed)) + engine.currentIndex;
    state.beatRef.store(PackBeatRef(beatTime, beatTick), std::memory_order_relaxed);
}

void SendLongMessage(SequencerState& state, midi::OutputDevice* out, uint32_t index) {
    const LongMessageEntry* entry = FindLongMessage(state.run.longMessages, index);
    if (out == nullptr || entry == nullptr || entry->bytes == nullptr) return;
    out->SendLong(std::span<const uint8_t>(entry->bytes, entry->length));
}

void PlayDownbeat(SequencerState& state, win::PostRing& posts, const PerformanceEvent& event, uint32_t now) {
    state.lastDownbeatMeasure.store(event.measure, std::memory_order_relaxed);
    bool recording = PlaybackFlags().SequencerRecording.load(std::memory_order_acquire) != 0;
    if (state.run.followMeasure && !recording) PostToSequencer(state, posts, kMsgDownbeat, event.measure, 0);
    TakeBeatReference(state, now);
    SendMetronome(state, kNoteOn, state.run.metronomeBarKey, state.run.metronomeVelocity);
}

void PlayEvent(SequencerState& state, win::PostRing& posts, const PerformanceEvent& event, uint32_t now) {
    int slot = EventSlot(event);
    if (slot == 0 || slot > state.run.slotCount) slot = 1;
    int port = EventPort(event);
    if (port >= kLogicalPortCount) port = 0;
    state.lastEventTime.store(event.time, std::memory_order_relaxed);
    midi::OutputDevice* out = UsableDevice(state.run.portHandle[port]);
    const RunConstants& run = state.run;
    switch (EventKind(event)) {
        case PerformanceEventKind::Channel: SendChannelMessage(state, out, slot, port, event.message); break;
        case PerformanceEventKind::Tempo: ChangeRate(state, event.message); break;
        case PerformanceEventKind::Downbeat: PlayDownbeat(state, posts, event, now); break;
        case PerformanceEventKind::OctaveShift:
            state.live.octaveShift[slot].store(MessageByte(event.message, 3), std::memory_order_relaxed);
            break;
        case PerformanceEventKind::LongMessage:
        case PerformanceEventKind::SysExBody: SendLongMessage(state, out, event.message); break;
        case PerformanceEventKind::VelocityOffset:
            state.live.velocityOffset[slot].store(static_cast<int8_t>(MessageByte(event.message, 2)),
                                                  std::memory_order_relaxed);
            break;
        case PerformanceEventKind::BarClickOff: SendMetronome(state, kNoteOff, run.metronomeBarKey, 0); break;
        case PerformanceEventKind::Beat:
            TakeBeatReference(state, now);
            SendMetronome(state, kNoteOn, run.metronomeBeatKey, run.metronomeVelocity);
            break;
        case PerformanceEventKind::BeatClickOff: SendMetronome(state, kNoteOff, run.metronomeBeatKey, 0); break;
        default: break;  // unknown kinds send nothing
    }
}

// The end of the data: the run stops itself; later calls find playHalf null.
void PlayEndOfData(SequencerState& state, win::PostRing& posts) {
    PostToSequencer(state, posts, kMsgSequencerStop, kStopEndOfData,
                    state.lastEventTime.load(std::memory_order_relaxed));
    state.engine.playHalf = nullptr;
    if (state.run.masterByte) SendToSyncPorts(state, kMidiStop);
    state.stopByte.store(1, std::memory_order_release);
}

}  // namespace

bool PlaySlot(SequencerState& state, win::PostRing& posts, uint32_t now) {
    EngineOwned& engine = state.engine;
    PerformanceEvent* event = engine.playHalf->heads[engine.currentIndex].get();
    for (; event != nullptr; event = event->next.get()) {
        if (EventKind(*event) == PerformanceEventKind::EndOfData) {
            PlayEndOfData(state, posts);
            return false;
        }
        PlayEvent(state, posts, *event, now);
    }
    return true;
}

void SilenceSlot(SequencerState& state, int slot) {
    EngineOwned& engine = state.engine;
    for (int device = 0; device < kLogicalPortCount; ++device) {
        if ((engine.slotDevices[slot] & (1u << device)) == 0) continue;
        // A device is numbered by its first port, whose handle it is.
        midi::OutputDevice* out = UsableDevice(state.run.portHandle[device]);
        for (int channel = 0; channel < kMidiChannels; ++channel) {
            for (int key = 0; key < kMidiKeys; ++key) {
                uint8_t& mine = engine.slotNoteCount[slot][device][channel][key];
                if (mine == 0) continue;
                uint8_t& shared = engine.noteOnCount[device][channel][key];
                shared = static_cast<uint8_t>(shared - std::min(shared, mine));
                mine = 0;
                if (out == nullptr || (!state.run.alwaysSendNoteOff && shared != 0)) continue;
                out->Send(static_cast<uint32_t>(kNoteOff | channel) | (static_cast<uint32_t>(key) << kMessageKeyShift));
            }
        }
    }
    engine.slotDevices[slot] = 0;
}

void ServeSilenceRequests(SequencerState& state) {
    uint64_t slots = state.live.silenceRequest.exchange(0, std::memory_order_acq_rel);
    while (slots != 0) {
        int bit = __builtin_ctzll(slots);
        slots &= slots - 1;
        if (bit + 1 < kSlotEntries) SilenceSlot(state, bit + 1);
    }
}

}  // namespace ql::engine_detail
