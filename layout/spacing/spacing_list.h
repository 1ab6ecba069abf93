// Spacing lists of the measure table (module FMTMEAS): the chain of SpacingEntry
// records (pool 2) that shares a measure's width out over its ticks, and the
// operations that build and edit one in place.
//
// Units: a spacing value (and a measure's stretch factor) is layout units per 4096
// ticks; a stretch of d ticks at value v is (d / 16) x v / 256 units wide, with the
// integer division at each step, because widths are stored in files. Before a
// justification an entry's value is its class word, (14 - DurationClass) x 256.
//
// A sound list has every link naming a live pool-2 record, every duration at least
// one tick, and positions rising without overlap; positions therefore never repeat,
// so a walk of a sound list ends. Every mutating operation checks the list first and
// frees a damaged one (the measure then falls back to its factor). Freeing goes
// through the pool, which ignores a record already free, so no entry is freed twice.
#pragma once

#include <cstdint>
#include <span>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/grid_records.h"
#include "layout/measure_spacing.h"

namespace ql {

struct ScoreDocument;

// ---- Units ----
constexpr int32_t kTicksPerSpacingStep = 16;
constexpr int32_t kSpacingUnity = 256;  // value / 256 units per 16 ticks
constexpr int32_t kTicksPerSpacingValue = kTicksPerSpacingStep * kSpacingUnity;  // 4096
// Stored spacing values and factors stay in this range.
constexpr int32_t kMinSpacingValue = 4;
constexpr int32_t kMaxSpacingValue = 65530;
// Stored measure widths stay in this range.
constexpr int32_t kMinMeasureWidth = 1;
constexpr int32_t kMaxMeasureWidth = 65530;
// A stretch shorter than this is never an entry of its own.
constexpr int32_t kMinSpanTicks = 2;

// ---- Duration classes ----
// DurationClass 0..13: log2 of the undotted value in ticks (12 whole note, 10
// quarter); 14 stands for "no class" (class word 0).
constexpr int kDurationClassCount = 14;
constexpr int kNoDurationClass = 14;
constexpr int kShortestTupletClass = 4;
constexpr int kClassWordShift = 8;
// Class word of the filler that covers a voice's silence: class 12.
constexpr int kFillerClass = 12;

constexpr uint16_t ClassWord(int durationClass) {
    return static_cast<uint16_t>((kNoDurationClass - durationClass) << kClassWordShift);
}
// The class of a class word; kNoDurationClass for a word whose class is outside 0..13.
constexpr int ClassOfWord(uint16_t word) {
    const int high = word >> kClassWordShift;
    return (high >= 1 && high <= kNoDurationClass) ? kNoDurationClass - high : kNoDurationClass;
}

// (ticks / 16) x value / 256, in 32 bits.
constexpr int32_t StretchWidth(int32_t ticks, int32_t value) {
    return (ticks / kTicksPerSpacingStep) * value / kSpacingUnity;
}
constexpr uint16_t ClampSpacingValue(int64_t value) {
    return static_cast<uint16_t>(value < kMinSpacingValue   ? kMinSpacingValue
                                 : value > kMaxSpacingValue ? kMaxSpacingValue
                                                            : value);
}
constexpr uint16_t ClampMeasureWidth(int64_t width) {
    return static_cast<uint16_t>(width < kMinMeasureWidth   ? kMinMeasureWidth
                                 : width > kMaxMeasureWidth ? kMaxMeasureWidth
                                                            : width);
}
// The width of a measure spaced by its factor alone.
inline uint16_t ProportionalWidth(const MeasureRecord& record) {
    return ClampMeasureWidth(StretchWidth(record.lengthTicks, record.stretch));
}

// ---- Entries ----

// The live pool-2 record a handle names in the current pool set, or null. Inline:
// list walks resolve a handle per entry.
inline SpacingEntry* SpacingEntryOf(RecordHandle handle) {
    return FindLiveRecord<SpacingEntry>(kSpacingEntryPool, handle);
}
// True when the list from `head` is sound (see above); an empty list is sound.
bool IsSpacingListSound(RecordHandle head);
// An entry of a list with its handle, as a walk of the list found it.
struct FoundSpacingEntry {
    RecordHandle handle;
    SpacingEntry* entry;
};
constexpr int kSpacingListDamaged = -1;
constexpr int kSpacingListLonger = -2;
// Checks the list from `head` as IsSpacingListSound does and, in the same walk, puts
// its entries in order at the front of `out`. Returns how many there are (0 for an
// empty list), kSpacingListDamaged when the list is not sound, or kSpacingListLonger
// when it has more entries than `out` holds (its soundness is then not known).
int FindSpacingEntries(RecordHandle head, std::span<FoundSpacingEntry> out);
// Frees every live entry of the list from `head` once and clears the handle.
void FreeSpacingList(RecordHandle& head);
// The same for a list dropped whole ahead of a re-spacing: the entries freed down
// the chain with one look-up of the pool (FreeRecordChain); the pool ends as
// FreeSpacingList leaves it.
void FreeWholeSpacingList(RecordHandle& head);
// Frees the record's list when it is not sound. True when the list is sound now.
bool DropDamagedSpacingList(MeasureRecord& record);
// Entries of a sound list.
int CountSpacingEntries(RecordHandle head);
// True when `entry` is one of the entries of the list from `head`.
bool IsEntryInList(RecordHandle head, RecordHandle entry);
// Frees a list that was detached from `record`, unless its first entry is part of the
// record's current list (the list was put back, or edited in place).
void FreeDetachedList(const MeasureRecord& record, RecordHandle detached);

// A new entry linked after `previous`, or at the head of the record's list when
// `previous` is null. Null when the pool is exhausted (reported once per operation).
SpacingEntry* InsertSpacingEntry(MeasureRecord& record, SpacingEntry* previous, int32_t time,
                                 int32_t ticks, uint16_t value);
// The entries of a list detached from its measure, handed out again in order before
// new ones are allocated: a measure respaced into as many entries as it had touches
// no pool bookkeeping. The reserve owns the entries it has not handed out and frees
// them when it goes; a damaged list (see above) is freed at once and nothing reused.
class SpacingEntryReserve {
  public:
    explicit SpacingEntryReserve(RecordHandle detached);
    ~SpacingEntryReserve();
    SpacingEntryReserve(const SpacingEntryReserve&) = delete;
    SpacingEntryReserve& operator=(const SpacingEntryReserve&) = delete;

