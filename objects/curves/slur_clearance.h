// How high a slur's control points must stand for its curve to pass
// clear of the heads under it. The slur is the cubic from its start (x0, y0) to its
// end (x3, y3) whose two control points stand `inset` in from the ends at the one
// height c; the curve nearer the notes (the inner one, `thickness` further towards
// them) is what must clear. At a head's x the curve's y is linear in c, so each
// head gives a bound on c and the tightest bound wins. Heads where the control
// points weigh little (right by an end) give none: raising the curve there would
// throw it far off the staff, and the end is placed off its own note already.
#pragma once

#include <cstdint>
#include <vector>

namespace ql {

// A head under (or over) a slur: its left and right x, and the y of its edge that
// faces the slur (its top under a slur above, its bottom over one below).
struct SlurObstacle {
    int32_t left = 0;
    int32_t right = 0;
    int32_t edge = 0;
};

// The slur's ends, the control points' inset, the inner curve's offset of the
// control points (positive down) and its side.
struct SlurShape {
    int32_t x0 = 0, y0 = 0, x3 = 0, y3 = 0;
    int32_t inset = 0;
    int32_t thickness = 0;
    bool above = true;
};

// The control height `control`, moved away from the notes as far as needed for
// the inner curve to stand `clearance` off every obstacle; never moved towards them.
int32_t ControlYClearOf(const SlurShape& shape, int32_t control, const std::vector<SlurObstacle>& heads,
                        int32_t clearance);

// The ends moved away from the notes (never towards them) as far as needed to stand
// `clearance` off every obstacle where an end weighs more in the curve than the
// control points (the last fifth of the way to it, where raising the control height
// would throw the curve far off): each such obstacle lifts the end nearer to it
// (drops it, below). With both ends and the control height beyond an obstacle the
// whole curve is.
void EndsClearOf(SlurShape* shape, const std::vector<SlurObstacle>& heads, int32_t clearance);

}  // namespace ql
