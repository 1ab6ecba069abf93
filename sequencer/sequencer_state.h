// The state block of the real-time engine, shared by the user-interface thread,
// the timer thread and the MIDI-input thread.
//
// Every shared field is in one of four classes (anything else shared is a bug):
//  1. Run constants (RunConstants): written by the user-interface thread before
//     the threads start, read-only until they are joined.
//  2. Engine-owned (EngineOwned): touched only by the engine thread - the timer
//     thread, or the input thread in slave mode - while a run is on; the UI thread
//     sets them before the run and reads them after the join. Exception: the UI
//     reads `fillHalf` after acquiring a refill (the engine wrote it before
//     releasing refillPending and will not write it again before acquiring the
//     UI's fillReady).
//  3. Relaxed atomics: the rate (the engine stores its clamp with a
//     compare-exchange, so a mixer write is never lost), the counters and marks,
//     the mixer's live tables, and the beat reference (time and tick packed in one
//     64-bit word, never torn).
//  4. Release/acquire hand-overs: stopByte, runningByte (the landed
//     PlaybackGlobals::SequencerRunning), playedIndex, refillPending, fillReady,
//     the recorded chain's links, the late queue.
// Only the engine thread writes playHalf; another thread asks for a stop through
// stopByte, which the engine tests first in every call.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "core/constants.h"
#include "core/settings/logical_ports.h"
#include "platform/midi/midi.h"
#include "platform/win/post_ring.h"
#include "sequencer/performance_event.h"

namespace ql {

constexpr int kMidiChannels = 16;
constexpr int kMidiKeys = 128;
constexpr int kSlotEntries = kMaxStaves + 1;  // slot 0 unused
constexpr int kLateRingEntries = 256;
constexpr int kClockSteps = 6;
// Ticks between two MIDI clocks: six steps make 256 ticks, so 24 clocks fall on
// each 1,024-tick quarter note.
constexpr std::array<int, kClockSteps> kClockStepTicks{42, 43, 44, 42, 43, 42};
constexpr uint32_t kMinRate = 5120;    // ticks per minute
constexpr uint32_t kMaxRate = 491520;

// ---- Messages posted to the Sequencer window ----
constexpr uint32_t kMsgSequencerRefill = 0x8008;     // word 1, data 1
constexpr uint32_t kMsgSequencerStop = 0x8009;       // word: reason; data: detail
constexpr uint32_t kMsgRecordPoolExhausted = 0x8011; // word: events recorded
constexpr uint32_t kMsgTranscribeRecorded = 0x8012;  // the next recorded events; outside a run the kept ones again
constexpr uint32_t kMsgSyncMasterStarted = 0x801A;
constexpr uint32_t kMsgDownbeat = 0x8021;            // word: the measure
constexpr uint32_t kMsgRingEnded = 0x8026;           // the last measure's ring is over
// Stop reasons (word of kMsgSequencerStop).
constexpr uint32_t kStopEndOfData = 34;       // data: the last event's time
constexpr uint32_t kStopFromSyncMaster = 3;   // data: the tick reached
constexpr uint32_t kStopRecordPoolFull = 4;   // data: the last event's time
constexpr uint32_t kStopTimerFailed = 0xFFFF; // data of a timer that could not be re-armed; word: the delay

// One group of late note-ons handed from the builder to the engine.
struct LateGroup {
    int32_t tick = 0;  // absolute
    Ref32<PerformanceEvent> chain;
};

// Single producer (the UI thread), single consumer (the engine thread).
class LateRing {
public:
    bool Push(const LateGroup& group);  // false when full
    bool Pop(LateGroup& group);
    void Clear();                       // no thread running

private:
    std::array<LateGroup, kLateRingEntries> groups_{};
    std::atomic<uint32_t> written_{0};
    std::atomic<uint32_t> taken_{0};
};

// The mixer's live per-slot tables (class 3). Entry 0 is unused.
struct LiveTables {
    std::array<std::atomic<int8_t>, kSlotEntries> velocityOffset{};
    std::array<std::atomic<uint8_t>, kSlotEntries> mute{};
    std::array<std::atomic<uint8_t>, kSlotEntries> solo{};
    std::array<std::atomic<uint8_t>, kSlotEntries> octaveShift{};
    std::array<std::atomic<uint8_t>, kSlotEntries> lastKey{};
    std::atomic<int8_t> masterVelocityOffset{0};
    // Bit (slot - 1): the slot became inaudible; the engine sends the note-offs of
    // its sounding notes at its next call.
    std::atomic<uint64_t> silenceRequest{0};
};

// Class 1.
struct RunConstants {
    int32_t blockLength = kMinBlockLength;  // N
    int32_t freeLimit = 0;                   // N - N/8
    uint8_t slotCount = 1;                   // staves taking part, 1..kMaxStaves
    std::array<midi::OutputDevice*, kLogicalPortCount> portHandle{};  // borrowed; null: no device
    // The device of each port, as the first port with the same handle (BeginRun
    // sets it): notes are counted per device, so that two ports on one device
    // share their notes and two devices never end each other's.
    std::array<uint8_t, kLogicalPortCount> deviceOfPort{};
    uint8_t metronomeOn = 0;
    midi::OutputDevice* metronomeHandle = nullptr;
    uint8_t metronomeChannel = 9;
    uint8_t metronomeBarKey = 76;
    uint8_t metronomeBeatKey = 77;
    uint8_t metronomeVelocity = 100;
    uint8_t masterByte = 0;     // the program sends clock
    uint8_t slaveByte = 0;      // the program follows a received clock
    uint8_t syncPortMask = 0;   // ports that get clock, start and stop
    uint8_t thruPortMask = 0;
    uint8_t recordPort = 0;
    uint8_t recordChannel = 0;
    uint8_t recordSlot = 1;     // the record staff's slot
    uint8_t echoByte = 0;
    uint8_t keepMidi = 0;
    uint8_t alwaysSendNoteOff = 0;
    uint8_t followMeasure = 0;
    uint32_t recordStartTime = 0;  // clock ms when the input was started
    LongMessageTable longMessages;
    win::WindowHandle sequencerWindow;
    const midi::Clock* clock = nullptr;     // borrowed from the MIDI backend
    midi::OneShotTimer* timer = nullptr;    // borrowed; null in slave mode
};

// Class 2.
struct EngineOwned {
    TickSlotHalf* playHalf = nullptr;  // null: nothing plays
    TickSlotHalf* fillHalf = nullptr;
    uint32_t halfSelector = 1;         // 1: halfB is played next
    int32_t currentIndex = 0;
    int32_t indexAtCallStart = 0;
    // The timing of the ticks a call plays (see engine_timer.cpp): the ticks from
    // `timedFrom` on are timed at `timedRate` (0: none yet); those before it in
    // this call came to `timedMs`; the leftover below a millisecond carried from
    // wait to wait is delayRemainder / (timedRate x 2^20) ms (engine_timer.cpp).
    int32_t timedFrom = 0;
    uint32_t timedRate = 0;
    uint64_t timedMs = 0;
    uint64_t delayRemainder = 0;
    uint32_t plannedTime = 0;
    uint32_t startTime = 0;
    uint8_t clockStep = kClockSteps - 1;
    int32_t lastClockIndex = 0;
    uint32_t clockTime = 0;
    uint32_t previousClockTime = 0;
    uint32_t clocksReceived = 0;       // since the external Start
    uint8_t masterStarted = 0;
    uint32_t reentrancyWord = 0;
    bool inUnderrun = false;
    // Note-ons sent and not yet ended: per (device, channel, key), and per slot
    // and (device, channel, key). A device is numbered by RunConstants::deviceOfPort.
    uint8_t noteOnCount[kLogicalPortCount][kMidiChannels][kMidiKeys] = {};
    uint8_t slotNoteCount[kSlotEntries][kLogicalPortCount][kMidiChannels][kMidiKeys] = {};
    uint8_t slotDevices[kSlotEntries] = {};  // bit d: a note-on of the slot went to device d
};

struct SequencerState {
    RunConstants run;
    EngineOwned engine;
    TickSlotTable table;

