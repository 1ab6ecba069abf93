// The layout repairs of a bottom-margin drag: the page's bookkeeping corrected (with
// its warning) before a system is added or removed, a system moved to or taken from
// the next page, freed with its measures handed on, and added on the last page.
#include <string>

#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/undo/undo.h"
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
    // A second page view of the score at a measure of a page.
    ScoreView* ViewAt(ScorePage* page, int measure) {
        ScoreView* other = InitView(AllocView());
        other->document = doc_;
        other->pageView = 1;
        other->currentPage = page;
        other->currentSystem = FindSystemOf(page, measure);
        other->currentMeasure = measure;
        other->currentStaff = 1;
        LinkView(other);
        return other;
    }
    static ScoreSystem* FindSystemOf(ScorePage* page, int measure) {
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get())
            if (measure >= s->firstMeasure && measure <= s->lastMeasure) return s;
        return nullptr;
    }
    // "" when the systems of the pages, in page order, hold the measures 1..count
    // each once and in turn; else the first measure out of turn.
    std::string MeasuresInTurn() const {
        int expected = 1;
        for (const PageShape& page : Shapes())
            for (const auto& [first, last] : page.systems) {
                if (first != expected) return "system from " + std::to_string(first) + " where " + std::to_string(expected) + " was due";
                expected = last + 1;
            }
        if (expected != doc_->header.measureCount + 1) return "the pages end at " + std::to_string(expected - 1);
        return "";
    }
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

// Measures handed on past the last page's end go on new systems there, on a new
// page while the last one is full, so that no measure of the score is left off the
// pages; Undo of the removal brings the pages back as they were.
TEST_F(PageRepair, HandedOnMeasuresStayOnThePages) {
    TakeUndoBaseline(doc_);
    const std::vector<PageShape> before = Shapes();
    // As the margin drag does it: one undoable edit that marks the score modified.
    auto removeUndoably = [&] {
        UndoStep step(doc_, view_, UndoKind::Page, 0, UndoVerb::Modify);
        const bool removed = RemoveSystemFromPage(view_, Page(0), false);
        SetDocumentModified(doc_);
        return removed;
    };
    ASSERT_TRUE(removeUndoably());
    EXPECT_EQ(MeasuresInTurn(), "");
    EXPECT_EQ(LayoutFault(), "");
    EXPECT_EQ(doc_->header.measureCount, 18);
    ASSERT_EQ(PageCount(), 4);
    EXPECT_EQ(doc_->header.pageCount, 4);
    EXPECT_EQ(Shapes()[3], (PageShape{17, 18, {{17, 18}}}));
    EXPECT_EQ(Page(3)->pageNumber, 4);
    // A last page with room takes them on systems of its own.
    ASSERT_TRUE(removeUndoably());
    EXPECT_EQ(MeasuresInTurn(), "");
    EXPECT_EQ(LayoutFault(), "");
    EXPECT_EQ(PageCount(), 4);
    EXPECT_EQ(Shapes()[3], (PageShape{15, 18, {{15, 16}, {17, 18}}}));
    ASSERT_EQ(UndoDepth(doc_), 2);
    UndoCommand(doc_, view_);
    UndoCommand(doc_, view_);
    EXPECT_EQ(Shapes(), before);
    EXPECT_EQ(doc_->header.pageCount, 3);
    EXPECT_EQ(LayoutFault(), "");
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
    // The measures of the systems removed went with them.
    EXPECT_EQ(doc_->header.measureCount, 14);
    EXPECT_EQ(MeasuresInTurn(), "");
    EXPECT_EQ(LayoutFault(), "");
}

// On the last page a system whose measures hold music stays: removing it would
// leave the music on no page.
TEST_F(PageRepair, LastPageKeepsASystemWithMusic) {
    ASSERT_TRUE(AddSystemToPage(view_, Page(2), false));
    ASSERT_NE(Note(1, 19, 0, 0, 9), nullptr);
    EXPECT_FALSE(RemoveSystemFromPage(view_, Page(2), false));
    EXPECT_EQ(Shapes()[2], (PageShape{13, 20, {{13, 14}, {15, 16}, {17, 18}, {19, 20}}}));
    EXPECT_EQ(doc_->header.measureCount, 20);
    EXPECT_EQ(MeasuresInTurn(), "");
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

// Every view of the score keeps a system of its own page when systems come and
// go: a freed or moved-away system is never left current, and the view lands on
// its page's system nearest to its measure, with the slot of that measure.
TEST_F(PageRepair, ViewsNeverKeepASystemThatLeftTheirPage) {
    ScoreView* freed = ViewAt(Page(0), 6);    // its system {5, 6} is freed
    ScoreView* taken = ViewAt(Page(1), 7);    // its system {7, 8} moves to page 1
    ASSERT_TRUE(RemoveSystemFromPage(view_, Page(0), false));
    EXPECT_EQ(freed->currentSystem, FindSystemOf(Page(0), 4));
    EXPECT_EQ(freed->currentMeasure, 4);
    EXPECT_EQ(freed->currentSlot, 2);
    ASSERT_EQ(Shapes()[1].systems.front(), (std::pair<int, int>{5, 6}));
    ASSERT_TRUE(AddSystemToPage(view_, Page(0), true));  // {5, 6} comes back up
    EXPECT_TRUE(pages::IsSystemOnPage(Page(1), taken->currentSystem));
    EXPECT_EQ(taken->currentMeasure, taken->currentSystem->firstMeasure + taken->currentSlot - 1);
    FreeView(freed);
    FreeView(taken);
}

// A view stays on its measure where its page still holds it, even when that
// measure now lies in another system of the page; on the last page a view whose
// systems go takes the one left.
TEST_F(PageRepair, ViewsStayOnTheirMeasure) {
    ScoreView* other = ViewAt(Page(1), 9);  // page 2's second system {9, 10}
    ASSERT_TRUE(RemoveSystemFromPage(view_, Page(0), false));  // later systems move down 2
    ASSERT_EQ(Shapes()[1], (PageShape{5, 10, {{5, 6}, {7, 8}, {9, 10}}}));
    EXPECT_EQ(other->currentMeasure, 9);
    EXPECT_EQ(other->currentSystem, FindSystemOf(Page(1), 9));
    EXPECT_EQ(other->currentSlot, 1);
    ScoreView* last = ViewAt(Page(2), 16);  // page 3's last system {15, 16}
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(RemoveSystemFromPage(view_, Page(2), false));
    EXPECT_EQ(last->currentSystem, Page(2)->firstSystem.get());
    EXPECT_EQ(last->currentMeasure, 12);
    FreeView(other);
    FreeView(last);
}

}  // namespace
}  // namespace ql::testing_layout
