// Giving one stretch of a measure its own spacing (SetSpanSpacing), and clearing a
// measure's spacing before a justification (ClearMeasureSpacing).
//
// SetSpanSpacing first fills every gap of the list with entries at the factor, so
// that the list covers the measure; then it splits the entries that straddle the
// span's bounds and rescales every entry inside by new / old. The effect is that the
// stretch grows from `old` to about `new` units while the rest of the measure keeps
// its spacing.
#include <algorithm>

#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/settings/preference_defaults.h"
#include "layout/spacing/spacing_list.h"

namespace ql {

namespace {

// Distances below this are too small to scale by.
constexpr int32_t kMinRescaleDistance = 32;

// Start kinds of the barline byte's high nibble that add leading space.
constexpr int kStartKindBetweenDouble = 1;
constexpr int kStartKindDouble = 2;
constexpr int kStartKindRepeat = 5;
constexpr int kStartKindBothRepeats = 7;
// Extra lead of a start repeat: room for its dots.
constexpr int32_t kRepeatDotsLead = 96;
// Barline types (low nibble of the next measure's barline byte) that end this
// measure with repeat dots, and so lengthen its trail.
constexpr int kBarlineEndRepeat = 6;
constexpr int kBarlineBothRepeats = 7;
constexpr int32_t kMaxMargin = 32767;

int32_t EndOf(const SpacingEntry& entry) {
    return static_cast<int32_t>(entry.time) + entry.ticksToNext;
}

SpacingEntry* Next(const SpacingEntry* entry) {
    return SpacingEntryOf(RecordHandle{entry->next});
}

// Covers [0, length) without holes: gaps take the factor.
bool FillSpacingGaps(MeasureRecord& record) {
    const int32_t length = record.lengthTicks;
    SpacingEntry* first = SpacingEntryOf(record.spacing);
    if (first == nullptr)
        return length < 1 ||
               InsertSpacingEntry(record, nullptr, 0, length, record.stretch) != nullptr;
    if (first->time > 0 &&
        InsertSpacingEntry(record, nullptr, 0, first->time, record.stretch) == nullptr)
        return false;
    SpacingEntry* entry = first;
    for (SpacingEntry* next = Next(entry); next != nullptr; entry = next, next = Next(entry)) {
        if (next->time > EndOf(*entry) &&
            InsertSpacingEntry(record, entry, EndOf(*entry), next->time - EndOf(*entry),
                               record.stretch) == nullptr)
            return false;
    }
    if (EndOf(*entry) < length &&
        InsertSpacingEntry(record, entry, EndOf(*entry), length - EndOf(*entry), record.stretch) ==
            nullptr)
        return false;
    return true;
}

uint16_t RescaleValue(uint16_t value, int32_t oldWidth, int32_t newWidth) {
    if (oldWidth < kMinRescaleDistance || newWidth < kMinRescaleDistance) return value;
    uint16_t scaled = ClampSpacingValue(static_cast<int64_t>(value) * newWidth / oldWidth);
    // A widening always changes the value, however small it is.
    if (scaled == value && newWidth > oldWidth && scaled < kMaxSpacingValue) ++scaled;
    return scaled;
}

// Splits the entries that straddle `start` or `end`, rescales the parts inside, and
// returns the last entry of the list (null for an empty list), or sets `failed`.
SpacingEntry* RescaleInside(MeasureRecord& record, int32_t start, int32_t end, int32_t oldWidth,
                            int32_t newWidth, bool& failed) {
    SpacingEntry* last = nullptr;
    failed = false;
    for (SpacingEntry* e = SpacingEntryOf(record.spacing); e != nullptr; e = Next(e)) {
        last = e;
        if (e->time < start && start < EndOf(*e)) {
            failed = SplitSpacingEntry(e, start) == nullptr;
            if (failed) break;
            continue;  // the part from `start` on comes next
        }
        if (e->time < end && end < EndOf(*e)) {
            failed = SplitSpacingEntry(e, end) == nullptr;
            if (failed) break;
        }
        if (e->time >= start && EndOf(*e) <= end)
            e->xPer16Ticks = RescaleValue(e->xPer16Ticks, oldWidth, newWidth);
    }
    return last;
}

int16_t RaisedMargin(int32_t before, int32_t fresh) {
    return static_cast<int16_t>(std::min(std::max(before, fresh), kMaxMargin));
}

}  // namespace

bool SetSpanSpacing(ScoreDocument* document, int measure, const SpacingEntry& span,
                    int32_t oldWidth, int32_t newWidth) {
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr || span.ticksToNext < kMinSpanTicks) return true;
    SpacingOperation operation;
    SetDocumentModified(document);
    DropDamagedSpacingList(*record);
    if (!FillSpacingGaps(*record)) return false;
    const int32_t start = span.time;
    const int32_t end = EndOf(span);
    bool failed = false;
    SpacingEntry* last = RescaleInside(*record, start, end, oldWidth, newWidth, failed);
    if (failed) return false;
    // What the list does not cover (past the measure's length) takes the span's value.
    const int32_t covered = last != nullptr ? EndOf(*last) : 0;
    if (covered < end) {
        const int32_t from = std::max(covered, start);
        if (InsertSpacingEntry(*record, last, from, end - from, span.xPer16Ticks) == nullptr)
            return false;
    }
    return true;
}

void ClearMeasureSpacing(ScoreDocument* document, int measure) {
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return;
    const int32_t leadBefore = record->lead;
    const int32_t trailBefore = record->trail;
    FreeWholeSpacingList(record->spacing);
    record->stretch = ProgramPreferences().DefaultStretchFactor;
    const int32_t a = EngravingMetricOf(*document, EngravingMetric::BetweenDouble);
    const int32_t b = EngravingMetricOf(*document, EngravingMetric::ThickBarline);
    const int32_t c = EngravingMetricOf(*document, EngravingMetric::BarLineWid);
    int32_t lead = EngravingMetricOf(*document, EngravingMetric::Beat0);
    int32_t trail = EngravingMetricOf(*document, EngravingMetric::BeatX);
    switch (SystemStartBarlineTypeOf(*record)) {
        case kStartKindBetweenDouble: lead += a; break;
        case kStartKindDouble: lead += a + b + c; break;
        case kStartKindRepeat:
        case kStartKindBothRepeats: lead += a + b + c + kRepeatDotsLead; break;
        default: break;
    }
    const MeasureRecord* next = MeasureRecordOf(document, measure + 1);
    if (next != nullptr &&
        (BarlineTypeOf(*next) == kBarlineEndRepeat || BarlineTypeOf(*next) == kBarlineBothRepeats))
        trail += c + c / 2 + b;
    record->lead = RaisedMargin(leadBefore, lead);
    record->trail = RaisedMargin(trailBefore, trail);
}

}  // namespace ql
