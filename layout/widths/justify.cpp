// JustifySystem and the passes it shares with RespaceMeasure.
#include "layout/widths/justify.h"

#include <algorithm>
#include <vector>

#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "layout/measure_spacing.h"
#include "layout/widths/measure_width.h"
#include "layout/widths/width_support.h"

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

namespace {

void AddClassOfWord(uint16_t word, int32_t ticks, ClassSums& sums) {
    const int c = ClassOfWord(word);
    sums.shortest = std::min(sums.shortest, c);
    if (c < kNoDurationClass) sums.ticks[c] += ticks;
}

}  // namespace

void AddClassSums(const MeasureRecord& record, ClassSums& sums) {
    for (const SpacingEntry* e = SpacingEntryOf(record.spacing); e != nullptr;
         e = SpacingEntryOf(RecordHandle{e->next}))
        AddClassOfWord(e->xPer16Ticks, e->ticksToNext, sums);
}

void AddClassSums(std::span<const SpacingPiece> pieces, ClassSums& sums) {
    for (const SpacingPiece& piece : pieces) AddClassOfWord(piece.value, piece.ticks, sums);
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

ClassValues::ClassValues(const JustifyUnit& unit) : shortest(unit.shortest) {
    for (int c = unit.shortest; c < kDurationClassCount; ++c) values[c] = ClassValue(unit, c);
}

uint16_t ClassValues::OfWord(uint16_t word) const {
    const int c = ClassOfWord(word);
    return c < kNoDurationClass ? values[std::max(c, shortest)] : word;
}

void AssignClassValues(MeasureRecord& record, const JustifyUnit& unit) {
    const ClassValues values(unit);
    for (SpacingEntry* e = SpacingEntryOf(record.spacing); e != nullptr;
         e = SpacingEntryOf(RecordHandle{e->next}))
        e->xPer16Ticks = values.OfWord(e->xPer16Ticks);
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

// The measures of a system with the lists their notes give, held in memory until
// the justification has their values: a measure whose notes cannot be read keeps its
// list and is left out.
struct SystemLists {
    struct Measure {
        int measure;
        size_t first;  // its pieces in `pieces`
        size_t count;
    };
    std::vector<Measure> measures;
    std::vector<SpacingPiece> pieces;

    std::span<SpacingPiece> PiecesOf(const Measure& m) { return {pieces.data() + m.first, m.count}; }
};

// Steps 1-2: the lists of the system's measures, the sum of their widths and the
// class counts.
int64_t CollectSystem(ScoreView* view, ScoreSystem* system, ClassCounts& counts, SystemLists& lists) {
    ScoreDocument* document = view->document;
    MeasureSpacingCollector collector;
    int64_t total = 0;
    for (int m = system->firstMeasure; m <= system->lastMeasure; ++m) {
        MeasureRecord* record = MeasureRecordOf(document, m);
        if (record == nullptr) break;
        MoveViewLocation(view, system, 1, m);
        total += record->width;
        if (!collector.Collect(view, m, &counts).valid) continue;
        const std::span<const SpacingPiece> pieces = collector.pieces();
        lists.measures.push_back({m, lists.pieces.size(), pieces.size()});
        lists.pieces.insert(lists.pieces.end(), pieces.begin(), pieces.end());
    }
    return total;
}

// Step 4: a measure's list under the class values, tidied, its width stored and the
// list written. Should the pool run out, the width is taken from what was written.
void WriteJustifiedList(ScoreDocument* document, int measure, std::span<SpacingPiece> pieces,
                        const ClassValues& values) {
    MeasureRecord& record = *MeasureRecordOf(document, measure);
    for (SpacingPiece& piece : pieces) piece.value = values.OfWord(piece.value);
    const size_t kept = SettleMeasurePieces(record, pieces);
    if (!WriteSpacingPieces(record, pieces.first(kept))) MeasureWidth(document, measure);
}

}  // namespace

int JustifySystem(ScoreView* view, ScoreSystem* system) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || system == nullptr) return 1;
    SpacingOperation operation;
    ClassCounts counts;
    SystemLists lists;
    const int64_t total = CollectSystem(view, system, counts, lists);
    const int64_t target = std::max(total, MarginDistance(view));
    ClassSums sums;
    for (const SystemLists::Measure& m : lists.measures) AddClassSums(lists.PiecesOf(m), sums);
    const JustifyUnit unit = RunJustificationPasses(sums, target, kJustifyStartRatio);
    const uint16_t factor = unit.classed
                                ? ClassValue(unit, MostCommonClass(counts, unit.shortest))
                                : ProgramPreferences().DefaultStretchFactor;
    const ClassValues values(unit);
    for (const SystemLists::Measure& m : lists.measures) {
        MeasureRecord& record = *MeasureRecordOf(document, m.measure);
        record.stretch = factor;
        if (unit.classed) {
            WriteJustifiedList(document, m.measure, lists.PiecesOf(m), values);
        } else {
            FreeSpacingList(record.spacing);  // class words are no spacing values
            MeasureWidth(document, m.measure);
        }
    }
    SetDocumentModified(document);
    return 1;
}

}  // namespace ql
