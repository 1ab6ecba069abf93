// Pool blocks: finding the block of an address, handle arithmetic, the blocks' live
// bitmaps and liveness checks, adding blocks to a pool and growing the static pools.
// Every address test works on arena offsets and block bounds only; no memory outside
// the pools is read, and liveness never reads a record's own bytes.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/memory/arena.h"
#include "core/memory/pool_internal.h"
#include "core/state.h"

namespace ql {
namespace pool_detail {

std::mutex& SequencerPoolLock() {
    static std::mutex lock;
    return lock;
}

bool IsProgramStaticSet(PoolSet set) {
    return set.pools == StateAnyThread().pools.StaticPoolSet.pools;
}

int BlockOfAddress(const RecordPool& pool, const void* address) {
    if (!IsInArena(address)) return -1;
    auto* bytes = static_cast<const std::byte*>(address);
    // Newest block first: the records a caller has just allocated are there.
    int count = std::min<int>(pool.blockCount, kMaxBlocksCap);
    for (int block = count - 1; block >= 0; --block) {
        const PoolBlock& entry = pool.blocks[block];
        if (!entry.base) continue;
        if (bytes >= entry.base.get() && bytes < entry.end.get()) return block;
    }
    return -1;
}

size_t MinBlockBytes(uint8_t shift) {
    return std::max(kMinBlockBytes, kMinSlotsPerBlock << shift);
}

size_t BlockBytesFor(size_t recordBytes, uint8_t shift, bool shadowed) {
    const size_t live = recordBytes + (LiveBitSlots(recordBytes >> shift, shift) << shift);
    return shadowed ? live * 2 : live;
}

size_t BlockAllocatedBytes(const RecordPool& pool, int block) {
    return BlockBytesFor(static_cast<size_t>(pool.blocks[block].capacity) << pool.shift, pool.shift,
                         pool.shadowed != 0);
}

void ReleaseBlock(RecordPool& pool, int block) {
    PoolBlock& entry = pool.blocks[block];
    if (entry.base) FreeArenaBlock(entry.base.get(), BlockAllocatedBytes(pool, block));
    ClearBlockEntry(entry);
}

uint32_t ReadWord(const void* record, int index) {
    uint32_t word;
    std::memcpy(&word, static_cast<const std::byte*>(record) + index * sizeof word, sizeof word);
    return word;
}

void WriteWord(void* record, int index, uint32_t value) {
    std::memcpy(static_cast<std::byte*>(record) + index * sizeof value, &value, sizeof value);
}

bool FindSlot(const RecordPool& pool, const void* record, int& block, size_t& slot) {
    block = BlockOfAddress(pool, record);
    if (block < 0) return false;
    size_t offset = static_cast<size_t>(static_cast<const std::byte*>(record) - pool.blocks[block].base.get());
    slot = offset >> pool.shift;
    return (offset & ((size_t{1} << pool.shift) - 1)) == 0 && slot != 0;
}

bool IsLiveIn(const RecordPool& pool, const void* record) {
    int block = 0;
    size_t slot = 0;
    return FindSlot(pool, record, block, slot) && slot < pool.blocks[block].nextFresh &&
           SlotLive(pool.blocks[block], pool.shift, slot);
}

void InitBlockEntry(PoolBlock& entry, uint8_t shift, std::byte* memory, size_t recordBytes) {
    entry.base = Ref32<std::byte>::To(memory);
    entry.end = Ref32<std::byte>::To(memory + recordBytes - kRecordTailBytes);
    entry.capacity = static_cast<uint16_t>(recordBytes >> shift);
    entry.nextFresh = 1;
}

void ClearLiveBits(const PoolBlock& entry, uint8_t shift) {
    if (!entry.base) return;
    std::memset(LiveBits(entry, shift), 0, (size_t{entry.capacity} + 7) / 8);
}

namespace {

bool HasFreshSlot(const PoolBlock& entry) {
    return entry.nextFresh < entry.capacity;
}

}  // namespace

int FirstOpenBlock(const RecordPool& pool, int from) {
    const int count = BlocksInUse(pool);
    int block = from;
    // A growing pool has every block but its newest full, and each allocation looks
    // from block 0: full blocks are passed four at a time, with one branch. An entry
    // with fresh slots is taken only when it has memory (a cleared entry has none).
    for (; block >= 0 && block + 4 <= count; block += 4) {
        const PoolBlock* entry = &pool.blocks[block];
        if ((HasFreshSlot(entry[0]) | HasFreshSlot(entry[1]) | HasFreshSlot(entry[2]) | HasFreshSlot(entry[3])) != 0)
            break;
    }
    for (; block < count; ++block) {
        const PoolBlock& entry = pool.blocks[block];
        if (entry.base && entry.nextFresh < entry.capacity) break;
    }
    return block;
}

size_t FreshSlotsUpTo(const RecordPool& pool, int from, size_t enough) {
    size_t room = 0;
    for (int block = from; block < BlocksInUse(pool) && room < enough; ++block) {
        const PoolBlock& entry = pool.blocks[block];
        if (entry.nextFresh < entry.capacity) room += entry.capacity - entry.nextFresh;
    }
    return room;
}

namespace {

// The handle of a record in a known block; 0 for slot 0 or an address between slots.
uint16_t HandleInBlock(const RecordPool& pool, int block, const void* record, int slotBits) {
    size_t offset = static_cast<size_t>(static_cast<const std::byte*>(record) - pool.blocks[block].base.get());
    if (offset == 0 || (offset & ((size_t{1} << pool.shift) - 1)) != 0) return 0;
    uint32_t slot = static_cast<uint32_t>(offset >> pool.shift);
    return static_cast<uint16_t>(slot | (static_cast<uint32_t>(block) << (slotBits - pool.shift)));
}

}  // namespace

uint16_t EncodeHandle(const RecordPool& pool, const void* record, int slotBits) {
    if (pool.shift == 0) return 0;
    int block = BlockOfAddress(pool, record);
    return block < 0 ? 0 : HandleInBlock(pool, block, record, slotBits);
}

uint16_t HandleOfSlot(const RecordPool& pool, int block, const void* record) {
    return HandleInBlock(pool, block, record, SlotBitsOf(pool));
}

// One attempt at a static block of `bytes` bytes; fills the next entry on success.
bool AddStaticBlock(RecordPool& pool, size_t bytes) {
    void* memory = AllocArenaBlock(BlockBytesFor(bytes, pool.shift, false));
    if (memory == nullptr) return false;
    InitBlockEntry(pool.blocks[pool.blockCount], pool.shift, static_cast<std::byte*>(memory), bytes);
    ++pool.blockCount;
    return true;
}

int GrowStaticPoolUnlocked(int pool, int kilobytes) {
    RecordPool* descriptor = PoolOf(StateAnyThread().pools.StaticPoolSet, pool);
    if (descriptor == nullptr || descriptor->shift == 0 || kilobytes <= 0) return 0;
    if (descriptor->blockCount >= descriptor->maxBlocks || descriptor->blockCount >= kMaxBlocksCap) return 0;
    size_t bytes = std::min(static_cast<size_t>(kilobytes) * kKilobyte, kMaxBlockBytes);
    size_t floor = MinBlockBytes(descriptor->shift);
    for (int attempt = 0; attempt < kGrowthAttempts && bytes >= floor; ++attempt, bytes /= 2) {
        if (AddStaticBlock(*descriptor, bytes)) return static_cast<int>(bytes / kKilobyte);
    }
    return 0;
}

}  // namespace pool_detail

using namespace pool_detail;

int AddPoolBlock(PoolSet set, int pool, int blockIndex, size_t bytes) {
    RecordPool* descriptor = PoolOf(set, pool);
    if (descriptor == nullptr || descriptor->shift == 0) return 0;
    if (blockIndex < 0 || blockIndex >= kMaxBlocksCap || descriptor->blocks[blockIndex].base) return 0;
    size_t live = descriptor->shadowed ? bytes / 2 : bytes;
    if ((live >> descriptor->shift) < 2) return 0;  // no room beside slot 0
    const size_t blockBytes = BlockBytesFor(live, descriptor->shift, descriptor->shadowed != 0);
    void* memory = AllocArenaBlock(
        blockBytes, BlockBytesToClear(set, BlockBytesFor(live, descriptor->shift, false), blockBytes));
    if (memory == nullptr) return 0;
    InitBlockEntry(descriptor->blocks[blockIndex], descriptor->shift, static_cast<std::byte*>(memory), live);
    return 1;
}

bool pool_detail::AddPoolBlocks(PoolSet set, int pool, int count, size_t bytes) {
    RecordPool* descriptor = PoolOf(set, pool);
    if (descriptor == nullptr || descriptor->shift == 0 || !descriptor->shadowed || count <= 0) return false;
    const int first = descriptor->blockCount;
    if (first + count > std::min<int>(descriptor->maxBlocks, kMaxBlocksCap)) return false;
    for (int block = first; block < first + count; ++block)
        if (descriptor->blocks[block].base) return false;
    const size_t live = bytes / 2;
    if ((live >> descriptor->shift) < 2) return false;  // no room beside slot 0
    std::vector<void*> memory(static_cast<size_t>(count));
    const size_t blockBytes = BlockBytesFor(live, descriptor->shift, true);
    const size_t cleared = BlockBytesToClear(set, BlockBytesFor(live, descriptor->shift, false), blockBytes);
    if (!AllocArenaBlocks(blockBytes, memory.size(), memory.data(), cleared)) return false;
    for (int i = 0; i < count; ++i) {
        auto* start = static_cast<std::byte*>(memory[static_cast<size_t>(i)]);
        InitBlockEntry(descriptor->blocks[first + i], descriptor->shift, start, live);
    }
    descriptor->blockCount = static_cast<uint8_t>(first + count);
    return true;
}

int GrowStaticPool(int pool, int kilobytes) {
    std::unique_lock<std::mutex> guard(SequencerPoolLock(), std::defer_lock);
    if (IsSequencerPool(pool)) guard.lock();
    const RecordPool* descriptor = PoolOf(StateAnyThread().pools.StaticPoolSet, pool);
    // A pool at its block limit is simply not grown; only failed attempts beep.
    bool mayGrow = descriptor != nullptr && descriptor->shift != 0 && kilobytes > 0 &&
                   descriptor->blockCount < descriptor->maxBlocks &&
                   descriptor->blockCount < kMaxBlocksCap;
    int obtained = GrowStaticPoolUnlocked(pool, kilobytes);
    if (obtained == 0 && mayGrow) SoundExhaustionBeep();
    return obtained;
}

int DocumentBlockKilobytes(int pool) {
    if (pool < 0 || pool >= kDocumentPoolCount || kDocumentShifts[pool] == 0) return 0;
    uint16_t configured = StateAnyThread().pools.DocumentBlockKb[pool];
    size_t bytes = static_cast<size_t>(configured == 0 ? kDefaultDocumentBlockKb[pool] : configured) * kKilobyte;
    bytes = std::clamp(bytes, MinBlockBytes(kDocumentShifts[pool]), kMaxBlockBytes);
    size_t power = kMinBlockBytes;
    while (power * 2 <= bytes) power *= 2;
    return static_cast<int>(power / kKilobyte);
}

namespace {

// The live bit of a slot of a block, read `half` live halves past the block's base:
// 0 for the live half, 1 for its shadow.
bool LiveBitOf(const RecordPool& pool, int block, size_t slot, int half) {
    if (block < 0 || block >= kMaxBlocksCap) return false;
    const PoolBlock& entry = pool.blocks[block];
    if (!entry.base || slot == 0 || slot >= entry.capacity) return false;
    return LiveBit(LiveBits(entry, pool.shift) + half * LiveHalfBytes(entry, pool.shift), slot);
}

// True when the record is a slot of a pool of the set; `free` tells whether it is
// not live.
bool FindFreeIn(PoolSet set, const void* record, bool& free) {
    for (int pool = 0; pool < set.poolCount; ++pool) {
        const RecordPool& descriptor = set.pools[pool];
        int block = 0;
        size_t slot = 0;
        if (descriptor.shift == 0 || !FindSlot(descriptor, record, block, slot)) continue;
        std::unique_lock<std::mutex> guard(SequencerPoolLock(), std::defer_lock);
        if (IsSharedPool(set, pool)) guard.lock();
        free = !SlotLive(descriptor.blocks[block], descriptor.shift, slot);
        return true;
    }
    return false;
}

}  // namespace

bool IsFreeRecord(const void* record) {
    if (record == nullptr) return false;
    bool free = false;
    const PoolSet current = StateAnyThread().pools.CurrentPoolSet;
    if (current && FindFreeIn(current, record, free)) return free;
    return FindFreeIn(StateAnyThread().pools.StaticPoolSet, record, free) && free;
}

bool IsLiveRecord(PoolSet set, int pool, const void* record) {
    RecordPool* descriptor = PoolOf(set, pool);
    if (descriptor == nullptr || record == nullptr) return false;
    std::unique_lock<std::mutex> guard(SequencerPoolLock(), std::defer_lock);
    if (IsSharedPool(set, pool)) guard.lock();
    return IsLiveIn(*descriptor, record);
}

bool IsSlotLive(const RecordPool& pool, int block, size_t slot) {
    return LiveBitOf(pool, block, slot, 0) && slot < pool.blocks[block].nextFresh;
}

bool WasSlotLiveAtCapture(const RecordPool& pool, int block, size_t slot) {
    return pool.shadowed != 0 && LiveBitOf(pool, block, slot, 1);
}

size_t BlockLiveBytes(const RecordPool& pool, int block) {
    if (block < 0 || block >= kMaxBlocksCap || !pool.blocks[block].base) return 0;
    return LiveHalfBytes(pool.blocks[block], pool.shift);
}

std::byte* BlockShadow(const RecordPool& pool, int block) {
    if (!pool.shadowed) return nullptr;
    size_t live = BlockLiveBytes(pool, block);
    if (live == 0) return nullptr;
    return pool.blocks[block].base.get() + live;
}

}  // namespace ql
