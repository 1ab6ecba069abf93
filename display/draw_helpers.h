// Drawing helpers of the display (module DRAW) used by the score model's
// painters: text in a character set, thick lines, and font size values.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace ql {

struct ScoreView;

// Draws a multibyte text through its character set at (x, y) on the baseline.
// Non-zero on success.
int TextOutInCharset(platform::DcHandle dc, int x, int y, int baseline, const char* text,
                     int length);

// Measures the extent of a multibyte text in its character set; false on failure.
bool TextExtentInCharset(platform::DcHandle dc, const char* text, int length, int* width,
                         int* height);

// Fills (x, y, width + 1, height + 1) with the current brush (pattern copy);
// while the painter's centre-line flag is set, first draws the centre line.
void DrawThickLine(ScoreView* view, int x, int y, int width, int height);

// The font size value of a staff size: trunc(StaffUnitsPerInch(entry, size)), where
// `size` is the user staff size (a BcdInches word) that entry 10 stands for.
int FontSizeValue(int entry, int size);

}  // namespace ql
