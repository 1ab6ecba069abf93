// The pages follow a measure inserted or deleted at a barline: the system holding
// it grows or shrinks by one, the later systems and pages move on, a system (and a
// page) left without measures goes, and every measure stays on one system.
#include "core/model/pages.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "layout/system_staves.h"
#include "layout/tests/pages/page_format_fixture.h"
#include "staves/measure_edit.h"

namespace ql::testing_layout {
namespace {

using Systems = std::vector<std::pair<int, int>>;

class PageMeasureEditTest : public PageFormatTest {
  protected:
    void SetUp() override {
        PageFormatTest::SetUp();
        NewScore(2, 2, 4);
        ASSERT_EQ(AppendPage(view_), 1);  // pages 1-8 and 9-16 in systems of four
    }
};

TEST_F(PageMeasureEditTest, InsertedMeasureJoinsTheSystemAtItsBarline) {
    ASSERT_EQ(InsertMeasure(view_, 5), 1);
    EXPECT_EQ(Shapes(), (std::vector<PageShape>{{1, 9, Systems{{1, 4}, {5, 9}}},
                                                {10, 17, Systems{{10, 13}, {14, 17}}}}));
    ASSERT_EQ(InsertMeasure(view_, doc_->header.measureCount + 1), 1);  // after the last
    EXPECT_EQ(Shapes().back(), (PageShape{10, 18, Systems{{10, 13}, {14, 18}}}));
    EXPECT_EQ(LayoutFault(), "");
}

TEST_F(PageMeasureEditTest, DeletedMeasuresLeaveNoEmptySystemOrPage) {
    ASSERT_EQ(DeleteMeasureAtBarline(view_, 2), 1);
    EXPECT_EQ(Shapes()[0], (PageShape{1, 7, Systems{{1, 3}, {4, 7}}}));
    EXPECT_EQ(LayoutFault(), "");
    // The second page's first system loses all four measures: the system goes.
    for (int i = 0; i < 4; ++i) ASSERT_EQ(DeleteMeasureAtBarline(view_, 8), 1);
    EXPECT_EQ(Shapes()[1], (PageShape{8, 11, Systems{{8, 11}}}));
    EXPECT_EQ(LayoutFault(), "");
    // Then the page's last system: the page goes, and the view with it.
    view_->currentPage = GetPageAt(doc_, 1);
    view_->currentSystem = view_->currentPage->firstSystem.get();
    for (int i = 0; i < 4; ++i) ASSERT_EQ(DeleteMeasureAtBarline(view_, 8), 1);
    EXPECT_EQ(Shapes(), (std::vector<PageShape>{{1, 7, Systems{{1, 3}, {4, 7}}}}));
    EXPECT_EQ(doc_->header.pageCount, 1);
    EXPECT_EQ(view_->currentPage, doc_->firstPage);
    EXPECT_TRUE(pages::IsSystemOnPage(view_->currentPage, view_->currentSystem));
    EXPECT_EQ(LayoutFault(), "");
}

}  // namespace
}  // namespace ql::testing_layout
