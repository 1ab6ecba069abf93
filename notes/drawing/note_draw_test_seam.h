// Test seam of note drawing: a log of every drawing call the notes make, in logical
// units, with what each call draws, so that tests read positions and lengths instead
// of pixels. Not for product code.
#pragma once

#include <cstdint>
#include <vector>

#include "notes/drawing/note_draw_internal.h"

namespace ql::notedraw::test_seam {

enum class InkKind : uint8_t { Glyph, Line, Bar, Polygon, PenLine };

struct InkCall {
    InkPart part = InkPart::Head;
    InkKind kind = InkKind::Glyph;
    uint8_t code = 0;      // glyphs
    uint32_t align = 0;    // glyphs: the text alignment in force
    bool dimmed = false;   // drawn in the dimmed (grey) colours
    gfx::Point points[4];  // glyph: its point; line, pen line: the ends; bar: corners
                           // (left, top), (right, bottom); polygon: its corners
    int pointCount = 0;
    int32_t width = 0;  // pen lines
};

// Starts logging into `log` (null stops).
void SetInkLog(std::vector<InkCall>* log);

}  // namespace ql::notedraw::test_seam
