// Accidentals in force inside a measure: spelling entered notes against them, the
// code in force at a note, the key a note sounds in its cell, and the playback
// carry. The round trip is the guard: every note entered sounds the key played.
#include "notes/pitch/accidental_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "notes/pitch/patch_names.h"
#include "notes/pitch/pitch.h"
#include "notes/pitch/spelling.h"
#include "notes/tests/pitch/pitch_fixture.h"

namespace ql::testing_pitch {
namespace {

constexpr int kTreble = CodeOf(ClefKind::Treble);
constexpr int kBass = CodeOf(ClefKind::Bass);
constexpr int kTab = CodeOf(ClefKind::Tab);
constexpr int kVoice = 0;
constexpr int kNone = CodeOf(AccidentalCode::None);
constexpr int kSharp = CodeOf(AccidentalCode::Sharp);
constexpr int kFlat = CodeOf(AccidentalCode::Flat);
constexpr int kNatural = CodeOf(AccidentalCode::Natural);

class AccidentalStateTest : public PitchScoreTest {
  protected:
    // Spells `midiKey` at `time` against the voice, then links the note in.
    EventRecord* Enter(MeasureCell* cell, int time, int midiKey) {
        EventRecord note{};
        note.time = static_cast<uint16_t>(time);
        SpellEnteredNote(view_, note, midiKey, cell, kVoice);
        EventRecord* added = AddNote(cell, time, NotePosition(note), NoteAccidentalCode(note));
        entered_.push_back({added, midiKey});
        return added;
    }
    // Every note entered sounds its key inside the cell.
    void ExpectEnteredNotesSoundTheirKeys(MeasureCell* cell) {
        for (const auto& [note, key] : entered_)
            ASSERT_EQ(ComputeNoteKeyInCell(Staff(1), cell, *note, kVoice), key)
                << "time " << note->time << " position " << int(NotePosition(*note)) << " code "
                << NoteAccidentalCode(*note);
    }

