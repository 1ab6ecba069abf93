// The analysis of one measure on its own: filling gaps to the next chord, splitting
// at beats, rests by the metre, the clef choice and the metre of a numerator of 0.
#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

#include "sequencer/transcription_analysis.h"
#include "sequencer/transcription_grid.h"

namespace ql {
namespace {

const Metre kFourFour = MetreOf(4, 10, 4096);

TranscribedGroup Group(int32_t time, int32_t duration, uint8_t key = 60) {
    TranscribedGroup group;
    group.time = time;
    group.value = ValueOfTicks(duration);
    RawNote note;
    note.time = time;
    note.duration = duration;
    note.key = key;
    group.notes.push_back(note);
    return group;
}

// With fill on and L = 512: a gap of L - 1 makes the note reach the next chord, a gap
// of exactly L changes nothing, a larger gap extends to the next multiple of L, and
// a note already ending on one stays.
// A position far past the last measure a staff could reach (a file whose notes
// run beyond the measure limit) snaps without overflowing.
TEST(TranscriptionAnalysis, SnappingTheLargestPositionStaysInRange) {
    EXPECT_EQ(SnapToGrid(1000, 8), 1024);
    EXPECT_EQ(SnapToGrid(900, 8), 1024);
    const int32_t largest = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(SnapToGrid(largest, 8), largest & ~255);
    EXPECT_EQ(SnapToGrid(largest - 100, 10), largest & ~1023);
}

// A key struck again within one step of the attack grid keeps its note: it goes to
// the next grid time free of that key (past the barline: into the next measure);
// the same note twice (attacks within the chord tolerance) is still written once,
// and another key at the same time joins the chord.
TEST(TranscriptionAnalysis, KeyStruckAgainWithinAGridStepKeepsItsNote) {
    struct Case {
        std::vector<std::pair<int32_t, uint8_t>> attacks;  // time as played, key
        std::vector<int32_t> groupTimes;
        size_t toNext;
        uint32_t merged;
    } cases[] = {
        {{{0, 71}, {32, 71}}, {0, 256}, 0, 0},
        {{{0, 71}, {32, 71}, {96, 71}}, {0, 256, 512}, 0, 0},
        {{{0, 71}, {8, 71}}, {0}, 0, 1},
        {{{0, 71}, {32, 72}}, {0}, 0, 0},
        {{{3840, 71}, {3900, 71}}, {3840}, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attacks.back().first);
        std::vector<RawNote> notes;
        // As the stream hands them over: on the attack grid, with the time as played.
        for (const auto& [heard, key] : c.attacks) {
            const int32_t time = SnapToGrid(heard, QuantizeSettings{}.attack);
            notes.push_back(RawNote{.time = time, .duration = 30, .key = key, .heardOffset = heard - time});
        }
        std::vector<TranscribedGroup> groups;
        MeasureTranscription out;
        QuantizeIntoGroups(notes, groups, out, kFourFour, QuantizeSettings{});
        std::vector<int32_t> times;
        for (const TranscribedGroup& group : groups) times.push_back(group.time);
        EXPECT_EQ(times, c.groupTimes);
        EXPECT_EQ(out.toNextMeasure.size(), c.toNext);
        EXPECT_EQ(out.mergedAway, c.merged);
    }
}

TEST(TranscriptionAnalysis, FillingGapsToTheNextChord) {
    const QuantizeSettings s;
    struct Case {
        int32_t duration, next, expected;
    } cases[] = {{1025, 1536, 1536}, {1024, 1536, 1024}, {768, 2048, 1024}, {1024, 3072, 1024}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.duration);
        std::vector<TranscribedGroup> groups = {Group(0, c.duration), Group(c.next, 256)};
        FitChordDurations(groups, kFourFour, s);
        EXPECT_EQ(groups[0].notes[0].duration, c.expected);
    }
}

// A half or dotted half from beat 2 of 4/4 crosses the middle of the bar but lasts
// whole beats: it stays; 2.5 beats from beat 2 is written as a half tied to an
// eighth; in 6/8 a dotted quarter from the second eighth splits at the dotted group;
// a quarter from the second eighth of 4/4 stays within its half bar, while one from
// the fourth eighth splits into two tied eighths unless syncopation is allowed;
// durations below 32 ticks are raised to 32.
TEST(TranscriptionAnalysis, SplittingNotesAtBeats) {
    const QuantizeSettings s;
    std::vector<TranscribedGroup> half = {Group(1024, 2048)};
    SplitNotesAtBeats(half, kFourFour, s);
    ASSERT_EQ(half.size(), 1u);
    EXPECT_EQ(half[0].value, (NoteValue{11, 0}));

    std::vector<TranscribedGroup> dotted = {Group(1024, 3072)};
    SplitNotesAtBeats(dotted, kFourFour, s);
    ASSERT_EQ(dotted.size(), 1u);
    EXPECT_EQ(dotted[0].value, (NoteValue{11, 1}));

    std::vector<TranscribedGroup> longer = {Group(1024, 2560)};
    SplitNotesAtBeats(longer, kFourFour, s);
    ASSERT_EQ(longer.size(), 2u);
    EXPECT_EQ(longer[0].value, (NoteValue{11, 0}));
    EXPECT_TRUE(longer[0].notes[0].tieToNext);
    EXPECT_EQ(longer[1].time, 3072);
    EXPECT_EQ(longer[1].value, (NoteValue{9, 0}));
    EXPECT_TRUE(longer[1].notes[0].tieFromPrevious);

    std::vector<TranscribedGroup> compound = {Group(512, 1536)};
    SplitNotesAtBeats(compound, MetreOf(6, 9, 3072), s);
    ASSERT_EQ(compound.size(), 2u);
    EXPECT_EQ(compound[0].value, (NoteValue{10, 0}));
    EXPECT_EQ(compound[1].time, 1536);
    EXPECT_EQ(compound[1].value, (NoteValue{9, 0}));

    std::vector<TranscribedGroup> inGroup = {Group(512, 1024)};
    SplitNotesAtBeats(inGroup, kFourFour, s);
    EXPECT_EQ(inGroup.size(), 1u);

    std::vector<TranscribedGroup> across = {Group(1536, 1024)};
    SplitNotesAtBeats(across, kFourFour, s);
    ASSERT_EQ(across.size(), 2u);
    EXPECT_EQ(across[0].value, (NoteValue{9, 0}));
    EXPECT_EQ(across[1].time, 2048);
    QuantizeSettings syncopated;
    syncopated.syncopation = true;
    std::vector<TranscribedGroup> kept = {Group(1536, 1024)};
    SplitNotesAtBeats(kept, kFourFour, syncopated);
    EXPECT_EQ(kept.size(), 1u);

    std::vector<TranscribedGroup> tiny = {Group(0, 8)};
    SplitNotesAtBeats(tiny, kFourFour, s);
    EXPECT_EQ(tiny[0].value, (NoteValue{5, 0}));
}

// Rests by the metre: from a bar start three empty beats before the last chord in
// 4/4 get a half and a quarter rest; an off-beat gap fills with the largest powers
// that divide its start; in 6/8 two empty eighths from a group start take one
// quarter rest.
TEST(TranscriptionAnalysis, RestsFollowTheMetre) {
    std::vector<TranscribedGroup> late = {Group(3072, 1024), Group(3072 + 512, 512)};
    late[1].time = 3584;
    EXPECT_EQ(MakeRestsForVoice(late, kFourFour),
              (std::vector<TranscribedRest>{{0, {11, 0}}, {2048, {10, 0}}}));

    std::vector<TranscribedGroup> offBeat = {Group(0, 256), Group(2048, 2048)};
    EXPECT_EQ(MakeRestsForVoice(offBeat, kFourFour),
              (std::vector<TranscribedRest>{{256, {8, 0}}, {512, {9, 0}}, {1024, {10, 0}}}));

    const Metre sixEight = MetreOf(6, 9, 3072);
    std::vector<TranscribedGroup> compound = {Group(0, 1536), Group(2560, 512)};
    EXPECT_EQ(MakeRestsForVoice(compound, sixEight), (std::vector<TranscribedRest>{{1536, {10, 0}}}));
}

// Auto-clef: keys all within 55..65 keep the clef; low keys take the bass clef,
// high keys bring the treble clef back.
TEST(TranscriptionAnalysis, ClefFollowsTheKeys) {
    const auto stats = [](std::initializer_list<int> keys) {
        ClefStatistics s;
        for (int k : keys) {
            s.lowest = std::min(s.lowest, k);
            s.highest = std::max(s.highest, k);
            s.sum += k;
            ++s.count;
        }
        return s;
    };
    EXPECT_EQ(ChooseClef(kTrebleClefCode, stats({55, 60, 65})), kTrebleClefCode);
    EXPECT_EQ(ChooseClef(kBassClefCode, stats({55, 60, 65})), kBassClefCode);
    EXPECT_EQ(ChooseClef(kTrebleClefCode, stats({40, 48, 52})), kBassClefCode);
    EXPECT_EQ(ChooseClef(kBassClefCode, stats({67, 72, 76})), kTrebleClefCode);
    EXPECT_EQ(ChooseClef(kBassClefCode, ClefStatistics{}), kBassClefCode);
}

// A numerator of 0 reads as length / beat (4 for the 4,096 fallback); a beat unit
// above the quarter doubles the beats; compound metres group by dotted beats.
TEST(TranscriptionAnalysis, MetreOfTheSignature) {
    const Metre zero = MetreOf(0, 10, 0);
    EXPECT_EQ(zero.beats, 4);
    EXPECT_EQ(zero.length, 4096);
    EXPECT_EQ(zero.span, 2048);
    const Metre cut = MetreOf(2, 11, 4096);
    EXPECT_EQ(cut.beats, 4);
    EXPECT_EQ(cut.beat, 1024);
    const Metre sixEight = MetreOf(6, 9, 3072);
    EXPECT_EQ(sixEight.grouping, 3);
    EXPECT_EQ(sixEight.span, 1536);
}

}  // namespace
}  // namespace ql
