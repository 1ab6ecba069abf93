// View metrics: score units per device pixel, the page extent and scroll ranges,
// centring on a pending point, the zoom cursors, and the companion context that
// receives every attribute call of the surface.
#include "core/draw/draw_polyline.h"
#include "core/units/paper_size.h"
#include "core/tests/draw/draw_fixture.h"
#include "core/draw/view_metrics.h"
#include "core/objects/hit_record.h"
#include "platform/gfx/caps.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/recording.h"
#include "platform/win/input.h"

namespace ql::testing_draw {
namespace {

constexpr double kLetterUnitsPerInch = 1917.44;

using PixelUnits = DrawTest;

// One device pixel is 128 / zoom units; below one unit the value becomes 2.
TEST_F(PixelUnits, OnePixelIsTheZoomsShareOfAStaffSpace) {
    MeasurePixelUnits(&view_);
    EXPECT_EQ(view_.PixelUnitsX, 8);
    EXPECT_EQ(view_.PixelUnitsY, 8);
    EXPECT_EQ(view_.HalfZoom, kTestZoom / 2);
    view_.zoom = 128;
    MeasurePixelUnits(&view_);
    EXPECT_EQ(view_.PixelUnitsY, 1);
    view_.zoom = 130;  // 512 pixels are 504 units: less than one unit per pixel
    MeasurePixelUnits(&view_);
    EXPECT_EQ(view_.PixelUnitsX, 2);
    EXPECT_EQ(view_.PixelUnitsY, 2);
    EXPECT_EQ(view_.LineWidth, kDefaultLineWidth);
    EXPECT_EQ(view_.LineWidth2, kDefaultLineWidth);
    EXPECT_FALSE(view_.ViewDC);
}

// Handles are sized in device pixels: their half side follows the zoom in units.
TEST_F(PixelUnits, HandlesKeepTheirSizeOnScreen) {
    MeasurePixelUnits(&view_);
    EXPECT_EQ(HandleSize(), 3 * 8);
    view_.zoom = 128;
    MeasurePixelUnits(&view_);
    EXPECT_EQ(HandleSize(), 3 * 1);
}

// Half the window frame in score units is measured on the surface before it closes:
// at zoom 16 a pixel is 8 units, whether or not a surface was open before.
TEST_F(PixelUnits, FrameUnitsFollowTheZoomWithTheSurfaceClosed) {
    int32_t frame = win::GetSystemMetric(win::SystemMetric::FrameWidth);
    ASSERT_GT(frame, 0);
    MeasurePixelUnits(&view_);
    EXPECT_EQ(State().drawing.FrameUnits, (8 * frame + 1) >> 1);
    BeginViewDraw(&view_);
    MeasurePixelUnits(&view_);
    EXPECT_EQ(State().drawing.FrameUnits, (8 * frame + 1) >> 1);
    EndViewDrawAll(&view_);
}

using PageExtent = DrawTest;

// Letter paper at 1917.44 units per inch: 8.5 x 11 inches from the origin, and the
// scroll bars reach 4096 units beyond it.
TEST_F(PageExtent, PageExtentAndScrollRangesFollowThePaper) {
    view_.UnitsPerInch = kLetterUnitsPerInch;
    PaperSizeOf(&view_);
    EXPECT_EQ(view_.PageRight, static_cast<int32_t>(8.5 * kLetterUnitsPerInch) + kLogicalOrigin);
    EXPECT_EQ(view_.PageBottom, static_cast<int32_t>(11.0 * kLetterUnitsPerInch) + kLogicalOrigin);
    win::ScrollState h = win::GetScrollState(window_, win::ScrollBar::Horizontal);
    win::ScrollState v = win::GetScrollState(window_, win::ScrollBar::Vertical);
    EXPECT_EQ(h.minimum, kLogicalOrigin);
    EXPECT_EQ(h.maximum, view_.PageRight + 4096);
    EXPECT_EQ(v.maximum, view_.PageBottom + 4096);
    EXPECT_EQ(v.position, kLogicalOrigin);
    document_->header.pageGeometry.orientation = 1;
    PaperSizeOf(&view_);
    EXPECT_EQ(view_.PageRight, static_cast<int32_t>(11.0 * kLetterUnitsPerInch) + kLogicalOrigin);
}

// A page wider than the logical range is cut to 32767 in the scroll bars; A4 is
// measured in centimetres.
TEST_F(PageExtent, LargePagesAreClampedAndCentimetresConverted) {
    view_.UnitsPerInch = 4000.0;
    document_->header.pageGeometry.paperKind = 2;  // Tabloid, 11 x 17 inches
    PaperSizeOf(&view_);
    EXPECT_EQ(win::GetScrollState(window_, win::ScrollBar::Vertical).maximum, kLogicalMax);
    view_.UnitsPerInch = kLetterUnitsPerInch;
    document_->header.pageGeometry.paperKind = 4;  // A4, 21 x 29.7 cm
    PaperSizeOf(&view_);
    EXPECT_EQ(view_.PageRight,
              static_cast<int32_t>(21.0 * 0.3937 * kLetterUnitsPerInch) + kLogicalOrigin);
}

// A table paper sets the page unit from its row; User paper keeps its own unit.
TEST_F(PageExtent, TablePaperSetsThePageUnit) {
    view_.UnitsPerInch = kLetterUnitsPerInch;
    PageRecord& page = document_->header.pageGeometry;
    page.paperKind = 4;  // A4
    page.unit = 0;
    PaperSizeOf(&view_);
    EXPECT_EQ(page.unit, 1);
    page.paperKind = 0;  // Letter
    PaperSizeOf(&view_);
    EXPECT_EQ(page.unit, 0);
    page.paperKind = 5;  // User, 10.00 x 20.00 centimetres
    page.unit = 1;
    document_->header.userPageWidth = 0x1000;
    document_->header.userPageHeight = 0x2000;
    PaperSizeOf(&view_);
    EXPECT_EQ(page.unit, 1);
    EXPECT_EQ(view_.PageRight,
              static_cast<int32_t>(10.0 * 0.3937 * kLetterUnitsPerInch) + kLogicalOrigin);
}

// In scroll view with staves the horizontal bar counts measures, keeping four in view.
TEST_F(PageExtent, ScrollViewScrollsByMeasures) {
    view_.pageView = 0;
    document_->header.staffCount = 2;
    document_->header.measureCount = 10;
    SetViewScrollRanges(&view_);
    win::ScrollState h = win::GetScrollState(window_, win::ScrollBar::Horizontal);
    EXPECT_EQ(h.minimum, 1);
    EXPECT_EQ(h.maximum, 6);
    document_->header.measureCount = 3;
    SetViewScrollRanges(&view_);
    EXPECT_EQ(win::GetScrollState(window_, win::ScrollBar::Horizontal).maximum, 3);
}

using DeviceChange = DrawTest;

// After a print job measured the printer, the screen takes its own resolution
// again: the rulers' room is a fifth of a screen inch, not of a printer inch.
TEST_F(DeviceChange, TheScreenDropsThePrintersResolutionAfterPrinting) {
    RequireMusicFonts();
    State().drawing.ScreenDpiX = 600;
    State().drawing.ScreenDpiY = 300;
    State().drawing.RulersShown = 1;
    InitViewMetrics(&view_);
    BeginViewDraw(&view_);
    gfx::Point origin =
        gfx::LogicalToDevice(view_.ViewDC, gfx::Point{kLogicalOrigin, kLogicalOrigin});
    gfx::ScreenMetrics screen = gfx::GetScreenMetrics();
    EXPECT_EQ(origin, (gfx::Point{screen.dpiX / kRulerDpiDivisor, screen.dpiY / kRulerDpiDivisor}));
    EndViewDrawAll(&view_);
}

using PendingCentre = DrawTest;

// A pending centre point moves the page view so that the point is in the middle,
// on a 64-unit grid, and is then cleared.
TEST_F(PendingCentre, APendingPointIsCentredOnceOnA64UnitGrid) {
    RequireMusicFonts();
    InitViewMetrics(&view_);  // establishes the visible size
    State().drawing.PendingCentreX = 1000;
    State().drawing.PendingCentreY = 2000;
    InitViewMetrics(&view_);
    EXPECT_EQ(ScrollX(&view_), (1000 - kWindowWidth * 8 / 2 + 32) & ~63);
    EXPECT_EQ(ScrollY(&view_), (2000 - kWindowHeight * 8 / 2 + 32) & ~63);
    EXPECT_EQ(State().drawing.PendingCentreX, kNoPendingCentre);
    EXPECT_EQ(view_.visibleRect.left, ScrollX(&view_));
    EXPECT_EQ(view_.visibleWidth, kWindowWidth * 8);
}

// Odd levels above 5 take the cursor of the even level below; 49 and up the default.
TEST(ZoomCursors, LevelsMapToTheirCursor) {
    EXPECT_EQ(ZoomCursorIndex(2), 0);
    EXPECT_EQ(ZoomCursorIndex(5), 3);
    EXPECT_EQ(ZoomCursorIndex(7), ZoomCursorIndex(6));
    EXPECT_EQ(ZoomCursorIndex(31), ZoomCursorIndex(30));
    EXPECT_EQ(ZoomCursorIndex(30), 16);
    EXPECT_EQ(ZoomCursorIndex(32), 17);
    EXPECT_EQ(ZoomCursorIndex(48), 17);
    EXPECT_EQ(ZoomCursorIndex(49), -1);
}

using Companion = DrawTest;

// The clipboard recording gets the mapping and alignment of the surface and every
// stroke, and is where measurements come from.
TEST_F(Companion, TheMirrorReceivesEveryCallAndIsMeasured) {
    platform::DcHandle mirror = gfx::CreateRecordingContext({});
    ASSERT_TRUE(mirror);
    view_.ViewMirrorDC = mirror;
    BeginViewDraw(&view_);
    EXPECT_EQ(MeasuringContext(&view_), mirror);
    EXPECT_EQ(gfx::GetViewportExtent(mirror), gfx::GetViewportExtent(view_.ViewDC));
    EXPECT_EQ(gfx::GetWindowOrigin(mirror), (gfx::Point{kLogicalOrigin, kLogicalOrigin}));
    EXPECT_EQ(gfx::GetTextAlign(mirror), gfx::kTextAlignBaseline);
    size_t before = gfx::RecordedCallCount(mirror);
    gfx::Point line[2] = {{kLogicalOrigin, kLogicalOrigin + 256},
                          {kLogicalOrigin + 1024, kLogicalOrigin + 256}};
    DrawPolylineWithPen(&view_, line, 2, gfx::PenStyle::Solid, 16, false);
    EXPECT_GT(gfx::RecordedCallCount(mirror), before);
    EndViewDrawAll(&view_);
    view_.ViewMirrorDC = {};
    gfx::DeleteContext(mirror);
}

}  // namespace
}  // namespace ql::testing_draw
