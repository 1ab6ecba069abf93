// Measure widths: the width of a measure from its list and factor (with the list
// tidied or dropped when damaged), and setting or nudging a width.
#include <algorithm>
#include <random>
#include <vector>

#include "core/model/engraving_metrics.h"
#include "core/settings/preference_defaults.h"
#include "layout/tests/layout_fixture.h"
#include "layout/widths/measure_width.h"

namespace ql::testing_layout {
namespace {

constexpr int kFactor = kBuiltInStretchFactor;  // 2816

class MeasureWidthTest : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        BuildScore(1, 8);
    }
};

// Without a list the width is (length / 16) x factor / 256; with one, the gaps at the
// factor plus each entry at its value: 192 x 2816 / 256 + 64 x 5632 / 256.
TEST_F(MeasureWidthTest, WidthFromFactorAndList) {
    EXPECT_EQ(MeasureWidth(doc_, 1), 2816);
    SetLength(2, 3072);
    EXPECT_EQ(MeasureWidth(doc_, 2), 2112);
    WriteColumns(3, {{0, 1024, 5632}});
    EXPECT_EQ(MeasureWidth(doc_, 3), 2112 + 1408);
    EXPECT_EQ(Record(3).width, 3520);  // stored
    EXPECT_EQ(MeasureWidth(doc_, MaxMeasures), 0);  // outside the table
}

// Neighbours that touch with one value become one entry, which can change the width
// by the truncation it saves; entries equal to the factor are dropped.
TEST_F(MeasureWidthTest, TidyingMergesAndDrops) {
    WriteColumns(1, {{3072, 512, 4070}, {3584, 512, 4070}});
    EXPECT_EQ(MeasureWidth(doc_, 1), 192 * kFactor / 256 + 64 * 4070 / 256);
    EXPECT_EQ(Columns(1), (std::vector<Column>{{3072, 1024, 4070}}));
    WriteColumns(2, {{0, 1024, kFactor}, {1024, 1024, 5000}});
    EXPECT_EQ(MeasureWidth(doc_, 2), 128 * kFactor / 256 + 64 * kFactor / 256 + 64 * 5000 / 256);
    EXPECT_EQ(Columns(2), (std::vector<Column>{{1024, 1024, 5000}}));
}

// A list held in memory is tidied as the stored list is: random sound lists (entries
// touching or apart, values drawn from a few with the factor among them, some entries
// at or past the length, some long enough that a merge would pass 0xFFFF ticks) give
// the same entries and width either way (fixed seeds).
TEST_F(MeasureWidthTest, PiecesSettleAsTheStoredListIsTidied) {
    constexpr int kLengths[] = {4096, 3072, 100, 65535};
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 rng(seed);
        const int length = kLengths[rng() % 4];
        const uint16_t factor = rng() % 2 == 0 ? kFactor : 1000;
        const uint16_t values[] = {factor, 3000, 4000};
        const int longest = rng() % 3 == 0 ? 40000 : 600;
        std::vector<SpacingPiece> pieces;
        for (int time = static_cast<int>(rng() % 3) * 100; pieces.size() < 12;) {
            const int ticks = 1 + static_cast<int>(rng() % static_cast<unsigned>(longest));
            if (time + ticks > 0xFFFF) break;
            pieces.push_back({time, ticks, values[rng() % 3]});
            time += ticks + (rng() % 2 == 0 ? 0 : static_cast<int>(rng() % 600));
        }
        for (int m : {1, 2}) {
            SetLength(m, length);
            Record(m).stretch = factor;
        }
        ASSERT_TRUE(WriteSpacingPieces(Record(1), pieces));
        const size_t kept = SettleMeasurePieces(Record(2), pieces);
        EXPECT_EQ(MeasureWidth(doc_, 1), Record(2).width) << "seed " << seed;
        std::vector<Column> settled;
        for (size_t i = 0; i < kept; ++i) settled.push_back({pieces[i].time, pieces[i].ticks, pieces[i].value});
        EXPECT_EQ(Columns(1), settled) << "seed " << seed;
        EXPECT_FALSE(Record(2).spacing);  // the record's own list is left alone
    }
}

