// The cairo scaled fonts text is drawn with, made once per face, size on the device,
// kind of ink (grey or bilevel) and kind of surface and kept for the life of the
// process, so that drawing a run hands cairo a ready font instead of a face, matrix
// and options that it must look up again. For the user-interface thread only.
#pragma once

#include <cairo.h>

#include "platform/text/font_size.h"

namespace ql::text {

// The scaled font of a sized font for drawing on `target`: unhinted outlines at
// exact positions, bilevel ink when `monochrome`, the surface's own font options
// for the rest (those Cairo would draw with). Null when cairo cannot make it.
cairo_scaled_font_t* ScaledFontFor(const SizedFont& font, bool monochrome, cairo_surface_t* target);

// Number of scaled fonts kept (tests check that sizes reuse them).
size_t ScaledFontCount();

}  // namespace ql::text
