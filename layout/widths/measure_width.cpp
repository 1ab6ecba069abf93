// The width of one measure from its record and spacing list (MeasureWidth), and the
// operations that set a width (SetMeasureWidth, AdjustMeasureWidth,
// ResetMeasureSpacing, BuildMeasureSpacing, RefreshSystemMeasureWidths).
//
// MeasureWidth: base = (length / 16) x factor / 256. Walking the list, it sums the
// covered ticks T and the entries' widths S: an entry at or after the length ends
// the list there (the rest is freed); neighbours that touch with one value become one
// entry; an overlap (or a link that does not resolve) frees the whole list and the
// base is the width. With T above the length the list is freed too. Otherwise the
// width is ((length - T) / 16) x factor / 256 + S, and entries equal to the factor
// are dropped, since the factor stands for them. Example: length 2048, factor 2816,
// one entry 0..1024 at 5632: ((2048 - 1024) / 16) x 2816 / 256 + 64 x 5632 / 256 =
// 704 + 1408 = 2112.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "layout/measure_format.h"
#include "layout/spacing/spacing_list.h"
#include "layout/widths/measure_width.h"
#include "layout/widths/width_support.h"

namespace ql {

namespace {

constexpr uint16_t kResetWidth = 256;
// A measure of this many ticks or more keeps its factor at 4096 / length or above.
constexpr int32_t kMinimumFactorLength = 512;
constexpr int32_t kMinRescaledValue = 8;
constexpr int32_t kMaxEntryTicks = 0xFFFF;

// What MeasureWidth makes of a list, entry by entry in order (the caller checks the
// links): neighbours that touch with one value become one entry while it stays within
// 0xFFFF ticks, an entry starting at or after the length cuts the list there, and
// each entry, once nothing more merges into it, adds its ticks and width to the
// totals. The width of a merged entry is taken whole, as it is stored.
class ListTally {
  public:
    enum class Step { Open, Merge, Cut };

    explicit ListTally(const MeasureRecord& record)
        : length_(record.lengthTicks), factor_(record.stretch) {}

    Step Next(int32_t time, int32_t ticks, uint16_t value) {
        if (time >= length_) {
            Close();
            return Step::Cut;
        }
        if (open_ && time == OpenEnd() && value == value_ && ticks_ + ticks <= kMaxEntryTicks) {
            ticks_ += ticks;
            return Step::Merge;
        }
        Close();
        open_ = true;
        time_ = time;
        ticks_ = ticks;
        value_ = value;
        return Step::Open;
    }
    // Where the entry being merged into ends (0 before the first).
    int32_t OpenEnd() const { return open_ ? time_ + ticks_ : 0; }
    int32_t OpenTicks() const { return ticks_; }
    // Ends the entry being merged into.
    void Close() {
        if (!open_) return;
        open_ = false;
        ticks_total_ += ticks_;
        width_ += StretchWidth(ticks_, value_);
        hasFactorValue_ = hasFactorValue_ || value_ == factor_;
    }
    // After Close: whether the entries fit in the measure, the width they give it, and
    // whether one of them has the factor's value (the factor then stands for it).
    bool Fits() const { return ticks_total_ <= length_; }
    int64_t Width() const {
        return StretchWidth(length_ - static_cast<int32_t>(ticks_total_), factor_) + width_;
    }
    bool HasFactorValue() const { return hasFactorValue_; }

  private:
    int32_t length_;
    uint16_t factor_;
    bool open_ = false;
    int32_t time_ = 0;
    int32_t ticks_ = 0;
    uint16_t value_ = 0;
    int64_t ticks_total_ = 0;
    int64_t width_ = 0;
    bool hasFactorValue_ = false;
};

// Cuts the list after `entry` and frees what followed.
void CutAfter(SpacingEntry* entry) {
    RecordHandle rest{entry->next};
    entry->next = 0;
    FreeSpacingList(rest);
}

// The entries of a list found beforehand (FindSpacingEntries), handed out in their
// order to a walk of the list; a handle out of that order is looked up in the pool.
class FoundEntries {
  public:
    explicit FoundEntries(std::span<const FoundSpacingEntry> found) : found_(found) {}
    SpacingEntry* Find(RecordHandle handle) {
        if (next_ < found_.size() && found_[next_].handle == handle) return found_[next_++].entry;
        return SpacingEntryOf(handle);
    }

