// A randomised mix of every measure edit (insert, delete, combine, expand, time
// signatures, barline keys) on a small score, checking after each step that the
// numbering rule holds everywhere, every staff has a live cell for every measure up
// to the spare ones, rest counts stay within a byte, and measure lengths follow
// staff 1's signature.
#include <random>

#include "core/memory/pool.h"
#include "staves/barline.h"
#include "staves/measure_edit.h"
#include "staves/multi_measure_rest.h"
#include "staves/tests/measures/measure_fixture.h"
#include "staves/time_signature.h"

namespace ql::testing_measures {
namespace {

using MeasureRandom = MeasureTest;

constexpr int kSteps = 600;
constexpr int kStaves = 3;
constexpr int kStartMeasures = 12;
constexpr unsigned kSeed = 20261206;

void CheckInvariants(ScoreDocument* doc, int step) {
    const int count = doc->header.measureCount;
    ASSERT_GE(count, 1) << step;
    ASSERT_LE(count, MeasureLimit) << step;
    for (int m = 1; m < count; ++m) {
        const MeasureRecord* a = MeasureRecordOf(doc, m);
        ASSERT_EQ(MeasureRecordOf(doc, m + 1)->number, a->number + a->extra + 1) << "step " << step << " m " << m;
    }
    for (int staff = 0; staff <= kStaves; ++staff) {
        const CellHandleArray* cells = CellArrayOf(StaffRecordOf(doc, staff));
        ASSERT_NE(cells, nullptr);
        for (int m = 0; m <= count + kSpareMeasures; ++m)
            ASSERT_NE(FindRecord<MeasureCell>(kMeasureCellPool, cells->cells[m]), nullptr)
                << "step " << step << " staff " << staff << " m " << m;
    }
    for (int m = 1; m <= count; ++m) {
        const MeasureCell* cell = FindRecord<MeasureCell>(kMeasureCellPool,
                                                          CellArrayOf(StaffRecordOf(doc, 1))->cells[m]);
        ASSERT_EQ(MeasureRecordOf(doc, m)->lengthTicks, SignatureTicks(cell->beats, cell->beatUnit))
            << "step " << step << " m " << m;
    }
}

TEST_F(MeasureRandom, MixedEditsKeepTheTableConsistent) {
    BuildScore(kStaves, kStartMeasures);
    std::mt19937 random(kSeed);
    auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int step = 0; step < kSteps; ++step) {
        const int count = doc_->header.measureCount;
        const int m = pick(1, count);
        switch (pick(0, 6)) {
            case 0: InsertMeasure(view_, pick(1, count + 1)); break;
            case 1: DeleteMeasureAtBarline(view_, m); break;
            case 2: CombineMeasures(view_, m, std::min(count, m + pick(1, 4))); break;
            case 3: ExpandMultiMeasureRest(view_, m); break;
            case 4: CombineEmptyMeasures(view_, m, std::min(count, m + pick(0, 8))); break;
            case 5:
                UseMeasure(m);
                SetTimeSignature(view_, pick(1, 7), pick(8, 11), pick(0, 1) ? kUpToFirstChange : m);
                break;
            default:
                BarlineKey(view_, BarlineRef{m, pick(0, 1) == 1, false}, win::LetterKey("BDSTH"[pick(0, 4)]), false);
                break;
        }
        CheckInvariants(doc_, step);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace ql::testing_measures
