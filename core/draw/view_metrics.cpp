// View metrics: device size and resolution, zoom, score units per device pixel,
// the visible rectangle, scroll ranges and the measured music-font widths.
#include "core/draw/view_metrics.h"

#include <algorithm>
#include <cstdlib>

#include "core/draw/draw_offscreen.h"
#include "core/draw/draw_surface.h"
#include "core/draw/gdi_cache.h"
#include "core/draw/glyph_metrics.h"
#include "core/draw/staff_scaling.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/model/engraving_metrics.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/units/paper_size.h"
#include "platform/gfx/caps.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/text/text_metrics.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace ql {

namespace {

// Device points converted to find the score units of one pixel (512 at a time).
constexpr int32_t kPixelProbe = 512;
constexpr int kPixelProbeShift = 9;
constexpr int32_t kMinimumPixelUnits = 2;
// Half a handle's square in device pixels (the grab area is twice that each way).
constexpr int32_t kHandleHalfPixels = 3;
// Scroll ranges reach this far beyond the page.
constexpr int32_t kScrollMargin = 4096;
constexpr int32_t kMeasuresKeptVisible = 4;
// The scroll view's visible band around the current system (galley option).
constexpr int32_t kGalleyAbove = 1536;
constexpr int32_t kGalleyBelow = 1024;
// A centred origin is rounded to a multiple of this.
constexpr int32_t kCentreGrid = 64;

int16_t ClampToInt16(int32_t value) {
    return static_cast<int16_t>(std::clamp<int32_t>(value, INT16_MIN, INT16_MAX));
}

// The document's staff-line and thin-barline widths (its music metrics); 0 for a
// width the document does not set, and both 0 without a document.
void DocumentLineWidths(const ScoreDocument* document, int32_t* first, int32_t* second) {
    *first = document ? EngravingMetricOf(*document, EngravingMetric::StaffLineWid) : 0;
    *second = document ? EngravingMetricOf(*document, EngravingMetric::BarLineWid) : 0;
}

void ReleaseZoomFonts(ScoreDocument* document) {
    if (!document) return;
    for (FontRef& ref : document->fontRefs) {
        if (ref.font) DeleteCachedGdiObject(document, platform::AnyObjectHandle{ref.font});
        ref.font = 0;
    }
}

void MeasurePrinterDevice(ScoreView* view) {
    DrawingGlobals& d = State().drawing;
    platform::DcHandle dc = CompanionContext(view) ? CompanionContext(view) : d.PrintDC;
    view->DeviceWidth = gfx::GetDeviceCaps(dc, gfx::DeviceCap::HorzRes);
    view->DeviceHeight = gfx::GetDeviceCaps(dc, gfx::DeviceCap::VertRes);
    d.ScreenDpiX = gfx::GetDeviceCaps(dc, gfx::DeviceCap::LogPixelsX);
    d.ScreenDpiY = gfx::GetDeviceCaps(dc, gfx::DeviceCap::LogPixelsY);
    if (view->UnitsPerInch > 0.0)
        view->zoom = static_cast<int32_t>(d.ScreenDpiY * kMappingUnits / view->UnitsPerInch);
}

void MeasureScreenDevice(ScoreView* view) {
    DrawingGlobals& d = State().drawing;
    // Always the screen's own resolution: a print job measured the printer's into
    // the same values, and the screen must not keep drawing at that.
    gfx::ScreenMetrics screen = gfx::GetScreenMetrics();
    d.ScreenDpiX = screen.dpiX;
    d.ScreenDpiY = screen.dpiY;
    platform::WindowHandle window =
        view->ViewWindow ? view->ViewWindow : State().dialogs.FrameWindow;
    gfx::Rect client = win::GetClientRect(window);
    view->DeviceWidth = client.Width();
    view->DeviceHeight = client.Height();
    SetViewToolCursor(view);
    view->zoom = CapZoomToClientHeight(view->zoom, client.Height());
}

int32_t CentredOrigin(int32_t point, int32_t visible, double scale) {
    double value = point - visible / 2;
    if (scale != 0.0) value /= scale;
    int32_t rounded = (static_cast<int32_t>(value) + kCentreGrid / 2) & ~(kCentreGrid - 1);
    if (scale != 0.0) rounded = static_cast<int32_t>(rounded * scale);
    return std::max(rounded, kLogicalOrigin);
}

void MoveToPendingCentre(ScoreView* view) {
    DrawingGlobals& d = State().drawing;
    if (!view->pageView || d.PendingCentreX == kNoPendingCentre) return;
    ScrollX(view) = CentredOrigin(d.PendingCentreX, view->visibleWidth, ViewScale(view));
    ScrollY(view) = CentredOrigin(d.PendingCentreY, view->visibleHeight, ViewScale(view));
    d.PendingCentreX = kNoPendingCentre;
    d.PendingCentreY = kNoPendingCentre;
    ApplyViewMapping(view);  // the rest of this pass draws at the new origin
}

// Half the window frame in score units, rounded; twice a pixel when the context
// cannot convert.
int32_t FrameWidthUnits(platform::DcHandle dc, int32_t pixelUnitsX) {
    gfx::Point pixel[2] = {gfx::Point{0, 0}, gfx::Point{1, 1}};
    if (!dc || !gfx::DeviceToLogical(dc, pixel, 2)) return 2 * pixelUnitsX;
    int32_t frame = win::GetSystemMetric(win::SystemMetric::FrameWidth);
    return (std::abs(pixel[1].x - pixel[0].x) * frame + 1) >> 1;
}

GlyphWidths WidthsFromTable(const ScoreDocument& document) {
    GlyphWidths widths;
    widths.black = GlyphMetricOf(document, kBlackHeadCode).advance;
    widths.half = GlyphMetricOf(document, kHalfHeadCode).advance;
    widths.whole = GlyphMetricOf(document, kWholeHeadCode).advance;
    widths.breve = GlyphMetricOf(document, kBreveHeadCode).advance;
    widths.halfBlack = GlyphMetricOf(document, kBlackHeadCode).halfAdvance;
    return widths;
}

// The widths of the four heads in one font on the measuring context.
GlyphWidths MeasureHeadWidths(platform::DcHandle dc, platform::FontHandle font) {
    GlyphWidths widths;
    if (!dc || !font) return widths;
    platform::FontHandle previous = gfx::SelectObject(dc, font);
    int32_t w[kBlackHeadCode - kBreveHeadCode + 1] = {};
    if (text::GetCharWidths(dc, kBreveHeadCode, kBlackHeadCode, w)) {
        widths.breve = w[0];
        widths.whole = w[1];
        widths.half = w[2];
        widths.black = w[3];
        widths.halfBlack = w[3] >> 1;
    }
    gfx::SelectObject(dc, previous);
    return widths;
}

void MeasureGlyphWidths(ScoreView* view) {
    if (view->document) view->glyphWidths = WidthsFromTable(*view->document);
    const DrawingGlobals& d = State().drawing;
    platform::DcHandle dc = MeasuringContext(view);
    view->smallGlyphWidths[0] = MeasureHeadWidths(dc, d.MusicFont75);
    view->smallGlyphWidths[1] = MeasureHeadWidths(dc, d.MusicFont65);
}

}  // namespace

