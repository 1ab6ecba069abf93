// The measure table: appending a measure (and its refusal at the measure limit), the
// display numbers after the score, and the last measure with contents.
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "layout/tests/layout_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_layout {
namespace {

constexpr int kQuarter = 10;

class MeasureTableTest : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        MakeStatusBar();
    }
    static bool NoticeShown() {
        for (const std::string& text : StatusPart(0))
            if (text.find(kMeasureLimitNotice) != std::string::npos) return true;
        return false;
    }
};

// Appending from 1,012 measures: up to 1,016 each call adds one; at 1,016 the call is
// refused with the notice and a beep, and nothing changes.
TEST_F(MeasureTableTest, AppendStopsAtTheMeasureLimit) {
    BuildScore(1, MeasureLimit - 4);
    for (int count = MeasureLimit - 4; count < MeasureLimit; ++count) {
        ASSERT_EQ(AppendMeasureRecord(doc_), 1) << count;
        EXPECT_EQ(doc_->header.measureCount, count + 1);
        EXPECT_NE(Cell(1, count + 1 + kSpareMeasures), nullptr);
    }
    EXPECT_FALSE(NoticeShown());
    const size_t beeps = ui::headless::Beeps().size();
    EXPECT_EQ(AppendMeasureRecord(doc_), 0);
    EXPECT_EQ(doc_->header.measureCount, MeasureLimit);
    EXPECT_TRUE(NoticeShown());
    EXPECT_GT(ui::headless::Beeps().size(), beeps);
    EXPECT_LT(MeasureLimit + kSpareMeasures, MaxMeasures);
}

// The new spare record takes the time signature in force (copied with the last
// measure's cell), its proportional width and the next display number.
TEST_F(MeasureTableTest, AppendedSpareRecord) {
    BuildScore(2, 6);
    Cell(1, 6)->beats = 3;
    Cell(1, 6)->beatUnit = 10;
    Record(10).number = 40;
    Record(10).extra = 2;
    ASSERT_EQ(AppendMeasureRecord(doc_), 1);
    const MeasureRecord& spare = Record(11);
    EXPECT_EQ(spare.lengthTicks, 3072);
    EXPECT_EQ(spare.width, 2112);
    EXPECT_EQ(spare.number, 43);
    EXPECT_EQ(spare.stretch, kBuiltInStretchFactor);
    EXPECT_EQ(Cell(2, 11)->beats, Cell(2, 6)->beats);
}

// A cell that cannot be had refuses the append: the count stays, no spare cell is
// left behind, and the low-memory box is shown.
TEST_F(MeasureTableTest, AppendOutOfMemoryChangesNothing) {
    BuildScore(3, 6);
    FailNextRecordAllocations(1);  // staff 0's new cell
    EXPECT_EQ(AppendMeasureRecord(doc_), 0);
    FailNextRecordAllocations(0);
    EXPECT_EQ(doc_->header.measureCount, 6);
    EXPECT_FALSE(CellArrayOf(StaffRecordOf(doc_, 0))->cells[11]);
    EXPECT_FALSE(ui::headless::MessageBoxes().empty());
}

// The numbers after the count continue the sequence: previous + extra + 1.
TEST_F(MeasureTableTest, RebuildMeasureIndexContinuesTheNumbers) {
    BuildScore(1, 4);
    Record(4).number = 7;
    Record(4).extra = 3;
    Record(6).extra = 5;
    RebuildMeasureIndex(doc_);
    EXPECT_EQ(Record(5).number, 11);
    EXPECT_EQ(Record(6).number, 12);
    EXPECT_EQ(Record(6).extra, 0);
    EXPECT_EQ(Record(MaxMeasures - 1).number, 11 + (MaxMeasures - 1 - 5));
}

// The last measure with contents: a note, or a rest alone in an element list.
TEST_F(MeasureTableTest, LastUsedMeasureCountsRests) {
    BuildScore(2, 9);
    EXPECT_EQ(LastUsedMeasure(doc_), 0);
    Note(1, 5, 0, 0, kQuarter);
    EXPECT_EQ(LastUsedMeasure(doc_), 5);
    Rest(2, 7, 1, 0, kQuarter);
    EXPECT_EQ(LastUsedMeasure(doc_), 7);
}

}  // namespace
}  // namespace ql::testing_layout
