// The "MUSE" section's fixed records: the 8-byte cell header (the leading bytes of a
// MeasureCell: clef and key, a byte, the flag word, the hide bits and the time
// signature), the 28-byte StoredEventRecord (the leading bytes of an EventRecord with
// its attachment handle replaced by the number of attached objects that follow, and
// its two beam links by 1-based positions in the voice, 0 for none) and the 2-byte
// accidental word of an event whose AccidentalCode is not 0 (bits 3-15 the magnitude
// of the accidental's offset, bit 0 its flag bit 1, bit 1 its flag bit 8).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/model/event_record.h"
#include "core/model/grid_records.h"
#include "files/bytes/byte_reader.h"
#include "files/bytes/byte_writer.h"

namespace ql {

struct ScoreObject;

constexpr size_t kStoredEventBytesInFile = 28;
static_assert(kStoredEventBytesInFile == kStoredEventBytes);

// The AccidentalCode of an event: bits 1-3 of its flag word (0 none).
constexpr uint16_t kEventAccidentalMask = 0x000E;
constexpr int kEventAccidentalShift = 1;
constexpr int AccidentalCodeOf(const EventRecord& event) {
    return (event.flags & kEventAccidentalMask) >> kEventAccidentalShift;
}

void EncodeCellHeader(const MeasureCell& cell, ByteWriter& writer);
// The leading 8 bytes into `cell`; the rest of the cell is left alone.
void DecodeCellHeader(ByteReader& reader, MeasureCell* cell);
// The same from the kStoredCellBytes bytes at `stored`: on a little-endian machine
// they are the cell's leading bytes, copied whole.
inline void DecodeCellHeaderInPlace(const uint8_t* stored, MeasureCell* cell) {
    if constexpr (std::endian::native != std::endian::little) {
        ByteReader reader(stored, kStoredCellBytes);
        DecodeCellHeader(reader, cell);
        return;
    }
    static_assert(offsetof(MeasureCell, cellWord) == 2 && offsetof(MeasureCell, cellFlags) == 4 &&
                  offsetof(MeasureCell, cellData7) == 7 && offsetof(MeasureCell, voices) == kStoredCellBytes);
    std::memcpy(reinterpret_cast<uint8_t*>(cell), stored, kStoredCellBytes);
}

// What replaces an event's handles in the file.
struct StoredEventLinks {
    uint16_t attachments = 0;  // object records that follow the event
    uint16_t beamPrev = 0;     // 1 + position of the partner in the voice; 0 none
    uint16_t beamNext = 0;
};
// The stored event into the kStoredEventBytesInFile bytes at `stored`: on a
// little-endian machine the record's leading bytes copied whole with the links put
// in their places, else field by field.
void EncodeStoredEvent(const EventRecord& event, const StoredEventLinks& links, uint8_t* stored);
// The same, appended to `writer`.
void EncodeStoredEvent(const EventRecord& event, const StoredEventLinks& links, ByteWriter& writer);
// The record built field by field from its table (what the copy has to equal).
void EncodeStoredEventByFields(const EventRecord& event, const StoredEventLinks& links, ByteWriter& writer);
// The stored fields into `event` (attachment, beam links and chain links 0).
StoredEventLinks DecodeStoredEvent(ByteReader& reader, EventRecord* event);
// A stored event as the leading 24 bytes of its record (three little-endian words,
// the attachment's place cleared) and the links read from it. Little-endian
// machines only: the record's bytes are the file's bytes there.
struct StoredEventImage {
    uint64_t words[3];
    StoredEventLinks links;
};
constexpr size_t kStoredEventWordBytes = sizeof(uint64_t);
inline StoredEventImage ReadStoredEventImage(const uint8_t* stored) {
    static_assert(offsetof(EventRecord, attachment) == 14 && offsetof(EventRecord, time) == 16 &&
                  offsetof(EventRecord, nudge) == 23 && offsetof(EventRecord, beamPrev) == 24 &&
                  offsetof(EventRecord, beamNext) == 26 && offsetof(EventRecord, prev) == kStoredEventBytesInFile &&
                  sizeof(EventRecord) == 4 * sizeof(uint64_t));
    constexpr uint64_t kWithoutAttachment = 0x0000FFFFFFFFFFFFull;  // bytes 8-13 of 8-15
    StoredEventImage image;
    std::memcpy(&image.words[0], stored, kStoredEventWordBytes);
    std::memcpy(&image.words[1], stored + kStoredEventWordBytes, kStoredEventWordBytes);
    std::memcpy(&image.words[2], stored + 2 * kStoredEventWordBytes, kStoredEventWordBytes);
    image.words[1] &= kWithoutAttachment;
    image.links.attachments = LoadLe16(stored + offsetof(EventRecord, attachment));
    image.links.beamPrev = LoadLe16(stored + offsetof(EventRecord, beamPrev));
    image.links.beamNext = LoadLe16(stored + offsetof(EventRecord, beamNext));
    return image;
}
// Writes the record whole: the image's three words, then `links` as its fourth
// (beamPrev, beamNext, prev, next from the low bytes up). Whole words, which later
// reads of single fields can take straight from the stores (a 28-byte copy made
// GCC go through the stack).
inline void StoreEventWords(const StoredEventImage& image, uint64_t links, EventRecord* event) {
    auto* record = reinterpret_cast<uint8_t*>(event);
    std::memcpy(record, &image.words[0], kStoredEventWordBytes);
    std::memcpy(record + kStoredEventWordBytes, &image.words[1], kStoredEventWordBytes);
    std::memcpy(record + 2 * kStoredEventWordBytes, &image.words[2], kStoredEventWordBytes);
    std::memcpy(record + 3 * kStoredEventWordBytes, &links, kStoredEventWordBytes);
}
// The same decoding of one whole stored event (kStoredEventBytesInFile bytes at
// `stored`), written straight into `event`: the loader's form, one copy of the
// leading bytes rather than a read per field. Inline, for the loader's loops.
inline StoredEventLinks DecodeStoredEventInPlace(const uint8_t* stored, EventRecord* event) {
    if constexpr (std::endian::native != std::endian::little) {
        ByteReader reader(stored, kStoredEventBytesInFile);
        return DecodeStoredEvent(reader, event);
    }
    const StoredEventImage image = ReadStoredEventImage(stored);
    StoreEventWords(image, 0, event);
    return image.links;
}

// Whether a stored event (kStoredEventBytesInFile bytes at `stored`) is followed by
// nothing of its own in the file: its AccidentalCode is 0, so it has no accidental
// word, and it counts no attached objects.
inline bool IsPlainStoredEvent(const uint8_t* stored) {
    return (LoadLe16(stored) & kEventAccidentalMask) == 0 && LoadLe16(stored + offsetof(EventRecord, attachment)) == 0;
}

// The accidental's fields the word carries.
struct AccidentalWord {
    int16_t offset = 0;     // 0 or negative: logical units left of the note
    bool flagBit1 = false;  // hidden
    bool flagBit8 = false;  // the low parentheses bit
    constexpr bool operator==(const AccidentalWord&) const = default;
};
constexpr int kAccidentalMagnitudeShift = 3;
constexpr uint16_t kAccidentalMagnitudeLimit = 0x1FFF;  // 13 bits
uint16_t EncodeAccidentalWord(const AccidentalWord& word);
AccidentalWord DecodeAccidentalWord(uint16_t word);
// The word's fields of an Accidental object, and back.
AccidentalWord AccidentalWordOf(const ScoreObject* accidental);
void ApplyAccidentalWord(ScoreObject* accidental, const AccidentalWord& word);

}  // namespace ql
