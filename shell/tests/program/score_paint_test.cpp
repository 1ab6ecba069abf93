// An opened score is painted in its window at once: the window's image holds the
// page (its edge at least), not the blank of a window nobody painted.
#include <gtest/gtest.h>

#include <cairo.h>

#include "core/model/view.h"
#include "platform/gfx/dc_access.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using ScorePaintTest = testing::ProgramFixture;

int DarkPixels(platform::BitmapHandle image) {
    cairo_surface_t* surface = gfx::BitmapSurfaceForDisplay(image);
    if (surface == nullptr) return -1;
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int dark = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = data + y * stride + x * 4;
            if (p[0] < 96 && p[1] < 96 && p[2] < 96) ++dark;
        }
    return dark;
}

TEST_F(ScorePaintTest, AnOpenedScoreIsPaintedInItsWindow) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string path = WriteScore("painted.ql");
    ASSERT_TRUE(OpenScorePath(path));
    ScoreView* view = FindViewByPath(path);
    ASSERT_NE(view, nullptr);
    win::InvalidateRect(view->ViewWindow, nullptr, true);
    win::UpdateWindow(view->ViewWindow);
    EXPECT_GT(DarkPixels(win::GetWindowImage(view->ViewWindow)), 500) << "the page is drawn";
}

}  // namespace
}  // namespace ql
