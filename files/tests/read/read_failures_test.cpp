// Every way a read of the current version fails, each caused by a fixture made from
// the small score's stream with one change, and the code the read gives; a failed
// read leaves no document, view, flag or record behind. The bounds on the header's
// counts and on the counts of the stream are tried on both sides.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/constants.h"
#include "core/memory/arena.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "files/records/file_codes.h"
#include "files/tests/read/read_fixture.h"
#include "objects/object_services.h"

namespace ql {
namespace {

using testing_files::ReadTest;
namespace tf = testing_files;
namespace fc = file_code;

using ByteVec = std::vector<uint8_t>;

constexpr size_t kLabelRecordBytes = 26;

// The small score's stream and where its items lie.
class ReadFailures : public ReadTest {
  protected:
    void SetUp() override {
        ReadTest::SetUp();
        BuildSmallScore(1, 1);
        stream_ = Write(doc_, view_);
        ASSERT_FALSE(stream_.empty());
        ports_ = tf::GetU16(stream_, tf::kPortCountAt);
        staff_ = tf::kPortCountAt + 2 + tf::kPortEntryBytes * ports_ + tf::kGalleyRecordBytes + 3;
        stik_ = tf::FindTag(stream_, "STIK");
        muse_ = tf::FindTag(stream_, "MUSE", stik_);
        page_ = tf::FindTag(stream_, "PAGE", muse_);
        font_ = tf::FindTag(stream_, "FONT", page_);
        qfcs_ = tf::FindTag(stream_, "QFCS", font_);
        ASSERT_EQ(stik_, staff_ + tf::kStaffRecordBytes + 2);
        ASSERT_LT(qfcs_, stream_.size());
    }
    // The code of reading the stream changed by `change`; a failure must leave
    // nothing behind.
    int CodeOf(const std::function<void(ByteVec&)>& change) {
        ByteVec bytes = stream_;
        change(bytes);
        const size_t arena = ArenaBytesInUse();
        ScoreDocument* const current = State().documents.CurrentDocument;
        ScoreLoad load = Read(bytes);
        if (load.code != 0) {
            EXPECT_EQ(load.document, nullptr);
            EXPECT_EQ(load.view, nullptr);
            EXPECT_EQ(ArenaBytesInUse(), arena) << "a failed read left records behind";
            EXPECT_EQ(State().documents.CurrentDocument, current);
            EXPECT_EQ(State().files.ScoreFileReading, 0);
        }
        return load.code;
    }
    static std::function<void(ByteVec&)> Cut(size_t at) {
        return [at](ByteVec& b) { b.resize(at); };
    }
    static std::function<void(ByteVec&)> Word(size_t at, uint16_t value) {
        return [at, value](ByteVec& b) { tf::PutU16(b, at, value); };
    }
    static std::function<void(ByteVec&)> Byte(size_t at, uint8_t value) {
        return [at, value](ByteVec& b) { b.at(at) = value; };
    }
    size_t Cell() const { return muse_ + 4; }
    size_t FirstEvent() const { return muse_ + 16; }

