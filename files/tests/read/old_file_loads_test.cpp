// Whole files of older format versions read through the loader: a small score is
// written in the current form and rewritten by hand in the stored layout of an older
// version (its version field, a shorter header, shorter measure records and spacing
// entries), then read; the score must come back as it was, with the changes the
// older version's meaning asks for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/model/document.h"
#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "files/records/file_codes.h"
#include "files/records/file_version.h"
#include "files/tests/read/read_fixture.h"
#include "objects/object_services.h"
#include "objects/text_box/text_box.h"
#include "platform/win/headless.h"
#include "platform/win/keys.h"

namespace ql {
namespace {

namespace tf = testing_files;
namespace fc = file_code;
using ByteVec = std::vector<uint8_t>;

constexpr size_t kSpacingCountAt = 8;
constexpr size_t kHeaderFirstPageNumber = 76;
constexpr size_t kHeaderPlayback = 190;

ByteVec AsVersion(const ByteVec& current, uint8_t version, bool oneByte, uint8_t raw, int measures) {
    ByteVec out = tf::AsOlderVersion(current, version, oneByte, raw, measures);
    EXPECT_FALSE(out.empty()) << "version " << int(version);
    return out;
}

class OldFileLoads : public tf::ReadTest {
  protected:
    void SetUp() override {
        ReadTest::SetUp();
        BuildSmallScore(2, 3);
        current_ = Write(doc_, view_);
        ASSERT_FALSE(current_.empty());
        ScoreLoad load = Read(current_);
        ASSERT_EQ(load.code, 0);
        reference_ = load.document;
    }
    ScoreLoad ReadAs(uint8_t version, bool oneByte, uint8_t raw) {
        return Read(AsVersion(current_, version, oneByte, raw, 3));
    }
    // The measure lengths, stretches and events of a loaded score.
    static std::vector<int> Music(ScoreDocument* document) {
        std::vector<int> out;
        for (int m = 1; m <= document->header.measureCount; ++m) {
            const MeasureRecord& record = document->measureTable[m];
            out.insert(out.end(), {record.lengthTicks, record.stretch, record.barline});
        }
        MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, 1);
        EventRecord* head = GetVoiceHead(cell, 0);
        for (EventRecord* e = head != nullptr ? NextEvent(head) : nullptr; e != nullptr && !IsHeadSentinel(*e);
             e = NextEvent(e))
            out.insert(out.end(), {e->time, e->duration, e->step});
        return out;
    }

