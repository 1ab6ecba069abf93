// Removing the empty pages at the end of a score: which pages go, which stay (the
// page a view shows, a page with page objects, a page with music), and the measure
// table, page list and views afterwards.
#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "layout/spacing/spacing_collect.h"
#include "layout/tests/pages/page_format_fixture.h"

namespace ql::testing_layout {
namespace {

class PageTrim : public PageFormatTest {
  protected:
    // Three pages of sixteen measures, two staves, the view on page 1.
    void ThreePages() {
        NewScore(2, 4, 4);
        ASSERT_EQ(AppendPage(view_), 1);
        ASSERT_EQ(AppendPage(view_), 1);
        ASSERT_EQ(PageCount(), 3);
        view_->currentPage = doc_->firstPage;
        doc_->changeCounter = 0;
    }
    ScorePage* Page(int index) const { return GetPageAt(doc_, index); }
};

// The two empty pages after page 1 go with their measures: page 1 ends the list,
// the counts follow it, spare measures keep their cells and no later cell is left.
TEST_F(PageTrim, RemovesEmptyPagesAtTheEnd) {
    ThreePages();
    Note(2, 16, 0, 0, 9);  // music on the last measure of page 1
    EXPECT_EQ(RemoveEmptyTrailingPages(view_), 2);
    EXPECT_EQ(PageCount(), 1);
    EXPECT_EQ(doc_->header.pageCount, 1);
    EXPECT_EQ(doc_->header.measureCount, 16);
    EXPECT_EQ(doc_->firstPage->next.get(), nullptr);
    EXPECT_TRUE(pages::IsPageListSound(doc_));
    EXPECT_NE(doc_->changeCounter, 0);
    for (int staff = 0; staff <= 2; ++staff) {
        // Measures 17..20 stay as spare measures with cells; 21 on hold none.
        EXPECT_NE(FindMeasureCell(doc_, staff, 20), nullptr) << staff;
        EXPECT_EQ(FindMeasureCell(doc_, staff, 21), nullptr) << staff;
        EXPECT_EQ(FindMeasureCell(doc_, staff, 52), nullptr) << staff;
    }
    // Pages appended afterwards start after the new count again.
    ASSERT_EQ(AppendPage(view_), 1);
    EXPECT_EQ(Shapes()[1].first, 17);
    EXPECT_TRUE(pages::IsPageListSound(doc_));
}

// Music on the last page, or a single page, removes nothing and changes nothing.
TEST_F(PageTrim, KeepsPagesWhenTheLastPageHasMusic) {
    ThreePages();
    Note(1, 33, 0, 0, 9);  // first measure of page 3
    doc_->changeCounter = 0;
    EXPECT_EQ(RemoveEmptyTrailingPages(view_), 0);
    EXPECT_EQ(PageCount(), 3);
    EXPECT_EQ(doc_->header.measureCount, 48);
    EXPECT_EQ(doc_->changeCounter, 0);
}

TEST_F(PageTrim, OnePageRemovesNothing) {
    NewScore(1, 4, 4);
    EXPECT_EQ(RemoveEmptyTrailingPages(view_), 0);
    EXPECT_EQ(PageCount(), 1);
    EXPECT_EQ(doc_->header.measureCount, 16);
}

// The page the view shows stays, and so does every page before it.
TEST_F(PageTrim, NeverRemovesThePageTheViewShows) {
    ThreePages();
    view_->currentPage = Page(1);
    EXPECT_EQ(RemoveEmptyTrailingPages(view_), 1);
    EXPECT_EQ(PageCount(), 2);
    EXPECT_EQ(doc_->header.measureCount, 32);
    EXPECT_EQ(view_->currentPage, Page(1));
}

// A page holding a page object stops the walk: it and the pages before it stay.
TEST_F(PageTrim, NeverRemovesAPageWithPageObjects) {
    ThreePages();
    ScopedPoolSet pools(doc_->pools);
    ScoreObject* object = AllocRootObject();
    ASSERT_NE(object, nullptr);
    InsertObjectAfter(Page(2)->margins.get(), object);  // on the last page
    EXPECT_EQ(RemoveEmptyTrailingPages(view_), 0);
    EXPECT_EQ(PageCount(), 3);
    // With the object on the middle page, the last page alone goes.
    UnlinkObject(object);
    InsertObjectAfter(Page(1)->margins.get(), object);
    EXPECT_EQ(RemoveEmptyTrailingPages(view_), 1);
    EXPECT_EQ(PageCount(), 2);
    EXPECT_EQ(Page(1)->margins.get()->next.get(), object);
}

// Another view of the score that showed a removed page moves to the new last page;
// a broken link back to the previous page is repaired before the walk.
TEST_F(PageTrim, MovesOtherViewsAndRepairsBackLinks) {
    ThreePages();
    Page(2)->previous = Ref32<ScorePage>{};
    ScoreView* other = InitView(AllocView());
    other->document = doc_;
    other->currentPage = Page(2);
    other->currentSystem = Page(2)->firstSystem.get();
    LinkView(other);
    EXPECT_EQ(RemoveEmptyTrailingPages(view_), 2);
    EXPECT_EQ(other->currentPage, doc_->firstPage);
    EXPECT_EQ(other->currentSystem, doc_->firstPage->firstSystem.get());
    FreeView(other);
}

}  // namespace
}  // namespace ql::testing_layout