    ByteVec stream_;
    size_t ports_ = 0, staff_ = 0, stik_ = 0, muse_ = 0, page_ = 0, font_ = 0, qfcs_ = 0;
};

// An event whose attached list cannot be read loses the rest of the music: the
// events of its voice that were not read leave no record in the document.
TEST_F(ReadFailures, MusicLostInAVoiceLeavesNoEventRecordBehind) {
    const auto liveEvents = [](const ScoreLoad& load) {
        const ScopedPoolSet pools(load.document->pools);
        int live = 0;
        AnyLiveRecordOf(kEventRecordPool, [&](void*) { return ++live, false; });
        return live;
    };
    const ScoreLoad whole = Read(stream_);
    ASSERT_EQ(whole.code, 0);
    ByteVec bytes = stream_;
    tf::PutU16(bytes, FirstEvent() + 14, 0x7FFF);  // more attached objects than the file holds
    const ScoreLoad damaged = Read(bytes);
    ASSERT_EQ(damaged.code, 0);
    EXPECT_TRUE(damaged.damaged);
    EXPECT_EQ(liveEvents(damaged), liveEvents(whole) - 1) << "the second event of the voice was lost";
}

// Event records run out at any event of a voice (the first of the records taken
// for it or a later one): the read fails with its code after one alert, not two.
TEST_F(ReadFailures, EventRecordsRunningOutAlertOnce) {
    int failures = 0;
    for (int n = 0; n < 400; ++n) {
        const uint32_t beeps = State().pools.ExhaustionBeeps.load();
        FailRecordAllocationAfter(n);
        const int code = CodeOf([](ByteVec&) {});
        FailNextRecordAllocations(0);
        if (code != fc::kEventMemory) continue;
        ++failures;
        EXPECT_EQ(State().pools.ExhaustionBeeps.load(), beeps + 1) << "failure after " << n << " records";
    }
    EXPECT_EQ(failures, 2) << "each of the voice's two events";
}

// The prologue and the header.
TEST_F(ReadFailures, PrologueAndHeader) {
    EXPECT_EQ(CodeOf([](ByteVec&) {}), 0);                                    // the stream as written
    EXPECT_EQ(CodeOf(Cut(20)), fc::kHeader);                                // short magic
    EXPECT_EQ(CodeOf(Byte(0, 'X')), fc::kHeader);                           // not the magic
    EXPECT_EQ(CodeOf(Byte(27, 33)), fc::kHeader);                           // a later major version
    EXPECT_EQ(CodeOf(Cut(tf::kHeaderAt + 200)), fc::kHeader);               // short header
    EXPECT_EQ(CodeOf(Byte(tf::kStaffCountAt, kMaxStaves + 1)), fc::kTooManyStaves);  // staff limit
}

// The measure count lies in 1..1020: both ends and one past each.
TEST_F(ReadFailures, MeasureCountBounds) {
    EXPECT_EQ(CodeOf(Word(tf::kMeasureCountAt, 0)), fc::kHeader);     // no measures
    EXPECT_EQ(CodeOf(Word(tf::kMeasureCountAt, 1021)), fc::kHeader);  // past the table
    EXPECT_EQ(CodeOf(Word(tf::kMeasureCountAt, 0xFFFF)), fc::kHeader);
    // 1020 passes the header: the stream then runs short in the measure table.
    EXPECT_EQ(CodeOf([&](ByteVec& b) {
                  tf::PutU16(b, tf::kMeasureCountAt, 1020);
                  b.resize(stik_ + 4 + 2 * tf::kMeasureBytes + 10);
              }),
              fc::kMeasureRecord);
}

// The face-name table and the staff section.
TEST_F(ReadFailures, StaffSection) {
    EXPECT_EQ(CodeOf(Word(tf::kPortCountAt, 0x8000)), fc::kPortCount);  // negative count
    EXPECT_EQ(CodeOf(Word(tf::kPortCountAt, 0x7FFF)), fc::kPortCount);  // more than the file holds
    EXPECT_EQ(CodeOf(Cut(tf::kPortCountAt + 1)), fc::kPortCount);       // short count
    EXPECT_EQ(CodeOf(Cut(staff_ - 3)), fc::kSystemOffsets);             // galley offsets cut
    EXPECT_EQ(CodeOf(Cut(staff_ - 1)), fc::kSystemFlags);               // galley flags cut
    EXPECT_EQ(CodeOf(Cut(staff_ + 10)), fc::kStaffRecords);             // staff record cut
    EXPECT_EQ(CodeOf(Cut(staff_ + 41)), fc::kLabelLength);              // label length cut
    EXPECT_EQ(CodeOf(Word(staff_ + 40, 2046)), fc::kLabelText);         // L + 2 = 2048: past the text
    EXPECT_EQ(CodeOf(Word(staff_ + 40, 2047)), fc::kLabelText);         // L + 2 above 2048
}

// A label's text of L bytes takes L + 2 in its pool: 2046 characters read whole,
// 2047 fail as the text's read, with every byte of the text in the file.
TEST_F(ReadFailures, LabelTextBounds) {
    auto withLabel = [&](uint16_t length) {
        return [this, length](ByteVec& b) {
            tf::PutU16(b, staff_ + 40, length);
            ByteVec label(kLabelRecordBytes, 0);
            label.insert(label.end(), length, 'a');
            b.insert(b.begin() + static_cast<std::ptrdiff_t>(staff_ + 42), label.begin(), label.end());
        };
    };
    EXPECT_EQ(CodeOf(withLabel(1)), 0);
    EXPECT_EQ(CodeOf(withLabel(2046)), 0);
    EXPECT_EQ(CodeOf(withLabel(2047)), fc::kLabelText);
    ByteVec longest = stream_;
    withLabel(2046)(longest);
    ScoreLoad load = Read(longest);
    ASSERT_EQ(load.code, 0);
    ScopedPoolSet pools(load.document->pools);
    ScoreObject* label = StaffRecordOf(load.document, 1)->objects->next.get();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(std::string(GetTextBoxString(label)), std::string(2046, 'a'));
}

// The measure table: its tag, records and spacing entries.
TEST_F(ReadFailures, MeasureTable) {
    EXPECT_EQ(CodeOf(Cut(stik_ + 2)), fc::kMeasureTag);                 // tag cut
    EXPECT_EQ(CodeOf(Byte(stik_, 'X')), fc::kMeasureTagMismatch);       // another tag
    EXPECT_EQ(CodeOf(Byte(stik_, 's')), 0);                             // any case
    EXPECT_EQ(CodeOf(Cut(stik_ + 4 + 20)), fc::kMeasureRecord);         // record cut
    // The spacing entry count: negative, or more entries than the bytes left.
    EXPECT_EQ(CodeOf(Word(stik_ + 4 + 8, 0x4000)), fc::kSpacingAlloc);
    EXPECT_EQ(CodeOf(Word(stik_ + 4 + 8, 0xFFFF)), fc::kSpacingAlloc);
    EXPECT_EQ(CodeOf(Word(stik_ + 4 + 8, 0x8000)), fc::kSpacingAlloc);
}

// The music: tag, cells, objects, events, accidental words and rests.
TEST_F(ReadFailures, Music) {
    EXPECT_EQ(CodeOf(Cut(muse_ + 2)), fc::kMusicTag);
    EXPECT_EQ(CodeOf(Byte(muse_, 'X')), fc::kMusicTagMismatch);
    EXPECT_EQ(CodeOf(Cut(Cell() + 4)), fc::kCellHeader);
    EXPECT_EQ(CodeOf(Word(Cell() + 8, 0xFFFF)), fc::kCellObjectCount);     // negative
    EXPECT_EQ(CodeOf(Word(Cell() + 8, 0x7FFF)), fc::kCellObjectCount);     // more than the bytes left
    EXPECT_EQ(CodeOf(Word(Cell() + 10, 0xFFFF)), fc::kEventCount);         // negative
    EXPECT_EQ(CodeOf(Word(Cell() + 10, 0x7FFF)), fc::kEventCount);         // more than the bytes left
    EXPECT_EQ(CodeOf(Cut(FirstEvent() + 10)), fc::kEventCount);            // fewer bytes than events
    // The first event's accidental word takes two of the bytes the count allowed for.
    EXPECT_EQ(CodeOf([&](ByteVec& b) {
                  b.at(FirstEvent()) |= 0x02;
                  b.resize(FirstEvent() + 2 * tf::kEventBytes + 1);
              }),
              fc::kEvent);
    EXPECT_EQ(CodeOf(Word(FirstEvent() + 2 * tf::kEventBytes, 0x8000)), fc::kRestCount);  // negative
    EXPECT_EQ(CodeOf(Word(FirstEvent() + 2 * tf::kEventBytes, 0x2000)), fc::kRestCount);  // too many
    // An accidental code on the last event: its word is then missing before the rests.
    EXPECT_EQ(CodeOf([&](ByteVec& b) {
                  b.at(FirstEvent() + tf::kEventBytes) |= 0x02;
                  b.resize(FirstEvent() + 2 * tf::kEventBytes + 1);
              }),
              fc::kAccidentalWord);
}

// Pages, systems and their object lists.
TEST_F(ReadFailures, Pages) {
    EXPECT_EQ(CodeOf(Cut(page_ + 2)), fc::kPageTag);
    EXPECT_EQ(CodeOf(Byte(page_, 'X')), fc::kPageTagMismatch);
    EXPECT_EQ(CodeOf(Word(page_ + 4, 0x8000)), fc::kPageCount);  // negative
    EXPECT_EQ(CodeOf(Word(page_ + 4, 0x7FFF)), fc::kPageCount);  // more than the bytes left
    EXPECT_EQ(CodeOf(Cut(page_ + 6 + 8)), fc::kPageCount);       // fewer bytes than records
    EXPECT_EQ(CodeOf(Byte(page_ + 6 + 12, 0x80)), fc::kPageRecord);  // negative system count
    EXPECT_EQ(CodeOf(Cut(page_ + 6 + 17)), fc::kPageObjectCount);
    EXPECT_EQ(CodeOf(Word(page_ + 6 + 16, 0x8000)), fc::kPageObjectCount);  // negative
    EXPECT_EQ(CodeOf(Word(page_ + 6 + 16, 0x7FFF)), fc::kPageObjectCount);  // more than the bytes left
}

// "FONT" and "QFCS": missing sections load; a "QFCS" count of 24 loads, 25 fails.
TEST_F(ReadFailures, Fonts) {
    EXPECT_EQ(CodeOf(Cut(font_ + 2)), fc::kFontTag);             // the tag cut
    EXPECT_EQ(CodeOf(Byte(font_, 'X')), 0);                      // no font sections
    EXPECT_EQ(CodeOf(Cut(font_ + 6 + 74 * 3)), 0);               // the slots cut short
    EXPECT_EQ(CodeOf(Cut(qfcs_)), 0);                            // no "QFCS"
    EXPECT_EQ(CodeOf(Word(qfcs_ + 4, 24)), 0);
    EXPECT_EQ(CodeOf(Word(qfcs_ + 4, 25)), fc::kCharsetCountTooLarge);
    EXPECT_EQ(CodeOf(Word(qfcs_ + 4, 0x8000)), fc::kCharsetCount);
    EXPECT_EQ(CodeOf(Cut(qfcs_ + 10)), 0);                       // the bytes cut short
}

}  // namespace
}  // namespace ql
