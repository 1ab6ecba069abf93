// The rulers: their tick geometry from the screen resolution, the ticks shown at
// each zoom (no sixteenths below zoom 4, no thirty-seconds below 10, centimetre
// tenths from 12), and the rulers of a score window painted on the headless
// backend, written to test-output as inch and centimetre rulers at two zooms and
// read back: one blue tick for every tick the ruler should show.
#include <gtest/gtest.h>

#include <cairo.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/draw/view_metrics.h"
#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "display/linked_views.h"
#include "display/view_modes.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc_access.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/rulers.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

constexpr double kUnitsPerInch = 1917.44;
constexpr int32_t kScreenDpi = 96;

int SubTicksOfFirstInch(int zoom, bool centimetres = false) {
    RulerScale scale;
    scale.unitsPerInch = kUnitsPerInch;
    scale.span64 = 64.0 * 128 / zoom;
    scale.origin = -30720;
    scale.length = 4000;
    scale.zoom = zoom;
    scale.centimetres = centimetres;
    int count = 0;
    for (const RulerTick& tick : RulerTicks(ComputeRulerMetrics(kScreenDpi, kScreenDpi), scale)) {
        if (tick.label == 1) break;
        if (tick.label < 0) ++count;
    }
    return count;
}

// A 96-dpi screen: rulers 19 pixels thick; the inch tick reaches the edge, the
// shorter ones end further from it; the thirty-second stays inside a thin ruler.
TEST(RulerMetricsTest, TickTopsFromTheRulerSize) {
    const RulerMetrics m = ComputeRulerMetrics(kScreenDpi, 120);
    EXPECT_EQ(m.topThickness, 19);
    EXPECT_EQ(m.leftThickness, 24);
    EXPECT_EQ(m.halfTop, 4);
    EXPECT_EQ(m.quarterTop, 7);
    EXPECT_EQ(m.eighthTop, 11);
    EXPECT_EQ(m.sixteenthTop, 13);
    EXPECT_EQ(m.thirtySecondTop, 15);
    EXPECT_EQ(m.labelBase, 9);
    const RulerMetrics thin = ComputeRulerMetrics(50, 50);  // b = 10, q = 4
    EXPECT_EQ(thin.quarterTop, 4);
    EXPECT_EQ(thin.thirtySecondTop, 11);  // q + 8 reaches b: q + 7
    EXPECT_EQ(thin.furtherTop, 13);
}

// Sub-ticks of one inch: 7 at zoom 3 (no sixteenths or thirty-seconds), 15 from
// zoom 4, all 31 from zoom 10. A centimetre shows its half, and its tenths from 12.
TEST(RulerMetricsTest, SubTicksByZoom) {
    EXPECT_EQ(SubTicksOfFirstInch(3), 7);
    EXPECT_EQ(SubTicksOfFirstInch(4), 15);
    EXPECT_EQ(SubTicksOfFirstInch(9), 15);
    EXPECT_EQ(SubTicksOfFirstInch(10), 31);
    EXPECT_EQ(SubTicksOfFirstInch(11, true), 1);
    EXPECT_EQ(SubTicksOfFirstInch(12, true), 9);
}

// Nothing to show, and a ruler far longer than any page, stay bounded.
TEST(RulerMetricsTest, BadScalesGiveBoundedTicks) {
    const RulerMetrics m = ComputeRulerMetrics(kScreenDpi, kScreenDpi);
    RulerScale scale;
    EXPECT_TRUE(RulerTicks(m, scale).empty());
    scale.unitsPerInch = kUnitsPerInch;
    scale.span64 = -1;
    scale.length = 100;
    EXPECT_TRUE(RulerTicks(m, scale).empty());
    scale.span64 = 1e9;  // a whole inch in far less than a pixel
    scale.length = 1 << 30;
    scale.zoom = 10;
    EXPECT_LE(RulerTicks(m, scale).size(), 2000u * 32);
    // Scrolled in by two and a half inches, the first number is 2.
    scale.span64 = 64.0 * 128 / 10;
    scale.origin = -30720 + static_cast<int32_t>(kUnitsPerInch * 2.5);
    scale.length = 500;
    EXPECT_EQ(RulerTicks(m, scale).front().label, 2);
}

