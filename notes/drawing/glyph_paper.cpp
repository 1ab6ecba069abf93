// Erasing a music-font glyph by filling its widened ink box with the paper (see
// glyph_paper.h).
#include "notes/drawing/glyph_paper.h"

#include <algorithm>

#include "notes/drawing/shape_paper.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/text/text_metrics.h"

namespace ql {

namespace {

// The glyph's baseline-left origin for a reference point under the context's text
// alignment (left, centre or right of its advance); false unless on the baseline.
bool BaselineLeftOrigin(platform::DcHandle dc, const text::GlyphBox& box, gfx::Point* origin) {
    const gfx::TextAlign align = gfx::GetTextAlign(dc) & ~gfx::kTextAlignUpdateCurrentPosition;
    if ((align & ~gfx::kTextAlignHorizontalMask) != gfx::kTextAlignBaseline) return false;
    switch (align & gfx::kTextAlignHorizontalMask) {
        case gfx::kTextAlignCentre:
            origin->x -= box.advance / 2;
            return true;
        case gfx::kTextAlignRight:
            origin->x -= box.advance;
            return true;
        default:
            return true;
    }
}

}  // namespace

namespace {

// The glyph's ink box corners in logical units; false without ink or a baseline.
bool GlyphInkCorners(platform::DcHandle dc, uint32_t code, gfx::Point origin, gfx::Point corners[2]) {
    text::GlyphBox box;
    if (!dc || !text::GetGlyphOutlineBox(dc, code, &box) || !box.hasInk) return false;
    if (!BaselineLeftOrigin(dc, box, &origin)) return false;
    corners[0] = gfx::Point{origin.x + box.left, origin.y - box.top};
    corners[1] = gfx::Point{origin.x + box.right, origin.y - box.bottom};
    return true;
}

}  // namespace

bool GlyphPaperRect(platform::DcHandle dc, uint32_t code, gfx::Point origin, gfx::Rect* out) {
    gfx::Point corners[2];
    return out != nullptr && GlyphInkCorners(dc, code, origin, corners) &&
           WidenedPaperRect(dc, corners[0], corners[1], out);
}

bool FillGlyphWithPaper(platform::DcHandle dc, uint32_t code, gfx::Point origin) {
    gfx::Point corners[2];
    return GlyphInkCorners(dc, code, origin, corners) && FillBoxWithPaper(dc, corners[0], corners[1]);
}

}  // namespace ql
