// Test seam of system drawing: a log of every ink call the staff grid makes, in
// logical units, so that tests read positions and extents instead of pixels. Not for
// product code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ql::sysdraw::test_seam {

enum class GridInkKind : uint8_t {
    Line,        // a 1-pixel line (staff line, thin stroke, doubled line)
    Filled,      // a filled stroke (DrawThickLine): x1, y1 and width x height
    Glyph,       // a music-font character at (x1, y1)
    DottedLine,  // a dotted pen line (dotted barline, hide-when-empty joins)
    Text,        // a measure number at (x1, y1), its width in x2
};

struct GridInk {
    GridInkKind kind = GridInkKind::Line;
    int32_t x1 = 0;
    int32_t y1 = 0;
    int32_t x2 = 0;
    int32_t y2 = 0;
    int32_t width = 0;   // filled strokes and pen lines
    int32_t height = 0;  // filled strokes
    uint8_t code = 0;    // glyphs
    int32_t fontHeight = 0;  // glyphs and measure numbers: the font's height
    int32_t fontWidth = 0;   // glyphs: the font's width (0 = natural)
    int number = 0;          // measure numbers
    std::string face{};      // measure numbers: the face the font was made with
};

// Starts logging into `log` (null stops).
void SetGridInkLog(std::vector<GridInk>* log);

}  // namespace ql::sysdraw::test_seam
