// Access to a context's surface for the text module, which draws glyphs with
// Cairo itself. Recording contexts keep text as calls; other contexts hand out a
// Cairo context in device pixels with the context's clip applied.
#pragma once

#include <cairo.h>

#include <functional>

#include "platform/gfx/types.h"

namespace ql::gfx {

// When `dc` is a recording context, keeps `call` to be run later with the
// replay target and returns true; otherwise returns false and the caller draws now.
bool RecordCall(DcHandle dc, std::function<void(DcHandle target)> call);

// A Cairo context on the surface of `dc` (image or PDF page) in device pixels
// (printer dots), clipped to the context's clip. Null for a recording context,
// a printer outside a page, or a handle that does not resolve. Calls may nest;
// each BeginInk needs one EndInk, which flushes and marks the image changed.
// Ink drawn this way is plain copy ink: the context's raster operation is not applied.
cairo_t* BeginInk(DcHandle dc);
void EndInk(DcHandle dc);

// The vector surface of the page a printer context draws on; null for any other
// context and outside a page.
cairo_surface_t* PageSurfaceOf(DcHandle dc);
// Glyphs of one font (device pixels) shown on the page of a printer context in its
// text colour, gathered with the page's other ink of that colour into one run per
// font. False, with nothing drawn, when the context draws on no page.
bool ShowPageGlyphs(DcHandle dc, cairo_scaled_font_t* font, const cairo_glyph_t* glyphs, int count);

// A box (device pixels) filled in a solid colour on the page of a printer
// context, cut to its clip, gathered with the page's other ink of that colour.
// False, with nothing drawn, when the context draws on no page.
bool FillPageBox(DcHandle dc, double left, double top, double right, double bottom, Colour colour);

// The Cairo surface of a bitmap, for a display backend to show a window's image
// (read only; valid until the bitmap is resized or deleted). Null when stale.
cairo_surface_t* BitmapSurfaceForDisplay(BitmapHandle bitmap);

// True when the context draws into a monochrome bitmap: callers map their ink to
// black or white (see bitmap.h).
bool IsMonochromeSurface(DcHandle dc);

}  // namespace ql::gfx
