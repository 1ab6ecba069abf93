// Text output: 8-bit text in the font's character set and UTF-16 text, drawn at a
// logical point with the context's text alignment, text colour, background mode
// and colour, and character extra. Recording contexts keep the call for replay.
#pragma once

#include <string_view>

#include "platform/gfx/types.h"
#include "platform/text/context_font.h"

namespace ql::text {

// False when the context does not resolve, has no surface to draw on, no font
// can be had, or the font is larger on the device than glyphs can be rendered
// (65535 pixels to the em). Empty text draws nothing (the current position still applies).
bool TextOutA(DcHandle dc, gfx::Point at, std::string_view text);
bool TextOutW(DcHandle dc, gfx::Point at, std::u16string_view text);

}  // namespace ql::text
