// Undo and redo across records taken and released: which records are live follows
// the history exactly, whatever bytes the records hold (here the words a freed
// record once carried, as file bytes may hold them).
#include <gtest/gtest.h>

#include <cstring>

#include "core/tests/undo/undo_fixture.h"

namespace ql::testing_undo {
namespace {

using UndoLiveness = UndoTest;

// Writes the four bytes AA BB EE FF over the note's second word.
EventRecord* Forged(EventRecord* note) {
    const uint8_t word[4] = {0xAA, 0xBB, 0xEE, 0xFF};
    std::memcpy(reinterpret_cast<std::byte*>(note) + 4, word, sizeof word);
    return note;
}

TEST_F(UndoLiveness, LiveRecordsFollowTheHistory) {
    const PoolSet pools(doc_->pools);
    auto live = [&](const void* record) { return IsLiveRecord(pools, kEventRecordPool, record); };
    EventRecord* a = nullptr;
    EventRecord* b = nullptr;
    Edit([&] {
        a = Forged(InsertNote(10, 1));
        b = Forged(InsertNote(20, 2));
    });
    ASSERT_TRUE(a != nullptr && b != nullptr);
    EventRecord* c = nullptr;
    EventRecord* d = nullptr;
    Edit([&] {
        ASSERT_EQ(NoteAt(0), b);
        ASSERT_TRUE(DeleteNote(0));
        c = Forged(InsertNote(30, 3));
        d = Forged(InsertNote(40, 4));
    });
    ASSERT_EQ(c, b) << "the released slot is taken again";
    auto expect = [&](int notes, bool liveA, bool liveB, bool liveD, const char* when) {
        EXPECT_EQ(NoteCount(), notes) << when;
        EXPECT_EQ(live(a), liveA) << when;
        EXPECT_EQ(live(b), liveB) << when;
        EXPECT_EQ(live(d), liveD) << when;
        EXPECT_EQ(DescribeNoteFaults(), "") << when;
    };
    expect(3, true, true, true, "after the edits");
    UndoCommand(doc_.get(), nullptr);
    expect(2, true, true, false, "after one undo");
    EXPECT_EQ(NoteTimes(), (std::vector<uint16_t>{20, 10}));
    UndoCommand(doc_.get(), nullptr);
    expect(0, false, false, false, "after two undos");
    RedoCommand(doc_.get(), nullptr);
    expect(2, true, true, false, "after one redo");
    RedoCommand(doc_.get(), nullptr);
    expect(3, true, true, true, "after two redos");
    EXPECT_EQ(NoteTimes(), (std::vector<uint16_t>{40, 30, 10}));
}

// Records freed and taken outside edits are told apart from the history's by their
// live bits, whatever they hold: a note deleted between edits drops the undo record
// that would link it again, and the chain stays sound.
TEST_F(UndoLiveness, ChangesBetweenEditsSeeLiveBitsNotBytes) {
    Edit([&] {
        Forged(InsertNote(10, 1));
        Forged(InsertNote(20, 2));
    });
    ASSERT_TRUE(DeleteNote(0));  // between edits, as step entry deletes
    MarkChanged();
    UndoCommand(doc_.get(), nullptr);
    EXPECT_EQ(DescribeNoteFaults(), "");
    Edit([&] { Forged(InsertNote(30, 3)); });
    UndoCommand(doc_.get(), nullptr);
    RedoCommand(doc_.get(), nullptr);
    EXPECT_EQ(DescribeNoteFaults(), "");
}

}  // namespace
}  // namespace ql::testing_undo
