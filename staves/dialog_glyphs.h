// Glyphs drawn in the signature dialogs' owner-drawn pictures: a letter or a music
// font glyph at a height in pixels, centred on a point of its baseline.
#pragma once

#include <string>

#include "platform/handles.h"

namespace ql {

// One glyph or letter of `face` at `height` pixels, centred on x with its baseline at y.
void DrawDialogGlyph(platform::DcHandle dc, const std::string& face, int height, int weight, int x, int y,
                     char glyph);
// The face of the score's music font (its default face before the font is made).
std::string MusicFaceName();

}  // namespace ql
