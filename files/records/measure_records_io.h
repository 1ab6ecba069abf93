// The "STIK" section's records: each MeasureRecord (28 bytes, with the spacing-list
// word at offset 8 replaced by the number k of entries in the list), then its k
// SpacingEntry records of 8 bytes (the link word written as 0; the reader chains the
// entries in stream order).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/memory/pool.h"
#include "core/model/grid_records.h"
#include "files/bytes/byte_reader.h"
#include "files/bytes/byte_writer.h"
#include "layout/measure_spacing.h"

namespace ql {

constexpr size_t kStoredMeasureBytes = 28;
constexpr size_t kStoredSpacingBytes = 8;
// The longest spacing list a walk follows (a damaged circular list ends there).
constexpr int kMaxSpacingEntries = 4096;

// The entries of the record's spacing list (current pool set), at most the limit.
uint16_t CountSpacingEntries(const MeasureRecord& measure);

void EncodeMeasureRecord(const MeasureRecord& measure, uint16_t spacingCount, ByteWriter& writer);
// The record into `measure` with its spacing handle 0; the stored count is returned.
uint16_t DecodeMeasureRecord(ByteReader& reader, MeasureRecord* measure);
void EncodeSpacingEntry(const SpacingEntry& entry, ByteWriter& writer);
SpacingEntry DecodeSpacingEntry(ByteReader& reader);
// The record with its count, then its entries in list order.
void EncodeMeasureWithSpacing(const MeasureRecord& measure, ByteWriter& writer);

// Reads `count` entries from the score file into new pool-2 records chained in
// order; *first receives the first one's handle. 0, 1293 (no record) or 1294 (a short
// read, or more entries than bytes left); a failure frees every entry it took.
int ReadSpacingList(int count, RecordHandle* first);

}  // namespace ql
