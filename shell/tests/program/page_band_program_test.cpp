// The page-button band in the running program: it shows beside a score in page
// view, a press on a page button shows that page (the "L" button the left master),
// the arrows turn the band and stop at its ends, the pressed button follows the
// page the view shows, and the band follows page insertion and the active score.
#include <gtest/gtest.h>

#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "display/navigation.h"
#include "display/view_modes.h"
#include "editing/page_band.h"
#include "editing/tools.h"
#include "layout/page/page_dialog_resources.h"
#include "layout/page/page_layout_resources.h"
#include "layout/page_edit.h"
#include "layout/page_format.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/score_windows.h"
#include "shell/rebar/main_rebar.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

class PageBandProgramTest : public testing::ProgramFixture {
  protected:
    // A started program with a score of `pages` pages open, its first page shown.
    ScoreView* OpenScoreOfPages(const std::string& name, int pages) {
        const std::string path = WriteScore(name);
        if (!OpenScorePath(path)) return nullptr;
        ScoreView* view = FindViewByPath(path);
        if (view == nullptr) return nullptr;
        if (pages > 1) InsertPages(view, pages - 1, true);
        ShowPageByIndex(view, 0);
        Pump();
        return view;
    }
    static void Press(platform::WindowHandle button) {
        win::SendMessage(button, win::Message::LeftButtonDown, 0, win::PackPoint({3, 3}));
        win::SendMessage(button, win::Message::LeftButtonUp, 0, win::PackPoint({3, 3}));
    }
    void Turn(bool forward) {
        Press(PageArrowWindow(forward));
        Pump();
    }
    static bool Ran(int32_t dialog) {
        for (const ui::headless::DialogRecord& record : ui::headless::Dialogs())
            if (record.templateId == sys::ResourceId(dialog)) return true;
        return false;
    }
    static int ShownPage(ScoreView* view) { return GetPageIndex(view->document, view->currentPage); }
    static PagerGlobals& Pager() { return State().pager; }
    // The band's page buttons show: the Next arrow shows with them.
    static bool ButtonsShown() { return win::IsWindowVisible(PageArrowWindow(true)); }
};

TEST_F(PageBandProgramTest, BandShowsBesideAScoreAndAPressShowsThatPage) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_TRUE(PageBandWindow());
    EXPECT_FALSE(ButtonsShown());
    EXPECT_EQ(win::GetWindowText(PageBandWindow()), kPageBandTitle);
    ScoreView* view = OpenScoreOfPages("pressed.ql", 3);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->document->header.pageCount, 3);
    EXPECT_TRUE(ButtonsShown());
    // L, R and the three pages; the rest hidden.
    EXPECT_EQ(view->pagerFirstPage, -2);
    EXPECT_EQ(Pager().VisibleCount, 5);
    EXPECT_TRUE(win::IsWindowVisible(PageButtonWindow(4)));
    EXPECT_FALSE(win::IsWindowVisible(PageButtonWindow(5)));

    Press(PageButtonWindow(3));  // page 2
    Pump();
    EXPECT_EQ(ShownPage(view), 1);
    EXPECT_EQ(Pager().CurrentButton, 3);
    Press(PageButtonWindow(0));  // "L"
    Pump();
    EXPECT_EQ(view->currentPage, view->document->leftMaster);
    Press(PageButtonWindow(1));  // "R"
    Pump();
    EXPECT_EQ(view->currentPage, view->document->rightMaster);
    EXPECT_EQ(CloseAndRun(), 0);
}

// Facing pages: back stops at "L"; forward moves on until the first button shows
// the last page and then does nothing, adding no page.
TEST_F(PageBandProgramTest, ArrowsStopAtTheLeftMasterAndAtTheLastPage) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = OpenScoreOfPages("turned.ql", 4);
    ASSERT_NE(view, nullptr);
    view->document->header.pageGeometry.sides = 1;
    for (int i = 0; i < 8; ++i) Turn(true);
    EXPECT_EQ(view->pagerFirstPage, 3);
    EXPECT_EQ(Pager().VisibleCount, 1);
    EXPECT_EQ(ShownPage(view), 3);
    Turn(true);
    EXPECT_EQ(view->pagerFirstPage, 3);
    EXPECT_EQ(ShownPage(view), 3);
    EXPECT_EQ(view->document->header.pageCount, 4);

    Turn(false);
    EXPECT_EQ(view->pagerFirstPage, 2);
    EXPECT_EQ(ShownPage(view), 2);
    for (int i = 0; i < 8; ++i) win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(100, 0));
    EXPECT_EQ(view->pagerFirstPage, -2);
    EXPECT_EQ(view->currentPage, view->document->leftMaster);
    EXPECT_FALSE(win::IsWindowVisible(PageArrowWindow(false)));
    EXPECT_EQ(CloseAndRun(), 0);
}

// Without facing pages back stops at "R"; Ctrl held reaches "L".
TEST_F(PageBandProgramTest, SingleSidedScoresStopAtTheRightMasterUnlessCtrlIsHeld) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = OpenScoreOfPages("single.ql", 2);
    ASSERT_NE(view, nullptr);
    view->document->header.pageGeometry.sides = 0;
    Turn(true);
    ASSERT_EQ(view->pagerFirstPage, -1);
    Turn(false);
    EXPECT_EQ(view->pagerFirstPage, -1);
    EXPECT_EQ(ShownPage(view), 1);
    win::headless::SetKeyDown(win::Key::Control, true);
    TurnPage(view, false);
    win::headless::SetKeyDown(win::Key::Control, false);
    EXPECT_EQ(view->pagerFirstPage, -2);
    EXPECT_EQ(view->currentPage, view->document->leftMaster);
    EXPECT_EQ(CloseAndRun(), 0);
}

