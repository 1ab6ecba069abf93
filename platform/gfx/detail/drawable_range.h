// The drawable range: the device coordinates that may reach Cairo. Cairo keeps
// coordinates in 24.8 fixed point, so geometry beyond about +-8 million pixels
// wraps round and lands on the image. Every painter (shapes, text, blits) cuts
// its device geometry to this range before Cairo or a pixel loop sees it; the
// range reaches far beyond any image or page, so the cut never changes what shows.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/types.h"

namespace ql::gfx::detail {

// Half the range's width: the rest, up to the fixed-point limit, is room for
// pen widths and glyph sizes drawn at points inside the range.
constexpr int32_t kCairoCoordinateLimit = 1 << 22;
constexpr Rect kDrawableRange{-kCairoCoordinateLimit, -kCairoCoordinateLimit, kCairoCoordinateLimit,
                              kCairoCoordinateLimit};

struct DevicePoint {
    double x = 0;
    double y = 0;
};

// A device box whose sides may fall between pixels or beyond 32 bits (text
// cells and bars); right and bottom exclusive.
struct DeviceArea {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    bool IsEmpty() const { return !(left < right && top < bottom); }
};

// The part of a normalised box inside the range; empty when none of it is.
Rect CutToDrawableRange(const Rect& box);
DeviceArea CutToDrawableRange(const DeviceArea& box);
// The part of the segment a..b inside the range (the ends move along it); false
// when none of it is.
bool CutToDrawableRange(DevicePoint& a, DevicePoint& b);
// The part of a closed polygon inside the range, its visible edges keeping their
// slopes; fewer than three vertices when none of it is inside.
std::vector<DevicePoint> CutToDrawableRange(const std::vector<DevicePoint>& polygon);

// True when a box reaches the range at all.
bool ReachesDrawableRange(const DeviceArea& box);
// One coordinate clamped to the range (the far side of a box, which no image shows).
double CairoCoordinate(int32_t v);

}  // namespace ql::gfx::detail
