// Engraver justification of a system by duration classes: the passes, the values
// and factors they give, and the overflow cases (no classed entry, the shortest class
// 13, units past 16 bits).
#include <random>

#include "core/settings/preference_defaults.h"
#include "layout/tests/layout_fixture.h"
#include "layout/widths/justify.h"

namespace ql::testing_layout {
namespace {

constexpr int kEighth = 9;
constexpr int kQuarter = 10;
constexpr int kHalf = 11;
constexpr int kDoubleWhole = 13;
constexpr int kSixteenth = 8;

ClassSums Sums(std::initializer_list<std::pair<int, int64_t>> ticks) {
    ClassSums sums;
    for (auto [c, t] : ticks) {
        sums.ticks[c] = t;
        sums.shortest = std::min(sums.shortest, c);
    }
    return sums;
}

// Much room for the shortest class: the first pass gives a sixteenth 192 units or
// more and stops at 0.707.
TEST(JustificationPasses, FreeSystemStopsAfterOnePass) {
    const JustifyUnit unit = RunJustificationPasses(Sums({{kSixteenth, 1024}, {kQuarter, 4096}}),
                                                    20000, kJustifyStartRatio);
    EXPECT_TRUE(unit.classed);
    EXPECT_EQ(unit.passes, 1);
    EXPECT_DOUBLE_EQ(unit.ratio, 0.707);
    EXPECT_GE(static_cast<int>(unit.unit) >> (12 - kSixteenth), kShortestNoteMinimum);
}

// A crowded system runs until the ratio is at most 0.5229: 8 passes, 0.5173.
TEST(JustificationPasses, CrowdedSystemRunsEightPasses) {
    const JustifyUnit unit =
        RunJustificationPasses(Sums({{kSixteenth, 65536}, {kEighth, 4096}}), 1000, kJustifyStartRatio);
    EXPECT_EQ(unit.passes, 8);
    EXPECT_NEAR(unit.ratio, 0.5173, 1e-9);
}

// The shortest class 13 (double whole notes only): a note of it gets unit x 2, so
// a unit of 100 stops at once and one of 90 never does.
TEST(JustificationPasses, DoubleWholeShortestTestsUnitTimesTwo) {
    EXPECT_EQ(RunJustificationPasses(Sums({{kDoubleWhole, 8192}}), 200, kJustifyStartRatio).passes, 1);
    EXPECT_EQ(RunJustificationPasses(Sums({{kDoubleWhole, 8192}}), 180, kJustifyStartRatio).passes, 8);
}

// No classed entry: nothing is computed (no division by zero).
TEST(JustificationPasses, NoClassedEntryComputesNothing) {
    const JustifyUnit unit = RunJustificationPasses(ClassSums{}, 5000, kJustifyStartRatio);
    EXPECT_FALSE(unit.classed);
    EXPECT_EQ(unit.passes, 0);
}

// A unit past 16 bits is clamped for the stop test, and every stored value stays
// within 4..65,530 instead of wrapping.
TEST(JustificationPasses, HugeUnitsAreClamped) {
    const JustifyUnit unit =
        RunJustificationPasses(Sums({{kQuarter, 16}, {kHalf, 16}}), 60000, kJustifyStartRatio);
    EXPECT_EQ(unit.passes, 1);
    EXPECT_GT(unit.unit, 65530.0);
    EXPECT_EQ(ClassValue(unit, kQuarter), 65530);
    EXPECT_EQ(ClassValue(unit, kHalf), 65530);
    const JustifyUnit tiny = RunJustificationPasses(Sums({{kQuarter, 65536}}), 1, kJustifyStartRatio);
    EXPECT_EQ(ClassValue(tiny, kQuarter), 4);
}

// The most common class (ties to the smaller); the shortest class when none was
// counted.
TEST(JustificationPasses, MostCommonClass) {
    ClassCounts counts;
    counts.counts[kQuarter] = 3;
    counts.counts[kEighth] = 3;
    counts.counts[kHalf] = 1;
    EXPECT_EQ(MostCommonClass(counts, kEighth), kEighth);
    EXPECT_EQ(MostCommonClass(ClassCounts{}, kHalf), kHalf);
}

class JustifySystemTest : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        BuildScore(1, 6);
        view_->currentPage = nullptr;  // no page: the target is the measures' total
    }
    ScoreSystem* System(int first, int last) {
        ScoreSystem* system = UseSystem(first, last);
        view_->currentPage = nullptr;
        return system;
    }
};

