// The "FONT" and "QFCS" sections: for every quick-font slot 1..23 (so that a reload
// keeps the setup of slots no text names), its number and the 72-byte StoredFontRecord (name and face up to their NULs
// with zeros after, the font handle as 0, bold, italic, underline, the slot byte and
// the height); then the character sets of all 24 slots.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/model/score_document.h"
#include "files/bytes/byte_reader.h"
#include "files/bytes/byte_writer.h"

namespace ql {

constexpr size_t kStoredFontBytes = 72;
constexpr int kFirstListedFontSlot = 1;
constexpr int kLastListedFontSlot = 23;
constexpr uint16_t kCharsetCount = kScoreFontCount;

void EncodeFontRecord(const QuickFontRecord& font, ByteWriter& writer);
// Name, face (byte 31 of each forced to NUL), bold, italic, underline, slot byte and
// height into `font`; its handle becomes 0 and its character set is left alone.
void DecodeFontRecord(ByteReader& reader, QuickFontRecord* font);
// The slot of the record's byte 69 (for files that carry it there).
uint8_t StoredFontCharset(const uint8_t* bytes);

// "FONT", the count 23, then each slot's number and record, slots 1 to 23.
void EncodeFontSection(const QuickFontRecord (&fonts)[kScoreFontCount], ByteWriter& writer);
// "QFCS", the count 24, then the character-set byte of slots 0..23.
void EncodeCharsetSection(const QuickFontRecord (&fonts)[kScoreFontCount], ByteWriter& writer);
// Reads the count and the bytes of "QFCS" (after its tag) into the fonts' character
// sets: 0, 1860 (count) or 1863 (a count above 24); a short read of the bytes keeps
// those read and ends without error.
int ReadCharsets(QuickFontRecord (&fonts)[kScoreFontCount]);

}  // namespace ql
