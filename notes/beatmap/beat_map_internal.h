// Internals shared by the beat-map files: the one clamp every x goes through, the
// cell index of a system's slot, tick-array sizes and checked access to a slot's
// array, the measures a build may reach, and the sign widths a build reads once.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/beat_map_record.h"
#include "core/model/grid_records.h"
#include "core/model/page_records.h"
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

// What the sign layout reads of a staff's cell at a measure. Values, not the cell:
// a measure read once under a SignLayoutScope serves every row of the scope.
struct CellSigns {
    bool present;       // the staff has a cell at the measure
    uint8_t cellFlags;  // its hide bits
    uint8_t beats;      // its time signature
    uint8_t beatUnit;
    int32_t key;  // key and clef at its start (CellKey, CellClef)
    int32_t clef;
    int32_t keyAtEnd;   // key and clef in force at its end; without a cell, the
    int32_t clefAtEnd;  // values a new cell would take
};

struct SignMemoTable;

// The cells a build reads, by measure: each measure's staves looked up once, with
// the key and clef in force at each cell's end read in one walk of its list. Under
// a SignLayoutScope for the document (while its measure and staff counts stand as
// at the cache's first question) a measure is read once for the whole scope, into
// the scope's table; otherwise once per cache for the measures of the row's window
// (its first measure - 1 .. + 28), and each time for the others. Nothing is read
// or allocated until the first question. Borrowed: the cells must not change while
// the cache or the scope lives, nor the current pool set.
class RowCells {
    static constexpr int kWindow = kBeatMapSlots + 2;
    static_assert(kWindow <= 32, "the window is marked in one 32-bit word");
    // Scores of up to this many staves keep the window inside the object.
    static constexpr int kStavesKeptInside = 8;

  public:
    RowCells(ScoreDocument* document, int firstMeasure);
    RowCells(const RowCells&) = delete;  // the window may point into the object itself
    RowCells& operator=(const RowCells&) = delete;
    ~RowCells();
    ScoreDocument* document() const { return document_; }
    int staffCount() const { return staffCount_; }
    // What a staff's cell at a measure shows; a staff out of range has no cell.
    CellSigns Signs(int staff, int measure) {
        if (staff < 1 || staff > staffCount_) return NoCell();
        return Staves(measure)[staff - 1];
    }
    // What the cells of every staff show at a measure: staff s at index s - 1. The
    // answer stays valid while the cache lives, but for a measure outside the row's
    // window and the scope: then only until the third question after it (a measure
    // and the two either side of it can be held at once).
    const CellSigns* Staves(int measure) {
        if (!prepared_) Prepare();
        if (scope_ != nullptr) {
            if (static_cast<unsigned>(measure) >= static_cast<unsigned>(MaxMeasures))
                return ReadApart(measure);
            CellSigns* signs = ScopeSignsOf(measure);
            if (ScopeSignsRead(measure) == 0) ReadIntoScope(measure, signs);
            return signs;
        }
        const unsigned offset = static_cast<unsigned>(measure - base_);
        if (offset >= static_cast<unsigned>(kWindow)) return ReadApart(measure);
        CellSigns* signs = window_ + offset * static_cast<unsigned>(staffCount_);
        if ((windowRead_ & (uint32_t{1} << offset)) == 0) {
            ReadMeasure(measure, signs);
            windowRead_ |= uint32_t{1} << offset;
        }
        return signs;
    }

  private:
    inline CellSigns* ScopeSignsOf(int measure) const;
    inline uint8_t ScopeSignsRead(int measure) const;
    SignMemoTable* ScopeTable() const;
    void ReadIntoScope(int measure, CellSigns* signs);
    CellSigns NoCell() const;
    void Prepare();
    void ReadMeasure(int measure, CellSigns* out);
    const CellSigns* ReadApart(int measure);

