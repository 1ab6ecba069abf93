// Undo brackets and history: what is recorded, how brackets nest, the stack limit,
// the redo drop rule, changes made between edits, checkpoints and allocation failure.
#include <stdexcept>

#include "core/model/page_records.h"
#include "core/tests/undo/undo_fixture.h"

namespace ql::testing_undo {
namespace {

using UndoBrackets = UndoTest;
using UndoHistory = UndoTest;
using UndoBetweenEdits = UndoTest;
using UndoCheckpoint = UndoTest;
using UndoLowMemory = UndoTest;
using UndoRepairs = UndoTest;

// An edit that did not move the change counter records nothing.
TEST_F(UndoBrackets, EditWithoutCountedChangeRecordsNothing) {
    {
        UndoStep step(doc_.get(), nullptr, UndoKind::Note, 0, UndoVerb::Change);
        SetTempo(99);  // changed bytes, but no counted change
    }
    EXPECT_EQ(UndoDepth(doc_.get()), 0);
    EXPECT_EQ(doc_->undoState.undoAvailable, 0);
}

// A counted change with verb None is not recorded.
TEST_F(UndoBrackets, VerbNoneRecordsNothing) {
    Edit([&] { SetTempo(120); }, UndoVerb::None);
    EXPECT_EQ(UndoDepth(doc_.get()), 0);
}

// Nested brackets make one step, closed by the outermost End, and Undo reverts both.
TEST_F(UndoBrackets, NestedBracketsRecordOneStep) {
    {
        UndoStep outer(doc_.get(), nullptr, UndoKind::Page, 0, UndoVerb::Format);
        InsertNote(10, 1);
        MarkChanged();
        {
            UndoStep inner(doc_.get(), nullptr, UndoKind::Staff, 13, UndoVerb::Modify);
            SetTempo(77);
            MarkChanged();
        }
        EXPECT_EQ(UndoDepth(doc_.get()), 0) << "the inner End must not capture";
        SetMeasureWidth(3, 500);
        MarkChanged();
    }
    ASSERT_EQ(UndoDepth(doc_.get()), 1);
    EXPECT_EQ(doc_->undoStack->verb, static_cast<uint8_t>(UndoVerb::Format));
    EXPECT_EQ(doc_->undoStack->kind, static_cast<uint8_t>(UndoKind::Page));
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(NoteCount(), 0);
    EXPECT_EQ(doc_->header.tempo, 0);
    EXPECT_EQ(doc_->measureTable[3].width, 0);
}

// An inner bracket only fills kind, type and verb left at 0 by the outer one.
TEST_F(UndoBrackets, InnerBracketFillsOnlyUnsetFields) {
    {
        UndoStep outer(doc_.get(), nullptr, UndoKind::Note, 0, UndoVerb::None);
        UndoStep inner(doc_.get(), nullptr, UndoKind::Item, 38, UndoVerb::Change);
        InsertNote(5, 2);
        MarkChanged();
    }
    ASSERT_EQ(UndoDepth(doc_.get()), 1);
    EXPECT_EQ(doc_->undoStack->verb, static_cast<uint8_t>(UndoVerb::Change));
    EXPECT_EQ(doc_->undoStack->kind, static_cast<uint8_t>(UndoKind::Note));
    EXPECT_EQ(doc_->undoStack->objectType, 38);
}

// The scope guard closes its step when the edit leaves by an exception.
TEST_F(UndoBrackets, StepClosesOnEveryPath) {
    EXPECT_THROW(
        {
            UndoStep step(doc_.get(), nullptr, UndoKind::Note, 0, UndoVerb::Add);
            InsertNote(1, 1);
            MarkChanged();
            throw std::runtime_error("edit refused");
        },
        std::runtime_error);
    EXPECT_EQ(doc_->undoState.bracketDepth, 0);
    EXPECT_EQ(UndoDepth(doc_.get()), 1);
}

// While undo is suspended no step is opened or recorded.
TEST_F(UndoBrackets, SuspendedUndoRecordsNothing) {
    {
        ScopedUndoSuspension suspended;
        Edit([&] { InsertNote(3, 3); });
    }
    EXPECT_EQ(UndoDepth(doc_.get()), 0);
    EXPECT_FALSE(UndoSuspended());
}

// After 20 edits, 17 can be undone and the 17th undo brings back the state after 3.
TEST_F(UndoHistory, TwentyEditsLeaveSeventeenUndoable) {
    std::vector<ScoreSnapshot> states{TakeSnapshot(*doc_)};
    for (int i = 0; i < 20; ++i) {
        Edit([&] { InsertNote(static_cast<uint16_t>(i), 4); });
        states.push_back(TakeSnapshot(*doc_));
    }
    EXPECT_EQ(UndoDepth(doc_.get()), kUndoStackLimit);
    for (int i = 0; i < 25; ++i) UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(UndoDepth(doc_.get()), 0);
    EXPECT_EQ(RedoDepth(doc_.get()), kUndoStackLimit);
    EXPECT_EQ(DescribeDifference(states[3], *doc_), "");
    EXPECT_EQ(NoteCount(), 3);
}

// Undo waits while an edit is open.
TEST_F(UndoHistory, UndoWaitsForTheOpenEdit) {
    Edit([&] { InsertNote(1, 1); });
    {
        UndoStep open(doc_.get(), nullptr, UndoKind::Note, 0, UndoVerb::Add);
        UndoCommand(doc_.get(), nullptr);
        EXPECT_EQ(NoteCount(), 1);
    }
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(NoteCount(), 0);
}

// Undo, then a new edit, drops the redo stack.
TEST_F(UndoHistory, NewEditAfterUndoDropsRedo) {
    Edit([&] { InsertNote(1, 1); });
    Edit([&] { InsertNote(2, 1); });
    UndoCommand(doc_.get(), nullptr);
    ASSERT_EQ(RedoDepth(doc_.get()), 1);
    Edit([&] { SetTempo(60); });
    EXPECT_EQ(RedoDepth(doc_.get()), 0);
    RedoCommand(doc_.get(), nullptr);
    EXPECT_EQ(NoteCount(), 1);
}

// Undo, Undo, Redo keeps the remaining redo record, which still redoes the last edit.
TEST_F(UndoHistory, RedoKeepsTheRemainingRecord) {
    Edit([&] { InsertNote(1, 1); });
    Edit([&] { InsertNote(2, 1); });
    ScoreSnapshot afterBoth = TakeSnapshot(*doc_);
    UndoCommand(doc_.get(), nullptr);
    UndoCommand(doc_.get(), nullptr);
    RedoCommand(doc_.get(), nullptr);
    EXPECT_EQ(RedoDepth(doc_.get()), 1);
    RedoCommand(doc_.get(), nullptr);
    EXPECT_EQ(DescribeDifference(afterBoth, *doc_), "");
}

// Undo of an insertion leaves the slot free again, in a block that stays in use, and
// the next allocation reuses it.
TEST_F(UndoHistory, UndoneInsertionLeavesItsSlotFree) {
    Edit([&] { InsertNote(1, 1); });
    EventRecord* second = nullptr;
    Edit([&] { second = InsertNote(2, 1); });
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(doc_->pools.pools[kEventRecordPool].blockCount, 1);
    EXPECT_EQ(AllocRecord(kEventRecordPool), second);
}

// Undo of a deletion brings the note back with its bytes and its link.
TEST_F(UndoHistory, UndoOfDeletionRestoresTheNote) {
    Edit([&] { InsertNote(7, 1); });
    Edit([&] { InsertNote(8, 2); });
    Edit([&] { DeleteNote(1); });
    EXPECT_EQ(NoteTimes(), (std::vector<uint16_t>{8}));
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(NoteTimes(), (std::vector<uint16_t>{8, 7}));
}

// A change made outside any bracket (layout, playback bookkeeping) is not undone with
// the next edit, and that edit's record holds only its own change.
TEST_F(UndoBetweenEdits, ChangesOutsideBracketsAreNeverUndone) {
    Edit([&] { InsertNote(1, 1); });
    SetMeasureWidth(9, 1234);  // a pass counter or a layout result
    auto* galley = static_cast<std::byte*>(AllocRecord(kScorePagePool));
    galley[0] = std::byte{0x5A};
    Edit([&] { SetTempo(100); });
    EXPECT_EQ(doc_->undoStack->slotRuns.size(), 0u);
    EXPECT_EQ(doc_->undoStack->measureRuns.size(), 0u);
    UndoCommand(doc_.get(), nullptr);
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(doc_->measureTable[9].width, 1234);
    EXPECT_EQ(galley[0], std::byte{0x5A});
    EXPECT_TRUE(IsLiveRecord(PoolSet(doc_->pools), kScorePagePool, galley));
    EXPECT_EQ(NoteCount(), 0);
}

// The records the next `count` allocations of a pool hand out.
std::vector<void*> NextAllocations(int pool, int count) {
    std::vector<void*> records;
    for (int i = 0; i < count; ++i) records.push_back(AllocRecord(pool));
    return records;
}

// A record allocated outside any edit (a galley page) after an edit that allocated in
// the same pool survives Undo: it stays live, keeps its bytes, and is never handed out
// again. The edit's record, which no longer knows that page, leaves the history.
TEST_F(UndoBetweenEdits, UndoNeverHandsOutARecordMadeOutsideEdits) {
    std::byte* text = nullptr;
    Edit([&] {
        text = static_cast<std::byte*>(AllocRecord(kTextObjectPool));
        text[0] = std::byte{0x11};
    });
    auto* galley = static_cast<std::byte*>(AllocRecord(kScorePagePool));
    galley[0] = std::byte{0x5A};
    UndoCommand(doc_.get(), nullptr);
    EXPECT_TRUE(IsLiveRecord(PoolSet(doc_->pools), kScorePagePool, galley));
    EXPECT_EQ(galley[0], std::byte{0x5A});
    EXPECT_EQ(UndoDepth(doc_.get()), 0);
    EXPECT_TRUE(IsLiveRecord(PoolSet(doc_->pools), kTextObjectPool, text)) << "nothing was undone";
    for (void* record : NextAllocations(kScorePagePool, 3)) EXPECT_NE(record, galley);
}

// The same holds for Redo: a page made after the Undo takes the freed slot, and the
// redo record that would write the edit back over it is dropped.
TEST_F(UndoBetweenEdits, RedoNeverOverwritesARecordMadeOutsideEdits) {
    Edit([&] { static_cast<std::byte*>(AllocRecord(kTextObjectPool))[0] = std::byte{0x11}; });
    UndoCommand(doc_.get(), nullptr);
    auto* galley = static_cast<std::byte*>(AllocRecord(kScorePagePool));
    galley[0] = std::byte{0x5A};
    RedoCommand(doc_.get(), nullptr);
    EXPECT_EQ(RedoDepth(doc_.get()), 0);
    EXPECT_TRUE(IsLiveRecord(PoolSet(doc_->pools), kScorePagePool, galley));
    EXPECT_EQ(galley[0], std::byte{0x5A});
    for (void* record : NextAllocations(kScorePagePool, 3)) EXPECT_NE(record, galley);
}

// An older record is dropped too once a later edit has absorbed the page; the later
// edit, in another pool, stays undoable.
TEST_F(UndoBetweenEdits, OlderRecordOfThePagePoolLeavesTheHistory) {
    Edit([&] { AllocRecord(kTextObjectPool); });
    auto* galley = static_cast<std::byte*>(AllocRecord(kScorePagePool));
    galley[0] = std::byte{0x5A};
    Edit([&] { InsertNote(3, 1); });
    EXPECT_EQ(UndoDepth(doc_.get()), 1);
    UndoCommand(doc_.get(), nullptr);
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(NoteCount(), 0);
    EXPECT_TRUE(IsLiveRecord(PoolSet(doc_->pools), kScorePagePool, galley));
    for (void* record : NextAllocations(kScorePagePool, 3)) EXPECT_NE(record, galley);
}

// Scratch records taken and given back outside edits (the writer's) leave nothing
// live, so the history stays whole.
TEST_F(UndoBetweenEdits, ScratchRecordsGivenBackKeepTheHistory) {
    std::byte* text = nullptr;
    Edit([&] { text = static_cast<std::byte*>(AllocRecord(kTextObjectPool)); });
    FreeRecord(kTextObjectPool, AllocRecord(kTextObjectPool));
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(RedoDepth(doc_.get()), 1);
    EXPECT_FALSE(IsLiveRecord(PoolSet(doc_->pools), kTextObjectPool, text));
}

// While a checkpoint is active edits are not recorded; Restore returns to the
// checkpoint any number of times; a second Start ends the checkpoint.
TEST_F(UndoCheckpoint, RestoreReturnsToTheCheckpointRepeatedly) {
    Edit([&] { InsertNote(1, 1); });
    CheckpointStart(doc_.get());
    EXPECT_EQ(UndoDepth(doc_.get()), 0);
    ScoreSnapshot checkpoint = TakeSnapshot(*doc_);
    for (int round = 0; round < 2; ++round) {
        Edit([&] { InsertNote(static_cast<uint16_t>(10 + round), 2); });
        Edit([&] { SetTempo(static_cast<uint16_t>(50 + round)); });
        EXPECT_EQ(UndoDepth(doc_.get()), 0);
        RevertToUndoBaseline(doc_.get(), nullptr);
        EXPECT_EQ(DescribeDifference(checkpoint, *doc_), "");
    }
    CheckpointStart(doc_.get());
    EXPECT_EQ(doc_->undoState.checkpointActive, 0);
    Edit([&] { SetTempo(70); });
    EXPECT_EQ(UndoDepth(doc_.get()), 1);
}

// Undo and Redo do nothing while a checkpoint is active.
TEST_F(UndoCheckpoint, UndoIsInactiveDuringACheckpoint) {
    Edit([&] { SetTempo(1); });
    CheckpointStart(doc_.get());
    Edit([&] { SetTempo(2); });
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(doc_->header.tempo, 2);
}

// No memory for the record: a new baseline is taken and the edit is not undoable.
TEST_F(UndoLowMemory, RecordAllocationFailureTakesNewBaseline) {
    Edit([&] { SetMeasureWidth(2, 640); });
    FailNextUndoAllocations(1);
    Edit([&] { SetMeasureWidth(4, 320); });
    EXPECT_EQ(UndoDepth(doc_.get()), 1);
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(doc_->measureTable[4].width, 320) << "the unrecorded edit stays";
    EXPECT_EQ(doc_->measureTable[2].width, 0);
}

// No memory for the record of an edit that made a note: older records of the note
// pool leave the history, so no Undo can hand the unrecorded note out again.
TEST_F(UndoLowMemory, UnrecordedEditNeverLosesItsRecords) {
    Edit([&] { InsertNote(1, 1); });
    FailNextUndoAllocations(1);
    EventRecord* kept = nullptr;
    Edit([&] { kept = InsertNote(2, 1); });
    EXPECT_EQ(UndoDepth(doc_.get()), 0);
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(NoteTimes(), (std::vector<uint16_t>{2, 1}));
    EXPECT_TRUE(IsLiveRecord(PoolSet(doc_->pools), kEventRecordPool, kept));
    for (void* record : NextAllocations(kEventRecordPool, 3)) EXPECT_NE(record, kept);
}

// No memory for a node: the whole history is cleared, the score is left as edited,
// and the next edit is recorded against a fresh baseline.
TEST_F(UndoLowMemory, NodeAllocationFailureClearsHistory) {
    Edit([&] { SetTempo(5); });
    FailNextUndoAllocations(1, 1);  // the record succeeds, its first node fails
    Edit([&] { InsertNote(1, 1); });
    EXPECT_EQ(UndoDepth(doc_.get()), 0);
    EXPECT_EQ(NoteCount(), 1);
    EXPECT_EQ(doc_->header.tempo, 5);
    Edit([&] { InsertNote(2, 1); });
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(NoteTimes(), (std::vector<uint16_t>{1}));
}

// After Undo the first page is derived again from the right master (pages can be
// inserted and deleted by an edit), and cached platform objects are dropped.
TEST_F(UndoRepairs, FirstPageAndCachesFollowTheRestoredScore) {
    auto* master = static_cast<ScorePage*>(AllocRecord(kScorePagePool));
    auto* page1 = static_cast<ScorePage*>(AllocRecord(kScorePagePool));
    master->next = Ref32<ScorePage>::To(page1);
    doc_->rightMaster = master;
    doc_->firstPage = page1;
    TakeUndoBaseline(doc_.get());
    ScorePage* inserted = nullptr;
    Edit(
        [&] {
            inserted = static_cast<ScorePage*>(AllocRecord(kScorePagePool));
            inserted->next = Ref32<ScorePage>::To(page1);
            master->next = Ref32<ScorePage>::To(inserted);
            doc_->firstPage = inserted;
        },
        UndoVerb::Insert);
    doc_->gdiCache[5] = 0x3FFFFFFF;  // a stale font handle: never resolves, never deleted
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(doc_->firstPage, page1);
    EXPECT_EQ(doc_->gdiCache[5], 0u);
    RedoCommand(doc_.get(), nullptr);
    EXPECT_EQ(doc_->firstPage, inserted);
}

// A record whose self pointer is wrong ends a stack: nothing below it is trusted.
TEST_F(UndoHistory, DamagedRecordEndsTheStack) {
    Edit([&] { InsertNote(1, 1); });
    Edit([&] { InsertNote(2, 1); });
    UndoRecord* lower = doc_->undoStack->next;
    lower->self = nullptr;
    EXPECT_EQ(UndoDepth(doc_.get()), 1);
    UndoCommand(doc_.get(), nullptr);
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(NoteCount(), 1);
    lower->self = lower;  // let the fixture free it
}

}  // namespace
}  // namespace ql::testing_undo
