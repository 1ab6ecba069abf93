// Undo of entry and deletion, and deletion itself: the gap closes, or a rest keeps
// the time with Ctrl held; the neighbour the pointer goes to; a null note.
#include <gtest/gtest.h>

#include "core/state.h"
#include "core/undo/undo.h"
#include "core/memory/pool.h"
#include "notes/entry/note_delete.h"
#include "notes/entry/note_edits.h"
#include "notes/ties/ties.h"
#include "notes/handler/notes_handler.h"
#include "notes/tests/entry/entry_fixture.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql::testing_entry {
namespace {

using EntryUndo = EntryTest;
using EntryDelete = EntryTest;

// Every click is one undo step that gives back the pools byte for byte, and its label
// names the note.
TEST_F(EntryUndo, EveryEntryUndoesToTheSameBytes) {
    PointAt(0, kMiddleLine);
    std::vector<std::vector<uint8_t>> states;
    for (int i = 0; i < 5; ++i) {
        states.push_back(LiveRecords());
        Click();
        EXPECT_EQ(UndoLabel(), "Undo - Add Note") << "click " << i;
    }
    for (int i = 4; i >= 0; --i) {
        UndoCommand(doc_, view_);
        EXPECT_EQ(LiveRecords(), states[i]) << "undo of click " << i;
    }
    UseMeasure(1);
    EXPECT_TRUE(Voice().empty());
}

// A chord note added with Ctrl, a refused note and a deletion undo as well.
TEST_F(EntryUndo, ChordAndDeletionUndo) {
    State().notes.NoteTools.selectedEntry = 3;
    PointAt(0, kMiddleLine);
    Click();
    Click();
    UseMeasure(1);
    const std::vector<uint8_t> twoQuarters = LiveRecords();
    win::headless::SetKeyDown(win::Key::Control, true);
    PointAt(0, -8);
    Click();
    win::headless::SetKeyDown(win::Key::Control, false);
    ASSERT_EQ(Voice().size(), 3u);
    UndoCommand(doc_, view_);
    EXPECT_EQ(LiveRecords(), twoQuarters);
    UseMeasure(1);
    ASSERT_EQ(Voice().size(), 2u);
    ASSERT_EQ(DropOnNote(view_, Voice()[0]), 1);
    EXPECT_EQ(UndoLabel(), "Undo - Delete Note");
    UseMeasure(1);
    EXPECT_EQ(Voice().size(), 1u);
    UndoCommand(doc_, view_);
    EXPECT_EQ(LiveRecords(), twoQuarters);
}

// Deleting the only note at a time closes the gap: the later notes move earlier.
TEST_F(EntryDelete, DeletingClosesTheGap) {
    EventRecord* first = Note(0, 0, kQuarter, -4);
    Note(0, 1024, kQuarter, -5);
    Note(0, 2048, kQuarter, -6);
    ASSERT_EQ(DeleteNote(view_, first, true, 0), 1);
    const std::vector<EventRecord*> notes = Voice();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0]->time, 0);
    EXPECT_EQ(SignedStep(*notes[0]), -5);
    EXPECT_EQ(notes[1]->time, 1024);
    EXPECT_TRUE(VoiceRests(0).empty());
}

// With Ctrl held (or the keep-time byte set) a rest of the note's length stays and
// the later notes keep their times.
TEST_F(EntryDelete, CtrlLeavesARest) {
    EventRecord* first = Note(0, 0, kHalf, -4);
    Note(0, 2048, kQuarter, -5);
    win::headless::SetKeyDown(win::Key::Control, true);
    ASSERT_EQ(DeleteNote(view_, first, true, 0), 1);
    win::headless::SetKeyDown(win::Key::Control, false);
    ASSERT_EQ(Voice().size(), 1u);
    EXPECT_EQ(Voice()[0]->time, 2048);
    const std::vector<ScoreObject*> rests = VoiceRests(0);
    ASSERT_EQ(rests.size(), 1u);
    EXPECT_EQ(Body(rests[0]).code, kHalf);
    EXPECT_EQ(Body(rests[0]).tick, 0);
    State().input.KeepTimeOnDelete = 1;
    ASSERT_EQ(DeleteNote(view_, Voice()[0], true, 0), 1);
    EXPECT_EQ(VoiceRests(0).size(), 2u);
}

// A chord note goes alone: the chord keeps its other notes and its time.
TEST_F(EntryDelete, ChordNoteLeavesTheRestOfTheChord) {
    Note(0, 0, kQuarter, -4);
    EventRecord* upper = Note(0, 0, kQuarter, -8);
    Note(0, 1024, kQuarter, -4);
    ASSERT_EQ(DeleteNote(view_, upper, true, 0), 1);
    ASSERT_EQ(Voice().size(), 2u);
    EXPECT_EQ(Voice()[0]->time, 0);
    EXPECT_TRUE(IsFirstOfChord(Voice()[0]));
    EXPECT_EQ(Voice()[1]->time, 1024);
}

// A null note beeps and changes nothing.
TEST_F(EntryDelete, NullNoteBeeps) {
    const size_t beeps = ui::headless::Beeps().size();
    EXPECT_EQ(DeleteNote(view_, nullptr, true, 0), 0);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 1);
}

// The neighbour: next at the same time, previous at the same time, next event,
// previous event, none.
TEST_F(EntryDelete, NeighbourOrder) {
    EventRecord* a = Note(0, 0, kQuarter, -8);
    EventRecord* b = Note(0, 0, kQuarter, -4);
    EventRecord* c = Note(0, 1024, kQuarter, -4);
    EXPECT_EQ(DeletionNeighbour(a), b);
    EXPECT_EQ(DeletionNeighbour(b), a);
    EXPECT_EQ(DeletionNeighbour(c), b) << "the previous event when nothing follows";
    EventRecord* lone = Note(1, 0, kQuarter, 0);
    EXPECT_EQ(DeletionNeighbour(lone), nullptr);
    EXPECT_EQ(DeletionNeighbour(nullptr), nullptr);
}

}  // namespace
}  // namespace ql::testing_entry

namespace ql::testing_entry {
namespace {

using EntryExhaustion = EntryTest;

// With no record to be had, a click, a chord note and a tie change nothing in the
// pools; each shows the low-memory report once.
TEST_F(EntryExhaustion, NoRecordChangesNothing) {
    EventRecord* a = Note(0, 3072, kQuarter, -4);
    UseMeasure(2);
    Note(0, 0, kQuarter, -4);
    UseMeasure(1);
    const std::vector<uint8_t> before = LiveRecords();
    const size_t boxes = ui::headless::MessageBoxes().size();
    UseMeasure(3);  // an empty measure: room for the note, but no record
    FailNextRecordAllocations(1);
    PointAt(0, kMiddleLine);
    Click();
    EXPECT_EQ(LiveRecords(), before);
    EXPECT_EQ(ui::headless::MessageBoxes().size(), boxes + 1);
    UseMeasure(1);
    FailNextRecordAllocations(1);
    EXPECT_EQ(AddNoteToChord(view_, a, 2), nullptr);
    EXPECT_EQ(LiveRecords(), before);
    EXPECT_EQ(ui::headless::MessageBoxes().size(), boxes + 2);
    FailNextRecordAllocations(1);
    EXPECT_EQ(ToggleTie(view_, a, 0), 0);
    EXPECT_EQ(LiveRecords(), before);
    EXPECT_EQ(a->word2 & kTieStartsHere, 0);
    FailNextRecordAllocations(0);
}

}  // namespace
}  // namespace ql::testing_entry