// Quarters only: every value and the factor are the integer unit; with all entries
// equal to the factor the lists go and the width is the factor.
TEST_F(JustifySystemTest, QuartersOnlyGetTheIntegerUnit) {
    ScoreSystem* system = System(1, 2);
    for (int m = 1; m <= 2; ++m)
        for (int beat = 0; beat < 4; ++beat) Note(1, m, 0, beat * 1024, kQuarter);
    Record(1).width = 3001;
    Record(2).width = 3000;  // unit = 6001 x 4096 / 8192 = 3000.5
    EXPECT_EQ(JustifySystem(view_, system), 1);
    for (int m = 1; m <= 2; ++m) {
        EXPECT_EQ(Record(m).stretch, 3000) << m;
        EXPECT_EQ(Record(m).width, 3000) << m;
        EXPECT_FALSE(Record(m).spacing) << m;
    }
}

// One ordinary system, byte for byte. Measure 1: half, quarter, two eighths; measure
// 2: four quarters; total 5632. s = 9; D = 1024 + 5120 x 0.707 + 2048 x 0.707^2 =
// 5667.530752; unit = 5632 x 4096 / D = 4070.32: eighths 4070, quarters 2877 (the
// factor: the most common class), halves 2034. Measure 1: 128 x 2034 / 256 + the two
// eighths merged, 64 x 4070 / 256, + the quarter at the factor, 64 x 2877 / 256.
TEST_F(JustifySystemTest, OrdinarySystemByteForByte) {
    ScoreSystem* system = System(1, 2);
    Note(1, 1, 0, 0, kHalf);
    Note(1, 1, 0, 2048, kQuarter);
    Note(1, 1, 0, 3072, kEighth);
    Note(1, 1, 0, 3584, kEighth);
    for (int beat = 0; beat < 4; ++beat) Note(1, 2, 0, beat * 1024, kQuarter);
    JustifySystem(view_, system);
    EXPECT_EQ(Record(1).stretch, 2877);
    EXPECT_EQ(Record(2).stretch, 2877);
    EXPECT_EQ(Columns(1), (std::vector<Column>{{0, 2048, 2034}, {3072, 1024, 4070}}));
    EXPECT_EQ(Record(1).width, 1017 + 1017 + 719);
    EXPECT_EQ(Record(2).width, 2877);
    EXPECT_FALSE(Record(2).spacing);
}

// Measures with no classed entry (shorter than 2 ticks) get the default factor and
// proportional widths.
TEST_F(JustifySystemTest, NoClassedEntryGivesProportionalWidths) {
    ScoreSystem* system = System(3, 4);
    SetLength(3, 1);
    SetLength(4, 0);
    Record(3).stretch = Record(4).stretch = 100;
    JustifySystem(view_, system);
    EXPECT_EQ(Record(3).stretch, kBuiltInStretchFactor);
    EXPECT_EQ(Record(4).stretch, kBuiltInStretchFactor);
    EXPECT_EQ(Record(3).width, 1);
    EXPECT_FALSE(Record(3).spacing);
}

// A measure whose notes cannot be read keeps its list, factor and width; the others
// are justified without it.
TEST_F(JustifySystemTest, UnreadableMeasureIsLeftAlone) {
    ScoreSystem* system = System(5, 6);
    WriteColumns(5, {{0, 1024, 7777}});
    Record(5).stretch = 1111;
    Note(1, 5, 0, 0, kQuarter)->duration = 0;
    for (int beat = 0; beat < 4; ++beat) Note(1, 6, 0, beat * 1024, kQuarter);
    JustifySystem(view_, system);
    EXPECT_EQ(Columns(5), (std::vector<Column>{{0, 1024, 7777}}));
    EXPECT_EQ(Record(5).stretch, 1111);
    // The total still counts measure 5's width: 2 x 2816 over measure 6's 4096 ticks.
    EXPECT_EQ(Record(6).stretch, 2 * kBuiltInStretchFactor);
    EXPECT_FALSE(Record(6).spacing);
}

