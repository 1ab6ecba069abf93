// AnchorPoint: one stored point of a line, curve or spanner (8 bytes): two 16-bit
// coarse words (their meaning follows the owner's anchor kind: measure and tick,
// or page position), then signed x and y offsets in logical units. Stored as its
// four little-endian words.
#pragma once

#include <cstdint>
#include <type_traits>

#include "files/bytes/byte_reader.h"
#include "files/bytes/byte_writer.h"

namespace ql {

#pragma pack(push, 1)
struct AnchorPoint {
    uint16_t coarse[2];
    int16_t x;
    int16_t y;
    constexpr bool operator==(const AnchorPoint&) const = default;
};
#pragma pack(pop)
static_assert(sizeof(AnchorPoint) == 8);
static_assert(std::is_trivially_copyable_v<AnchorPoint>);

constexpr size_t kAnchorPointBytes = 8;

inline void EncodeAnchorPoint(const AnchorPoint& point, FixedRecord& record, size_t at) {
    record.U16(at, point.coarse[0]);
    record.U16(at + 2, point.coarse[1]);
    record.I16(at + 4, point.x);
    record.I16(at + 6, point.y);
}

inline AnchorPoint DecodeAnchorPoint(ByteReader& reader) {
    AnchorPoint point{};
    point.coarse[0] = reader.U16();
    point.coarse[1] = reader.U16();
    point.x = reader.I16();
    point.y = reader.I16();
    return point;
}

}  // namespace ql
