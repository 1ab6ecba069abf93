// The set-up of a run: the range by mode with its end at the last note and the
// count-in; the tempo in ticks per minute; the block length.
#include <gtest/gtest.h>

#include "sequencer/performance_setup.h"
#include "sequencer/tests/builder/score_fixture.h"

namespace ql::testing {
namespace {

class SetupTest : public ScoreTest {};

// Notes end in measure 10 of 20: the range stops there, or before a closing end
// repeat after them; a count-in starts a measure early but not before measure 1.
TEST_F(SetupTest, RangeEndsWithTheMusic) {
    BuildScore(1, 20);
    Note(1, 10, 0, kQuarter, 0);
    PlayRange range = PlaybackRange(doc_, RangeRequest{});
    EXPECT_EQ(range.first, 1);
    EXPECT_EQ(range.last, 10);
    SetBarline(12, 6, 1);
    EXPECT_EQ(PlaybackRange(doc_, RangeRequest{}).last, 11);
    RangeRequest fromThree{PlayRangeMode::FromCurrentMeasure, 3, 1, 1, true};
    EXPECT_EQ(PlaybackRange(doc_, fromThree).first, 2);
    RangeRequest fromOne{PlayRangeMode::FromCurrentMeasure, 1, 1, 1, true};
    EXPECT_EQ(PlaybackRange(doc_, fromOne).first, 1);
}

// A given range is clamped to the score: a first below 1 becomes 1, a last below
// the first becomes the first, a last past the count the count, and a range that
// starts past the end plays the last measure.
TEST_F(SetupTest, GivenRangeIsClamped) {
    BuildScore(1, 8);
    for (int m = 1; m <= 8; ++m) Note(1, m, 0, kQuarter, 0);
    PlayRange range = PlaybackRange(doc_, RangeRequest{PlayRangeMode::GivenRange, 1, -4, 3, false});
    EXPECT_EQ(range.first, 1);
    EXPECT_EQ(range.last, 3);
    range = PlaybackRange(doc_, RangeRequest{PlayRangeMode::GivenRange, 1, 5, 2, false});
    EXPECT_EQ(range.last, 5);
    range = PlaybackRange(doc_, RangeRequest{PlayRangeMode::GivenRange, 1, 6, 99, false});
    EXPECT_EQ(range.last, 8);
    for (const int last : {3, 12, 99}) {
        range = PlaybackRange(doc_, RangeRequest{PlayRangeMode::GivenRange, 1, 12, last, false});
        EXPECT_EQ(range.first, 8) << "a range 12-" << last;
        EXPECT_EQ(range.last, 8) << "a range 12-" << last;
    }
}

// With no note at all the range is the first measure alone.
TEST_F(SetupTest, EmptyScorePlaysOneMeasure) {
    BuildScore(2, 6);
    PlayRange range = PlaybackRange(doc_, RangeRequest{PlayRangeMode::FromCurrentMeasure, 4, 1, 1, false});
    EXPECT_EQ(range.first, 4);
    EXPECT_EQ(range.last, 4);
}

// Ticks per minute by beat unit; 60 dotted quarters a minute is 92,160.
TEST_F(SetupTest, RatesOfTempoUnits) {
    EXPECT_EQ(RateFromTempo(60, 5), 92160u);
    EXPECT_EQ(RateFromTempo(120, 1), 122880u);
    EXPECT_EQ(RateFromTempo(120, 0), 61440u);
    EXPECT_EQ(RateFromTempo(100, 4), 76800u);
    EXPECT_EQ(RateFromTempo(100, 6), 307200u);
    EXPECT_EQ(RateFromTempo(100, 9), 102400u);  // a damaged unit counts quarters
}

// The score's tempo: 700 plays at 120, 5 at 10, 500 as it is.
TEST_F(SetupTest, ScoreTempoIsClamped) {
    BuildScore(1, 1);
    doc_->header.tempo = 700;
    EXPECT_EQ(ScoreTempoBpm(doc_), 120u);
    doc_->header.tempo = 5;
    EXPECT_EQ(ScoreTempoBpm(doc_), 10u);
    doc_->header.tempo = 500;
    EXPECT_EQ(ScoreTempoBpm(doc_), 500u);
}

// 3,000 stays with a 4/4 first measure; a 2/4 one brings it to 2,200; the table
// bounds hold.
TEST_F(SetupTest, BlockLength) {
    EXPECT_EQ(RunBlockLength(3000, 4096), 3000);
    EXPECT_EQ(RunBlockLength(3000, 2048), 2200);
    EXPECT_EQ(RunBlockLength(10000, 4096), kMaxBlockLength);
    EXPECT_EQ(RunBlockLength(100, 4096), kMinBlockLength);
}

}  // namespace
}  // namespace ql::testing
