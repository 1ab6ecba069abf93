// EventRecord: one note or rest of a voice (pool 4, 32 bytes).
//
// Events of one voice of one measure cell form a chain linked by handles in both
// directions, in time order; events at the same time form a chord ordered by staff
// step. The chain starts at a head sentinel (step 0x81, time 0xFFFF) that the cell's
// voice handle names. The first event of a chord (its head) carries the beam links.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "core/memory/pool.h"

namespace ql {

#pragma pack(push, 1)
struct EventRecord {
    uint16_t flags;           // bit 0 chord head, bits 4-5 size class, bit 6 initialised,
                              // bit 7 cleared in copies, bit 8 stem flag (stem length < 0)
    uint16_t word2;           // bits 0-1 dots, bits 2-3 cleared at init, bit 15 head on other side
    int8_t velocity;          // relative key velocity, added to the staff's
    uint8_t step;             // staff step; 0x81 in a head sentinel
    uint16_t stemWord;        // bits 9-14: six-bit stem field kept per staff step
    int16_t attack;           // playback delay of the note-on, ticks
    int16_t release;          // playback delay of the note-off, ticks
    int16_t stemLength;       // view units, 64 per staff step; +-448 at init
    RecordHandle attachment;  // pool 8: first attached object (the accidental); 0 = none
    uint16_t time;            // ticks from the start of the measure; 0xFFFF in a sentinel
    uint8_t duration;         // DurationCode: log2 of the plain length in ticks
    uint8_t crossStaffPosition;  // position on the neighbouring staff of a cross-staff
                                 // note; kNoCrossStaffPosition = not yet worked out
    uint8_t tupletKind;       // 0 none, 1 fixed ratio, 2 own ratio
    uint8_t tupletRatio;      // kind 1: index 0..8; kind 2: divisor << 4 | multiplier
    uint8_t outerRatio;       // applied first when non-zero: divisor << 4 | multiplier
    int8_t nudge;             // horizontal offset in units of 16 view units
    RecordHandle beamPrev;    // chord head: head of the previous chord of the beam group
    RecordHandle beamNext;    // chord head: head of the next chord of the beam group
    RecordHandle prev;        // previous event (the head sentinel for the first event)
    RecordHandle next;        // next event; 0 = last
};
#pragma pack(pop)

static_assert(sizeof(EventRecord) == 32);
static_assert(std::is_trivially_copyable_v<EventRecord>);
static_assert(offsetof(EventRecord, velocity) == 4);
static_assert(offsetof(EventRecord, attack) == 8);
static_assert(offsetof(EventRecord, release) == 10);
static_assert(offsetof(EventRecord, crossStaffPosition) == 19);
static_assert(offsetof(EventRecord, nudge) == 23);

// Bytes of an event that the native file stores (without the two chain links).
constexpr int kStoredEventBytes = 28;

// flags bits.
constexpr uint16_t kEventChordHead = 0x0001;
constexpr uint16_t kEventSizeClassMask = 0x0030;
constexpr uint16_t kEventInitialised = 0x0040;
constexpr uint16_t kEventCopyCleared = 0x0080;
constexpr uint16_t kEventStemFlag = 0x0100;

// word2 bits.
constexpr uint16_t kEventDotsMask = 0x0003;
constexpr uint16_t kEventWord2InitCleared = 0x000C;
constexpr uint16_t kEventHeadOtherSide = 0x8000;

// stemWord: the six-bit stem field at bits 9-14.
constexpr int kStemFieldShift = 9;
constexpr uint16_t kStemFieldMask = 0x7E00;

// crossStaffPosition of a note whose position on the other staff is not worked out.
constexpr uint8_t kNoCrossStaffPosition = 129;

// Head sentinel marks.
constexpr uint8_t kSentinelStep = 0x81;
constexpr uint16_t kSentinelTime = 0xFFFF;

// Stem length of a new event (view units): 7 staff steps.
constexpr int16_t kInitialStemLength = 448;

// Duration codes: log2 of the plain length in ticks.
constexpr uint8_t kDurationQuarter = 10;
constexpr uint8_t kDurationEighth = 9;

// The staff step of an event as the signed position it is (0 = the middle line).
inline int SignedStep(const EventRecord& event) { return static_cast<int8_t>(event.step); }

// True for a head sentinel: step 0x81 and time 0xFFFF.
inline bool IsHeadSentinel(const EventRecord& event) {
    return event.step == kSentinelStep && event.time == kSentinelTime;
}

}  // namespace ql
