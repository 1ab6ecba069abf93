// Mapping modes: how a context's logical coordinates become device pixels.
// Text mode maps one logical unit to one device pixel (origins still apply);
// anisotropic mode scales each axis by viewport extent / window extent:
//   device  = (logical - windowOrg) * viewportExt / windowExt + viewportOrg
//   logical = (device - viewportOrg) * windowExt / viewportExt + windowOrg
// Products are taken in 64 bits and each division rounds to the nearest integer,
// halves away from zero, so extents of 32768 and more and the program's origin at
// -30720 convert without overflow. Results beyond 32 bits saturate.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gfx/types.h"

namespace ql::gfx {

// Stored values keep the classic numbers.
enum class MapMode : uint8_t {
    Text = 1,
    Anisotropic = 8,
};

struct Mapping {
    MapMode mode = MapMode::Text;
    Point windowOrigin{};
    Point viewportOrigin{};
    Size windowExtent{1, 1};
    Size viewportExtent{1, 1};
};

// Rounded quotient of a / b, halves away from zero; b must not be 0.
int64_t RoundedDivide(int64_t a, int64_t b);

// Pure conversions by a mapping (used by the context functions below).
Point MapLogicalToDevice(const Mapping& m, Point logical);
Point MapDeviceToLogical(const Mapping& m, Point device);
// Distances (sizes) carry no origin: only the scale applies; the sign is kept.
Size MapLogicalToDeviceDistance(const Mapping& m, Size logical);
Size MapDeviceToLogicalDistance(const Mapping& m, Size device);
// The device points of `moved`, logical points that are `from` each moved by one
// step, given `fromDevice`, the device points of `from`: the same points as
// MapLogicalToDevice gives, found by adding the step's device distance wherever
// that is exact (no division per point). False, with nothing written, when the
// points are not all moved by one step.
bool MapMovedToDevice(const Mapping& m, const Point* from, const Point* fromDevice, const Point* moved, size_t count,
                      Point* out);
// Whether a step moves a figure exactly in device pixels: true, with the figure's
// device points (as MapLogicalToDevice gives them) in `device` and the step's
// device distance, when every point moved by 0 to `steps` steps maps to its device
// point moved by as many device steps, as long as the results stay strictly inside
// the 32-bit range. False when the step is a fraction of a pixel or the rounding of
// a point halfway between two pixels would turn.
// `bounds`, when given, gets the smallest and largest values of the figure's points
// on each axis, logical and device, when the result is true.
struct FigureBounds {
    Point low, high;              // logical
    Point deviceLow, deviceHigh;  // device
};
bool MapFigureToDevice(const Mapping& m, const Point* points, size_t count, Point step, int steps, Point* device,
                       Point* deviceStep, FigureBounds* bounds = nullptr);

// Context mapping state. Setters return false for a handle that does not resolve
// or a zero extent; `previous` (optional) receives the value replaced.
// Extents only take effect in anisotropic mode; in text mode they are ignored,
// and switching to text mode resets both to 1:1. OffsetViewportOrigin saturates.
bool SetMapMode(DcHandle dc, MapMode mode, MapMode* previous = nullptr);
MapMode GetMapMode(DcHandle dc);  // Text for a handle that does not resolve
bool SetWindowOrigin(DcHandle dc, Point origin, Point* previous = nullptr);
bool SetViewportOrigin(DcHandle dc, Point origin, Point* previous = nullptr);
bool OffsetViewportOrigin(DcHandle dc, Size delta, Point* previous = nullptr);
bool SetWindowExtent(DcHandle dc, Size extent, Size* previous = nullptr);
bool SetViewportExtent(DcHandle dc, Size extent, Size* previous = nullptr);
Point GetWindowOrigin(DcHandle dc);
Point GetViewportOrigin(DcHandle dc);
Size GetWindowExtent(DcHandle dc);
Size GetViewportExtent(DcHandle dc);
// The whole mapping of a context (default mapping for a handle that does not resolve).
Mapping GetMapping(DcHandle dc);

// Conversions through a context's mapping; false when the handle does not resolve.
bool LogicalToDevice(DcHandle dc, Point* points, int count);
bool DeviceToLogical(DcHandle dc, Point* points, int count);
// Single-value forms (the point unchanged when the handle does not resolve).
Point LogicalToDevice(DcHandle dc, Point logical);
Point DeviceToLogical(DcHandle dc, Point device);
Size LogicalToDeviceDistance(DcHandle dc, Size logical);
Size DeviceToLogicalDistance(DcHandle dc, Size device);

}  // namespace ql::gfx
