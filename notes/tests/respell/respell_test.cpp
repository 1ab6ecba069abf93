// Respelling notes in place: the enharmonic change (normal and extended), explicit
// and redundant accidentals, and keeping the pitches of a cell through a change of its
// key signature. Every change is checked against what the notes sound afterwards.
#include "notes/respell/respell.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "notes/pitch/accidental_state.h"
#include "notes/pitch/pitch.h"
#include "notes/tests/pitch/pitch_fixture.h"

namespace ql::testing_pitch {
namespace {

constexpr int kTreble = CodeOf(ClefKind::Treble);
constexpr int kBass = CodeOf(ClefKind::Bass);
constexpr int kC = CodeOf(KeyCode::C);
constexpr int kG = CodeOf(KeyCode::G);
constexpr int kNone = CodeOf(AccidentalCode::None);
constexpr int kSharp = CodeOf(AccidentalCode::Sharp);
constexpr int kDoubleSharp = CodeOf(AccidentalCode::DoubleSharp);
constexpr int kFlat = CodeOf(AccidentalCode::Flat);
constexpr int kDoubleFlat = CodeOf(AccidentalCode::DoubleFlat);
constexpr int kNatural = CodeOf(AccidentalCode::Natural);
constexpr int kVoice = 0;
// Treble positions (E4 the bottom line, negative upwards).
constexpr int kE4 = 0;
constexpr int kF4 = -1;
constexpr int kG4 = -2;
constexpr int kA4 = -3;
constexpr int kB4 = -4;
constexpr int kC5 = -5;
constexpr int kD5 = -6;

class RespellTest : public PitchScoreTest {
  protected:
    int Sounds(MeasureCell* cell, const EventRecord* note) {
        return ComputeNoteKeyInCell(Staff(1), cell, *note, kVoice);
    }
    void Change(MeasureCell* cell, EventRecord* note,
                DoubleChoice doubles = DoubleChoice::HighDouble) {
        EnharmonicChangeNote(view_, note, cell, kVoice, doubles);
    }
    void ExpectSpelled(const EventRecord* note, int position, int code) {
        EXPECT_EQ(NotePosition(*note), position);
        EXPECT_EQ(NoteAccidentalCode(*note), code);
    }
};

// C sharp goes to D flat and back; a note left with a sign has its Accidental.
TEST_F(RespellTest, EnharmonicCSharpToDFlatAndBack) {
    MeasureCell* cell = CellWith(kTreble, kC);
    EventRecord* note = AddNote(cell, 0, kC5, kSharp);
    const int key = Sounds(cell, note);
    Change(cell, note);
    ExpectSpelled(note, kD5, kFlat);
    EXPECT_TRUE(note->attachment);
    EXPECT_EQ(Sounds(cell, note), key);
    Change(cell, note);
    ExpectSpelled(note, kC5, kSharp);
    EXPECT_EQ(Sounds(cell, note), key);
}

// The command is one undoable edit: undone, the note is C sharp again.
TEST_F(RespellTest, EnharmonicCommandIsOneUndoableEdit) {
    MeasureCell* cell = CellWith(kTreble, kC);
    EventRecord* note = AddNote(cell, 0, kC5, kSharp);
    const int depth = UndoDepth(doc_);
    EnharmonicChangeCommand(view_, note, cell, kVoice);
    ExpectSpelled(note, kD5, kFlat);
    EXPECT_EQ(UndoDepth(doc_), depth + 1);
    UndoCommand(doc_, view_);
    ExpectSpelled(note, kC5, kSharp);
}

// Round trips across the letters a semitone apart: E sharp and F, B sharp and C, F
// flat and E, C flat and B (C major: the naturals show no sign).
TEST_F(RespellTest, RoundTripsAcrossEFAndBC) {
    struct Case {
        int position, code, otherPosition, otherCode;
    };
    const Case cases[] = {
        {kE4, kSharp, kF4, kNone},
        {kB4, kSharp, kC5, kNone},
        {kF4, kFlat, kE4, kNone},
        {kC5, kFlat, kB4, kNone},
    };
    for (const Case& c : cases) {
        MeasureCell* cell = CellWith(kTreble, kC);
        EventRecord* note = AddNote(cell, 0, c.position, c.code);
        const int key = Sounds(cell, note);
        Change(cell, note);
        ExpectSpelled(note, c.otherPosition, c.otherCode);
        EXPECT_EQ(Sounds(cell, note), key);
        Change(cell, note);
        ExpectSpelled(note, c.position, c.code);
        EXPECT_EQ(Sounds(cell, note), key);
        FreeCellVoices(cell, doc_, 0);
    }
}

// D natural, whose neighbours are both doubles: up to E double flat, or down to C
// double sharp with the alternate cursor; extended (Ctrl), down to C double sharp.
TEST_F(RespellTest, DoubleNeighboursFollowTheChoiceAndCtrl) {
    MeasureCell* cell = CellWith(kTreble, kC);
    EventRecord* note = AddNote(cell, 0, kD5, kNone);
    Change(cell, note);
    ExpectSpelled(note, kD5 - 1, kDoubleFlat);
    SetNotePosition(*note, kD5);
    SetNoteAccidentalCode(*note, kNone);
    Change(cell, note, DoubleChoice::LowDouble);
    ExpectSpelled(note, kC5, kDoubleSharp);
    SetNotePosition(*note, kD5);
    SetNoteAccidentalCode(*note, kNone);
    State().input.StickyCtrlFlag = 1;
    Change(cell, note);
    State().input.StickyCtrlFlag = 0;
    ExpectSpelled(note, kC5, kDoubleSharp);
}

// Extended G sharp: no spelling below, so one step up to A flat; A flat extended
// goes back to the middle spelling rather than the empty one.
TEST_F(RespellTest, ExtendedGSharpGoesToAFlat) {
    MeasureCell* cell = CellWith(kTreble, kC);
    EventRecord* note = AddNote(cell, 0, kG4, kSharp);
    State().input.StickyCtrlFlag = 1;
    Change(cell, note);
    ExpectSpelled(note, kA4, kFlat);
    Change(cell, note);
    State().input.StickyCtrlFlag = 0;
    ExpectSpelled(note, kG4, kSharp);
}

// Every spelling of every step, in both modes, under two clefs: the note keeps its
// pitch, and the notes after it in the measure keep theirs.
TEST_F(RespellTest, EveryChangeKeepsEverySoundingKey) {
    for (const int clef : {kTreble, kBass})
        for (int ctrl = 0; ctrl <= 1; ++ctrl)
            for (int position = -7; position <= 0; ++position)
                for (int code = 1; code <= 5; ++code) {
                    MeasureCell* cell = CellWith(clef, kG);
                    EventRecord* note = AddNote(cell, 0, position, code);
                    EventRecord* after = AddNote(cell, 1024, position, kNone);
                    EventRecord* next = AddNote(cell, 2048, position - 1, kNone);
                    const int key = Sounds(cell, note);
                    const int afterKey = Sounds(cell, after);
                    const int nextKey = Sounds(cell, next);
                    State().input.StickyCtrlFlag = static_cast<uint8_t>(ctrl);
                    Change(cell, note);
                    State().input.StickyCtrlFlag = 0;
                    ASSERT_EQ(Sounds(cell, note), key) << position << " code " << code;
                    ASSERT_EQ(Sounds(cell, after), afterKey) << position << " code " << code;
                    ASSERT_EQ(Sounds(cell, next), nextKey) << position << " code " << code;
                    FreeCellVoices(cell, doc_, 0);
                }
}

// Explicit, then redundant dropped: the voice reads as it did, with the fewest signs.
TEST_F(RespellTest, ExplicitThenRedundantRoundTrip) {
    MeasureCell* cell = CellWith(kTreble, kG);
    EventRecord* f = AddNote(cell, 0, kF4, kNone);           // F sharp by the key
    EventRecord* c = AddNote(cell, 512, kC5, kSharp);        // C sharp
    EventRecord* cAgain = AddNote(cell, 1024, kC5, kNone);   // still C sharp
    EventRecord* fNat = AddNote(cell, 1536, kF4, kNatural);  // F natural
    MakeVoiceAccidentalsExplicit(cell, kVoice);
    EXPECT_EQ(NoteAccidentalCode(*f), kSharp);
    EXPECT_EQ(NoteAccidentalCode(*cAgain), kSharp);
    DropRedundantAccidentals(view_, cell, kVoice);
    EXPECT_EQ(NoteAccidentalCode(*f), kNone);
    EXPECT_EQ(NoteAccidentalCode(*c), kSharp);
    EXPECT_EQ(NoteAccidentalCode(*cAgain), kNone);
    EXPECT_EQ(NoteAccidentalCode(*fNat), kNatural);
    EXPECT_TRUE(c->attachment);
}

// C major to G major keeping the pitches: F natural gets a natural sign, F sharp loses
// its sharp, a later F sharp after the natural gets it back.
TEST_F(RespellTest, KeyChangeKeepingPitches) {
    MeasureCell* cell = CellWith(kTreble, kC);
    EventRecord* fNat = AddNote(cell, 0, kF4, kNone);
    EventRecord* fSharp = AddNote(cell, 1024, kF4 - 7, kSharp);
    EventRecord* fSharpAfter = AddNote(cell, 2048, kF4, kSharp);
    const int keys[] = {Sounds(cell, fNat), Sounds(cell, fSharp), Sounds(cell, fSharpAfter)};
    ParkCellPitches(Staff(1), cell);
    cell->clefKey = static_cast<uint8_t>(kTreble | kG << kKeyNibbleShift);
    RespellCellFromParkedPitches(view_, cell);
    ExpectSpelled(fNat, kF4, kNatural);
    ExpectSpelled(fSharp, kF4 - 7, kNone);
    ExpectSpelled(fSharpAfter, kF4, kSharp);
    EXPECT_EQ(Sounds(cell, fNat), keys[0]);
    EXPECT_EQ(Sounds(cell, fSharp), keys[1]);
    EXPECT_EQ(Sounds(cell, fSharpAfter), keys[2]);
}

// A key out of 0..127 (a damaged position far above the staff) is parked clamped to
// 127 and comes back as a note that sounds 127, not a wrapped byte.
TEST_F(RespellTest, ParkingClampsTheKey) {
    MeasureCell* cell = CellWith(kTreble, kC);
    EventRecord* note = AddNote(cell, 0, -60, kNone);  // far above MIDI 127
    ParkCellPitches(Staff(1), cell);
    EXPECT_EQ(NotePosition(*note), -127);
    RespellCellFromParkedPitches(view_, cell);
    EXPECT_EQ(Sounds(cell, note), 127);
}

// Random measures under random keys, parked and respelled under another key: every
// note sounds what it did.
TEST_F(RespellTest, RandomKeyChangesKeepEveryPitch) {
    std::mt19937 random(2164u);
    for (int round = 0; round < 40; ++round) {
        MeasureCell* cell = CellWith(round % 2 ? kBass : kTreble, static_cast<int>(random() % 15));
        std::vector<std::pair<EventRecord*, int>> notes;
        for (int t = 0; t < 10; ++t)
            AddNote(cell, t * 256, static_cast<int>(random() % 16) - 12,
                    static_cast<int>(random() % 6));
        for (EventRecord* n = GetVoiceFirstEvent(cell, kVoice); n != nullptr; n = NextEvent(n))
            notes.emplace_back(n, Sounds(cell, n));
        ParkCellPitches(Staff(1), cell);
        cell->clefKey = static_cast<uint8_t>(CellClef(*cell) | (random() % 15) << kKeyNibbleShift);
        RespellCellFromParkedPitches(view_, cell);
        for (const auto& [n, key] : notes) ASSERT_EQ(Sounds(cell, n), key) << "round " << round;
        FreeCellVoices(cell, doc_, 0);
    }
}

}  // namespace
}  // namespace ql::testing_pitch