int32_t CapZoomToClientHeight(int32_t zoom, int32_t clientHeight) {
    int32_t cap = clientHeight - (clientHeight >> 2);
    return zoom > cap ? cap : zoom;
}

int InitViewMetrics(ScoreView* view) {
    ReleaseViewFonts(view, 0);
    ReleaseZoomFonts(view->document);
    if (IsPrinting())
        MeasurePrinterDevice(view);
    else
        MeasureScreenDevice(view);
    EndViewDrawAll(view);
    BuildGlyphMetrics(view);
    BeginViewDraw(view);
    // The centre asked for is taken in the visible extent at the new level.
    if (view->pageView && State().drawing.PendingCentreX != kNoPendingCentre) UpdateViewOrigin(view);
    MoveToPendingCentre(view);
    MeasureGlyphWidths(view);
    MeasurePixelUnits(view);
    UpdateViewOrigin(view);
    if (!IsPrinting() && !State().drawing.DrawingSuppressed) {
        ResetMemoryDC(view);
        RenderGlyphBitmaps(view);
    }
    EndViewDrawAll(view);
    SetViewScale(view, 0.0);
    return 0;
}

void MeasurePixelUnits(ScoreView* view) {
    view->HalfZoom = view->zoom >> 1;
    BeginViewDraw(view);
    platform::DcHandle dc = MeasuringContext(view);
    view->PixelUnitsX = kMinimumPixelUnits;
    view->PixelUnitsY = kMinimumPixelUnits;
    if (dc) {
        gfx::Point probe[2] = {gfx::Point{0, 0}, gfx::Point{kPixelProbe, kPixelProbe}};
        gfx::DeviceToLogical(dc, probe, 2);
        int32_t dx = std::abs(probe[1].x - probe[0].x);
        int32_t dy = std::abs(probe[1].y - probe[0].y);
        if ((dx >> kPixelProbeShift) >= 1) view->PixelUnitsX = dx >> kPixelProbeShift;
        if (dy >= kPixelProbe) view->PixelUnitsY = dy >> kPixelProbeShift;
    }
    PaperSizeOf(view);
    UpdateViewOrigin(view);
    // Measured while the surface is still open: the context may be released below.
    State().drawing.FrameUnits = FrameWidthUnits(dc, view->PixelUnitsX);
    // Handles keep their size on screen whatever the zoom; a printer's pixels are
    // not the ones the pointer moves over.
    if (!IsPrinting()) State().drawing.HandleSize = kHandleHalfPixels * view->PixelUnitsX;
    EndViewDraw(view);
    int32_t first = 0;
    int32_t second = 0;
    DocumentLineWidths(view->document, &first, &second);
    view->LineWidth = first != 0 ? first : kDefaultLineWidth;
    view->LineWidth2 = second != 0 ? second : kDefaultLineWidth;
}

