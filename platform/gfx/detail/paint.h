// Painting a shape on a context: the interior with the brush, the outline with
// the pen, both by the context's raster operation. On images the outline and the
// interior are rasterised into separate masks (the interior minus the outline),
// so no pixel is combined twice; on PDF pages the shape is drawn as vectors.
#pragma once

#include <vector>

#include "platform/gfx/detail/drawable_range.h"
#include "platform/gfx/detail/raster.h"
#include "platform/gfx/detail/registry.h"

namespace ql::gfx::detail {

// Adds a closed polygon (vertices on pixel corners) to the path, cut to the
// drawable range so that its visible edges keep their slopes.
void AddPolygonPath(cairo_t* cr, const std::vector<Point>& points);
// Adds a polyline through pixel centres, clipped the same way.
void AddPolylinePath(cairo_t* cr, const std::vector<Point>& points, bool closed);

// What the pen draws, in device pixels.
struct Outline {
    enum class Kind { None, Polyline, Path };
    Kind kind = Kind::None;
    std::vector<Point> points;  // Polyline: the last point is excluded unless closed
    bool closed = false;
    bool tracesFill = false;  // Polyline: round the corners of the interior's polygon
    PathFn path;              // Path: a curve through pixel centres
};

// Pen width in device pixels, at least 1.
int PenDeviceWidth(const Dc& d);
// Dash lengths of a pen style in pixels at width 1 (empty for solid).
const std::vector<double>& DashPattern(PenStyle style);

// `fill` may be null (outline only). True unless the context cannot be drawn on.
bool DrawShape(Dc& d, const PathFn* fill, FillMode mode, const Outline& outline);
// A series of polylines or polygons (device points) painted as if one after the
// other, in one pass. Done where that gives the very same pixels: on an image, with
// copy ink and a solid or null brush. False when it was not done and the members
// are to be painted one by one.
bool DrawPolySeries(Dc& d, const std::vector<std::vector<Point>>& series, bool polygons);
// A figure (device points) painted `copies` times, each copy moved by `step`
// pixels from the one before, as DrawPolySeries would paint the copies: the figure
// is rasterised once and its pixels repeated. False where DrawPolySeries would not
// paint them in one pass, or the figure alone would be too large to rasterise.
bool DrawRepeatedFigure(Dc& d, const std::vector<Point>& figure, int copies, Point step, bool polygons);
// A line from a to b (excluded) in device pixels with the pen: DrawShape of a
// two-point polyline, without building one for the usual one-pixel pen.
bool DrawSegment(Dc& d, Point a, Point b);
// As DrawShape with an interior that is the device box (rectangles): the box is
// combined straight into the pixels.
bool DrawBoxShape(Dc& d, const Rect& box, const Outline& outline);
// Fills a device path with a given brush ink and operation, ignoring the pen.
bool FillWithInk(Dc& d, const PathFn& fill, FillMode mode, const Ink& ink, Rop2 rop);
// Fills a device box with an ink (on a page, the part inside the drawable range).
bool FillBoxWithInk(Dc& d, const Rect& box, const Ink& ink, Rop2 rop);

// A Cairo context on a printer page in printer dots, clipped to the context's clip;
// null when the context is not a printer inside a page.
cairo_t* OpenPageInk(const Dc& d);
// Ends what OpenPageInk began (every setting made on its context).
void ClosePageInk(const Dc& d);
// The ink of the page a printer context draws on; null for other contexts and
// outside a page.
PageInk* PageInkOf(const Dc& d);

}  // namespace ql::gfx::detail
