// The start-of-measure layout: which signs a measure shows and where each stands,
// as offsets from the slot's opening barline. In order after the barline: the
// system-start clef (slot 1 only) and its gap, the barline's leading space, the
// naturals cancelling a key change (when they follow the barline), the key
// signature, the time signature with a gap each side, then the measure's leading
// margin up to tick 0. Naturals that go before the barline get a negative cancelX
// and their room is reserved in the previous measure's trailSpace; a clef change
// due at the measure's end also goes into its trailSpace.
#include <algorithm>

#include "core/model/document.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/state.h"
#include "notes/beatmap/beat_map.h"
#include "notes/beatmap/beat_map_internal.h"
#include "notes/pitch/pitch_vocabulary.h"

namespace ql::beatmap {

namespace {

// Naturals before the barline keep this far from it.
constexpr int kNaturalsBeforeBarGap = 64;
// A numerator above this (two digits) takes one more time-signature gap.
constexpr int kOneDigitNumerator = 10;
constexpr int kSmallestCompactBeatUnit = 3;

bool EveryStaffHasSystemFlag(const ScoreDocument& document, const ScoreSystem& system,
                             uint8_t bit) {
    const int8_t* flags = StaffFlagsOf(&system);
    if (flags == nullptr || document.header.staffCount == 0) return false;
    for (int staff = 1; staff <= document.header.staffCount; ++staff)
        if ((static_cast<uint8_t>(flags[staff]) & bit) == 0) return false;
    return true;
}

// The start-of-system flags (no clef, key or time) that every staff of the system has.
uint8_t FlagsOfEveryStaff(const ScoreDocument& document, const ScoreSystem& system) {
    uint8_t flags = 0;
    for (const uint8_t bit : {kSystemStaffNoClef, kSystemStaffNoKey, kSystemStaffNoTime})
        if (EveryStaffHasSystemFlag(document, system, bit)) flags |= bit;
    return flags;
}

// The cells of every staff at a measure and at the measures either side of it, asked
// once for every decision about the measure.
struct StavesAround {
    const CellSigns* before;  // measure - 1
    const CellSigns* at;
    const CellSigns* next;  // measure + 1
    int count;              // staves
};
StavesAround StavesAt(RowCells& cells, int measure) {
    const CellSigns* before = cells.Staves(measure - 1);
    const CellSigns* at = cells.Staves(measure);
    return StavesAround{before, at, cells.Staves(measure + 1), cells.staffCount()};
}

// Staff 1's time signature, as at the measure before; true without a cell on either.
bool SameTimeSignature(const StavesAround& staves) {
    if (staves.count < 1) return true;
    const CellSigns& a = staves.at[0];
    const CellSigns& b = staves.before[0];
    return !a.present || !b.present || (a.beats == b.beats && a.beatUnit == b.beatUnit);
}

[[gnu::always_inline]] inline bool IsTimeHidden(const StavesAround& staves,
                                                const ScoreDocument& document,
                                                const ScoreSystem& system,
                                                const MeasureRecord& record, int measure,
                                                bool systemStart) {
    if ((record.flags & kMeasureTimeHidden) != 0) return true;
    if (systemStart && EveryStaffHasSystemFlag(document, system, kSystemStaffNoTime)) return true;
    if (measure == 1) return false;
    return measure > document.header.measureCount || SameTimeSignature(staves);
}

bool KeysUnchanged(const StavesAround& staves) {
    for (int i = 0; i < staves.count; ++i)
        if (staves.at[i].present && staves.at[i].key != staves.before[i].keyAtEnd) return false;
    return true;
}

// At a system's start the key is repeated unless every staff leaves it out.
[[gnu::always_inline]] inline bool IsKeyHidden(const StavesAround& staves,
                                               const ScoreDocument& document,
                                               const ScoreSystem& system,
                                               const MeasureRecord& record, int measure,
                                               bool systemStart) {
    if (systemStart) return EveryStaffHasSystemFlag(document, system, kSystemStaffNoKey);
    if ((record.flags & kMeasureKeyHidden) != 0) return true;
    if (measure == 1) return false;
    return measure > document.header.measureCount || KeysUnchanged(staves);
}

// At a system's start a cell may hide the clef change due at its end.
bool AnyCellHidesItsClef(const CellSigns* at, int staves) {
    for (int i = 0; i < staves; ++i)
        if (at[i].present && (at[i].cellFlags & kMeasureClefHidden) != 0) return true;
    return false;
}

// No clef change is drawn before the measure's closing barline.
[[gnu::always_inline]] inline bool IsClefChangeHidden(const StavesAround& staves,
                                                      const MeasureRecord& record,
                                                      bool systemStart) {
    if ((record.flags & kMeasureClefHidden) != 0) return true;
    if (systemStart && AnyCellHidesItsClef(staves.at, staves.count)) return true;
    for (int i = 0; i < staves.count; ++i)
        if (staves.next[i].present && staves.next[i].clef != staves.at[i].clefAtEnd) return false;
    return true;
}

int32_t NaturalsWidth(const SignWidths& w, int naturals) {
    return naturals > 0 ? (naturals - 1) * w.accidentalStep + w.accidentalWidth : 0;
}

// Room reserved before the closing barline for naturals that cancel a key change of
// the next measure before its barline.
[[gnu::always_inline]] inline int32_t NextNaturalsRoom(RowCells& cells, int measure,
                                                       const MeasureRecord* next,
                                                       const SignWidths& w) {
    const ScoreDocument& document = *cells.document();
    if (State().notes.KeyCancelLeftOfBar != kNaturalsBeforeBar) return 0;
    if (measure + 1 > document.header.measureCount || next == nullptr ||
        (next->flags & (kMeasureNaturalsHidden | kMeasureKeyHidden)) != 0)
        return 0;
    const KeyChange change = KeyChangeWith(cells, kBeatMapSlots, measure + 1, 1);
    if (!change.changed || change.naturals == 0) return 0;
    return NaturalsWidth(w, change.naturals) + kNaturalsBeforeBarGap;
}

// The signs of a measure in a slot of a system's row (notFirst 0: the system's start).
[[gnu::always_inline]] inline ShownSigns DecideSigns(RowCells& cells, const StavesAround& staves,
                                                     const ScoreSystem& system,
                                                     const MeasureRecord& record, int measure,
                                                     int slot, int notFirst) {
    const bool start = notFirst == 0;
    const ScoreDocument& document = *cells.document();
    ShownSigns signs;
    if (IsTimeHidden(staves, document, system, record, measure, start)) signs.flags |= kSlotNoTime;
    if (IsKeyHidden(staves, document, system, record, measure, start)) signs.flags |= kSlotNoKey;
    if (IsClefChangeHidden(staves, record, start)) signs.flags |= kSlotNoClefChange;
    if (!start || EveryStaffHasSystemFlag(document, system, kSystemStaffNoClef))
        signs.flags |= kSlotNoStartClef;
    if ((signs.flags & kSlotNoKey) == 0) {
        signs.key = KeyChangeOf(staves.at, staves.before, staves.count, slot <= 1 || start);
        if (!signs.key.changed || signs.key.count == 0) signs.flags |= kSlotNoKey;
    }
    const bool cancel = signs.key.changed && !start &&
                        (record.flags & kMeasureNaturalsHidden) == 0 &&
                        State().notes.KeyCancelLeftOfBar != kNoNaturals;
    signs.naturals = cancel ? signs.key.naturals : 0;
    if (signs.naturals == 0) signs.flags |= kSlotNoNaturals;
    return signs;
}

// The signs of a measure in a later slot of a row are the same in every row: under
// a scope they are decided once and kept in the measure's memo.
constexpr int kLaterSlot = 2;
const ShownSigns& LaterSlotSigns(MeasureSignMemo& memo, RowCells& cells, const ScoreSystem& system,
                                 const MeasureRecord& record, int measure) {
    if (!memo.laterDecided) {
        memo.later =
            DecideSigns(cells, StavesAt(cells, measure), system, record, measure, kLaterSlot, 1);
        memo.laterDecided = true;
    }
    return memo.later;
}

// At a system's start the signs follow from those of a later slot: the time
// signature and the clef change are hidden as they are there, or by the flags every
// staff of the system has (`systemFlags`) and, for the clef change, by a cell's own
// bit; the key is shown as it stands; no naturals.
ShownSigns StartSignsFrom(const ShownSigns& later, RowCells& cells, uint8_t systemFlags,
                          int measure) {
    ShownSigns signs;
    if ((later.flags & kSlotNoTime) != 0 || (systemFlags & kSystemStaffNoTime) != 0)
        signs.flags |= kSlotNoTime;
    if ((systemFlags & kSystemStaffNoKey) != 0) signs.flags |= kSlotNoKey;
    if ((later.flags & kSlotNoClefChange) != 0 ||
        AnyCellHidesItsClef(cells.Staves(measure), cells.staffCount()))
        signs.flags |= kSlotNoClefChange;
    if ((systemFlags & kSystemStaffNoClef) != 0) signs.flags |= kSlotNoStartClef;
    if ((signs.flags & kSlotNoKey) == 0) {
        signs.key = KeyChangeWith(cells, 1, measure, 0);
        if (!signs.key.changed || signs.key.count == 0) signs.flags |= kSlotNoKey;
    }
    signs.flags |= kSlotNoNaturals;
    return signs;
}

// The records a layout reads: the measure's and the next one's (null past the last
// measure a score may have).
struct MeasureRecords {
    const MeasureRecord& at;
    const MeasureRecord* next;
};
MeasureRecords RecordsFrom(const MeasureRecord& record, int measure) {
    // Records lie in measure order in one table.
    return MeasureRecords{record, measure + 1 < MaxMeasures ? &record + 1 : nullptr};
}

// Where the signs stand, from the barline: everything of the layout but firstBeat.
// `staffOneHeld`: staff 1's cell at the measure when the caller holds it.
[[gnu::always_inline]] inline MeasureLayout PlaceSigns(
    const ShownSigns& signs, const MeasureRecords& records, const ScoreSystem* system, int measure,
    int notFirst, const SignWidths& w, RowCells& cells, const CellSigns* staffOneHeld = nullptr) {
    MeasureLayout out;
    const bool clefShown = (signs.flags & kSlotNoStartClef) == 0;
    const int32_t clefGap = clefShown ? w.clefGap : 0;
    out.leadX = (clefShown ? StartClefWidth(cells, measure) + clefGap : 0) +
                LeadSpaceOf(w, system, measure, &records.at);
    const int32_t naturalsWidth = NaturalsWidth(w, signs.naturals);
    if (signs.naturals > 0)
        out.cancelX = State().notes.KeyCancelLeftOfBar == kNaturalsBeforeBar
                          ? -kNaturalsBeforeBarGap - naturalsWidth -
                                TrailSpaceOf(w, system, measure, &records.at)
                          : out.leadX + clefGap + w.keyIndent;
    const bool naturalsAfterBar = signs.naturals > 0 && out.cancelX >= 1;
    out.keyX = naturalsAfterBar ? out.cancelX + naturalsWidth : out.leadX + clefGap;
    int32_t keyWidth = 0;
    if ((signs.flags & kSlotNoKey) == 0) {
        keyWidth = (signs.key.count - 1) * w.accidentalStep + w.accidentalWidth;
        out.keyX += naturalsAfterBar ? w.accidentalStep - w.accidentalWidth : w.keyIndent;
    } else if (naturalsAfterBar) {
        out.keyX += w.accidentalStep - w.accidentalWidth;
    }
    out.trailSpace = TrailSpaceOf(w, system, measure + 1, records.next) +
                     ((signs.flags & kSlotNoClefChange) == 0 ? w.clefChange : 0) +
                     NextNaturalsRoom(cells, measure, records.next, w);
    const bool timeShown = (signs.flags & kSlotNoTime) == 0;
    const int32_t timeGap = timeShown ? w.timeGap : 0;
    out.timeX =
        out.keyX + keyWidth + (timeShown ? TimeSignatureWidth(cells, measure) : 0) + timeGap;
    out.marginX = out.timeX + timeGap + (notFirst == 0 ? w.systemStartGap : 0);
    const CellSigns staffOne = staffOneHeld != nullptr ? *staffOneHeld : cells.Signs(1, measure);
    if (!staffOne.present || staffOne.beats > kOneDigitNumerator ||
        staffOne.beatUnit < kSmallestCompactBeatUnit)
        out.marginX += timeGap;
    out.flags = signs.flags;
    return out;
}

// What LayoutMeasure asks of a measure whose layout its memo does not hold (or
// outside a scope): where the measure stands, and its memo when a scope keeps one.
struct SignRequest {
    const ScoreSystem* system;
    const MeasureRecord& record;
    int measure;
    int slot;
    int notFirst;
    MeasureSignMemo* memo;
    SignCase signCase;
    uint8_t systemFlags;
};

// Decides the signs and places them, keeping the layout in the memo. Out of line, so
// that the memo's answers take a short path.
[[gnu::noinline]] MeasureLayout LayOutSigns(const SignRequest& r, const SignWidths& w,
                                            RowCells& cells) {
    ShownSigns signs;
    if (r.memo == nullptr)
        signs = DecideSigns(cells, StavesAt(cells, r.measure), *r.system, r.record, r.measure,
                            r.slot, r.notFirst);
    else if (r.notFirst != 0)
        signs = LaterSlotSigns(*r.memo, cells, *r.system, r.record, r.measure);
    else
        signs = StartSignsFrom(LaterSlotSigns(*r.memo, cells, *r.system, r.record, r.measure),
                               cells, r.systemFlags, r.measure);
    const MeasureLayout out = PlaceSigns(signs, RecordsFrom(r.record, r.measure), r.system,
                                         r.measure, r.notFirst, w, cells);
    if (r.memo == nullptr) return out;
    const SignMemoEntry kept{true, r.systemFlags, out};
    r.memo->cases[static_cast<int>(r.signCase)] = kept;
    // Past its system's end a barline leads with nothing; one that leads with nothing
    // inside gives the measure the same layout in both cases.
    if (r.signCase != SignCase::SystemStart && LeadSpaceInsideSystem(w, r.record) == 0) {
        r.memo->cases[static_cast<int>(SignCase::InsideSystem)] = kept;
        r.memo->cases[static_cast<int>(SignCase::PastSystem)] = kept;
    }
    return out;
}

}  // namespace

MeasureLayout LayOutLaterSlot(const ScoreSystem& system, const MeasureRecord& record, int measure,
                              int slot, const SignWidths& w, RowCells& cells) {
    const StavesAround staves = StavesAt(cells, measure);
    const ShownSigns signs = DecideSigns(cells, staves, system, record, measure, slot, 1);
    // Staff 1's cell, taken before the placing asks for other measures.
    const CellSigns staffOne = staves.count >= 1 ? staves.at[0] : cells.Signs(1, measure);
    MeasureLayout out =
        PlaceSigns(signs, RecordsFrom(record, measure), &system, measure, 1, w, cells, &staffOne);
    out.firstBeat = out.marginX + record.lead;
    return out;
}

MeasureLayout LayoutMeasure(ScoreView* view, const ScoreSystem* system, int measure, int notFirst,
                            const SignWidths& w, RowCells& cells) {
    MeasureLayout out;
    if (view == nullptr || view->document == nullptr || system == nullptr) return out;
    ScoreDocument* document = view->document;
    if (measure <= 0) measure = system->firstMeasure + 1;
    const int row = RowOfSystem(system);
    const int slot = measure - system->firstMeasure + 1;
    const int cell =
        row >= 0 && slot >= 1 && slot <= kLastBeatMapSlot ? BeatMapCell(row, slot) : -1;
    if (cell >= 0) view->beatMap.slotFlags[cell] = kSlotBeingLaidOut;
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return out;
    // The signs depend on the system only through the flags every staff of it has
    // (at its start) or whether the measure lies past its end (its leading space is
    // then 0).
    MeasureSignMemo* memo = nullptr;
    SignCase signCase = SignCase::SystemStart;
    uint8_t systemFlags = 0;
    if (notFirst == 0 && slot == 1) {
        systemFlags = FlagsOfEveryStaff(*document, *system);
        memo = SignMemoOf(document, measure);
    } else if (notFirst != 0 && slot >= 2) {
        memo = SignMemoOf(document, measure);
        signCase = measure > system->lastMeasure ? SignCase::PastSystem : SignCase::InsideSystem;
    }
    const MeasureLayout* kept = nullptr;
    if (signCase != SignCase::SystemStart) {
        kept = LaterSlotLayoutKept(memo, *system, measure);
    } else if (memo != nullptr) {
        const SignMemoEntry& entry = memo->cases[static_cast<int>(signCase)];
        if (entry.filled && entry.systemFlags == systemFlags) kept = &entry.layout;
    }
    MeasureLayout laidOut;
    const MeasureLayout* placed = &laidOut;
    if (kept != nullptr)
        placed = kept;
    else
        laidOut = LayOutSigns(
            SignRequest{system, *record, measure, slot, notFirst, memo, signCase, systemFlags}, w,
            cells);
    // Fields are read from the layout placed, not from the copy just stored: reading
    // back a copy still being written stalls.
    out = *placed;
    out.firstBeat = placed->marginX + record->lead;
    if (cell >= 0) view->beatMap.slotFlags[cell] = placed->flags;
    return out;
}

}  // namespace ql::beatmap

namespace ql {

MeasureLayout ComputeMeasureLayout(ScoreView* view, const ScoreSystem* system, int measure,
                                   int notFirst) {
    if (view == nullptr || view->document == nullptr || system == nullptr) return MeasureLayout{};
    beatmap::RowCells cells(view->document, system->firstMeasure);
    return beatmap::LayoutMeasure(view, system, measure, notFirst,
                                  beatmap::ReadSignWidths(*view->document), cells);
}

}  // namespace ql
