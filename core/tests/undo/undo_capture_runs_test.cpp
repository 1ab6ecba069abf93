// Undo records of edits that touch many slots and measures at once: the runs of
// changed records are found a chunk at a time, and runs that begin or end inside a
// chunk, cross a chunk's edge or reach a block's last slot are recorded whole, so
// that undo and redo give back each state byte for byte.
#include "core/tests/undo/undo_fixture.h"

namespace ql::testing_undo {
namespace {

constexpr int kNotes = 100;  // more than three chunks of note slots

class UndoCaptureRuns : public UndoTest {};

// Every note moved in one edit (one long run), then every third note (runs of one
// slot across the chunks), then the measures either side of a chunk's edge and the
// table's last: each undone and redone exactly.
TEST_F(UndoCaptureRuns, RunsAcrossChunksAreRecordedWhole) {
    for (int i = 0; i < kNotes; ++i) ASSERT_NE(InsertNote(static_cast<uint16_t>(i), 1), nullptr);
    ClearUndoHistory(doc_.get());
    const ScoreSnapshot start = TakeSnapshot(*doc_);
    Edit([&] {
        for (int i = 0; i < kNotes; ++i) NoteAt(i)->time = static_cast<uint16_t>(NoteAt(i)->time + 7);
    });
    const ScoreSnapshot allMoved = TakeSnapshot(*doc_);
    Edit([&] {
        for (int i = 0; i < kNotes; i += 3) NoteAt(i)->time = static_cast<uint16_t>(NoteAt(i)->time + 1);
    });
    const ScoreSnapshot someMoved = TakeSnapshot(*doc_);
    Edit([&] {
        for (int measure : {31, 32, 33, 64, MaxMeasures - 1}) SetMeasureWidth(measure, 777);
    });
    const ScoreSnapshot widened = TakeSnapshot(*doc_);
    ASSERT_EQ(UndoDepth(doc_.get()), 3);

    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(DescribeDifference(someMoved, *doc_), "");
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(DescribeDifference(allMoved, *doc_), "");
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(DescribeDifference(start, *doc_), "");
    for (const ScoreSnapshot* after : {&allMoved, &someMoved, &widened}) {
        RedoCommand(doc_.get(), nullptr);
        EXPECT_EQ(DescribeDifference(*after, *doc_), "");
    }
    EXPECT_EQ(DescribeNoteFaults(), "");
}

// One note changed alone, whichever slot of its chunk it has (the first, the last,
// one inside): its undo gives the score back and its redo the change.
TEST_F(UndoCaptureRuns, ALoneChangedSlotIsFoundWhereverItStands) {
    for (int i = 0; i < kNotes; ++i) ASSERT_NE(InsertNote(static_cast<uint16_t>(i), 1), nullptr);
    ClearUndoHistory(doc_.get());
    const ScoreSnapshot start = TakeSnapshot(*doc_);
    for (int i = 0; i < kNotes; ++i) {
        Edit([&] { NoteAt(i)->time = static_cast<uint16_t>(NoteAt(i)->time + 500); });
        const ScoreSnapshot changed = TakeSnapshot(*doc_);
        ASSERT_EQ(UndoDepth(doc_.get()), 1) << "note " << i;
        UndoCommand(doc_.get(), nullptr);
        ASSERT_EQ(DescribeDifference(start, *doc_), "") << "note " << i;
        RedoCommand(doc_.get(), nullptr);
        ASSERT_EQ(DescribeDifference(changed, *doc_), "") << "note " << i;
        UndoCommand(doc_.get(), nullptr);
        ClearUndoHistory(doc_.get());
    }
}

}  // namespace
}  // namespace ql::testing_undo