  private:
    std::span<const FoundSpacingEntry> found_;
    size_t next_ = 0;
};

// Walks and tidies the record's list into the tally; false when it is damaged (a
// link to no live entry, an empty entry or an overlap). `entries` resolves the
// handles (PoolResolver or FoundEntries).
template <typename Entries>
bool TidyAndSum(MeasureRecord& record, ListTally& tally, Entries& entries) {
    SpacingEntry* open = nullptr;
    RecordHandle h = record.spacing;
    while (h) {
        SpacingEntry* entry = entries.Find(h);
        if (entry == nullptr || entry->ticksToNext == 0 || entry->time < tally.OpenEnd()) return false;
        switch (tally.Next(entry->time, entry->ticksToNext, entry->xPer16Ticks)) {
            case ListTally::Step::Cut:
                if (open != nullptr)
                    CutAfter(open);
                else
                    FreeSpacingList(record.spacing);
                return true;
            case ListTally::Step::Merge:
                open->ticksToNext = static_cast<uint16_t>(tally.OpenTicks());
                open->next = entry->next;
                FreeRecordByHandle(kSpacingEntryPool, h);
                h = RecordHandle{open->next};
                break;
            case ListTally::Step::Open:
                open = entry;
                h = RecordHandle{entry->next};
                break;
        }
    }
    tally.Close();
    return true;
}

uint16_t StoreWidth(MeasureRecord& record, int64_t width) {
    record.width = ClampMeasureWidth(width);
    return record.width;
}

// Stores the width the factor alone gives.
uint16_t StoreFactorWidth(MeasureRecord& record) {
    return StoreWidth(record, StretchWidth(record.lengthTicks, record.stretch));
}

uint16_t ClampFactor(int64_t factor) {
    return static_cast<uint16_t>(std::clamp<int64_t>(factor, 1, kMaxSpacingValue));
}

// No factor below max(1, 4096 / length) in a measure of 512 ticks or more; a raised
// factor sets the width from itself.
void ApplyMinimumFactor(MeasureRecord& record) {
    // No minimum is above 4096 / 512.
    if (record.stretch >= kTicksPerSpacingValue / kMinimumFactorLength) return;
    const int32_t length = record.lengthTicks;
    if (length < kMinimumFactorLength) return;
    const int32_t minimum = std::max(1, kTicksPerSpacingValue / length);
    if (record.stretch >= minimum) return;
    record.stretch = static_cast<uint16_t>(minimum);
    record.width = ProportionalWidth(record);
}

// A measure of width 0: the default spacing for it, or in page view for every
// measure of its system.
void ResetZeroWidth(ScoreDocument* document, ScoreView* view, int measure) {
    MeasureRecord& record = *MeasureRecordOf(document, measure);
    record.width = kResetWidth;
    record.lead = std::max<int16_t>(
        record.lead, static_cast<int16_t>(EngravingMetricOf(*document, EngravingMetric::Beat0)));
    record.trail = std::max<int16_t>(
        record.trail, static_cast<int16_t>(EngravingMetricOf(*document, EngravingMetric::BeatX)));
    record.extra = 0;
    FreeSpacingList(record.spacing);
    const ScoreSystem* system = IsPageViewOf(view, document)
                                    ? FindSystemOfMeasure(view->currentPage, measure)
                                    : nullptr;
    const int first = system != nullptr ? system->firstMeasure : measure;
    const int last = system != nullptr ? system->lastMeasure : measure;
    const uint16_t factor = ProgramPreferences().DefaultStretchFactor;
    for (int m = first; m <= last; ++m) {
        MeasureRecord* each = MeasureRecordOf(document, m);
        if (each == nullptr) break;
        each->stretch = factor;
        each->width = ProportionalWidth(*each);
    }
}

void RescaleEntry(SpacingEntry& entry, int32_t newWidth, int32_t oldWidth) {
    const int64_t value = static_cast<int64_t>(entry.xPer16Ticks) * newWidth / oldWidth;
    entry.xPer16Ticks = static_cast<uint16_t>(std::clamp<int64_t>(value, kMinRescaledValue, kMaxSpacingValue));
}

void RescaleEntries(MeasureRecord& record, int32_t newWidth, int32_t oldWidth) {
    const PoolResolver<SpacingEntry> entries(kSpacingEntryPool);
    for (SpacingEntry* e = entries.Find(record.spacing); e != nullptr; e = entries.Find(RecordHandle{e->next}))
        RescaleEntry(*e, newWidth, oldWidth);
}

// MeasureWidth of a record whose list is not empty, its handles resolved by `entries`.
template <typename Entries>
uint16_t SettleStoredList(MeasureRecord& record, Entries& entries) {
    ListTally tally(record);
    if (!TidyAndSum(record, tally, entries) || !tally.Fits()) {
        FreeSpacingList(record.spacing);
        return StoreFactorWidth(record);
    }
    if (tally.HasFactorValue()) DropDefaultSpacingEntries(record.spacing, record.stretch, &record);
    return StoreWidth(record, tally.Width());
}

// Entries a list may have for SetMeasureWidth to rescale and tidy it from one walk;
// a longer list is walked once for each step.
constexpr size_t kEntriesFoundAtOnce = 64;

// SetMeasureWidth's scaling of a list: the list checked (a damaged one is freed and
// the factor gives the width), the minimum factor applied, each value scaled by
// newWidth / oldWidth and the list tidied into the width.
void RescaleList(MeasureRecord& record, int32_t newWidth, int32_t oldWidth) {
    if (!record.spacing) {
        record.width = ProportionalWidth(record);
        return;
    }
    std::array<FoundSpacingEntry, kEntriesFoundAtOnce> found;
    const int count = FindSpacingEntries(record.spacing, found);
    if (count == kSpacingListLonger) {
        if (DropDamagedSpacingList(record) && record.spacing) {
            ApplyMinimumFactor(record);
            RescaleEntries(record, newWidth, oldWidth);
            PoolResolver<SpacingEntry> entries(kSpacingEntryPool);
            SettleStoredList(record, entries);
            return;
        }
    } else if (count > 0) {
        const std::span<const FoundSpacingEntry> list(found.data(), static_cast<size_t>(count));
        ApplyMinimumFactor(record);
        for (const FoundSpacingEntry& e : list) RescaleEntry(*e.entry, newWidth, oldWidth);
        FoundEntries entries(list);
        SettleStoredList(record, entries);
        return;
    } else if (count == kSpacingListDamaged) {
        FreeSpacingList(record.spacing);
    }
    record.width = ProportionalWidth(record);
}

}  // namespace

uint16_t MeasureWidth(ScoreDocument* document, int measure) {
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return 0;
    if (!record->spacing) return StoreFactorWidth(*record);
    const PoolResolver<SpacingEntry> entries(kSpacingEntryPool);
    return SettleStoredList(*record, entries);
}

size_t SettleMeasurePieces(MeasureRecord& record, std::span<SpacingPiece> pieces) {
    ListTally tally(record);
    size_t kept = 0;
    for (const SpacingPiece& piece : pieces) {
        const ListTally::Step step = tally.Next(piece.time, piece.ticks, piece.value);
        if (step == ListTally::Step::Cut) break;
        if (step == ListTally::Step::Merge)
            pieces[kept - 1].ticks = tally.OpenTicks();
        else
            pieces[kept++] = piece;
    }
    tally.Close();
    if (!tally.Fits()) {
        StoreFactorWidth(record);
        return 0;
    }
    if (tally.HasFactorValue()) {
        const auto dropped = std::remove_if(pieces.begin(), pieces.begin() + static_cast<std::ptrdiff_t>(kept),
                                            [&](const SpacingPiece& p) { return p.value == record.stretch; });
        kept = static_cast<size_t>(dropped - pieces.begin());
    }
    StoreWidth(record, tally.Width());
    return kept;
}

void SetMeasureWidth(ScoreDocument* document, ScoreView* view, int measure, int width) {
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return;
    SetDocumentModified(document);
    if (record->width == 0) ResetZeroWidth(document, view, measure);
    const int32_t oldWidth = std::max<int32_t>(record->width, kMinMeasureWidth);
    const int64_t newWidth = width;
    record->stretch = ClampFactor(newWidth * record->stretch / oldWidth);
    RescaleList(*record, width, oldWidth);
    ApplyMinimumFactor(*record);
}

int AdjustMeasureWidth(ScoreView* view, int measure, int delta) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return 0;
    const int target = record->width + delta;
    if (target < kMinMeasureWidth) return 0;
    SetMeasureWidth(document, view, measure, target);
    return target - record->width;
}

