// Random page edits (fixed seeds): pages appended, inserted and deleted, system and
// page breaks moved, the score re-broken from a page (every page or that page
// only), the margins, paper and staff size changed, and measures inserted and
// deleted at barlines, with Undo now and then. After every edit the page list is
// sound, every measure is on exactly one system, and every system lies between its
// page's margins without overlapping the one before it; every tenth edit a paint
// of every page changes nothing; re-breaking twice gives the layout of re-breaking
// once. The engraving check finds nothing after any edit.
#include <random>
#include <string>

#include "core/model/pages.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "display/tests/painter/engraving_expect.h"
#include "display/tests/painter/paint_check.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "layout/page_edit.h"
#include "layout/page_format.h"
#include "layout/page_geometry.h"
#include "layout/tests/pages/page_format_fixture.h"
#include "staves/measure_edit.h"

namespace ql::testing_layout {
namespace {

constexpr int kStepsPerSeed = 100;
constexpr int kStepsBetweenPaints = 10;  // a paint of every page is the slow part
constexpr BcdInches kMargins[] = {0x0025, 0x0050, 0x0100, 0x0175, 0x0250};
constexpr int kStaffSizes[] = {1, 2, 4, 6};

class PageRandomTest : public PageFormatTest, public ::testing::WithParamInterface<unsigned> {
  protected:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

    void ShowRandomPage() {
        view_->currentPage = GetPageAt(doc_, Pick(0, doc_->header.pageCount - 1));
        view_->currentSystem = view_->currentPage->firstSystem.get();
    }

    ScoreSystem* RandomSystem() {
        ScoreSystem* s = view_->currentPage->firstSystem.get();
        for (int i = Pick(0, pages::CountSystems(view_->currentPage) - 1); i > 0; --i) s = s->next.get();
        return s;
    }

    void ChangeGeometry() {
        StartPageGeometryRun(doc_);
        LayoutGlobals& run = State().layout;
        for (int i = 0; i < kMarginCount; ++i)
            run.WorkingLeftMargins[i] = run.WorkingRightMargins[i] = kMargins[Pick(0, 4)];
        if (Pick(0, 2) == 0) run.StaffSizeChosen = static_cast<uint8_t>(kStaffSizes[Pick(0, 3)] + 1);
        if (Pick(0, 3) == 0) doc_->workingPageGeometry.orientation ^= 1;
        ApplyPageGeometry(view_, platform::WindowHandle{});
    }

    void Reformat(bool allPages) {
        ReformatOptions options;
        options.allPages = allPages ? 1 : 0;
        options.reformat = static_cast<uint8_t>(Pick(0, 1));
        options.measuresPerSystem = static_cast<uint16_t>(Pick(0, 6));
        options.systemsPerPage = static_cast<uint8_t>(Pick(0, 6));
        ReformatFromPage(view_, &options, view_->currentPage);
    }

    // One edit; its name. Edits that make no undo step of their own are made in
    // one, as the commands that call them do.
    std::string RandomEdit() {
        ShowRandomPage();
        const int count = doc_->header.measureCount;
        const int which = Pick(0, 11);
        switch (which) {
            case 1: InsertPages(view_, Pick(1, 2), Pick(0, 1) == 1); return "insert pages";
            case 2: DeletePages(view_, 1); return "delete page";
            case 8: ChangeGeometry(); return "geometry";
            case 11:
                if (UndoDepth(doc_) > 0) UndoCommand(doc_, view_);
                return "undo";
            default: break;
        }
        UndoStep step(doc_, view_, UndoKind::Page, 0, UndoVerb::Modify);
        switch (which) {
            case 0: AppendPage(view_); return "append page";
            case 3: MoveSystemBreakBack(view_, view_->currentPage, RandomSystem(), Pick(1, 3)); return "break back";
            case 4: MoveSystemBreakForward(view_, view_->currentPage, RandomSystem(), Pick(1, 3)); return "break forward";
            case 5: MovePageBreak(view_, view_->currentPage, nullptr, Pick(1, 5)); return "page break";
            case 6: Reformat(true); return "reformat";
            case 7: Reformat(false); return "reformat this page";
            case 9: InsertMeasure(view_, Pick(1, count + 1)); return "insert measure";
            default: DeleteMeasureAtBarline(view_, Pick(1, count)); return "delete measure";
        }
    }

    std::mt19937 rng_;
};

TEST_P(PageRandomTest, EveryMeasureOnOneSystemInsideItsPage) {
    const unsigned seed = GetParam();
    rng_.seed(seed);
    NewScore(Pick(1, 4), Pick(2, 6), Pick(2, 5));
    TakeUndoBaseline(doc_);
    for (int step = 0; step < kStepsPerSeed; ++step) {
        State().input.StickyCtrlFlag = static_cast<uint8_t>(Pick(0, 3) == 0);
        const std::string edit = RandomEdit();
        ASSERT_EQ(LayoutFault(), "") << "seed " << seed << " step " << step << ": " << edit;
        ASSERT_TRUE(::ql::testing::EngravingIsClean(view_))
            << "seed " << seed << " step " << step << ": " << edit;
        if (step % kStepsBetweenPaints == 0) {
            ASSERT_TRUE(::ql::testing::PaintingEveryPageChangesNothing(view_)) << "step " << step << ": " << edit;
        }
    }
    State().input.StickyCtrlFlag = 0;
    ReformatOptions options;
    options.reformat = 1;
    ReformatFromPage(view_, &options, doc_->firstPage);
    const auto once = Shapes();
    ASSERT_EQ(LayoutFault(), "");
    ReformatFromPage(view_, &options, doc_->firstPage);
    ASSERT_EQ(Shapes(), once);
}

// Six seeds of a hundred edits each.
INSTANTIATE_TEST_SUITE_P(Seeds, PageRandomTest, ::testing::Range(1u, 7u));

}  // namespace
}  // namespace ql::testing_layout
