// Systems kept inside their pages: after the margins or the staff size change, the
// systems that no longer fit move on to the following pages (pages are added at the
// end), none overlaps another or runs past a margin, every measure stays on one
// system, and Undo gives the old pages back; a full page's last system stands
// inside the bottom margin. Without the record of a page to add, a page keeps the
// systems it cannot hold and nothing is lost.
#include <string>

#include "core/memory/pool.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "layout/page_chain.h"
#include "layout/page_fit.h"
#include "layout/page_format.h"
#include "layout/page_geometry.h"
#include "layout/tests/pages/page_format_fixture.h"

namespace ql::testing_layout {
namespace {

constexpr BcdInches kHalfInch = 0x0050;
constexpr BcdInches kTwoAndAHalfInches = 0x0250;
constexpr BcdInches kThreeAndAHalfInches = 0x0350;

class PageFitTest : public PageFormatTest {
  protected:
    // A geometry change as the dialogs commit it: every margin `margin`, and a staff
    // size when `staffSize` is not negative.
    void ChangeGeometry(BcdInches margin, int staffSize = -1) {
        StartPageGeometryRun(doc_);
        LayoutGlobals& run = State().layout;
        for (int i = 0; i < kMarginCount; ++i) run.WorkingLeftMargins[i] = run.WorkingRightMargins[i] = margin;
        if (staffSize >= 0) run.StaffSizeChosen = static_cast<uint8_t>(staffSize + 1);
        ApplyPageGeometry(view_, platform::WindowHandle{});
    }
};

TEST_F(PageFitTest, WideMarginsMoveSystemsOnToNewPages) {
    NewScore(3, 6, 4);
    TakeUndoBaseline(doc_);
    const auto shapes = Shapes();
    ChangeGeometry(kTwoAndAHalfInches);
    EXPECT_EQ(LayoutFault(), "");
    EXPECT_GT(PageCount(), 1);
    EXPECT_EQ(doc_->header.measureCount, 24);
    EXPECT_EQ(doc_->header.pageCount, PageCount());
    EXPECT_TRUE(pages::IsSystemOnPage(view_->currentPage, view_->currentSystem));
    UndoCommand(doc_, view_);
    EXPECT_EQ(Shapes(), shapes);
}

TEST_F(PageFitTest, LargerStaffSizeMovesSystemsOn) {
    NewScore(3, 6, 4);
    ChangeGeometry(kHalfInch, 1);
    EXPECT_EQ(doc_->header.pageGeometry.staffSize, 1);
    EXPECT_EQ(LayoutFault(), "");
    EXPECT_GT(PageCount(), 1);
    // Back to the small staff: the systems stay where they went, and still fit.
    ChangeGeometry(kHalfInch, kStaffSize4);
    EXPECT_EQ(LayoutFault(), "");
}

// Undo of a staff size change gives the view its old scale with the old pages.
TEST_F(PageFitTest, UndoOfAStaffSizeChangeRestoresTheScale) {
    NewScore(3, 6, 4);
    ChangeGeometry(kHalfInch);
    const int32_t bottom = view_->PageBottom;
    TakeUndoBaseline(doc_);
    ChangeGeometry(kHalfInch, 2);
    ASSERT_NE(view_->PageBottom, bottom);
    UndoCommand(doc_, view_);
    EXPECT_EQ(view_->PageBottom, bottom);
    EXPECT_EQ(LayoutFault(), "");
}

TEST_F(PageFitTest, LaterPagesTakeTheOverflowInTurn) {
    NewScore(3, 6, 4);
    ASSERT_EQ(AddMeasures(view_, 96), 1);
    ExtendPagesToMeasureCount(view_);
    ASSERT_EQ(PageCount(), 4);
    ChangeGeometry(kTwoAndAHalfInches);
    EXPECT_EQ(LayoutFault(), "");
    EXPECT_GT(PageCount(), 4);
}

TEST_F(PageFitTest, FullPageEndsInsideTheBottomMargin) {
    NewScore(3, 6, 4);
    EXPECT_EQ(PageCount(), 1);
    EXPECT_EQ(LayoutFault(), "");
}

// The parameter: how many record allocations succeed before one fails.
class FitLowMemoryTest : public PageFitTest, public ::testing::WithParamInterface<int> {
  protected:
    void TearDown() override {
        FailNextRecordAllocations(0);
        PageFitTest::TearDown();
    }
};

// Six systems on a page whose margins (and the master pages', which new pages
// take) leave room for fewer: the systems go on to pages added at the end until a
// page cannot be had; the page that overflows then keeps its systems.
TEST_P(FitLowMemoryTest, PageThatCannotBeAddedLeavesTheSystemsWhereTheyWere) {
    NewScore(3, 6, 4);
    uint16_t wide[4] = {kThreeAndAHalfInches, kThreeAndAHalfInches, kThreeAndAHalfInches, kThreeAndAHalfInches};
    for (ScorePage* page : {doc_->leftMaster, doc_->rightMaster, doc_->firstPage})
        SetPageMarginWords(doc_, page, wide);
    view_->currentPage = doc_->firstPage;
    view_->currentSystem = pages::LastSystem(doc_->firstPage);
    view_->currentMeasure = 24;
    FailRecordAllocationAfter(GetParam());
    const int moved = FitSystemsToPages(view_, doc_->firstPage);
    FailNextRecordAllocations(0);

    EXPECT_TRUE(pages::IsPageListSound(doc_));
    EXPECT_EQ(doc_->header.measureCount, 24);
    std::vector<int> systemsOf(25, 0);
    PageMargins margins;
    for (const PageShape& shape : Shapes())
        for (const auto& [first, last] : shape.systems)
            for (int m = first; m <= last && m <= 24; ++m) ++systemsOf[m];
    for (int m = 1; m <= 24; ++m) EXPECT_EQ(systemsOf[m], 1) << "measure " << m;
    for (ScorePage* page = doc_->firstPage; page != nullptr; page = page->next.get())
        EXPECT_TRUE(GetPageMargins(page, &margins)) << "page " << page->pageNumber << " without margins";
    EXPECT_TRUE(pages::IsSystemOnPage(view_->currentPage, view_->currentSystem));
    if (moved >= 0) {
        EXPECT_EQ(LayoutFault(), "");
        EXPECT_GT(PageCount(), 2);
    }
}

// Failures on the first page's record or its margins, and on later pages'.
INSTANTIATE_TEST_SUITE_P(FailingAllocations, FitLowMemoryTest, ::testing::Values(0, 1, 2, 3, 4, 5, 8, 13),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "after" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace ql::testing_layout
