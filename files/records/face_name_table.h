// The face-name table of a score file: a 16-bit count, then 34 bytes per entry (32
// name bytes up to the NUL, zeros after, and two zero bytes). The writer counts the
// leading entries whose first byte is not 0 (at most 32); the reader refuses a
// negative count (1030), reads entries 1..32 over the table with byte 31 forced to NUL
// and the two trailing bytes as 0, and reads and drops any further entries so the
// stream stays in step (the load then counts as damaged).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/model/score_document.h"
#include "files/bytes/byte_writer.h"

namespace ql {

constexpr size_t kFaceNameEntryBytes = 34;

// The number of entries the writer stores.
int StoredFaceNameCount(const FaceNameEntry (&names)[kFaceNameCount]);
void EncodeFaceNameEntry(const FaceNameEntry& entry, ByteWriter& writer);
// The count, then the entries.
void EncodeFaceNameTable(const FaceNameEntry (&names)[kFaceNameCount], ByteWriter& writer);
FaceNameEntry DecodeFaceNameEntry(const uint8_t* bytes);

// Reads the table from the score file into `names` (only when the whole table
// reads): 0, 1030 (negative count or short count read), 1031 (entries). `damaged`
// is set when the file held more entries than the table.
int ReadFaceNameTable(FaceNameEntry (&names)[kFaceNameCount], bool* damaged);

}  // namespace ql
