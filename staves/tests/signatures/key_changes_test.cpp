// Key changes over a range: the cells' key nibbles (and the opening cell from measure
// 1), keeping the notes' pitches by spelling them for the new key, stepping the key
// within its codes, and bad codes refused.
#include "staves/key_changes.h"

#include "core/model/document.h"
#include "notes/pitch/accidental_state.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "staves/tests/signatures/signature_fixture.h"

namespace ql::testing_signatures {
namespace {

constexpr int kMeasures = 6;
constexpr int kOneSharp = 8, kTwoSharps = 9, kSevenSharps = 14, kOneFlat = 6;

class KeyChangeTest : public SignatureTest {
  protected:
    void SetUp() override {
        SignatureTest::SetUp();
        BuildScore(2, kMeasures);
    }
    KeyRangeChange Range(int first, int end, int key) {
        KeyRangeChange change;
        change.staff = 1;
        change.firstMeasure = first;
        change.endMeasure = end;
        change.key = key;
        return change;
    }
    int Sounding(int measure, const EventRecord* note) {
        return ComputeNoteKeyInCell(StaffRecordOf(doc_, 1), Cell(1, measure), *note, 0);
    }
};

// Without transposing, the key nibbles of [first, end) change; measure 1 takes the
// opening cell along; the clef nibbles stay.
TEST_F(KeyChangeTest, NibblesOfTheRange) {
    SetClef(1, 2, 3);
    ASSERT_EQ(SetMeasureKey(view_, Range(2, 4, kTwoSharps)), 1);
    EXPECT_EQ(CellKey(*Cell(1, 1)), kKeyC);
    EXPECT_EQ(CellKey(*Cell(1, 2)), kTwoSharps);
    EXPECT_EQ(CellKey(*Cell(1, 3)), kTwoSharps);
    EXPECT_EQ(CellKey(*Cell(1, 4)), kKeyC);
    EXPECT_EQ(CellClef(*Cell(1, 2)), 3);
    EXPECT_EQ(CellKey(*Cell(1, 0)), kKeyC);
    ASSERT_EQ(SetMeasureKey(view_, Range(1, 2, kOneFlat)), 1);
    EXPECT_EQ(CellKey(*Cell(1, 0)), kOneFlat);
    EXPECT_EQ(CellKey(*Cell(2, 1)), kKeyC);  // other staves untouched
}

// A key code above 14, or a staff out of range, is refused with every cell as it was.
TEST_F(KeyChangeTest, BadCodesAreRefused) {
    EXPECT_EQ(SetMeasureKey(view_, Range(1, 3, 15)), 0);
    KeyRangeChange other = Range(1, 3, kOneSharp);
    other.staff = 3;
    EXPECT_EQ(SetMeasureKey(view_, other), 0);
    for (int m = 0; m <= kMeasures; ++m) EXPECT_EQ(CellKey(*Cell(1, m)), kKeyC) << m;
}

// Keeping pitches: every note sounds as before under the new key; an F (no
// accidental) in C becomes an F with a natural in G, an F sharp written with its
// sharp stays an F sharp without one.
TEST_F(KeyChangeTest, KeepPitchesRespellsForTheNewKey) {
    EventRecord* f = AddNote(1, 2, 0, -1);  // F on the first space
    EventRecord* fSharp = AddNote(1, 2, 1024, -8);
    SetNoteAccidentalCode(*fSharp, CodeOf(AccidentalCode::Sharp));
    EventRecord* b = AddNote(1, 2, 2048, -4);
    const int before[] = {Sounding(2, f), Sounding(2, fSharp), Sounding(2, b)};
    KeyRangeChange change = Range(2, 3, kOneSharp);
    change.keepPitches = true;
    ASSERT_EQ(SetMeasureKey(view_, change), 1);
    EXPECT_EQ(CellKey(*Cell(1, 2)), kOneSharp);
    EXPECT_EQ(Sounding(2, f), before[0]);
    EXPECT_EQ(Sounding(2, fSharp), before[1]);
    EXPECT_EQ(Sounding(2, b), before[2]);
    EXPECT_EQ(NoteAccidentalCode(*f), CodeOf(AccidentalCode::Natural));
}

// Without keeping pitches the notes are left as written (they now read in the new key).
TEST_F(KeyChangeTest, WithoutKeepingPitchesNotesStayAsWritten) {
    EventRecord* f = AddNote(1, 2, 0, -1);
    const int before = Sounding(2, f);
    ASSERT_EQ(SetMeasureKey(view_, Range(2, 3, kOneSharp)), 1);
    EXPECT_EQ(NotePosition(*f), -1);
    EXPECT_EQ(NoteAccidentalCode(*f), CodeOf(AccidentalCode::None));
    EXPECT_EQ(Sounding(2, f), before + 1);
}

// Stepping: one code toward the sharps up to the next change; nothing past 14 or
// below 0, nothing over notes (the view is asked instead).
TEST_F(KeyChangeTest, StepKeyWithinTheCodes) {
    for (int m = 4; m <= kMeasures + 4; ++m) SetKey(1, m, kOneFlat);
    Locate(1, 2);
    ASSERT_EQ(StepKey(view_, 1), 1);
    EXPECT_EQ(CellKey(*Cell(1, 2)), kOneSharp);
    EXPECT_EQ(CellKey(*Cell(1, 3)), kOneSharp);
    EXPECT_EQ(CellKey(*Cell(1, 4)), kOneFlat);
    EXPECT_EQ(CellKey(*Cell(1, 1)), kKeyC);
    for (int m = 2; m <= 3; ++m) SetKey(1, m, kSevenSharps);
    EXPECT_EQ(StepKey(view_, 1), 0);
    EXPECT_EQ(CellKey(*Cell(1, 2)), kSevenSharps);
    ASSERT_EQ(StepKey(view_, -1), 1);
    EXPECT_EQ(CellKey(*Cell(1, 2)), kSevenSharps - 1);
    AddNote(1, 3, 0, -2);
    EXPECT_EQ(StepKey(view_, -1), 0);
    EXPECT_EQ(CellKey(*Cell(1, 2)), kSevenSharps - 1);
}

}  // namespace
}  // namespace ql::testing_signatures
