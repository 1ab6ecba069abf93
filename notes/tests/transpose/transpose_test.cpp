// Transposition of ranges of one staff: by key (degree for degree), by semitones
// (spelled afresh), by whole measures and for a block of staves. The guard of every
// test is what the notes sound afterwards, read back through the accidental walk of
// the cell (ComputeNoteKeyInCell), against what they sounded before plus the interval.
#include "notes/transpose/transpose.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/undo/undo.h"
#include "notes/pitch/accidental_state.h"
#include "notes/pitch/pitch.h"
#include "notes/pitch/spelling.h"
#include "notes/tests/pitch/pitch_fixture.h"
#include "notes/transpose/transpose_tables.h"
#include "objects/chord/chord_symbol.h"
#include "platform/ui/headless.h"

namespace ql::testing_pitch {
namespace {

constexpr int kTreble = CodeOf(ClefKind::Treble);
constexpr int kBass = CodeOf(ClefKind::Bass);
constexpr int kAlto = CodeOf(ClefKind::Alto);
constexpr int kC = CodeOf(KeyCode::C);
constexpr int kD = CodeOf(KeyCode::D);
constexpr int kF = CodeOf(KeyCode::F);
constexpr int kG = CodeOf(KeyCode::G);
constexpr int kNone = CodeOf(AccidentalCode::None);
constexpr int kSharp = CodeOf(AccidentalCode::Sharp);
constexpr int kDoubleSharp = CodeOf(AccidentalCode::DoubleSharp);
constexpr int kFlat = CodeOf(AccidentalCode::Flat);
constexpr int kDoubleFlat = CodeOf(AccidentalCode::DoubleFlat);
constexpr int kVoice = 0;
// Treble positions: E4 is the bottom line, one step per position, negative upwards.
constexpr int kE4 = 0;
constexpr int kF4 = -1;
constexpr int kG4 = -2;
constexpr int kB4 = -4;
constexpr int kC5 = -5;
constexpr int kD5 = -6;

class TransposeTest : public PitchScoreTest {
  protected:
    struct Sounding {
        EventRecord* note;
        MeasureCell* cell;
        int key;
    };
    // What every note of voice 0 of measures 1..last sounds now.
    std::vector<Sounding> SoundingNotes(int lastMeasure) {
        std::vector<Sounding> notes;
        for (int m = 1; m <= lastMeasure; ++m) {
            MeasureCell* cell = GetOrCreateMeasureCell(Staff(1), doc_, m);
            for (EventRecord* n = GetVoiceFirstEvent(cell, kVoice); n != nullptr; n = NextEvent(n))
                notes.push_back({n, cell, ComputeNoteKeyInCell(Staff(1), cell, *n, kVoice)});
        }
        return notes;
    }
    // Every note sounds what it sounded plus `shift`.
    void ExpectShiftedBy(const std::vector<Sounding>& before, int shift) {
        for (const Sounding& s : before)
            ASSERT_EQ(ComputeNoteKeyInCell(Staff(1), s.cell, *s.note, kVoice), s.key + shift)
                << "measure note at time " << s.note->time << " position "
                << int(NotePosition(*s.note)) << " code " << NoteAccidentalCode(*s.note);
    }
    TransposeRequest Range(int first, int last) {
        TransposeRequest request;
        request.staff = 1;
        request.firstMeasure = first;
        request.lastMeasure = last + 1;  // up to tick 0 of the next measure
        return request;
    }
};

// Degrees from C major to D major, upwards: E becomes F sharp through the key
// signature (no sign), F becomes G, and F sharp becomes G sharp with a sharp sign.
TEST_F(TransposeTest, CToDByDegreesSpellsThroughTheNewKey) {
    MeasureCell* cell = CellWith(kTreble, kC);
    EventRecord* e = AddNote(cell, 0, kE4, kNone);
    EventRecord* f = AddNote(cell, 1024, kF4, kNone);
    EventRecord* fSharp = AddNote(cell, 2048, kF4, kSharp);
    const auto before = SoundingNotes(1);
    TransposeRequest request = Range(1, 1);
    request.newKey = kD;
    request.direction = TransposeDirection::Up;
    const TransposeOutcome outcome = TransposeBySemitones(view_, request);
    EXPECT_FALSE(outcome.refused);
    EXPECT_EQ(outcome.notesMoved, 3);
    EXPECT_EQ(CellKey(*cell), kD);
    EXPECT_EQ(NotePosition(*e), kF4);
    EXPECT_EQ(NoteAccidentalCode(*e), kNone);
    EXPECT_EQ(NotePosition(*f), kG4);
    EXPECT_EQ(NoteAccidentalCode(*f), kNone);
    EXPECT_EQ(NotePosition(*fSharp), kG4);
    EXPECT_EQ(NoteAccidentalCode(*fSharp), kSharp);
    EXPECT_TRUE(fSharp->attachment);
    ExpectShiftedBy(before, 2);
}

// C major to F major downwards with one extra semitone: the key interval is -7, so
// every note moves by -6.
TEST_F(TransposeTest, CToFDownPlusOneMovesEveryNoteBySixDown) {
    MeasureCell* cell = CellWith(kTreble, kC);
    AddNote(cell, 0, kE4, kNone);
    AddNote(cell, 512, kG4, kSharp);
    AddNote(cell, 1024, kB4, kFlat);
    AddNote(cell, 1536, kB4, kNone);  // B flat still in force
    AddNote(cell, 2048, kD5, kDoubleSharp);
    const auto before = SoundingNotes(1);
    TransposeRequest request = Range(1, 1);
    request.newKey = kF;
    request.direction = TransposeDirection::Down;
    request.semitones = 1;
    EXPECT_FALSE(TransposeBySemitones(view_, request).refused);
    EXPECT_EQ(CellKey(*cell), kF);
    ExpectShiftedBy(before, -6);
}

// Wrapping along the circle of fifths: G-sharp major (14 + 1) is A-flat major,
// F-flat major (0 - 1) is E major; keys inside the table are left alone.
TEST(TransposeKeys, WrapTransposedKey) {
    EXPECT_EQ(WrapTransposedKey(14, 1), 3);
    EXPECT_EQ(WrapTransposedKey(0, -1), 11);
    EXPECT_EQ(WrapTransposedKey(7, 2), 9);
    EXPECT_EQ(WrapTransposedKey(7, -7), 0);
    EXPECT_EQ(WrapTransposedKey(7, 7), 14);
    // Far outside, still inside the table.
    for (int key = 0; key < kKeyCodeCount; ++key)
        for (int sharps = -30; sharps <= 30; ++sharps) {
            const int wrapped = WrapTransposedKey(key, sharps);
            ASSERT_TRUE(IsValidKey(wrapped)) << key << " + " << sharps;
            ASSERT_EQ(((wrapped - key - sharps) % 12 + 12) % 12, 0);
        }
}

// Chord roots along the line of fifths: C in C major to E-flat major is E flat; F
// sharp from C major to D-flat major becomes G; bad letters are returned as they are.
TEST(TransposeKeys, ChordRoots) {
    const ChordRoot eFlat = TransposeChordRoot(kC, CodeOf(KeyCode::EFlat), {0, kChordRootNatural});
    EXPECT_EQ(eFlat.letter, 2);
    EXPECT_EQ(eFlat.accidental, kChordRootFlat);
    const ChordRoot g = TransposeChordRoot(kC, CodeOf(KeyCode::DFlat), {3, kChordRootSharp});
    EXPECT_EQ(g.letter, 4);
    EXPECT_EQ(g.accidental, kChordRootNatural);
    // B from C to G major: F sharp.
    const ChordRoot fSharp = TransposeChordRoot(kC, kG, {6, kChordRootNatural});
    EXPECT_EQ(fSharp.letter, 3);
    EXPECT_EQ(fSharp.accidental, kChordRootSharp);
    // A root that is not a letter stays.
    const ChordRoot bad = TransposeChordRoot(kC, kG, {9, 7});
    EXPECT_EQ(bad.letter, 9);
    EXPECT_EQ(bad.accidental, 7);
    // Every root and every key change: the result is a letter with at most one sign
    // and sounds the root moved by the keys' tonic interval.
    constexpr int kPitchOfLetter[7] = {0, 2, 4, 5, 7, 9, 11};
    for (int from = 0; from < kKeyCodeCount; ++from)
        for (int to = 0; to < kKeyCodeCount; ++to)
            for (int letter = 0; letter < 7; ++letter)
                for (int acc = 0; acc <= 2; ++acc) {
                    const ChordRoot r = TransposeChordRoot(from, to, {letter, acc});
                    ASSERT_GE(r.letter, 0);
                    ASSERT_LT(r.letter, 7);
                    const auto pc = [&](ChordRoot x) {
                        const int alt = x.accidental == 1 ? 1 : x.accidental == 2 ? -1 : 0;
                        return (kPitchOfLetter[x.letter] + alt + 12) % 12;
                    };
                    ASSERT_EQ((pc(r) - pc({letter, acc}) - 7 * (to - from)) % 12 == 0 ? 0 : 1, 0)
                        << from << "->" << to << " letter " << letter << " acc " << acc;
                }
}

// Twelve semitones with the key kept: an octave up, every accidental as it was.
// A note moved by degree keeps its alteration relative to the key: wherever the
// respelling corrects no step, the new code sounds the old relative alteration on top of
// what the new key does to the new step. Codes 6 and 7 sound as the key says, as 0 does.
TEST(TransposeKeys, DegreeRespellingKeepsTheAlterationRelativeToTheKey) {
    int uncorrected = 0;
    for (int from = -1; from <= 1; ++from)
        for (int code = 0; code <= kLastAccidentalCode; ++code)
            for (int to = -1; to <= 1; ++to) {
                const DegreeRespelling moved = RespellDegree(from, code, to);
                const int relative = pitch_detail::AlterationOfCode(code, from) - from;
                if (moved.cell.stepCorrection != 0) continue;
                ++uncorrected;
                EXPECT_EQ(moved.alteration, to + relative)
                    << "key " << from << " code " << code << " new key " << to;
                EXPECT_EQ(pitch_detail::AlterationOfCode(moved.cell.code, to), moved.alteration);
            }
    EXPECT_GT(uncorrected, 40);
    for (int stored : {6, 7})
        for (int to = -1; to <= 1; ++to) {
            EXPECT_EQ(RespellDegree(1, stored, to).cell.code, 0);
            EXPECT_EQ(RespellDegree(1, stored, to).alteration, to);
        }
}

TEST_F(TransposeTest, OctaveKeepsKeyAndAccidentals) {
    MeasureCell* cell = CellWith(kTreble, kG);
    EventRecord* f = AddNote(cell, 0, kF4, kNone);  // F sharp from the key
    EventRecord* fNat = AddNote(cell, 1024, kF4, CodeOf(AccidentalCode::Natural));
    EventRecord* bFlat = AddNote(cell, 2048, kB4, kFlat);
    const auto before = SoundingNotes(1);
    TransposeRequest request = Range(1, 1);
    request.semitones = 12;
    request.direction = TransposeDirection::Up;
    EXPECT_FALSE(TransposeBySemitones(view_, request).refused);
    EXPECT_EQ(CellKey(*cell), kG);
    EXPECT_EQ(NotePosition(*f), kF4 - 7);
    EXPECT_EQ(NoteAccidentalCode(*f), kNone);
    EXPECT_EQ(NotePosition(*fNat), kF4 - 7);
    EXPECT_EQ(NoteAccidentalCode(*fNat), CodeOf(AccidentalCode::Natural));
    EXPECT_EQ(NotePosition(*bFlat), kB4 - 7);
    EXPECT_EQ(NoteAccidentalCode(*bFlat), kFlat);
    ExpectShiftedBy(before, 12);
}

// Direction 0: equal keys and no semitones move nothing; up and down move an octave.
// With a key change and no direction, the smaller way is taken (C to G: down a
// fourth; C to F sharp: the tritone, up on the tie).
TEST_F(TransposeTest, DirectionNoneMovesByTheSmallerWay) {
    MeasureCell* cell = CellWith(kTreble, kC);
    AddNote(cell, 0, kG4, kNone);
    AddNote(cell, 1024, kC5, kSharp);
    struct Case {
        TransposeDirection direction;
        int newKey;
        int shift;
    };
    const Case cases[] = {
        {TransposeDirection::None, kKeepClefOrKey, 0},
        {TransposeDirection::Up, kKeepClefOrKey, 12},
        {TransposeDirection::Down, kKeepClefOrKey, -12},
        {TransposeDirection::None, kG, -5},
        {TransposeDirection::None, CodeOf(KeyCode::FSharp), 6},
    };
    for (const Case& c : cases) {
        cell->clefKey = static_cast<uint8_t>(kTreble | kC << kKeyNibbleShift);
        const auto before = SoundingNotes(1);
        TransposeRequest request = Range(1, 1);
        request.direction = c.direction;
        request.newKey = c.newKey;
        EXPECT_FALSE(TransposeBySemitones(view_, request).refused);
        ExpectShiftedBy(before, c.shift);
        // The notes moved back, in C major, for the next case.
        if (c.shift != 0) TransposeMeasures(view_, 0xF, 1, 1, 1, -c.shift);
        cell->clefKey = static_cast<uint8_t>(kTreble | kC << kKeyNibbleShift);
    }
}

// The step correction of the respelling table: +1 is one letter higher. F major,
// B double sharp (relative +3 to the key's B flat) up to G major lands on D sharp.
TEST_F(TransposeTest, StepCorrectionGoesOneLetterHigher) {
    MeasureCell* cell = CellWith(kTreble, kF);
    EventRecord* note = AddNote(cell, 0, kB4, kDoubleSharp);
    const auto before = SoundingNotes(1);
    TransposeRequest request = Range(1, 1);
    request.newKey = kG;
    request.direction = TransposeDirection::Up;
    TransposeBySemitones(view_, request);
    EXPECT_EQ(NotePosition(*note), kD5);
    EXPECT_EQ(NoteAccidentalCode(*note), kSharp);
    ExpectShiftedBy(before, 2);
}

// Where the table's whole tone is a semitone (B-C, E-F) the note is spelled from the
// key it should sound: G major, F double flat (relative -3) up to D major would be
// B natural by the table, a semitone off; it sounds B flat.
TEST_F(TransposeTest, HalfStepLettersAreCheckedAgainstTheKey) {
    MeasureCell* cell = CellWith(kTreble, kG);
    EventRecord* note = AddNote(cell, 0, kF4, kDoubleFlat);
    AddNote(cell, 1024, kE4, kSharp);  // E sharp up a fifth: B sharp
    const auto before = SoundingNotes(1);
    TransposeRequest request = Range(1, 1);
    request.newKey = kD;
    request.direction = TransposeDirection::Up;
    TransposeBySemitones(view_, request);
    // Not the table's B natural.
    EXPECT_FALSE(NotePosition(*note) == kB4 &&
                 NoteAccidentalCode(*note) == CodeOf(AccidentalCode::Natural));
    ExpectShiftedBy(before, 7);
}

// A last tick of 0 leaves the last measure alone; a first tick skips earlier notes.
TEST_F(TransposeTest, RangeTicksBoundTheWalk) {
    MeasureCell* first = CellWith(kTreble, kC, 1);
    MeasureCell* last = CellWith(kTreble, kC, 2);
    EventRecord* early = AddNote(first, 0, kG4, kNone);
    EventRecord* late = AddNote(first, 2048, kG4, kNone);
    EventRecord* untouched = AddNote(last, 0, kG4, kNone);
    TransposeRequest request;
    request.firstMeasure = 1;
    request.firstTick = 1024;
    request.lastMeasure = 2;
    request.lastTick = 0;
    request.semitones = 2;
    request.direction = TransposeDirection::Up;
    TransposeBySemitones(view_, request);
    EXPECT_EQ(NotePosition(*early), kG4);
    EXPECT_EQ(NotePosition(*late), kG4 - 1);
    EXPECT_EQ(NotePosition(*untouched), kG4);
    // The first cell starts before the range: its key stays.
    EXPECT_EQ(CellKey(*first), kC);
}

// A new clef with the notes following it keeps every pitch; without, the notes keep
// their lines.
TEST_F(TransposeTest, NewClefTransposeKeepsPitchesKeepLeavesLines) {
    MeasureCell* cell = CellWith(kTreble, kC);
    EventRecord* note = AddNote(cell, 0, kG4, kSharp);
    const auto before = SoundingNotes(1);
    TransposeRequest request = Range(1, 1);
    request.newClef = kAlto;
    request.clefMode = TransposeClefMode::Transpose;
    TransposeBySemitones(view_, request);
    EXPECT_EQ(CellClef(*cell), kAlto);
    ExpectShiftedBy(before, 0);
    request.newClef = kBass;
    request.clefMode = TransposeClefMode::Keep;
    const int position = NotePosition(*note);
    TransposeBySemitones(view_, request);
    EXPECT_EQ(CellClef(*cell), kBass);
    EXPECT_EQ(NotePosition(*note), position);
}

// A note that would leave MIDI 0..127 moves by the nearest octave that stays inside,
// and the run is reported once.
TEST_F(TransposeTest, OutOfRangeNotesFoldByOctavesReportedOnce) {
    MeasureCell* cell = CellWith(kTreble, kC);
    EventRecord* high = AddNote(cell, 0, -33, kNone);       // C9 (120)
    EventRecord* higher = AddNote(cell, 1024, -34, kNone);  // D9 (122)
    EventRecord* low = AddNote(cell, 2048, kG4, kNone);
    const int highKey = ComputeNoteKeyInCell(Staff(1), cell, *high, kVoice);
    const int higherKey = ComputeNoteKeyInCell(Staff(1), cell, *higher, kVoice);
    const int lowKey = ComputeNoteKeyInCell(Staff(1), cell, *low, kVoice);
    ui::headless::ResetUi();
    TransposeRequest request = Range(1, 1);
    request.semitones = 14;
    request.direction = TransposeDirection::Up;
    const TransposeOutcome outcome = TransposeBySemitones(view_, request);
    EXPECT_EQ(outcome.notesFolded, 2);
    EXPECT_EQ(ComputeNoteKeyInCell(Staff(1), cell, *high, kVoice), highKey + 2);
    EXPECT_EQ(ComputeNoteKeyInCell(Staff(1), cell, *higher, kVoice), higherKey + 2);
    EXPECT_EQ(ComputeNoteKeyInCell(Staff(1), cell, *low, kVoice), lowKey + 14);
    // One notice: one exclamation beep for the two notes.
    EXPECT_EQ(ui::headless::Beeps().size(), 1u);
    ASSERT_FALSE(ui::headless::Beeps().empty());
    EXPECT_EQ(ui::headless::Beeps()[0], ui::BeepKind::Exclamation);
    EXPECT_EQ(highKey, 120);
    EXPECT_EQ(higherKey, 122);
}

// Arguments outside the tables are refused with a beep and change nothing.
TEST_F(TransposeTest, BadArgumentsAreRefusedWithABeep) {
    MeasureCell* cell = CellWith(kTreble, kC);
    EventRecord* note = AddNote(cell, 0, kG4, kNone);
    ui::headless::ResetUi();
    TransposeRequest request = Range(1, 1);
    request.semitones = 200;
    EXPECT_TRUE(TransposeBySemitones(view_, request).refused);
    request.semitones = 2;
    request.newKey = 15;
    EXPECT_TRUE(TransposeBySemitones(view_, request).refused);
    request.newKey = kKeepClefOrKey;
    request.newClef = 40;
    EXPECT_TRUE(TransposeBySemitones(view_, request).refused);
    request.newClef = kKeepClefOrKey;
    request.staff = 99;
    EXPECT_TRUE(TransposeBySemitones(view_, request).refused);
    // An octave shift by key that is not whole octaves.
    request.staff = 1;
    request.semitones = 5;
    EXPECT_TRUE(TransposeByKey(view_, request).refused);
    EXPECT_TRUE(TransposeSelection(view_, MeasureBlock{1, 1, 1, 1}, 300).refused);
    EXPECT_EQ(ui::headless::Beeps().size(), 6u);
    EXPECT_EQ(NotePosition(*note), kG4);
    EXPECT_EQ(CellKey(*cell), kC);
}

// Over a whole score of random notes, clefs, keys and accidentals, every
// transposition moves every note by the interval it was asked for.
TEST_F(TransposeTest, SoundingPitchInvariantOverAScore) {
    std::mt19937 random(19u);
    constexpr int kMeasures = 8;
    const int keys[] = {kC, kG, kD, kF, CodeOf(KeyCode::BFlat), CodeOf(KeyCode::E)};
    for (int m = 1; m <= kMeasures; ++m) {
        MeasureCell* cell = CellWith(m % 3 == 0 ? kBass : kTreble, keys[m % 6], m);
        for (int t = 0; t < 8; ++t)
            AddNote(cell, t * 512, static_cast<int>(random() % 15) - 10,
                    static_cast<int>(random() % 6));
    }
    for (int round = 0; round < 24; ++round) {
        const auto before = SoundingNotes(kMeasures);
        TransposeRequest request = Range(1, kMeasures);
        const int oldKey = CellKey(*GetOrCreateMeasureCell(Staff(1), doc_, 1));
        request.direction = random() % 2 ? TransposeDirection::Up : TransposeDirection::Down;
        request.semitones = static_cast<int>(random() % 7) - 3;
        request.newKey = random() % 2 ? kKeepClefOrKey : static_cast<int>(random() % 15);
        const int newKey = request.newKey < 0 ? oldKey : request.newKey;
        // The interval between the keys' tonics in the direction asked for: a fifth
        // per sharp, within an octave (the same tonic a whole octave away up or down).
        const int d = newKey - oldKey;
        int x = (d < 0 ? -d : d) * 7;
        if (x > 12) x -= 12 * ((x - 1) / 12);
        const int up = d == 0 ? 0 : d > 0 ? x : 12 - x;
        const int interval = request.direction == TransposeDirection::Up || d == 0 ? up : up - 12;
        int shift = interval + request.semitones;
        if (request.semitones == 0 && newKey == oldKey)
            shift = request.direction == TransposeDirection::Up ? 12 : -12;
        const TransposeOutcome outcome = TransposeBySemitones(view_, request);
        ASSERT_FALSE(outcome.refused);
        if (outcome.notesFolded != 0) continue;
        SCOPED_TRACE(::testing::Message() << "round " << round << " keys " << oldKey << "->"
                                          << newKey << " shift " << shift);
        ExpectShiftedBy(before, shift);
    }
}

// With the chord-symbol choice, a transposition by key moves the cell's chord symbols
// with it (root and bass) and rebuilds their diagram; without it they stay.
TEST_F(TransposeTest, ChordSymbolsFollowTheKeyWhenAsked) {
    MeasureCell* cell = CellWith(kTreble, kC);
    AddNote(cell, 0, kG4, kNone);
    auto* chord = AsChordSymbol(static_cast<ScoreObject*>(AllocRecord(kLargeObjectPool)));
    ASSERT_NE(chord, nullptr);
    ConstructChordSymbol(&chord->text.header);
    chord->chord.root = 0;  // C
    chord->chord.bass = 4;  // over G
    chord->chord.rootAccidental = 0;
    chord->chord.bassAccidental = kChordRootNatural;
    ScoreObject* list = GetOrCreateCellObjectList(cell);
    InsertObjectAfter(list, &chord->text.header);
    TransposeRequest request = Range(1, 1);
    request.newKey = kD;
    request.direction = TransposeDirection::Up;
    TransposeBySemitones(view_, request);
    EXPECT_EQ(chord->chord.root, 0);  // not asked: still C
    cell->clefKey = static_cast<uint8_t>(kTreble | kC << kKeyNibbleShift);
    request.chordSymbols = true;
    TransposeBySemitones(view_, request);
    EXPECT_EQ(chord->chord.root, 1);  // D
    EXPECT_EQ(chord->chord.rootAccidental, kChordRootNatural);
    EXPECT_EQ(chord->chord.bass, 5);  // over A
    // The diagram of a D chord of quality 0: 16 characters per semitone from 60.
    EXPECT_EQ(chord->text.body.string, 60 + 16 * 2);
    // A chromatic step of one semitone spells up a fifth's worth of sharps: D to E flat.
    TransposeRequest chromatic = Range(1, 1);
    chromatic.semitones = 1;
    chromatic.direction = TransposeDirection::Up;
    chromatic.chordSymbols = true;
    TransposeBySemitones(view_, chromatic);
    EXPECT_EQ(chord->chord.root, 2);
    EXPECT_EQ(chord->chord.rootAccidental, kChordRootFlat);
    EXPECT_EQ(chord->text.body.string, 60 + 16 * 3);
}

// The marquee block: one undoable edit over every staff of the block, undone whole.
TEST_F(TransposeTest, SelectionIsOneUndoableEdit) {
    MeasureCell* cell = CellWith(kTreble, kC);
    EventRecord* note = AddNote(cell, 0, kG4, kNone);
    const int depth = UndoDepth(doc_);
    const TransposeOutcome outcome = TransposeSelection(view_, MeasureBlock{1, 2, 1, 1}, 2);
    EXPECT_EQ(outcome.notesMoved, 1);
    EXPECT_EQ(NotePosition(*note), kG4 - 1);
    EXPECT_EQ(UndoDepth(doc_), depth + 1);
}

// A voice whose last event links back to its first (a damaged file): each note is
// transposed once, and the walk ends.
TEST_F(TransposeTest, ALoopingVoiceMovesEachNoteOnce) {
    MeasureCell* cell = CellWith(kTreble, kC);
    EventRecord* first = AddNote(cell, 0, kG4, kNone);
    EventRecord* second = AddNote(cell, 1024, kB4, kNone);
    ASSERT_EQ(NextEvent(first), second);
    second->next = HandleOfEvent(first);
    TransposeRequest request = Range(1, 1);
    request.semitones = 2;
    request.direction = TransposeDirection::Up;
    const TransposeOutcome outcome = TransposeBySemitones(view_, request);
    EXPECT_EQ(outcome.notesMoved, 2);
    EXPECT_EQ(NotePosition(*first), kG4 - 1);
    EXPECT_EQ(NoteAccidentalCode(*first), kNone);
    EXPECT_EQ(NotePosition(*second), kC5);
    EXPECT_EQ(NoteAccidentalCode(*second), kSharp);
}

}  // namespace
}  // namespace ql::testing_pitch
