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
#include <cstdlib>
#include <utility>

#include "core/model/document.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "layout/measure_format.h"
#include "core/model/engraving_metrics.h"
#include "layout/spacing/spacing_list.h"
#include "layout/widths/width_support.h"
#include "shell/preference_defaults.h"

namespace ql {

namespace {

constexpr uint16_t kResetWidth = 256;
// A measure of this many ticks or more keeps its factor at 4096 / length or above.
constexpr int32_t kMinimumFactorLength = 512;
constexpr int32_t kMinRescaledValue = 8;
constexpr int32_t kMaxEntryTicks = 0xFFFF;

int32_t EndOf(const SpacingEntry& entry) {
    return static_cast<int32_t>(entry.time) + entry.ticksToNext;
}

struct ListTotals {
    int64_t ticks = 0;
    int64_t width = 0;
    bool hasFactorValue = false;
};

// Cuts the list after `entry` and frees what followed.
void CutAfter(SpacingEntry* entry) {
    RecordHandle rest{entry->next};
    entry->next = 0;
    FreeSpacingList(rest);
}

// Merges into `entry` the neighbours that touch it with the same value, and cuts the
// list where an entry starts at or after the length. False when the next link is
// damaged or overlaps.
bool TidyAfter(SpacingEntry* entry, int32_t length) {
    while (entry->next) {
        SpacingEntry* next = SpacingEntryOf(RecordHandle{entry->next});
        if (next == nullptr || next->ticksToNext == 0 || next->time < EndOf(*entry)) return false;
        if (next->time >= length) {
            CutAfter(entry);
            return true;
        }
        const int32_t merged = entry->ticksToNext + next->ticksToNext;
        if (next->time != EndOf(*entry) || next->xPer16Ticks != entry->xPer16Ticks ||
            merged > kMaxEntryTicks)
            return true;
        entry->ticksToNext = static_cast<uint16_t>(merged);
        const RecordHandle mergedAway{std::exchange(entry->next, next->next)};
        FreeRecordByHandle(kSpacingEntryPool, mergedAway);
    }
    return true;
}

// Walks and tidies the record's list; false when it is damaged.
bool TidyAndSum(MeasureRecord& record, ListTotals& totals) {
    const int32_t length = record.lengthTicks;
    SpacingEntry* entry = SpacingEntryOf(record.spacing);
    if (entry == nullptr || entry->ticksToNext == 0) return false;
    if (entry->time >= length) {
        FreeSpacingList(record.spacing);
        return true;
    }
    while (true) {
        if (!TidyAfter(entry, length)) return false;
        totals.ticks += entry->ticksToNext;
        totals.width += StretchWidth(entry->ticksToNext, entry->xPer16Ticks);
        totals.hasFactorValue = totals.hasFactorValue || entry->xPer16Ticks == record.stretch;
        const RecordHandle next{entry->next};
        if (!next) return true;
        entry = SpacingEntryOf(next);
        if (entry == nullptr) return false;  // a link to no live entry: the list is damaged
    }
}

uint16_t StoreWidth(MeasureRecord& record, int64_t width) {
    record.width = ClampMeasureWidth(width);
    return record.width;
}

uint16_t ClampFactor(int64_t factor) {
    return static_cast<uint16_t>(std::clamp<int64_t>(factor, 1, kMaxSpacingValue));
}

// No factor below max(1, 4096 / length) in a measure of 512 ticks or more; a raised
// factor sets the width from itself.
void ApplyMinimumFactor(MeasureRecord& record) {
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

void RescaleEntries(MeasureRecord& record, int32_t newWidth, int32_t oldWidth) {
    for (SpacingEntry* e = SpacingEntryOf(record.spacing); e != nullptr;
         e = SpacingEntryOf(RecordHandle{e->next})) {
        const int64_t value = static_cast<int64_t>(e->xPer16Ticks) * newWidth / oldWidth;
        e->xPer16Ticks =
            static_cast<uint16_t>(std::clamp<int64_t>(value, kMinRescaledValue, kMaxSpacingValue));
    }
}

}  // namespace

uint16_t MeasureWidth(ScoreDocument* document, int measure) {
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return 0;
    const int32_t length = record->lengthTicks;
    const int32_t base = StretchWidth(length, record->stretch);
    if (!record->spacing) return StoreWidth(*record, base);
    ListTotals totals;
    if (!TidyAndSum(*record, totals) || totals.ticks > length) {
        FreeSpacingList(record->spacing);
        return StoreWidth(*record, base);
    }
    const int64_t width =
        StretchWidth(length - static_cast<int32_t>(totals.ticks), record->stretch) + totals.width;
    if (totals.hasFactorValue) DropDefaultSpacingEntries(record->spacing, record->stretch, record);
    return StoreWidth(*record, width);
}

void SetMeasureWidth(ScoreDocument* document, ScoreView* view, int measure, int width) {
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return;
    SetDocumentModified(document);
    if (record->width == 0) ResetZeroWidth(document, view, measure);
    const int32_t oldWidth = std::max<int32_t>(record->width, kMinMeasureWidth);
    const int64_t newWidth = width;
    record->stretch = ClampFactor(newWidth * record->stretch / oldWidth);
    if (DropDamagedSpacingList(*record) && record->spacing) {
        ApplyMinimumFactor(*record);
        RescaleEntries(*record, width, oldWidth);
        MeasureWidth(document, measure);
    } else {
        record->width = ProportionalWidth(*record);
    }
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
    if (system == nullptr) return 0;
    int width = 0;
    for (int m = system->firstMeasure; m <= system->lastMeasure; ++m) {
        if (MeasureRecordOf(document, m) == nullptr) break;
        width = MeasureWidth(document, m);
    }
    return width;
}

}  // namespace ql
