// Staff records and staff labels in the staff section (see staff_records.h).
#include "files/records/staff_records.h"

#include <cstring>

#include "core/memory/pool.h"
#include "files/records/file_codes.h"
#include "files/records/file_version.h"
#include "files/records/text_record_io.h"
#include "files/score_file.h"
#include "objects/object_services.h"
#include "objects/text_box/text_box.h"

namespace ql {
namespace {

constexpr size_t kAtTimbres = 6;
constexpr size_t kTimbreBytes = 4;
constexpr size_t kAtStaffData = 22;
constexpr int kTimbres = 4;
constexpr size_t kLabelTerminator = 2;

int ReadLabelText(TextBoxBody* body, int16_t length) {
    if (static_cast<uint64_t>(length) > ScoreBytesLeft()) return file_code::kLabelText;
    int pool = 0;
    auto* text = static_cast<char*>(
        AllocRecordBySize(static_cast<size_t>(length) + kLabelTerminator, &pool));
    if (text == nullptr) return file_code::kLabelText;
    if (!ReadScoreBytes(text, static_cast<uint32_t>(length))) {
        FreeRecord(pool, text);
        return file_code::kLabelText;
    }
    body->style = static_cast<uint16_t>((body->style & ~kTextBoxPoolMask) | pool);
    body->string = PtrToHandle(pool, text).bits;
    return 0;
}

bool ReadLabelRecord(uint8_t version, uint8_t* bytes, size_t* width) {
    if (version >= kFullLabelFileVersion) {
        *width = kStoredStaffLabelBytes;
        return ReadScoreBytes(bytes, kStoredStaffLabelBytes) != 0;
    }
    *width = ReadFixedField(bytes, kStoredStaffLabelBytes);
    return *width != 0;
}

}  // namespace

void EncodeStaffRecord(const StaffRecord& staff, ByteWriter& writer) {
    FixedRecord record(writer, kStoredStaffBytes);
    record.U16(0, staff.transpositionWord);
    record.U16(2, staff.flags);
    record.I8(4, staff.baseKeyVelocity);
    record.I8(5, staff.semitones);
    for (int i = 0; i < kTimbres; ++i) {
        const StaffTimbre& timbre = staff.timbres[i];
        const uint8_t bytes[kTimbreBytes] = {timbre.port, timbre.channel, timbre.patch,
                                             timbre.extra};
        record.Bytes(kAtTimbres + i * kTimbreBytes, bytes, kTimbreBytes);
    }
    record.Bytes(kAtStaffData, staff.staffData22, sizeof staff.staffData22);
}

void DecodeStaffRecord(ByteReader& reader, StaffRecord* staff) {
    staff->transpositionWord = reader.U16();
    staff->flags = reader.U16();
    staff->baseKeyVelocity = reader.I8();
    staff->semitones = reader.I8();
    for (StaffTimbre& timbre : staff->timbres) {
        timbre.port = reader.U8();
        timbre.channel = reader.U8();
        timbre.patch = reader.U8();
        timbre.extra = reader.U8();
    }
    reader.Bytes(staff->staffData22, sizeof staff->staffData22);
}

void EncodeStaffLabel(const ScoreObject* label, ByteWriter& writer) {
    if (label == nullptr) {
        writer.U16(0);
        return;
    }
    const char* text = GetTextBoxString(const_cast<ScoreObject*>(label));
    if (text[0] == '\0') text = kNoLabelName;
    size_t length = std::strlen(text);
    writer.U16(static_cast<uint16_t>(length));
    EncodeStoredStaffLabel(AsTextBox(label)->body, writer);
    writer.Bytes(text, length);
}

LabelRead ReadStaffLabel(uint8_t version) {
    LabelRead result;
    uint8_t word[2] = {};
    if (!ReadScoreBytes(word, sizeof word)) return LabelRead{file_code::kLabelLength};
    auto length = static_cast<int16_t>(LoadLe16(word));
    if (length <= 0) {
        result.endsStaffSection = length < 0;
        return result;
    }
    uint8_t bytes[kStoredStaffLabelBytes] = {};
    size_t width = 0;
    if (!ReadLabelRecord(version, bytes, &width)) return LabelRead{file_code::kLabelRecord};
    auto* label = static_cast<ScoreObject*>(AllocRecord(kTextObjectPool));
    if (label == nullptr) return LabelRead{file_code::kLabelObject};
    ConstructStaffLabelForRead(label);
    TextBoxBody& body = AsTextBox(label)->body;
    DecodeStoredStaffLabel(bytes, width, version, true, &body);
    body.string = 0;
    if (int code = ReadLabelText(&body, length)) {
        FreeRecord(kTextObjectPool, label);
        return LabelRead{code};
    }
    result.label = label;
    return result;
}

size_t ReadFixedField(uint8_t* buffer, size_t n) {
    if (n == 0) return 0;
    if (!IsUndecidedVersion15()) {
        if (!ReadScoreBytes(buffer, static_cast<uint32_t>(n - 1))) return 0;
        buffer[n - 1] = '\0';
        return n - 1;
    }
    if (!ReadScoreBytes(buffer, static_cast<uint32_t>(n))) return 0;
    if (n >= 2 && (buffer[n - 2] != 0 || buffer[n - 1] != 0)) {
        MarkVersion15Shorter();
        SeekScoreFile(ScoreFilePosition() - 1);
    }
    buffer[n - 1] = '\0';
    return n;
}

}  // namespace ql
