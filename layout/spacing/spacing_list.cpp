// Spacing-list records: resolving, checking, freeing, linking and splitting
// entries, merging one entry into a list, and reading x and widths from a list.
#include "layout/spacing/spacing_list.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/model_reports.h"
#include "core/state.h"

namespace ql {

namespace {

// Source line of the low-memory report of the spacing code.
constexpr int kSpacingReportLine = 1420;
constexpr int32_t kMaxTick = 0xFFFF;
// Positions of a sound list rise, so it has at most one entry per tick; walks that
// may meet an unchecked list stop here.
constexpr int kMaxSpacingEntries = kMaxTick + 1;

RecordHandle HandleOfEntry(const SpacingEntry* entry) {
    return PtrToHandle(kSpacingEntryPool, entry);
}

int32_t EndOf(const SpacingEntry& entry) {
    return static_cast<int32_t>(entry.time) + entry.ticksToNext;
}

}  // namespace

// ---- Exhaustion ----

SpacingOperation::SpacingOperation() {
    LayoutGlobals& layout = State().layout;
    if (layout.SpacingDepth++ == 0) layout.SpacingReportsAtStart = LowMemoryReportCount();
}

SpacingOperation::~SpacingOperation() {
    --State().layout.SpacingDepth;
}

void ReportSpacingExhausted() {
    LayoutGlobals& layout = State().layout;
    if (layout.SpacingDepth > 0 && LowMemoryReportCount() != layout.SpacingReportsAtStart) return;
    ReportLowMemory("FMTMEAS", kSpacingReportLine);
}

// ---- Entries ----

namespace {

// Walks the list from `head` while it is sound, handing each entry to `visit` until
// it returns false; `find` resolves a handle as SpacingEntryOf does. True when the
// walk reached the end of a sound list.
template <typename Find, typename Visit>
bool WalkSoundList(RecordHandle head, Find find, Visit visit) {
    int32_t end = 0;
    for (RecordHandle h = head; h;) {
        SpacingEntry* entry = find(h);
        if (entry == nullptr || entry->ticksToNext == 0 || entry->time < end) return false;
        if (!visit(h, entry)) return false;
        end = EndOf(*entry);
        h = RecordHandle{entry->next};
    }
    return true;
}

}  // namespace

bool IsSpacingListSound(RecordHandle head) {
    return WalkSoundList(head, SpacingEntryOf, [](RecordHandle, SpacingEntry*) { return true; });
}

int FindSpacingEntries(RecordHandle head, std::span<FoundSpacingEntry> out) {
    size_t count = 0;
    bool longer = false;
    const PoolResolver<SpacingEntry> entries(kSpacingEntryPool);
    const auto find = [&entries](RecordHandle h) { return entries.Find(h); };
    const bool sound = WalkSoundList(head, find, [&](RecordHandle h, SpacingEntry* entry) {
        if (count == out.size()) {
            longer = true;
            return false;
        }
        out[count++] = {h, entry};
        return true;
    });
    if (longer) return kSpacingListLonger;
    return sound ? static_cast<int>(count) : kSpacingListDamaged;
}

void FreeSpacingList(RecordHandle& head) {
    RecordHandle h = head;
    head = RecordHandle{};
    // A loop comes back to an entry already freed, which no longer resolves.
    while (SpacingEntry* entry = SpacingEntryOf(h)) {
        const RecordHandle freed = std::exchange(h, RecordHandle{entry->next});
        FreeRecordByHandle(kSpacingEntryPool, freed);
    }
}

void FreeWholeSpacingList(RecordHandle& head) {
    FreeRecordChain(kSpacingEntryPool, std::exchange(head, RecordHandle{}), offsetof(SpacingEntry, next));
}

bool DropDamagedSpacingList(MeasureRecord& record) {
    if (IsSpacingListSound(record.spacing)) return true;
    FreeSpacingList(record.spacing);
    return false;
}

int CountSpacingEntries(RecordHandle head) {
    int count = 0;
    for (const SpacingEntry* e = SpacingEntryOf(head); e != nullptr && count < kMaxSpacingEntries;
         e = SpacingEntryOf(RecordHandle{e->next}))
        ++count;
    return count;
}

bool IsEntryInList(RecordHandle head, RecordHandle entry) {
    if (!entry) return false;
    RecordHandle h = head;
    for (int i = 0; i < kMaxSpacingEntries && h; ++i) {
        if (h == entry) return true;
        const SpacingEntry* e = SpacingEntryOf(h);
        if (e == nullptr) return false;
        h = RecordHandle{e->next};
    }
    return false;
}

void FreeDetachedList(const MeasureRecord& record, RecordHandle detached) {
    if (IsEntryInList(record.spacing, detached)) return;
    FreeSpacingList(detached);
}

namespace {

// Fills `entry` (whose handle is `self`) and links it after `previous`, or at the
// head of the record's list when `previous` is null.
SpacingEntry* LinkSpacingEntry(MeasureRecord& record, SpacingEntry* previous, SpacingEntry* entry,
                               RecordHandle self, int32_t time, int32_t ticks, uint16_t value) {
    *entry = SpacingEntry{};
    entry->time = static_cast<uint16_t>(std::clamp(time, 0, kMaxTick));
    entry->ticksToNext = static_cast<uint16_t>(std::clamp(ticks, 0, kMaxTick));
    entry->xPer16Ticks = value;
    if (previous == nullptr) {
        entry->next = record.spacing.bits;
        record.spacing = self;
    } else {
        entry->next = previous->next;
        previous->next = self.bits;
    }
    return entry;
}

}  // namespace

SpacingEntry* InsertSpacingEntry(MeasureRecord& record, SpacingEntry* previous, int32_t time,
                                 int32_t ticks, uint16_t value) {
    RecordHandle self;
    auto* entry = static_cast<SpacingEntry*>(AllocRecordWithHandle(kSpacingEntryPool, &self));
    if (entry == nullptr) {
        ReportSpacingExhausted();
        return nullptr;
    }
    return LinkSpacingEntry(record, previous, entry, self, time, ticks, value);
}

// ---- Reusing a detached list ----

SpacingEntryReserve::SpacingEntryReserve(RecordHandle detached) : next_(detached) {
    // Only a sound list is walked entry by entry; a damaged one may loop.
    if (!IsSpacingListSound(next_)) FreeSpacingList(next_);
}

SpacingEntryReserve::~SpacingEntryReserve() {
    FreeSpacingList(next_);
}

SpacingEntry* SpacingEntryReserve::Append(MeasureRecord& record, SpacingEntry* previous, int32_t time,
                                          int32_t ticks, uint16_t value) {
    SpacingEntry* kept = SpacingEntryOf(next_);
    if (kept == nullptr) return InsertSpacingEntry(record, previous, time, ticks, value);
    const RecordHandle self = next_;
    next_ = RecordHandle{kept->next};
    return LinkSpacingEntry(record, previous, kept, self, time, ticks, value);
}

bool WriteSpacingPieces(MeasureRecord& record, std::span<const SpacingPiece> pieces) {
    SpacingEntryReserve reserve(std::exchange(record.spacing, RecordHandle{}));
    SpacingEntry* last = nullptr;
    for (const SpacingPiece& piece : pieces) {
        last = reserve.Append(record, last, piece.time, piece.ticks, piece.value);
        if (last == nullptr) return false;
    }
    return true;
}

SpacingEntry* SplitSpacingEntry(SpacingEntry* entry, int32_t at) {
    const int32_t end = EndOf(*entry);
    auto* tail = AllocRecordAs<SpacingEntry>(kSpacingEntryPool);
    if (tail == nullptr) {
        ReportSpacingExhausted();
        return nullptr;
    }
    tail->time = static_cast<uint16_t>(at);
    tail->ticksToNext = static_cast<uint16_t>(end - at);
    tail->xPer16Ticks = entry->xPer16Ticks;
    tail->next = entry->next;
    entry->next = HandleOfEntry(tail).bits;
    entry->ticksToNext = static_cast<uint16_t>(at - entry->time);
    return tail;
}

// ---- Merging ----

namespace {

// The part [start, end) of a new entry meets `current`, which overlaps it: the part
// before `current` goes into the gap, `current` is split at the part's bounds and
// its overlapped piece keeps the larger word. Returns the piece, or null on
// exhaustion; `start` moves to the piece's end.
SpacingEntry* MergeOverlap(MeasureRecord& record, SpacingEntry* previous, SpacingEntry* current,
                           int32_t& start, int32_t end, uint16_t word) {
    if (start < current->time) {
        if (InsertSpacingEntry(record, previous, start, current->time - start, word) == nullptr)
            return nullptr;
        start = current->time;
    }
    if (start > current->time) {
        current = SplitSpacingEntry(current, start);
        if (current == nullptr) return nullptr;
    }
    if (end < EndOf(*current) && SplitSpacingEntry(current, end) == nullptr) return nullptr;
    current->xPer16Ticks = std::max(current->xPer16Ticks, word);
    start = EndOf(*current);
    return current;
}

}  // namespace

bool AddSpacingEntry(ScoreDocument* document, int measure, const SpacingEntry& entry) {
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr || entry.ticksToNext < kMinSpanTicks) return true;
    DropDamagedSpacingList(*record);
    int32_t start = entry.time;
    const int32_t end = EndOf(entry);
    const uint16_t word = entry.xPer16Ticks;
    SpacingEntry* previous = nullptr;
    SpacingEntry* current = SpacingEntryOf(record->spacing);
    while (start < end) {
        if (current == nullptr || end <= current->time) {
            SpacingEntry* gap = InsertSpacingEntry(*record, previous, start, end - start, word);
            return gap != nullptr;
        }
        if (start >= EndOf(*current)) {
            previous = current;
            current = SpacingEntryOf(RecordHandle{current->next});
            continue;
        }
        previous = MergeOverlap(*record, previous, current, start, end, word);
        if (previous == nullptr) return false;
        current = SpacingEntryOf(RecordHandle{previous->next});
    }
    return true;
}

