// Where a palette button's face lies: the table of image-id ranges, each with its
// large (36-pixel) strip, its small (24-pixel) strip when it has one and its number
// of images, and the lookup from a record's bitmapId and imageIndex to a strip and
// the face's position in it. The strips themselves are PNGs in the program
// folder's tool_faces/, named by their resource id, loaded all at once on first use.
#pragma once

#include <cstdint>
#include <span>

#include "platform/handles.h"

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

constexpr uint16_t kToolMarkBitmap = 470;  // the 10 x 9 mark of a marked button
constexpr char kToolFaceFolder[] = "tool_faces";

// The strip and position of a face; row -1 and strip 0 when the id lies in no range.
// bitmap is the loaded strip, null when it failed to load (the face stays blank).
struct ToolBitmapPlace {
    int row = -1;
    uint16_t strip = 0;
    int position = 0;
    platform::BitmapHandle bitmap{};
};

// The range holding bitmapId gives position = bitmapId - first + imageIndex, from
// the large strip at button size 36 and from the small strip otherwise (the large
// one when the range has no small strip). Loads the strips on first use.
ToolBitmapPlace GetToolBitmap(int buttonSize, int bitmapId, int imageIndex);

// A loaded strip or the mark by resource id (loading every strip on first use);
// null when it could not be read.
platform::BitmapHandle ToolStripBitmap(uint16_t strip);
// Deletes every loaded strip; the next use loads them again.
void FreeToolBitmaps();

// ORs the face onto dc with its top-left at (x, y); the face is the strip's height
// high and its width divided by the range's count wide. False (nothing drawn) for a
// blank face: an id in no range, a position past the strip or a strip not loaded.
bool DrawToolFace(platform::DcHandle dc, int x, int y, int buttonSize, int bitmapId,
                  int imageIndex);
// ORs the 10 x 9 mark onto dc at (x, y); false when it is not loaded.
bool DrawToolMark(platform::DcHandle dc, int x, int y);

}  // namespace ql