class RulerPicture : public testing::ProgramFixture {
  protected:
    // A score window with rulers at a zoom, A4 paper for centimetres.
    ScoreView* OpenWithRulers(bool centimetres, int zoom) {
        EXPECT_EQ(Start(), StartupCode::Ok);
        const std::string path = WriteScore("rulers.ql");
        EXPECT_TRUE(OpenScorePath(path));
        ScoreView* view = FindViewByPath(path);
        if (view == nullptr) return nullptr;
        view->document->header.pageGeometry.paperKind = centimetres ? 4 : 0;
        Options().RulerOn = 0;
        ApplyRulerSettingToAllViews(view);  // on
        SetZoom(view, zoom);
        RefreshRulers(view, kBothRulers);
        return view;
    }
    // Runs of blue ink along a line of the ruler (a row of the top ruler, a column of
    // the left one) between two pixels.
    static int BlueRuns(platform::WindowHandle ruler, bool top, int32_t line, int32_t from, int32_t to) {
        cairo_surface_t* surface = gfx::BitmapSurfaceForDisplay(win::GetWindowImage(ruler));
        if (surface == nullptr) return -1;
        cairo_surface_flush(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        int runs = 0;
        bool inRun = false;
        for (int32_t i = from; i < to; ++i) {
            const int x = top ? i : line;
            const int y = top ? line : i;
            const unsigned char* p = data + y * stride + x * 4;  // B, G, R, A
            const bool blue = p[0] > 160 && p[1] < 96 && p[2] < 96;
            if (blue && !inRun) ++runs;
            inRun = blue;
        }
        return runs;
    }
    static void Write(platform::WindowHandle ruler, const std::string& name) {
        std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
        EXPECT_TRUE(gfx::WritePng(win::GetWindowImage(ruler), (std::filesystem::path(QL_TEST_OUTPUT_DIR) / name).string()));
    }
    // The ticks of the first whole unit after the ruler's start, as painted.
    static std::pair<int32_t, int32_t> FirstUnit(ScoreView* view, bool top, int32_t length) {
        const auto ticks = RulerTicks(ScreenRulerMetrics(), ViewRulerScale(view, top, length));
        int32_t start = -1;
        for (const RulerTick& tick : ticks) {
            if (tick.label < 0 || tick.at < 2) continue;
            if (start < 0) {
                start = tick.at;
            } else {
                return {start, tick.at};
            }
        }
        return {-1, -1};
    }
};

// Inch rulers at zoom 3 and 10, centimetre rulers at zoom 8 and 12: the pictures are
// written for review, and along the top ruler one whole unit holds one tick for
// each sub-tick its zoom shows, plus the unit's own.
TEST_F(RulerPicture, InchAndCentimetreRulersAtTwoZooms) {
    struct Case {
        bool centimetres;
        int zoom;
        int ticks;  // in one unit, its own included
    };
    for (const Case c : {Case{false, 3, 8}, Case{false, 10, 32}, Case{true, 8, 2}, Case{true, 12, 10}}) {
        ScoreView* view = OpenWithRulers(c.centimetres, c.zoom);
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(win::IsWindow(view->TopRuler));
        ASSERT_TRUE(win::IsWindow(view->LeftRuler));
        const std::string name = std::string(c.centimetres ? "ruler_cm" : "ruler_inch") + "_zoom" + std::to_string(c.zoom);
        Write(view->TopRuler, name + "_top.png");
        Write(view->LeftRuler, name + "_left.png");
        const RulerMetrics m = ScreenRulerMetrics();
        const gfx::Rect client = win::GetClientRect(view->TopRuler);
        const auto [from, to] = FirstUnit(view, true, client.right);
        ASSERT_GE(from, 0) << name;
        EXPECT_EQ(BlueRuns(view->TopRuler, true, m.thirtySecondTop + 1, from, to), c.ticks) << name;
        TearDown();
        SetUp();
    }
}

// The tracking line follows the pointer: drawn with XOR at the pointer's x across
// the top ruler, and removed from the old x when the pointer moves on.
TEST_F(RulerPicture, TrackingLineFollowsThePointer) {
    ScoreView* view = OpenWithRulers(false, 6);
    ASSERT_NE(view, nullptr);
    const platform::WindowHandle ruler = view->TopRuler;
    auto pixel = [ruler](int x, int y) {
        cairo_surface_t* surface = gfx::BitmapSurfaceForDisplay(win::GetWindowImage(ruler));
        cairo_surface_flush(surface);
        const unsigned char* p = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface) + x * 4;
        return (p[2] << 16) | (p[1] << 8) | p[0];
    };
    // A column between ticks at the ruler's outer half: white until the line comes.
    const int32_t row = 1;
    int32_t x = 0;
    for (int32_t c = 30; c < 200 && x == 0; ++c)
        if (pixel(c, row) == 0xFFFFFF && pixel(c + 40, row) == 0xFFFFFF) x = c;
    ASSERT_GT(x, 0);
    win::SetCursorPosition(win::ClientToScreen(ruler, {x, 5}));
    TrackRulerLines(view);
    EXPECT_EQ(view->RulerTrackX, x);
    EXPECT_NE(pixel(x, row), 0xFFFFFF);
    win::SetCursorPosition(win::ClientToScreen(ruler, {x + 40, 5}));
    TrackRulerLines(view);
    EXPECT_EQ(pixel(x, row), 0xFFFFFF);
    EXPECT_NE(pixel(x + 40, row), 0xFFFFFF);
    Write(ruler, "ruler_tracking_line.png");
}

// Switching the setting off destroys both rulers of the window, on makes them again.
TEST_F(RulerPicture, DisplayRulerSwitchesEveryWindow) {
    ScoreView* view = OpenWithRulers(false, 6);
    ASSERT_NE(view, nullptr);
    const platform::WindowHandle top = view->TopRuler;
    ApplyRulerSettingToAllViews(view);
    EXPECT_EQ(Options().RulerOn, 0);
    EXPECT_FALSE(win::IsWindow(top));
    EXPECT_FALSE(view->TopRuler);
    ApplyRulerSettingToAllViews(view);
    EXPECT_TRUE(win::IsWindow(view->TopRuler));
    EXPECT_EQ(win::GetParent(view->LeftRuler), view->ViewWindow);
}

// A paint of the score window leaves both rulers to be painted again, so that they
// follow what the view now shows.
TEST_F(RulerPicture, APaintOfTheViewBringsTheRulersUpToDate) {
    ScoreView* view = OpenWithRulers(false, 6);
    ASSERT_NE(view, nullptr);
    win::UpdateWindow(view->TopRuler);
    win::UpdateWindow(view->LeftRuler);
    ASSERT_TRUE(win::GetUpdateRect(view->TopRuler).IsEmpty());
    PaintViewContents(view, false);
    EXPECT_FALSE(win::GetUpdateRect(view->TopRuler).IsEmpty());
    EXPECT_FALSE(win::GetUpdateRect(view->LeftRuler).IsEmpty());
}

}  // namespace
}  // namespace ql
