// Inserting and deleting pages with their measures: measure ranges, display numbers
// and page numbers afterwards (hand-set numbers kept), refusals that change nothing,
// the bytes a deleted page's first measure hands on, and undo of both edits.
#include <cstring>
#include <vector>

#include "core/model/pages.h"
#include "core/undo/undo.h"
#include "layout/page_chain.h"
#include "layout/page_edit.h"
#include "layout/page_format.h"
#include "layout/spacing/spacing_collect.h"
#include "layout/tests/pages/page_format_fixture.h"

namespace ql::testing_layout {
namespace {

class PageEdit : public PageFormatTest {
  protected:
    // `pages` pages of a systems x measures grid, one staff, the view on page 1.
    void Pages(int pages, int systems, int measures) {
        NewScore(1, systems, measures);
        for (int i = 1; i < pages; ++i) ASSERT_EQ(AppendPage(view_), 1);
        ASSERT_EQ(PageCount(), pages);
        view_->currentPage = doc_->firstPage;
    }
    ScorePage* Page(int index) const { return GetPageAt(doc_, index); }
    std::vector<int> PageNumbers() const {
        std::vector<int> numbers;
        for (ScorePage* p = doc_->firstPage; p != nullptr && numbers.size() < 100; p = p->next.get())
            numbers.push_back(p->pageNumber);
        return numbers;
    }
    std::vector<int> MeasureNumbers() {
        std::vector<int> numbers;
        for (int m = 1; m <= doc_->header.measureCount; ++m) numbers.push_back(Record(m).number);
        return numbers;
    }
    static std::vector<int> Run(int from, int to) {
        std::vector<int> numbers;
        for (int n = from; n <= to; ++n) numbers.push_back(n);
        return numbers;
    }
};

// Two pages before page 1 of a 4 x 4 grid: measures 1-32 are new and numbered 1-32,
// the old measure 1 (marked by its length) is measure 33 numbered 33, page numbers
// run 1..6 and the first new page is shown.
TEST_F(PageEdit, InsertBeforeFirstPageMovesMeasuresAndNumbers) {
    Pages(4, 4, 4);
    SetLength(1, 3072);
    ASSERT_TRUE(InsertPages(view_, 2, false));
    EXPECT_EQ(PageCount(), 6);
    EXPECT_EQ(doc_->header.pageCount, 6);
    EXPECT_EQ(doc_->header.measureCount, 96);
    EXPECT_EQ(Record(33).lengthTicks, 3072);
    EXPECT_NE(Record(1).lengthTicks, 3072);
    EXPECT_EQ(MeasureNumbers(), Run(1, 96));
    EXPECT_EQ(PageNumbers(), Run(1, 6));
    EXPECT_EQ(Shapes()[2].first, 33);
    EXPECT_EQ(view_->currentPage, doc_->firstPage);
    EXPECT_EQ(doc_->rightMaster->next.get(), doc_->firstPage);
    EXPECT_EQ(doc_->firstPage->previous.get(), doc_->rightMaster);
    EXPECT_TRUE(pages::IsPageListSound(doc_));
}

// After the current page: the new page takes the next number and the following
// pages run on, unless a page's number was set by hand (it keeps it).
TEST_F(PageEdit, InsertAfterKeepsHandSetPageNumbers) {
    Pages(3, 1, 2);
    view_->currentPage = Page(1);
    ASSERT_TRUE(InsertPages(view_, 1, true));
    EXPECT_EQ(PageNumbers(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Shapes()[2], (PageShape{5, 6, {{5, 6}}}));
    // A hand-set number after the current page breaks the run: it stays.
    RenumberPageRun(Page(3), 9);
    view_->currentPage = Page(1);
    ASSERT_TRUE(InsertPages(view_, 1, true));
    EXPECT_EQ(PageNumbers(), (std::vector<int>{1, 2, 3, 4, 9}));
    // Before a hand-set page whose predecessor is not one less: the new page takes
    // that number - 1 and the hand-set page keeps its own.
    view_->currentPage = Page(4);
    ASSERT_TRUE(InsertPages(view_, 1, false));
    EXPECT_EQ(PageNumbers(), (std::vector<int>{1, 2, 3, 4, 8, 9}));
    EXPECT_EQ(MeasureNumbers(), Run(1, 12));
    EXPECT_TRUE(pages::IsPageListSound(doc_));
}

// A measure number set by hand after the insertion point keeps its number; those
// before it run on past the new measures.
TEST_F(PageEdit, InsertKeepsHandSetMeasureNumbers) {
    Pages(2, 1, 2);
    Record(4).number = 50;
    ASSERT_TRUE(InsertPages(view_, 1, false));
    EXPECT_EQ(MeasureNumbers(), (std::vector<int>{1, 2, 3, 4, 5, 50}));
}

// Refusals change nothing: a master page, the measure limit, no count, a damaged
// page range.
TEST_F(PageEdit, InsertRefusals) {
    Pages(2, 4, 4);
    EXPECT_FALSE(InsertPages(view_, 0, true));
    EXPECT_FALSE(InsertPages(view_, MeasureLimit / 16, true));  // passes the limit
    view_->currentPage = doc_->rightMaster;
    EXPECT_FALSE(InsertPages(view_, 1, true));
    // A page whose range passes the measure table (a damaged list).
    view_->currentPage = doc_->firstPage;
    doc_->firstPage->lastMeasure = 5000;
    EXPECT_FALSE(InsertPages(view_, 1, true));
    doc_->firstPage->lastMeasure = 16;
    EXPECT_EQ(PageCount(), 2);
    EXPECT_EQ(doc_->header.measureCount, 32);
}

// Pages 3 through 5 of ten consecutively numbered pages: seven pages remain, the
// old page 6 is page 3 from measure 9 on, measures renumbered 1..28, and a page
// number set by hand (20 on the old page 8) is kept.
TEST_F(PageEdit, DeleteRunOfPagesRenumbers) {
    Pages(10, 2, 2);
    ScorePage* sixth = Page(5);
    RenumberPageRun(Page(7), 20);
    SetLength(21, 3072);  // first measure of the old page 6
    view_->currentPage = Page(2);
    DeletePages(view_, 3);
    EXPECT_EQ(PageCount(), 7);
    EXPECT_EQ(doc_->header.pageCount, 7);
    EXPECT_EQ(doc_->header.measureCount, 28);
    EXPECT_EQ(Page(2), sixth);
    EXPECT_EQ(sixth->pageNumber, 3);
    EXPECT_EQ(sixth->firstMeasure, 9);
    EXPECT_EQ(Record(9).lengthTicks, 3072);
    EXPECT_EQ(PageNumbers(), (std::vector<int>{1, 2, 3, 4, 20, 21, 22}));
    EXPECT_EQ(MeasureNumbers(), Run(1, 28));
    EXPECT_EQ(view_->currentPage, sixth);
    EXPECT_TRUE(pages::IsPageListSound(doc_));
    // No cell is left past the spare measures, and the spares have theirs.
    EXPECT_NE(FindMeasureCell(doc_, 1, 32), nullptr);
    EXPECT_EQ(FindMeasureCell(doc_, 1, 33), nullptr);
}

// The last page deleted: the view moves to the page before, which ends the list.
TEST_F(PageEdit, DeleteLastPageShowsThePreviousOne) {
    Pages(3, 1, 2);
    view_->currentPage = Page(2);
    DeletePages(view_, 1);
    EXPECT_EQ(PageCount(), 2);
    EXPECT_EQ(view_->currentPage, Page(1));
    EXPECT_EQ(doc_->header.measureCount, 4);
    EXPECT_TRUE(pages::IsPageListSound(doc_));
}

// Deleting the first page makes the next one the document's first page, numbered 1.
TEST_F(PageEdit, DeleteFirstPage) {
    Pages(3, 1, 2);
    ScorePage* second = Page(1);
    DeletePages(view_, 1);
    EXPECT_EQ(doc_->firstPage, second);
    EXPECT_EQ(second->previous.get(), doc_->rightMaster);
    EXPECT_EQ(doc_->rightMaster->next.get(), second);
    EXPECT_EQ(PageNumbers(), (std::vector<int>{1, 2}));
    EXPECT_EQ(MeasureNumbers(), Run(1, 4));
}

// Every page, more pages than there are, a single page, a page not in the list:
// nothing changes.
TEST_F(PageEdit, DeleteRefusals) {
    Pages(3, 1, 2);
    DeletePages(view_, 3);
    view_->currentPage = Page(1);
    DeletePages(view_, 3);
    EXPECT_EQ(PageCount(), 3);
    EXPECT_FALSE(DeletePageAndMeasures(doc_, doc_->rightMaster));
    EXPECT_EQ(doc_->header.measureCount, 6);
}

// Renumbering from a page: consecutive ranges from the first measure given, each
// system keeping its length, and page numbers by the run rule (a break stays).
TEST_F(PageEdit, RenumberPagesFromGivesRangesAndNumbers) {
    Pages(4, 2, 2);
    Page(3)->pageNumber = 30;
    RenumberPagesFrom(Page(1), 7, 3);
    EXPECT_EQ(Shapes()[1], (PageShape{3, 6, {{3, 4}, {5, 6}}}));
    EXPECT_EQ(Shapes()[3], (PageShape{11, 14, {{11, 12}, {13, 14}}}));
    EXPECT_EQ(PageNumbers(), (std::vector<int>{1, 7, 8, 30}));
    ShiftPageMeasures(Page(2), Page(2)->firstSystem.get(), 8, 9);
    EXPECT_EQ(Shapes()[2].first, 9);
    EXPECT_EQ(Shapes()[3].last, 16);
}

// A page whose range passes the measure count (a damaged list) is refused.
TEST_F(PageEdit, DeleteRefusesADamagedRange) {
    Pages(3, 1, 2);
    Page(1)->lastMeasure = 900;
    EXPECT_FALSE(DeletePageAndMeasures(doc_, Page(1)));
    EXPECT_EQ(PageCount(), 3);
}

// The first measure of a deleted page hands its barline, repeat and flags bytes to
// the measure that takes its place; a measure number break after the page keeps
// its number (the numbering did not run on into the next page).
TEST_F(PageEdit, DeleteHandsOnBytesAndKeepsBrokenNumbering) {
    Pages(3, 1, 2);
    Record(3).barline = 0x23;
    Record(3).repeatCount = 2;
    Record(3).flags = 0x10;
    Record(5).number = 40;
    Record(6).number = 41;
    view_->currentPage = Page(1);
    DeletePages(view_, 1);
    EXPECT_EQ(Record(3).barline, 0x23);
    EXPECT_EQ(Record(3).repeatCount, 2);
    EXPECT_EQ(Record(3).flags, 0x10);
    EXPECT_EQ(MeasureNumbers(), (std::vector<int>{1, 2, 40, 41}));
}

// Undo of an insertion, and of a deletion, gives back the page list, the page
// numbers and the measure table byte for byte.
TEST_F(PageEdit, UndoRestoresPagesAndMeasureTable) {
    Pages(3, 2, 2);
    TakeUndoBaseline(doc_);
    auto tableBytes = [this] {
        const auto* bytes = reinterpret_cast<const uint8_t*>(doc_->measureTable.get());
        return std::vector<uint8_t>(bytes, bytes + sizeof(MeasureRecord) * (doc_->header.measureCount + 5));
    };
    const auto shapes = Shapes();
    const auto numbers = PageNumbers();
    const auto table = tableBytes();
    view_->currentPage = Page(1);
    ASSERT_TRUE(InsertPages(view_, 2, false));
    ASSERT_EQ(UndoDepth(doc_), 1);
    UndoCommand(doc_, view_);
    EXPECT_EQ(Shapes(), shapes);
    EXPECT_EQ(PageNumbers(), numbers);
    EXPECT_EQ(tableBytes(), table);
    view_->currentPage = Page(1);
    DeletePages(view_, 2);
    ASSERT_EQ(PageCount(), 1);
    UndoCommand(doc_, view_);
    EXPECT_EQ(Shapes(), shapes);
    EXPECT_EQ(PageNumbers(), numbers);
    EXPECT_EQ(tableBytes(), table);
}

// A page that holds only rests is music: the trailing-page trim keeps it.
TEST_F(PageEdit, TrimKeepsAPageOfRests) {
    Pages(3, 1, 2);
    Rest(1, 5, 0, 0, 9);
    EXPECT_EQ(RemoveEmptyTrailingPages(view_), 0);
    EXPECT_EQ(PageCount(), 3);
}

}  // namespace
}  // namespace ql::testing_layout
