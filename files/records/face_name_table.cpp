// The face-name table's stored form (see face_name_table.h).
#include "files/records/face_name_table.h"

#include <cstring>

#include "files/bytes/byte_reader.h"
#include "files/records/file_codes.h"
#include "files/score_file.h"

namespace ql {

int StoredFaceNameCount(const FaceNameEntry (&names)[kFaceNameCount]) {
    int count = 0;
    while (count < kFaceNameCount && names[count].name[0] != '\0') ++count;
    return count;
}

void EncodeFaceNameEntry(const FaceNameEntry& entry, ByteWriter& writer) {
    FixedRecord record(writer, kFaceNameEntryBytes);
    record.Text(0, entry.name, kFaceNameChars);
    record.Zero(kFaceNameChars, sizeof entry.trailing);
}

void EncodeFaceNameTable(const FaceNameEntry (&names)[kFaceNameCount], ByteWriter& writer) {
    int count = StoredFaceNameCount(names);
    writer.U16(static_cast<uint16_t>(count));
    for (int i = 0; i < count; ++i) EncodeFaceNameEntry(names[i], writer);
}

FaceNameEntry DecodeFaceNameEntry(const uint8_t* bytes) {
    FaceNameEntry entry{};
    ByteReader reader(bytes, kFaceNameEntryBytes);
    reader.Text(entry.name, kFaceNameChars);
    return entry;
}

int ReadFaceNameTable(FaceNameEntry (&names)[kFaceNameCount], bool* damaged) {
    uint8_t word[2] = {};
    if (!ReadScoreBytes(word, sizeof word)) return file_code::kPortCount;
    auto count = static_cast<int16_t>(LoadLe16(word));
    if (count < 0) return file_code::kPortCount;
    if (static_cast<uint64_t>(count) * kFaceNameEntryBytes > ScoreBytesLeft())
        return file_code::kPortEntries;
    FaceNameEntry read[kFaceNameCount] = {};
    for (int i = 0; i < count; ++i) {
        uint8_t bytes[kFaceNameEntryBytes];
        if (!ReadScoreBytes(bytes, kFaceNameEntryBytes)) return file_code::kPortEntries;
        if (i < kFaceNameCount) read[i] = DecodeFaceNameEntry(bytes);
    }
    for (int i = 0; i < count && i < kFaceNameCount; ++i) names[i] = read[i];
    if (damaged != nullptr) *damaged = count > kFaceNameCount;
    return 0;
}

}  // namespace ql
