// A score window that changes size shows the page as far as the window now reaches:
// the view's visible area follows the window, so the page's right edge is drawn
// once the window is wide enough to hold it (a score opened at start-up, before the
// frame took its size, showed no edge).
#include <gtest/gtest.h>

#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/model/view.h"
#include "platform/gfx/mapping.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/program_fixture.h"
#include "shell/tests/program/window_pictures.h"

namespace ql {
namespace {

using ViewResizeTest = testing::ProgramFixture;

TEST_F(ViewResizeTest, AWindowGrownPastThePageShowsThePagesEdge) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string path = WriteScore("resized.ql");
    // The window opens small, then the frame grows to hold the whole page width.
    win::MoveWindow(Frame().window, {0, 0, 400, 300}, true);
    Pump();
    ASSERT_TRUE(OpenScorePath(path));
    ScoreView* view = FindViewByPath(path);
    ASSERT_NE(view, nullptr);
    win::MoveWindow(Frame().window, {0, 0, 1600, 1200}, true);
    Pump();
    const gfx::Rect client = win::GetClientRect(view->ViewWindow);
    EXPECT_EQ(view->DeviceWidth, client.Width());
    BeginViewDraw(view);
    const gfx::Point edge = gfx::LogicalToDevice(view->ViewDC, gfx::Point{view->PageRight, view->PageBottom});
    EndViewDraw(view);
    ASSERT_GT(edge.x, 0);
    ASSERT_LT(edge.x, client.Width()) << "the page is wider than the window";
    win::InvalidateRect(view->ViewWindow, nullptr, true);
    win::UpdateWindow(view->ViewWindow);
    int dark = 0;
    for (int x = edge.x - 1; x <= edge.x + 1; ++x)
        dark = std::max(dark, testing::DarkWindowPixels(view->ViewWindow, x, x + 1));
    EXPECT_GT(dark, std::min(edge.y, client.Height()) / 2) << "no page edge at x " << edge.x;
}

}  // namespace
}  // namespace ql