// Damaged lists: an entry at or past the length ends the list there; an overlap, a
// list longer than the measure, a dangling link, a loop or an empty entry frees the
// whole list and the factor gives the width.
TEST_F(MeasureWidthTest, DamagedListsFallBackToTheFactor) {
    WriteColumns(1, {{0, 1024, 5632}, {4096, 512, 100}});
    EXPECT_EQ(MeasureWidth(doc_, 1), 3520);
    EXPECT_EQ(Columns(1), (std::vector<Column>{{0, 1024, 5632}}));
    WriteColumns(2, {{4096, 512, 100}});
    EXPECT_EQ(MeasureWidth(doc_, 2), kFactor);
    EXPECT_FALSE(Record(2).spacing);
    WriteColumns(3, {{0, 1024, 5632}, {512, 1024, 100}});  // overlap
    EXPECT_EQ(MeasureWidth(doc_, 3), kFactor);
    EXPECT_FALSE(Record(3).spacing);
    WriteColumns(4, {{0, 5000, 100}});  // longer than the measure
    EXPECT_EQ(MeasureWidth(doc_, 4), kFactor);
    Record(5).spacing = RecordHandle{0x7123};  // names no live record
    EXPECT_EQ(MeasureWidth(doc_, 5), kFactor);
    EXPECT_FALSE(Record(5).spacing);
    WriteColumns(6, {{0, 1024, 5632}});
    SpacingEntryOf(Record(6).spacing)->next = Record(6).spacing.bits;  // a loop onto itself
    EXPECT_EQ(MeasureWidth(doc_, 6), kFactor);
    EXPECT_FALSE(Record(6).spacing);
    WriteColumns(7, {{0, 0, 5632}});  // an entry of no ticks
    EXPECT_EQ(MeasureWidth(doc_, 7), kFactor);
}

// The walk sees the entries it frees: a link back to an entry merged away (and so
// freed) during the same tidy is a dangling link, and the whole list goes.
TEST_F(MeasureWidthTest, ALinkToAnEntryMergedAwayIsDangling) {
    WriteColumns(1, {{0, 512, 5632}, {512, 512, 5632}});
    const RecordHandle second{SpacingEntryOf(Record(1).spacing)->next};
    SpacingEntryOf(second)->next = second.bits;  // merged into the first, then named again
    EXPECT_EQ(MeasureWidth(doc_, 1), kFactor);
    EXPECT_FALSE(Record(1).spacing);
    EXPECT_EQ(SpacingEntryOf(second), nullptr);
    // Without the link back the two merge and the list stays.
    WriteColumns(2, {{0, 512, 5632}, {512, 512, 5632}});
    EXPECT_EQ(MeasureWidth(doc_, 2), 192 * kFactor / 256 + 64 * 5632 / 256);
    EXPECT_EQ(Columns(2), (std::vector<Column>{{0, 1024, 5632}}));
}

// Widths stay in 1..65,530: a measure of under 16 ticks is 1 wide, a huge factor
// does not wrap the u16.
TEST_F(MeasureWidthTest, WidthsAreClamped) {
    SetLength(1, 8);
    EXPECT_EQ(MeasureWidth(doc_, 1), 1);
    Record(2).stretch = 65535;
    SetLength(2, 65535);
    EXPECT_EQ(MeasureWidth(doc_, 2), 65530);
}

// SetMeasureWidth scales the factor and the values by new / old; a 512-tick measure
// set to width 1 keeps its factor at 4096 / 512 = 8.
TEST_F(MeasureWidthTest, SetMeasureWidthKeepsTheMinimumFactor) {
    SetLength(1, 512);
    WriteColumns(1, {{0, 256, 20000}});
    MeasureWidth(doc_, 1);
    EXPECT_EQ(Record(1).width, 16 * kFactor / 256 + 16 * 20000 / 256);  // 176 + 1250
    SetMeasureWidth(doc_, view_, 1, 1);
    EXPECT_EQ(Record(1).stretch, 8);
    EXPECT_EQ(Columns(1), (std::vector<Column>{{0, 256, 20000 * 1 / 1426}}));
    // Without a list: factor x new / old, width from the factor.
    SetMeasureWidth(doc_, view_, 2, 2 * kFactor);
    EXPECT_EQ(Record(2).stretch, 2 * kFactor);
    EXPECT_EQ(Record(2).width, 2 * kFactor);
}

