// Records of the score grid: StaffRecord (pool 8), MeasureRecord (the measure
// table, outside the pools) and MeasureCell (pool 5), plus the two pool-10 arrays
// that tie them together (the document's staves array and a staff's cell handles).
// Field order and widths are fixed: the native file and undo read these bytes.
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/memory/ref32.h"

namespace ql {

struct ScoreObject;
struct CellHandleArray;

// Capacity of the measure table and of a staff's cell array (measures 0..1023); a
// fixed size, never read from the settings.
constexpr int32_t MaxMeasures = kDefaultMaxMeasures;
// The most measures a score may have: every path that adds measures refuses to pass
// it, so that the count, its four spare records and the records a page may shift
// past it stay inside the table.
constexpr int32_t MeasureLimit = MaxMeasures - 8;
// The notice (status bar, with a beep) of a path refused at the limit.
inline constexpr char kMeasureLimitNotice[] = "Increase MaxMeasures in the QLW.INI file.";
// Cells exist up to measureCount + this many spare measures.
constexpr int kSpareMeasures = 4;

#pragma pack(push, 1)
// One timbre of a staff: output port index (255 = none), channel, patch, one byte.
struct StaffTimbre {
    uint8_t port;
    uint8_t channel;
    uint8_t patch;
    uint8_t extra;
};

struct StaffRecord {
    uint16_t transpositionWord;    // transposition; bit 12 minor key; bits 13/14 barline
                                   // connection above/below (staves/staff_group_bits.h)
    uint16_t flags;                // bits 0/1/2 brace above/below/one staff, 4/5/6 bracket
                                   // likewise; line count (bits 8-11), ossia bits
    int8_t baseKeyVelocity;        // 64 in a new staff
    int8_t semitones;              // transposition in semitones
    StaffTimbre timbres[4];        // timbre 1 is the main one
    uint8_t staffData22[18];       // initial values, staff size, further staff data
    Ref32<ScoreObject> objects;    // head of the staff's object list (labels)
    uint8_t staffData44[16];       // further staff data
    Ref32<CellHandleArray> cells;  // pool 10: cell handle per measure
};

// One entry of the measure table, shared by all staves.
struct MeasureRecord {
    uint8_t flags;  // bit 0 naturals hidden, 1 barline hidden, 3 key change
                    // hidden, 4 time hidden, 5 clef hidden, 6 start copy hidden,
                    // 7 (measure 1 record) left bar hidden
    uint8_t measureData1;
    uint8_t barline;       // low nibble barlineType, high nibble systemStartBarlineType
    uint8_t repeatCount;   // repeats of an end-repeat barline
    uint16_t lengthTicks;  // length of the measure in ticks
    uint16_t width;        // width of the content in layout units
    RecordHandle spacing;  // pool 2: first SpacingEntry; 0 = none
    int16_t lead;          // minimum space before the first column
    int16_t trail;         // minimum space after the last column
    uint16_t layoutData14;
    uint8_t extra;  // further measures a multi-measure rest stands for
    uint8_t layoutData17;
    uint16_t stretch;  // layout units per 4096 ticks (value / 256 per 16 ticks)
    uint8_t measureData20[5];
    uint8_t numberFlags;  // bit 0 numberHidden
    uint16_t number;      // displayed measure number
};

struct MeasureCell {
    uint8_t clefKey;  // low nibble clef code, high nibble key code (at the start)
    uint8_t cellData1;
    uint16_t cellWord;  // see the kCell* masks below
    uint8_t cellFlags;  // hide bits, as MeasureRecord::flags bits 0-5
    uint8_t beats;      // beats of the time signature
    uint8_t beatUnit;   // log2 of the beat unit in ticks (10 = quarter)
    uint8_t cellData7;
    RecordHandle voices[4];        // pool 4: head sentinel of each voice; 0 = none
    RecordHandle elementLists[4];  // pool 8: element-list header of each voice
    Ref32<ScoreObject> objects;    // head of the cell's object list (pool 6)
    uint16_t trailingWords[2];     // cleared by every constructor
};

// The cell handles of one staff (a pool-10 record), indexed by measure number.
struct CellHandleArray {
    RecordHandle cells[MaxMeasures];
};

// The document's staves array (a pool-10 record), indexed by staff number 0..255.
constexpr int kStavesArrayEntries = 512;
struct StavesArray {
    Ref32<StaffRecord> staves[kStavesArrayEntries];
};
#pragma pack(pop)

static_assert(sizeof(StaffTimbre) == 4);
static_assert(sizeof(StaffRecord) == 64);
static_assert(sizeof(MeasureRecord) == 28);
static_assert(sizeof(MeasureCell) == 32);
static_assert(sizeof(CellHandleArray) == 2048);
static_assert(sizeof(StavesArray) == 2048);
static_assert(std::is_trivially_copyable_v<StaffRecord>);
static_assert(std::is_trivially_copyable_v<MeasureRecord>);
static_assert(std::is_trivially_copyable_v<MeasureCell>);

// Bytes of a StaffRecord the native file stores.
constexpr int kStoredStaffBytes = 40;
// Bytes of a MeasureCell the native file stores.
constexpr int kStoredCellBytes = 8;

// StaffRecord values.
constexpr uint16_t kNewStaffFlags = 0x0500;  // five lines
constexpr int8_t kNewStaffKeyVelocity = 64;
constexpr uint8_t kNoTimbrePort = 255;

// MeasureCell::clefKey nibbles.
constexpr uint8_t kClefNibbleMask = 0x0F;
constexpr int kKeyNibbleShift = 4;

// MeasureCell::cellWord layout.
constexpr uint16_t kCellClefCountMask = 0x000F;  // clef changes in the cell, mod 16
constexpr uint16_t kCellKeyCountMask = 0x00F0;   // key changes in the cell, mod 16
constexpr int kCellKeyCountShift = 4;
// Bits 10-11 hide the events of voices 2 and 4; bits 12-15 hide the element lists of
// voices 1-4 (the dialog labels them "Up stems" .. "Dn stems Aux").
constexpr uint16_t kCellHiddenRestMask = 0x0C00;
constexpr uint16_t kCellHiddenStemMask = 0xF000;

// MeasureRecord::flags: signs at the start of the measure that are not shown.
constexpr uint8_t kMeasureNaturalsHidden = 0x01;  // naturals cancelling a key
constexpr uint8_t kMeasureBarlineHidden = 0x02;
constexpr uint8_t kMeasureKeyHidden = 0x08;
constexpr uint8_t kMeasureTimeHidden = 0x10;
constexpr uint8_t kMeasureClefHidden = 0x20;
// MeasureRecord::flags bit set on the second record when a one-staff score is shown.
constexpr uint8_t kMeasureLeftBarHidden = 0x80;

// The barline kinds of the barline byte's nibbles.
enum class BarlineType : uint8_t {
    Single = 0,
    Double = 1,
    BeginSection = 2,
    EndSection = 3,
    Thick = 4,
    StartRepeat = 5,
    EndRepeat = 6,
    BothRepeats = 7,
    Dotted = 8,
};

// MeasureRecord::numberFlags.
constexpr uint8_t kMeasureNumberHidden = 0x01;

// Low and high nibble of the barline byte.
inline uint8_t BarlineTypeOf(const MeasureRecord& m) {
    return m.barline & 0x0F;
}
inline uint8_t SystemStartBarlineTypeOf(const MeasureRecord& m) {
    return m.barline >> 4;
}

}  // namespace ql
