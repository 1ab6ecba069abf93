// Stored measure records and spacing entries (see measure_records_io.h).
#include "files/records/measure_records_io.h"

#include "core/constants.h"
#include "files/records/file_codes.h"
#include "files/score_file.h"

namespace ql {
namespace {

constexpr size_t kAtSpacing = 8;
constexpr size_t kMeasureData20Bytes = 5;

const SpacingEntry* EntryOf(RecordHandle handle) {
    return FindRecord<SpacingEntry>(kSpacingEntryPool, handle);
}

// Frees a chain made by ReadSpacingList from its first entry.
void FreeSpacingChain(RecordHandle first, int count) {
    RecordHandle handle = first;
    for (int i = 0; i < count && handle; ++i) {
        auto* entry = FindRecord<SpacingEntry>(kSpacingEntryPool, handle);
        if (entry == nullptr) return;
        RecordHandle next{entry->next};
        FreeRecord(kSpacingEntryPool, entry);
        handle = next;
    }
}

}  // namespace

uint16_t CountSpacingEntries(const MeasureRecord& measure) {
    uint16_t count = 0;
    for (const SpacingEntry* entry = EntryOf(measure.spacing);
         entry != nullptr && count < kMaxSpacingEntries; entry = EntryOf(RecordHandle{entry->next}))
        ++count;
    return count;
}

void EncodeMeasureRecord(const MeasureRecord& m, uint16_t spacingCount, ByteWriter& writer) {
    FixedRecord record(writer, kStoredMeasureBytes);
    record.U8(0, m.flags);
    record.U8(1, m.measureData1);
    record.U8(2, m.barline);
    record.U8(3, m.repeatCount);
    record.U16(4, m.lengthTicks);
    record.U16(6, m.width);
    record.U16(kAtSpacing, spacingCount);
    record.I16(10, m.lead);
    record.I16(12, m.trail);
    record.U16(14, m.layoutData14);
    record.U8(16, m.extra);
    record.U8(17, m.layoutData17);
    record.U16(18, m.stretch);
    record.Bytes(20, m.measureData20, kMeasureData20Bytes);
    record.U8(25, m.numberFlags);
    record.U16(26, m.number);
}

uint16_t DecodeMeasureRecord(ByteReader& reader, MeasureRecord* m) {
    m->flags = reader.U8();
    m->measureData1 = reader.U8();
    m->barline = reader.U8();
    m->repeatCount = reader.U8();
    m->lengthTicks = reader.U16();
    m->width = reader.U16();
    uint16_t count = reader.U16();
    m->spacing = RecordHandle{};
    m->lead = reader.I16();
    m->trail = reader.I16();
    m->layoutData14 = reader.U16();
    m->extra = reader.U8();
    m->layoutData17 = reader.U8();
    m->stretch = reader.U16();
    reader.Bytes(m->measureData20, kMeasureData20Bytes);
    m->numberFlags = reader.U8();
    m->number = reader.U16();
    return count;
}

void EncodeSpacingEntry(const SpacingEntry& entry, ByteWriter& writer) {
    FixedRecord record(writer, kStoredSpacingBytes);
    record.U16(0, 0);
    record.U16(2, entry.time);
    record.U16(4, entry.ticksToNext);
    record.U16(6, entry.xPer16Ticks);
}

SpacingEntry DecodeSpacingEntry(ByteReader& reader) {
    SpacingEntry entry{};
    reader.Skip(2);
    entry.time = reader.U16();
    entry.ticksToNext = reader.U16();
    entry.xPer16Ticks = reader.U16();
    return entry;
}

void EncodeMeasureWithSpacing(const MeasureRecord& measure, ByteWriter& writer) {
    uint16_t count = CountSpacingEntries(measure);
    EncodeMeasureRecord(measure, count, writer);
    const SpacingEntry* entry = EntryOf(measure.spacing);
    for (uint16_t i = 0; i < count && entry != nullptr;
         ++i, entry = EntryOf(RecordHandle{entry->next}))
        EncodeSpacingEntry(*entry, writer);
}

int ReadSpacingList(int count, RecordHandle* first) {
    *first = RecordHandle{};
    if (count <= 0) return 0;
    if (static_cast<uint64_t>(count) * kStoredSpacingBytes > ScoreBytesLeft())
        return file_code::kSpacingEntry;
    SpacingEntry* previous = nullptr;
    for (int i = 0; i < count; ++i) {
        uint8_t bytes[kStoredSpacingBytes];
        if (!ReadScoreBytes(bytes, kStoredSpacingBytes)) {
            FreeSpacingChain(*first, i);
            *first = RecordHandle{};
            return file_code::kSpacingEntry;
        }
        auto* entry = AllocRecordAs<SpacingEntry>(kSpacingEntryPool);
        if (entry == nullptr) {
            FreeSpacingChain(*first, i);
            *first = RecordHandle{};
            return file_code::kSpacingAlloc;
        }
        ByteReader reader(bytes, kStoredSpacingBytes);
        *entry = DecodeSpacingEntry(reader);
        RecordHandle handle = PtrToHandle(kSpacingEntryPool, entry);
        if (previous != nullptr)
            previous->next = handle.bits;
        else
            *first = handle;
        previous = entry;
    }
    return 0;
}

}  // namespace ql