void UpdateViewOrigin(ScoreView* view) {
    if (!view->ViewDC) return;
    // The client area right of and below the viewport origin, measured from the
    // window origin, so the size is right even when the origin just moved.
    gfx::Point viewportOrigin = gfx::GetViewportOrigin(view->ViewDC);
    gfx::Size size = gfx::DeviceToLogicalDistance(
        view->ViewDC,
        gfx::Size{view->DeviceWidth - viewportOrigin.x, view->DeviceHeight - viewportOrigin.y});
    gfx::Rect visible{ScrollX(view), ScrollY(view), ScrollX(view) + size.cx,
                      ScrollY(view) + size.cy};
    const ScoreDocument* document = view->document;
    const ScoreSystem* system = view->currentSystem;
    if (!view->pageView && document && document->header.staffCount > 0 &&
        State().drawing.GalleyOption && system && system->staffOffsets) {
        visible.top = system->y - kGalleyAbove;
        visible.bottom =
            system->y + system->staffOffsets.get()[document->header.staffCount] + kGalleyBelow;
    }
    view->visibleRect = visible;
    view->visibleWidth = ClampToInt16(visible.Width());
    view->visibleHeight = ClampToInt16(visible.Height());
}

void SetViewScrollRanges(ScoreView* view) {
    if (IsPrinting() || !view->ViewWindow) return;
    const ScoreDocument* document = view->document;
    int32_t right = std::min(view->PageRight + kScrollMargin, kLogicalMax);
    int32_t bottom = std::min(view->PageBottom + kScrollMargin, kLogicalMax);
    bool scrollWithStaves = !view->pageView && document && document->header.staffCount > 0;
    if (scrollWithStaves) {
        int32_t count = document->header.measureCount;
        int32_t last = count - kMeasuresKeptVisible < 1 ? count : count - kMeasuresKeptVisible;
        int32_t first = view->galleySystem ? view->galleySystem->firstMeasure : 1;
        win::SetScrollRange(view->ViewWindow, win::ScrollBar::Horizontal, 1, last, true);
        win::SetScrollPosition(view->ViewWindow, win::ScrollBar::Horizontal, first, true);
    } else {
        win::SetScrollRange(view->ViewWindow, win::ScrollBar::Horizontal, kLogicalOrigin, right,
                            true);
        win::SetScrollPosition(view->ViewWindow, win::ScrollBar::Horizontal, ScrollX(view), true);
    }
    win::SetScrollRange(view->ViewWindow, win::ScrollBar::Vertical, kLogicalOrigin, bottom, true);
    win::SetScrollPosition(view->ViewWindow, win::ScrollBar::Vertical, ScrollY(view), true);
}

int RefreshViewMetrics(ScoreView* view) {
    // A window that changed size since the metrics were made shows more or less of
    // the page: the visible rectangle is taken from its client area as it is now.
    if (!IsPrinting() && view->ViewWindow) {
        const gfx::Rect client = win::GetClientRect(view->ViewWindow);
        if (!client.IsEmpty()) {
            view->DeviceWidth = client.Width();
            view->DeviceHeight = client.Height();
        }
    }
    BeginViewDraw(view);
    PaperSizeOf(view);
    UpdateViewOrigin(view);
    EndViewDraw(view);
    return 0;
}

int ZoomCursorIndex(int32_t zoom) {
    constexpr int32_t kCursorLevels[] = {2,  3,  4,  5,  6,  8,  10, 12, 14,
                                         16, 18, 20, 22, 24, 26, 28, 30};
    constexpr int32_t kLastOwnLevel = 5;  // odd levels above this take the even one below
    constexpr int32_t kZoomCursorLimit = 49;
    constexpr int kOtherLevelCursor = 17;
    if (zoom >= kZoomCursorLimit) return -1;
    if (zoom > kLastOwnLevel && (zoom & 1)) --zoom;
    for (int i = 0; i < static_cast<int>(std::size(kCursorLevels)); ++i)
        if (kCursorLevels[i] == zoom) return i;
    return kOtherLevelCursor;
}

void SetViewToolCursor(ScoreView* view) {
    int index = State().drawing.ZoomCursorsEnabled ? ZoomCursorIndex(view->zoom) : -1;
    platform::CursorHandle cursor{};
    if (index >= 0) cursor = win::LoadCursorResource(kFirstZoomCursorId + index);
    if (!cursor && Options().UseBoxCursor != 0) cursor = win::LoadCursorResource(kBoxCursorId);
    if (!cursor) cursor = win::LoadSystemCursor(win::SystemCursor::Arrow);
    view->toolCursor = cursor;
}

}  // namespace ql