    std::vector<std::pair<EventRecord*, int>> entered_;
};

// F major, B-flat entered: SpellPitch reports the key's flat, which the state
// already holds at that position, so the note is left with no sign.
TEST_F(AccidentalStateTest, KeyFlatInForceLeavesNoSign) {
    MeasureCell* cell = CellWith(kTreble, CodeOf(KeyCode::F));
    EventRecord* note = Enter(cell, 0, 70);
    EXPECT_EQ(NotePosition(*note), -4);
    EXPECT_EQ(NoteAccidentalCode(*note), kNone);
    EXPECT_FALSE(note->attachment);
    // The same with a note already in the voice (the walk path).
    EventRecord* later = Enter(cell, 1024, 70);
    EXPECT_EQ(NoteAccidentalCode(*later), kNone);
    ExpectEnteredNotesSoundTheirKeys(cell);
}

// An accidental holds to the end of the measure: C-sharp, then C (natural sign), then
// C-sharp again (a sharp sign, since the natural is in force), then C-sharp once more
// (no sign). Notes left with a sign get an Accidental attached.
TEST_F(AccidentalStateTest, AccidentalsHoldUntilTheMeasureEnds) {
    MeasureCell* cell = CellWith(kTreble, CodeOf(KeyCode::C));
    EventRecord* sharp = Enter(cell, 0, 61);
    EventRecord* natural = Enter(cell, 512, 60);
    EventRecord* sharpAgain = Enter(cell, 1024, 61);
    EventRecord* held = Enter(cell, 1536, 61);
    EXPECT_EQ(NoteAccidentalCode(*sharp), kSharp);
    EXPECT_EQ(NoteAccidentalCode(*natural), kNatural);
    EXPECT_EQ(NoteAccidentalCode(*sharpAgain), kSharp);
    EXPECT_EQ(NoteAccidentalCode(*held), kNone);
    EXPECT_EQ(AccidentalInForceAt(*held, cell, kVoice), kSharp);
    ExpectEnteredNotesSoundTheirKeys(cell);
    // Entered notes with a sign get their Accidental.
    EventRecord probe{};
    probe.time = 2048;
    EXPECT_EQ(SpellEnteredNote(view_, probe, 63, cell, kVoice), kFlat);  // E-flat
    EXPECT_TRUE(probe.attachment);
}

// The code in force: the key's sign with an empty voice, then each note's sign from
// its time on (not at its own time), at its own position only.
TEST_F(AccidentalStateTest, CodeInForceFollowsTheVoice) {
    MeasureCell* cell = CellWith(kTreble, CodeOf(KeyCode::D));
    EventRecord f{};
    SetNotePosition(f, -1);
    f.time = 512;
    EXPECT_EQ(AccidentalInForceAt(f, cell, kVoice), kSharp);  // F-sharp from the key
    AddNote(cell, 512, -1, kNatural);
    EXPECT_EQ(AccidentalInForceAt(f, cell, kVoice), kSharp);  // same time: not yet
    f.time = 513;
    EXPECT_EQ(AccidentalInForceAt(f, cell, kVoice), kNatural);
    SetNotePosition(f, -8);  // the F an octave up keeps the key's sharp
    EXPECT_EQ(AccidentalInForceAt(f, cell, kVoice), kSharp);
    SetNotePosition(f, -2);
    EXPECT_EQ(AccidentalInForceAt(f, cell, kVoice), kNone);
}

// A clef or key change inside the measure: notes after it are spelled and sounded
// under the new clef and key, and the accidentals before it no longer count.
TEST_F(AccidentalStateTest, ChangesInsideTheMeasureRebuildTheState) {
    MeasureCell* cell = CellWith(kTreble, CodeOf(KeyCode::C));
    AddClefChange(cell, kBass, 1000);
    AddKeyChange(cell, CodeOf(KeyCode::EFlat), 2000);
    Enter(cell, 0, 61);                            // C-sharp, treble
    EventRecord* bass = Enter(cell, 1024, 61);     // after the clef change
    EXPECT_EQ(NoteAccidentalCode(*bass), kSharp);  // the treble sharp no longer counts
    EXPECT_EQ(NotePosition(*bass), -10);           // C-sharp above middle C in the bass
    EventRecord* flat = Enter(cell, 2048, 63);     // E-flat under the new key
    EXPECT_EQ(NoteAccidentalCode(*flat), kNone);
    // An empty voice is read at the note's time too.
    MeasureCell* other = CellWith(kTreble, CodeOf(KeyCode::C), 2);
    AddClefChange(other, kBass, 100);
    EventRecord note{};
    note.time = 512;
    SpellEnteredNote(view_, note, 48, other, kVoice);
    EXPECT_EQ(NotePosition(note), -3);  // C3, the bass staff's second space
    ExpectEnteredNotesSoundTheirKeys(cell);
}

// Random measures under random clefs and keys, with changes inside the measure and
// random keys entered in time order: every note sounds the key that was played.
TEST_F(AccidentalStateTest, RandomMeasuresSoundEveryKeyEntered) {
    std::mt19937 random(424242u);
    std::uniform_int_distribution<int> clefs(0, kClefKindCount - 1);
    std::uniform_int_distribution<int> keys(0, kKeyCodeCount - 1);
    std::uniform_int_distribution<int> midi(24, 100);
    std::uniform_int_distribution<int> gap(16, 200);
    for (int round = 0; round < 40; ++round) {
        entered_.clear();
        int clef = clefs(random);
        while (clef == kTab) clef = clefs(random);
        MeasureCell* cell = CellWith(clef, keys(random), 1 + round);
        SetMinor(round % 3 == 0);
        int change = clefs(random);
        while (change == kTab) change = clefs(random);
        AddClefChange(cell, change, 1500);
        AddKeyChange(cell, keys(random), 2500);
        for (int time = 0; time < 4000; time += gap(random)) Enter(cell, time, midi(random));
        SCOPED_TRACE(round);
        ExpectEnteredNotesSoundTheirKeys(cell);
    }
}

// A tie continuation without a sign sounds its carried accidental; the note itself
// is not changed by working out its key.
TEST_F(AccidentalStateTest, TieContinuationSoundsItsCarriedAccidental) {
    MeasureCell* cell = CellWith(kTreble, CodeOf(KeyCode::C));
    EventRecord* note = AddNote(cell, 0, 2, kNone);  // middle C
    EXPECT_EQ(ComputeNoteKeyInCell(Staff(1), cell, *note, kVoice), 60);
    note->word2 |= kNoteTieContinuation;
    SetNoteTiedAccidental(*note, kSharp);
    const EventRecord before = *note;
    EXPECT_EQ(ComputeNoteKeyInCell(Staff(1), cell, *note, kVoice), 61);
    EXPECT_EQ(std::memcmp(note, &before, sizeof before), 0);
    // Without the continuation flag the carried field is ignored.
    note->word2 = static_cast<uint16_t>(note->word2 & ~kNoteTieContinuation);
    EXPECT_EQ(ComputeNoteKeyInCell(Staff(1), cell, *note, kVoice), 60);
}

// Playback carry: a note without a sign takes the one in force, a note with one
// stores it; positions outside the table are left alone; a clear forgets all.
TEST_F(AccidentalStateTest, PlaybackCarriesAccidentalsThroughTheMeasure) {
    AccidentalState state;
    EventRecord sharp{};
    SetNotePosition(sharp, -3);
    SetNoteAccidentalCode(sharp, kSharp);
    CarryAccidental(state, sharp);
    EventRecord plain{};
    SetNotePosition(plain, -3);
    CarryAccidental(state, plain);
    EXPECT_EQ(NoteAccidentalCode(plain), kSharp);
    EventRecord far{};
    SetNotePosition(far, -100);
    SetNoteAccidentalCode(far, kFlat);
    CarryAccidental(state, far);
    EXPECT_EQ(AccidentalStateAt(state, -100), 0);
    ClearAccidentalState(state);
    EventRecord again{};
    SetNotePosition(again, -3);
    CarryAccidental(state, again);
    EXPECT_EQ(NoteAccidentalCode(again), kNone);
    // The table covers -63..64 and a key fills -63..63.
    FillAccidentalStateFromKey(state, kTreble, CodeOf(KeyCode::CSharp));
    EXPECT_EQ(AccidentalStateAt(state, -63), kSharp);
    EXPECT_EQ(AccidentalStateAt(state, 63), kSharp);
    EXPECT_EQ(AccidentalStateAt(state, 64), 0);
    EXPECT_EQ(AccidentalStateAt(state, 65), 0);
}

// Damaged cells: a key or clef nibble of 15 refuses the spelling and leaves the note.
TEST_F(AccidentalStateTest, BadCellCodesLeaveTheNote) {
    MeasureCell* cell = CellWith(kTreble, 15);
    EventRecord note{};
    note.step = 7;
    const EventRecord before = note;
    EXPECT_EQ(SpellEnteredNote(view_, note, 60, cell, kVoice), 0);
    EXPECT_EQ(std::memcmp(&note, &before, sizeof note), 0);
    cell = CellWith(15, CodeOf(KeyCode::C));
    EXPECT_EQ(SpellEnteredNote(view_, note, 60, cell, kVoice), 0);
    EXPECT_EQ(SpellEnteredNote(view_, note, 128, CellWith(kTreble, 7), kVoice), 0);
    EXPECT_EQ(std::memcmp(&note, &before, sizeof note), 0);
    EXPECT_EQ(SpellEnteredNote(view_, note, 60, nullptr, kVoice), 0);
    EXPECT_EQ(ComputeNoteKeyInCell(Staff(1), nullptr, note, kVoice), 0);
}

// The first staff's minor-key flag chooses the minor preferences.
TEST_F(AccidentalStateTest, MinorFlagOfTheFirstStaffChoosesTheMode) {
    EventRecord note{};
    SpellPitch(view_, kTreble, 68, kTreble, CodeOf(KeyCode::C), note);
    EXPECT_EQ(NoteAccidentalCode(note), kFlat);  // A-flat in C major
    SetMinor(true);
    EXPECT_TRUE(IsMinorKeyScore(view_));
    SpellPitch(view_, kTreble, 68, kTreble, CodeOf(KeyCode::C), note);
    EXPECT_EQ(NoteAccidentalCode(note), kSharp);  // G-sharp in A minor
    EXPECT_FALSE(IsMinorKeyScore(nullptr));
}

// General MIDI names come from the string table; other programs give empty text.
TEST_F(AccidentalStateTest, PatchNamesCoverTheGeneralMidiPrograms) {
    EXPECT_STREQ(GeneralMidiPatchName(0), "Acoustic Grand Piano");
    EXPECT_STREQ(GeneralMidiPatchName(24), "Acoustic Guitar (nylon)");
    EXPECT_STREQ(GeneralMidiPatchName(105), "Banjo");
    EXPECT_STREQ(GeneralMidiPatchName(127), "Gunshot");
    for (int program = 0; program < kGeneralMidiPrograms; ++program)
        EXPECT_STRNE(GeneralMidiPatchName(program), "") << program;
    EXPECT_STREQ(GeneralMidiPatchName(128), "");
    EXPECT_STREQ(GeneralMidiPatchName(-1), "");
}

}  // namespace
}  // namespace ql::testing_pitch
