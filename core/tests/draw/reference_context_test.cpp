// The default printer's context and the reference context made from it: the
// reference measures at the printer's 600 dpi and becomes every view's companion,
// while the view keeps the screen's resolution, zoom and pixel units; a pause
// takes it away for a print run and makes it again.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/draw/reference_context.h"
#include "core/draw/view_metrics.h"
#include "core/tests/draw/draw_fixture.h"
#include "platform/gfx/caps.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/printer.h"

namespace ql::testing_draw {
namespace {

constexpr int kPrinterDpi = 600;

TEST(DefaultPrinter, MeasuresAt600DpiOnTheDefaultPageAndWritesNoFile) {
    namespace fs = std::filesystem;
    const auto entries = [] {
        return std::distance(fs::directory_iterator(fs::current_path()), fs::directory_iterator{});
    };
    const auto before = entries();
    platform::DcHandle printer = CreateDefaultPrinterDC();
    ASSERT_TRUE(printer);
    EXPECT_EQ(gfx::GetDeviceCaps(printer, gfx::DeviceCap::LogPixelsX), kPrinterDpi);
    EXPECT_EQ(gfx::GetDeviceCaps(printer, gfx::DeviceCap::LogPixelsY), kPrinterDpi);
    EXPECT_EQ(gfx::GetDeviceCaps(printer, gfx::DeviceCap::HorzRes), 5100);
    EXPECT_EQ(gfx::GetDeviceCaps(printer, gfx::DeviceCap::VertRes), 6600);
    ASSERT_TRUE(gfx::StartDocument(printer, "measure"));
    ASSERT_TRUE(gfx::StartPage(printer));
    EXPECT_TRUE(gfx::EndPage(printer));
    EXPECT_TRUE(gfx::EndDocument(printer));
    gfx::DeleteContext(printer);
    EXPECT_EQ(entries(), before);
}

using ReferenceContext = DrawTest;

struct ScreenMeasures {
    int32_t dpiY = 0;
    int32_t zoom = 0;
    int32_t pixelUnits = 0;
    bool operator==(const ScreenMeasures&) const = default;
};

ScreenMeasures MeasureView(ScoreView* view) {
    InitViewMetrics(view);
    return {State().drawing.ScreenDpiY, view->zoom, view->PixelUnitsY};
}

// Made once from the printer: a 600-dpi context that the view draws on beside its
// own and measures on, with the view's mapping; the view's screen measures stay.
TEST_F(ReferenceContext, IsAPrinterLikeCompanionAndTheScreenKeepsItsMeasures) {
    RequireMusicFonts();
    const ScreenMeasures screen = MeasureView(&view_);
    ASSERT_TRUE(MakeReferenceContext());
    const platform::DcHandle reference = State().drawing.ReferenceDC;
    EXPECT_EQ(gfx::GetDeviceCaps(reference, gfx::DeviceCap::LogPixelsY), kPrinterDpi);
    ASSERT_TRUE(MakeReferenceContext());
    EXPECT_EQ(State().drawing.ReferenceDC, reference) << "made once";
    EXPECT_EQ(MeasureView(&view_), screen);
    BeginViewDraw(&view_);
    EXPECT_EQ(MeasuringContext(&view_), reference);
    EXPECT_EQ(gfx::GetViewportExtent(reference), gfx::GetViewportExtent(view_.ViewDC));
    EXPECT_EQ(gfx::GetWindowOrigin(reference), gfx::GetWindowOrigin(view_.ViewDC));
    EndViewDrawAll(&view_);
    DropReferenceContext();
    EXPECT_FALSE(gfx::IsContextValid(reference));
    EXPECT_FALSE(State().drawing.ReferenceDC);
}

// The pause drops the reference for its life and makes a new one after; without a
// reference before, none comes.
TEST_F(ReferenceContext, APauseGivesItBackOnlyWhenItWasThere) {
    ASSERT_TRUE(MakeReferenceContext());
    {
        const ReferenceContextPause pause;
        EXPECT_FALSE(State().drawing.ReferenceDC);
        EXPECT_EQ(CompanionContext(&view_), platform::DcHandle{});
    }
    EXPECT_TRUE(gfx::IsContextValid(State().drawing.ReferenceDC));
    DropReferenceContext();
    { const ReferenceContextPause pause; }
    EXPECT_FALSE(State().drawing.ReferenceDC);
}

}  // namespace
}  // namespace ql::testing_draw
