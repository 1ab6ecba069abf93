// Polylines with a pen of a style and a width in the current text colour. A
// dashed or dotted line wider than a device pixel cannot be one styled stroke
// (styled pens are one pixel wide), so it is laid down as repeated one-pixel
// strokes moved across the line by half a pixel each time until the band of the
// asked width is covered; while playback runs it is drawn once instead.
#pragma once

#include <cstdint>

#include "core/model/score_document.h"
#include "platform/gfx/objects.h"

namespace ql {

// Below this many points each segment is stroked on its own.
constexpr int kSegmentwisePointLimit = 5;

// 0 when nothing was drawn (no surface, no points, fewer than two points).
int DrawPolylineWithPen(ScoreView* view, const gfx::Point* points, int count, gfx::PenStyle style,
                        int32_t width, bool joinFlag);

}  // namespace ql
