// How long a run lasts on the virtual clock: from the start to the end of its last
// sound at the score's tempo, whatever the block length. A score of whole notes
// lasts its measures; a measure whose note ends early ends the run there; a
// measure without notes (a new score) ends it at once.
#include <gtest/gtest.h>

#include "platform/midi/headless.h"
#include "sequencer/tests/builder/score_fixture.h"

namespace ql::testing {
namespace {

constexpr uint8_t kWholeNote = 12;
constexpr int kNoNote = 0;
constexpr uint32_t kTicksPerBeat = 1024;
constexpr uint32_t kMsPerMinute = 60000;
// The engine's steps are whole milliseconds, the test's 10 ms.
constexpr uint32_t kEarlyMs = 20;
constexpr uint32_t kLateMs = 30;

struct RunCase {
    const char* score;
    int measures;
    uint8_t lastNote;  // the note of the last measure (whole notes before it)
    int32_t soundTicks;  // from the start to the end of the last note
    uint32_t bpm;
};

constexpr RunCase kCases[] = {
    {"twenty measures of whole notes", 20, kWholeNote, 20 * kBar - 1, 120},
    {"four measures at a fast tempo", 4, kWholeNote, 4 * kBar - 1, 240},
    {"a quarter, then rests", 1, kQuarter, 1024 - 1, 60},
    {"three measures ending on a half", 3, kHalf, 2 * kBar + 2048 - 1, 90},
    {"a new score's empty measure", 1, kNoNote, 0, 120},
};
constexpr int32_t kBlockLengths[] = {kMinBlockLength, 2444, 4000, kMaxBlockLength};

class RunLengthTest : public ScoreTest {
protected:
    void AdvanceTo(uint32_t ms) {
        while (midi::headless::Now() < ms) Advance(10);
    }
};

TEST_F(RunLengthTest, ARunLastsAsLongAsItsMusicAtItsTempo) {
    midi::headless::AddDevice("Synth", true, false);
    for (const RunCase& c : kCases) {
        BuildScore(1, c.measures);
        for (int m = 1; m < c.measures; ++m) Note(1, m, 0, kWholeNote, 0);
        if (c.lastNote != kNoNote) Note(1, c.measures, 0, c.lastNote, 0);
        const uint32_t rate = c.bpm * kTicksPerBeat;
        const uint32_t soundMs = static_cast<uint32_t>(static_cast<uint64_t>(c.soundTicks) * kMsPerMinute / rate);
        for (int32_t block : kBlockLengths) {
            SCOPED_TRACE(::testing::Message() << c.score << ", block " << block);
            PlaybackRequest request = Request(1, c.measures);
            request.rate = rate;
            request.blockLength = block;
            request.options.playbackPercent = 100;
            const uint32_t start = midi::headless::Now();
            ASSERT_EQ(StartPlayback(request), PlaybackStart::Started);
            if (soundMs > kEarlyMs) {
                AdvanceTo(start + soundMs - kEarlyMs);
                EXPECT_TRUE(IsPlaybackRunning()) << "ended before its last sound";
            }
            AdvanceTo(start + soundMs + kLateMs);
            EXPECT_FALSE(IsPlaybackRunning()) << "went on past its last sound";
            StopPlayback();
        }
    }
}

}  // namespace
}  // namespace ql::testing
