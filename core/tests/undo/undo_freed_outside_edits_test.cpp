// Records freed between edits (step entry deleting a note, the layout engine giving
// back records it made in an edit): no Undo or Redo may link such a record again,
// hand it out while it is linked, or lose its slot. Records whose apply would do so
// leave the history with the records applied after them; the others stay.
#include "core/tests/undo/undo_fixture.h"

namespace ql::testing_undo {
namespace {

using UndoFreedBetweenEdits = UndoTest;
using UndoLowMemory = UndoTest;

// Three insertions, then the middle note unlinked and freed outside any edit. The
// record of the third insertion would give the pool back its free list without the
// freed note and the chain its old head: it leaves the history, with the two below.
TEST_F(UndoFreedBetweenEdits, UndoNeverBringsBackAFreedRecord) {
    for (uint16_t time : {1, 2, 3}) Edit([&] { InsertNote(time, 1); }, UndoVerb::Insert);
    ASSERT_TRUE(DeleteNote(1));  // the note at time 2
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(DescribeNoteFaults(), "");
    EXPECT_EQ(NoteTimes(), (std::vector<uint16_t>{3, 1}));
    EXPECT_EQ(UndoDepth(doc_.get()), 0);
}

// The same for Redo: the record of an undone insertion knows the pool as it was when
// the freed note was still handed out.
TEST_F(UndoFreedBetweenEdits, RedoNeverBringsBackAFreedRecord) {
    for (uint16_t time : {1, 2, 3}) Edit([&] { InsertNote(time, 1); }, UndoVerb::Insert);
    UndoCommand(doc_.get(), nullptr);
    ASSERT_TRUE(DeleteNote(1));  // the note at time 1
    RedoCommand(doc_.get(), nullptr);
    EXPECT_EQ(DescribeNoteFaults(), "");
    EXPECT_EQ(NoteTimes(), (std::vector<uint16_t>{2}));
    EXPECT_EQ(RedoDepth(doc_.get()), 0);
}

// A freed slot handed out again before the next edit holds a new record: the pool's
// descriptor can be back where it was, and the record is found all the same.
TEST_F(UndoFreedBetweenEdits, ASlotFreedAndHandedOutAgainIsFound) {
    for (uint16_t time : {1, 2, 3}) Edit([&] { InsertNote(time, 1); }, UndoVerb::Insert);
    ASSERT_TRUE(DeleteNote(1));
    ASSERT_NE(InsertNote(4, 1), nullptr);  // takes the slot of the note at time 2
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(DescribeNoteFaults(), "");
    EXPECT_EQ(NoteTimes(), (std::vector<uint16_t>{4, 3, 1}));
    EXPECT_EQ(UndoDepth(doc_.get()), 0);
}

// An edit that changed only the note linking to the freed one (no allocation) would
// write the old link back: it leaves the history too.
TEST_F(UndoFreedBetweenEdits, AnEditOfTheLinkingRecordLeavesTheHistory) {
    Edit([&] { InsertNote(1, 1); }, UndoVerb::Insert);
    Edit([&] { InsertNote(2, 1); }, UndoVerb::Insert);
    Edit([&] { NoteAt(0)->time = 20; });
    ASSERT_TRUE(DeleteNote(1));  // the note at time 1, linked from the one at 20
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(DescribeNoteFaults(), "");
    EXPECT_EQ(NoteTimes(), (std::vector<uint16_t>{20}));
    EXPECT_EQ(UndoDepth(doc_.get()), 0);
}

// A record that touches nothing the free changed stays undoable and redoable; the
// insertions below it go.
TEST_F(UndoFreedBetweenEdits, RecordsThatBringNothingBackStay) {
    Edit([&] { InsertNote(1, 1); }, UndoVerb::Insert);
    Edit([&] { InsertNote(2, 1); }, UndoVerb::Insert);
    Edit([&] { SetMeasureWidth(3, 500); });
    ASSERT_TRUE(DeleteNote(1));
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(DescribeNoteFaults(), "");
    EXPECT_EQ(doc_->measureTable[3].width, 0);
    EXPECT_EQ(UndoDepth(doc_.get()), 0);
    EXPECT_EQ(RedoDepth(doc_.get()), 1);
    RedoCommand(doc_.get(), nullptr);
    EXPECT_EQ(doc_->measureTable[3].width, 500);
    EXPECT_EQ(NoteTimes(), (std::vector<uint16_t>{2}));
}

// Scratch records given back between edits free nothing the history knows, whether
// they came fresh from a block or from the free list: the history stays whole.
TEST_F(UndoFreedBetweenEdits, ScratchRecordsKeepTheHistory) {
    Edit([&] { InsertNote(1, 1); }, UndoVerb::Insert);
    Edit([&] { InsertNote(2, 1); }, UndoVerb::Insert);
    Edit([&] { DeleteNote(1); }, UndoVerb::Delete);               // the free list holds a slot
    FreeRecord(kEventRecordPool, AllocRecord(kEventRecordPool));  // from the free list
    FreeRecord(kEventRecordPool, AllocRecord(kEventRecordPool));  // the same again
    void* fresh[2] = {AllocRecord(kEventRecordPool), AllocRecord(kEventRecordPool)};
    for (void* record : fresh) FreeRecord(kEventRecordPool, record);  // one was fresh
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(DescribeNoteFaults(), "");
    EXPECT_EQ(NoteTimes(), (std::vector<uint16_t>{2, 1}));
    EXPECT_EQ(UndoDepth(doc_.get()), 2);
}

// No memory for the record of an edit that deleted a note: the deletion joins the
// baseline unrecorded, and the insertions that would bring the note back go.
TEST_F(UndoLowMemory, UnrecordedDeletionNeverComesBack) {
    Edit([&] { InsertNote(1, 1); }, UndoVerb::Insert);
    Edit([&] { InsertNote(2, 1); }, UndoVerb::Insert);
    FailNextUndoAllocations(1);
    Edit([&] { DeleteNote(1); }, UndoVerb::Delete);
    EXPECT_EQ(UndoDepth(doc_.get()), 0);
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(DescribeNoteFaults(), "");
    EXPECT_EQ(NoteTimes(), (std::vector<uint16_t>{2}));
}

}  // namespace
}  // namespace ql::testing_undo
