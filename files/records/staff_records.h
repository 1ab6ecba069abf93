// The staff section's records: the leading 40 bytes of each StaffRecord (written as
// they stand: transposition and flag words, velocity, semitones, four timbres with
// their port bytes at 6, 10, 14 and 18, then 18 further bytes), and each staff's
// label: a 16-bit text length L, then for a label the 26-byte StoredStaffLabel and
// the L text bytes (an empty text is written as "no name"); L = 0 when the staff has
// none. A negative L read back ends the staff section (the reader skips to "STIK").
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/model/grid_records.h"
#include "files/bytes/byte_reader.h"
#include "files/bytes/byte_writer.h"

namespace ql {

struct ScoreObject;

inline constexpr char kNoLabelName[] = "no name";

void EncodeStaffRecord(const StaffRecord& staff, ByteWriter& writer);
// The leading 40 bytes into `staff`; the rest of the record is left alone.
void DecodeStaffRecord(ByteReader& reader, StaffRecord* staff);

// The label of a staff (its label object, or null for none).
void EncodeStaffLabel(const ScoreObject* label, ByteWriter& writer);

// The outcome of reading one staff's label.
struct LabelRead {
    int code = 0;                   // 0, 1125, 1138, 1194 or 1211
    ScoreObject* label = nullptr;   // a new staff label (type 28, anchoring 4), or null
    bool endsStaffSection = false;  // a negative length was read
};
// Reads one staff's label from the score file for the file's version (current pool
// set). A failure leaves no label behind.
LabelRead ReadStaffLabel(uint8_t version);

// Reads a record that files before version 16 stored one byte shorter: in an
// undecided version 15, n bytes (and when their last two are not 0 the record was the
// shorter one: the older variant is decided and the file steps back one byte);
// otherwise n - 1 bytes. The last byte becomes NUL. The bytes taken, or 0.
size_t ReadFixedField(uint8_t* buffer, size_t n);

}  // namespace ql