void ResetMeasureSpacing(ScoreDocument* document, ScoreView* view, int measure, int width) {
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return;
    record->width = ClampMeasureWidth(width);
    SetDocumentModified(document);
    if (!IsPageViewOf(view, document)) return;
    ScoreSystem* system = FindSystemOfMeasure(view->currentPage, measure);
    if (system != nullptr) PlaceSystemInMargins(view, view->currentPage, system);
}

void BuildMeasureSpacing(ScoreDocument* document, int measure, const SpacingEntry* column) {
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr || column == nullptr) return;
    DropDamagedSpacingList(*record);
    const int32_t oldWidth = SpanWidth(*record, column->time, column->ticksToNext);
    const int32_t newWidth = StretchWidth(column->ticksToNext, column->xPer16Ticks);
    SetSpanSpacing(document, measure, *column, oldWidth, newWidth);
}

int RefreshSystemMeasureWidths(ScoreDocument* document, ScoreSystem* system) {
    MeasureRecord* first = system != nullptr ? MeasureRecordOf(document, system->firstMeasure) : nullptr;
    if (first == nullptr) return 0;
    // The measures' records lie in one run of the table, and one resolver serves
    // every list (MeasureWidth allocates nothing).
    const int last = std::min<int>(system->lastMeasure, MaxMeasures - 1);
    const PoolResolver<SpacingEntry> entries(kSpacingEntryPool);
    int width = 0;
    for (MeasureRecord* record = first; record <= first + (last - system->firstMeasure); ++record)
        width = record->spacing ? SettleStoredList(*record, entries) : StoreFactorWidth(*record);
    return width;
}

}  // namespace ql
