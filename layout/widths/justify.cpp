// JustifySystem and the passes it shares with RespaceMeasure.
#include "layout/widths/justify.h"

#include <algorithm>
#include <vector>

#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "layout/measure_spacing.h"
#include "layout/widths/width_support.h"
#include "shell/preference_defaults.h"

namespace ql {

namespace {

constexpr int kShortestShiftBase = 12;  // a whole note is 2^12 ticks
constexpr int kLongestClass = kDurationClassCount - 1;
constexpr int32_t kMaxUnit = kMaxSpacingValue;
constexpr int kMaxPasses = 64;  // the ratio reaches the stop ratio long before

// r^(c - s) by repeated multiplication, for every class from s on.
void ClassWeights(double ratio, int shortest, double (&weights)[kDurationClassCount]) {
    double weight = 1.0;
    for (int c = shortest; c < kDurationClassCount; ++c) {
        weights[c] = weight;
        weight *= ratio;
    }
}

bool ShortestGetsEnough(int32_t integerUnit, int shortest) {
    if (shortest <= kShortestShiftBase)
        return (integerUnit >> (kShortestShiftBase - shortest)) >= kShortestNoteMinimum;
    return integerUnit * 2 >= kShortestNoteMinimum;
}

}  // namespace

void AddClassSums(const MeasureRecord& record, ClassSums& sums) {
    for (const SpacingEntry* e = SpacingEntryOf(record.spacing); e != nullptr;
         e = SpacingEntryOf(RecordHandle{e->next})) {
        const int c = ClassOfWord(e->xPer16Ticks);
        sums.shortest = std::min(sums.shortest, c);
        if (c < kNoDurationClass) sums.ticks[c] += e->ticksToNext;
    }
}

JustifyUnit RunJustificationPasses(const ClassSums& sums, int64_t target, double startRatio) {
    JustifyUnit result;
    const int s = sums.shortest;
    result.shortest = s;
    if (s >= kNoDurationClass) return result;
    double ratio = startRatio;
    for (int pass = 1; pass <= kMaxPasses; ++pass) {
        double weights[kDurationClassCount] = {};
        ClassWeights(ratio, s, weights);
        double d = static_cast<double>(sums.ticks[s]);
        for (int c = s + 1; c < kDurationClassCount; ++c)
            if (sums.ticks[c] != 0) d += static_cast<double>(sums.ticks[c]) * weights[c];
        if (d <= 0.0) return result;
        result.classed = true;
        result.unit = static_cast<double>(target) * kTicksPerSpacingValue / d;
        result.ratio = ratio;
        result.passes = pass;
        const int32_t integerUnit =
            static_cast<int32_t>(std::min<double>(result.unit, kMaxUnit));
        if (ShortestGetsEnough(integerUnit, s) || ratio <= kJustifyStopRatio) break;
        ratio -= kJustifyRatioStep;
    }
    return result;
}

uint16_t ClassValue(const JustifyUnit& unit, int durationClass) {
    double weights[kDurationClassCount] = {};
    const int c = std::clamp(durationClass, unit.shortest, kLongestClass);
    ClassWeights(unit.ratio, unit.shortest, weights);
    const double value = c == unit.shortest ? unit.unit : unit.unit * weights[c];
    return ClampSpacingValue(static_cast<int64_t>(std::min<double>(value, kMaxUnit)));
}

int MostCommonClass(const ClassCounts& counts, int shortest) {
    int best = -1;
    for (int c = 0; c < kDurationClassCount; ++c)
        if (counts.counts[c] > 0 && (best < 0 || counts.counts[c] > counts.counts[best])) best = c;
    return best >= 0 ? best : shortest;
}

void AssignClassValues(MeasureRecord& record, const JustifyUnit& unit) {
    uint16_t values[kDurationClassCount] = {};
    for (int c = unit.shortest; c < kDurationClassCount; ++c) values[c] = ClassValue(unit, c);
    for (SpacingEntry* e = SpacingEntryOf(record.spacing); e != nullptr;
         e = SpacingEntryOf(RecordHandle{e->next})) {
        const int c = ClassOfWord(e->xPer16Ticks);
        if (c < kNoDurationClass) e->xPer16Ticks = values[std::max(c, unit.shortest)];
    }
}

// ---- JustifySystem ----

namespace {

// The distance between the page's left and right margins, or 0 without a page.
int64_t MarginDistance(const ScoreView* view) {
    PageMargins margins;
    if (view->currentPage == nullptr || !GetPageMargins(view->currentPage, &margins)) return 0;
    const int64_t left = static_cast<int64_t>(kLogicalOrigin) + margins.logical[0];
    const int64_t right = static_cast<int64_t>(view->PageRight) - margins.logical[2];
    return std::max<int64_t>(right - left, 0);
}

// Steps 1-2: fresh lists for the measures of the system, the sum of their widths and
// the class counts. A measure whose notes cannot be read keeps its list and is left
// out (false in `collected`).
int64_t CollectSystem(ScoreView* view, ScoreSystem* system, ClassCounts& counts,
                      std::vector<bool>& collected) {
    ScoreDocument* document = view->document;
    int64_t total = 0;
    for (int m = system->firstMeasure; m <= system->lastMeasure; ++m) {
        MeasureRecord* record = MeasureRecordOf(document, m);
        if (record == nullptr) break;
        MoveViewLocation(view, system, 1, m);
        total += record->width;
        collected.push_back(CollectMeasureSpacing(view, m, &counts).valid);
    }
    return total;
}

}  // namespace

int JustifySystem(ScoreView* view, ScoreSystem* system) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || system == nullptr) return 1;
    SpacingOperation operation;
    ClassCounts counts;
    std::vector<bool> collected;
    const int64_t total = CollectSystem(view, system, counts, collected);
    const int64_t target = std::max(total, MarginDistance(view));
    ClassSums sums;
    for (size_t i = 0; i < collected.size(); ++i)
        if (collected[i]) AddClassSums(*MeasureRecordOf(document, system->firstMeasure + int(i)), sums);
    const JustifyUnit unit = RunJustificationPasses(sums, target, kJustifyStartRatio);
    const uint16_t factor = unit.classed
                                ? ClassValue(unit, MostCommonClass(counts, unit.shortest))
                                : ProgramPreferences().DefaultStretchFactor;
    for (size_t i = 0; i < collected.size(); ++i) {
        if (!collected[i]) continue;
        const int m = system->firstMeasure + static_cast<int>(i);
        MeasureRecord& record = *MeasureRecordOf(document, m);
        if (unit.classed)
            AssignClassValues(record, unit);
        else
            FreeSpacingList(record.spacing);  // class words are no spacing values
        record.stretch = factor;
        MeasureWidth(document, m);
    }
    SetDocumentModified(document);
    return 1;
}

}  // namespace ql
