// The layout repairs of a bottom-margin drag: the page's bookkeeping corrected (with
// its warning) before a system is added or removed, a system moved to or taken from
// the next page, freed with its measures handed on, and added on the last page.
#include <string>

#include "core/model/pages.h"
#include "layout/page_chain.h"
#include "layout/page_edit.h"
#include "layout/page_format.h"
#include "layout/tests/pages/page_format_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_layout {
namespace {

class PageRepair : public PageFormatTest {
  protected:
    // Three pages of three systems of two measures, the view on page 1.
    void SetUp() override {
        PageFormatTest::SetUp();
        MakeStatusBar();
        NewScore(1, 3, 2);
        ASSERT_EQ(AppendPage(view_), 1);
        ASSERT_EQ(AppendPage(view_), 1);
        view_->currentPage = doc_->firstPage;
        ASSERT_TRUE(pages::IsPageListSound(doc_));
    }
    ScorePage* Page(int index) const { return GetPageAt(doc_, index); }
    static bool Warned(const std::string& message) {
        for (const auto& box : ui::headless::MessageBoxes())
            if (box.text.find(message) != std::string::npos) return true;
        return false;
    }
};

// A chain of 3 systems whose count says 4 is corrected to 3, with the warning,
// before the removal takes one away; a sound page is not reported.
TEST_F(PageRepair, WrongSystemCountIsCorrectedFirst) {
    Page(0)->systemCount = 4;
    ASSERT_TRUE(RemoveSystemFromPage(view_, Page(0), true));
    EXPECT_TRUE(Warned("Wrong system count corrected."));
    EXPECT_EQ(Page(0)->systemCount, 2);
    EXPECT_TRUE(pages::IsPageListSound(doc_));
    const size_t boxes = ui::headless::MessageBoxes().size();
    EXPECT_EQ(RepairPageBookkeeping(Page(1), false), 0);
    EXPECT_EQ(ui::headless::MessageBoxes().size(), boxes);
    // Adding sees the same fault.
    Page(1)->systemCount = 9;
    ASSERT_TRUE(AddSystemToPage(view_, Page(1), true));
    EXPECT_EQ(ui::headless::MessageBoxes().size(), boxes + 1);
    EXPECT_TRUE(pages::IsPageListSound(doc_));
}

// A page whose end disagrees with its last system is corrected with its warning.
TEST_F(PageRepair, WrongPageEndIsCorrected) {
    Page(0)->lastMeasure = 9;
    EXPECT_EQ(RepairPageBookkeeping(Page(0), false), 1);
    EXPECT_TRUE(Warned("Wrong page-end corrected."));
    EXPECT_EQ(Page(0)->lastMeasure, 6);
}

// With the move flag a removed system becomes the next page's first; adding with
// the flag brings it back. The measure ranges stay continuous throughout.
TEST_F(PageRepair, MovingASystemAcrossThePageBreak) {
    ASSERT_TRUE(RemoveSystemFromPage(view_, Page(0), true));
    EXPECT_EQ(Shapes()[0], (PageShape{1, 4, {{1, 2}, {3, 4}}}));
    EXPECT_EQ(Shapes()[1], (PageShape{5, 12, {{5, 6}, {7, 8}, {9, 10}, {11, 12}}}));
    EXPECT_EQ(Page(1)->systemCount, 4);
    ASSERT_TRUE(AddSystemToPage(view_, Page(0), true));
    EXPECT_EQ(Shapes()[0], (PageShape{1, 6, {{1, 2}, {3, 4}, {5, 6}}}));
    EXPECT_EQ(Shapes()[1], (PageShape{7, 12, {{7, 8}, {9, 10}, {11, 12}}}));
    EXPECT_TRUE(pages::IsPageListSound(doc_));
}

// Without the flag the system is freed and the later pages start at its measures;
// a page emptied of its systems says so.
TEST_F(PageRepair, FreeingASystemHandsItsMeasuresOn) {
    ASSERT_TRUE(RemoveSystemFromPage(view_, Page(0), false));
    EXPECT_EQ(Shapes()[0], (PageShape{1, 4, {{1, 2}, {3, 4}}}));
    EXPECT_EQ(Shapes()[1].first, 5);
    EXPECT_EQ(Shapes()[2].systems.back(), (std::pair<int, int>{15, 16}));
    ASSERT_TRUE(RemoveSystemFromPage(view_, Page(0), false));
    ASSERT_TRUE(RemoveSystemFromPage(view_, Page(0), false));
    EXPECT_EQ(Page(0)->systemCount, 0);
    EXPECT_FALSE(Page(0)->firstSystem);
    EXPECT_EQ(StatusPart(0).back(), " Page is now empty.");
    // Nothing more to remove: reported, nothing changes.
    EXPECT_FALSE(RemoveSystemFromPage(view_, Page(0), false));
}

// On the last page: a system added comes with its measures; one removed goes only
// while two or more remain.
TEST_F(PageRepair, LastPageAddsMeasuresAndKeepsOneSystem) {
    ASSERT_TRUE(AddSystemToPage(view_, Page(2), false));
    EXPECT_EQ(doc_->header.measureCount, 20);
    EXPECT_EQ(Shapes()[2], (PageShape{13, 20, {{13, 14}, {15, 16}, {17, 18}, {19, 20}}}));
    EXPECT_EQ(Page(2)->systemCount, 4);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(RemoveSystemFromPage(view_, Page(2), false));
    EXPECT_FALSE(RemoveSystemFromPage(view_, Page(2), false));
    EXPECT_EQ(Page(2)->systemCount, 1);
    EXPECT_EQ(Page(2)->lastMeasure, 14);
}

// A page's system made without the flag takes the next page's first system's
// measures; the pages after move on and the measure table grows to hold them.
TEST_F(PageRepair, MadeSystemPushesThePagesOn) {
    ASSERT_TRUE(AddSystemToPage(view_, Page(0), false));
    EXPECT_EQ(Shapes()[0], (PageShape{1, 8, {{1, 2}, {3, 4}, {5, 6}, {7, 8}}}));
    EXPECT_EQ(Shapes()[1].first, 9);
    EXPECT_EQ(doc_->header.measureCount, Shapes()[2].last);
    EXPECT_TRUE(pages::IsPageListSound(doc_));
}

}  // namespace
}  // namespace ql::testing_layout
