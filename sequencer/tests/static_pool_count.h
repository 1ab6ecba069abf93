// Counting the records of a static pool handed out and not given back, for the
// tests of the recorded chain (pool 11) and the performance events (pool 12).
#pragma once

#include <cstdint>
#include <cstring>

#include "core/memory/pool.h"

namespace ql::testing {

inline int LiveStaticRecords(int pool) {
    const RecordPool& descriptor = TheStaticPoolSet().pools[pool];
    int live = 0;
    for (int b = 0; b < descriptor.blockCount; ++b) live += descriptor.blocks[b].nextFresh - 1;
    for (std::byte* free = descriptor.freeList.get(); free != nullptr;) {
        --live;
        uint32_t next = 0;
        std::memcpy(&next, free, sizeof next);
        free = Ref32<std::byte>{next}.get();
    }
    return live;
}

}  // namespace ql::testing
