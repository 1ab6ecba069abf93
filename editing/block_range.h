// The block range: the staves and measures a rectangle of the page covers (the
// marquee's when no rectangle is given), which the block clipboard copies.
#pragma once

#include <cstdint>

#include "platform/gfx/types.h"

namespace ql {

struct ScoreView;

struct BlockRange {
    uint8_t firstStaff = 0;
    uint8_t lastStaff = 0;
    uint16_t firstMeasure = 0;
    uint16_t lastMeasure = 0;
};

// 1 with the range of the rectangle (the marquee's when null); 0 when it covers
// nothing, and without a marquee "No selection".
int MarqueeToBlockRange(ScoreView* view, BlockRange* range, const gfx::Rect* rect);

}  // namespace ql
