// Choosing a pool: by record size, and for the per-system staff arrays by entry
// count (each choice leaves room for twice the entries), plus allocation by size
// with a check against the slot size of the current set.
#include "core/memory/pool_internal.h"
#include "core/state.h"

namespace ql {

int PoolForSize(size_t bytes) {
    if (bytes < 9) return 2;
    if (bytes < 17) return 3;
    if (bytes < 23) return 7;
    if (bytes < 27) return 6;
    if (bytes < 29) return 5;
    if (bytes < 33) return 4;
    if (bytes < 65) return 8;
    if (bytes < 129) return 9;
    return 10;
}

int PoolForWordArray(int n) {
    int entries = n + 1;
    if (entries < 5) return 3;
    if (entries < 9) return 4;
    if (entries < 17) return 8;
    if (entries < 33) return 9;
    return 10;
}

int PoolForByteArray(int n) {
    int entries = n + 1;
    if (entries < 9) return 3;
    if (entries < 17) return 4;
    if (entries < 33) return 8;
    if (entries < 65) return 9;
    return 10;
}

size_t PoolSlotBytes(int pool) {
    RecordPool* descriptor = pool_detail::PoolOf(CurrentPoolSet(), pool);
    if (descriptor == nullptr || descriptor->shift == 0) return 0;
    return size_t{1} << descriptor->shift;
}

void* AllocRecordBySize(size_t bytes, int* poolOut) {
    int pool = PoolForSize(bytes);
    if (poolOut != nullptr) *poolOut = pool;
    // A static pool-10 slot is far smaller than a document one.
    if (bytes > PoolSlotBytes(pool)) return nullptr;
    return AllocRecord(pool);
}

}  // namespace ql
