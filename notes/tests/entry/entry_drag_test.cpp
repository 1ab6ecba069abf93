// Dragging an entered note: up or down by 32 units or more it changes step (and leaves
// its chord when the new step lies elsewhere), sideways its chord's heads move; a
// smaller move does nothing.
#include <gtest/gtest.h>

#include "notes/entry/note_drag.h"
#include "notes/rests/staff_place.h"
#include "notes/tests/entry/entry_fixture.h"

namespace ql::testing_entry {
namespace {

using EntryDrag = EntryTest;

// Pitch: the note takes the step under the pointer, stays at its time, and a chord
// note keeps the chord ordered by step.
TEST_F(EntryDrag, VerticalDragChangesTheStep) {
    EventRecord* low = Note(0, 0, kQuarter, -2);
    Note(0, 0, kQuarter, -6);
    PointAt(0, -2);
    const LogicalPoint from = view_->pointerPoint;
    PointAt(0, -9);
    ASSERT_EQ(CommitNoteDrag(view_, low, from), 1);
    EXPECT_EQ(SignedStep(*low), -9);
    const std::vector<EventRecord*> notes = Voice();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(SignedStep(*notes[0]), -9);
    EXPECT_EQ(SignedStep(*notes[1]), -6);
    EXPECT_EQ(notes[0]->time, notes[1]->time);
    EXPECT_EQ(UndoLabel(), "Undo - Move Pitch");
}

// Sideways: every head of the chord moves by dx / 16; under 16 units nothing happens.
TEST_F(EntryDrag, SidewaysDragMovesTheHeads) {
    EventRecord* a = Note(0, 0, kQuarter, -2);
    EventRecord* b = Note(0, 0, kQuarter, -6);
    PointAt(0, -2);
    const LogicalPoint from = view_->pointerPoint;
    view_->pointerPoint.x = from.x + 10;
    EXPECT_EQ(CommitNoteDrag(view_, a, from), 0);
    view_->pointerPoint.x = from.x + 20;
    view_->pointerPoint.y = from.y + 31;
    EXPECT_EQ(CommitNoteDrag(view_, a, from), 1);
    EXPECT_EQ(a->nudge, 1);
    EXPECT_EQ(b->nudge, 1);
    EXPECT_EQ(SignedStep(*a), -2) << "31 units is not a pitch drag";
    EXPECT_EQ(CommitNoteDrag(view_, nullptr, from), 0);
}

}  // namespace
}  // namespace ql::testing_entry
