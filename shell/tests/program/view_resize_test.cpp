// A score window that changes size shows the page as far as the window now reaches:
// the view's visible area follows the window, so the page's right edge is drawn
// once the window is wide enough to hold it (a score opened at start-up, before the
// frame took its size, showed no edge).
#include <gtest/gtest.h>

#include <cairo.h>

#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/model/view.h"
#include "platform/gfx/dc_access.h"
#include "platform/gfx/mapping.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using ViewResizeTest = testing::ProgramFixture;

// Dark pixels of the window's image in one column.
int DarkPixelsInColumn(platform::BitmapHandle image, int x) {
    cairo_surface_t* surface = gfx::BitmapSurfaceForDisplay(image);
    if (surface == nullptr) return -1;
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    if (x < 0 || x >= width) return 0;
    int dark = 0;
    for (int y = 0; y < height; ++y) {
        const unsigned char* p = data + y * stride + x * 4;
        if (p[0] < 96 && p[1] < 96 && p[2] < 96) ++dark;
    }
    return dark;
}

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
    const platform::BitmapHandle image = win::GetWindowImage(view->ViewWindow);
    int dark = 0;
    for (int x = edge.x - 1; x <= edge.x + 1; ++x) dark = std::max(dark, DarkPixelsInColumn(image, x));
    EXPECT_GT(dark, std::min(edge.y, client.Height()) / 2) << "no page edge at x " << edge.x;
}

}  // namespace
}  // namespace ql
