// Pool-set life cycle: preparing, emptying and releasing document sets and the
// static set, the static-pool resets of the block clipboard and the sequencer, the
// fill check, and releasing a chain of list nodes.
#include <algorithm>
#include <cassert>
#include <cstring>
#include <vector>

#include "core/memory/arena.h"
#include "core/memory/pool_internal.h"
#include "core/state.h"

namespace ql {

using namespace pool_detail;

namespace {

void PreparePool(RecordPool& pool, uint8_t shift, uint8_t shadowed) {
    std::memset(&pool, 0, sizeof pool);
    pool.shift = shift;
    pool.shadowed = shadowed;
    pool.maxBlocks = static_cast<uint8_t>(std::min(1 << shift, kMaxBlocksCap));
    for (PoolBlock& entry : pool.blocks) entry.nextFresh = 1;
}

void ReleaseAllBlocks(RecordPool& pool) {
    for (int block = 0; block < kMaxBlocksCap; ++block) ReleaseBlock(pool, block);
    pool.blockCount = 0;
    pool.freeList = {};
}

void ForgetRecords(RecordPool& pool) {
    pool.freeList = {};
    for (PoolBlock& entry : pool.blocks) {
        ClearLiveBits(entry, pool.shift);
        entry.nextFresh = 1;
    }
}

void ClearExhaustedMark(int pool) {
    uint8_t code = pool == 0 ? kPoolZeroExhaustedCode : static_cast<uint8_t>(pool);
    StateAnyThread().pools.StaticPoolExhausted.compare_exchange_strong(code, 0);
}

std::unique_lock<std::mutex> LockSharedPool() {
    return std::unique_lock<std::mutex>(SequencerPoolLock());
}

}  // namespace

int InitDocumentPoolSet(DocumentPoolSet& set) {
    for (int pool = 0; pool < kDocumentPoolCount; ++pool) PreparePool(set.pools[pool], kDocumentShifts[pool], 1);
    ClearReleaseLog(set);
    set.shadowsFilled = 0;
    return 1;
}

void NoteShadowsFilled(DocumentPoolSet& set) {
    set.shadowsFilled = 1;
}

void ClearReleaseLog(DocumentPoolSet& set) {
    std::memset(&set.releases, 0, sizeof set.releases);
}

void ResetDocumentPoolSet(DocumentPoolSet& set) {
    for (RecordPool& pool : set.pools) {
        for (int block = 1; block < kMaxBlocksCap; ++block) ReleaseBlock(pool, block);
        ForgetRecords(pool);
        bool hasFirstBlock = static_cast<bool>(pool.blocks[0].base);
        pool.blockCount = hasFirstBlock ? 1 : 0;
        // Both halves are cleared so that the emptied set and its shadow agree.
        if (hasFirstBlock) std::memset(pool.blocks[0].base.get(), 0, BlockAllocatedBytes(pool, 0));
    }
    ClearReleaseLog(set);
}

// Every block of the set goes back to the arena in one call, so that the blocks
// lying side by side are made inaccessible together.
void FreeDocumentPoolSet(DocumentPoolSet& set) {
    std::vector<ArenaBlock> blocks;
    for (RecordPool& pool : set.pools)
        for (int block = 0; block < kMaxBlocksCap; ++block)
            if (pool.blocks[block].base)
                blocks.push_back(ArenaBlock{pool.blocks[block].base.get(), BlockAllocatedBytes(pool, block)});
    FreeArenaBlocks(blocks.data(), blocks.size());
    for (RecordPool& pool : set.pools) {
        for (PoolBlock& entry : pool.blocks) ClearBlockEntry(entry);
        pool.blockCount = 0;
        pool.freeList = {};
    }
    ClearReleaseLog(set);
}

void FreeStaticPoolSet(StaticPoolSet& set) {
    auto guard = LockSharedPool();
    for (RecordPool& pool : set.pools) ReleaseAllBlocks(pool);
    if (&set == &StateAnyThread().pools.StaticPoolSet) StateAnyThread().pools.StaticPoolExhausted = 0;
}

void ClearStaticPoolTables() {
    PoolGlobals& pools = State().pools;
    FreeStaticPoolSet(pools.StaticPoolSet);
    std::memset(&pools.StaticPoolSet, 0, sizeof pools.StaticPoolSet);
    pools.MaxMeasures = kDefaultMaxMeasures;
    pools.MaxSystemSlots = kDefaultMaxSystemSlots;
    for (int pool = 0; pool < kDocumentPoolCount; ++pool) {
        if (pools.DocumentBlockKb[pool] == 0) pools.DocumentBlockKb[pool] = kDefaultDocumentBlockKb[pool];
    }
}

int InitStaticPoolSet() {
    StaticPoolSet& set = State().pools.StaticPoolSet;
    FreeStaticPoolSet(set);
    for (int pool = 0; pool < kStaticPoolCount; ++pool) PreparePool(set.pools[pool], kStaticShifts[pool], 0);
    // The sequencer needs its two blocks from the start; without them the caller
    // ends the program.
    constexpr int kSequencerStartBlocks = 2;
    for (int i = 0; i < kSequencerStartBlocks; ++i) {
        if (GrowStaticPool(kSequencerStaticPool, kStaticBlockKb[kSequencerStaticPool]) == 0) return 0;
    }
    return 1;
}

void ResetStaticPool(int pool) {
    RecordPool* descriptor = PoolOf(State().pools.StaticPoolSet, pool);
    if (descriptor == nullptr) return;
    std::unique_lock<std::mutex> guard(SequencerPoolLock(), std::defer_lock);
    if (IsSequencerPool(pool)) guard.lock();
    ForgetRecords(*descriptor);
    ClearExhaustedMark(pool);
}

void ResetClipboardPools(int alsoPool11) {
    if (alsoPool11 != 0) ResetStaticPool(kSequencerStaticPool);
    ResetStaticPool(kPerformanceStaticPool);
}

int EnsureFreshStaticBlock() {
    auto guard = LockSharedPool();
    RecordPool& pool = State().pools.StaticPoolSet.pools[kSequencerStaticPool];
    if (pool.blockCount > 0 && pool.blocks[pool.blockCount - 1].nextFresh < 2) return 1;
    int obtained = GrowStaticPoolUnlocked(kSequencerStaticPool, kStaticBlockKb[kSequencerStaticPool]);
    if (obtained == 0) {
        guard.unlock();
        SoundExhaustionBeep();
        return 0;
    }
    return 1;
}

bool IsPoolNearlyFull(int pool, int n) {
    RecordPool* descriptor = PoolOf(CurrentPoolSet(), pool);
    if (descriptor == nullptr) return true;
    const auto wanted = static_cast<size_t>(n);
    const bool roomForN = n <= 0 || FreshSlotsUpTo(*descriptor, 0, wanted) >= wanted;
    if (BlocksInUse(*descriptor) > 0 && roomForN) return false;
    return descriptor->blockCount >= descriptor->maxBlocks - 1;
}

void FreeNodeChain(RecordHandle& field) {
    PoolSet set = CurrentPoolSet();
    RecordPool* descriptor = PoolOf(set, kListNodePool);
    std::vector<void*> nodes;
    // A chain longer than the pool's slots must loop; the walk stops there.
    size_t limit = 0;
    if (descriptor != nullptr && descriptor->shift != 0) {
        int slotBits = descriptor->shadowed ? kDocumentSlotBits : kStaticSlotBits;
        limit = size_t{descriptor->maxBlocks} << (slotBits - descriptor->shift);
    }
    RecordHandle next = field;
    while (next && nodes.size() < limit) {
        void* node = HandleToPtr(kListNodePool, next);
        if (node == nullptr || !IsLiveRecord(set, kListNodePool, node)) break;
        nodes.push_back(node);
        uint16_t link;
        std::memcpy(&link, node, sizeof link);
        next = RecordHandle{link};
    }
    for (auto it = nodes.rbegin(); it != nodes.rend(); ++it) FreeRecord(kListNodePool, *it);
    field = RecordHandle{};
}

}  // namespace ql
