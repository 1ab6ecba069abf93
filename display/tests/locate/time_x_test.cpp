// Time and x in the current slot: the two conversions are inverse within a column,
// including the last column (whose right end is the slot's content width), and an
// x halfway between two columns gives the later one.
#include "core/model/document.h"
#include "display/tests/locate/locate_fixture.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"

namespace ql::testing_locate {
namespace {

class TimeXTest : public LocateTest {};

TEST_F(TimeXTest, TimeToXAndXToTimeAreInverseWithinSixteenTicks) {
    BuildScore(1, {1}, 4);
    for (int measure = 1; measure <= 4; ++measure) {
        Locate(1, measure);
        const int32_t base = SlotContent(view_->currentSystem, view_->currentSlot);
        for (int tick = 0; tick < 4096; tick += 8) {
            const int back = XToTime(view_, base + TimeToX(view_, tick));
            EXPECT_LE(std::abs(back - tick), 16) << "measure " << measure << " tick " << tick;
        }
    }
}

TEST_F(TimeXTest, LastColumnInterpolatesTowardTheContentWidth) {
    BuildScore(1, {1}, 4);
    Locate(1, 2);
    const int lastColumn = TimeToX(view_, 4096 - 16);
    const int width = BuildBeatMapSlot(view_, view_->currentSlot);
    ASSERT_GT(width, lastColumn);
    // Halfway through the last column lies halfway to the closing content edge.
    EXPECT_EQ(TimeToX(view_, 4096 - 8), lastColumn + ((width - lastColumn) * 8 >> 4));
    // The measure's last tick reads the column itself.
    EXPECT_EQ(TimeToX(view_, 4095), lastColumn);
}

TEST_F(TimeXTest, HalfwayBetweenColumnsGivesTheLaterColumn) {
    BuildScore(1, {1}, 4);
    // 12 units per column, so that the halfway point is a whole unit.
    MeasureRecordOf(doc_, 1)->stretch = 3072;
    MeasureRecordOf(doc_, 1)->spacing = RecordHandle{};
    UpdateBeatMaps(view_, 1);
    Locate(1, 1);
    const int32_t base = SlotContent(view_->currentSystem, 1);
    const int a = TimeToX(view_, 1024);
    const int b = TimeToX(view_, 1040);
    ASSERT_EQ((b - a) % 2, 0) << "choose columns an even distance apart";
    EXPECT_EQ(XToTime(view_, base + (a + b) / 2), 1040);
    EXPECT_EQ(XToTime(view_, base + (a + b) / 2 - 1), 1024);
    // Left of the content start: tick 0; far right: the last tick.
    EXPECT_EQ(XToTime(view_, base - 500), 0);
    EXPECT_EQ(XToTime(view_, base + 30000), 4095);
}

}  // namespace
}  // namespace ql::testing_locate
