// The measure number at a system's start and the clef that opens the staff: the
// number's ink stands above the clef's, however far the clef rises over the staff.
#include <gtest/gtest.h>

#include "core/draw/view_drawing.h"
#include "core/state.h"
#include "display/system_drawing.h"
#include "display/system_drawing_internal.h"
#include "display/tests/system/sysdraw_fixture.h"
#include "staves/clef_key_placement.h"

namespace ql::testing_sysdraw {
namespace {

// The top of the opening clef's ink on staff 1, from its glyph's box.
int32_t OpeningClefTop(ScoreView* view, int clef) {
    const PlacedClef placed = PlaceClefAtSystemStart(view, 1, 1, clef);
    EXPECT_TRUE(placed.found);
    const GlyphMetricEntry& entry = State().drawing.GlyphTable[placed.at.glyph - kFirstGlyphCode];
    return placed.at.y - sysdraw::Scaled(view, entry.outline[kOutlineInkTop]);
}

TEST_F(SysDrawTest, NumberAtTheSystemStartClearsTheClef) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
    BuildScore(2, 4, 40);
    PageRecord& settings = doc_->header.pageGeometry;
    settings.measureNumberStyle = 1;  // at each system's start
    settings.measureNumberOffsetX = 0;
    settings.measureNumberOffsetY = 0;
    DrawAll();
    const std::vector<GridInk> numbers = Inks(GridInkKind::Text);
    ASSERT_EQ(numbers.size(), 1u);
    const GridInk& number = numbers[0];
    const int32_t clefTop = OpeningClefTop(view_, Cell(1, 1)->clefKey & 0x0F);
    // The treble clef rises above the top line, where numbers of later slots stand.
    ASSERT_LT(clefTop, StaffY(1) - 512);
    EXPECT_LT(number.y1, clefTop) << "the number's baseline above the clef's top";
    EXPECT_EQ(number.x1, SlotX(1) + 8) << "at its place across";
}

}  // namespace
}  // namespace ql::testing_sysdraw
