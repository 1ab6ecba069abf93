// The view's drawing surface: nesting and release of contexts, the mapping on
// screen and on the printer, the zoom cap, colour sets with save and restore,
// off-screen bitmaps and the XNOR blit.
#include <filesystem>

#include "core/draw/draw_offscreen.h"
#include "core/tests/draw/draw_fixture.h"
#include "core/draw/view_metrics.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/gfx/printer.h"
#include "platform/gfx/recording.h"
#include "platform/win/input.h"

namespace ql::testing_draw {
namespace {

using SurfaceNesting = DrawTest;

// Three nested opens share one window context, released exactly at the third end.
TEST_F(SurfaceNesting, ThreeNestedBeginsReleaseTheWindowContextOnceAtTheLastEnd) {
    BeginViewDraw(&view_);
    platform::DcHandle dc = view_.ViewDC;
    ASSERT_TRUE(dc);
    EXPECT_EQ(gfx::GetContextKind(dc), gfx::ContextKind::Window);
    BeginViewDraw(&view_);
    BeginViewDraw(&view_);
    EXPECT_EQ(view_.ViewDC, dc);
    EXPECT_EQ(view_.DrawDepth, 3);
    EndViewDraw(&view_);
    EndViewDraw(&view_);
    EXPECT_TRUE(gfx::IsContextValid(dc));
    EXPECT_EQ(view_.ViewDC, dc);
    EndViewDraw(&view_);
    EXPECT_FALSE(gfx::IsContextValid(dc));
    EXPECT_FALSE(view_.ViewDC);
    EXPECT_EQ(view_.DrawDepth, 0);
}

// The paint context is borrowed: no end, however many, releases it.
TEST_F(SurfaceNesting, DuringAPaintThePaintContextIsNeverReleased) {
    win::InvalidateRect(window_, nullptr, false);
    win::PaintInfo paint;
    platform::DcHandle dc = win::BeginPaint(window_, paint);
    ASSERT_TRUE(dc);
    State().drawing.PaintDC = dc;
    for (int pass = 0; pass < 3; ++pass) {
        BeginViewDraw(&view_);
        BeginViewDraw(&view_);
        EXPECT_EQ(view_.ViewDC, dc);
        EndViewDraw(&view_);
        EndViewDraw(&view_);
        EXPECT_TRUE(gfx::IsContextValid(dc));
    }
    BeginViewDraw(&view_);
    EndViewDrawAll(&view_);
    EXPECT_TRUE(gfx::IsContextValid(dc));
    EXPECT_FALSE(view_.ViewDC);
    State().drawing.PaintDC = {};
    win::EndPaint(window_, paint);
}

// Our own context goes back even when a paint began while the surface was open.
TEST_F(SurfaceNesting, OwnContextIsReleasedWhenAPaintBeganMeanwhile) {
    BeginViewDraw(&view_);
    platform::DcHandle own = view_.ViewDC;
    win::InvalidateRect(window_, nullptr, false);
    win::PaintInfo paint;
    State().drawing.PaintDC = win::BeginPaint(window_, paint);
    EndViewDraw(&view_);
    EXPECT_FALSE(gfx::IsContextValid(own));
    EXPECT_TRUE(gfx::IsContextValid(State().drawing.PaintDC));
    State().drawing.PaintDC = {};
    win::EndPaint(window_, paint);
}

// A shown caret is hidden while our own window context is open, and shown again.
TEST_F(SurfaceNesting, TheCaretIsHiddenWhileTheWindowContextIsOpen) {
    ASSERT_TRUE(win::CreateCaret(window_, 2, 16));
    win::ShowCaret(window_);
    view_.CaretShown = 1;
    BeginViewDraw(&view_);
    EXPECT_FALSE(win::GetCaretState().visible);
    EndViewDraw(&view_);
    EXPECT_TRUE(win::GetCaretState().visible);
    win::DestroyCaret();
}

// Without any context the surface stays closed and the colour sets draw nothing.
TEST_F(SurfaceNesting, WithoutAContextTheSurfaceStaysClosed) {
    view_.ViewWindow = {};
    BeginViewDraw(&view_);
    EXPECT_FALSE(view_.ViewDC);
    EXPECT_EQ(view_.DrawDepth, 0);
    EndViewDraw(&view_);
    BeginHighlightDrawAlt2(&view_);
    EXPECT_FALSE(view_.ViewDC);
}

using SurfaceMapping = DrawTest;

// On screen one staff space (128 units) is ZoomLevel pixels from the window origin.
TEST_F(SurfaceMapping, OnScreenOneStaffSpaceIsZoomLevelPixels) {
    BeginViewDraw(&view_);
    gfx::Point p = gfx::LogicalToDevice(view_.ViewDC,
                                        gfx::Point{kLogicalOrigin + 3 * 128, kLogicalOrigin + 128});
    EXPECT_EQ(p, (gfx::Point{3 * kTestZoom, kTestZoom}));
    EndViewDraw(&view_);
    State().drawing.RulersShown = 1;
    BeginViewDraw(&view_);
    p = gfx::LogicalToDevice(view_.ViewDC, gfx::Point{kLogicalOrigin, kLogicalOrigin});
    EXPECT_EQ(p, (gfx::Point{96 / kRulerDpiDivisor, 96 / kRulerDpiDivisor}));
    EndViewDraw(&view_);
}

// Extents of 32768 or more are halved, all four together, until none is.
TEST_F(SurfaceMapping, PrintingExtentsOf32768OrMoreAreHalvedTogether) {
    gfx::Size window{40000, 20000};
    gfx::Size viewport{30000, 1000};
    HalvePrintingExtents(&window, &viewport);
    EXPECT_EQ(window, (gfx::Size{20000, 10000}));
    EXPECT_EQ(viewport, (gfx::Size{15000, 500}));
    gfx::Size edgeWindow{32767, 1};
    gfx::Size edgeViewport{2, 32768};
    HalvePrintingExtents(&edgeWindow, &edgeViewport);
    EXPECT_EQ(edgeWindow, (gfx::Size{16383, 0}));
    EXPECT_EQ(edgeViewport, (gfx::Size{1, 16384}));
    gfx::Size small{32767, 32767};
    gfx::Size smallViewport{32767, 1};
    HalvePrintingExtents(&small, &smallViewport);
    EXPECT_EQ(small, (gfx::Size{32767, 32767}));
}

// On the printer one inch of paper is UnitsPerInch score units, after halving.
TEST_F(SurfaceMapping, OnThePrinterOneInchIsUnitsPerInch) {
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    gfx::PrinterSetup setup;
    platform::DcHandle printer = gfx::CreatePrinterContext(
        (std::filesystem::path(QL_TEST_OUTPUT_DIR) / "draw_print.pdf").string(), setup);
    ASSERT_TRUE(printer);
    State().drawing.PrintDC = printer;
    State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = setup.dpi;
    view_.DeviceWidth = setup.pageWidthDots;
    view_.DeviceHeight = setup.pageHeightDots;
    view_.UnitsPerInch = 1917.44;
    ASSERT_EQ(SetViewMapping(&view_, printer), 1);
    gfx::Size window = gfx::GetWindowExtent(printer);
    gfx::Size viewport = gfx::GetViewportExtent(printer);
    EXPECT_LT(window.cx, kMaxMappingExtent);
    EXPECT_LT(viewport.cy, kMaxMappingExtent);
    gfx::Size inch = gfx::LogicalToDeviceDistance(printer, gfx::Size{1917, 1917});
    EXPECT_NEAR(inch.cx, setup.dpi, 2);
    EXPECT_NEAR(inch.cy, setup.dpi, 2);
    State().drawing.PrintDC = {};
    gfx::DeleteContext(printer);
}

using ZoomCap = DrawTest;

// The cap is height - height / 4: exactly three quarters, rounded up.
TEST_F(ZoomCap, TheCapIsThreeQuartersOfTheClientHeight) {
    EXPECT_EQ(CapZoomToClientHeight(128, 100), 75);
    EXPECT_EQ(CapZoomToClientHeight(75, 100), 75);
    EXPECT_EQ(CapZoomToClientHeight(128, 101), 76);
    EXPECT_EQ(CapZoomToClientHeight(16, 100), 16);
}

// After a metric change on screen ZoomLevel never exceeds 3/4 of the client height.
TEST_F(ZoomCap, ZoomLevelOnScreenNeverExceedsThreeQuartersOfTheClientHeight) {
    RequireMusicFonts();
    for (int height : {40, 101, 170}) {
        win::MoveWindow(window_, win::Rect{0, 0, kWindowWidth, height}, false);
        view_.zoom = kMaxScreenZoom;
        InitViewMetrics(&view_);
        EXPECT_LE(ZoomLevel(&view_), height * 3 / 4 + 1) << "height " << height;
        EXPECT_EQ(view_.DeviceHeight, height);
    }
    view_.zoom = kTestZoom;
    InitViewMetrics(&view_);
    EXPECT_EQ(ZoomLevel(&view_), kTestZoom);
    EXPECT_EQ(view_.PixelUnitsY, 128 / kTestZoom);
    EXPECT_FALSE(view_.ViewDC) << "metrics leave the surface closed";
}

using ColourSets = DrawTest;

// A Begin form saves and selects its set; EndHighlightDraw restores the ink set.
TEST_F(ColourSets, BeginSavesAndEndRestoresTheInkSet) {
    BeginViewDraw(&view_);
    int depth = gfx::GetSaveDepth(view_.ViewDC);
    BeginHighlightDrawAlt2(&view_);
    EXPECT_EQ(gfx::GetSaveDepth(view_.ViewDC), depth + 1);
    EXPECT_EQ(gfx::GetTextColour(view_.ViewDC), kRedColour);
    EXPECT_EQ(State().drawing.CurrentTextColour, kRedColour);
    EndHighlightDraw(&view_);
    EXPECT_EQ(gfx::GetSaveDepth(view_.ViewDC), depth);
    EXPECT_EQ(gfx::GetTextColour(view_.ViewDC), kInkColour);
    EXPECT_EQ(State().drawing.CurrentTextColour, kInkColour);
    BeginHighlightDrawAlt(&view_);
    gfx::PenDesc pen;
    ASSERT_TRUE(gfx::GetPenDesc(gfx::GetCurrentPen(view_.ViewDC), &pen));
    EXPECT_EQ(pen.colour, kGreyColour);
    EndHighlightDraw(&view_);
    EndViewDrawAll(&view_);
}

// With a clipboard recording as companion, the printer reference is neither saved
// nor restored: its own saved states stay as they were.
TEST_F(ColourSets, EndRestoresOnlyTheContextsTheBeginSaved) {
    platform::DcHandle reference = gfx::CreateMemoryContext({});
    platform::DcHandle mirror = gfx::CreateRecordingContext({});
    ASSERT_TRUE(reference);
    ASSERT_TRUE(mirror);
    gfx::SaveContext(reference);
    State().drawing.ReferenceDC = reference;
    view_.ViewMirrorDC = mirror;
    BeginViewDraw(&view_);
    int mirrorDepth = gfx::GetSaveDepth(mirror);
    BeginHighlightDrawAlt2(&view_);
    EXPECT_EQ(gfx::GetSaveDepth(mirror), mirrorDepth + 1);
    EndHighlightDraw(&view_);
    EXPECT_EQ(gfx::GetSaveDepth(mirror), mirrorDepth);
    EXPECT_EQ(gfx::GetSaveDepth(reference), 1);
    EndViewDrawAll(&view_);
    view_.ViewMirrorDC = {};
    State().drawing.ReferenceDC = {};
    gfx::DeleteContext(mirror);
    gfx::DeleteContext(reference);
}

// Feedback drawn twice with the XOR set leaves the picture as it was.
TEST_F(ColourSets, FeedbackDrawnTwiceErasesItself) {
    BeginViewDraw(&view_);
    BeginHighlightDrawAlt3(&view_);
    EXPECT_EQ(gfx::GetRop2(view_.ViewDC), gfx::Rop2::XorPen);
    gfx::Rect box{kLogicalOrigin + 128, kLogicalOrigin + 128, kLogicalOrigin + 512,
                  kLogicalOrigin + 384};
    gfx::Rectangle(view_.ViewDC, box);
    EXPECT_FALSE(Pixel(kTestZoom + 4, kTestZoom + 4) == gfx::kWhite);
    gfx::Rectangle(view_.ViewDC, box);
    EXPECT_EQ(Pixel(kTestZoom + 4, kTestZoom + 4), gfx::kWhite);
    EXPECT_EQ(Pixel(kTestZoom, kTestZoom), gfx::kWhite);
    EndHighlightDraw(&view_);
    EndViewDrawAll(&view_);
}

// While drawing is suppressed a colour set does not open the surface.
TEST_F(ColourSets, SuppressedDrawingOpensNoSurface) {
    State().drawing.DrawingSuppressed = 1;
    SelectFeedbackColours(&view_);
    EXPECT_FALSE(view_.ViewDC);
    State().drawing.DrawingSuppressed = 0;
    SelectFeedbackColours(&view_);
    EXPECT_TRUE(view_.ViewDC);
    EndViewDrawAll(&view_);
}

using Offscreen = DrawTest;

// An off-screen bitmap is white, sized by the view's zoom, and owned by the caller.
TEST_F(Offscreen, OffscreenBitmapIsWhiteAndSizedByTheZoom) {
    BeginViewDraw(&view_);
    platform::DcHandle dc = BeginOffscreenDraw(&view_, 256, 128);
    ASSERT_TRUE(dc);
    EXPECT_FALSE(BeginOffscreenDraw(&view_, 64, 64)) << "only one off-screen drawing at a time";
    gfx::FillRect(dc, gfx::Rect{0, 0, 128, 128}, gfx::GetStockBrush(gfx::StockBrush::Black));
    platform::BitmapHandle bitmap = EndOffscreenDraw();
    ASSERT_TRUE(bitmap);
    gfx::BitmapInfo info;
    ASSERT_TRUE(gfx::GetBitmapInfo(bitmap, &info));
    EXPECT_EQ(info.width, 256 / 128 * kTestZoom);
    EXPECT_EQ(info.height, kTestZoom);
    EXPECT_EQ(gfx::GetBitmapPixel(bitmap, kTestZoom + 2, 2), gfx::kWhite);
    EXPECT_EQ(gfx::GetBitmapPixel(bitmap, 2, 2), gfx::kBlack);
    EXPECT_FALSE(EndOffscreenDraw());
    gfx::DeleteObject(bitmap);
    EndViewDrawAll(&view_);
}

// The XNOR blit puts black where the bitmap is black, leaves the rest, and a second
// blit at the same place takes it away; the scaled form centres the bitmap.
TEST_F(Offscreen, XnorBlitTwiceLeavesThePictureAsItWas) {
    BeginViewDraw(&view_);
    platform::DcHandle dc = BeginOffscreenDraw(&view_, 256, 256);
    ASSERT_TRUE(dc);
    gfx::FillRect(dc, gfx::Rect{0, 0, 128, 128}, gfx::GetStockBrush(gfx::StockBrush::Black));
    platform::BitmapHandle bitmap = EndOffscreenDraw();
    gfx::Point at{kLogicalOrigin + 512, kLogicalOrigin + 512};
    ASSERT_TRUE(BlitBitmapToView(&view_, bitmap, at.x, at.y));
    EXPECT_EQ(Pixel(4 * kTestZoom + 2, 4 * kTestZoom + 2), gfx::kBlack);
    EXPECT_EQ(Pixel(5 * kTestZoom + 2, 4 * kTestZoom + 2), gfx::kWhite);
    ASSERT_TRUE(BlitBitmapToView(&view_, bitmap, at.x, at.y));
    EXPECT_EQ(Pixel(4 * kTestZoom + 2, 4 * kTestZoom + 2), gfx::kWhite);
    ASSERT_TRUE(BlitBitmapToViewScaled(&view_, bitmap, at.x, at.y));
    EXPECT_EQ(Pixel(3 * kTestZoom + 2, 3 * kTestZoom + 2), gfx::kBlack);
    EXPECT_EQ(Pixel(4 * kTestZoom + 2, 4 * kTestZoom + 2), gfx::kWhite);
    gfx::DeleteObject(bitmap);
    EndViewDrawAll(&view_);
    EXPECT_FALSE(BlitBitmapToView(&view_, bitmap, at.x, at.y)) << "no surface, no blit";
}

}  // namespace
}  // namespace ql::testing_draw