void DropDefaultSpacingEntries(RecordHandle list, uint16_t value, MeasureRecord* record) {
    RecordHandle first{};
    SpacingEntry* kept = nullptr;
    RecordHandle h = list;
    for (int i = 0; i < kMaxSpacingEntries; ++i) {
        SpacingEntry* entry = SpacingEntryOf(h);
        if (entry == nullptr) break;
        RecordHandle next{entry->next};
        if (entry->xPer16Ticks == value) {
            FreeRecordByHandle(kSpacingEntryPool, h);
        } else {
            if (kept == nullptr)
                first = h;
            else
                kept->next = h.bits;
            kept = entry;
        }
        h = next;
    }
    if (kept != nullptr) kept->next = 0;
    if (record != nullptr) record->spacing = first;
}

// ---- Reading ----

namespace {

// Calls piece(start, ticks, value) for the gaps (at the factor) and the entries of a
// sound list, in order, up to the measure length.
template <typename Piece>
void ForEachStretch(const MeasureRecord& record, Piece piece) {
    const int32_t length = record.lengthTicks;
    int32_t at = 0;
    int walked = 0;
    for (const SpacingEntry* e = SpacingEntryOf(record.spacing);
         e != nullptr && at < length && walked < kMaxSpacingEntries;
         e = SpacingEntryOf(RecordHandle{e->next}), ++walked) {
        if (e->time > at) piece(at, e->time - at, record.stretch);
        const int32_t start = std::max<int32_t>(at, e->time);
        if (EndOf(*e) > start) piece(start, EndOf(*e) - start, e->xPer16Ticks);
        at = std::max(at, EndOf(*e));
    }
    if (at < length) piece(at, length - at, record.stretch);
}

}  // namespace