// SetMeasureWidth's steps taken one by one on `measure` (width not 0): the factor
// scaled by new / old, a damaged list dropped, the minimum factor, each value scaled
// (8 at least), MeasureWidth, the minimum factor again.
void SetWidthStepByStep(ScoreDocument* doc, int measure, int width) {
    MeasureRecord& record = *MeasureRecordOf(doc, measure);
    const int64_t old = record.width;
    record.stretch = static_cast<uint16_t>(std::clamp<int64_t>(width * record.stretch / old, 1, kMaxSpacingValue));
    const auto minimumFactor = [&record] {
        const int minimum = std::max(1, 4096 / std::max<int>(record.lengthTicks, 1));
        if (record.lengthTicks < 512 || record.stretch >= minimum) return;
        record.stretch = static_cast<uint16_t>(minimum);
        record.width = ProportionalWidth(record);
    };
    if (DropDamagedSpacingList(record) && record.spacing) {
        minimumFactor();
        for (SpacingEntry* e = SpacingEntryOf(record.spacing); e != nullptr; e = SpacingEntryOf(RecordHandle{e->next}))
            e->xPer16Ticks = static_cast<uint16_t>(std::clamp<int64_t>(e->xPer16Ticks * int64_t{width} / old, 8, kMaxSpacingValue));
        MeasureWidth(doc, measure);
    } else {
        record.width = ProportionalWidth(record);
    }
    minimumFactor();
}

// SetMeasureWidth checks, scales and tidies a list in one walk where it can. Random
// lists (1 to 80 entries, so some are longer than one walk takes; neighbours whose
// values the scaling makes equal; entries past the length; a fifth damaged by an
// overlap, an empty entry or a dangling link) under random lengths, factors and
// widths come out as the steps taken one by one: width, factor and entries.
TEST_F(MeasureWidthTest, SetWidthEqualsItsStepsTakenOneByOne) {
    constexpr int kLengths[] = {4096, 3072, 512, 65535};
    constexpr uint16_t kFactors[] = {kFactor, 1000, 20, 3};
    for (unsigned seed = 1; seed <= 400; ++seed) {
        std::mt19937 rng(seed);
        const int length = kLengths[rng() % 4];
        const uint16_t factor = kFactors[rng() % 4];
        const uint16_t values[] = {factor, 3000, 3001, 3003, 9000};
        const int entries = 1 + static_cast<int>(rng() % 80);
        const int damage = static_cast<int>(rng() % 15);  // 0..2: one kind of damage
        const int damaged = static_cast<int>(rng() % static_cast<unsigned>(entries));
        const int oldWidth = 1 + static_cast<int>(rng() % 8000);
        const int width = 1 + static_cast<int>(rng() % 8000);
        std::vector<Column> columns;
        for (int time = 0, i = 0; i < entries; ++i) {
            const int ticks = 1 + static_cast<int>(rng() % 900);
            Column column{time, ticks, values[rng() % 5]};
            if (i == damaged && damage == 0 && i > 0) column.time -= 1;  // overlaps the one before
            if (i == damaged && damage == 1) column.ticks = 0;
            columns.push_back(column);
            time += ticks + (rng() % 3 == 0 ? static_cast<int>(rng() % 300) : 0);
            if (time > 0xFFFF - 900) break;
        }
        for (const int m : {1, 2}) {
            SetLength(m, length);
            MeasureRecord& record = Record(m);
            record.stretch = factor;
            record.width = static_cast<uint16_t>(oldWidth);
            FreeSpacingList(record.spacing);
            SpacingEntry* last = nullptr;
            for (const Column& c : columns)
                last = InsertSpacingEntry(record, last, c.time, c.ticks, static_cast<uint16_t>(c.value));
            if (damage == 2) last->next = 0x7123;  // names no live record
        }
        SetMeasureWidth(doc_, view_, 1, width);
        SetWidthStepByStep(doc_, 2, width);
        EXPECT_EQ(Record(1).width, Record(2).width) << "seed " << seed;
        EXPECT_EQ(Record(1).stretch, Record(2).stretch) << "seed " << seed;
        EXPECT_EQ(Columns(1), Columns(2)) << "seed " << seed;
    }
}

