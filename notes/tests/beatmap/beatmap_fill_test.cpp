// Tick arrays of measure slots: the fill at the stretch factor and along a spacing
// list, the entry of the closing barline left alone, measure lengths that get no
// array, the 32,767 clamp, and x rising with ticks inside a measure.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "layout/measure_spacing.h"
#include "layout/spacing/spacing_list.h"
#include "notes/beatmap/beat_map.h"
#include "notes/beatmap/beat_map_internal.h"
#include "notes/tests/beatmap/beatmap_fixture.h"

namespace ql::testing_beatmap {
namespace {

constexpr uint16_t kUnityFactor = 256;  // one unit per 16 ticks

class TickFillTest : public BeatMapTest {
  protected:
    void SetUp() override {
        BeatMapTest::SetUp();
        BuildScore(1, {2}, 4);
    }
    // The raw entries of a slot's array (the reader never shows the barline entry).
    beatmap::SlotArray Raw(const ScoreSystem* system, int slot) const {
        return beatmap::SlotArrayOf(Map(), BeatMapCell(system->number, slot));
    }
};

// A 4,096-tick measure at factor 1.0: entries 0, 1, ... 255 for ticks 0..4,080; the
// entry of tick 4,096 (the closing barline) is never written; content width 256.
TEST_F(TickFillTest, WholeMeasureAtUnityFactorCountsOnePerEntry) {
    Record(1).stretch = kUnityFactor;
    UpdateBeatMaps(view_, 1);
    std::vector<int> expected(kWholeMeasure / kTicksPerBeatMapEntry);
    for (size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<int>(i);
    EXPECT_EQ(Ticks(System(0, 0), 1), expected);
    const beatmap::SlotArray raw = Raw(System(0, 0), 1);
    ASSERT_EQ(raw.count, 258u);
    EXPECT_EQ(raw.entries[256], 0) << "the barline's entry was written";
    EXPECT_EQ(BuildBeatMapSlot(view_, 1), 256);
}

// A spacing list whose first column starts at 1,024 fills ticks 16..1,024 at the
// stretch factor first, then the column at its own value, then the rest.
TEST_F(TickFillTest, GapBeforeTheFirstColumnTakesTheStretchFactor) {
    Record(1).stretch = 2 * kUnityFactor;
    SetSpacing(1, {{1024, 1024, 4 * kUnityFactor}});
    UpdateBeatMaps(view_, 1);
    const std::vector<int> ticks = Ticks(System(0, 0), 1);
    EXPECT_EQ(ticks[1], 2);
    EXPECT_EQ(ticks[64], 128);   // tick 1,024: the gap at 2 per entry
    EXPECT_EQ(ticks[65], 132);   // the column at 4 per entry
    EXPECT_EQ(ticks[128], 384);  // tick 2,048: the column's end
    EXPECT_EQ(ticks[129], 386);  // the rest at the stretch factor again
    EXPECT_EQ(ticks.back(), 384 + 2 * 127);
}

// A measure of 0 ticks or of more than 32,768 gets its signs and no tick array; the
// slots after it are placed and filled as usual.
TEST_F(TickFillTest, UnusableLengthsGetSignsAndNoTicks) {
    for (int length : {0, 40000}) {
        Record(2).lengthTicks = static_cast<uint16_t>(length);
        UpdateBeatMaps(view_, 1);
        const ScoreSystem* system = System(0, 0);
        EXPECT_EQ(Raw(system, 2).entries, nullptr) << length;
        EXPECT_EQ(SlotTickToX(view_, system, 2, 512), 0) << length;
        const int cell = BeatMapCell(0, 3);
        EXPECT_GT(Map().slotX[cell], Map().slotX[BeatMapCell(0, 2)]) << length;
        EXPECT_GT(SlotTickToX(view_, system, 3, 2048), 0) << length;
    }
}

// Entries stop at 32,767 however wide the measure; the slots after it stay there too.
TEST_F(TickFillTest, EveryXIsClampedTo32767) {
    SetTime(1, 32, kQuarterUnit);  // 32,768 ticks
    Record(1).stretch = 0xFFFF;    // 255 units per 16 ticks
    UpdateBeatMaps(view_, 1);
    const std::vector<int> ticks = Ticks(System(0, 0), 1);
    EXPECT_EQ(ticks.back(), kMaxBeatMapX);
    EXPECT_TRUE(std::is_sorted(ticks.begin(), ticks.end()));
    for (int slot = 2; slot <= kLastBeatMapSlot; ++slot) {
        EXPECT_LE(Map().slotX[BeatMapCell(0, slot)], kMaxBeatMapX);
        EXPECT_LE(Map().contentX[BeatMapCell(0, slot)], kMaxBeatMapX);
    }
}

// With factors of one unit per 16 ticks or more, x rises strictly from tick to tick
// (every 16 ticks, and by interpolation between them), whatever the columns.
TEST_F(TickFillTest, XRisesStrictlyWithTicksInsideAMeasure) {
    std::mt19937 random(12);
    for (int round = 0; round < 20; ++round) {
        Record(1).spacing = RecordHandle{};
        Record(1).stretch = static_cast<uint16_t>(kUnityFactor + random() % 4000);
        std::vector<Column> columns;
        for (int tick = static_cast<int>(random() % 512) & ~15; tick < kWholeMeasure;) {
            const int ticks = 16 * (1 + static_cast<int>(random() % 64));
            columns.push_back({static_cast<uint16_t>(tick),
                               static_cast<uint16_t>(std::min(ticks, kWholeMeasure - tick)),
                               static_cast<uint16_t>(kUnityFactor + random() % 3000)});
            tick += ticks + 16 * static_cast<int>(random() % 4);
        }
        SetSpacing(1, columns);
        UpdateBeatMaps(view_, 1);
        int previous = -1;
        for (int tick = 0; tick < kWholeMeasure - kTicksPerBeatMapEntry; tick += 4) {
            const int x = SlotTickToX(view_, System(0, 0), 1, tick);
            if (tick % kTicksPerBeatMapEntry == 0) {
                EXPECT_GT(x, previous) << "round " << round << " tick " << tick;
            } else {
                EXPECT_GE(x, previous) << "round " << round << " tick " << tick;
            }
            previous = x;
        }
    }
}

// A spacing handle that no longer names a live record is cleared, and the measure
// is spaced at its stretch factor alone.
TEST_F(TickFillTest, DeadSpacingHandleIsClearedAndTheFactorUsed) {
    Record(1).stretch = kUnityFactor;
    SetSpacing(1, {{0, 1024, 8 * kUnityFactor}});
    FreeRecord(kSpacingEntryPool, FindRecord<SpacingEntry>(kSpacingEntryPool, Record(1).spacing));
    UpdateBeatMaps(view_, 1);
    EXPECT_FALSE(Record(1).spacing);
    EXPECT_EQ(SlotTickToX(view_, System(0, 0), 1, 1024), 64);
}

// Between two entries the reader interpolates; past the last entry written it keeps
// that entry; a slot without an array reads 0.
TEST_F(TickFillTest, ReaderInterpolatesAndStaysInsideTheArray) {
    Record(1).stretch = 4 * kUnityFactor;
    UpdateBeatMaps(view_, 1);
    const ScoreSystem* system = System(0, 0);
    EXPECT_EQ(SlotTickToX(view_, system, 1, 16), 4);
    EXPECT_EQ(SlotTickToX(view_, system, 1, 24), 6);  // halfway
    EXPECT_EQ(SlotTickToX(view_, system, 1, kWholeMeasure + 512), 255 * 4);
    EXPECT_EQ(SlotTickToX(view_, system, 0, 16), 0);
    EXPECT_EQ(SlotTickToX(view_, system, kBeatMapSlots, 16), 0);
    view_->currentSlot = 1;
    EXPECT_EQ(BeatMapTickToX(view_, 24), 6);
}

// A measure's spacing list as (time, ticks, value) columns, read up to a bound.
std::vector<std::array<int, 3>> ListOf(const MeasureRecord& record) {
    std::vector<std::array<int, 3>> list;
    for (const SpacingEntry* e = SpacingEntryOf(record.spacing); e != nullptr && list.size() < 512;
         e = SpacingEntryOf(RecordHandle{e->next}))
        list.push_back({e->time, e->ticksToNext, e->xPer16Ticks});
    return list;
}

// What a slot's build leaves: its content width, the measure's width and list, and
// the tick array.
struct SlotBuild {
    int contentWidth = 0;
    int measureWidth = 0;
    std::vector<std::array<int, 3>> list;
    std::vector<int> ticks;
};

// Whatever the list (columns that touch with one value, columns at the factor's
// value, overlaps, columns at or past the measure's end, a dead link), building a
// slot brings the measure's width and list up to date as MeasureWidth does, and
// fills the ticks as on the list MeasureWidth leaves. On a list already tidied, the
// width stored is the one MeasureWidth gives it again.
TEST_F(TickFillTest, BuildTidiesTheListAsMeasureWidthDoes) {
    std::mt19937 random(55);
    for (int round = 0; round < 400; ++round) {
        const auto stretch = static_cast<uint16_t>(kUnityFactor + random() % 2000);
        const uint16_t values[] = {stretch, static_cast<uint16_t>(kUnityFactor + random() % 3000),
                                   static_cast<uint16_t>(kUnityFactor + random() % 3000)};
        std::vector<Column> columns;
        const int end = random() % 4 == 0 ? kWholeMeasure + 512 : kWholeMeasure;
        for (int tick = 16 * static_cast<int>(random() % 40); tick < end;) {
            int time = tick;
            if (random() % 20 == 0) time = std::max(0, tick - 16 * static_cast<int>(1 + random() % 8));
            const int ticks = random() % 40 == 0 ? 0 : 16 * static_cast<int>(1 + random() % 48);
            columns.push_back({static_cast<uint16_t>(time), static_cast<uint16_t>(ticks),
                               values[random() % 8 == 0 ? random() % 3 : 1 + columns.size() % 2]});
            tick = time + ticks + (random() % 3 == 0 ? 16 * static_cast<int>(random() % 6) : 0);
            if (random() % 8 == 0) break;
        }
        const int dead = random() % 10 == 0 ? static_cast<int>(random() % (columns.size() + 1)) : -1;
        const auto setList = [&] {
            FreeSpacingList(Record(1).spacing);
            Record(1).stretch = stretch;
            Record(1).width = 1;
            SetSpacing(1, columns);
            if (dead < 0 || dead >= static_cast<int>(columns.size())) return;
            SpacingEntry* e = SpacingEntryOf(Record(1).spacing);
            for (int i = 0; i < dead; ++i) e = SpacingEntryOf(RecordHandle{e->next});
            FreeRecord(kSpacingEntryPool, e);
        };
        const auto build = [&](bool tidyFirst) {
            setList();
            if (tidyFirst) MeasureWidth(doc_, 1);
            SlotBuild out;
            out.contentWidth = BuildBeatMapSlot(view_, 1);
            out.measureWidth = Record(1).width;
            out.list = ListOf(Record(1));
            out.ticks = Ticks(System(0, 0), 1);
            return out;
        };
        setList();
        const int width = MeasureWidth(doc_, 1);
        const SlotBuild direct = build(false);
        EXPECT_EQ(direct.measureWidth, width) << "round " << round;
        const SlotBuild tidied = build(true);
        EXPECT_EQ(MeasureWidth(doc_, 1), tidied.measureWidth) << "round " << round;
        EXPECT_EQ(ListOf(Record(1)), tidied.list) << "round " << round;
        EXPECT_EQ(direct.list, tidied.list) << "round " << round;
        EXPECT_EQ(direct.ticks, tidied.ticks) << "round " << round;
        EXPECT_EQ(direct.contentWidth, tidied.contentWidth) << "round " << round;
    }
}

}  // namespace
}  // namespace ql::testing_beatmap
