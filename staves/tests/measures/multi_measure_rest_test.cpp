// Multi-measure rests: which measures may join a run, combining (the measure count
// and the printed numbers kept), the one-byte cap on a rest's count, and expanding
// (the measure limit checked first, nothing changed on a refusal).
#include "staves/multi_measure_rest.h"

#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "platform/ui/headless.h"
#include "staves/tests/measures/measure_fixture.h"

namespace ql::testing_measures {
namespace {

using MultiMeasureRests = MeasureTest;
using ::testing::ElementsAre;

// Four empty measures become one rest of count 3; three empty measures appear at
// the end, numbered on from the first number + 4.
TEST_F(MultiMeasureRests, CombiningKeepsTheMeasureCountAndNumbers) {
    BuildScore(2, 6);
    ASSERT_NE(Note(1, 5, 0), nullptr);
    std::string reason;
    EXPECT_EQ(ScanRestRun(view_, 1, &reason), 4);
    EXPECT_EQ(reason, "Barline not empty--contains notes.");
    ASSERT_TRUE(CombineMeasures(view_, 1, 4));
    EXPECT_EQ(doc_->header.measureCount, 6);
    EXPECT_EQ(Record(1).extra, 3);
    EXPECT_THAT(Numbers(), ElementsAre(1, 5, 6, 7, 8, 9));
    EXPECT_NE(GetVoiceFirstEvent(Cell(1, 2), 0), nullptr);  // the old measure 5
}

// Expanding a rest of 4 inserts three measures numbered one after another, and the
// measures after the rest keep their numbers.
TEST_F(MultiMeasureRests, ExpandingInsertsNumberedMeasures) {
    BuildScore(2, 6);
    ASSERT_TRUE(CombineMeasures(view_, 2, 5));
    EXPECT_THAT(Numbers(), ElementsAre(1, 2, 6, 7, 8, 9));
    ASSERT_EQ(ExpandMultiMeasureRest(view_, 2), 1);
    EXPECT_EQ(doc_->header.measureCount, 9);
    EXPECT_EQ(Record(2).extra, 0);
    EXPECT_THAT(Numbers(), ElementsAre(1, 2, 3, 4, 5, 6, 7, 8, 9));
    EXPECT_EQ(ExpandMultiMeasureRest(view_, 2), 0);  // nothing to expand
}

// 300 empty measures: two rests, counts 255 (drawn 256) and 43 (drawn 44), standing
// for numbers 1..300, and the count stays 300.
TEST_F(MultiMeasureRests, CombinedCountNeverPassesOneByte) {
    BuildScore(1, 300);
    EXPECT_EQ(CombineEmptyMeasures(view_, 1, 300), 2);
    EXPECT_EQ(doc_->header.measureCount, 300);
    EXPECT_EQ(Record(1).extra, 255);
    EXPECT_EQ(Record(2).extra, 43);
    EXPECT_EQ(Record(2).number, 257);
    EXPECT_EQ(Record(3).number, 301);
    EXPECT_EQ(Record(3).extra, 0);
    // A run that already stands for 255 measures takes no more.
    EXPECT_FALSE(CombineMeasures(view_, 1, 2));
}

// At 1,014 measures a 4-measure rest (3 to add) passes the limit: the notice, and the
// pools unchanged. At 1,013 it expands.
TEST_F(MultiMeasureRests, ExpandingChecksTheMeasureLimitFirst) {
    BuildScore(1, MeasureLimit - 2);
    Record(5).extra = 3;
    for (int m = 6; m <= MeasureLimit - 2; ++m) Record(m).number = static_cast<uint16_t>(m + 3);
    const auto before = Image();
    EXPECT_EQ(ExpandMultiMeasureRest(view_, 5), 0);
    EXPECT_EQ(Image(), before);
    EXPECT_THAT(StatusTexts(), ::testing::Contains(::testing::HasSubstr(kMeasureLimitNotice)));
    doc_->header.measureCount = MeasureLimit - 3;
    ASSERT_EQ(ExpandMultiMeasureRest(view_, 5), 1);
    EXPECT_EQ(doc_->header.measureCount, MeasureLimit);
    EXPECT_EQ(Record(8).number, 8);
    EXPECT_EQ(Record(9).number, 9);
}

// A cell that cannot be made while expanding: the low-memory box, nothing changed.
TEST_F(MultiMeasureRests, FailedCellWhileExpandingChangesNothing) {
    BuildScore(3, 10);
    ASSERT_TRUE(CombineMeasures(view_, 2, 5));
    const auto before = Image();
    FailRecordAllocationAfter(2 * 4 + 3);  // the second measure's staff 1
    EXPECT_EQ(ExpandMultiMeasureRest(view_, 2), 0);
    FailNextRecordAllocations(0);
    EXPECT_EQ(Image(), before);
    EXPECT_FALSE(BoxTexts().empty());
}

// What stops a run: a double barline, a number break, a time or key change, a
// length that is not the signature's; each names the measure's number.
TEST_F(MultiMeasureRests, RunStopsAtTheFirstMeasureThatCannotJoin) {
    BuildScore(1, 8);
    std::string reason;
    Record(4).barline = static_cast<uint8_t>(BarlineType::Double);
    EXPECT_EQ(ScanRestRun(view_, 1, &reason), 3);
    EXPECT_EQ(reason, "Complex barline encountered in measure 4.");
    Record(4).barline = 0;
    Record(3).number = 30;
    EXPECT_EQ(ScanRestRun(view_, 1, &reason), 2);
    EXPECT_EQ(reason, "Measure number break encountered in measure 30.");
    Record(3).number = 3;
    Cell(1, 6)->beats = 3;
    Record(6).lengthTicks = 3072;
    EXPECT_EQ(ScanRestRun(view_, 1, &reason), 5);
    EXPECT_EQ(reason, "Time change encountered at measure 6.");
    Cell(1, 6)->beats = 4;
    Record(6).lengthTicks = 4096;
    Cell(1, 7)->clefKey = static_cast<uint8_t>(Cell(1, 7)->clefKey + (1 << kKeyNibbleShift));
    EXPECT_EQ(ScanRestRun(view_, 1, &reason), 6);
    EXPECT_EQ(reason, "Key change encountered at measure 7.");
    Record(2).lengthTicks = 2048;
    EXPECT_EQ(ScanRestRun(view_, 1, &reason), 1);
    EXPECT_EQ(reason, "Measure 2 contains less than normal beats.");
    Record(1).lengthTicks = 5000;
    EXPECT_EQ(ScanRestRun(view_, 1, &reason), 0);
    EXPECT_EQ(reason, "Measure 1 contains greater than normal beats.");
}

}  // namespace
}  // namespace ql::testing_measures
