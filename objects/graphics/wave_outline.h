// The wavy line's figure and its layout along a segment. The figure is one period
// (128 units) of a wave, a closed outline of four cubic Bezier segments, flattened
// once into at most 200 points: each segment is sampled at n = 1 + its larger extent
// steps (t = k / n, k < n), a segment running right to left is sampled reversed and
// put back in order, points are rounded by adding 0.5 and truncating, and a point
// equal to the one before is dropped. Along a line the figure is repeated every 128
// units: a horizontal line takes ceil(w / 128) figures from its left end, a vertical
// one the figure with x and y swapped, a slanted one of length L (integer part)
// takes ceil(L / 128) figures rotated by the line's angle, started back along the
// line by half of L mod 128 so the excess is shared by both ends.
#pragma once

#include <cstdint>
#include <vector>

#include "core/model/geometry.h"
#include "platform/gfx/types.h"

namespace ql::graphics {

constexpr int kWavePeriod = 128;
constexpr int kMaxWavePoints = 200;

// The flattened figure, made on first use and kept.
const std::vector<gfx::Point>& WaveOutline();

// The figures of a wavy line from a start point and an extent: the first figure's
// points (already placed) and the step from one figure to the next. copies is 0 when
// nothing is drawn.
struct WaveLayout {
    std::vector<gfx::Point> figure;
    int copies = 0;
    gfx::Point step{};
    gfx::Point low{}, high{};  // the first figure's smallest and largest x and y
};
WaveLayout LayOutWave(LogicalPoint start, int32_t dx, int32_t dy);

}  // namespace ql::graphics
