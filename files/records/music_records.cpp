// Stored cell headers, events and accidental words (see music_records.h).
#include "files/records/music_records.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "core/text/text_object.h"
#include "notes/accidentals/accidental_layout.h"

namespace ql {
namespace {

constexpr uint16_t kWordFlagBit1 = 0x0001;
constexpr uint16_t kWordFlagBit8 = 0x0002;
constexpr uint16_t kAccidentalFlagBit1 = 0x0002;
constexpr uint16_t kAccidentalFlagBit8 = 0x0100;

bool IsAccidental(const ScoreObject* object) {
    return object != nullptr && object->type == TypeCode(ObjectType::Accidental);
}

}  // namespace

void EncodeCellHeader(const MeasureCell& cell, ByteWriter& writer) {
    FixedRecord record(writer, kStoredCellBytes);
    record.U8(0, cell.clefKey);
    record.U8(1, cell.cellData1);
    record.U16(2, cell.cellWord);
    record.U8(4, cell.cellFlags);
    record.U8(5, cell.beats);
    record.U8(6, cell.beatUnit);
    record.U8(7, cell.cellData7);
}

void DecodeCellHeader(ByteReader& reader, MeasureCell* cell) {
    cell->clefKey = reader.U8();
    cell->cellData1 = reader.U8();
    cell->cellWord = reader.U16();
    cell->cellFlags = reader.U8();
    cell->beats = reader.U8();
    cell->beatUnit = reader.U8();
    cell->cellData7 = reader.U8();
}

void EncodeStoredEventByFields(const EventRecord& e, const StoredEventLinks& links, ByteWriter& writer) {
    LocalRecord<kStoredEventBytesInFile> record;
    record.U16(0, e.flags);
    record.U16(2, e.word2);
    record.I8(4, e.velocity);
    record.U8(5, e.step);
    record.U16(6, e.stemWord);
    record.I16(8, e.attack);
    record.I16(10, e.release);
    record.I16(12, e.stemLength);
    record.U16(14, links.attachments);
    record.U16(16, e.time);
    record.U8(18, e.duration);
    record.U8(19, e.crossStaffPosition);
    record.U8(20, e.tupletKind);
    record.U8(21, e.tupletRatio);
    record.U8(22, e.outerRatio);
    record.I8(23, e.nudge);
    record.U16(24, links.beamPrev);
    record.U16(26, links.beamNext);
    record.AppendTo(writer);
}

void EncodeStoredEvent(const EventRecord& e, const StoredEventLinks& links, uint8_t* stored) {
    if constexpr (std::endian::native != std::endian::little) {
        ByteWriter writer;
        EncodeStoredEventByFields(e, links, writer);
        std::memcpy(stored, writer.Data(), kStoredEventBytesInFile);
        return;
    }
    // The record's leading bytes are the stored event but for the three links.
    static_assert(offsetof(EventRecord, attachment) == 14 && offsetof(EventRecord, beamPrev) == 24 &&
                  offsetof(EventRecord, beamNext) == 26 && offsetof(EventRecord, prev) == kStoredEventBytesInFile);
    std::memcpy(stored, &e, kStoredEventBytesInFile);
    StoreLe16(stored + offsetof(EventRecord, attachment), links.attachments);
    StoreLe16(stored + offsetof(EventRecord, beamPrev), links.beamPrev);
    StoreLe16(stored + offsetof(EventRecord, beamNext), links.beamNext);
}

void EncodeStoredEvent(const EventRecord& e, const StoredEventLinks& links, ByteWriter& writer) {
    uint8_t stored[kStoredEventBytesInFile];
    EncodeStoredEvent(e, links, stored);
    writer.Bytes(stored, kStoredEventBytesInFile);
}

StoredEventLinks DecodeStoredEvent(ByteReader& reader, EventRecord* e) {
    StoredEventLinks links;
    e->flags = reader.U16();
    e->word2 = reader.U16();
    e->velocity = reader.I8();
    e->step = reader.U8();
    e->stemWord = reader.U16();
    e->attack = reader.I16();
    e->release = reader.I16();
    e->stemLength = reader.I16();
    links.attachments = reader.U16();
    e->attachment = RecordHandle{};
    e->time = reader.U16();
    e->duration = reader.U8();
    e->crossStaffPosition = reader.U8();
    e->tupletKind = reader.U8();
    e->tupletRatio = reader.U8();
    e->outerRatio = reader.U8();
    e->nudge = reader.I8();
    links.beamPrev = reader.U16();
    links.beamNext = reader.U16();
    e->beamPrev = e->beamNext = e->prev = e->next = RecordHandle{};
    return links;
}

uint16_t EncodeAccidentalWord(const AccidentalWord& word) {
    int magnitude = std::abs(static_cast<int>(word.offset));
    if (magnitude > kAccidentalMagnitudeLimit) magnitude = kAccidentalMagnitudeLimit;
    return static_cast<uint16_t>((magnitude << kAccidentalMagnitudeShift) |
                                 (word.flagBit1 ? kWordFlagBit1 : 0) |
                                 (word.flagBit8 ? kWordFlagBit8 : 0));
}

AccidentalWord DecodeAccidentalWord(uint16_t word) {
    AccidentalWord fields;
    fields.offset = static_cast<int16_t>(-(word >> kAccidentalMagnitudeShift));
    fields.flagBit1 = (word & kWordFlagBit1) != 0;
    fields.flagBit8 = (word & kWordFlagBit8) != 0;
    return fields;
}

AccidentalWord AccidentalWordOf(const ScoreObject* accidental) {
    AccidentalWord word;
    if (!IsAccidental(accidental)) return word;
    uint16_t flags = AsTextObject(accidental)->body.flags;
    word.offset = AccidentalOffset(accidental);
    word.flagBit1 = (flags & kAccidentalFlagBit1) != 0;
    word.flagBit8 = (flags & kAccidentalFlagBit8) != 0;
    return word;
}

void ApplyAccidentalWord(ScoreObject* accidental, const AccidentalWord& word) {
    if (!IsAccidental(accidental)) return;
    SetAccidentalOffset(accidental, word.offset);
    TextObjectBody& body = AsTextObject(accidental)->body;
    auto flags = static_cast<uint16_t>(body.flags & ~(kAccidentalFlagBit1 | kAccidentalFlagBit8));
    if (word.flagBit1) flags |= kAccidentalFlagBit1;
    if (word.flagBit8) flags |= kAccidentalFlagBit8;
    body.flags = flags;
}

}  // namespace ql