    ByteVec current_;
    ScoreDocument* reference_ = nullptr;
};

// The layouts: two-byte fields keep the full header; one-byte fields below 18 come
// with the 230-byte one (a raw 16 masks to 0 and takes every conversion); measure
// records and spacing entries shrink below 13 and 4. Each read, saved, is a score of
// the current version that reads back into the same bytes.
TEST_F(OldFileLoads, EveryLayoutReadsTheSameMusic) {
    const std::vector<int> expected = Music(reference_);
    struct Case {
        uint8_t version;
        bool oneByte;
        uint8_t raw;
    };
    for (Case c : {Case{31, false, 0}, Case{19, false, 0}, Case{16, false, 0}, Case{14, true, 14},
                   Case{12, true, 12}, Case{10, true, 10}, Case{9, true, 9}, Case{8, true, 8}, Case{7, true, 7}, Case{6, true, 6}, Case{5, true, 5}, Case{4, true, 4}, Case{3, true, 3}, Case{2, true, 0x12}, Case{0, true, 0x10}}) {
        ScoreLoad load = ReadAs(c.version, c.oneByte, c.raw);
        ASSERT_EQ(load.code, 0) << "version " << int(c.version);
        EXPECT_EQ(Music(load.document), expected) << "version " << int(c.version);
        EXPECT_EQ(load.document->header.measureCount, 3);
        EXPECT_EQ(load.document->header.staffCount, 2);
        // Saved, it is a score of the current version that reads back the same.
        const ByteVec g2 = Rewrite(load);
        ScoreLoad again = Read(g2);
        ASSERT_EQ(again.code, 0);
        EXPECT_EQ(Rewrite(again), g2) << "version " << int(c.version);
    }
}

// Before 20 measures and pages were not numbered in the file: measures count on
// from 1 and pages from the header's first page number.
TEST_F(OldFileLoads, NumbersOfOlderFilesAreRebuilt) {
    ByteVec bytes = current_;
    const size_t stik = tf::FindTag(bytes, "STIK");
    const size_t numberOfMeasure2 = stik + 4 + tf::kMeasureBytes + 26;  // no spacing entries before it
    ASSERT_EQ(tf::GetU16(bytes, stik + 4 + kSpacingCountAt), 0);
    tf::PutU16(bytes, numberOfMeasure2, 77);
    bytes[tf::kHeaderAt + kHeaderFirstPageNumber] = 5;
    current_ = bytes;
    ScoreLoad now = ReadAs(32, false, 0);
    ASSERT_EQ(now.code, 0);
    EXPECT_EQ(now.document->measureTable[2].number, 77);  // the current version keeps its numbers
    ScoreLoad old = ReadAs(19, false, 0);
    ASSERT_EQ(old.code, 0);
    EXPECT_EQ(old.document->measureTable[1].number, 1);
    EXPECT_EQ(old.document->measureTable[2].number, 2);
    EXPECT_EQ(old.document->firstPage->pageNumber, 5);
}

// From 20 to 22 the numbers are kept unless measures 1 and 2 are both numbered 0.
TEST_F(OldFileLoads, UnnumberedMeasuresBelow23) {
    const size_t stik = tf::FindTag(current_, "STIK");
    const size_t number1 = stik + 4 + 26, number2 = number1 + tf::kMeasureBytes, number3 = number2 + tf::kMeasureBytes;
    tf::PutU16(current_, number1, 0);
    tf::PutU16(current_, number3, 40);
    ScoreLoad kept = ReadAs(21, false, 0);  // measure 2 is still numbered
    ASSERT_EQ(kept.code, 0);
    EXPECT_EQ(kept.document->measureTable[3].number, 40);
    tf::PutU16(current_, number2, 0);
    ScoreLoad rebuilt = ReadAs(22, false, 0);
    ASSERT_EQ(rebuilt.code, 0);
    EXPECT_EQ(rebuilt.document->measureTable[3].number, 3);
    ScoreLoad current = ReadAs(23, false, 0);  // from 23 the file's numbers stand
    ASSERT_EQ(current.code, 0);
    EXPECT_EQ(current.document->measureTable[3].number, 40);
}

// Below 25 the playback percent is the program's; below 27 there is no "QFCS"
// section, so a count the current version refuses is never read.
TEST_F(OldFileLoads, OlderHeaderFieldsAndSections) {
    ProgramPreferences().header.notePlaybackPercent = 61;
    ByteVec bytes = current_;
    bytes[tf::kHeaderAt + kHeaderPlayback] = 90;
    const size_t qfcs = tf::FindTag(bytes, "QFCS", tf::FindTag(bytes, "FONT"));
    ASSERT_LT(qfcs, bytes.size());
    tf::PutU16(bytes, qfcs + 4, 25);
    current_ = bytes;
    EXPECT_EQ(ReadAs(32, false, 0).code, fc::kCharsetCountTooLarge);
    ScoreLoad at25 = ReadAs(26, false, 0);
    ASSERT_EQ(at25.code, 0);
    EXPECT_EQ(at25.document->header.notePlaybackPercent, 90);
    ScoreLoad below = ReadAs(24, false, 0);
    ASSERT_EQ(below.code, 0);
    EXPECT_EQ(below.document->header.notePlaybackPercent, 61);
}

// Version 15 comes in two layouts. Its full label records, whose last two bytes are
// not 0, look one byte shorter to a first read as 15, which then fails; read as 14
// it fails too, and as 16 it is read whole. Ctrl held reads it as the shorter form
// only; Shift held as 16 at once.
TEST_F(OldFileLoads, Version15IsRetriedInItsOtherLayouts) {
    constexpr char kName[] = "Violin";
    constexpr size_t kLabelRecordBytes = 26;
    ByteVec bytes = AsVersion(current_, 15, false, 0, 3);
    const size_t ports = tf::GetU16(bytes, tf::kPortCountAt);
    const size_t staves = bytes[tf::kStaffCountAt];
    const size_t length = tf::kPortCountAt + 2 + tf::kPortEntryBytes * ports + tf::kGalleyRecordBytes +
                          3 * staves + tf::kStaffRecordBytes * staves;
    ASSERT_EQ(tf::GetU16(bytes, length), 0);  // staff 1 has no label yet
    tf::PutU16(bytes, length, static_cast<uint16_t>(std::strlen(kName)));
    ByteVec label(kLabelRecordBytes, 0);
    label[24] = 1;  // a word no reader keeps
    label.insert(label.end(), kName, kName + std::strlen(kName));
    bytes.insert(bytes.begin() + static_cast<long>(length + 2), label.begin(), label.end());

    ScoreLoad retried = Read(bytes);
    ASSERT_EQ(retried.code, 0);
    EXPECT_STREQ(GetTextBoxString(GetStaffLabelObject(StaffRecordOf(retried.document, 1))), kName);
    win::headless::SetKeyDown(win::Key::Control, true);
    EXPECT_NE(Read(bytes).code, 0);
    win::headless::SetKeyDown(win::Key::Control, false);
    win::headless::SetKeyDown(win::Key::Shift, true);
    EXPECT_EQ(Read(bytes).code, 0);
    win::headless::SetKeyDown(win::Key::Shift, false);
}

// Before 3 system coordinates were stored from an origin of 30720; one stored at the
// smallest 32-bit value is lowered no further and the file opens.
TEST_F(OldFileLoads, SystemAtTheSmallestCoordinateOpens) {
    const size_t ports = tf::GetU16(current_, tf::kPortCountAt);
    const size_t galley = tf::kPortCountAt + 2 + tf::kPortEntryBytes * ports;
    for (size_t at : {galley + 8, galley + 12}) {
        tf::PutU16(current_, at, 0);
        tf::PutU16(current_, at + 2, 0x8000);
    }
    ScoreLoad load = ReadAs(2, false, 0);
    ASSERT_EQ(load.code, 0);
    EXPECT_EQ(Music(load.document), Music(reference_));
    const ByteVec g2 = Rewrite(load);
    ScoreLoad again = Read(g2);
    ASSERT_EQ(again.code, 0);
    EXPECT_EQ(Rewrite(again), g2);
}

// Versions past the current major one and a two-byte field of 0 are refused.
TEST_F(OldFileLoads, VersionsOutsideTheRangeAreRefused) {
    EXPECT_EQ(ReadAs(kLaterMajorVersion, false, 0).code, fc::kHeader);
    EXPECT_EQ(ReadAs(0, false, 0).code, fc::kHeader);
}

}  // namespace
}  // namespace ql
