// Pages and systems in a score file. StoredSystemRecord (16 bytes): the system's number
// and keep-natural-width bytes, first and last measure, the pools of its two staff
// arrays (the pools the staff count gives, never the bytes in memory), and its x and
// y; then S 16-bit staff offsets and S flag bytes (staves 1..S). StoredPageRecord (16
// bytes): the page's four leading 32-bit fields as their low halves (read back
// sign-extended), first and last measure, the system count word and the page number.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/model/page_records.h"
#include "files/bytes/byte_reader.h"
#include "files/bytes/byte_writer.h"

namespace ql {

constexpr int kPageDataFields = 4;

void EncodeSystemRecord(const ScoreSystem& system, int staffCount, ByteWriter& writer);
// Number, keep-natural-width, measures and coordinates into `system`; its pools,
// arrays and links are left alone.
void DecodeSystemRecord(ByteReader& reader, ScoreSystem* system);
// The S offsets (entries 1..S), then the S flags; zeros for an array the system lacks.
void EncodeSystemOffsets(const ScoreSystem& system, int staffCount, ByteWriter& writer);
void EncodeSystemFlags(const ScoreSystem& system, int staffCount, ByteWriter& writer);
// Reads both arrays from the score file into the system's arrays (which must exist):
// 0, `offsetsCode` or `flagsCode`. Nothing is stored unless the array read whole.
int ReadSystemArrays(ScoreSystem* system, int staffCount, int offsetsCode, int flagsCode);

void EncodePageRecord(const ScorePage& page, ByteWriter& writer);
// The stored fields into `page`; its margins, systems and links are left alone.
void DecodePageRecord(ByteReader& reader, ScorePage* page);

}  // namespace ql
