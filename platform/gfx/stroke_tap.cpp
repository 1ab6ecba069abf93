// The stroke listener: the box of a shape is its points' box widened by half the
// pen (a cosmetic pen is one device pixel wide, whatever the mapping).
#include "platform/gfx/stroke_tap.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/gfx/detail/stroke_telling.h"
#include "platform/gfx/mapping.h"

namespace ql::gfx {

namespace {

StrokeTap& Tap() {
    static StrokeTap tap;
    return tap;
}

thread_local int g_quiet = 0;  // depth of QuietStrokes scopes on this thread

int32_t LogicalPenWidth(const detail::Dc& d) {
    if (d.state.pen.style == PenStyle::Null) return 0;
    if (d.state.pen.width != 0) return std::abs(d.state.pen.width);
    const Size pixel = MapDeviceToLogicalDistance(d.state.mapping, Size{1, 1});
    return std::max(1, std::abs(pixel.cx));
}

bool IsPaper(const detail::Dc& d, bool pen, const BrushDesc* b) {
    const bool penPaper =
        !pen || d.state.pen.style == PenStyle::Null || d.state.pen.colour == kWhite;
    const bool brushPaper = b == nullptr || b->style == BrushStyle::Null ||
                            (b->style == BrushStyle::Solid && b->colour == kWhite);
    return penPaper && brushPaper;
}

}  // namespace

StrokeTap SetStrokeTap(StrokeTap tap) {
    StrokeTap previous = std::move(Tap());
    Tap() = std::move(tap);
    return previous;
}

namespace detail {

bool StrokeTapSet() {
    return g_quiet == 0 && static_cast<bool>(Tap());
}

void TellStroke(const Dc& d, DcHandle dc, StrokeShape shape, std::span<const Point> points,
                bool pen, const BrushDesc* brush) {
    if (!StrokeTapSet() || points.empty()) return;
    StrokeInk ink;
    ink.dc = dc;
    ink.shape = shape;
    ink.points = points;
    ink.penWidth = pen ? LogicalPenWidth(d) : 0;
    ink.filled = brush != nullptr && brush->style != BrushStyle::Null;
    ink.paper = IsPaper(d, pen, brush);
    Rect box{points[0].x, points[0].y, points[0].x, points[0].y};
    for (const Point& p : points) {
        box.left = std::min(box.left, p.x);
        box.top = std::min(box.top, p.y);
        box.right = std::max(box.right, p.x);
        box.bottom = std::max(box.bottom, p.y);
    }
    const int32_t half = ink.penWidth / 2;
    ink.box = Rect{box.left - half, box.top - half, box.right + (ink.penWidth - half),
                   box.bottom + (ink.penWidth - half)};
    Tap()(ink);
}

QuietStrokes::QuietStrokes() {
    ++g_quiet;
}
QuietStrokes::~QuietStrokes() {
    --g_quiet;
}

}  // namespace detail

}  // namespace ql::gfx
