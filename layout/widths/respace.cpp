// Respacing one measure after an edit (RespaceMeasure), the refresh the editors call
// (RefreshMeasureWidths) and the redraw of a respaced measure.
//
// RespaceMeasure builds a new list for the view's current measure from its notes and
// justifies it alone against its current width W, starting at the ratio
// 0.888 - 0.181 x (natural end / length): a full measure starts at 0.707, a half-full
// one at 0.7975, so an emptier measure spreads its notes more. Entries equal to the
// value V of the most common class are dropped (the factor stands for them). When the
// result would draw the same (the running x of every 16-tick step agrees above its
// low 8 bits with the old spacing), the old list is kept and nothing changes.
#include <algorithm>
#include <cstdlib>

#include "core/draw/colour_sets.h"
#include "core/draw/view_metrics.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "display/linked_views.h"
#include "layout/measure_format.h"
#include "layout/measure_spacing.h"
#include "layout/spacing/column_room.h"
#include "layout/widths/justify.h"
#include "layout/widths/width_support.h"
#include "notes/drawing/measure_redraw.h"

namespace ql {

namespace {

constexpr uint8_t kProportionalSpacing = 1;
// Widths that differ by this much or less count as unchanged.
constexpr int32_t kWidthSlack = 2;
constexpr int kRedrawInPlace = 1;
constexpr int kRedrawWhole = 0;

// True when adding a and b `steps` times each, the sums ever differ above their low
// 8 bits (that is, some 16-tick step would be drawn at another x).
bool RunningSumsDiffer(int64_t a, int64_t b, int32_t steps) {
    int64_t sumA = 0;
    int64_t sumB = 0;
    for (int32_t i = 0; i < steps; ++i) {
        sumA += a;
        sumB += b;
        if ((sumA >> 8) != (sumB >> 8)) return true;
    }
    return false;
}

bool ListsDrawDifferently(RecordHandle newList, RecordHandle oldList) {
    const SpacingEntry* a = SpacingEntryOf(newList);
    const SpacingEntry* b = SpacingEntryOf(oldList);
    for (; a != nullptr && b != nullptr;
         a = SpacingEntryOf(RecordHandle{a->next}), b = SpacingEntryOf(RecordHandle{b->next})) {
        if (a->time != b->time || a->ticksToNext != b->ticksToNext) return true;
        if (a->xPer16Ticks != b->xPer16Ticks &&
            RunningSumsDiffer(a->xPer16Ticks, b->xPer16Ticks, a->ticksToNext / kTicksPerSpacingStep))
            return true;
    }
    return a != nullptr || b != nullptr;
}

bool HasUnclassedEntry(const MeasureRecord& record) {
    for (const SpacingEntry* e = SpacingEntryOf(record.spacing); e != nullptr;
         e = SpacingEntryOf(RecordHandle{e->next}))
        if (ClassOfWord(e->xPer16Ticks) >= kNoDurationClass) return true;
    return false;
}

// Puts the old list back and frees the new one: the measure stays as it was.
int KeepOldList(MeasureRecord& record, RecordHandle old) {
    FreeSpacingList(record.spacing);
    record.spacing = old;
    return 0;
}

// Step 3: the spacing values of the new list; false when it cannot be justified.
bool SpaceNewList(MeasureRecord& record, const ClassCounts& counts, double ratio,
                  int32_t width, uint16_t& value) {
    if (State().layout.SpacingMode == kProportionalSpacing) {
        value = record.stretch;  // entries keep their class words
        return true;
    }
    if (HasUnclassedEntry(record)) return false;
    ClassSums sums;
    AddClassSums(record, sums);
    const JustifyUnit unit = RunJustificationPasses(sums, width, ratio);
    if (!unit.classed) return false;
    AssignClassValues(record, unit);
    value = ClassValue(unit, MostCommonClass(counts, unit.shortest));
    return true;
}

// Step 6: the factor after a change; a list that covers the whole measure with one
// entry (or nothing) is replaced by a factor that keeps the width.
void SetRespacedFactor(MeasureRecord& record, uint16_t value, int32_t width) {
    const int32_t length = record.lengthTicks;
    const SpacingEntry* first = SpacingEntryOf(record.spacing);
    if (first != nullptr && (first->time > 0 || first->ticksToNext < length)) {
        record.stretch = value;
        return;
    }
    if (length >= kTicksPerSpacingStep)
        record.stretch = ClampSpacingValue(static_cast<int64_t>(width) * kSpacingUnity /
                                           (length / kTicksPerSpacingStep));
    FreeSpacingList(record.spacing);
}

}  // namespace

int RespaceMeasure(ScoreView* view, bool freeOldList) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    const int measure = view != nullptr ? view->currentMeasure : 0;
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr || record->lengthTicks == 0) return 0;
    SpacingOperation operation;
    const int32_t width = record->width;
    const int32_t length = record->lengthTicks;
    DropDamagedSpacingList(*record);
    const RecordHandle old = record->spacing;
    record->spacing = RecordHandle{};
    ClassCounts counts;
    const CollectResult collected = CollectMeasureSpacing(view, measure, &counts);
    if (!collected.valid || !collected.complete || collected.naturalEnd == 0 || !record->spacing)
        return KeepOldList(*record, old);
    const double ratio = kRespaceStartBase -
                         kRespaceStartSlope * static_cast<double>(collected.naturalEnd) / length;
    uint16_t value = 0;
    if (!SpaceNewList(*record, counts, ratio, width, value)) return KeepOldList(*record, old);
    DropDefaultSpacingEntries(record->spacing, value, record);
    const bool changed = record->stretch != value
                             ? RunningSumsDiffer(value, record->stretch, length / kTicksPerSpacingStep)
                             : ListsDrawDifferently(record->spacing, old);
    if (!changed) return KeepOldList(*record, old);
    SetRespacedFactor(*record, value, width);
    int result = 1;
    const int32_t respaced = MeasureWidth(document, measure);
    if (State().layout.SpreadSpaceChanges != 0)
        result = 2;
    else if (std::abs(respaced - width) > kWidthSlack)
        SetMeasureWidth(document, view, measure, width);
    if (freeOldList) FreeDetachedList(*record, old);
    SetDocumentModified(document);
    return result;
}

