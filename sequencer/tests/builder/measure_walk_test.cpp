// The order a run plays measures in: repeats, endings, a start inside a repeat,
// the end of the range, and damaged repeat counts.
#include <gtest/gtest.h>

#include "core/model/document.h"
#include "sequencer/measure_walk.h"
#include "sequencer/tests/builder/score_fixture.h"

namespace ql::testing {
namespace {

constexpr int kStart = 5;
constexpr int kEnd = 6;
constexpr int kBoth = 7;

class MeasureWalkTest : public ScoreTest {
protected:
    std::vector<int> Order(int first, int last) {
        std::vector<int> order;
        for (const PlayedMeasure& m : WalkPlayedMeasures(doc_, first, last)) order.push_back(m.measure);
        return order;
    }
};

// A repeat of the whole piece with first and second endings; the starts run on.
TEST_F(MeasureWalkTest, EndingsPlayOnTheirPasses) {
    BuildScore(1, 4);
    AddEnding(3, 1, {1});
    AddEnding(4, 1, {2});
    SetBarline(4, kEnd, 1);  // closes measure 3
    EXPECT_EQ(Order(1, 4), (std::vector<int>{1, 2, 3, 1, 2, 4}));
    std::vector<PlayedMeasure> walk = WalkPlayedMeasures(doc_, 1, 4);
    ASSERT_EQ(walk.size(), 6u);
    for (size_t i = 0; i < walk.size(); ++i) EXPECT_EQ(walk[i].start, static_cast<int32_t>(i) * kBar);
}

// Three endings with one repeat each: the second ending, reached by skipping the
// first, does not take the barline before it.
TEST_F(MeasureWalkTest, ThreeEndings) {
    BuildScore(1, 6);
    SetBarline(2, kStart);
    AddEnding(3, 1, {1});
    AddEnding(4, 1, {2});
    AddEnding(5, 1, {3});
    SetBarline(4, kEnd, 2);  // closes ending 1
    SetBarline(5, kEnd, 1);  // closes ending 2
    EXPECT_EQ(Order(1, 6), (std::vector<int>{1, 2, 3, 2, 4, 2, 5, 6}));
}

// A start inside the repeat begins on the pass that reaches it: from the second
// ending, the run plays that ending and goes on; from measure 2 the first pass.
TEST_F(MeasureWalkTest, StartInsideARepeat) {
    BuildScore(1, 5);
    AddEnding(3, 1, {1});
    AddEnding(4, 1, {2});
    SetBarline(4, kEnd, 1);
    EXPECT_EQ(Order(4, 5), (std::vector<int>{4, 5}));
    EXPECT_EQ(Order(2, 5), (std::vector<int>{2, 3, 1, 2, 4, 5}));
    // A range ending inside the first ending stops there.
    EXPECT_EQ(Order(1, 3), (std::vector<int>{1, 2, 3}));
}

// An end repeat goes back to the nearest start before it, and the spent inner
// repeats on the way play again: the start at 2 serves both end repeats, so 2
// plays twice on each of the two passes over 2-3. A measure with both repeat
// signs ends one repeat and starts the next.
TEST_F(MeasureWalkTest, InnerRepeatPlaysOnEveryOuterPass) {
    BuildScore(1, 4);
    SetBarline(2, kStart);
    SetBarline(3, kEnd, 1);  // 2 twice
    SetBarline(4, kEnd, 1);  // back to the start at 2
    EXPECT_EQ(Order(1, 4), (std::vector<int>{1, 2, 2, 3, 2, 2, 3, 4}));
    SetBarline(2, kBoth, 1);  // 1 repeated, and 2 starts the next repeat
    SetBarline(3, kEnd, 1);
    SetBarline(4, 0);
    EXPECT_EQ(Order(1, 3), (std::vector<int>{1, 1, 2, 2, 3}));
}

// A repeat sign on the final barline is played like any other: the whole piece
// twice, or from the start repeat at measure 2. A range that ends before the
// closing barline still takes it.
TEST_F(MeasureWalkTest, RepeatOnTheFinalBarline) {
    BuildScore(1, 3);
    SetBarline(1, kStart);
    SetBarline(4, kEnd, 1);  // the final barline
    EXPECT_EQ(Order(1, 3), (std::vector<int>{1, 2, 3, 1, 2, 3}));
    SetBarline(1, 0);
    SetBarline(2, kStart);
    EXPECT_EQ(Order(1, 3), (std::vector<int>{1, 2, 3, 2, 3}));
    EXPECT_EQ(Order(3, 3), (std::vector<int>{3, 2, 3}));
    BuildScore(1, 4);
    SetBarline(2, 0);
    SetBarline(4, kEnd, 1);  // closes measure 3 of four
    EXPECT_EQ(Order(1, 3), (std::vector<int>{1, 2, 3, 1, 2, 3}));
}

// Two end repeats and no start repeat, as a player reads them: the second goes
// back to just after the first, which is not taken again; `1 2 :| 3 4 :| 5`.
// The first of them, with none before it, goes back to measure 1.
TEST_F(MeasureWalkTest, EndRepeatWithoutStartGoesBackToThePreviousEndRepeat) {
    BuildScore(1, 5);
    SetBarline(3, kEnd, 1);
    SetBarline(5, kEnd, 1);
    EXPECT_EQ(Order(1, 5), (std::vector<int>{1, 2, 1, 2, 3, 4, 3, 4, 5}));
    // Repeated twice each, and started inside the second section.
    SetBarline(3, kEnd, 2);
    SetBarline(5, kEnd, 2);
    EXPECT_EQ(Order(1, 5), (std::vector<int>{1, 2, 1, 2, 1, 2, 3, 4, 3, 4, 3, 4, 5}));
    EXPECT_EQ(Order(4, 5), (std::vector<int>{4, 3, 4, 3, 4, 5}));
    // Three sections in a row, the last closed by the final barline.
    BuildScore(1, 6);
    SetBarline(3, kEnd, 1);
    SetBarline(5, kEnd, 1);
    SetBarline(7, kEnd, 1);
    EXPECT_EQ(Order(1, 6), (std::vector<int>{1, 2, 1, 2, 3, 4, 3, 4, 5, 6, 5, 6}));
}

// A multi-measure rest standing for four bars lasts four bars: the measure after
// it starts four bars later.
TEST_F(MeasureWalkTest, MultiMeasureRestLastsAllItsBars) {
    BuildScore(1, 3);
    MeasureRecordOf(doc_, 2)->extra = 3;
    std::vector<PlayedMeasure> walk = WalkPlayedMeasures(doc_, 1, 3);
    ASSERT_EQ(walk.size(), 3u);
    EXPECT_EQ(walk[1].start, kBar);
    EXPECT_EQ(walk[1].length, 4 * kBar);
    EXPECT_EQ(walk[2].start, 5 * kBar);
}

// An end repeat without a count plays once; a damaged count of 255 on two nested
// repeats is bounded by the walk's limit instead of running on.
TEST_F(MeasureWalkTest, RepeatCounts) {
    BuildScore(1, 3);
    SetBarline(3, kEnd, 0);
    EXPECT_EQ(Order(1, 3), (std::vector<int>{1, 2, 3}));
    SetBarline(3, kEnd, 2);
    EXPECT_EQ(Order(1, 3), (std::vector<int>{1, 2, 1, 2, 1, 2, 3}));
    SetBarline(2, kEnd, 255);
    SetBarline(3, kEnd, 255);
    EXPECT_LE(WalkPlayedMeasures(doc_, 1, 3).size(), static_cast<size_t>(kMaxPlayedMeasures));
}

// Empty and damaged ranges play nothing; the last measure is clamped to the count.
TEST_F(MeasureWalkTest, Ranges) {
    BuildScore(1, 3);
    EXPECT_TRUE(Order(0, 3).empty());
    EXPECT_TRUE(Order(3, 2).empty());
    EXPECT_EQ(Order(2, 99), (std::vector<int>{2, 3}));
}

// The range ends at the last measure holding a note, or before the last end
// repeat that closes it.
TEST_F(MeasureWalkTest, LastSoundingMeasure) {
    BuildScore(2, 20);
    EXPECT_EQ(LastSoundingMeasure(doc_, 1, 20), 0);
    Note(2, 10, 0, kQuarter, 0);
    EXPECT_EQ(LastSoundingMeasure(doc_, 1, 20), 10);
    SetBarline(12, kEnd, 1);
    EXPECT_EQ(LastSoundingMeasure(doc_, 1, 20), 11);
    EXPECT_EQ(LastSoundingMeasure(doc_, 11, 20), 0);
}

}  // namespace
}  // namespace ql::testing
