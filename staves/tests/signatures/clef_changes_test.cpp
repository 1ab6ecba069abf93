// Clef changes: redundant change objects removed and the cells' counts recounted,
// stepping the clef over an empty range, percussion changes leaving notes where they
// are, and a dropped clef change going back to the clef before it.
#include "staves/clef_changes.h"

#include "core/model/grid.h"
#include "core/memory/pool.h"
#include "core/model/signature_fields.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "platform/ui/headless.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "staves/tests/signatures/signature_fixture.h"

namespace ql::testing_signatures {
namespace {

constexpr int kMeasures = 6;
constexpr int kTreble = 0, kBass = 3, kAlto = 2, kPercussion = 5;
constexpr uint16_t kClefCountMask = 0x000F;

class ClefChangeTest : public SignatureTest {
  protected:
    void SetUp() override {
        SignatureTest::SetUp();
        BuildScore(2, kMeasures);
    }
    void ClefFrom(int staff, int measure, int clef) {
        for (int m = measure; m <= kMeasures + 4; ++m) SetClef(staff, m, clef);
    }
    int ClefCount(int staff, int measure) const { return Cell(staff, measure)->cellWord & kClefCountMask; }
};

// A change repeating the clef in force is removed, a real change stays, and the
// cell's clef count is the number left; the given clef is reported when removed.
TEST_F(ClefChangeTest, RedundantChangesAreRemoved) {
    ScoreObject* same = PlaceChange(ObjectType::Clef, 1, 2, 512, kTreble);
    ScoreObject* real = PlaceChange(ObjectType::Clef, 1, 2, 1024, kBass);
    PlaceChange(ObjectType::Clef, 1, 2, 2048, kBass);  // repeats the change before it
    Locate(1, 2);
    EXPECT_EQ(RemoveRedundantClefs(view_, same), 1);
    EXPECT_EQ(CountObjects(1, 2, ObjectType::Clef), 1);
    EXPECT_EQ(ClefCount(1, 2), 1);
    EXPECT_EQ(ClefAtTick(Cell(1, 2), 4000), kBass);
    // Nothing more to remove; the surviving change is not reported.
    EXPECT_EQ(RemoveRedundantClefs(view_, real), 0);
    EXPECT_EQ(CountObjects(1, 2, ObjectType::Clef), 1);
}

// The last measure is not searched, nor other staves.
TEST_F(ClefChangeTest, LastMeasureAndOtherStavesAreLeft) {
    PlaceChange(ObjectType::Clef, 1, kMeasures, 512, kTreble);
    PlaceChange(ObjectType::Clef, 2, 3, 512, kTreble);
    Locate(1, 1);
    EXPECT_EQ(RemoveRedundantClefs(view_, nullptr), 0);
    EXPECT_EQ(CountObjects(1, kMeasures, ObjectType::Clef), 1);
    EXPECT_EQ(CountObjects(2, 3, ObjectType::Clef), 1);
    // With one measure only the document is marked.
    doc_->header.measureCount = 1;
    const uint16_t changes = doc_->changeCounter;
    EXPECT_EQ(RemoveRedundantClefs(view_, nullptr), 0);
    EXPECT_NE(doc_->changeCounter, changes);
}

// Stepping over a range without notes changes the cells up to the next change at
// once; measure 1 takes the opening cell along.
TEST_F(ClefChangeTest, StepClefOnAnEmptyRange) {
    ClefFrom(1, 4, kBass);
    Locate(1, 1);
    ASSERT_EQ(StepClef(view_, 1), 1);
    const int stepped = SteppedClefKind(kTreble, 1);
    for (int m = 0; m <= 3; ++m) EXPECT_EQ(CellClef(*Cell(1, m)), stepped) << m;
    EXPECT_EQ(CellClef(*Cell(1, 4)), kBass);
    EXPECT_EQ(CellClef(*Cell(2, 1)), kTreble);  // other staves untouched
}

// With notes in the range the view is asked first and nothing changes.
TEST_F(ClefChangeTest, StepClefOverNotesAsksFirst) {
    AddNote(1, 2, 0, -4);
    Locate(1, 1);
    EXPECT_EQ(StepClef(view_, 1), 0);
    for (int m = 0; m <= kMeasures; ++m) EXPECT_EQ(CellClef(*Cell(1, m)), kTreble) << m;
    // Without a location nothing happens.
    Locate(3, 1);
    EXPECT_EQ(StepClef(view_, 1), 0);
}

// To or from percussion only the nibbles change: notes keep their positions.
TEST_F(ClefChangeTest, PercussionLeavesPositions) {
    EventRecord* note = AddNote(1, 2, 0, -3);
    ClefRangeChange change;
    change.staff = 1;
    change.firstMeasure = 2;
    change.endMeasure = 4;
    change.oldClef = kTreble;
    change.newClef = kPercussion;
    ASSERT_EQ(ApplyClefOverRange(view_, change), 1);
    EXPECT_EQ(NotePosition(*note), -3);
    EXPECT_EQ(CellClef(*Cell(1, 2)), kPercussion);
    EXPECT_EQ(CellClef(*Cell(1, 3)), kPercussion);
    EXPECT_EQ(CellClef(*Cell(1, 4)), kTreble);
    EXPECT_EQ(CellClef(*Cell(1, 0)), kTreble);  // not from measure 1
    // A change starting inside a measure leaves that measure's own clef.
    change.firstMeasure = 4;
    change.firstTick = 1024;
    change.endMeasure = 6;
    ASSERT_EQ(ApplyClefOverRange(view_, change), 1);
    EXPECT_EQ(CellClef(*Cell(1, 4)), kTreble);
    EXPECT_EQ(CellClef(*Cell(1, 5)), kPercussion);
}

// Clef codes above 14 and staves out of range are refused with nothing changed.
TEST_F(ClefChangeTest, BadCodesAreRefused) {
    ClefRangeChange change;
    change.newClef = 15;
    change.endMeasure = 3;
    EXPECT_EQ(ApplyClefOverRange(view_, change), 0);
    change.newClef = kAlto;
    change.staff = 3;
    EXPECT_EQ(ApplyClefOverRange(view_, change), 0);
    for (int m = 0; m <= kMeasures; ++m) EXPECT_EQ(CellClef(*Cell(1, m)), kTreble);
    ScoreObject* damaged = PlaceChange(ObjectType::Clef, 1, 2, 1024, 15);
    Locate(1, 2);
    EXPECT_EQ(InsertClefInMeasure(view_, damaged), 0);
    EXPECT_EQ(CountObjects(1, 2, ObjectType::Clef), 1);
}

// A dropped clef change: the measures after it go back to the clef before it and the
// change, now redundant, is removed.
TEST_F(ClefChangeTest, DroppedChangeGoesBackToTheClefBefore) {
    ScoreObject* change = PlaceChange(ObjectType::Clef, 1, 2, 1024, kBass);
    RecountCellClefChanges(Cell(1, 2));
    ClefFrom(1, 3, kBass);
    SetClef(1, 5, kAlto);
    Locate(1, 2);
    EXPECT_EQ(InsertClefInMeasure(view_, change), 1);
    EXPECT_EQ(CountObjects(1, 2, ObjectType::Clef), 0);
    EXPECT_EQ(ClefCount(1, 2), 0);
    EXPECT_EQ(CellClef(*Cell(1, 3)), kTreble);
    EXPECT_EQ(CellClef(*Cell(1, 4)), kTreble);
    EXPECT_EQ(CellClef(*Cell(1, 5)), kAlto);  // the next change stays
    EXPECT_EQ(CellClef(*Cell(1, 2)), kTreble);
}

// The staff element's step: codes 0..9 only, following cells with the old code
// follow; past either end a beep and nothing changes.
TEST_F(ClefChangeTest, StaffElementStepsThroughCodesZeroToNine) {
    SetClef(1, 4, kAlto);
    Locate(1, 2);
    ASSERT_EQ(StepStaffElementClef(view_, -1), 1);  // treble -> 1 (Tenor)
    EXPECT_EQ(CellClef(*Cell(1, 1)), kTreble);
    EXPECT_EQ(CellClef(*Cell(1, 2)), 1);
    EXPECT_EQ(CellClef(*Cell(1, 3)), 1);
    EXPECT_EQ(CellClef(*Cell(1, 4)), kAlto);  // had another code: the run stops
    const size_t beeps = ui::headless::Beeps().size();
    Locate(1, 1);
    EXPECT_EQ(StepStaffElementClef(view_, 1), 0);  // below 0
    EXPECT_EQ(CellClef(*Cell(1, 1)), kTreble);
    SetClef(1, 5, 10);
    Locate(1, 5);
    EXPECT_EQ(StepStaffElementClef(view_, -1), 0);  // 10 cannot go up
    EXPECT_EQ(CellClef(*Cell(1, 5)), 10);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 2);
    ASSERT_EQ(StepStaffElementClef(view_, 0), 1);  // 0 counts as 1: down to 9
    EXPECT_EQ(CellClef(*Cell(1, 5)), 9);
}

// The root drop handler hands a clef change to the clef code: the change goes, the
// staff goes back to the clef before it at the focused hit's staff and measure.
TEST_F(ClefChangeTest, DropHandlerRemovesAClefChange) {
    ASSERT_EQ(InitStaticPoolSet(), 1);
    ASSERT_NE(CreateSelectionState(), nullptr);
    ScoreObject* change = PlaceChange(ObjectType::Clef, 1, 3, 2048, kBass);
    ClefFrom(1, 4, kBass);
    HitRecord* hit = AllocHitRecord();
    ConstructHitRecordAtPoint(hit, view_, 1, {100, 100});
    hit->location.location.staff = 1;
    hit->location.location.measure = 3;
    SelectionState& s = *TheSelectionState();
    s.focusRecord = Ref32<HitRecord>::To(hit);
    Locate(2, 1);  // the view elsewhere: the hit's location counts
    EXPECT_EQ(ClassOf(change).HandleDrop(change, view_, change, hit), 1);
    EXPECT_EQ(CountObjects(1, 3, ObjectType::Clef), 0);
    for (int m = 4; m <= kMeasures; ++m) EXPECT_EQ(CellClef(*Cell(1, m)), kTreble) << m;
    s.focusRecord = Ref32<HitRecord>{};
    FreeHitRecord(hit);
    DestroySelectionState();
}

}  // namespace
}  // namespace ql::testing_signatures