// What the justification of measures first..last gives, its steps taken one by one
// on the stored lists: each measure's list collected and written, the classes summed
// from the lists, the passes run, each entry given its class value, then the list
// tidied and measured (MeasureWidth). The target is the measures' total (no page).
struct Justified {
    std::vector<Column> columns;
    uint16_t stretch;
    uint16_t width;
    bool operator==(const Justified&) const = default;
};

class StepByStepJustifyTest : public JustifySystemTest {
  protected:
    std::vector<Justified> StepByStep(int first, int last) {
        ClassCounts counts;
        int64_t total = 0;
        std::vector<int> readable;
        for (int m = first; m <= last; ++m) {
            total += Record(m).width;
            if (CollectMeasureSpacing(view_, m, &counts).valid) readable.push_back(m);
        }
        ClassSums sums;
        for (int m : readable) AddClassSums(Record(m), sums);
        const JustifyUnit unit = RunJustificationPasses(sums, total, kJustifyStartRatio);
        const uint16_t factor = unit.classed ? ClassValue(unit, MostCommonClass(counts, unit.shortest))
                                             : ProgramPreferences().DefaultStretchFactor;
        for (int m : readable) {
            if (unit.classed)
                AssignClassValues(Record(m), unit);
            else
                FreeSpacingList(Record(m).spacing);
            Record(m).stretch = factor;
            MeasureWidth(doc_, m);
        }
        return Outcome(first, last);
    }
    std::vector<Justified> Outcome(int first, int last) {
        std::vector<Justified> outcome;
        for (int m = first; m <= last; ++m)
            outcome.push_back({Columns(m), Record(m).stretch, Record(m).width});
        return outcome;
    }
    // Random notes and rests in random voices of measures first..last, some dotted,
    // random lengths and widths; now and then a note without a value.
    void FillRandomly(std::mt19937& rng, int first, int last) {
        for (int m = first; m <= last; ++m) {
            FreeCellVoices(Cell(1, m), doc_, 0);
            FreeSpacingList(Record(m).spacing);
            SetLength(m, rng() % 4 == 0 ? 3072 : 4096);
            Record(m).width = static_cast<uint16_t>(1500 + rng() % 3000);
            Record(m).stretch = kBuiltInStretchFactor;
            const int notes = static_cast<int>(rng() % 10);
            for (int i = 0; i < notes; ++i) {
                const int voice = static_cast<int>(rng() % 3);
                const int code = kSixteenth + static_cast<int>(rng() % 5);
                const int time = static_cast<int>(rng() % 32) * 128;
                if (rng() % 5 == 0)
                    Rest(1, m, voice, time, code);
                else
                    Note(1, m, voice, time, code, 0, static_cast<int>(rng() % 2));
            }
            if (rng() % 25 == 0) Note(1, m, 0, 0, kQuarter)->duration = 0;
        }
    }
};

// JustifySystem builds each list in memory and writes it once; the lists, factors and
// widths are those of the steps taken one by one (fixed seeds).
TEST_F(StepByStepJustifyTest, SystemEqualsItsStepsTakenOneByOne) {
    ScoreSystem* system = System(1, 4);
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(seed);
        FillRandomly(rng, 1, 4);
        std::vector<uint16_t> widths;
        for (int m = 1; m <= 4; ++m) widths.push_back(Record(m).width);
        const std::vector<Justified> expected = StepByStep(1, 4);
        for (int m = 1; m <= 4; ++m) {
            FreeSpacingList(Record(m).spacing);
            Record(m).width = widths[static_cast<size_t>(m - 1)];
            Record(m).stretch = kBuiltInStretchFactor;
        }
        JustifySystem(view_, system);
        EXPECT_EQ(Outcome(1, 4), expected) << "seed " << seed;
    }
}

}  // namespace
}  // namespace ql::testing_layout
