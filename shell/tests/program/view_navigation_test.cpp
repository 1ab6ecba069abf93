// Going to a page or a measure on the screen: the drawing is redone for the page
// shown, the scroll bars stand at the view's origin so that the page's top can be
// scrolled back to, and the rulers follow the view.
#include <gtest/gtest.h>

#include "core/draw/draw_surface.h"
#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "core/units/view_moves.h"
#include "display/navigation.h"
#include "display/view_modes.h"
#include "platform/gfx/dc_access.h"
#include "platform/ui/headless.h"
#include "platform/win/input.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/score_windows.h"
#include "shell/shell_services.h"
#include "shell/tests/program/program_fixture.h"
#include "shell/tests/program/window_pictures.h"

namespace ql {
namespace {

class ViewNavigationTest : public testing::ProgramFixture {
  protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        ASSERT_EQ(Start(), StartupCode::Ok);
        Options().RulerOn = 1;
        const std::string path = WriteScore("navigated.ql");
        ASSERT_TRUE(OpenScorePath(path));
        view_ = FindViewByPath(path);
        ASSERT_NE(view_, nullptr);
        Pump();
    }
    ScoreView* view_ = nullptr;
};

TEST_F(ViewNavigationTest, ShowingAnotherPageRedrawsTheView) {
    ShowPageInView(view_, 1);  // one past the last: a second page is added
    ASSERT_EQ(view_->document->header.pageCount, 2);
    win::UpdateWindow(view_->ViewWindow);
    ScrollY(view_) = -30720 + 4096;
    ASSERT_EQ(ShowPageByIndex(view_, 0), 1);
    EXPECT_FALSE(win::GetUpdateRect(view_->ViewWindow).IsEmpty()) << "the page shown is drawn anew";
    EXPECT_EQ(ScrollY(view_), -30720) << "from its top";
    EXPECT_EQ(win::GetScrollPosition(view_->ViewWindow, win::ScrollBar::Vertical), -30720);
}

TEST_F(ViewNavigationTest, AfterGoToTheScrollBarsStandAtTheOriginAndTheRulersFollow) {
    SetZoom(view_, 64);
    win::UpdateWindow(view_->ViewWindow);
    ASSERT_TRUE(win::IsWindow(view_->LeftRuler));
    win::UpdateWindow(view_->LeftRuler);
    win::UpdateWindow(view_->TopRuler);
    const uint64_t left = testing::WindowImageHash(view_->LeftRuler);
    const uint64_t top = testing::WindowImageHash(view_->TopRuler);
    const int32_t x = ScrollX(view_);
    const int32_t y = ScrollY(view_);
    ASSERT_EQ(GoToMeasureIndex(view_, view_->document->header.measureCount), 1);
    ASSERT_TRUE(ScrollX(view_) != x || ScrollY(view_) != y) << "the last measure was out of sight";
    EXPECT_EQ(win::GetScrollPosition(view_->ViewWindow, win::ScrollBar::Vertical), ScrollY(view_));
    EXPECT_EQ(win::GetScrollPosition(view_->ViewWindow, win::ScrollBar::Horizontal),
              ScrollX(view_));
    EXPECT_TRUE(testing::WindowImageHash(view_->LeftRuler) != left || testing::WindowImageHash(view_->TopRuler) != top)
        << "the rulers show the new origin";
    win::SendMessage(view_->ViewWindow, win::Message::VerticalScroll,
                     win::MakeScrollWord(win::ScrollCode::Top, 0));
    EXPECT_EQ(ScrollY(view_), -30720) << "the page's top is reached again";
}

}  // namespace
}  // namespace ql

namespace ql {
namespace {

using StatusFollowsViewTest = testing::ProgramFixture;

std::string PagePart() {
    const auto& texts = ui::headless::StatusTexts();
    for (auto it = texts.rbegin(); it != texts.rend(); ++it)
        if (it->part == 0) return it->text;
    return {};
}

TEST_F(StatusFollowsViewTest, TheStatusBarSpeaksOfTheViewMadeActive) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string one = WriteScore("one.ql");
    const std::string two = WriteScore("two.ql");
    ASSERT_TRUE(OpenScorePath(one));
    ASSERT_TRUE(OpenScorePath(two));
    ScoreView* first = FindViewByPath(one);
    ScoreView* second = FindViewByPath(two);
    ShowPageInView(second, 1);  // the second score gets a second page, shown
    ASSERT_EQ(second->document->header.pageCount, 2);
    win::ActivateMdiChild(Frame().mdiClient, first->ViewWindow);
    EXPECT_NE(PagePart().find("Page: 1 of 1"), std::string::npos) << PagePart();
    win::ActivateMdiChild(Frame().mdiClient, second->ViewWindow);
    EXPECT_NE(PagePart().find("Page: 2 of 2"), std::string::npos) << PagePart();
}

}  // namespace
}  // namespace ql
