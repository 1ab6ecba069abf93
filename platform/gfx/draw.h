// Drawing primitives: lines, curves, shapes, fills, flood fill and single pixels,
// all in logical coordinates of the context. On image surfaces every shape is
// first rasterised without antialiasing into a coverage mask, then combined with
// the destination pixels by the context's raster operation, so an XOR shape drawn
// twice leaves the image exactly as it was. PDF pages draw copy ink as vectors and
// skip every raster operation other than copy (see printer.h).
// Lines exclude their last point; outlines use the pen, interiors the brush.
#pragma once

#include <cstdint>

#include "platform/gfx/types.h"

namespace ql::gfx {

// Raster operations of pen and brush ink (classic numbers). Value - 1 is the
// truth table: bit ((pen << 1) | destination) gives the result bit.
enum class Rop2 : uint8_t {
    Black = 1,
    NotMergePen = 2,
    MaskNotPen = 3,
    NotCopyPen = 4,
    MaskPenNot = 5,
    Not = 6,
    XorPen = 7,
    NotMaskPen = 8,
    MaskPen = 9,
    NotXorPen = 10,
    Nop = 11,
    MergeNotPen = 12,
    CopyPen = 13,
    MergePenNot = 14,
    MergePen = 15,
    White = 16,
};

// Returns the previous operation (CopyPen for a handle that does not resolve).
Rop2 SetRop2(DcHandle dc, Rop2 rop);
Rop2 GetRop2(DcHandle dc);

// Draws from the current position to `to` (excluded) and moves there.
bool LineTo(DcHandle dc, Point to);
// Connected segments; the current position is neither used nor changed.
bool Polyline(DcHandle dc, const Point* points, int count);
// Cubic Béziers: point 0, then three points per curve (count = 1 + 3n).
bool PolyBezier(DcHandle dc, const Point* points, int count);
// Closed polygon: filled with the brush by the fill mode, outlined with the pen.
bool Polygon(DcHandle dc, const Point* points, int count);
// A series of polylines or polygons, `counts[i]` points each, laid one after the
// other in `points`: the same pixels as calling Polyline or Polygon for each in
// turn (a recording keeps those calls), painted where it can as one pass over the
// surface. False when a count is negative (nothing drawn) or a member fails.
bool PolyPolyline(DcHandle dc, const Point* points, const int* counts, int series);
bool PolyPolygon(DcHandle dc, const Point* points, const int* counts, int series);
// A figure of `count` points drawn `copies` times, each copy moved by `step` from
// the one before: the same as PolyPolyline or PolyPolygon of the copies laid out in
// turn, without the caller building them. Where every copy lands on whole device
// pixels the figure is rasterised once and its pixels repeated.
bool RepeatedPolyline(DcHandle dc, const Point* figure, int count, int copies, Point step);
bool RepeatedPolygon(DcHandle dc, const Point* figure, int count, int copies, Point step);
// Outline covers left..right-1 x top..bottom-1; the interior is filled with the
// brush. With the null pen the filled area is one pixel narrower and shorter.
bool Rectangle(DcHandle dc, Rect logical);
// Ellipse inscribed in the rectangle; same pen/brush rules as Rectangle.
bool Ellipse(DcHandle dc, Rect logical);
// Rectangle with corners rounded by an ellipse of the given width and height.
bool RoundRect(DcHandle dc, Rect logical, Size corner);
// Fills left..right-1 x top..bottom-1 with `brush` and copy ink; no pen, the
// context's raster operation is not used.
bool FillRect(DcHandle dc, Rect logical, BrushHandle brush);
// Fills the rectangle with the selected brush combined by a blit raster
// operation (see bitmap.h: PatternCopy, PatternInvert, DestinationInvert,
// Blackness, Whiteness). False for operations that need a source.
bool PatternBlit(DcHandle dc, Rect logical, uint32_t rasterOp);

// Flood fill with the selected brush from a logical point: Border fills the area
// bounded by `colour`; Surface fills the connected area of `colour`. False when
// the start point is outside the clip or has nothing to fill.
enum class FloodMode : uint8_t { Border = 0, Surface = 1 };
bool FloodFill(DcHandle dc, Point start, Colour colour, FloodMode mode = FloodMode::Border);

// Single pixels, logical coordinates. GetPixel gives kInvalidColour outside the
// image or the clip, or on a context without pixels.
Colour GetPixel(DcHandle dc, Point logical);
bool SetPixel(DcHandle dc, Point logical, Colour colour);

}  // namespace ql::gfx
