// The shape calls' side of the stroke listener (stroke_tap.h): each public shape
// call tells its shape once, before it draws or records it. A call made of other
// calls (a series of polylines painted one by one) tells its members itself and
// keeps the inner calls quiet.
#pragma once

#include <span>

#include "platform/gfx/detail/registry.h"
#include "platform/gfx/stroke_tap.h"

namespace ql::gfx::detail {

bool StrokeTapSet();
// Tells the listener, when one is set and no outer call keeps this one quiet.
// `pen` says whether the context's pen outlines the shape; `brush` is the brush
// that fills it (null for none).
void TellStroke(const Dc& d, DcHandle dc, StrokeShape shape, std::span<const Point> points,
                bool pen, const BrushDesc* brush);

// Keeps the calls made while it lives from telling the listener.
class QuietStrokes {
  public:
    QuietStrokes();
    ~QuietStrokes();
    QuietStrokes(const QuietStrokes&) = delete;
    QuietStrokes& operator=(const QuietStrokes&) = delete;
};

}  // namespace ql::gfx::detail
