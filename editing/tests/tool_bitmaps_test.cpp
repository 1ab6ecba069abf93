// The tool-face range table covers every image id once and the lookup finds faces.
#include <gtest/gtest.h>

#include "editing/tool_bitmaps.h"

namespace ql {
namespace {

TEST(ToolBitmapsTest, RangesCoverOneToTheLastIdWithoutGapOrOverlap) {
    int next = 1;
    for (const ToolBitmapRange& range : ToolBitmapRanges()) {
        EXPECT_EQ(range.first, next);
        EXPECT_GT(range.count, 0);
        EXPECT_NE(range.largeStrip, 0);
        next = range.first + range.count;
    }
    EXPECT_EQ(next - 1, kLastToolImageId);
}

TEST(ToolBitmapsTest, FaceMapsIntoItsRangeAndSmallSizeFallsBackToTheLargeStrip) {
    const ToolBitmapPlace notes = GetToolBitmap(36, 31, 1);
    EXPECT_EQ(ToolBitmapRanges()[static_cast<size_t>(notes.row)].first, 15);
    EXPECT_EQ(notes.position, 17);
    EXPECT_EQ(notes.strip, 448);
    EXPECT_EQ(GetToolBitmap(24, 31, 1).strip, 445);
    EXPECT_EQ(GetToolBitmap(24, 242, 3).strip, 466);  // page faces have no small strip
    EXPECT_EQ(GetToolBitmap(36, 283, 0).position, 15);
    EXPECT_EQ(GetToolBitmap(36, 284, 0).strip, 0);
    EXPECT_EQ(GetToolBitmap(36, 0, 0).row, -1);
}

}  // namespace
}  // namespace ql
