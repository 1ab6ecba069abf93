// The cross-staff toggle on a score of three staves (treble, bass, treble): the staff
// chosen for a note, the pitch kept through the two clefs, and the way back.
#include <gtest/gtest.h>

#include <cstring>

#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "display/view_location.h"
#include "notes/drawing/note_fields.h"
#include "notes/entry/note_edits.h"
#include "notes/pitch/pitch.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "notes/tests/entry/entry_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_entry {
namespace {

constexpr int kStaves = 3;
constexpr uint8_t kTrebleClef = 0;
constexpr uint8_t kBassClef = 3;
constexpr int kKeyOfC = 7;

class EntryCrossStaff : public EntryTest {
  protected:
    void SetUp() override {
        EntryTest::SetUp();
        FreeDocument(doc_);
        doc_ = AllocDocument();
        ASSERT_TRUE(beatmap_score::Build(doc_, view_, kStaves, {1}, 4));
        GetOrCreateMeasureCell(StaffRecordOf(doc_, 2), doc_, 1)->clefKey =
            static_cast<uint8_t>((GetOrCreateMeasureCell(StaffRecordOf(doc_, 2), doc_, 1)->clefKey &
                                  ~kClefNibbleMask) | kBassClef);
    }
    EventRecord* NoteOn(int staff, int step) {
        SetCurrentMeasureQuick(view_, staff, 1);
        cell_ = view_->currentCell;
        return Note(0, 0, kQuarter, step);
    }
    static bool IsCross(const EventRecord* note) { return (note->flags & kNoteCrossStaff) != 0; }
    static bool GoesAbove(const EventRecord* note) { return (note->stemWord & kStemCrossStaffAbove) != 0; }
};

// Staff 2: a note on the middle line or higher goes to the staff above, a lower one to
// the staff below; the last staff always goes above.
TEST_F(EntryCrossStaff, NeighbourIsChosenByStep) {
    EventRecord* high = NoteOn(2, -4);
    ASSERT_EQ(ToggleCrossStaffNote(view_, high), 1);
    EXPECT_TRUE(IsCross(high));
    EXPECT_TRUE(GoesAbove(high));
    EventRecord* low = Note(1, 1024, kQuarter, -3);
    ASSERT_EQ(ToggleCrossStaffNote(view_, low), 1);
    EXPECT_FALSE(GoesAbove(low));
    EventRecord* last = NoteOn(3, 2);
    ASSERT_EQ(ToggleCrossStaffNote(view_, last), 1);
    EXPECT_TRUE(GoesAbove(last));
    EventRecord* top = NoteOn(1, -10);
    ASSERT_EQ(ToggleCrossStaffNote(view_, top), 1);
    EXPECT_FALSE(GoesAbove(top)) << "no staff above staff 1";
}

// On: the position on the bass staff keeps the written pitch; the step is that position
// in the own staff's steps. Off: the step comes back exactly.
TEST_F(EntryCrossStaff, ToggleKeepsThePitchAndComesBack) {
    EventRecord* note = NoteOn(1, -1);
    const EventRecord original = *note;
    const int expected = ShiftPositionForClef(-1, kTrebleClef, kBassClef);
    ASSERT_EQ(ToggleCrossStaffNote(view_, note), 1);
    ASSERT_FALSE(GoesAbove(note));
    EXPECT_EQ(static_cast<int8_t>(note->crossStaffPosition), expected);
    EventRecord onOther = *note;
    onOther.step = note->crossStaffPosition;
    EXPECT_EQ(NoteToMidiKey(nullptr, onOther, kBassClef, kKeyOfC),
              NoteToMidiKey(nullptr, original, kTrebleClef, kKeyOfC))
        << "the same sounding pitch on the bass staff";
    const uint16_t* offsets = StaffOffsetsOf(view_->currentSystem);
    EXPECT_EQ(SignedStep(*note), expected - (offsets[1] - offsets[2]) / 64);
    ASSERT_EQ(ToggleCrossStaffNote(view_, note), 1);
    EXPECT_FALSE(IsCross(note));
    EXPECT_EQ(SignedStep(*note), -1);
    EXPECT_EQ(note->crossStaffPosition, kNoCrossStaffPosition);
}

// With one staff the toggle beeps and changes nothing.
TEST_F(EntryTest, CrossStaffToggleNeedsTwoStaves) {
    EventRecord* note = Note(0, 0, kQuarter, -4);
    const EventRecord before = *note;
    const size_t beeps = ui::headless::Beeps().size();
    EXPECT_EQ(ToggleCrossStaffNote(view_, note), 0);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 1);
    EXPECT_EQ(std::memcmp(&before, note, sizeof before), 0);
}

}  // namespace
}  // namespace ql::testing_entry
