// Where a palette button's face lies: the table of image-id ranges, each with its
// large (36-pixel) strip, its small (24-pixel) strip when it has one and its number
// of images, and the lookup from a record's bitmapId and imageIndex to a strip and
// the face's position in it.
#pragma once

#include <cstdint>
#include <span>

namespace ql {

struct ToolBitmapRange {
    uint16_t first;  // image id of the range's first face
    uint16_t count;
    uint16_t largeStrip;  // strip resource ids; 0: none
    uint16_t smallStrip;
};

constexpr int kToolBitmapRanges = 17;
constexpr int kLastToolImageId = 283;

std::span<const ToolBitmapRange, kToolBitmapRanges> ToolBitmapRanges();

// The strip and position of a face; row -1 and strip 0 when the id lies in no range.
struct ToolBitmapPlace {
    int row = -1;
    uint16_t strip = 0;
    int position = 0;
};

// The range holding bitmapId gives position = bitmapId - first + imageIndex, from
// the large strip at button size 36 and from the small strip otherwise (the large
// one when the range has no small strip).
ToolBitmapPlace GetToolBitmap(int buttonSize, int bitmapId, int imageIndex);

}  // namespace ql
