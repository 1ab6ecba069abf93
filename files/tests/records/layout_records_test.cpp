// Systems, pages, measure records and spacing entries as stored, written by hand from
// their tables.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/objects/score_object.h"
#include "files/records/file_codes.h"
#include "files/records/measure_records_io.h"
#include "files/records/page_records_io.h"
#include "files/score_file.h"
#include "files/tests/files_fixture.h"

namespace ql {
namespace {

// The hand-written records keep one field (or one group of fields) per line.
// clang-format off

using testing_files::FilesTest;
using testing_files::HandBytes;
using testing_files::V;

class LayoutRecords : public FilesTest {
  protected:
    ScoreSystem* System() { return doc_->firstPage->firstSystem.get(); }
};

// A system: its bytes 6-7 are the pools its arrays take for the staff count, never
// the bytes in memory; then the offsets and the flags of staves 1..S.
TEST_F(LayoutRecords, SystemRecordAndArrays) {
    BuildStaves(2, 4);
    ScoreSystem* system = System();
    ASSERT_NE(system, nullptr);
    ASSERT_TRUE(HasSystemArrays(system));
    system->number = 3;
    system->keepNaturalWidth = 1;
    system->firstMeasure = 5;
    system->lastMeasure = 9;
    system->x = -30208;
    system->y = 0x00012345;
    uint8_t offsetsPool = system->offsetsPool;
    uint8_t flagsPool = system->flagsPool;
    system->offsetsPool = 0x77;  // stale: never copied into the file
    StaffOffsetsOf(system)[1] = 0x0100;
    StaffOffsetsOf(system)[2] = 0x0300;
    StaffFlagsOf(system)[1] = -1;
    StaffFlagsOf(system)[2] = 0x04;
    ByteWriter writer;
    EncodeSystemRecord(*system, 2, writer);
    EncodeSystemOffsets(*system, 2, writer);
    EncodeSystemFlags(*system, 2, writer);
    HandBytes expected;
    expected.u8(3).u8(1)                                  // 0: number, keep natural width
        .u16(5).u16(9)                                    // 2: first and last measure
        .u8(PoolForWordArray(2)).u8(PoolForByteArray(2))  // 6: the pools of the arrays
        .u32(static_cast<uint32_t>(-30208))               // 8: x
        .u32(0x00012345)                                  // 12: y
        .u16(0x0100).u16(0x0300)                          // offsets of staves 1, 2
        .u8(0xFF).u8(0x04);                               // flags of staves 1, 2
    EXPECT_EQ(writer.Buffer(), expected.get());
    system->offsetsPool = offsetsPool;
    ScoreSystem back = *system;
    StaffOffsetsOf(system)[1] = 0;
    StaffFlagsOf(system)[2] = 0;
    ByteReader reader(writer.Data(), kStoredSystemBytes);
    DecodeSystemRecord(reader, &back);
    EXPECT_EQ(V(back.y), 0x00012345);
    EXPECT_EQ(V(back.flagsPool), flagsPool);
    Feed(std::vector<uint8_t>(writer.Buffer().begin() + kStoredSystemBytes, writer.Buffer().end()));
    EXPECT_EQ(ReadSystemArrays(system, 2, 1, 2), 0);
    EXPECT_EQ(StaffOffsetsOf(system)[1], 0x0100);
    EXPECT_EQ(StaffFlagsOf(system)[2], 0x04);
}

// Arrays too small for the staff count are never written past; a short read fails
// with the caller's codes.
TEST_F(LayoutRecords, SystemArraysAreBounded) {
    BuildStaves(2, 4);
    ScoreSystem* system = System();
    Feed(std::vector<uint8_t>(4000, 1));
    EXPECT_EQ(ReadSystemArrays(system, 1000, 1047, 1048), 1047);
    Feed({1, 0, 2});
    EXPECT_EQ(ReadSystemArrays(system, 2, 1047, 1048), 1047);
    Feed({1, 0, 2, 0, 9});
    EXPECT_EQ(ReadSystemArrays(system, 2, 1047, 1048), 1048);
}

// A page: four 32-bit fields as their low halves (read back sign-extended), measures,
// the system count and the page number.
TEST_F(LayoutRecords, PageRecord) {
    ScorePage page = *doc_->firstPage;
    const int32_t fields[4] = {0x00010002, -3, 40000, 7};
    std::memcpy(page.pageData, fields, sizeof fields);
    page.firstMeasure = 1;
    page.lastMeasure = 8;
    page.systemCount = 2;
    page.pageNumber = -2;
    ByteWriter writer;
    EncodePageRecord(page, writer);
    HandBytes expected;
    expected.u16(0x0002).u16(0xFFFD).u16(40000 & 0xFFFF).u16(7)  // 0: four narrowed fields
        .u16(1).u16(8)                                           // 8: first and last measure
        .u8(2).u8(0)                                             // 12: systems, page byte
        .u16(0xFFFE);                                            // 14: page number -2
    EXPECT_EQ(writer.Buffer(), expected.get());
    ScorePage back = *doc_->firstPage;
    ByteReader reader(writer.Data(), writer.Size());
    DecodePageRecord(reader, &back);
    int32_t read[4];
    std::memcpy(read, back.pageData, sizeof read);
    EXPECT_EQ(read[1], -3);
    EXPECT_EQ(read[2], static_cast<int16_t>(40000 & 0xFFFF));
    EXPECT_EQ(V(back.pageNumber), -2);
    EXPECT_EQ(back.margins, doc_->firstPage->margins) << "links are the reader's";
}

// A measure record carries the count of its spacing entries at offset 8; each entry
// is written with a zero link.
TEST_F(LayoutRecords, MeasureRecordWithSpacing) {
    MeasureRecord measure{};
    measure.flags = 0x21;
    measure.barline = 0x16;
    measure.repeatCount = 2;
    measure.lengthTicks = 4096;
    measure.width = 1500;
    measure.lead = -10;
    measure.trail = 20;
    measure.layoutData14 = 0x3333;
    measure.extra = 4;
    measure.stretch = 0x0180;
    measure.numberFlags = 1;
    measure.number = 17;
    auto* first = AllocRecordAs<SpacingEntry>(kSpacingEntryPool);
    auto* second = AllocRecordAs<SpacingEntry>(kSpacingEntryPool);
    *first = SpacingEntry{PtrToHandle(kSpacingEntryPool, second).bits, 0, 1024, 0x0140};
    *second = SpacingEntry{0, 1024, 3072, 0x0120};
    measure.spacing = PtrToHandle(kSpacingEntryPool, first);
    ByteWriter writer;
    EncodeMeasureWithSpacing(measure, writer);
    HandBytes expected;
    expected.u8(0x21).u8(0).u8(0x16).u8(2)     // 0: flags, byte, barline, repeats
        .u16(4096).u16(1500)                   // 4: length, width
        .u16(2)                                // 8: spacing entries that follow
        .u16(0xFFF6).u16(20)                   // 10: lead, trail
        .u16(0x3333)                           // 14: layout word
        .u8(4).u8(0)                           // 16: extra measures, byte
        .u16(0x0180)                           // 18: stretch
        .zeros(5).u8(1).u16(17)                // 20: bytes, number flags, number
        .u16(0).u16(0).u16(1024).u16(0x0140)   // entry 1: link 0, time, ticks, x
        .u16(0).u16(1024).u16(3072).u16(0x0120);  // entry 2
    EXPECT_EQ(writer.Buffer(), expected.get());
    ByteReader reader(writer.Data(), kStoredMeasureBytes);
    MeasureRecord back{};
    back.spacing = RecordHandle{99};
    EXPECT_EQ(DecodeMeasureRecord(reader, &back), 2);
    EXPECT_EQ(back.spacing, RecordHandle{});
    EXPECT_EQ(V(back.lead), -10);
    Feed(std::vector<uint8_t>(writer.Buffer().begin() + kStoredMeasureBytes, writer.Buffer().end()));
    RecordHandle chain{};
    ASSERT_EQ(ReadSpacingList(2, &chain), 0);
    back.spacing = chain;
    EXPECT_EQ(CountSpacingEntries(back), 2);
    ByteWriter again;
    EncodeMeasureWithSpacing(back, again);
    EXPECT_EQ(again.Buffer(), writer.Buffer());
}

// A spacing list longer than the bytes left fails before an entry is made; a list
// whose third entry cannot be had fails with 1293 and gives back the two it took.
TEST_F(LayoutRecords, SpacingListFailuresLeaveNothing) {
    int live = LiveRecords();
    RecordHandle chain{};
    Feed(std::vector<uint8_t>(8 * 3 - 1, 0));
    EXPECT_EQ(ReadSpacingList(3, &chain), file_code::kSpacingEntry);
    EXPECT_EQ(LiveRecords(), live);
    Feed(std::vector<uint8_t>(8 * 3, 0));
    FailRecordAllocationAfter(2);
    EXPECT_EQ(ReadSpacingList(3, &chain), file_code::kSpacingAlloc);
    FailNextRecordAllocations(0);
    EXPECT_EQ(chain, RecordHandle{});
    EXPECT_EQ(LiveRecords(), live);
    EXPECT_EQ(ReadSpacingList(0, &chain), 0);
}

// clang-format on

}  // namespace
}  // namespace ql
