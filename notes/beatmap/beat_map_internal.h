// Internals shared by the beat-map files: the one clamp every x goes through, the
// cell index of a system's slot, tick-array sizes and checked access to a slot's
// array, the measures a build may reach, and the sign widths a build reads once.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/model/beat_map_record.h"
#include "core/model/score_document.h"
#include "notes/beatmap/beat_map.h"

namespace ql::beatmap {

// Module tag of the reports of the beat map.
inline constexpr char kModuleTag[] = "BEATMAP";

// Where the naturals cancelling a key change stand (KeyCancelLeftOfBar).
constexpr uint8_t kNoNaturals = 0;
constexpr uint8_t kNaturalsBeforeBar = 1;
constexpr uint8_t kNaturalsAfterBar = 2;

// Longest measure (in ticks) that gets a tick array; longer ones, and empty ones,
// get their signs only.
constexpr int kLongestTickArrayMeasure = 32768;
// Entries a slot's array holds beyond one per 16 ticks.
constexpr int kExtraSlotEntries = 2;

// Every x a build writes goes through one of these two.
inline uint16_t ClampMapX(int64_t x) {
    return static_cast<uint16_t>(std::clamp<int64_t>(x, 0, kMaxBeatMapX));
}
inline int16_t ClampCancelX(int64_t x) {
    return static_cast<int16_t>(std::clamp<int64_t>(x, -kMaxBeatMapX, kMaxBeatMapX));
}

// The row of a system (its number on the page), or -1 outside the map.
inline int RowOfSystem(const ScoreSystem* system) {
    return system != nullptr && system->number < kBeatMapRows ? system->number : -1;
}

inline bool HasTickArray(int lengthTicks) {
    return lengthTicks > 0 && lengthTicks <= kLongestTickArrayMeasure;
}
// Entries of the array of a measure of this length (0 when it gets none).
inline uint32_t SlotEntryCount(int lengthTicks) {
    return HasTickArray(lengthTicks)
               ? static_cast<uint32_t>(lengthTicks >> kBeatMapEntryShift) + kExtraSlotEntries
               : 0;
}

// A slot's tick array with its entry count; null (count 0) when the slot has none
// or its row buffer does not hold it whole.
struct SlotArray {
    uint16_t* entries = nullptr;
    uint32_t count = 0;
};
SlotArray SlotArrayOf(const BeatMap& map, int cell);

// Measures that slots may reach: up to the measure count + 4 and below MaxMeasures.
int LastReachableMeasure(const ScoreDocument& document);
// The length a row reserves for a measure: a measure past the count takes the
// length of the last measure.
int RowLengthOfMeasure(ScoreDocument* document, int measure);

// Widths of the start-of-measure signs, in view units, read once per build from the
// document's engraving metrics and the music font's glyph table.
struct SignWidths {
    int32_t thickBar = 0;         // thick barline
    int32_t halfThinBar = 0;      // half a thin barline
    int32_t doubleGap = 0;        // between the lines of a double barline
    int32_t clefGap = 0;          // after a system-start clef
    int32_t keyIndent = 0;        // before a key signature
    int32_t accidentalStep = 0;   // from one accidental of a key to the next
    int32_t accidentalWidth = 0;  // one accidental glyph of a key signature
    int32_t timeGap = 0;          // on each side of a time signature
    int32_t systemStartGap = 0;   // after the signs at a system's start
    int32_t clefChange = 0;       // room of a clef change before a barline
};
SignWidths ReadSignWidths(const ScoreDocument& document);

// The measure cells a build reads, each looked up once (a row reads the cells of its
// measures and their neighbours several times over). Measures outside the window
// of a row (its first measure - 1 .. + 28) are looked up each time. Borrowed: the
// cells belong to the document and must not change while the cache lives.
class RowCells {
  public:
    RowCells(ScoreDocument* document, int firstMeasure);
    ScoreDocument* document() const { return document_; }
    int staffCount() const { return staffCount_; }
    // The cell of a staff at a measure, or null.
    const MeasureCell* Get(int staff, int measure);
    // The key and clef in force at the end of a measure; a measure without a cell
    // has the values a new cell would take.
    int KeyAtEnd(int staff, int measure);
    int ClefAtEnd(int staff, int measure);

  private:
    static constexpr int kWindow = kBeatMapSlots + 2;
    static constexpr int16_t kNotRead = -1;
    struct Entry {
        const MeasureCell* cell = nullptr;
        bool found = false;
        int16_t keyAtEnd = kNotRead;
        int16_t clefAtEnd = kNotRead;
    };
    const MeasureCell* Lookup(int staff, int measure) const;
    Entry* EntryOf(int staff, int measure);

    ScoreDocument* document_;
    int staffCount_;
    int base_;
    std::vector<const CellHandleArray*> arrays_;  // per staff
    std::vector<Entry> entries_;                  // per staff and window measure
};

// Width of the widest system-start clef of the staves of a measure.
int32_t StartClefWidth(RowCells& cells, int measure);
// Width of the time signature of staff 1 at a measure.
int32_t TimeSignatureWidth(RowCells& cells, int measure);

// The operations of beat_map.h with the sign widths and the cells read once by the
// caller.
int TrailSpaceWith(const SignWidths& widths, ScoreDocument* document, const ScoreSystem* system,
                   int measure);
int LeadSpaceWith(const SignWidths& widths, ScoreDocument* document, const ScoreSystem* system,
                  int measure);
KeyChange KeyChangeWith(RowCells& cells, int slot, int measure, int notFirst);
// Under a SignLayoutScope for the document: the memo entry of the signs of a measure
// in slot 1 of its system (where they also follow the system's flags), or in a later
// slot of a row, inside its system or past its end; null outside any scope, for
// another document, or once the measure or staff count has changed since the scope
// began.
enum class SignCase : uint8_t { SystemStart, InsideSystem, PastSystem };
constexpr int kSignCases = 3;
struct SignMemoEntry {
    bool filled = false;
    uint8_t systemFlags = 0;  // SystemStart: the flags every staff of the system has
    MeasureLayout layout;     // firstBeat is not kept: it follows the measure's lead
};
SignMemoEntry* SignMemoOf(const ScoreDocument* document, int measure, SignCase signCase);
MeasureLayout LayoutMeasure(ScoreView* view, const ScoreSystem* system, int measure, int notFirst,
                            const SignWidths& widths, RowCells& cells);
// Lays out the tick array of a slot of a system; returns the content width.
int BuildSlotTicks(ScoreView* view, const ScoreSystem* system, int slot);

}  // namespace ql::beatmap
