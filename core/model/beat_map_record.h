// The beat map of a score view: for every system row of the page shown and every
// measure slot of a row, where the slot and its start-of-measure signs stand, and
// the x of every 16-tick position of the slot's measure. The notes code builds it
// (notes/beatmap/beat_map.h); note drawing, the locator and the painter read it.
//
// Rows are the systems of the current page by their number, then the first system
// of the next page and the last system of the previous page. Slot k of a row is the
// k-th measure of its system (slot 0 is not used). Every x is in view units
// relative to the system's left edge and at most kMaxBeatMapX, except leadX,
// cancelX, keyX and timeX, which are relative to the slot's own slotX.
//
// Tick arrays: each row owns one buffer sized to the sum its measures need (no cap,
// 32-bit capacity); the slots of the row take their arrays from it one after the
// other, never overlapping. A slot after its system's last measure shares the array
// of the following row's matching slot, so that a position past the end of a system
// maps onto the next one. A slot names its array by row and first entry, not by
// pointer: a row buffer that grows never leaves a slot pointing at freed memory, and
// every reader checks the array against its row's capacity. Buffers only grow; the
// view frees them when it is destroyed. Copying a view copies no map (the buffers
// belong to one view): the copy starts empty and builds its own.
#pragma once

#include <cstdint>
#include <memory>

namespace ql {

constexpr int kBeatMapRows = 26;
constexpr int kBeatMapSlots = 28;  // slot 0 unused; measure slots 1..27
constexpr int kLastBeatMapSlot = kBeatMapSlots - 1;
constexpr int kBeatMapCells = kBeatMapRows * kBeatMapSlots;
// The largest x a build writes.
constexpr int32_t kMaxBeatMapX = 32767;
// Ticks between two entries of a tick array.
constexpr int kTicksPerBeatMapEntry = 16;
constexpr int kBeatMapEntryShift = 4;  // tick >> shift = entry
constexpr uint8_t kNoTickRow = 0xFF;

// slotFlags bits: a set bit means the sign is not drawn and takes no room.
constexpr uint16_t kSlotNoNaturals = 0x01;    // cancellation naturals
constexpr uint16_t kSlotNoStartClef = 0x04;   // the system-start clef
constexpr uint16_t kSlotNoKey = 0x08;         // key signature
constexpr uint16_t kSlotNoTime = 0x10;        // time signature
constexpr uint16_t kSlotNoClefChange = 0x20;  // clef change before the closing barline
constexpr uint16_t kSlotBeingLaidOut = 255;

// The tick array of a slot: entries of one row's buffer from `first` on; row
// kNoTickRow when the slot has none.
struct BeatMapTicks {
    uint8_t row = kNoTickRow;
    uint32_t first = 0;
};

inline constexpr int BeatMapCell(int row, int slot) {
    return row * kBeatMapSlots + slot;
}

struct BeatMap {
    uint16_t slotFlags[kBeatMapCells] = {};
    uint16_t leadX[kBeatMapCells] = {};       // first sign after the barline (slot-relative)
    int16_t cancelX[kBeatMapCells] = {};      // naturals of a key change; < 0 left of the bar
    uint16_t keyX[kBeatMapCells] = {};        // key signature (slot-relative)
    uint16_t timeX[kBeatMapCells] = {};       // just after the time signature (slot-relative)
    uint16_t slotX[kBeatMapCells] = {};       // the slot's opening barline
    uint16_t marginX[kBeatMapCells] = {};     // the measure's leading margin begins
    uint16_t contentX[kBeatMapCells] = {};    // tick 0 of the measure
    uint16_t trailSpace[kBeatMapCells] = {};  // end of content to the closing barline
    uint16_t slotTicks[kBeatMapCells] = {};   // length the tick array was laid out for
    BeatMapTicks tickX[kBeatMapCells] = {};   // entry i = x of tick 16 i from contentX
    uint32_t rowCapacity[kBeatMapRows] = {};  // bytes of each row's buffer
    uint8_t rowsAllocated = 0;                // rows whose buffer exists
    const void* rowsPage = nullptr;           // the page the slots were last pointed for
    std::unique_ptr<uint16_t[]> rowBuffers[kBeatMapRows];  // owned

    BeatMap() = default;
    // A copy is an empty map (see the file comment).
    BeatMap(const BeatMap& /*other*/) {}
    BeatMap& operator=(const BeatMap& other) {
        if (this != &other) *this = BeatMap{};
        return *this;
    }
    BeatMap(BeatMap&&) = default;
    BeatMap& operator=(BeatMap&&) = default;
    ~BeatMap() = default;
};

}  // namespace ql
