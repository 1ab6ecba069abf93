// Where the items of a native score stream of the current version lie, for tests
// that damage or inspect saved files byte by byte (the reader's tests and the desktop
// scenarios, which link none of the program's libraries).
#pragma once

#include <cstddef>

namespace ql::testing_files {

constexpr size_t kPrologueBytes = 28;
constexpr size_t kHeaderAt = kPrologueBytes;
constexpr size_t kStaffCountAt = kHeaderAt + 191;
constexpr size_t kMeasureCountAt = kHeaderAt + 192;
constexpr size_t kPageCountAt = kHeaderAt + 194;
constexpr size_t kPortCountAt = kHeaderAt + 264;
constexpr size_t kPortEntryBytes = 34;
constexpr size_t kGalleyRecordBytes = 16;
constexpr size_t kStaffRecordBytes = 40;
constexpr size_t kMeasureBytes = 28;
constexpr size_t kEventBytes = 28;

// Fields of a staff record: the transposition word, the semitone offset and the
// first timbre's port, channel and patch.
constexpr size_t kStaffTranspositionAt = 0;
constexpr size_t kStaffSemitonesAt = 5;
constexpr size_t kStaffPortAt = 6;
constexpr size_t kStaffChannelAt = 7;
constexpr size_t kStaffPatchAt = 8;

// The galley system's bytes: its record, then an offset and a flag for each staff.
constexpr size_t GalleyBytes(size_t staves) { return kGalleyRecordBytes + 3 * staves; }
// The length word of staff 1's label in a stream of `staves` staves and `ports` port
// entries: after the port table, the galley system and the first staff's record.
constexpr size_t FirstLabelLengthAt(size_t staves, size_t ports) {
    return kPortCountAt + 2 + kPortEntryBytes * ports + GalleyBytes(staves) + kStaffRecordBytes;
}

}  // namespace ql::testing_files
