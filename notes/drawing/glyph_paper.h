// Taking a music-font glyph off the paper. Drawing a glyph over itself in the paper
// colour leaves the soft (antialiased) edges of its ink in grey wherever nothing is
// drawn there again, so a glyph is erased by filling its ink box, widened by a device
// pixel on every side, with the paper. What else lay in the box must be drawn again
// (paper_boxes.h notes where).
#pragma once

#include <cstdint>

#include "platform/gfx/types.h"
#include "platform/handles.h"

namespace ql {

// The ink box of the glyph of `code` in the context's font, drawn at `origin`
// (logical units) under the context's text alignment, widened by a device pixel on
// every side, in logical units. False without a font or ink, or when the alignment
// is not on the baseline.
bool GlyphPaperRect(platform::DcHandle dc, uint32_t code, gfx::Point origin, gfx::Rect* out);
// Fills that box with the paper and notes it in the open paper-box log; false
// (nothing drawn) when it has none.
bool FillGlyphWithPaper(platform::DcHandle dc, uint32_t code, gfx::Point origin);

}  // namespace ql
