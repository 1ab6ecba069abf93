// The follow frame of playback as the score window paints it: red around the
// played measure on the staves it names, in page view and in scroll view, and gone
// once cleared.
#include <gtest/gtest.h>

#include <cairo.h>

#include "core/state.h"
#include "display/follow_mark.h"
#include "platform/gfx/dc_access.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/score_windows.h"
#include "shell/shell_services.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using FollowMarkPaintTest = testing::ProgramFixture;

constexpr int kScrollViewCommand = 40146;

int RedPixels(ScoreView* view) {
    win::InvalidateRect(view->ViewWindow, nullptr, true);
    win::UpdateWindow(view->ViewWindow);
    cairo_surface_t* surface = gfx::BitmapSurfaceForDisplay(win::GetWindowImage(view->ViewWindow));
    if (surface == nullptr) return -1;
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int red = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = data + y * stride + x * 4;  // blue, green, red
            red += p[2] > 180 && p[1] < 90 && p[0] < 90;
        }
    return red;
}

TEST_F(FollowMarkPaintTest, TheFollowedMeasureIsFramedInBothViews) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string path = WriteScore("followed.ql");
    ASSERT_TRUE(OpenScorePath(path));
    ScoreView* view = FindViewByPath(path);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(RedPixels(view), 0);
    SetFollowMark(view, 1, uint64_t{1} << 1);
    const int framed = RedPixels(view);
    EXPECT_GT(framed, 100) << "page view";
    SetFollowMark(view, 1, 0);  // no staff heard: nothing framed
    EXPECT_EQ(RedPixels(view), 0);

    ASSERT_EQ(ViewOnCommand(view, kScrollViewCommand), 1);
    ASSERT_EQ(view->pageView, 0);
    SetFollowMark(view, 1, uint64_t{1} << 1);
    EXPECT_GT(RedPixels(view), 100) << "scroll view";
    ClearFollowMark();
    EXPECT_EQ(RedPixels(view), 0);
}

}  // namespace
}  // namespace ql
