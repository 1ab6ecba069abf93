// Geometry names of the score model. A logical point is a point in logical units
// (origin -30720, 128 units to a staff space); it has the drawing layer's point
// layout (two 32-bit words), so the location record of objects and hit records
// can end in one.
#pragma once

#include "platform/gfx/types.h"

namespace ql {

using LogicalPoint = gfx::Point;
static_assert(sizeof(LogicalPoint) == 8, "a logical point is two 32-bit words");

}  // namespace ql
