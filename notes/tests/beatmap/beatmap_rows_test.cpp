// Row buffers and slot arrays: each row sized to what its measures need with no cap,
// arrays that never overlap, buffers that only grow, slots past a system's end that
// share the next row's arrays, a failed allocation, a system beyond row 24, and the
// map's life with its view (copies start empty, destruction frees it).
#include <gtest/gtest.h>

#include <cstring>

#include "core/model/view.h"
#include "notes/beatmap/beat_map.h"
#include "notes/beatmap/beat_map_internal.h"
#include "notes/beatmap/beat_map_test_seam.h"
#include "notes/tests/beatmap/beatmap_fixture.h"

namespace ql::testing_beatmap {
namespace {

constexpr int kLongestMeasureBeats = 32;  // 32 quarters: 32,768 ticks
constexpr uint32_t kLongestArrayEntries = 32768 / 16 + 2;
constexpr uint32_t kWholeArrayEntries = 4096 / 16 + 2;
// AllocateBeatMapRows result bits.
constexpr int kLengthChanged = 1;
constexpr int kReallocated = 2;

class RowsTest : public BeatMapTest {};

// 27 measures of 32,768 ticks: the row holds all 27 arrays (110,700 bytes, past any
// 16-bit size), one after the other; filling every slot leaves each array's two
// spare entries untouched, so no array runs into the next.
TEST_F(RowsTest, RowHoldsEveryArrayOfItsSystemWithoutOverlap) {
    BuildScore(1, {1}, kLastBeatMapSlot);
    for (int m = 1; m <= kLastBeatMapSlot; ++m) SetTime(m, kLongestMeasureBeats, kQuarterUnit);
    UpdateBeatMaps(view_, 1);
    EXPECT_EQ(Map().rowCapacity[0], kLastBeatMapSlot * kLongestArrayEntries * sizeof(uint16_t));
    for (int slot = 1; slot <= kLastBeatMapSlot; ++slot) {
        const int cell = BeatMapCell(0, slot);
        EXPECT_EQ(Map().tickX[cell].row, 0);
        EXPECT_EQ(Map().tickX[cell].first, (slot - 1) * kLongestArrayEntries);
        const beatmap::SlotArray array = beatmap::SlotArrayOf(Map(), cell);
        ASSERT_EQ(array.count, kLongestArrayEntries);
        EXPECT_GT(array.entries[kLongestArrayEntries - 3], 0) << "slot " << slot;
        EXPECT_EQ(array.entries[kLongestArrayEntries - 2], 0) << "slot " << slot;
        EXPECT_EQ(array.entries[kLongestArrayEntries - 1], 0) << "slot " << slot;
    }
}

// A row buffer grows when its measures need more and is kept when they need less;
// the result says when lengths changed and when a buffer was reallocated.
TEST_F(RowsTest, BuffersOnlyGrow) {
    BuildScore(1, {2}, 4);
    EXPECT_EQ(AllocateBeatMapRows(view_, 4), kLengthChanged | kReallocated);
    BuildBeatMapMeasures(view_);
    EXPECT_EQ(AllocateBeatMapRows(view_, 4), 0);
    const uint32_t capacity = Map().rowCapacity[0];
    const uint16_t* buffer = Map().rowBuffers[0].get();
    SetTime(2, 2, kQuarterUnit);
    EXPECT_EQ(AllocateBeatMapRows(view_, 4), kLengthChanged);
    EXPECT_EQ(Map().rowCapacity[0], capacity);
    EXPECT_EQ(Map().rowBuffers[0].get(), buffer);
    SetTime(2, 8, kQuarterUnit);
    EXPECT_EQ(AllocateBeatMapRows(view_, 4), kLengthChanged | kReallocated);
    EXPECT_GT(Map().rowCapacity[0], capacity);
    EXPECT_EQ(ComputeMeasureBeatPositions(view_, 2), kLengthChanged);  // = rows for 2 + 2
}

// Slots after a system's last measure share the next row's arrays (the page's last
// system continues into the next page's first, which holds measures up to the
// measure count + 4); the previous page's last system continues with row 0.
TEST_F(RowsTest, SlotsPastASystemShareTheNextRow) {
    BuildScore(1, {2, 2}, 4);
    ShowSystem(1, 0);
    UpdateBeatMaps(view_, 1);
    const BeatMap& map = Map();
    for (int k = 5; k <= kLastBeatMapSlot; ++k) {
        EXPECT_EQ(map.tickX[BeatMapCell(0, k)].row, map.tickX[BeatMapCell(1, k - 4)].row) << k;
        EXPECT_EQ(map.tickX[BeatMapCell(0, k)].first, map.tickX[BeatMapCell(1, k - 4)].first) << k;
    }
    // Row 2 (after the page): measures 17..20 (the count + 4); nothing beyond.
    EXPECT_EQ(map.tickX[BeatMapCell(1, 5)].row, 2);
    EXPECT_EQ(map.rowCapacity[2], 4 * kWholeArrayEntries * sizeof(uint16_t));
    EXPECT_EQ(map.tickX[BeatMapCell(2, 5)].row, kNoTickRow);
    // Row 3: page 1's last system (measures 5..8), then row 0.
    EXPECT_EQ(map.rowCapacity[3], 4 * kWholeArrayEntries * sizeof(uint16_t));
    EXPECT_EQ(map.tickX[BeatMapCell(3, 5)].first, map.tickX[BeatMapCell(0, 1)].first);
    EXPECT_EQ(map.tickX[BeatMapCell(3, 5)].row, 0);
    // The page's last system fills its slots past the end: x continues from its own.
    EXPECT_GT(SlotTickToX(view_, System(1, 1), 5, 1024), 0);
}

// A row buffer that cannot be had limits the rows; the build still places every
// slot, and its ticks read 0.
TEST_F(RowsTest, FailedRowAllocationLeavesSlotsWithoutTicks) {
    BuildScore(1, {2}, 4);
    beatmap::test_seam::FailRowAllocations(1);
    UpdateBeatMaps(view_, 1);
    beatmap::test_seam::FailRowAllocations(0);
    EXPECT_EQ(Map().rowsAllocated, 0);
    EXPECT_EQ(SlotTickToX(view_, System(0, 0), 1, 1024), 0);
    EXPECT_GT(Map().slotX[BeatMapCell(0, 2)], 0);
    UpdateBeatMaps(view_, 1);
    EXPECT_GT(SlotTickToX(view_, System(0, 0), 1, 1024), 0);
}

// A page whose first measure is longer than the first measure of the page shown
// before it: its row is pointed again for its own lengths when it is built, and a
// tick late in its first measure reads past the earlier measure's end.
TEST_F(RowsTest, RowTakesTheLengthsOfThePageShown) {
    BuildScore(1, {1, 1}, 4);
    SetTime(1, 1, kQuarterUnit);
    ShowSystem(0, 0);
    UpdateBeatMaps(view_, 1);
    ShowSystem(1, 0);
    UpdateBeatMaps(view_, 0);
    EXPECT_EQ(Map().slotTicks[BeatMapCell(0, 1)], Record(System(1, 0)->firstMeasure).lengthTicks);
    EXPECT_GT(SlotTickToX(view_, System(1, 0), 1, 2048), SlotTickToX(view_, System(1, 0), 1, 1024));
}

// Rows pointed for one page are pointed again when another page is shown, though
// its measures are as long: the previous page's last system, which the page shows
// again for what runs into it, takes a row of its own that continues with the
// page's first row, and none of its slots writes into another row's arrays.
TEST_F(RowsTest, RowsArePointedForThePageShown) {
    BuildScore(1, {2, 2, 2}, 4);
    ShowSystem(0, 0);
    UpdateBeatMaps(view_, 1);
    ShowSystem(1, 0);
    UpdateBeatMaps(view_, 0);
    const BeatMap& map = Map();
    EXPECT_EQ(map.tickX[BeatMapCell(3, 1)].row, 3);
    EXPECT_EQ(map.tickX[BeatMapCell(3, 5)].row, 0);
    EXPECT_EQ(map.tickX[BeatMapCell(3, 5)].first, map.tickX[BeatMapCell(0, 1)].first);
    ShowSystem(2, 0);
    UpdateBeatMaps(view_, 0);
    EXPECT_EQ(map.tickX[BeatMapCell(3, 5)].first, map.tickX[BeatMapCell(0, 1)].first);
    EXPECT_EQ(SlotTickToX(view_, System(2, 1), 2, 1024), SlotTickToX(view_, System(2, 0), 2, 1024));
}

// A system numbered 25 gets no beat map in page view: nothing of the map changes.
TEST_F(RowsTest, SystemRow25GetsNoMap) {
    BuildScore(1, {1}, 4);
    UpdateBeatMaps(view_, 1);
    System(0, 0)->number = 25;
    BeatMap before;
    std::memcpy(before.contentX, Map().contentX, sizeof before.contentX);
    std::memcpy(before.slotX, Map().slotX, sizeof before.slotX);
    EXPECT_EQ(BuildBeatMapPageMode(view_, 1), 0);
    EXPECT_EQ(std::memcmp(before.contentX, Map().contentX, sizeof before.contentX), 0);
    EXPECT_EQ(std::memcmp(before.slotX, Map().slotX, sizeof before.slotX), 0);
    System(0, 0)->number = 24;
    EXPECT_EQ(BuildBeatMapPageMode(view_, 1), 1);
}

// A copied view starts with an empty map (the source keeps its own); destroying a
// view frees its buffers.
TEST_F(RowsTest, MapBelongsToOneView) {
    BuildScore(1, {2}, 4);
    UpdateBeatMaps(view_, 1);
    ScoreView* copy = CopyView(AllocView(), view_);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->beatMap.rowsAllocated, 0);
    EXPECT_EQ(copy->beatMap.rowBuffers[0], nullptr);
    EXPECT_EQ(copy->beatMap.contentX[BeatMapCell(0, 2)], 0);
    EXPECT_NE(Map().rowBuffers[0], nullptr);
    UpdateBeatMaps(copy, 1);
    EXPECT_EQ(SlotTickToX(copy, System(0, 0), 2, 1024), SlotTickToX(view_, System(0, 0), 2, 1024));
    DestroyView(copy);
    EXPECT_EQ(copy->beatMap.rowBuffers[0], nullptr);
    EXPECT_EQ(copy->beatMap.rowCapacity[0], 0u);
    FreeView(copy);
}

}  // namespace
}  // namespace ql::testing_beatmap
