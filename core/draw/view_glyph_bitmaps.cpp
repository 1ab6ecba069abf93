// Rendering the view's note-head bitmaps through an off-screen drawing.
#include "core/draw/view_glyph_bitmaps.h"

#include "core/draw/colour_sets.h"
#include "core/draw/draw_offscreen.h"
#include "core/draw/draw_surface.h"
#include "core/draw/gdi_cache.h"
#include "core/state.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/text/text_out.h"

namespace ql {

namespace {

constexpr char kBlackHeadChar = static_cast<char>(kBlackHeadCode);

void DeleteGlyphBitmaps(ScoreView* view) {
    for (platform::BitmapHandle& bitmap : view->glyphBitmaps) {
        if (bitmap) gfx::DeleteObject(bitmap);
        bitmap = {};
    }
}

platform::BitmapHandle RenderHead(ScoreView* view, platform::FontHandle font, gfx::Size size,
                                  int32_t baseline) {
    platform::DcHandle dc = BeginOffscreenDraw(view, size.cx, size.cy);
    if (!dc) return {};
    if (font) gfx::SelectObject(dc, font);
    gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Transparent);
    gfx::SetTextColour(dc, kRedColour);
    gfx::SetTextAlign(dc, gfx::kTextAlignBaseline);
    text::TextOutA(dc, gfx::Point{0, baseline}, std::string_view(&kBlackHeadChar, 1));
    return EndOffscreenDraw();
}

}  // namespace

void RenderGlyphBitmaps(ScoreView* view) {
    DeleteGlyphBitmaps(view);
    if (!view->ViewDC) return;
    const DrawingGlobals& d = State().drawing;
    bool large = view->zoom >= kLargeZoomLevel;
    const int32_t black = view->glyphWidths.black;
    const int32_t smallHalf = view->glyphWidths.halfBlack;
    gfx::Size full = large ? gfx::Size{black / 2, kUnitsPerStaffStep}
                           : gfx::Size{black, 2 * view->PixelUnitsY + kUnitsPerStaffSpace};
    gfx::Size small = large ? gfx::Size{smallHalf, kUnitsPerStaffStep}
                            : gfx::Size{smallHalf, view->PixelUnitsY + kUnitsPerStaffStep};
    view->glyphBitmaps[0] = RenderHead(view, d.MusicFont, full, kFullHeadBaseline);
    view->glyphBitmaps[1] = RenderHead(view, d.MusicFont65, small, kSmallHeadBaseline);
}

void ReleaseViewDrawing(ScoreView* view) {
    EndViewDrawAll(view);
    if (view->ViewMemoryDC) gfx::DeleteContext(view->ViewMemoryDC);
    view->ViewMemoryDC = {};
    DeleteGlyphBitmaps(view);
}

}  // namespace ql
