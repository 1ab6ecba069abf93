// Drawing helpers of the display (module DRAW) used by the score model's
// painters: text in a character set, thick lines, and font size values.
#pragma once

#include <cstdint>

#include "display/charset_text.h"
#include "platform/handles.h"

namespace ql {

struct ScoreView;

// Text in a character set (TextOutInCharset, TextExtentInCharset) is in
// display/charset_text.h.

// Fills (x, y, width + 1, height + 1) with the current brush (pattern copy);
// while the painter's centre-line flag is set (picture output), first draws a
// 1-pixel line along the middle of the long side.
void DrawThickLine(ScoreView* view, int x, int y, int width, int height);

// The font size value of a staff size: trunc(StaffUnitsPerInch(entry, size)), where
// `size` is the user staff size (a BcdInches word) that entry 10 stands for.
int FontSizeValue(int entry, int size);

}  // namespace ql