// Showing a page beyond the band moves the band just enough to include it, and the
// pressed button is the page's; inserting pages widens the band.
TEST_F(PageBandProgramTest, BandKeepsTheShownPageVisibleAndFollowsInsertion) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = OpenScoreOfPages("long.ql", 20);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->document->header.pageCount, 20);
    EXPECT_EQ(Pager().VisibleCount, Pager().WantedCount);
    ShowPageByIndex(view, 17);
    EXPECT_EQ(view->pagerFirstPage, 17 - Pager().WantedCount + 1);
    EXPECT_EQ(Pager().CurrentButton, Pager().WantedCount - 1);
    ShowPageByIndex(view, 0);
    EXPECT_EQ(view->pagerFirstPage, 0);
    EXPECT_EQ(Pager().CurrentButton, 0);

    ScoreView* shorter = OpenScoreOfPages("short.ql", 1);
    ASSERT_NE(shorter, nullptr);
    EXPECT_EQ(Pager().VisibleCount, 3);  // L, R and page 1
    InsertPages(shorter, 2, true);
    EXPECT_EQ(Pager().VisibleCount, 5);
    EXPECT_TRUE(win::IsWindowVisible(PageButtonWindow(4)));
    // The other score made active again: the band shows its pages.
    win::ActivateMdiChild(Frame().mdiClient, view->ViewWindow);
    Pump();
    EXPECT_EQ(State().documents.ActiveView, view);
    EXPECT_EQ(Pager().VisibleCount, Pager().WantedCount);
    EXPECT_EQ(Pager().CurrentButton, 0);
    EXPECT_EQ(CloseAndRun(), 0);
}

// A second press on the pressed button opens Page Layout; a press with Ctrl held
// runs Go to Page; neither turns the page.
TEST_F(PageBandProgramTest, SecondPressOpensPageLayoutAndCtrlPressGoesToPage) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = OpenScoreOfPages("dialogs.ql", 2);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(Pager().CurrentButton, 2);
    Press(PageButtonWindow(2));
    Pump();
    EXPECT_TRUE(Ran(page_layout_dialog::kPageLayoutDialog));
    EXPECT_FALSE(Ran(go_to_page_dialog::kGoToPageDialog));
    win::headless::SetKeyDown(win::Key::Control, true);
    Press(PageButtonWindow(3));
    Pump();
    win::headless::SetKeyDown(win::Key::Control, false);
    EXPECT_TRUE(Ran(go_to_page_dialog::kGoToPageDialog));
    EXPECT_EQ(ShownPage(view), 0);
    EXPECT_EQ(Pager().CurrentButton, 2);  // still the page shown
    EXPECT_EQ(view->document->header.pageCount, 2);
    EXPECT_EQ(CloseAndRun(), 0);
}

// The marker moves on page by page and stays on the last page; the scroll view
// and closing the last score hide the band.
TEST_F(PageBandProgramTest, MarkerAdvancesToTheLastPageAndTheBandHidesWithoutAPage) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = OpenScoreOfPages("marker.ql", 3);
    ASSERT_NE(view, nullptr);
    for (int expected : {1, 2, 2}) {
        AdvancePageMarker(view);
        EXPECT_EQ(ShownPage(view), expected);
        EXPECT_EQ(Pager().CurrentButton, expected + 2);
    }
    EXPECT_EQ(view->document->header.pageCount, 3);
    ASSERT_TRUE(ButtonsShown());
    ASSERT_EQ(EnterScrollView(view), 1);
    EXPECT_FALSE(ButtonsShown());
    EnterPageView(view);
    EXPECT_TRUE(ButtonsShown());
    for (platform::WindowHandle window : WindowsOfDocument(view->document)) ForceCloseScoreWindow(window);
    Pump();
    EXPECT_FALSE(ButtonsShown());
    EXPECT_EQ(CloseAndRun(), 0);
}

// The band is the Pagers band of the main bar: the bar's child 1008. Made again
// with the bar, it keeps its pressed button and shows the view's pages; hidden
// with its band, the view's pages do not bring it back.
TEST_F(PageBandProgramTest, TheBandSitsInTheMainBarAndFollowsIt) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = OpenScoreOfPages("bar.ql", 3);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(win::GetParent(PageBandWindow()), MainRebarWindow());
    EXPECT_EQ(win::GetWindowId(PageBandWindow()), kPagersControlId);
    EXPECT_EQ(BandToolbar(kPagersBand), PageBandWindow());
    HandlePageTurnButton(view, 3, false);
    ASSERT_EQ(Pager().CurrentButton, 3);
    ASSERT_TRUE(RebuildMainRebar());
    EXPECT_EQ(win::GetParent(PageBandWindow()), MainRebarWindow());
    EXPECT_EQ(Pager().CurrentButton, 3);
    EXPECT_TRUE(ButtonsShown());
    EXPECT_TRUE(win::IsWindowVisible(PageButtonWindow(4)));
    HideBand(kPagersBand);
    EXPECT_FALSE(ButtonsShown());
    UpdatePagersToolbar(view);
    EXPECT_FALSE(ButtonsShown()) << "the hidden band came back with the view's pages";
    ShowBand(kPagersBand);
    EXPECT_TRUE(ButtonsShown());
    EXPECT_EQ(CloseAndRun(), 0);
}

}  // namespace
}  // namespace ql