int32_t SpacingTickX(const MeasureRecord& record, int32_t tick) {
    int32_t x = 0;
    bool done = false;
    ForEachStretch(record, [&](int32_t start, int32_t ticks, int32_t value) {
        if (done) return;
        // Steps counted on the 16-tick grid, as the beat map fills its entries.
        const int32_t steps =
            std::min(tick, start + ticks) / kTicksPerSpacingStep - start / kTicksPerSpacingStep;
        if (steps > 0) x += steps * value / kSpacingUnity;
        done = tick <= start + ticks;
    });
    return x;
}

void SpacingTicksX(const MeasureRecord& record, std::span<const int32_t> ticks, std::span<int32_t> xs) {
    size_t next = 0;  // the first tick not yet told
    int32_t x = 0;    // at the start of the stretch
    ForEachStretch(record, [&](int32_t start, int32_t length, int32_t value) {
        const int32_t end = start + length;
        for (; next < ticks.size() && ticks[next] <= end; ++next) {
            const int32_t steps = ticks[next] / kTicksPerSpacingStep - start / kTicksPerSpacingStep;
            xs[next] = x + (steps > 0 ? steps * value / kSpacingUnity : 0);
        }
        const int32_t steps = end / kTicksPerSpacingStep - start / kTicksPerSpacingStep;
        if (steps > 0) x += steps * value / kSpacingUnity;
    });
    for (; next < ticks.size(); ++next) xs[next] = x;
}

int32_t SpanWidth(const MeasureRecord& record, int32_t start, int32_t ticks) {
    const int32_t end = start + ticks;
    int32_t width = 0;
    ForEachStretch(record, [&](int32_t from, int32_t length, int32_t value) {
        const int32_t a = std::max(from, start);
        const int32_t b = std::min(from + length, end);
        if (b > a) width += StretchWidth(b - a, value);
    });
    return width;
}

}  // namespace ql
