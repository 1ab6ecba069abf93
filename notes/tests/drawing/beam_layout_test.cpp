// Stem lengths: the numbers of a chord standing alone, and the beam laid over a group
// (flattening, the one-space limit of a slope, end chords at one x, the clearance
// from the extreme note and the pull toward the middle line), read from the stem
// offsets the layout stores.
#include "notes/drawing/beam_layout.h"

#include "core/model/events.h"
#include "core/model/score_document.h"
#include "notes/drawing/note_fields.h"
#include "notes/drawing/note_redraw.h"
#include "notes/tests/drawing/notedraw_fixture.h"

namespace ql::testing_notedraw {
namespace {

class BeamLayout : public NoteDrawTest {
  protected:
    void SetUp() override {
        NoteDrawTest::SetUp();
        if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
        BuildScore(1, 4, kPlainZoom);
    }
    // A group of single notes of one value in a measure, laid out.
    std::vector<EventRecord*> Group(int measure, int code, std::initializer_list<int> positions,
                                    int sizeClass = 0) {
        std::vector<EventRecord*> notes;
        int tick = 0;
        for (int position : positions) {
            EventRecord* note = Note(1, measure, 0, tick, code, position);
            note->flags |= static_cast<uint16_t>(sizeClass << kNoteSizeClassShift);
            notes.push_back(note);
            tick += 1 << code;
        }
        Beam(notes);
        Restem(1, measure);
        return notes;
    }
    // y of a chord's stem end from the bottom line (unscaled).
    static int End(const EventRecord* note) { return SignedStep(*note) * kStep + note->stemLength; }
};

// Alone: the stem reaches the middle line from far notes; short values lengthen it;
// small sizes take their own bases.
TEST_F(BeamLayout, ChordStemOffsetsOfTheTable) {
    struct Case {
        int code;
        int position;
        int up;
        int sizeClass;
        int span;
        int16_t offset;
    };
    const Case cases[] = {
        {kCodeEighth, 0, 1, 0, 0, -448},    // plain length
        {kCodeEighth, 6, 1, 0, 0, -640},    // three steps below the bottom line: to the middle
        {kCodeQuarter, -14, 0, 0, 0, 640},  // far above: down to the middle line
        {kCode32nd, 0, 1, 0, 0, -512},      // 32nd: (8 - 7) x 64 more
        {6, 0, 1, 0, 0, -608},              // 64th: 2 x 64 + 32
        {kCode128th, 0, 1, 0, 0, -672},     // 128th: 3 x 64 + 32
        {kCodeQuarter, -4, 0, 0, 3, 640},   // a chord down: (span 3 + 7) x 64
        {kCodeQuarter, 0, 1, 1, 0, -336},   // petite
        {kCode32nd, 0, 0, 1, 2, 2 * 64 + 848 - 7 * 64},  // petite below a sixteenth, down
        {kCodeQuarter, 0, 1, 2, 0, -291},                // grace
    };
    for (const Case& c : cases) {
        EventRecord note{};
        note.duration = static_cast<uint8_t>(c.code);
        SetNotePosition(note, c.position);
        note.flags = static_cast<uint16_t>(c.sizeClass << kNoteSizeClassShift);
        EXPECT_EQ(ChordStemOffset(note, c.span, c.up), c.offset) << c.code << " at " << c.position;
    }
    EventRecord cross{};
    cross.duration = kCodeEighth;
    SetNotePosition(cross, 6);
    cross.flags = kNoteCrossStaff;
    EXPECT_EQ(ChordStemOffset(cross, 0, 1), -448);  // cross-staff keeps the plain length
}

// Three notes whose ends differ by a step: flat, at the end farther from the notes;
// two notes five steps apart: one space of rise over the group.
TEST_F(BeamLayout, FlatAndLimitedSlopes) {
    const std::vector<EventRecord*> flat = Group(1, kCodeEighth, {0, -2, 1});
    EXPECT_EQ(End(flat.front()), End(flat.back()));
    const std::vector<EventRecord*> steep = Group(2, kCodeEighth, {-3, 2});
    ASSERT_TRUE(IsStemUp(*steep.front()));
    EXPECT_EQ(End(steep.back()) - End(steep.front()), 128);
    // Two positions only, the commoner holding half: flat too.
    const std::vector<EventRecord*> two = Group(3, kCodeEighth, {0, 3, 0, 3});
    EXPECT_EQ(End(two.front()), End(two.back()));
}

// Far below the staff, stems up: the beam comes up to the middle line; grace groups
// keep their plain length.
TEST_F(BeamLayout, FarGroupsArePulledToTheMiddleLine) {
    const std::vector<EventRecord*> low = Group(1, kCodeEighth, {8, 9});
    ASSERT_TRUE(IsStemUp(*low.front()));
    EXPECT_EQ(End(low.front()), -4 * kStep);
    EXPECT_EQ(low.front()->stemLength, -768);
    EXPECT_EQ(low.back()->stemLength, -768);
    const std::vector<EventRecord*> grace = Group(2, kCodeEighth, {8, 9}, 2);
    EXPECT_EQ(grace.front()->stemLength, -kGraceStemLength);
    EXPECT_EQ(grace.back()->stemLength, -kGraceStemLength);
}

// The beam keeps its distance from the group's extreme note: a high middle note
// pushes the whole beam up.
TEST_F(BeamLayout, BeamClearsTheExtremeNote) {
    const std::vector<EventRecord*> notes = Group(1, kCode16th, {0, -6, 0});
    ASSERT_TRUE(IsStemUp(*notes.front()));
    const int clearance = 448 - kBeamSeparation;       // m = max(5 x 448 / 7, 448 - depth)
    EXPECT_EQ(End(notes.front()), End(notes.back()));  // flat: ends one step apart or less
    EXPECT_LE(End(notes[1]) + kBeamSeparation, -6 * kStep - clearance);
}

// End chords at one x count as 256 apart: the slope still reaches the middle chord.
TEST_F(BeamLayout, EndChordsAtOneXSpanTwoHundredFiftySixUnits) {
    const std::vector<EventRecord*> notes = Group(1, kCodeEighth, {0, 2, 4});
    const int32_t shift = TickX(1, 1024) - TickX(1, 0);
    ASSERT_EQ(shift % 16, 0);
    notes.back()->nudge = static_cast<int8_t>(-shift / 16);  // the last chord over the first
    Restem(1, 1);
    const int32_t middle = TickX(1, 512) - TickX(1, 0);
    const int rise = End(notes.back()) - End(notes.front());
    ASSERT_EQ(rise, 128);
    EXPECT_NEAR(End(notes[1]), End(notes.front()) + middle * rise / 256, 1);
}

// Stem sides along the beam: notes at or below the line through a chord's stem end
// toward the group's first chord get their stems up; the last chord takes the side.
TEST_F(BeamLayout, StemSidesFollowTheLineThroughAChord) {
    const std::vector<EventRecord*> notes = Group(1, kCodeEighth, {-8, 4, -8});
    SetStemSidesAlongBeam(view_, notes[0], 0);
    EXPECT_TRUE(IsStemUp(*notes[1]));   // far below the line
    EXPECT_FALSE(IsStemUp(*notes[2]));  // the last chord takes the side given
    SetChordStemDirection(notes[2], 1);
    EXPECT_TRUE(IsStemUp(*notes[2]));
}

}  // namespace
}  // namespace ql::testing_notedraw