    ScoreDocument* document_;
    int staffCount_;
    int base_;
    bool prepared_ = false;
    SignMemoTable* scope_ = nullptr;  // the scope's table serving this cache, if any
    uint32_t windowRead_ = 0;         // bit k: window measure k read
    CellSigns* window_ = nullptr;     // per window measure and staff, from the first question on
    const CellHandleArray* const* arrays_ = nullptr;  // per staff (from index 0), as window_
    CellSigns keptWindow_[kStavesKeptInside * kWindow];
    const CellHandleArray* keptArrays_[kStavesKeptInside];
    std::unique_ptr<CellSigns[]> heapWindow_;  // for more staves
    std::unique_ptr<const CellHandleArray*[]> heapArrays_;
    static constexpr int kApart = 3;
    std::unique_ptr<CellSigns[]> apart_;  // the last kApart measures outside the window
    int apartNext_ = 0;                   // the part the next one goes in
    std::optional<PoolResolver<MeasureCell>> cellPool_;
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
// Room of the dots of a repeat sign beside its lines.
inline constexpr int kRepeatDotsRoom = 88;
// Leading space of a start-repeat barline.
inline constexpr int kStartRepeatLead = 96;
// An end-section barline stands this much into the thick line's room.
inline constexpr int kEndSectionInset = 8;

// The measure's record when its barline takes room in the system, else null.
inline const MeasureRecord* SpacedBarline(const ScoreSystem* system, int measure,
                                          const MeasureRecord* record) {
    if (system == nullptr || measure == system->firstMeasure) return nullptr;
    if (record == nullptr || (record->flags & kMeasureBarlineHidden) != 0) return nullptr;
    return record;
}

// The leading space of a measure's barline where the measure stands inside its
// system, past its first measure.
inline int LeadSpaceInsideSystem(const SignWidths& w, const MeasureRecord& record) {
    if ((record.flags & kMeasureBarlineHidden) != 0) return 0;
    switch (static_cast<BarlineType>(BarlineTypeOf(record))) {
        case BarlineType::StartRepeat:
            return kStartRepeatLead;
        case BarlineType::BothRepeats:
            return w.thickBar + w.halfThinBar + kRepeatDotsRoom;
        default:
            return 0;
    }
}

// TrailSpaceWith and LeadSpaceWith from the measure's record, already found (null: no
// barline room); inline, as a row build asks them at every slot.
inline int TrailSpaceOf(const SignWidths& w, const ScoreSystem* system, int measure,
                        const MeasureRecord* measureRecord) {
    const MeasureRecord* record = SpacedBarline(system, measure, measureRecord);
    if (record == nullptr) return 0;
    const int thickHalfGap = w.thickBar + w.halfThinBar + w.doubleGap;
    switch (static_cast<BarlineType>(BarlineTypeOf(*record))) {
        case BarlineType::Double:
            return w.thickBar;
        case BarlineType::BeginSection:
            return thickHalfGap;
        case BarlineType::EndSection:
            return thickHalfGap - kEndSectionInset;
        case BarlineType::Thick:
            return w.doubleGap;
        case BarlineType::StartRepeat:
            return thickHalfGap;
        case BarlineType::EndRepeat:
        case BarlineType::BothRepeats:
            return thickHalfGap + kRepeatDotsRoom;
        default:
            return 0;
    }
}
inline int LeadSpaceOf(const SignWidths& w, const ScoreSystem* system, int measure,
                       const MeasureRecord* measureRecord) {
    const MeasureRecord* record = SpacedBarline(system, measure, measureRecord);
    if (record == nullptr || measure > system->lastMeasure) return 0;
    return LeadSpaceInsideSystem(w, *record);
}

KeyChange KeyChangeWith(RowCells& cells, int slot, int measure, int notFirst);
// The same from the cells of every staff at the measure (`at`) and at the one before
// (`before`, read only past a system's start).
KeyChange KeyChangeOf(const CellSigns* at, const CellSigns* before, int staves, bool systemStart);
// The signs a measure shows: the kSlotNo* bits, the key change, the naturals shown.
// In a later slot of a row (slot 2 on) they depend on the measure alone, not on the
// system or the slot.
struct ShownSigns {
    uint16_t flags = 0;
    KeyChange key;
    int naturals = 0;
};

// Under a SignLayoutScope for the document: the memo of a measure, with the signs it
// shows in a later slot and its layout in each case a row can meet (slot 1 of its
// system, where the layout also follows the system's flags; a later slot inside its
// system; a later slot past the system's end, where its barline leads nothing). Null
// outside any scope, for another document, or once the measure or staff count has
// changed since the scope began.
enum class SignCase : uint8_t { SystemStart, InsideSystem, PastSystem };
constexpr int kSignCases = 3;
struct SignMemoEntry {
    bool filled = false;
    uint8_t systemFlags = 0;  // SystemStart: the flags every staff of the system has
    MeasureLayout layout;     // firstBeat is not kept: it follows the measure's lead
};
struct MeasureSignMemo {
    SignMemoEntry cases[kSignCases];
    bool laterDecided = false;
    ShownSigns later;  // the signs in a later slot, once decided
};
struct SignMemoTable {
    const ScoreDocument* document = nullptr;
    int measureCount = 0;
    int staffCount = 0;
    std::vector<MeasureSignMemo> entries;  // by measure, made at the first question
    // The cells' signs by measure, staffCount per measure, made at the first row's
    // question; a measure's are read once (cellSignsRead).
    std::unique_ptr<CellSigns[]> cellSigns;
    std::vector<uint8_t> cellSignsRead;
};
// The table of the innermost SignLayoutScope, null outside any; set by the scopes
// alone (beat_map_sign_memo.cpp).
extern SignMemoTable* g_innermostSignMemo;
void MakeSignMemoEntries(SignMemoTable& table);
// The table of the innermost scope when it serves the document as it stands, else null.
inline SignMemoTable* SignMemoTableOf(const ScoreDocument* document) {
    SignMemoTable* table = g_innermostSignMemo;
    if (table == nullptr || document == nullptr || table->document != document ||
        table->measureCount != document->header.measureCount ||
        table->staffCount != document->header.staffCount)
        return nullptr;
    return table;
}
inline MeasureSignMemo* SignMemoOf(const ScoreDocument* document, int measure) {
    SignMemoTable* table = SignMemoTableOf(document);
    if (table == nullptr || measure < 0 || measure >= MaxMeasures) return nullptr;
    if (table->entries.empty()) MakeSignMemoEntries(*table);
    return &table->entries[static_cast<size_t>(measure)];
}
// A measure's signs in the scope's table, and whether they were read.
inline CellSigns* RowCells::ScopeSignsOf(int measure) const {
    return scope_->cellSigns.get() +
           static_cast<size_t>(measure) * static_cast<size_t>(staffCount_);
}
inline uint8_t RowCells::ScopeSignsRead(int measure) const {
    return scope_->cellSignsRead[static_cast<size_t>(measure)];
}
// The table of the innermost scope when it serves this cache's document as it
// stands, else null.
inline SignMemoTable* RowCells::ScopeTable() const {
    SignMemoTable* table = SignMemoTableOf(document_);
    return table != nullptr && table->staffCount == staffCount_ ? table : nullptr;
}
// The layout the scope's memo holds for a measure in a later slot of a system's row
// (slot 2 on): the case past the system's end or inside it. Null outside a scope or
// when the memo holds none yet. What LayoutMeasure answers from the memo in such a
// slot, its firstBeat left out (the layout's marginX + the measure's lead); the
// next measure's memo is fetched, as a row lays its slots out in order.
inline const MeasureLayout* LaterSlotLayoutKept(MeasureSignMemo* memo, const ScoreSystem& system,
                                                int measure) {
    if (memo == nullptr) return nullptr;
    const SignCase signCase =
        measure > system.lastMeasure ? SignCase::PastSystem : SignCase::InsideSystem;
    if (measure + 1 < MaxMeasures) __builtin_prefetch(&memo[1].cases[static_cast<int>(signCase)]);
    const SignMemoEntry& entry = memo->cases[static_cast<int>(signCase)];
    return entry.filled && entry.systemFlags == 0 ? &entry.layout : nullptr;
}
MeasureLayout LayoutMeasure(ScoreView* view, const ScoreSystem* system, int measure, int notFirst,
                            const SignWidths& widths, RowCells& cells);
// What LayoutMeasure answers outside any scope for a measure in a later slot (slot 2
// on) of a system's row, from the measure's record; the slot's flags are the
// caller's to store.
MeasureLayout LayOutLaterSlot(const ScoreSystem& system, const MeasureRecord& record, int measure,
                              int slot, const SignWidths& widths, RowCells& cells);
// Lays out the tick array of a slot of a system; returns the content width.
int BuildSlotTicks(ScoreView* view, const ScoreSystem* system, int slot);

}  // namespace ql::beatmap
