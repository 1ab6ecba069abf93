// Stored pages and systems (see page_records_io.h).
#include "files/records/page_records_io.h"

#include <vector>

#include "core/memory/pool.h"
#include "core/model/pages.h"
#include "core/objects/score_object.h"
#include "files/score_file.h"

namespace ql {
namespace {

constexpr size_t kWord = 2;
constexpr size_t kField32 = 4;

uint16_t StaffOffsetAt(const ScoreSystem& system, int staff) {
    const uint16_t* offsets = StaffOffsetsOf(&system);
    return offsets != nullptr ? LoadField<uint16_t>(offsets + staff) : 0;
}

int8_t StaffFlagAt(const ScoreSystem& system, int staff) {
    const int8_t* flags = StaffFlagsOf(&system);
    return flags != nullptr ? flags[staff] : 0;
}

}  // namespace

void EncodeSystemRecord(const ScoreSystem& system, int staffCount, ByteWriter& writer) {
    FixedRecord record(writer, kStoredSystemBytes);
    record.U8(0, system.number);
    record.U8(1, system.keepNaturalWidth);
    record.U16(2, system.firstMeasure);
    record.U16(4, system.lastMeasure);
    record.U8(6, static_cast<uint8_t>(PoolForWordArray(staffCount)));
    record.U8(7, static_cast<uint8_t>(PoolForByteArray(staffCount)));
    record.I32(8, system.x);
    record.I32(12, system.y);
}

void DecodeSystemRecord(ByteReader& reader, ScoreSystem* system) {
    system->number = reader.U8();
    system->keepNaturalWidth = reader.U8();
    system->firstMeasure = reader.U16();
    system->lastMeasure = reader.U16();
    reader.Skip(kWord);
    system->x = reader.I32();
    system->y = reader.I32();
}

void EncodeSystemOffsets(const ScoreSystem& system, int staffCount, ByteWriter& writer) {
    for (int staff = 1; staff <= staffCount; ++staff) writer.U16(StaffOffsetAt(system, staff));
}

void EncodeSystemFlags(const ScoreSystem& system, int staffCount, ByteWriter& writer) {
    for (int staff = 1; staff <= staffCount; ++staff) writer.I8(StaffFlagAt(system, staff));
}

int ReadSystemArrays(ScoreSystem* system, int staffCount, int offsetsCode, int flagsCode) {
    uint16_t* offsets = StaffOffsetsOf(system);
    int8_t* flags = StaffFlagsOf(system);
    if (staffCount < 0 || offsets == nullptr || flags == nullptr) return offsetsCode;
    size_t count = static_cast<size_t>(staffCount);
    // Arrays too small for the staff count (a damaged system) are never written past.
    if (PoolSlotBytes(system->offsetsPool) < (count + 1) * kWord) return offsetsCode;
    if (PoolSlotBytes(system->flagsPool) < count + 1) return flagsCode;
    std::vector<uint8_t> bytes(count * kWord);
    if (!ReadScoreBytes(bytes.data(), static_cast<uint32_t>(bytes.size()))) return offsetsCode;
    ByteReader reader(bytes.data(), bytes.size());
    for (size_t staff = 1; staff <= count; ++staff)
        StoreField<uint16_t>(offsets + staff, reader.U16());
    if (!ReadScoreBytes(bytes.data(), static_cast<uint32_t>(count))) return flagsCode;
    for (size_t staff = 1; staff <= count; ++staff)
        flags[staff] = static_cast<int8_t>(bytes[staff - 1]);
    return 0;
}

void EncodePageRecord(const ScorePage& page, ByteWriter& writer) {
    FixedRecord record(writer, kStoredPageBytes);
    for (int i = 0; i < kPageDataFields; ++i) {
        auto field = LoadField<int32_t>(page.pageData + i * kField32);
        record.I16(i * kWord, static_cast<int16_t>(field));
    }
    record.U16(8, page.firstMeasure);
    record.U16(10, page.lastMeasure);
    record.U16(12, page.systemCount);
    record.I16(14, page.pageNumber);
}

void DecodePageRecord(ByteReader& reader, ScorePage* page) {
    for (int i = 0; i < kPageDataFields; ++i)
        StoreField<int32_t>(page->pageData + i * kField32, reader.I16());
    page->firstMeasure = reader.U16();
    page->lastMeasure = reader.U16();
    page->systemCount = reader.U16();
    page->pageNumber = reader.I16();
}

}  // namespace ql