    // Class 3.
    std::atomic<uint32_t> rate{122880};
    std::atomic<uint32_t> baseTick{0};
    std::atomic<uint16_t> lastDownbeatMeasure{0};
    std::atomic<int32_t> lastEventTime{0};
    std::atomic<uint32_t> recordedCount{0};
    std::atomic<uint32_t> underrunCount{0};
    std::atomic<uint32_t> droppedRecordings{0};  // recorded events with a negative time
    std::atomic<uint64_t> beatRef{0};            // beat time (ms) << 32 | beat tick
    LiveTables live;

    // Class 4.
    std::atomic<uint8_t> stopByte{0};
    std::atomic<uint8_t> refillPending{0};
    std::atomic<uint8_t> fillReady{0};
    std::atomic<uint16_t> playedIndex{0};
    std::atomic<uint8_t> syncStopSent{0};  // the sync ports had their Stop this run
    LateRing late;
    std::atomic<uint32_t> recordHead{0};  // Ref32 offsets of the recorded chain
    std::atomic<uint32_t> recordTail{0};  // the input thread's

    // Notes sounding on the thru ports, per key of the record channel: the input
    // thread's own while the input runs; EndRun (after the input is stopped)
    // ends those still sounding, so a key held across Stop does not hang.
    uint8_t thruSounding[kMidiKeys] = {};

    // One ring per producer thread for posting to the Sequencer window.
    win::PostRing timerPosts;
    win::PostRing inputPosts;
};

// The program's one state block.
SequencerState& TheSequencerState();

// The beat reference, packed and unpacked.
constexpr uint64_t PackBeatRef(uint32_t beatTime, int32_t beatTick) {
    return (static_cast<uint64_t>(beatTime) << 32) | static_cast<uint32_t>(beatTick);
}
constexpr uint32_t BeatTimeOf(uint64_t ref) { return static_cast<uint32_t>(ref >> 32); }
constexpr int32_t BeatTickOf(uint64_t ref) { return static_cast<int32_t>(static_cast<uint32_t>(ref)); }

// Puts the timing state back to its start values: note counters and stopByte
// cleared, recordedCount 0, halfSelector 1, currentIndex 0 (and playedIndex 0
// when asked), no remainder, startTime = plannedTime = beat time = now, beat
// tick 0, clock step 5, last clock index N - 42, freeLimit N - N/8. User-interface
// thread, no run going.
void ResetSequencerTiming(SequencerState& state, bool resetPlayedIndex);

}  // namespace ql
