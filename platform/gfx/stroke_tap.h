// A listener on strokes and shapes: while one is set, every line, polyline, Bezier,
// polygon, rectangle, ellipse and filled box drawn on a context (recording contexts
// included) is told with its points and the box its ink covers, in the context's
// logical units, and the pen's width. The engraving check reads what a page paint
// strokes through it, beside the text runs of text/text_ink_tap.h; nothing else
// sets one. One listener for the program; calls come on the drawing thread.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "platform/gfx/types.h"

namespace ql::gfx {

enum class StrokeShape : uint8_t { Line, Polyline, Bezier, Polygon, Rectangle, Ellipse, Fill };

struct StrokeInk {
    platform::DcHandle dc;
    StrokeShape shape = StrokeShape::Line;
    // The shape's points: a line's two ends, a polyline's or polygon's corners, a
    // Bezier's start and control points, a box's two corners.
    std::span<const Point> points;
    Rect box;              // the points' box widened by half the pen; left <= right, top <= bottom
    int32_t penWidth = 0;  // logical units; 0 when no pen outlines the shape
    bool filled = false;   // its inside is filled with a brush
    bool paper = false;    // all it inks is white: it takes ink off rather than adds it
};

using StrokeTap = std::function<void(const StrokeInk&)>;

// Sets the listener (an empty function clears it); returns the one set before.
StrokeTap SetStrokeTap(StrokeTap tap);

}  // namespace ql::gfx
