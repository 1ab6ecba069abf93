// The frame and its main bar's notices: a band moved to a row of its own makes the
// bar taller and the document client moves down by as much; a new size of the Pagers
// band brings the page band up to date for the active view.
#include <gtest/gtest.h>

#include "core/model/view.h"
#include "editing/page_band.h"
#include "platform/ui/rebar.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/rebar/main_rebar.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

class FrameBarNoticesTest : public testing::ProgramFixture {
  protected:
    static int32_t ClientTop() { return win::GetWindowRect(Frame().mdiClient).top; }
};

TEST_F(FrameBarNoticesTest, ABandOnANewRowMovesTheDocumentClientDown) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    Pump();
    const platform::WindowHandle bar = MainRebarWindow();
    ASSERT_TRUE(bar);
    const int32_t height = ui::RebarHeight(bar);
    const int32_t top = ClientTop();
    ASSERT_EQ(ui::DropRebarBand(bar, 0, {ui::kBandGripWidth, height + 2}), ui::BandDrop::Moved);
    const int32_t taller = ui::RebarHeight(bar);
    ASSERT_GT(taller, height);
    EXPECT_EQ(Frame().barThickness, taller);
    EXPECT_EQ(ClientTop() - top, taller - height);
}

TEST_F(FrameBarNoticesTest, ThePagersBandResizedLaysThePageBandOut) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    RequestOpen(WriteScore("pagers.ql"));
    Pump();
    ASSERT_NE(GetActiveScoreView(), nullptr);
    ShowBand(kPagersBand);
    const platform::WindowHandle bar = MainRebarWindow();
    const int32_t index = ui::RebarIdToIndex(bar, kPagersBand);
    ASSERT_GE(index, 0);
    HidePageBand();
    ASSERT_FALSE(win::IsWindowVisible(PageArrowWindow(true)));
    ASSERT_TRUE(ui::SetRebarBandWidth(bar, index, ui::GetRebarBand(bar, index)->width + 20));
    EXPECT_TRUE(win::IsWindowVisible(PageArrowWindow(true)));
}

}  // namespace
}  // namespace ql
