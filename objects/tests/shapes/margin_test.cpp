// Margins: every page (the masters too) has its margin element; the nine handles
// and their drag; a drag that ends where it began; the left edge taking its systems
// along but not an indented one; a master page's rounding before the inch
// conversion and mode 2's copy to the pages of the master's parity; Shift moving a
// system across the page break, and a raised bottom edge sending the systems that
// no longer fit on; the margin display switch.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/units/paper_size.h"
#include "core/units/units.h"
#include "layout/page_chain.h"
#include "layout/page_edit.h"
#include "layout/page_fit.h"
#include "layout/page_format.h"
#include "layout/page_geometry.h"
#include "objects/margin/margin_class.h"
#include "objects/tests/shapes/shapes_fixture.h"
#include "platform/win/headless.h"
#include "platform/win/keys.h"

namespace ql::testing_shapes {
namespace {

class MarginTest : public ShapesTest {
  protected:
    void SetUp() override {
        ShapesTest::SetUp();
        PaperSizeOf(view_);
        ASSERT_GT(view_->PageRight, kPageOrigin);
    }
    void TearDown() override {
        win::headless::SetKeyDown(win::Key::Shift, false);
        ShapesTest::TearDown();
    }
    ScoreObject* MarginsOf(ScorePage* page) { return page->margins.get(); }
    MarginBody& Margins(ScorePage* page) { return AsMarginObject(MarginsOf(page))->body; }
    // Drags one handle of the current page's margins and commits.
    int Drag(int handle, int32_t dx, int32_t dy) {
        ScoreObject* margins = MarginsOf(view_->currentPage);
        Grab(margins, handle);
        Move(margins, dx, dy);
        int result = Commit(margins);
        Release();
        return result;
    }
    int SystemCount(ScorePage* page) {
        int count = 0;
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get()) ++count;
        return count;
    }
};

// Every page and both masters carry a margin element, also after page insertion.
TEST_F(MarginTest, EveryPageHasMargins) {
    ASSERT_TRUE(InsertPages(view_, 1, true));
    std::vector<ScorePage*> pages = {doc_->leftMaster, doc_->rightMaster};
    for (ScorePage* page = doc_->firstPage; page != nullptr; page = page->next.get())
        pages.push_back(page);
    EXPECT_EQ(pages.size(), 4u);  // two masters and two pages
    for (ScorePage* page : pages) {
        ASSERT_NE(MarginsOf(page), nullptr) << page->pageNumber;
        EXPECT_EQ(MarginsOf(page)->type, TypeCode(ObjectType::Margin));
        EXPECT_EQ(&ClassOf(MarginsOf(page)), &TheMarginClass());
    }
}

// Nine handles: corners at the rectangle's corners, the centre spanning it, the
// sides on its edges; dragging a corner moves two edges, a side one.
TEST_F(MarginTest, HandlesFollowTheDraggedEdges) {
    ScoreObject* margins = MarginsOf(view_->currentPage);
    RecordRect r = MarginRectangle(*AsMarginObject(margins), view_);
    EXPECT_EQ(r.left, Margins(view_->currentPage).distances[0] + kPageOrigin);
    EXPECT_EQ(r.right, view_->PageRight - Margins(view_->currentPage).distances[2]);
    Grab(margins, 2);
    int count = 0;
    for (HitRecord* hit = chain_; hit != nullptr; hit = hit->child.get()) ++count;
    EXPECT_EQ(count, kMarginHandleCount);
    Move(margins, 64, 32);
    HitRecord* centre = chain_->child->child->child->child.get();
    EXPECT_EQ(centre->outer, (RecordRect{r.left, r.top, r.right + 64, r.bottom + 32}));
    EXPECT_EQ(chain_->child->point.x, r.right + 64);  // top-right corner followed
    Grab(margins, kMarginTopHandle);
    Move(margins, 500, -16);  // a top side moves only the top
    centre = chain_->child->child->child->child.get();
    EXPECT_EQ(centre->outer, (RecordRect{r.left, r.top - 16, r.right, r.bottom}));
}

// A drag that ends where it began changes nothing and answers 0.
TEST_F(MarginTest, UnmovedDragChangesNothing) {
    MarginBody before = Margins(view_->currentPage);
    EXPECT_EQ(Drag(0, 0, 0), 0);
    EXPECT_EQ(std::memcmp(&before, &Margins(view_->currentPage), sizeof before), 0);
}

// The left margin moved by 100 takes the systems that started within 32 units of
// the old edge; an indented system stays; a move of 8 units or less takes none.
TEST_F(MarginTest, LeftEdgeTakesItsSystems) {
    ScorePage* page = view_->currentPage;
    ASSERT_GE(SystemCount(page), 2);
    ScoreSystem* first = page->firstSystem.get();
    ScoreSystem* second = first->next.get();
    first->x = 1020;   // within 32 of 1000: follows
    second->x = 1300;  // indented: stays
    MoveSystemsWithLeftEdge(page, 1000, 1100);
    EXPECT_EQ(first->x, 1100);
    EXPECT_EQ(second->x, 1300);
    first->x = 1000;
    MoveSystemsWithLeftEdge(page, 1000, 1008);
    EXPECT_EQ(first->x, 1000);
    // Through a drag: the page is formatted again between the new margins, and the
    // left distance is what its inch word gives.
    int32_t oldLeft = Margins(page).distances[0] + kPageOrigin;
    Drag(kMarginLeftHandle, 100, 0);
    int32_t expected = oldLeft + 100 - kPageOrigin;
    EXPECT_EQ(V(Margins(page).distances[0]), BcdToPageUnits(*doc_, FormatUnitsValue(*doc_, expected), true));
    EXPECT_EQ(page->firstSystem->x, Margins(page).distances[0] + kPageOrigin);
}

// On a master page without a view scale the top is rounded to 64 before the inch
// conversion (2590 -> 2560), and the distance is what its inch word gives.
TEST_F(MarginTest, MasterTopIsRoundedBeforeConversion) {
    view_->currentPage = doc_->leftMaster;
    view_->zoomFactor = 0.0;
    Margins(doc_->leftMaster).distances[1] = 2560;
    ASSERT_NE(FormatUnitsValue(*doc_, 2590), FormatUnitsValue(*doc_, 2560));
    Drag(kMarginTopHandle, 0, 30);
    const MarginBody after = Margins(doc_->leftMaster);
    EXPECT_EQ(after.words[1], FormatUnitsValue(*doc_, 2560));
    EXPECT_EQ(after.distances[1], BcdToPageUnits(*doc_, FormatUnitsValue(*doc_, 2560), true));
    EXPECT_EQ(RoundMarginToZoom(2590, 0.0), 2560);
    EXPECT_EQ(RoundMarginToZoom(2591, 0.5), 2592);  // 5182 -> 5184 at half scale
}

// Mode 2 on a double-sided score: the left master's margins go to the pages of its
// parity only; mode 0 copies nothing.
TEST_F(MarginTest, MasterModeTwoCopiesToItsParity) {
    ASSERT_TRUE(InsertPages(view_, 2, true));
    doc_->header.pageGeometry.sides = 1;
    view_->currentPage = doc_->leftMaster;
    State().layout.MasterMarginMode = 0;
    Drag(kMarginLeftHandle, 128, 0);
    int32_t masterLeft = Margins(doc_->leftMaster).distances[0];
    for (ScorePage* page = doc_->firstPage; page != nullptr; page = page->next.get()) {
        if (page->pageNumber > 0) {
            EXPECT_NE(V(Margins(page).distances[0]), masterLeft);
        }
    }
    State().layout.MasterMarginMode = kMasterMarginsCopied;
    Drag(kMarginLeftHandle, 128, 0);
    masterLeft = Margins(doc_->leftMaster).distances[0];
    int copied = 0;
    int kept = 0;
    for (ScorePage* page = doc_->firstPage; page != nullptr; page = page->next.get()) {
        if (page->pageNumber <= 0) continue;
        bool left = IsLeftPage(doc_, GetPageIndex(doc_, page));
        EXPECT_EQ(Margins(page).distances[0] == masterLeft, left) << page->pageNumber;
        (left ? copied : kept) += 1;
    }
    EXPECT_GT(copied, 0);
    EXPECT_GT(kept, 0);
    State().layout.MasterMarginMode = 0;
}

// Shift with the bottom edge dragged down adds a system to the page, up removes
// one; the page's margins stay as they were.
TEST_F(MarginTest, ShiftMovesASystemAcrossTheBreak) {
    ASSERT_TRUE(InsertPages(view_, 1, true));
    view_->currentPage = doc_->firstPage;
    ScorePage* page = view_->currentPage;
    ASSERT_EQ(V(page->pageNumber), 1);
    int systems = SystemCount(page);
    int32_t bottom = Margins(page).distances[3];
    win::headless::SetKeyDown(win::Key::Shift, true);
    Drag(kMarginBottomHandle, 0, -256);
    EXPECT_EQ(SystemCount(page), systems - 1);
    Drag(kMarginBottomHandle, 0, 256);
    EXPECT_EQ(SystemCount(page), systems);
    EXPECT_EQ(V(Margins(page).distances[3]), bottom);
}

// Without Shift, a bottom edge raised past the systems leaves each on a page it
// fits: the ones that no longer fit go on to the next page.
TEST_F(MarginTest, RaisedBottomMovesWhatNoLongerFits) {
    ScorePage* page = view_->currentPage;
    const int systems = SystemCount(page);
    ASSERT_GE(systems, 2);
    const int measures = V(doc_->header.measureCount);
    const int32_t room = view_->PageBottom - Margins(page).distances[3] - page->firstSystem->y;
    Drag(kMarginBottomHandle, 0, -(room - 2048));
    EXPECT_LT(SystemCount(page), systems);
    EXPECT_TRUE(PageSystemsFit(view_, page));
    EXPECT_TRUE(pages::IsPageListSound(doc_));
    EXPECT_EQ(V(doc_->header.measureCount), measures);
}

// Shift with the top edge: on the second page the previous page gives up a system
// (top up) or takes one (top down); on the first page the margin is set instead.
TEST_F(MarginTest, ShiftTopEdgeWorksOnThePreviousPage) {
    ASSERT_TRUE(InsertPages(view_, 1, true));
    ScorePage* first = doc_->firstPage;
    ScorePage* second = first->next.get();
    ASSERT_NE(second, nullptr);
    int systems = SystemCount(first);
    win::headless::SetKeyDown(win::Key::Shift, true);
    view_->currentPage = second;
    Drag(kMarginTopHandle, 0, -256);
    EXPECT_EQ(SystemCount(first), systems - 1);
    Drag(kMarginTopHandle, 0, 256);
    EXPECT_EQ(SystemCount(first), systems);
    view_->currentPage = first;
    int32_t top = Margins(first).distances[1];
    Drag(kMarginTopHandle, 0, 256);
    EXPECT_EQ(SystemCount(first), systems);
    EXPECT_NE(V(Margins(first).distances[1]), top);
}

// With the margin display off Update draws nothing; on, the lines are drawn.
TEST_F(MarginTest, DisplaySwitch) {
    OpenWindow(400, 400);
    ScoreObject* margins = MarginsOf(view_->currentPage);
    Options().ShowMargins = 0;
    ClassOf(margins).Update(margins, view_);
    EXPECT_EQ(Pixel(Margins(view_->currentPage).distances[0] + kPageOrigin + 200,
                    Margins(view_->currentPage).distances[1] + kPageOrigin),
              0xFFFFFFu);
    Options().ShowMargins = 1;
    ClassOf(margins).Update(margins, view_);
    EXPECT_NE(Pixel(Margins(view_->currentPage).distances[0] + kPageOrigin + 200,
                    Margins(view_->currentPage).distances[1] + kPageOrigin),
              0xFFFFFFu);
    SavePicture("margins_display.png");
}

}  // namespace
}  // namespace ql::testing_shapes