// A measure of width 0 is first reset; in page view every measure of its system
// gets the default factor and its proportional width.
TEST_F(MeasureWidthTest, ZeroWidthIsResetWithItsSystem) {
    doc_->internalDistances[static_cast<int>(EngravingMetric::Beat0)] = 90;
    UseSystem(1, 3);
    Record(2).stretch = 5000;
    Record(2).width = 5000;
    Record(3).extra = 2;
    Record(3).width = 0;
    Record(3).lead = 0;
    WriteColumns(3, {{0, 1024, 9000}});
    SetMeasureWidth(doc_, view_, 3, kFactor);
    EXPECT_EQ(Record(2).stretch, kFactor);
    EXPECT_EQ(Record(2).width, kFactor);
    EXPECT_EQ(Record(3).extra, 0);
    EXPECT_EQ(Record(3).lead, 90);
    EXPECT_FALSE(Record(3).spacing);
    EXPECT_EQ(Record(3).width, kFactor);
}

// AdjustMeasureWidth: width + delta, or nothing below 1; the result is the part of
// the delta the width setter could not apply.
TEST_F(MeasureWidthTest, AdjustMeasureWidthReportsTheRest) {
    EXPECT_EQ(AdjustMeasureWidth(view_, 1, 100), 0);
    EXPECT_EQ(Record(1).width, kFactor + 100);
    EXPECT_EQ(AdjustMeasureWidth(view_, 1, -(kFactor + 100)), 0);  // would be 0: refused
    EXPECT_EQ(Record(1).width, kFactor + 100);
    // 2,064 ticks (129 steps), width 1419: to 700 gives factor 1389, which is 699
    // wide; 1 of the delta is left.
    SetLength(2, 2064);
    EXPECT_EQ(AdjustMeasureWidth(view_, 2, -719), 1);
    EXPECT_EQ(Record(2).stretch, 1389);
    EXPECT_EQ(Record(2).width, 699);
}

// RefreshSystemMeasureWidths stores every measure's width and returns the last.
TEST_F(MeasureWidthTest, RefreshSystemMeasureWidths) {
    ScoreSystem* system = UseSystem(2, 4);
    Record(2).width = Record(3).width = Record(4).width = 7;
    SetLength(4, 2048);
    Record(4).width = 7;
    EXPECT_EQ(RefreshSystemMeasureWidths(doc_, system), 1408);
    EXPECT_EQ(Record(2).width, kFactor);
    EXPECT_EQ(Record(3).width, kFactor);
}

// BuildMeasureSpacing gives a column's ticks its value: old = the column's width
// now, new = its width at the given value.
TEST_F(MeasureWidthTest, BuildMeasureSpacingGivesTheColumnItsValue) {
    const SpacingEntry column{0, 1024, 1024, 4 * kFactor};
    BuildMeasureSpacing(doc_, 1, &column);
    EXPECT_EQ(Columns(1), (std::vector<Column>{{0, 1024, kFactor}, {1024, 1024, 4 * kFactor},
                                               {2048, 2048, kFactor}}));
}

// ResetMeasureSpacing stores the width and marks the document modified.
TEST_F(MeasureWidthTest, ResetMeasureSpacingStoresTheWidth) {
    const uint16_t before = doc_->changeCounter;
    ResetMeasureSpacing(doc_, nullptr, 1, 1234);
    EXPECT_EQ(Record(1).width, 1234);
    EXPECT_NE(doc_->changeCounter, before);
}

}  // namespace
}  // namespace ql::testing_layout
