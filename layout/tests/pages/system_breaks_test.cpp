// Moving system and page breaks, and hiding and showing staves in one system.
#include "core/model/pages.h"
#include "core/state.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "layout/system_staves.h"
#include "layout/tests/pages/page_format_fixture.h"

namespace ql::testing_layout {
namespace {

using Systems = std::vector<std::pair<int, int>>;

class SystemBreaksTest : public PageFormatTest {
  protected:
    void SetUp() override {
        PageFormatTest::SetUp();
        NewScore(2, 4, 4);
        ASSERT_EQ(AppendPage(view_), 1);
    }
    void TearDown() override {
        State().input.StickyCtrlFlag = 0;
        PageFormatTest::TearDown();
    }
    Systems Page(int index) const { return Shapes()[index].systems; }
};

TEST_F(SystemBreaksTest, BackWithoutCtrlRipplesThroughLaterPages) {
    MoveSystemBreakBack(view_, doc_->firstPage, SystemAt(0, 1), 1);
    EXPECT_EQ(Page(0), (Systems{{1, 4}, {5, 7}, {8, 11}, {12, 15}}));
    EXPECT_EQ(Shapes()[1].first, 16);
    EXPECT_EQ(Page(1), (Systems{{16, 19}, {20, 23}, {24, 27}, {28, 31}}));
    EXPECT_TRUE(pages::IsPageListSound(doc_));
}

TEST_F(SystemBreaksTest, BackWithCtrlChangesOnlyTheNextSystem) {
    State().input.StickyCtrlFlag = 1;
    MoveSystemBreakBack(view_, doc_->firstPage, SystemAt(0, 0), 2);
    EXPECT_EQ(Page(0), (Systems{{1, 2}, {3, 8}, {9, 12}, {13, 16}}));
    // Across the page break: the next page's first system takes the measure.
    MoveSystemBreakBack(view_, doc_->firstPage, SystemAt(0, 3), 1);
    EXPECT_EQ(Shapes()[0].last, 15);
    EXPECT_EQ(Page(1)[0], (std::pair<int, int>{16, 20}));
    EXPECT_TRUE(pages::IsPageListSound(doc_));
}

TEST_F(SystemBreaksTest, ForwardWithAndWithoutCtrl) {
    State().input.StickyCtrlFlag = 1;
    MoveSystemBreakForward(view_, doc_->firstPage, SystemAt(0, 0), 1);
    EXPECT_EQ(Page(0), (Systems{{1, 5}, {6, 8}, {9, 12}, {13, 16}}));
    State().input.StickyCtrlFlag = 0;
    const int measures = doc_->header.measureCount;
    MoveSystemBreakForward(view_, doc_->firstPage, SystemAt(0, 1), 1);
    EXPECT_EQ(Page(0), (Systems{{1, 5}, {6, 9}, {10, 13}, {14, 17}}));
    EXPECT_EQ(doc_->header.measureCount, measures + 1);  // a record appended at the end
    EXPECT_TRUE(pages::IsPageListSound(doc_));
}

TEST_F(SystemBreaksTest, OneMeasureSystemCannotMoveBack) {
    State().input.StickyCtrlFlag = 1;
    MoveSystemBreakBack(view_, doc_->firstPage, SystemAt(0, 0), 3);
    ASSERT_EQ(Page(0)[0], (std::pair<int, int>{1, 1}));
    const auto before = Shapes();
    MoveSystemBreakBack(view_, doc_->firstPage, SystemAt(0, 0), 1);  // beeps
    EXPECT_EQ(Shapes(), before);
}

TEST_F(SystemBreaksTest, ForwardRefusedAtTheMeasureLimit) {
    ASSERT_EQ(AddMeasures(view_, 1016), 1);
    const auto before = Shapes();
    MoveSystemBreakForward(view_, doc_->firstPage, SystemAt(0, 0), 1);  // beeps
    EXPECT_EQ(Shapes(), before);
    EXPECT_EQ(doc_->header.measureCount, 1016);
}

TEST_F(SystemBreaksTest, PageBreakMovesBack) {
    MovePageBreak(view_, doc_->firstPage, nullptr, 2);
    EXPECT_EQ(Shapes()[0].last, 14);
    EXPECT_EQ(Shapes()[1].first, 15);
    EXPECT_TRUE(pages::IsPageListSound(doc_));
    // Past a whole system: the emptied system is freed and the count lowered.
    MovePageBreak(view_, doc_->firstPage, nullptr, 2);
    EXPECT_EQ(Shapes()[0].last, 12);
    EXPECT_EQ(doc_->firstPage->systemCount, 3);
    EXPECT_TRUE(pages::IsPageListSound(doc_));
}

// On the last page the measures past the moved break start a page of their own;
// a moved system break ripples the last measure onto a new system.
TEST_F(SystemBreaksTest, MeasuresMovedOffTheLastPageStayOnASystem) {
    ScorePage* last = GetPageAt(doc_, 1);
    MovePageBreak(view_, last, nullptr, 3);
    auto shapes = Shapes();
    ASSERT_EQ(shapes.size(), 3u);
    EXPECT_EQ(shapes[1].last, 29);
    EXPECT_EQ(shapes[2], (PageShape{30, 32, Systems{{30, 32}}}));
    EXPECT_TRUE(pages::IsPageListSound(doc_));
    MoveSystemBreakBack(view_, last, SystemAt(1, 0), 1);
    EXPECT_EQ(Shapes().back(), (PageShape{29, 32, Systems{{29, 31}, {32, 32}}}));
    EXPECT_TRUE(pages::IsPageListSound(doc_));
    EXPECT_EQ(doc_->header.measureCount, 32);
}

TEST_F(SystemBreaksTest, HidingTheOnlyVisibleStaffIsRefused) {
    ScoreSystem* system = SystemAt(0, 0);
    RemoveStaffFromSystem(view_, system, 1);
    EXPECT_LT(StaffFlagsOf(system)[1], 0);
    EXPECT_EQ(StaffOffsetsOf(system)[2], 0);  // staff 2 moves up to the top
    RemoveStaffFromSystem(view_, system, 2);  // the only visible one: refused
    EXPECT_GE(StaffFlagsOf(system)[2], 0);
    InsertStaffInSystem(view_, 1, system);
    EXPECT_GE(StaffFlagsOf(system)[1], 0);
    EXPECT_EQ(StaffOffsetsOf(system)[1], 0);
    EXPECT_GT(StaffOffsetsOf(system)[2], 0);
}

}  // namespace
}  // namespace ql::testing_layout
