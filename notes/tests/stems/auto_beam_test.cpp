// Automatic beaming: notes entered one by one and joined as CanBeamWith allows,
// under 4/4, 6/8, 3/4 and 5/4; the chord limit, ties, tuplets, values that are
// never beamed, and the stricter rule while MIDI is transcribed.
#include "notes/stems/stems.h"
#include "notes/tests/stems/stems_fixture.h"

namespace ql::testing_stems {
namespace {

class AutoBeam : public StemsTest {
  protected:
    // Enters notes one by one, as note entry does, beaming each after entry.
    std::vector<EventRecord*> Enter(std::initializer_list<int> times, int code, int step = 0) {
        std::vector<EventRecord*> notes;
        for (int time : times) {
            notes.push_back(Note(time, code, step));
            AutoBeamNoteQuiet(view_, notes.back());
        }
        return notes;
    }
    static std::vector<EventRecord*> Slice(const std::vector<EventRecord*>& v, size_t from,
                                           size_t to) {
        return std::vector<EventRecord*>(v.begin() + from, v.begin() + to);
    }
};

// 4/4: four eighths from tick 0 form one group (two full beats of eighths); a fifth
// at the half-measure starts a new group, and nothing crosses tick 2048.
TEST_F(AutoBeam, FourFourGroupsHalfMeasures) {
    auto notes = Enter({0, 512, 1024, 1536, 2048, 2560, 3072, 3584}, kCodeEighth);
    ExpectGroup(Slice(notes, 0, 4));
    ExpectGroup(Slice(notes, 4, 8));
    EXPECT_EQ(CanBeamWith(view_, notes[3], notes[4]), nullptr);
}

// 6/8: the beat group is a dotted quarter (1536 ticks): three eighths beam, and the
// fourth, at 1536, starts a new group.
TEST_F(AutoBeam, SixEightGroupsDottedQuarters) {
    UseCell(1, 2, 6, 9);
    auto notes = Enter({0, 512, 1024, 1536, 2048, 2560}, kCodeEighth);
    ExpectGroup(Slice(notes, 0, 3));
    ExpectGroup(Slice(notes, 3, 6));
    // Sixteenths fill the beat group too; a group may hold up to 12 chords.
    UseCell(1, 3, 6, 9);
    auto sixteenths = Enter({0, 256, 512, 768, 1024, 1280, 1536}, kCode16th);
    ExpectGroup(Slice(sixteenths, 0, 6));
    EXPECT_FALSE(IsBeamed(sixteenths[6]));
}

// 3/4: six eighths make one group (the bar line at 3072 is the only limit).
TEST_F(AutoBeam, ThreeFourBeamsTheWholeMeasure) {
    UseCell(1, 2, 3, 10);
    auto notes = Enter({0, 512, 1024, 1536, 2048, 2560}, kCodeEighth);
    ExpectGroup(notes);
}

// Two groups of 5 and 4 chords are not joined while MaxBeamChords is 8; with the
// limit at 9 the same groups join, so the limit is what refused them.
TEST_F(AutoBeam, MaxBeamChordsLimitsJoins) {
    const uint8_t k64th = 6;  // 64 ticks
    auto first = Run({0, 64, 128, 192, 256}, k64th);
    auto second = Run({320, 384, 448, 512}, k64th);
    Beam(first);
    Beam(second);
    EXPECT_EQ(State().notes.MaxBeamChords, 8);
    EXPECT_EQ(CanBeamWith(view_, first[4], second[0]), nullptr);
    State().notes.MaxBeamChords = 9;
    EXPECT_EQ(CanBeamWith(view_, first[4], second[0]), first[4]);
    EXPECT_EQ(AutoBeamWithPrevious(view_, second[2]), first[4]);
    EXPECT_EQ(AutoBeamWithNext(view_, first[1]), first[4]);
}

// An eighth and a quarter are never joined, in either order; a sixteenth after a
// dotted eighth is.
TEST_F(AutoBeam, ValuesThatBeamAndValuesThatDoNot) {
    EventRecord* eighth = Note(0, kCodeEighth, 0);
    EventRecord* quarter = Note(512, kCodeQuarter, 0);
    EXPECT_EQ(CanBeamWith(view_, eighth, quarter), nullptr);
    EventRecord* dottedQuarter = Note(2048, kCodeQuarter, 0);
    dottedQuarter->word2 |= 1;
    EventRecord* after = Note(3584, kCodeEighth, 0);
    EXPECT_EQ(CanBeamWith(view_, dottedQuarter, after), nullptr);
    UseCell(1, 2);
    EventRecord* dotted = Note(0, kCodeEighth, 0);
    dotted->word2 |= 1;  // 768 ticks
    EventRecord* sixteenth = Note(768, kCode16th, 0);
    EXPECT_EQ(CanBeamWith(view_, dotted, sixteenth), dotted);
    EXPECT_EQ(AutoBeamNote(view_, sixteenth), 1);
    ExpectGroup({dotted, sixteenth});
}

// A tie into the later chord or out of the earlier one, AutoBeam off, a gap between
// the chords, or a bad time signature: never joined.
TEST_F(AutoBeam, TiesGapsAndSettingsRefuse) {
    auto notes = Run({0, 512}, kCodeEighth);
    EXPECT_EQ(CanBeamWith(view_, notes[0], notes[1]), notes[0]);
    notes[1]->word2 |= 0x0010;  // a tie ends here
    EXPECT_EQ(CanBeamWith(view_, notes[0], notes[1]), nullptr);
    notes[1]->word2 = 0;
    notes[0]->word2 |= 0x0020;  // a tie starts here
    EXPECT_EQ(CanBeamWith(view_, notes[0], notes[1]), nullptr);
    notes[0]->word2 = 0;
    State().notes.AutoBeam = 0;
    EXPECT_EQ(CanBeamWith(view_, notes[0], notes[1]), nullptr);
    EXPECT_EQ(AutoBeamNoteQuiet(view_, notes[1]), 0);
    State().notes.AutoBeam = 1;
    for (auto [beats, unit] : {std::pair{0, 10}, {4, 0}, {4, 40}}) {
        cell_->beats = static_cast<uint8_t>(beats);
        cell_->beatUnit = static_cast<uint8_t>(unit);
        EXPECT_EQ(CanBeamWith(view_, notes[0], notes[1]), nullptr) << beats << "/" << unit;
    }
    UseCell(1, 2);
    EventRecord* a = Note(0, kCodeEighth, 0);
    EventRecord* b = Note(768, kCodeEighth, 0);  // a gap of 256 ticks
    EXPECT_EQ(CanBeamWith(view_, a, b), nullptr);
}

// Triplet eighths beam within the triplet's span; a fourth triplet, or a plain
// eighth beside a triplet, does not join.
TEST_F(AutoBeam, TupletsBeamWithinTheirSpan) {
    std::vector<EventRecord*> notes;
    for (int time : {0, 341, 682, 1023}) {
        EventRecord* note = Note(time, kCodeEighth, 0);
        note->tupletKind = 1;  // 2 in the time of 3
        note->tupletRatio = 0;
        notes.push_back(note);
        AutoBeamNoteQuiet(view_, note);
    }
    ExpectGroup(Slice(notes, 0, 3));
    EXPECT_FALSE(IsBeamed(notes[3]));
    UseCell(1, 2);
    EventRecord* triplet = Note(0, kCodeEighth, 0);
    triplet->tupletKind = 1;
    EventRecord* plain = Note(341, kCodeEighth, 0);
    EXPECT_EQ(CanBeamWith(view_, triplet, plain), nullptr);
}

// While MIDI is transcribed a group stays within one beat group: in 5/4 (an odd
// beat count) that is a single beat, where entry by hand joins two beats.
TEST_F(AutoBeam, TranscriptionKeepsGroupsWithinABeatGroup) {
    UseCell(1, 2, 5, 10);
    auto byHand = Enter({0, 512, 1024, 1536}, kCodeEighth);
    ExpectGroup(byHand);
    UseCell(1, 3, 5, 10);
    State().sequencer.TranscriptionActive = 1;
    auto transcribed = Enter({0, 512, 1024, 1536}, kCodeEighth);
    ExpectGroup(Slice(transcribed, 0, 2));
    ExpectGroup(Slice(transcribed, 2, 4));
    State().sequencer.TranscriptionActive = 0;
    State().files.MidiImportActive = 1;
    EXPECT_EQ(CanBeamWith(view_, transcribed[1], transcribed[2]), nullptr);
}

// A note left alone by automatic beaming still gets its stem; one joined gets the
// group's.
TEST_F(AutoBeam, QuietFormStemsWhatItLeavesAlone) {
    auto notes = Enter({0, 512}, kCodeEighth, -12);
    EXPECT_FALSE(IsUp(notes[0]));
    EXPECT_FALSE(IsUp(notes[1]));
    EventRecord* lone = Note(2048, kCodeEighth, 2);
    EXPECT_EQ(AutoBeamNoteQuiet(view_, lone), 0);
    EXPECT_TRUE(IsUp(lone));
    EXPECT_EQ(lone->stemLength, -448);
}

}  // namespace
}  // namespace ql::testing_stems
