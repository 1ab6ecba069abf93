// Performance events and the tick-slot table they hang on.
//
// A PerformanceEvent is one timed thing the engine plays: a channel message, a
// tempo change, a downbeat, a beat, a metronome click-off, an octave shift or
// velocity offset of a slot, a long message, or the end of the data. Events live
// in static pool 12 (32-byte slots); recorded events live in static pool 11 with
// the same layout. Pointers inside a pooled record are 32-bit arena references,
// so a long message (kinds 4 and 5) carries in `message` a 1-based index into the
// run's long-message table instead of a pointer.
//
// The table has two halves of kSlotHalfLength chain heads; the first N (the block
// length) are in use. Slot i of a half holds the events of tick base + i. One half
// is played while the user-interface thread fills the other (sequencer_state.h
// says how the halves change hands).
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/memory/ref32.h"

namespace ql {

enum class PerformanceEventKind : uint8_t {
    Channel = 0,         // a packed short message
    Tempo = 1,           // message: the new rate in ticks per minute; also recorded events
    Downbeat = 2,        // byte 0: measure length / 32; byte 1: beat length / 32
    OctaveShift = 3,     // byte 3: 0 none, 1 an octave up, 2 or more down
    LongMessage = 4,     // message: 1-based index into the long-message table
    SysExBody = 5,       // an export's long message: 1-based index into the run's long-message bytes
    VelocityOffset = 6,  // byte 2: the slot's signed offset
    BarClickOff = 7,
    Beat = 8,
    BeatClickOff = 9,
    EndOfData = 15,
};

#pragma pack(push, 1)
struct PerformanceEvent {
    Ref32<PerformanceEvent> next;  // next event of the slot chain or pending chain
    int32_t time;                  // absolute time in ticks
    uint32_t message;
    uint16_t flags;                // bits 0-7 slot, 8-11 logical port, 12-15 kind
    uint16_t measure;              // kind 2: the measure; pending chains: the previous event's handle
};
#pragma pack(pop)

static_assert(sizeof(PerformanceEvent) == 16);
static_assert(offsetof(PerformanceEvent, next) == 0, "the recorded chain links atomically through the first word");

constexpr int kPerformanceEventSlotBits = 8;
constexpr uint16_t kEventSlotMask = 0x00FF;
constexpr int kEventPortShift = 8;
constexpr uint16_t kEventPortMask = 0x0F00;
constexpr int kEventKindShift = 12;

constexpr int EventSlot(const PerformanceEvent& e) { return e.flags & kEventSlotMask; }
constexpr int EventPort(const PerformanceEvent& e) { return (e.flags & kEventPortMask) >> kEventPortShift; }
constexpr PerformanceEventKind EventKind(const PerformanceEvent& e) {
    return static_cast<PerformanceEventKind>(e.flags >> kEventKindShift);
}
constexpr uint16_t MakeEventFlags(PerformanceEventKind kind, int port, int slot) {
    return static_cast<uint16_t>((static_cast<unsigned>(kind) << kEventKindShift) |
                                 ((static_cast<unsigned>(port) << kEventPortShift) & kEventPortMask) |
                                 (static_cast<unsigned>(slot) & kEventSlotMask));
}
// Byte n (0 = lowest) of the message field.
constexpr uint8_t MessageByte(uint32_t message, int n) { return static_cast<uint8_t>(message >> (8 * n)); }

// ---- The tick-slot table ----

constexpr int kSlotHalfLength = 6144;
constexpr int kMinBlockLength = 1200;
constexpr int kMaxBlockLength = kSlotHalfLength;

struct TickSlotHalf {
    std::array<Ref32<PerformanceEvent>, kSlotHalfLength> heads{};
};

struct TickSlotTable {
    TickSlotHalf halfA;
    TickSlotHalf halfB;
};

// ---- Long messages ----

// At most this many long messages take part in one run.
constexpr int kMaxPlayLongMessages = 64;

// One entry of the run's long-message table; the bytes are borrowed and outlive
// the run (they are freed when the run stops, after the threads are joined).
struct LongMessageEntry {
    const uint8_t* bytes = nullptr;
    uint32_t length = 0;
    uint8_t port = 0;
};

// Filled on the user-interface thread while a run plays: an entry is written
// before `count` takes it in (release), and the engine reads `count` (acquire)
// before an entry; an entry never changes once counted.
struct LongMessageTable {
    std::array<LongMessageEntry, kMaxPlayLongMessages> entries{};
    std::atomic<int> count{0};

    LongMessageTable() = default;
    // Copied only while no engine thread runs.
    LongMessageTable(const LongMessageTable& other)
        : entries(other.entries), count(other.count.load(std::memory_order_relaxed)) {}
    LongMessageTable& operator=(const LongMessageTable& other) {
        entries = other.entries;
        count.store(other.count.load(std::memory_order_relaxed), std::memory_order_relaxed);
        return *this;
    }
};

// The entry of a 1-based index, or null for 0 or an index past the table.
const LongMessageEntry* FindLongMessage(const LongMessageTable& table, uint32_t index);

}  // namespace ql