namespace {

// Sets "SpreadSpaceChanges" for one scope.
class SpreadSetting {
  public:
    explicit SpreadSetting(bool spread) : saved_(State().layout.SpreadSpaceChanges) {
        State().layout.SpreadSpaceChanges = spread ? 1 : 0;
    }
    ~SpreadSetting() { State().layout.SpreadSpaceChanges = saved_; }
    SpreadSetting(const SpreadSetting&) = delete;
    SpreadSetting& operator=(const SpreadSetting&) = delete;

  private:
    uint8_t saved_;
};

}  // namespace

bool KeepEditedColumnsApart(ScoreView* view, int measure, bool redraw) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    const int32_t width = record != nullptr ? record->width : 0;
    if (record == nullptr || !KeepColumnsApart(document, measure)) return false;
    // Only the measures of its system give a widened measure room.
    if (record->width > width + kWidthSlack && view->currentPage != nullptr)
        PlaceSystemInMargins(view, view->currentPage, view->currentSystem);
    if (redraw) RedrawRespacedMeasure(view, RecordHandle{}, record->stretch, kRedrawWhole);
    return true;
}

int RefreshMeasureWidths(ScoreView* view, bool spread, bool redraw) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    const int measure = view != nullptr ? view->currentMeasure : 0;
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return 0;
    SpreadSetting setting(spread);
    DropDamagedSpacingList(*record);
    const RecordHandle oldList = record->spacing;
    const uint16_t oldFactor = record->stretch;
    const int32_t oldWidth = record->width;
    int result = RespaceMeasure(view, false);
    if (State().program.SpaceAccidentals != 0) {
        ViewLocationScope location(view);
        if (result != 0) RebuildMeasureSlot(view, measure);
        if (FitMeasure(view, view->currentSystem, measure, true)) result += spread ? 2 : 1;
    }
    if (redraw && result != 0) {
        const int32_t width = RebuildMeasureSlot(view, measure);
        if (oldWidth > 0 && std::abs(width - oldWidth) > kWidthSlack)
            SetMeasureWidth(document, view, measure, oldWidth);
        RedrawRespacedMeasure(view, oldList, oldFactor, kRedrawInPlace);
        return 1;
    }
    FreeDetachedList(*record, oldList);
    return result;
}

void RedrawRespacedMeasure(ScoreView* view, RecordHandle oldList, uint16_t oldFactor, int mode) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    const int measure = view != nullptr ? view->currentMeasure : 0;
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return;
    RecordHandle old = oldList;
    if (mode == kRedrawInPlace && !IsEntryInList(record->spacing, old)) {
        const RecordHandle newList = record->spacing;
        const uint16_t newFactor = record->stretch;
        record->spacing = old;
        record->stretch = oldFactor;
        RebuildMeasureSlot(view, measure);
        old = record->spacing;  // the rebuild may have tidied the old list
        BeginSelectionDraw(view);
        RedrawMeasureOnAllStaves(view);
        EndHighlightDraw(view);
        record->spacing = newList;
        record->stretch = newFactor;
        RebuildMeasureSlot(view, measure);
        RedrawMeasureNotesOnAllStaves(view);
    } else if (mode != kRedrawInPlace) {
        BuildBeatMapsOnLinkedViews(view, 0);
        InvalidateLinkedViews(view);
        SetViewScrollRanges(view);
    }
    FreeDetachedList(*record, old);
}

}  // namespace ql
