// Cross-staff notes brought into their own staff for a rewrite and taken back out:
// the round trip between different clefs, which notes count, and the enharmonic
// change of a note drawn on the staff below.
#include "notes/respell/cross_staff_notes.h"

#include <gtest/gtest.h>

#include "core/model/event_record.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "notes/drawing/note_fields.h"
#include "notes/pitch/pitch.h"
#include "notes/respell/respell.h"
#include "notes/tests/pitch/pitch_fixture.h"

namespace ql::testing_pitch {
namespace {

constexpr int kTreble = CodeOf(ClefKind::Treble);
constexpr int kBass = CodeOf(ClefKind::Bass);
constexpr int kC = CodeOf(KeyCode::C);
constexpr int kNone = CodeOf(AccidentalCode::None);
constexpr int kSharp = CodeOf(AccidentalCode::Sharp);
constexpr int kFlat = CodeOf(AccidentalCode::Flat);
constexpr int kVoice = 0;
constexpr int kC5 = -5;  // treble positions
constexpr int kD5 = -6;

class CrossStaffTest : public PitchScoreTest {
  protected:
    void SetUp() override {
        PitchScoreTest::SetUp();
        ASSERT_GE(doc_->header.staffCount, 2);
        view_->currentStaff = 1;
        view_->currentMeasure = 1;
    }
    MeasureCell* LowerCell(int clef) {
        MeasureCell* cell = GetOrCreateMeasureCell(Staff(2), doc_, 1);
        cell->clefKey = static_cast<uint8_t>((clef & kClefNibbleMask) | (kC << kKeyNibbleShift));
        return cell;
    }
    // A note of staff 1 drawn on the staff below (or above) at `there`.
    EventRecord* CrossNote(MeasureCell* cell, int time, int there, bool above = false) {
        EventRecord* note = AddNote(cell, time, 0, kNone);
        note->flags |= kNoteCrossStaff;
        if (above) note->stemWord |= kStemCrossStaffAbove;
        note->crossStaffPosition = static_cast<uint8_t>(static_cast<int8_t>(there));
        return note;
    }
    static int There(const EventRecord* note) { return static_cast<int8_t>(note->crossStaffPosition); }
};

// Treble staff over a bass staff: the note comes into the treble staff's positions
// seven steps down, and going back out gives its bass position again.
TEST_F(CrossStaffTest, CountThenUpdateRoundTripsBetweenClefs) {
    MeasureCell* cell = CellWith(kTreble, kC);
    LowerCell(kBass);
    for (int there : {-12, -4, 0, 3, 8}) {
        EventRecord* note = CrossNote(cell, 0, there);
        ASSERT_EQ(CountCrossStaffNotes(view_, cell, 1, 1, kVoice, 0), 1) << there;
        EXPECT_EQ(NotePosition(*note), ShiftPositionForClef(there, kBass, kTreble) + kCrossStaffSteps);
        UpdateCrossStaffNotes(view_, cell, 1, 1, kVoice);
        EXPECT_EQ(There(note), there);
        EXPECT_EQ(NotePosition(*note), ShiftPositionForClef(there, kBass, kTreble));
        note->flags &= static_cast<uint16_t>(~kNoteCrossStaff);  // out of the next round
    }
}

// Only notes whose neighbour exists count: staff 1 has no staff above; a note whose
// neighbour is not the one asked for is left; the none position counts as 0.
TEST_F(CrossStaffTest, OnlyNotesWithTheirNeighbourCount) {
    MeasureCell* cell = CellWith(kTreble, kC);
    LowerCell(kTreble);
    EventRecord* above = CrossNote(cell, 0, 2, true);
    EXPECT_EQ(CountCrossStaffNotes(view_, cell, 1, 1, kVoice, 0), 0);
    EXPECT_EQ(NotePosition(*above), 0);
    EventRecord* below = CrossNote(cell, 256, kNoStaffPosition);
    EXPECT_EQ(CountCrossStaffNotes(view_, cell, 1, 1, kVoice, 3), 0) << "asked for staff 3 only";
    EXPECT_EQ(NotePosition(*below), 0);
    EXPECT_EQ(CountCrossStaffNotes(view_, cell, 1, 1, kVoice, 2), 1);
    EXPECT_EQ(NotePosition(*below), kCrossStaffSteps) << "none counts as position 0";
    EXPECT_EQ(CountCrossStaffNotes(nullptr, cell, 1, 1, kVoice, 0), 0);
}

// The enharmonic change of a note drawn on the staff below moves its place there:
// C sharp written on the lower staff becomes D flat one step higher on that staff.
TEST_F(CrossStaffTest, EnharmonicChangeMovesTheNeighbourPosition) {
    MeasureCell* cell = CellWith(kTreble, kC);
    LowerCell(kTreble);
    EventRecord* note = CrossNote(cell, 0, kC5);
    SetNotePosition(*note, kC5 + kCrossStaffSteps);
    SetNoteAccidentalCode(*note, kSharp);
    EnharmonicChangeNote(view_, note, cell, kVoice);
    EXPECT_EQ(There(note), kD5);
    EXPECT_EQ(NoteAccidentalCode(*note), kFlat);
}

}  // namespace
}  // namespace ql::testing_pitch
