// Erasing a music-font glyph by filling its widened ink box with the paper (see
// glyph_paper.h).
#include "notes/drawing/glyph_paper.h"

#include <algorithm>

#include "notes/drawing/paper_boxes.h"
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

bool GlyphPaperRect(platform::DcHandle dc, uint32_t code, gfx::Point origin, gfx::Rect* out) {
    if (!dc || out == nullptr) return false;
    text::GlyphBox box;
    if (!text::GetGlyphOutlineBox(dc, code, &box) || !box.hasInk) return false;
    if (!BaselineLeftOrigin(dc, box, &origin)) return false;
    gfx::Point corners[2] = {{origin.x + box.left, origin.y - box.top}, {origin.x + box.right, origin.y - box.bottom}};
    if (!gfx::LogicalToDevice(dc, corners, 2)) return false;
    gfx::Point device[2] = {{std::min(corners[0].x, corners[1].x) - 1, std::min(corners[0].y, corners[1].y) - 1},
                            {std::max(corners[0].x, corners[1].x) + 2, std::max(corners[0].y, corners[1].y) + 2}};
    if (!gfx::DeviceToLogical(dc, device, 2)) return false;
    *out = gfx::Rect{std::min(device[0].x, device[1].x), std::min(device[0].y, device[1].y),
                     std::max(device[0].x, device[1].x), std::max(device[0].y, device[1].y)};
    return true;
}

bool FillGlyphWithPaper(platform::DcHandle dc, uint32_t code, gfx::Point origin) {
    gfx::Rect paper;
    if (!GlyphPaperRect(dc, code, origin, &paper)) return false;
    gfx::FillRect(dc, paper, gfx::GetStockBrush(gfx::StockBrush::White));
    NotePaperFilled(paper);
    return true;
}

}  // namespace ql
