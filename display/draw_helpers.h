// Drawing helpers of the display (module DRAW) used by the score model's
// painters: text in a character set and thick lines.
#pragma once

#include <cstdint>

#include "core/text/charset_text.h"
#include "platform/handles.h"

namespace ql {

struct ScoreView;

// Text in a character set (TextOutInCharset, TextExtentInCharset) is in
// core/text/charset_text.h; the font size value of a staff size (FontSizeValue) in
// core/units/page_units.h.

// Fills (x, y, width + 1, height + 1) with the current brush (pattern copy);
// while the painter's centre-line flag is set (picture output), first draws a
// 1-pixel line along the middle of the long side.
void DrawThickLine(ScoreView* view, int x, int y, int width, int height);

}  // namespace ql
