// The range a clef or key change covers: up to the next change in the cells or in a
// cell's change objects, through a given measure, or to the end; and whether notes
// stand in it.
#include "staves/change_range.h"

#include "staves/tests/signatures/signature_fixture.h"

namespace ql::testing_signatures {
namespace {

constexpr int kMeasures = 8;
constexpr int kBass = 3;
constexpr int kOneSharp = 8;

class ChangeRangeTest : public SignatureTest {
  protected:
    void SetUp() override {
        SignatureTest::SetUp();
        BuildScore(2, kMeasures);
    }
    ChangeRange Clef(ChangeRangeMode mode, int measure, int tick, int end = 0) {
        return ComputeChangeRange(doc_, ChangeWhat::Clef, mode, 1, measure, tick, end);
    }
};

// Up to the first change: a later cell whose clef differs ends the range there.
TEST_F(ChangeRangeTest, UpToTheNextCellChange) {
    for (int m = 5; m <= kMeasures + 4; ++m) SetClef(1, m, kBass);
    const ChangeRange range = Clef(ChangeRangeMode::UpToChange, 2, 0);
    EXPECT_EQ(range.end, 5);
    EXPECT_EQ(range.endTick, 0);
    EXPECT_EQ(range.notes, 0);
    EXPECT_EQ(range.last, 2);  // no notes: the start
    // No change at all: past the end of the piece.
    EXPECT_EQ(ComputeChangeRange(doc_, ChangeWhat::Clef, ChangeRangeMode::UpToChange, 2, 1, 0, 0).end,
              kMeasures + 5);
}

// A change object ends the range at its measure and tick: in the start measure only
// one after the start tick, in later measures the earliest; an object repeating the
// value in force does not.
TEST_F(ChangeRangeTest, ChangeObjectsEndTheRange) {
    PlaceChange(ObjectType::Clef, 1, 3, 1024, kBass);
    PlaceChange(ObjectType::Clef, 1, 3, 512, 0);  // repeats treble: ignored
    const ChangeRange range = Clef(ChangeRangeMode::UpToChange, 1, 0);
    EXPECT_EQ(range.end, 3);
    EXPECT_EQ(range.endTick, 1024);
    // Starting after the object in its own measure: the walk goes on past it.
    const ChangeRange after = Clef(ChangeRangeMode::UpToChange, 3, 2048);
    EXPECT_EQ(after.end, 4);  // measure 4's cell is treble, the clef in force is bass
    // Key objects end a key range; clef objects do not.
    PlaceChange(ObjectType::KeySignature, 1, 6, 256, kOneSharp);
    const ChangeRange key = ComputeChangeRange(doc_, ChangeWhat::Key, ChangeRangeMode::UpToChange, 1,
                                               1, 0, 0);
    EXPECT_EQ(key.end, 6);
    EXPECT_EQ(key.endTick, 256);
}

// Through a measure, and to the end: the notes of every measure walked count.
TEST_F(ChangeRangeTest, ThroughAndToEndCountNotes) {
    AddNote(1, 3, 0, -4);
    AddNote(1, 6, 1024, -2);
    const ChangeRange through = Clef(ChangeRangeMode::Through, 2, 0, 5);
    EXPECT_EQ(through.end, 5);
    EXPECT_EQ(through.notes, -1);
    EXPECT_EQ(through.last, 4);
    const ChangeRange toEnd = Clef(ChangeRangeMode::ToEnd, 2, 0);
    EXPECT_EQ(toEnd.end, kMeasures + 5);
    EXPECT_EQ(toEnd.last, 7);
    // A range that ends before the notes holds none.
    EXPECT_EQ(Clef(ChangeRangeMode::Through, 4, 0, 6).notes, 0);
    // Notes on another staff do not count.
    EXPECT_EQ(ComputeChangeRange(doc_, ChangeWhat::Clef, ChangeRangeMode::ToEnd, 2, 1, 0, 0).notes, 0);
}

// A start past the score's end: nothing walked.
TEST_F(ChangeRangeTest, StartPastTheEnd) {
    const ChangeRange range = Clef(ChangeRangeMode::ToEnd, kMeasures + 3, 0);
    EXPECT_EQ(range.notes, 0);
    EXPECT_EQ(range.end, kMeasures + 5);
    EXPECT_EQ(range.last, kMeasures + 3);
    EXPECT_EQ(ComputeChangeRange(nullptr, ChangeWhat::Key, ChangeRangeMode::ToEnd, 1, 1, 0, 0).end, 0);
}

}  // namespace
}  // namespace ql::testing_signatures
