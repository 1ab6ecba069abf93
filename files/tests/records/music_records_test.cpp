// The "MUSE" section's fixed records, written by hand from their tables: the cell
// header, the stored event with its replaced links, the accidental word, and a
// voice's rest blocks with the reading of the rests back into the voice.
#include "files/records/music_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "files/bytes/byte_writer_test_seam.h"
#include "files/records/rest_records.h"
#include "files/score_file.h"
#include "files/tests/files_fixture.h"
#include "notes/accidentals/accidental.h"
#include "notes/accidentals/accidental_layout.h"
#include "notes/rests/rest.h"

namespace ql {
namespace {

// The hand-written records keep one field (or one group of fields) per line.
// clang-format off

using testing_files::FilesTest;
using testing_files::HandBytes;
using testing_files::V;

using MusicRecords = FilesTest;

// The cell header: the leading eight bytes of the cell.
TEST_F(MusicRecords, CellHeader) {
    BuildStaves(1, 2);
    MeasureCell cell = *Cell(1, 1);
    cell.clefKey = 0x72;
    cell.cellData1 = 0x11;
    cell.cellWord = 0x0C21;
    cell.cellFlags = 0x05;
    cell.beats = 6;
    cell.beatUnit = 9;
    cell.cellData7 = 0x33;
    ByteWriter writer;
    EncodeCellHeader(cell, writer);
    HandBytes expected;
    expected.u8(0x72).u8(0x11)   // 0: clef and key, byte
        .u16(0x0C21)             // 2: flag word
        .u8(0x05)                // 4: hide bits
        .u8(6).u8(9)             // 5: beats, beat unit
        .u8(0x33);               // 7: byte
    EXPECT_EQ(writer.Buffer(), expected.get());
    MeasureCell back = *Cell(1, 2);
    ByteReader reader(writer.Data(), writer.Size());
    DecodeCellHeader(reader, &back);
    EXPECT_EQ(std::memcmp(&back, &cell, kStoredCellBytes), 0);
    EXPECT_EQ(back.objects, Cell(1, 2)->objects) << "the cell's list is the reader's";
    // The loader's copy of the leading bytes reads the same header into the same cell.
    MeasureCell copied = *Cell(1, 2);
    DecodeCellHeaderInPlace(writer.Data(), &copied);
    EXPECT_EQ(std::memcmp(&copied, &back, sizeof(MeasureCell)), 0);
}

// The stored event: the event's leading bytes with the attachment handle replaced
// by the count of attached objects and the beam links by positions; the chain links
// are not stored.
TEST_F(MusicRecords, StoredEvent) {
    EventRecord event{};
    event.flags = 0x0043 | (3 << 1);  // accidental code 3
    event.word2 = 0x8001;
    event.velocity = -7;
    event.step = 0xFE;
    event.stemWord = 0x4200;
    event.attack = 12;
    event.release = -12;
    event.stemLength = -448;
    event.attachment = RecordHandle{0x1234};  // a handle: never stored
    event.time = 512;
    event.duration = 9;
    event.crossStaffPosition = 129;
    event.tupletKind = 1;
    event.tupletRatio = 0;
    event.outerRatio = 0x32;
    event.nudge = -1;
    event.beamPrev = RecordHandle{0x0101};
    event.beamNext = RecordHandle{0x0202};
    event.prev = RecordHandle{0x0303};
    EXPECT_EQ(AccidentalCodeOf(event), 3);
    ByteWriter writer;
    EncodeStoredEvent(event, StoredEventLinks{2, 1, 3}, writer);
    HandBytes expected;
    expected.u16(0x0047)          // 0: flags (accidental code in bits 1-3)
        .u16(0x8001)              // 2: word 2
        .u8(0xF9).u8(0xFE)        // 4: velocity, staff step
        .u16(0x4200)              // 6: stem word
        .u16(12).u16(0xFFF4)      // 8: attack, release
        .u16(0xFE40)              // 12: stem length
        .u16(2)                   // 14: attached objects that follow
        .u16(512)                 // 16: time
        .u8(9).u8(129)            // 18: duration, cross-staff position
        .u8(1).u8(0).u8(0x32)     // 20: tuplet kind, ratio, outer ratio
        .u8(0xFF)                 // 23: nudge
        .u16(1).u16(3);           // 24: beam partners' positions
    EXPECT_EQ(writer.Buffer(), expected.get());
    EventRecord back{};
    back.next = RecordHandle{7};
    ByteReader reader(writer.Data(), writer.Size());
    StoredEventLinks links = DecodeStoredEvent(reader, &back);
    EXPECT_EQ(links.attachments, 2);
    EXPECT_EQ(links.beamNext, 3);
    EXPECT_EQ(back.attachment, RecordHandle{});
    EXPECT_EQ(back.next, RecordHandle{});
    EXPECT_EQ(V(back.release), -12);
    EXPECT_EQ(V(back.nudge), -1);
}

// The loader's in-place decoding gives what the field-by-field decoder gives, for
// any stored bytes, and leaves no handle of the record it lands in.
TEST_F(MusicRecords, StoredEventDecodedInPlaceMatchesTheFieldDecoder) {
    uint32_t seed = 0x2545F491u;
    for (int round = 0; round < 200; ++round) {
        uint8_t stored[kStoredEventBytesInFile];
        for (uint8_t& byte : stored) {
            seed = seed * 1664525u + 1013904223u;
            byte = static_cast<uint8_t>(seed >> 24);
        }
        EventRecord byFields;
        std::memset(&byFields, 0x5A, sizeof byFields);
        ByteReader reader(stored, sizeof stored);
        const StoredEventLinks expected = DecodeStoredEvent(reader, &byFields);
        EventRecord inPlace;
        std::memset(&inPlace, 0xA5, sizeof inPlace);
        const StoredEventLinks links = DecodeStoredEventInPlace(stored, &inPlace);
        ASSERT_EQ(std::memcmp(&inPlace, &byFields, sizeof inPlace), 0) << "round " << round;
        ASSERT_EQ(links.attachments, expected.attachments);
        ASSERT_EQ(links.beamPrev, expected.beamPrev);
        ASSERT_EQ(links.beamNext, expected.beamNext);
    }
}

// The stored event copied whole from the record, for any record and links, gives
// what the field-by-field encoder gives, and writes its 28 bytes and no more.
TEST_F(MusicRecords, StoredEventCopiedWholeMatchesTheFieldEncoder) {
    uint32_t seed = 0x9E3779B9u;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<uint8_t>(seed >> 24);
    };
    for (int round = 0; round < 200; ++round) {
        EventRecord event;
        auto* raw = reinterpret_cast<uint8_t*>(&event);
        for (size_t i = 0; i < sizeof event; ++i) raw[i] = next();
        const StoredEventLinks links{static_cast<uint16_t>(next() | next() << 8),
                                     static_cast<uint16_t>(next() | next() << 8),
                                     static_cast<uint16_t>(next() | next() << 8)};
        ByteWriter byFields;
        EncodeStoredEventByFields(event, links, byFields);
        ByteWriter whole;
        EncodeStoredEvent(event, links, whole);
        ASSERT_EQ(whole.Buffer(), byFields.Buffer()) << "round " << round;
        uint8_t placed[kStoredEventBytesInFile + 2];
        std::memset(placed, 0x5A, sizeof placed);
        EncodeStoredEvent(event, links, placed + 1);
        ASSERT_EQ(std::memcmp(placed + 1, byFields.Data(), kStoredEventBytesInFile), 0) << "round " << round;
        ASSERT_EQ(placed[0], 0x5A);
        ASSERT_EQ(placed[kStoredEventBytesInFile + 1], 0x5A);
    }
}

// A record encoded in a buffer of its own keeps to its width and shows a field its
// encoder forgot as the scratch fill.
TEST_F(MusicRecords, LocalRecordsKeepToTheirWidth) {
    SetScratchFillForTests(0xA5);
    LocalRecord<4> record;
    record.U16(0, 0x1234);
    EXPECT_THROW(record.U16(3, 1), std::out_of_range);
    EXPECT_THROW(record.U8(4, 1), std::out_of_range);
    ByteWriter writer;
    record.AppendTo(writer);
    SetScratchFillForTests(0);
    EXPECT_EQ(writer.Buffer(), (std::vector<uint8_t>{0x34, 0x12, 0xA5, 0xA5}));
    EXPECT_THROW(writer.PutU16(3, 1), std::out_of_range);
    EXPECT_EQ(writer.Buffer(), (std::vector<uint8_t>{0x34, 0x12, 0xA5, 0xA5})) << "nothing written outside";
}

// The accidental word: bits 3-15 the magnitude of the offset (13 bits at most), bit 0
// the hidden flag, bit 1 the low parentheses bit; read back as a negative offset.
TEST_F(MusicRecords, AccidentalWord) {
    EXPECT_EQ(EncodeAccidentalWord(AccidentalWord{-96, true, false}), (96 << 3) | 1);
    EXPECT_EQ(EncodeAccidentalWord(AccidentalWord{-20000, false, true}), (0x1FFF << 3) | 2);
    EXPECT_EQ(EncodeAccidentalWord(AccidentalWord{0, false, false}), 0);
    EXPECT_EQ(DecodeAccidentalWord((96 << 3) | 3), (AccidentalWord{-96, true, true}));
    BuildStaves(1, 1);
    MeasureCell* cell = Cell(1, 1);
    view_->currentCell = cell;
    EventRecord* note = AddEventToVoice(view_, cell, 0, 0, 10, 0);
    ASSERT_NE(note, nullptr);
    ScoreObject* accidental = NewAccidentalForNote(view_, note);
    ASSERT_NE(accidental, nullptr);
    ApplyAccidentalWord(accidental, AccidentalWord{-150, true, true});
    EXPECT_EQ(AccidentalOffset(accidental), -150);
    EXPECT_TRUE(IsAccidentalHidden(accidental));
    EXPECT_EQ(AccidentalParentheses(accidental) & 1, 1);
    EXPECT_EQ(AccidentalWordOf(accidental), (AccidentalWord{-150, true, true}));
    EXPECT_EQ(AccidentalWordOf(nullptr), AccidentalWord{});
}

// A rest block: the ten body bytes field by field.
TEST_F(MusicRecords, RestBlock) {
    RestBody body{768, -2, 10, -5, -4, 2, 0x32, 0x21, 0x15};
    ByteWriter writer;
    EncodeRestBlock(body, writer);
    HandBytes expected;
    expected.u16(768)          // 0: tick
        .u8(0xFE)              // 2: horizontal offset
        .u8(10)                // 3: duration code
        .u8(0xFB)              // 4: fine vertical offset
        .u8(0xFC)              // 5: staff position
        .u8(2).u8(0x32)        // 6: tuplet kind, value
        .u8(0x21)              // 8: extra ratio
        .u8(0x15);             // 9: flags
    EXPECT_EQ(writer.Buffer(), expected.get());
    ByteReader reader(writer.Data(), writer.Size());
    RestBody back = DecodeRestBlock(reader);
    EXPECT_EQ(std::memcmp(&back, &body, sizeof body), 0);
}

// Reading a voice's rests: inserted in tick order into the voice's list (made when
// missing), a tick at or beyond the measure length read as 0; the rests write back
// in list order.
TEST_F(MusicRecords, RestsReadIntoTheVoiceInTickOrder) {
    BuildStaves(1, 1);
    MeasureCell* cell = Cell(1, 1);
    HandBytes bytes;
    bytes.u16(2048).u8(0).u8(10).u8(0).u8(0xFC).zeros(4);   // tick 2048
    bytes.u16(1024).u8(0).u8(10).u8(0).u8(0xFC).zeros(4);   // tick 1024
    bytes.u16(4096).u8(0).u8(10).u8(0).u8(0xFC).zeros(4);   // at the measure's end: 0
    Feed(bytes);
    ASSERT_EQ(ReadRecordChain(cell, 1, 3, 4096), 0);
    std::vector<int> ticks;
    for (ScoreObject* rest = GetVoiceFirstElement(cell, 1); rest != nullptr; rest = rest->next.get())
        ticks.push_back(RestBodyOf(rest)->tick);
    EXPECT_EQ(ticks, (std::vector<int>{0, 1024, 2048}));
    EXPECT_EQ(CountVoiceRests(cell, 1), 3);
    ByteWriter writer;
    EncodeVoiceRests(cell, 1, writer);
    EXPECT_EQ(writer.Size(), 30u);
    EXPECT_EQ(writer.Buffer()[0], 0);
    EXPECT_EQ(ReadRecordChain(cell, 2, 0, 4096), 0);
}

// More blocks than bytes left fail before a rest is made; a rest that cannot be
// made fails with 2 and the rests before it stay.
TEST_F(MusicRecords, RestChainFailures) {
    BuildStaves(1, 1);
    MeasureCell* cell = Cell(1, 1);
    ASSERT_NE(GetOrCreateVoiceElementList(cell, 0), nullptr);
    int live = LiveRecords();
    Feed(std::vector<uint8_t>(25, 0));
    EXPECT_EQ(ReadRecordChain(cell, 0, 3, 4096), kRestChainFailed);
    EXPECT_EQ(LiveRecords(), live);
    Feed(std::vector<uint8_t>(30, 0));
    FailRecordAllocationAfter(1);
    EXPECT_EQ(ReadRecordChain(cell, 0, 3, 4096), kRestChainFailed);
    FailNextRecordAllocations(0);
    EXPECT_EQ(CountVoiceRests(cell, 0), 1);
    EXPECT_EQ(LiveRecords(), live + 1);
}

// clang-format on

}  // namespace
}  // namespace ql
