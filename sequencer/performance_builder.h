// The performance builder: turns the score, a block of ticks at a time, into
// PerformanceEvents hung on the fill half of the tick-slot table.
//
// A run first walks the measure order once (sequencer/measure_walk.h); then, for
// each block, the downbeats and the marks of every staff (PerformCellObjects) are
// made for the measures up to two blocks beyond the block being filled, and every
// staff and voice taking part keeps a cursor into that walk and builds its notes
// (PerformNote) as far; so a mark acting on all staves is in force before any
// staff builds its notes for that time. Events that fall
// after the block wait in the voice's time-ordered pending chains (notes, and
// controls: downbeats, beats and clicks) and are placed when their block comes.
// Within a slot the events stand in three ranks, each in the order placed:
// control events, then note-ons, then every other channel message; so a note-on
// and the note-off of the previous note of the same key at one tick leave the key
// sounding (the engine's count is still 1 after the note-off).
//
// Pool 12 exhausted: the event is not made, the report shows once per run and the
// block ends; a note-on is never placed without its note-off. Playback never adds
// measures to the score: a voice that passes the last measure drops out.
// User-interface thread only.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "sequencer/engine.h"
#include "sequencer/measure_walk.h"
#include "sequencer/sequencer_state.h"

namespace ql {

struct ScoreDocument;
struct EventRecord;
struct ScoreObject;

constexpr int kVoicesPerStaff = 4;
constexpr int kMaxHeldNotes = 128;
constexpr int32_t kClickLength = 128;  // a metronome click sounds this long

// A time-ordered chain of events waiting for their block.
struct PendingChain {
    PerformanceEvent* head = nullptr;
    PerformanceEvent* tail = nullptr;
};

// Inserts an event into the chain after every event of the same or an earlier
// time (so events of one time keep the order they were made in).
void InsertPerformanceEvent(PendingChain& chain, PerformanceEvent* event);
// Unlinks and returns the chain's first event; the chain must not be empty.
PerformanceEvent* PopPendingEvent(PendingChain& chain);

// A velocity change of dynamics: from its time on, the notes of the staves and
// voices it covers play `delta` louder (the latest entry at or before a note wins).
struct DynamicsEntry {
    int32_t time = 0;
    uint64_t staves = 0;  // bit s - 1: staff s (1..64)
    uint8_t voices = 0;   // bit v: voice v
    int8_t delta = 0;
};

// An octave sign met so far: the notes of its staff from start up to end (not
// included) sound an octave up or down.
struct OctaveRange {
    int staff = 0;
    int32_t start = 0;
    int32_t end = 0;
    bool up = true;
};
constexpr size_t kMaxOctaveRanges = 128;

// What a run plays and how.
struct PerformanceOptions {
    int firstMeasure = 1;
    int lastMeasure = 1;
    bool exporting = false;     // no beats, full note lengths, no metronome
    bool metronome = false;
    uint8_t playbackPercent = 90;
    bool swingEighths = false;
    bool swingSixteenths = false;
    int globalTransposition = 0;  // semitones added to every staff
    int32_t transitionStep = 128;  // ticks between the events of a transition ("RTCFrequency")
    bool allowMidiDelay = false;   // the notes' own note-on delay and length change
    // Recording on past the end: when the walk reaches the score's last measure,
    // measures are added to the score (two past the one reached) and played on,
    // up to lastMeasure.
    bool extendScore = false;
    // "Loosen Up!": random timing within 2^(k + 2) ticks (plus 2^(k - 1) wider) and
    // velocity within `velocityWidth`, from a generator seeded at each start.
    struct Loosen {
        bool on = false;
        int timingCode = 0;  // k, 0..6
        int velocityWidth = 0;
        bool wider = false;
        uint32_t seed = 1;
    } loosen;
};

// The cursor of one staff and voice (PerformanceStaffRecord).
struct VoiceCursor {
    size_t walkIndex = 0;          // the played measure being built
    bool loaded = false;           // the measure's notes are being built
    EventRecord* note = nullptr;   // next note of the voice in that measure
    PendingChain notes;            // note-ons and note-offs after the block
    PendingChain controls;         // downbeats, beats, clicks
    bool active = true;
};

// A note whose tie is still open: its note-off comes with the last note of the tie.
struct HeldNote {
    bool used = false;
    uint8_t identity = 0;  // staff * 4 + voice
    uint8_t key = 0;       // the key sent
    uint8_t channel = 0;
    uint8_t port = 0;
    int32_t due = 0;          // where the next note of the tie must start
    int32_t soundingEnd = 0;  // where the tied note would end on its own
};

struct PerformanceRun {
    ScoreDocument* document = nullptr;
    PerformanceOptions options;
    std::vector<PlayedMeasure> walk;
    size_t preparedMeasures = 0;  // played measures whose downbeats and marks are made
    int staffCount = 0;
    std::array<std::array<VoiceCursor, kVoicesPerStaff>, kSlotEntries> voices{};
    std::array<HeldNote, kMaxHeldNotes> held{};
    int32_t fillBase = 0;
    int32_t blockLength = kMinBlockLength;
    bool endPlaced = false;
    bool buildDone = false;
    bool outOfEvents = false;      // pool 12 refused an event this run
    bool outOfEventsReported = false;
    uint32_t lateCount = 0;
    std::vector<DynamicsEntry> dynamics;  // newest first
    std::vector<OctaveRange> octaves;     // at most kMaxOctaveRanges
    std::minstd_rand random;              // "Loosen Up!"
    // Long messages (system exclusive) of MIDI event objects: the table the engine
    // reads (borrowed; null: none are played), the bytes of each entry (owned, kept
    // until the run ends; an export's body events index them alone) and the object
    // of each entry, so that an object played again (a repeat) uses its entry again.
    LongMessageTable* longMessages = nullptr;
    std::vector<std::vector<uint8_t>> longMessageBytes;
    std::vector<const ScoreObject*> longMessageObjects;
};

// Sets the run up for the document: the measure walk, the cursors of staves
// 1..staffCount (capped at the slot count), no held notes.
void BeginPerformance(PerformanceRun& run, ScoreDocument* document, const PerformanceOptions& options,
                      int32_t blockLength);

// Where placed events go: the fill half, and (while a run plays) the late queue of
// the engine for note-ons whose tick has already passed.
struct BlockTarget {
    TickSlotHalf* half = nullptr;
    SequencerState* lateQueue = nullptr;  // null: late note-ons go to slot 0
};

// Frees every chain of the half back to pool 12 and clears its heads.
void FreeHalf(TickSlotHalf& half);

// Builds the block of ticks fillBase .. fillBase + N - 1 into the target (whose
// half must be empty). Returns false once the end of data is placed.
bool BuildBlock(PerformanceRun& run, const BlockTarget& target, int32_t fillBase);

// Frees every pending event of the run back to pool 12, and its long messages
// (the engine must no longer read the table).
void EndPerformance(PerformanceRun& run);

// ---- Used by the builder's parts ----

// A new pool-12 event, or null (the run is then marked out of events).
PerformanceEvent* NewPerformanceEvent(PerformanceRun& run, PerformanceEventKind kind, int port, int slot,
                                      int32_t time, uint32_t message);

// Makes the note-on and note-off of a note (PerformNote). The note of `staff` and
// `voice` in `measure` of the walk. False when pool 12 ran out.
bool PerformNote(PerformanceRun& run, int staff, int voice, const PlayedMeasure& measure, EventRecord& note);

// Performs the MIDI-carrying objects of the staff's cell in a played measure
// (tempo marks, dynamics, pedal marks) into the voice's control chain and the
// dynamics list. False when pool 12 ran out.
bool PerformCellObjects(PerformanceRun& run, int staff, const PlayedMeasure& measure);
// A MIDI event object or a note articulation with MIDI (types 25 and 26): its
// action's message at tick `at` of the staff (sequencer/perform_midi_event.cpp).
// False when the event pool ran out.
bool PerformMidiEventObject(PerformanceRun& run, int staff, int32_t at, ScoreObject* object);
// The controller messages of a value on channel and controller (packed, status in
// the low byte): a single value (not a step of a transition) above 127 on a
// controller below 32 sends its 14 bits (at most 16,383) as two messages, the high
// half on the controller and the low half on controller + 32; other values one
// message, clamped to 0..127.
std::vector<uint32_t> ControllerMessages(int channel, int controller, int value, bool single);
// The marks of the measures before the first one played, performed as if those
// measures had just been played before tick 0 (sequencer/perform_earlier.cpp): a
// run started in the middle plays with the octave lines, dynamics, hairpins,
// pedals and tempo in force that the marks before it set.
void PerformEarlierMeasures(PerformanceRun& run);
// +12, -12 or 0: the octave signs of the staff in force at a tick.
int OctaveShiftAt(const PerformanceRun& run, int staff, int32_t time);
// The velocity change that applies to a note of the staff and voice at a tick.
int DynamicsDelta(const PerformanceRun& run, int staff, int voice, int32_t time);

// Ends the held notes of the staff and voice whose tie was not continued by
// `time` (a tie that leads nowhere): each at its own end. False when pool 12 ran out.
bool CloseStaleTies(PerformanceRun& run, int staff, int voice, int32_t time);

// The pieces of a note's timing, exposed for the tests of their arithmetic.
int32_t SwingStartDelay(const PerformanceOptions& options, int position, int length);
int32_t SoundingLength(const PerformanceOptions& options, int position, int length, bool staccato);

}  // namespace ql
