// Records read from a file are live whatever their bytes: a spacing entry and a note
// whose stored bytes 4-7 are AA BB EE FF (the words a freed record once carried) go
// through their decoders and whole files without a message, keep every record, and
// are written back as they were read.
#include <gtest/gtest.h>

#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "files/records/measure_records_io.h"
#include "files/records/music_records.h"
#include "files/score_file.h"
#include "files/tests/read/read_fixture.h"
#include "platform/ui/headless.h"

namespace ql {
namespace {

namespace tf = testing_files;
using ByteVec = std::vector<uint8_t>;

constexpr size_t kSpacingCountAt = 8;

// Three spacing entries of a sound list; the last holds ticks 0xBBAA and x 0xFFEE,
// so its second word reads AA BB EE FF.
ByteVec ThreeSpacingEntries() {
    return tf::HandBytes()
        .u16(0).u16(0).u16(1024).u16(0x0140)
        .u16(0).u16(1024).u16(1024).u16(0x0120)
        .u16(0).u16(2048).u16(0xBBAA).u16(0xFFEE)
        .get();
}

class RecordBytes : public tf::ReadTest {};

TEST_F(RecordBytes, SpacingEntryThroughItsDecoder) {
    ScopedPoolSet pools(doc_->pools);
    const int live = LiveRecords();
    const ByteVec stored = ThreeSpacingEntries();
    Feed(stored);
    RecordHandle chain{};
    ASSERT_EQ(ReadSpacingList(3, &chain), 0);
    MeasureRecord measure{};
    measure.spacing = chain;
    EXPECT_EQ(CountSpacingEntries(measure), 3);
    const auto* first = FindRecord<SpacingEntry>(kSpacingEntryPool, chain);
    ASSERT_NE(first, nullptr);
    const auto* second = FindRecord<SpacingEntry>(kSpacingEntryPool, RecordHandle{first->next});
    ASSERT_NE(second, nullptr);
    const auto* third = FindRecord<SpacingEntry>(kSpacingEntryPool, RecordHandle{second->next});
    ASSERT_NE(third, nullptr);
    EXPECT_TRUE(IsLiveRecord(doc_->pools, kSpacingEntryPool, third));
    EXPECT_EQ(tf::V(third->ticksToNext), 0xBBAA);
    EXPECT_EQ(tf::V(third->xPer16Ticks), 0xFFEE);
    ByteWriter again;
    EncodeMeasureWithSpacing(measure, again);
    EXPECT_EQ(ByteVec(again.Buffer().begin() + kStoredMeasureBytes, again.Buffer().end()), stored);
    FreeNodeChain(measure.spacing);
    EXPECT_EQ(LiveRecords(), live) << "every entry was given back";
}

TEST_F(RecordBytes, SpacingEntryThroughAWholeFile) {
    BuildSmallScore(2, 3);
    ByteVec bytes = Write(doc_, view_);
    ASSERT_FALSE(bytes.empty());
    const size_t measure1 = tf::FindTag(bytes, "STIK") + 4;
    ASSERT_EQ(tf::GetU16(bytes, measure1 + kSpacingCountAt), 0);
    tf::PutU16(bytes, measure1 + kSpacingCountAt, 3);
    const ByteVec entries = ThreeSpacingEntries();
    bytes.insert(bytes.begin() + static_cast<long>(measure1 + tf::kMeasureBytes), entries.begin(), entries.end());
    ui::headless::ResetUi();
    ScoreLoad load = Read(bytes);
    ASSERT_EQ(load.code, 0);
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
    {
        ScopedPoolSet pools(load.document->pools);
        EXPECT_EQ(CountSpacingEntries(load.document->measureTable[1]), 3);
    }
    const ByteVec g2 = Rewrite(load);
    const size_t saved = tf::FindTag(g2, "STIK") + 4;
    ASSERT_EQ(tf::GetU16(g2, saved + kSpacingCountAt), 3);
    const auto at = g2.begin() + static_cast<long>(saved + tf::kMeasureBytes);
    EXPECT_EQ(ByteVec(at, at + static_cast<long>(entries.size())), entries);
    ScoreLoad again = Read(g2);
    ASSERT_EQ(again.code, 0);
    EXPECT_EQ(Rewrite(again), g2);
}

// The notes of staff 1, measure 1, voice 0 of a document.
std::vector<EventRecord*> Notes(ScoreDocument* document) {
    ScopedPoolSet pools(document->pools);
    std::vector<EventRecord*> notes;
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, 1);
    EventRecord* head = cell != nullptr ? GetVoiceHead(cell, 0) : nullptr;
    for (EventRecord* e = head != nullptr ? NextEvent(head) : nullptr; e != nullptr && !IsHeadSentinel(*e);
         e = NextEvent(e))
        notes.push_back(e);
    return notes;
}

TEST_F(RecordBytes, NoteThroughItsDecoderAndAWholeFile) {
    BuildSmallScore(2, 3);
    std::vector<EventRecord*> notes = Notes(doc_);
    ASSERT_EQ(notes.size(), 2u);
    {
        // The stored bytes 4-7 of the first note: velocity, step and stem word.
        ScopedPoolSet pools(doc_->pools);
        ByteWriter writer;
        EncodeStoredEvent(*notes[0], StoredEventLinks{}, writer);
        ByteVec stored = writer.Buffer();
        stored[4] = 0xAA, stored[5] = 0xBB, stored[6] = 0xEE, stored[7] = 0xFF;
        auto* event = AllocRecordAs<EventRecord>(kEventRecordPool);
        ASSERT_NE(event, nullptr);
        ByteReader reader(stored.data(), stored.size());
        DecodeStoredEvent(reader, event);
        EXPECT_TRUE(IsLiveRecord(doc_->pools, kEventRecordPool, event));
        EXPECT_EQ(FindRecord<EventRecord>(kEventRecordPool, PtrToHandle(kEventRecordPool, event)), event);
        FreeRecord(kEventRecordPool, event);
        notes[0]->velocity = static_cast<int8_t>(0xAA);
        notes[0]->step = 0xBB;
        notes[0]->stemWord = 0xFFEE;
    }
    ScoreLoad load = Read(Write(doc_, view_));
    ASSERT_EQ(load.code, 0);
    std::vector<EventRecord*> loaded = Notes(load.document);
    ASSERT_EQ(loaded.size(), 2u) << "every note is kept";
    EXPECT_TRUE(IsLiveRecord(load.document->pools, kEventRecordPool, loaded[0]));
    EXPECT_EQ(tf::V(loaded[0]->stemWord), 0xFFEE);
    const ByteVec g2 = Rewrite(load);
    ScoreLoad again = Read(g2);
    ASSERT_EQ(again.code, 0);
    EXPECT_EQ(Notes(again.document).size(), 2u);
    EXPECT_EQ(Rewrite(again), g2);
}

// A text object whose string record's second word is AA BB EE FF, as a user can type
// it: read back through the object decoder, it keeps its string and its record.
TEST_F(RecordBytes, ObjectStringThroughItsDecoder) {
    ScopedPoolSet pools(doc_->pools);
    const char kString[] = "Lent\xAA\xBB\xEE\xFF";  // characters 4-7 are the record's second word
    ScoreObject* object = Make(ObjectType::Text);
    ASSERT_NE(object, nullptr);
    ASSERT_GE(SetTextObjectString(AsTextObject(object), kString), 0);
    AsTextObject(object)->body.flags |= kTextOwnsString;
    const ByteVec stored = EncodeObject(object);
    ScoreObject* back = ReadOne(stored);
    ASSERT_NE(back, nullptr);
    EXPECT_STREQ(TextObjectString(AsTextObject(back)), kString);
    EXPECT_EQ(EncodeObject(back), stored);
}

}  // namespace
}  // namespace ql
