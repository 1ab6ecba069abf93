// Drawing the page for the clipboard. The PNG: a bitmap of the whole page area,
// white, the page drawn into it, then the region copied into a bitmap of its own
// size. When the colour bitmap cannot be made the user may take a black and white
// one instead. The SVG: the page drawing recorded with the window origin at the
// region's corner, replayed onto an SVG picture of the region's device size.
#include "editing/clipboard_pictures.h"

#include "core/draw/draw_surface.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/modal_boxes.h"
#include "display/painter.h"
#include "editing/print_to_clipboard_internal.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/gfx/recording.h"
#include "platform/gfx/svg_picture.h"
#include "platform/ui/message_box.h"

namespace ql {
namespace {

constexpr const char* kCaption = kClipboardPictureTitle;  // the boxes' caption too
constexpr char kColourTooLarge[] = "Color bitmap is too large.\nContinue using black and white bitmap?";
constexpr char kNoBitmap[] = "Unable to create bitmap";
constexpr double kMmPerInch = 25.4;

// The view drawn into `dc` with the window origin at `origin`, limited to `area`.
void DrawInto(ScoreView* view, platform::DcHandle dc, const gfx::Rect& area) {
    DrawingGlobals& drawing = State().drawing;
    drawing.PrintDC = dc;
    ScrollX(view) = area.left;
    ScrollY(view) = area.top;
    State().display.painter.paintRect = PaintArea{area.left, area.top, area.right, area.bottom};
    State().display.painter.paintRectActive = 1;
    BeginViewDraw(view);
    DrawScoreContents(view);
    EndViewDraw(view);
    drawing.PrintDC = {};
}

// The device rectangle of `logical` on a context mapped as the view draws with its
// window origin at `origin`.
gfx::Rect DeviceRectOf(ScoreView* view, platform::DcHandle dc, gfx::Point origin, const gfx::Rect& logical) {
    SetViewMapping(view, dc);
    gfx::SetWindowOrigin(dc, origin);
    gfx::Point corners[2] = {{logical.left, logical.top}, {logical.right, logical.bottom}};
    gfx::LogicalToDevice(dc, corners, 2);
    return gfx::Normalised(gfx::Rect{corners[0].x, corners[0].y, corners[1].x, corners[1].y});
}

// A black-and-white bitmap with "Black and White Clipboard Data" on; else a colour
// bitmap, or (when the user agrees) a black-and-white one when that cannot be had.
// `monochrome` tells which was made.
platform::BitmapHandle PageBitmap(int width, int height, bool* monochrome) {
    *monochrome = Options().ClipBlackAndWhite != 0;
    if (!*monochrome) {
        if (!TakeClipboardPictureFailure(ClipboardPictureStep::ColourBitmap))
            if (platform::BitmapHandle colour = gfx::CreateImageBitmap(width, height)) return colour;
        if (ModalMessageBox(kColourTooLarge, kCaption, ui::kBoxYesNo | ui::kBoxIconExclamation) != ui::kIdYes)
            return {};
        *monochrome = true;
    }
    if (TakeClipboardPictureFailure(ClipboardPictureStep::MonochromeBitmap)) return {};
    return gfx::CreateMonochromeBitmap(width, height);
}

// A memory context with `bitmap` selected, in plain device units.
platform::DcHandle MemoryContextOn(platform::BitmapHandle bitmap, ClipboardDrawingObjects& made) {
    platform::DcHandle dc = gfx::CreateMemoryContext({});
    if (!dc) return {};
    made.contexts.push_back(dc);
    gfx::SelectObject(dc, bitmap);
    return dc;
}

}  // namespace

std::optional<std::vector<uint8_t>> MakeRegionPng(ScoreView* view, const gfx::Rect& pageArea,
                                                  const gfx::Rect& region, ClipboardDrawingObjects& made) {
    platform::DcHandle probe = gfx::CreateMemoryContext({});
    if (!probe) return std::nullopt;
    made.contexts.push_back(probe);
    const gfx::Point origin{pageArea.left, pageArea.top};
    const gfx::Rect page = DeviceRectOf(view, probe, origin, pageArea);
    const gfx::Rect cut = DeviceRectOf(view, probe, origin, region);
    bool monochrome = false;
    platform::BitmapHandle pageBitmap = PageBitmap(page.right, page.bottom, &monochrome);
    if (pageBitmap) made.bitmaps.push_back(pageBitmap);
    platform::BitmapHandle regionBitmap{};
    if (pageBitmap && !TakeClipboardPictureFailure(ClipboardPictureStep::RegionBitmap)) {
        regionBitmap = monochrome ? gfx::CreateMonochromeBitmap(cut.Width(), cut.Height())
                                  : gfx::CreateImageBitmap(cut.Width(), cut.Height());
        if (regionBitmap) made.bitmaps.push_back(regionBitmap);
    }
    if (!pageBitmap || !regionBitmap) {
        ModalMessageBox(kNoBitmap, kCaption, ui::kBoxOk);
        return std::nullopt;
    }
    platform::DcHandle pageDc = MemoryContextOn(pageBitmap, made);
    platform::DcHandle regionDc = MemoryContextOn(regionBitmap, made);
    if (!pageDc || !regionDc) return std::nullopt;
    gfx::BitBlit(pageDc, {0, 0}, {page.right, page.bottom}, {}, {0, 0}, gfx::RasterOp::Whiteness);
    DrawInto(view, pageDc, pageArea);
    gfx::SetMapMode(pageDc, gfx::MapMode::Text);
    gfx::SetWindowOrigin(pageDc, {0, 0});
    gfx::SetViewportOrigin(pageDc, {0, 0});
    if (!gfx::BitBlit(regionDc, {0, 0}, {cut.Width(), cut.Height()}, pageDc, {cut.left, cut.top},
                      gfx::RasterOp::SourceCopy))
        return std::nullopt;
    return gfx::EncodePng(regionBitmap);
}

std::optional<std::vector<uint8_t>> MakeRegionSvg(ScoreView* view, const gfx::Rect& region,
                                                  ClipboardDrawingObjects& made) {
    if (view->UnitsPerInch <= 0.0 || TakeClipboardPictureFailure(ClipboardPictureStep::Recording))
        return std::nullopt;
    platform::DcHandle recording = gfx::CreateRecordingContext({});
    if (!recording) return std::nullopt;
    made.contexts.push_back(recording);
    const gfx::Rect device = DeviceRectOf(view, recording, {region.left, region.top}, region);
    gfx::ClearRecording(recording);
    DrawInto(view, recording, region);
    gfx::SvgPictureSetup setup;
    setup.widthDots = device.Width();
    setup.heightDots = device.Height();
    setup.widthMm = region.Width() / view->UnitsPerInch * kMmPerInch;
    setup.heightMm = region.Height() / view->UnitsPerInch * kMmPerInch;
    setup.title = kClipboardPictureTitle;
    if (TakeClipboardPictureFailure(ClipboardPictureStep::Svg)) return std::nullopt;
    platform::DcHandle svg = gfx::CreateSvgPictureContext(setup);
    if (!svg) return std::nullopt;
    made.contexts.push_back(svg);
    if (!gfx::PlayRecording(recording, svg)) return std::nullopt;
    return gfx::FinishSvgPicture(svg);
}

}  // namespace ql
