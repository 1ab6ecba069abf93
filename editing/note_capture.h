// The note capture's records: one per staff that had notes inside the marquee, in
// static pool 8, chained from the clipboard state's head. Each holds, per voice, the
// copies of the captured notes (static pool 4, linked by their chain handles in the
// static set) in the order they stood.
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/memory/pool.h"
#include "core/memory/ref32.h"

namespace ql {

#pragma pack(push, 1)
struct CaptureRecord {
    Ref32<CaptureRecord> next;
    uint8_t staff;
    uint8_t spare[3];
    RecordHandle first[4];  // first captured note of each voice (static pool 4)
    RecordHandle last[4];
};
#pragma pack(pop)
static_assert(sizeof(CaptureRecord) <= 64);
static_assert(std::is_trivially_copyable_v<CaptureRecord>);

constexpr int kCapturePool = 8;
constexpr int kCaptureEventPool = 4;

}  // namespace ql
