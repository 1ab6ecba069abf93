// Turning fields from the file's big-endian order into the converted layout of the
// schema: one field at a time (NiffFieldValue, PlaceNiffField) for the general
// case, and whole field lists made at compile time from a plan, for records
// whose fields all lie in the bytes at hand. Both put the value together in two
// words, stored whole: a reader of its bytes right after then gets them from the
// two stores as they stand.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "interchange/niff/niff_schema.h"

namespace ql::niff {

static_assert(std::endian::native == std::endian::little,
              "fields are stored in little-endian order");

// The memory a converted field list takes: aligned fields at even offsets, and
// an even size when any field is aligned.
constexpr int NiffMemoryBytes(const uint8_t* fields) {
    int size = 0;
    bool aligned = false;
    for (; *fields != kNiffEnd; ++fields) {
        if (NiffFieldAligned(*fields)) {
            size += size & 1;
            aligned = true;
        }
        size += NiffFieldMemoryWidth(*fields);
    }
    return aligned ? size + (size & 1) : size;
}

constexpr NiffFieldTurn NiffTurnOf(uint8_t type) {
    switch (type) {
        case kNiffByte:
        case kNiffSignedByte:
            return NiffFieldTurn::kByte;
        case kNiffSignedShort:
        case kNiffFontIndex:
            return NiffFieldTurn::kShort;
        case kNiffSignedLong:
            return NiffFieldTurn::kLong;
        case kNiffRational:
            return NiffFieldTurn::kRational;
        case kNiffStringOffset:
            return NiffFieldTurn::kStringOffset;
        default:
            return NiffFieldTurn::kKeep;
    }
}

constexpr NiffFieldPlan NiffPlanOf(const uint8_t* fields, int stringOffsetWidth) {
    NiffFieldPlan plan;
    int at = 0;
    for (int i = 0; i < kNiffChunkFields && fields[i] != kNiffEnd; ++i) {
        const uint8_t type = fields[i];
        if (NiffFieldAligned(type)) at += at & 1;
        const int width = NiffFieldFileWidth(type, stringOffsetWidth);
        plan.steps[static_cast<size_t>(plan.count++)] = {NiffTurnOf(type), static_cast<uint8_t>(width),
                                                         static_cast<uint8_t>(at)};
        at += NiffFieldMemoryWidth(type);
        plan.fileBytes += width;
    }
    plan.memorySize = NiffMemoryBytes(fields);
    return plan;
}

// Two and four bytes read as big-endian numbers.
inline uint16_t NiffBigEndian16(const uint8_t* bytes) {
    uint16_t value;
    std::memcpy(&value, bytes, sizeof value);
    return __builtin_bswap16(value);
}
inline uint32_t NiffBigEndian32(const uint8_t* bytes) {
    uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return __builtin_bswap32(value);
}

// One field as the file holds it at `bytes`, turned into its memory value.
inline uint64_t NiffFieldValue(NiffFieldTurn turn, int width, const uint8_t* bytes) {
    uint64_t value = 0;
    switch (turn) {
        case NiffFieldTurn::kByte:
            value = bytes[0];
            break;
        case NiffFieldTurn::kShort:
            value = NiffBigEndian16(bytes);
            break;
        case NiffFieldTurn::kLong:
            value = NiffBigEndian32(bytes);
            break;
        case NiffFieldTurn::kRational:  // each half on its own
            value = NiffBigEndian16(bytes) | (uint64_t{NiffBigEndian16(bytes + 2)} << 16);
            break;
        case NiffFieldTurn::kKeep:
            std::memcpy(&value, bytes, static_cast<size_t>(width));
            break;
        case NiffFieldTurn::kStringOffset:  // always 32 bits wide in memory
            value = width == 4 ? NiffBigEndian32(bytes) : NiffBigEndian16(bytes);
            break;
    }
    return value;
}

// Puts a field's memory value at byte `to` of the two words.
inline void PlaceNiffField(uint64_t value, int to, uint64_t& low, uint64_t& high) {
    const int shift = 8 * (to % 8);
    if (to >= 8) {
        high |= value << shift;
    } else {
        low |= value << shift;
        if (shift != 0) high |= value >> (64 - shift);
    }
}

inline void StoreNiffConverted(uint8_t* out, uint64_t low, uint64_t high) {
    std::memcpy(out, &low, sizeof low);
    std::memcpy(out + sizeof low, &high, sizeof high);
}

// Where field `index` of a plan starts in the file.
constexpr int NiffFieldFileOffset(const NiffFieldPlan& plan, int index) {
    int offset = 0;
    for (int i = 0; i < index; ++i) offset += plan.steps[static_cast<size_t>(i)].width;
    return offset;
}

// Every field of `Plan`, with its widths, turns and offsets fixed at compile time,
// put together in the two words `low` and `high` (bytes 0-7 and 8-15): the file
// holds at least Plan.fileBytes bytes at `from`.
template <NiffFieldPlan Plan>
[[gnu::always_inline]] inline void NiffWholeFieldWords(const uint8_t* from, uint64_t& low, uint64_t& high) {
    low = 0;
    high = 0;
    [&]<size_t... I>(std::index_sequence<I...>) __attribute__((always_inline)) {
        (PlaceNiffField(NiffFieldValue(Plan.steps[I].turn, Plan.steps[I].width,
                                       from + NiffFieldFileOffset(Plan, static_cast<int>(I))),
                        Plan.steps[I].to, low, high),
         ...);
    }
    (std::make_index_sequence<static_cast<size_t>(Plan.count)>{});
}

// The same, stored as kNiffConvertedBytes bytes at `out`.
template <NiffFieldPlan Plan>
[[gnu::always_inline]] inline void ConvertWholeNiffFields(const uint8_t* from, uint8_t* out) {
    uint64_t low, high;
    NiffWholeFieldWords<Plan>(from, low, high);
    StoreNiffConverted(out, low, high);
}

}  // namespace ql::niff