    // As InsertSpacingEntry, taking the reserve's next entry while it has one.
    SpacingEntry* Append(MeasureRecord& record, SpacingEntry* previous, int32_t time, int32_t ticks,
                         uint16_t value);

  private:
    RecordHandle next_;  // the first entry not handed out yet
};
// One entry of a list built in memory before it is written: [time, time + ticks) at
// `value` (a class word or a spacing value).
struct SpacingPiece {
    int32_t time;
    int32_t ticks;
    uint16_t value;
};
// Makes the pieces (in order, without overlap) the record's list, written over the
// entries of its old list before new ones are allocated. False when the pool ran out:
// the list then holds the pieces written so far.
bool WriteSpacingPieces(MeasureRecord& record, std::span<const SpacingPiece> pieces);
// Splits an entry at a tick strictly inside it: the entry keeps [time, at), a new one
// with the same value takes [at, end). Null (entry unchanged) on exhaustion.
SpacingEntry* SplitSpacingEntry(SpacingEntry* entry, int32_t at);

// ---- Building and editing ----

// Merges one entry into a measure's list: where it overlaps, each part keeps the
// larger class word (the shorter value); parts in gaps or after the end are added.
// An entry shorter than 2 ticks is ignored. False when the pool ran out (the list is
// sound as far as it was built).
bool AddSpacingEntry(ScoreDocument* document, int measure, const SpacingEntry& entry);
// Removes every entry whose value equals `value`, and stores the new first handle.
void DropDefaultSpacingEntries(RecordHandle list, uint16_t value, MeasureRecord* record);
// Drops the list, resets the factor, and sets lead and trail from the document's
// metrics and the barlines (before a justification); they never shrink.
void ClearMeasureSpacing(ScoreDocument* document, int measure);

// ---- Reading ----

// x of a tick relative to the measure's first beat, as the beat map lays it out:
// each stretch (gap at the factor, entry at its value) adds (k x value) >> 8 for its
// k 16-tick steps.
int32_t SpacingTickX(const MeasureRecord& record, int32_t tick);
// SpacingTickX of each of the ascending `ticks` into `xs` (as many), in one walk of
// the list.
void SpacingTicksX(const MeasureRecord& record, std::span<const int32_t> ticks, std::span<int32_t> xs);
// The width of the ticks [start, start + ticks) under the list and the factor, each
// piece taken as StretchWidth.
int32_t SpanWidth(const MeasureRecord& record, int32_t start, int32_t ticks);

// ---- Pool exhaustion ----

// Brackets one spacing operation (nesting allowed): the low-memory report is shown
// at most once between the outermost construction and destruction.
class SpacingOperation {
  public:
    SpacingOperation();
    ~SpacingOperation();
    SpacingOperation(const SpacingOperation&) = delete;
    SpacingOperation& operator=(const SpacingOperation&) = delete;
};
// Called when a spacing entry could not be had.
void ReportSpacingExhausted();

}  // namespace ql
