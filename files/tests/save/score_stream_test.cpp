// The stream a save writes, against a fixture assembled by hand in the order of the
// format: tags, counts and the fields the writer replaces are written here field by
// field; fixed records whose codecs have hand fixtures of their own (header, staff,
// measure, cell, event, page, system, font) come from those codecs. The scroll
// view's system record (the galley) is not compared.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/document.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "files/bytes/byte_writer.h"
#include "files/records/font_records.h"
#include "files/records/header_record.h"
#include "files/records/measure_records_io.h"
#include "files/records/music_records.h"
#include "files/records/object_records.h"
#include "files/records/page_records_io.h"
#include "files/records/staff_records.h"
#include "files/score_file.h"
#include "files/tests/save/save_fixture.h"

namespace ql {
namespace {

using testing_files::HandBytes;
using testing_files::SaveTest;
using testing_files::V;

constexpr size_t kPrologueBytes = 28;
constexpr size_t kHeaderEnd = kPrologueBytes + 264;

class ScoreStream : public SaveTest {
  protected:
    template <typename Encode>
    static std::vector<uint8_t> Codec(Encode encode) {
        ByteWriter writer;
        encode(writer);
        return writer.Buffer();
    }
    // A page entry: its record, its systems (unless a master), its object list.
    void ExpectPage(HandBytes& e, ScorePage* page, bool systems, int staves) {
        e.bytes(Codec([&](ByteWriter& w) { EncodePageRecord(*page, w); }));
        for (ScoreSystem* s = page->firstSystem.get(); systems && s != nullptr; s = s->next.get())
            e.bytes(Codec([&](ByteWriter& w) {
                EncodeSystemRecord(*s, staves, w);
                EncodeSystemOffsets(*s, staves, w);
                EncodeSystemFlags(*s, staves, w);
            }));
        ScoreObject* first = page->margins.get();
        e.u16(CountStoredObjects(first));
        e.bytes(Codec([&](ByteWriter& w) { EncodeScoreObjectList(doc_, first, ObjectListMode::Page, w); }));
    }
};

// A score with one staff and one measure: two measure records ("STIK" holds the
// record after the last measure too) and one cell; the face-name count stops at the
// first empty entry; the voice's beam links become positions 1 and 2; "FONT" lists
// slots 1 to 23; the header holds the page count of the page list.
TEST_F(ScoreStream, OneStaffOneMeasure) {
    BuildSmallScore(1, 1);
    for (FaceNameEntry& entry : doc_->faceNames) entry = FaceNameEntry{};
    std::strcpy(doc_->faceNames[0].name, "Port A");
    std::strcpy(doc_->faceNames[2].name, "after a gap");  // not stored
    doc_->header.pageCount = 7;                             // stale: the list has one page
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << LastBox();
    std::vector<uint8_t> file = Bytes(doc_->path);
    ScopedPoolSet pools(doc_->pools);
    ASSERT_EQ(V(doc_->header.pageCount), 1);

    HandBytes head;
    head.text("QuaverlinescribeForWindows", 26)  // 0: magic, no NUL
        .u8(0x00)                                // 26: a two-byte version field follows
        .u8(32)                                  // 27: version 32
        .bytes(Codec([&](ByteWriter& w) { EncodeScoreFileHeader(doc_->header, w); }));  // 28: header
    ASSERT_GE(file.size(), kHeaderEnd);
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + kHeaderEnd), head.get());
    EXPECT_EQ(file[kPrologueBytes + 194], 1) << "page count at header offset 194";
    EXPECT_EQ(file[kPrologueBytes + 198], 2) << "format stamp";
    EXPECT_EQ(file[kPrologueBytes + 199], 32) << "format stamp";

    HandBytes e;
    e.u16(1)                          // face-name count: the leading non-empty entries
        .text("Port A", 32).zeros(2);  // entry 1: name up to its NUL, two zero bytes
    const size_t galley = 16 + 2 * 1 + 1;  // system record, S offsets, S flags: skipped
    HandBytes rest;
    rest.bytes(Codec([&](ByteWriter& w) { EncodeStaffRecord(*StaffRecordOf(doc_, 1), w); }))  // staff 1
        .u16(0)                      // staff 1 has no label
        .tag("STIK")                 // measure table
        .bytes(Codec([&](ByteWriter& w) { EncodeMeasureRecord(doc_->measureTable[1], 0, w); }))  // measure 1
        .bytes(Codec([&](ByteWriter& w) { EncodeMeasureRecord(doc_->measureTable[2], 0, w); }))  // record M + 1
        .tag("MUSE")
        .bytes(Codec([&](ByteWriter& w) { EncodeCellHeader(*Cell(1, 1), w); }))  // cell of staff 1, measure 1
        .u16(0)                      // no cell objects
        .u16(2);                     // voice 0: two events
    EventRecord* first = GetVoiceFirstEvent(Cell(1, 1), 0);
    EventRecord* second = NextEvent(first);
    rest.bytes(Codec([&](ByteWriter& w) { EncodeStoredEvent(*first, {0, 0, 2}, w); }))  // beams to position 2
        .bytes(Codec([&](ByteWriter& w) { EncodeStoredEvent(*second, {0, 1, 0}, w); }))  // from position 1
        .u16(0)                      // voice 0: no rests
        .u16(0).u16(0)               // voice 1: no events, no rests
        .u16(0).u16(0)               // voice 2
        .u16(0).u16(0)               // voice 3
        .tag("PAGE")
        .u16(1);                     // P: one page
    ExpectPage(rest, doc_->leftMaster, false, 1);
    ExpectPage(rest, doc_->rightMaster, false, 1);
    ExpectPage(rest, doc_->firstPage, true, 1);
    rest.tag("FONT").u16(23);        // every slot 1..23
    for (int slot = 1; slot <= 23; ++slot)
        rest.u16(slot).bytes(Codec([&](ByteWriter& w) { EncodeFontRecord(doc_->fonts[slot], w); }));
    rest.tag("QFCS").u16(24);
    for (const QuickFontRecord& font : doc_->fonts) rest.u8(font.charset);

    size_t at = kHeaderEnd;
    ASSERT_EQ(file.size(), at + e.get().size() + galley + rest.get().size());
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + at, file.begin() + at + e.get().size()), e.get());
    at += e.get().size() + galley;
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + at, file.end()), rest.get());
}

// A page whose chain holds more systems than the record's signed count can say
// fails with the "PAGE" step's code; the document's file is not made.
TEST_F(ScoreStream, TooManySystemsOnAPageFails) {
    BuildSmallScore(1, 1);
    ScopedPoolSet pools(doc_->pools);
    ScoreSystem* tail = doc_->firstPage->firstSystem.get();
    ASSERT_NE(tail, nullptr);
    while (tail->next.get() != nullptr) tail = tail->next.get();
    for (int i = 0; i < 128; ++i) {
        ScoreSystem* system = AllocSystemRecord(sizeof(ScoreSystem));
        ASSERT_NE(system, nullptr);
        system->previous = Ref32<ScoreSystem>::To(tail);
        tail->next = Ref32<ScoreSystem>::To(system);
        tail = system;
    }
    EXPECT_EQ(SaveScoreFile(doc_, view_), 0);
    EXPECT_FALSE(Exists(doc_->path));
    EXPECT_EQ(LastBox(), "write error code 2903");
}

}  // namespace
}  // namespace ql
