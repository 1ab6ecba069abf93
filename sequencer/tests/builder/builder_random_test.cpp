// Random scores built with random block lengths: whatever the notes, ties,
// repeats and endings, the events come out in time order, every note-on has a
// later note-off of its key and channel, the end of data comes last and alone,
// and the block length changes nothing but where blocks begin.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "notes/ties/ties.h"
#include "sequencer/tests/builder/score_fixture.h"

namespace ql::testing {
namespace {

constexpr int kRounds = 40;
constexpr int kMeasures = 6;

class BuilderRandomTest : public ScoreTest {
protected:
    void RandomScore(std::mt19937& random) {
        BuildScore(2, kMeasures);
        std::uniform_int_distribution<int> coin(0, 3);
        for (int staff = 1; staff <= 2; ++staff) {
            for (int m = 1; m <= kMeasures; ++m) {
                for (int t = 0; t < kBar; t += 1024) {
                    if (coin(random) == 0) continue;
                    EventRecord* note = Note(staff, m, t, coin(random) == 0 ? kEighthCode : kQuarter,
                                             coin(random) - 2, coin(random) == 0 ? 1 : 0);
                    if (note != nullptr && coin(random) == 0) note->word2 |= kTieStartsHere;
                    if (note != nullptr && coin(random) == 0) note->word2 |= kTieEndsHere;
                    if (note != nullptr && coin(random) == 0) note->velocity = static_cast<int8_t>(coin(random) * 30);
                }
            }
        }
        if (coin(random) != 0) SetBarline(2 + coin(random), 5);
        if (coin(random) != 0) SetBarline(4 + coin(random) % 3, 6, coin(random));
        if (coin(random) == 0) {
            AddEnding(4, 1, {1});
            AddEnding(5, 1, {2});
        }
    }
    static void CheckStream(const std::vector<Placed>& all) {
        ASSERT_FALSE(all.empty());
        EXPECT_EQ(all.back().kind, PerformanceEventKind::EndOfData);
        std::map<std::pair<int, int>, int> sounding;  // (channel, key) -> note-ons not ended
        for (size_t i = 0; i < all.size(); ++i) {
            if (i > 0) {
                EXPECT_GE(all[i].time, all[i - 1].time);
            }
            if (i + 1 < all.size()) {
                EXPECT_NE(all[i].kind, PerformanceEventKind::EndOfData);
            }
            if (all[i].kind != PerformanceEventKind::Channel) continue;
            const int status = all[i].message & 0xF0;
            const auto key = std::make_pair(static_cast<int>(all[i].message & 0x0F), static_cast<int>(MessageByte(all[i].message, 1)));
            if (status == 0x90) ++sounding[key];
            if (status == 0x80) {
                EXPECT_GT(sounding[key], 0) << "a note-off without its note-on";
                --sounding[key];
            }
        }
        for (const auto& [key, count] : sounding) EXPECT_EQ(count, 0) << "a note left sounding";
    }
};

TEST_F(BuilderRandomTest, StreamsHoldTheirInvariants) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> blocks(kMinBlockLength, kMaxBlockLength);
    for (int round = 0; round < kRounds; ++round) {
        RandomScore(random);
        PerformanceOptions options = Options(1 + static_cast<int>(random() % 3), kMeasures);
        options.metronome = random() % 2 == 0;
        options.swingEighths = random() % 3 == 0;
        const std::vector<Placed> small = BuildAll(options, kMinBlockLength);
        CheckStream(small);
        const std::vector<Placed> other = BuildAll(options, blocks(random));
        ASSERT_EQ(other.size(), small.size()) << "round " << round;
        for (size_t i = 0; i < small.size(); ++i) {
            EXPECT_EQ(other[i].time, small[i].time);
            EXPECT_EQ(other[i].message, small[i].message);
        }
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace ql::testing
