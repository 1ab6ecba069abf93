// Drawing the page buttons and the arrows of the page-button band.
#include "editing/page_band_faces.h"

#include "core/model/pages.h"
#include "editing/palette_layout.h"
#include "editing/tool_bitmaps.h"
#include "layout/page_format.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/text_out.h"
#include "platform/ui/bitmaps.h"

namespace ql {
namespace {

// First image ids of the page faces and the arrows.
constexpr int kPageFacesId = 242;
constexpr int kArrowFacesId = 256;
constexpr int kLeftMasterImage = 12;
constexpr int kRightMasterImage = 13;
constexpr int kLeftPageImageOffset = 2;
constexpr int kPressedArrowImageOffset = 4;
// Numbers from this one on are written in the small font.
constexpr int kSmallFontFrom = 10;
constexpr int kLabelFontHeight = 12;
constexpr int kSmallLabelFontHeight = 9;
constexpr gfx::Point kLabelAt{8, 18};
// The pressed button is filled from these points, one in each part of the page.
constexpr gfx::Point kFloodPoints[] = {{8, 4}, {8, 11}, {8, 18}};
constexpr gfx::Colour kHighlight = gfx::Rgb(0, 0, 128);
constexpr gfx::Colour kHighlightText = gfx::kWhite;
constexpr gfx::Colour kLabelColour = gfx::kWhite;
// A blank face: a plain page on which the white label stays legible.
constexpr gfx::Colour kBlankPage = gfx::kGrey;

// Copies image `image` of the strip holding image id `firstId` (faces of `size`
// side by side) to the context's origin; false when the strip cannot be had.
bool CopyStripFace(platform::DcHandle dc, int firstId, int image, gfx::Size size) {
    const ToolBitmapPlace place = GetToolBitmap(kLargeButtonSize, firstId, image);
    if (place.strip == 0) return false;
    const platform::BitmapHandle strip = ui::LoadBitmap(place.strip);
    if (!strip) return false;
    gfx::BitmapInfo info;
    const bool inside = gfx::GetBitmapInfo(strip, &info) && (place.position + 1) * size.cx <= info.width &&
                        size.cy <= info.height;
    bool copied = false;
    if (inside) {
        const platform::DcHandle memory = gfx::CreateMemoryContext(dc);
        const platform::BitmapHandle old = gfx::SelectObject(memory, strip);
        copied = gfx::BitBlit(dc, {0, 0}, size, memory, {place.position * size.cx, 0}, gfx::RasterOp::SourceCopy);
        gfx::SelectObject(memory, old);
        gfx::DeleteContext(memory);
    }
    gfx::DeleteObject(strip);
    return copied;
}

void FillBlank(platform::DcHandle dc, gfx::Size size) {
    const platform::BrushHandle brush = gfx::CreateSolidBrush(kBlankPage);
    gfx::FillRect(dc, {0, 0, size.cx, size.cy}, brush);
    gfx::DeleteObject(brush);
}

void FloodWithHighlight(platform::DcHandle dc) {
    const platform::BrushHandle brush = gfx::CreateSolidBrush(kHighlight);
    const platform::BrushHandle old = gfx::SelectObject(dc, brush);
    for (const gfx::Point at : kFloodPoints) {
        const gfx::Colour colour = gfx::GetPixel(dc, at);
        if (colour != kHighlight && colour != gfx::kInvalidColour)
            gfx::FloodFill(dc, at, colour, gfx::FloodMode::Surface);
    }
    gfx::SelectObject(dc, old);
    gfx::DeleteObject(brush);
}

void WriteLabel(platform::DcHandle dc, const PageFace& face, bool pressed) {
    text::LogicalFont request;
    request.height = -(face.smallFont ? kSmallLabelFontHeight : kLabelFontHeight);
    request.weight = text::kWeightBold;
    request.SetFace("Arial");
    const platform::FontHandle font = text::CreateFontIndirect(request);
    const platform::FontHandle old = gfx::SelectObject(dc, font);
    gfx::SetTextColour(dc, pressed ? kHighlightText : kLabelColour);
    gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Transparent);
    gfx::SetTextAlign(dc, gfx::kTextAlignCentre | gfx::kTextAlignBaseline);
    text::TextOutA(dc, kLabelAt, face.label);
    gfx::SelectObject(dc, old);
    gfx::DeleteObject(font);
}

}  // namespace

PageFace PageFaceOf(ScoreDocument* document, int page) {
    if (page == kLeftMasterNumber) return {kLeftMasterImage, "L", false};
    if (page == kRightMasterNumber) return {kRightMasterImage, "R", false};
    const ScorePage* record = page >= 0 ? GetPageAt(document, page) : nullptr;
    const int number = record != nullptr ? record->pageNumber : page + 1;
    return {IsLeftPage(document, page) ? kLeftPageImageOffset : 0, std::to_string(number),
            number >= kSmallFontFrom};
}

void DrawPageButtonFace(platform::DcHandle dc, const PageFace& face, bool pressed) {
    const gfx::Size size{page_band::kButtonWidth, page_band::kButtonHeight};
    if (!CopyStripFace(dc, kPageFacesId, face.image, size)) FillBlank(dc, size);
    if (pressed) FloodWithHighlight(dc);
    WriteLabel(dc, face, pressed);
}

bool DrawPagerButtonFace(int controlId, const win::DrawItemInfo& item) {
    if (controlId != kPreviousPageArrow && controlId != kNextPageArrow) return false;
    if (!item.dc) return true;
    const bool pressed = (item.state & win::kItemStateSelected) != 0;
    const int image = (controlId == kNextPageArrow ? 1 : 0) + (pressed ? kPressedArrowImageOffset : 0);
    const gfx::Size size{page_band::kArrowWidth, page_band::kArrowHeight};
    if (!CopyStripFace(item.dc, kArrowFacesId, image, size)) FillBlank(item.dc, size);
    return true;
}

}  // namespace ql
