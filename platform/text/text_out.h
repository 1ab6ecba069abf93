// Text output: 8-bit text in the font's character set and UTF-16 text, drawn at a
// logical point with the context's text alignment, text colour, background mode
// and colour, and character extra. Recording contexts keep the call for replay.
#pragma once

#include <span>
#include <string_view>

#include "platform/gfx/types.h"
#include "platform/text/context_font.h"
#include "platform/text/glyph_run.h"

namespace ql::text {

// False when the context does not resolve, has no surface to draw on, no font
// can be had, or the font is larger on the device than glyphs can be rendered
// (65535 pixels to the em). Empty text draws nothing (the current position still applies).
bool TextOutA(DcHandle dc, gfx::Point at, std::string_view text);
bool TextOutW(DcHandle dc, gfx::Point at, std::u16string_view text);

// Glyphs already looked up in `font`, the context's font as ContextFont sizes it,
// drawn as TextOutW draws the text they came from. A recording context keeps text,
// not glyphs: it is refused (false, nothing kept), as is a context that does not resolve.
bool DrawGlyphRun(DcHandle dc, gfx::Point at, const SizedFont& font, const GlyphRun& run);

// Runs in one font, each drawn as DrawGlyphRun draws it, in their order. On an image,
// runs of glyphs alone whose glyphs stand clear of one another go to the renderer
// together, which spares its work per call; the pixels are those of one call per run.
struct GlyphRunAt {
    gfx::Point at;
    const GlyphRun* run = nullptr;
};
bool DrawGlyphRuns(DcHandle dc, const SizedFont& font, std::span<const GlyphRunAt> runs);

}  // namespace ql::text
