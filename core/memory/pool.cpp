// Allocating and freeing records, and converting between handles and pointers, on
// the current pool set and on the static set.
//
// Allocation: pop the free list (its head is checked to be a slot of this pool that
// was handed out and is not live; a bad head drops the list), else hand out the next
// fresh slot of the first block with room, else add a block (document set: the pool's block size, halved
// up to three times down to its minimum; static set: GrowStaticPool). When nothing
// can be had the pool is exhausted: one alert beep and null.
//
// The slot handed out is marked in its block's live bitmap. A run of records
// (AllocRecordRunWithHandles) takes the same slots, but the blocks it lacks are added
// together first and the fresh slots of a block are taken a block's worth at a time.
//
// Release: only a record live in the bitmap is released. It is zero-filled, its bit
// cleared, and it becomes the head of the free list; in a document set the release
// is noted in the set's log for undo.
#include <algorithm>
#include <cassert>
#include <cstring>

#include "core/memory/arena.h"
#include "core/memory/pool_internal.h"
#include "core/state.h"

namespace ql {
namespace pool_detail {
namespace {

std::byte* PopFreeList(RecordPool& pool, int& block) {
    if (!pool.freeList) return nullptr;
    std::byte* head = pool.freeList.get();
    // The head must be a released slot of this pool; anything else drops the list.
    size_t slot = 0;
    std::byte* bits = nullptr;
    if (FindSlot(pool, head, block, slot)) bits = LiveBits(pool.blocks[block], pool.shift);
    if (bits == nullptr || slot >= pool.blocks[block].nextFresh || LiveBit(bits, slot)) {
        pool.freeList = {};
        return nullptr;
    }
    pool.freeList = Ref32<std::byte>{ReadWord(head, 0)};
    SetLiveBit(bits, slot, true);
    return head;
}

// The next fresh slot of a block that has one, marked live.
std::byte* TakeSlotOf(PoolBlock& entry, uint8_t shift) {
    const size_t slot = entry.nextFresh++;
    std::byte* base = entry.base.get();
    SetLiveBit(LiveBitsAt(base, entry.capacity, shift), slot, true);
    return base + (slot << shift);
}

// True when the fresh slots of a pool's blocks read as zero, so that handing them
// out needs no clearing: in a document set, where a block comes with its live half
// clear and a slot becomes fresh again only cleared (ReturnFreshSlot) or, by undo,
// with the bytes it had when it was fresh. A static pool's reset (ForgetRecords)
// leaves its records' bytes in the slots it makes fresh.
bool FreshSlotsReadZero(const RecordPool& pool) {
    return pool.shadowed != 0;
}

// Up to `count` fresh slots of a block that has some, taken at once in slot order:
// marked live and zero-filled, their addresses and handles stored. The number taken.
int TakeFreshRun(RecordPool& pool, int block, int count, void** records, RecordHandle* handles) {
    PoolBlock& entry = pool.blocks[block];
    const uint8_t shift = pool.shift;
    const size_t first = entry.nextFresh;
    const size_t taken = std::min<size_t>(static_cast<size_t>(count), entry.capacity - first);
    std::byte* base = entry.base.get();
    std::byte* record = base + (first << shift);
    if (!FreshSlotsReadZero(pool)) std::memset(record, 0, taken << shift);
    const size_t slotBytes = size_t{1} << shift;
    uint16_t handle = SlotHandle(pool, block, first);
    for (size_t i = 0; i < taken; ++i, record += slotBytes, ++handle) {
        records[i] = record;
        handles[i] = RecordHandle{handle};
    }
    SetLiveBits(LiveBitsAt(base, entry.capacity, shift), first, taken);
    entry.nextFresh = static_cast<uint16_t>(first + taken);
    return static_cast<int>(taken);
}

// The next fresh slot of the first block from `firstOpen` on that has one; the
// blocks passed over are full, so `firstOpen` moves past them.
std::byte* TakeFreshSlot(RecordPool& pool, int& firstOpen, int& block) {
    block = firstOpen = FirstOpenBlock(pool, firstOpen);
    if (block >= BlocksInUse(pool)) return nullptr;
    return TakeSlotOf(pool.blocks[block], pool.shift);
}

// Adds one block to a document pool: the configured size, then halves.
bool GrowDocumentPool(PoolSet set, int pool) {
    RecordPool& descriptor = set.pools[pool];
    if (descriptor.blockCount >= descriptor.maxBlocks || descriptor.blockCount >= kMaxBlocksCap) return false;
    size_t bytes = static_cast<size_t>(DocumentBlockKilobytes(pool)) * kKilobyte;
    size_t floor = MinBlockBytes(descriptor.shift);
    for (int attempt = 0; attempt < kGrowthAttempts && bytes >= floor; ++attempt, bytes /= 2) {
        if (AddPoolBlock(set, pool, descriptor.blockCount, bytes)) {
            ++descriptor.blockCount;
            return true;
        }
    }
    return false;
}

// Adds at once, in one arena call, the blocks of the configured size a document pool
// needs for `count` more records in fresh slots, as far as its block limit allows,
// when that is more than one; nothing when they cannot all be had. No block below
// `firstOpen` has a fresh slot. The blocks are the ones single allocations would add
// one at a time, in the same order.
void AddBlocksForRecords(PoolSet set, int pool, int firstOpen, int count) {
    if (set.IsStatic()) return;
    RecordPool& descriptor = set.pools[pool];
    const size_t room = FreshSlotsUpTo(descriptor, firstOpen, static_cast<size_t>(count));
    if (room >= static_cast<size_t>(count)) return;
    const size_t bytes = static_cast<size_t>(DocumentBlockKilobytes(pool)) * kKilobyte;
    const size_t perBlock = ((bytes / 2) >> descriptor.shift) - 1;  // slot 0 is never handed out
    const int limit = std::min<int>(descriptor.maxBlocks, kMaxBlocksCap) - BlocksInUse(descriptor);
    const size_t wanted = std::min<size_t>((static_cast<size_t>(count) - room + perBlock - 1) / perBlock,
                                           static_cast<size_t>(std::max(limit, 0)));
    // One block is left to the usual growth, with its halving attempts.
    if (wanted > 1) AddPoolBlocks(set, pool, static_cast<int>(wanted), bytes);
}

bool GrowPool(PoolSet set, int pool) {
    if (set.IsStatic()) {
        if (set.pools != StateAnyThread().pools.StaticPoolSet.pools) return false;
        return GrowStaticPoolUnlocked(pool, kStaticBlockKb[pool]) > 0;
    }
    return GrowDocumentPool(set, pool);
}

uint8_t ExhaustedCode(int pool) {
    return pool == 0 ? kPoolZeroExhaustedCode : static_cast<uint8_t>(pool);
}

void NoteOutcome(PoolSet set, int pool, bool succeeded) {
    if (!set.IsStatic()) return;
    std::atomic<uint8_t>& exhausted = StateAnyThread().pools.StaticPoolExhausted;
    uint8_t code = ExhaustedCode(pool);
    if (!succeeded) {
        exhausted.store(code);
    } else {
        exhausted.compare_exchange_strong(code, 0);
    }
}

// The test hook serves the UI thread only.
bool ConsumeRequestedFailure() {
    if (!IsUiThread()) return false;
    int& requested = StateAnyThread().pools.FailNextRecordAllocations;
    if (requested <= 0) return false;
    int& wait = StateAnyThread().pools.RecordAllocationsBeforeFailure;
    if (wait > 0) {
        --wait;
        return false;
    }
    --requested;
    return true;
}

// Notes a release in a document set's log when the slot was live at the last undo
// capture: the live bit in the block's shadow, `bits` being the live bitmap. Before
// the shadows are first filled there was no capture.
void NoteRelease(PoolSet set, int pool, const RecordPool& descriptor, int block, size_t slot,
                 const std::byte* bits) {
    if (set.releases == nullptr || !descriptor.shadowed || pool >= kDocumentPoolCount) return;
    if (!ShadowsInUse(set)) return;
    if (!LiveBit(bits + LiveHalfBytes(descriptor.blocks[block], descriptor.shift), slot)) return;
    uint16_t& lowest = set.releases->lowestSlot[pool][block];
    if (lowest == 0 || slot < lowest) lowest = static_cast<uint16_t>(slot);
}

// Releases a slot of a block when it is live: zero-filled, noted for undo, and made
// the head of the free list.
void ReleaseSlot(PoolSet set, int pool, RecordPool* descriptor, int block, size_t slot) {
    std::byte* record = descriptor->blocks[block].base.get() + (slot << descriptor->shift);
    std::byte* bits = LiveBits(descriptor->blocks[block], descriptor->shift);
    if (!LiveBit(bits, slot)) return;
    NoteRelease(set, pool, *descriptor, block, slot, bits);
    SetLiveBit(bits, slot, false);
    std::memset(record, 0, size_t{1} << descriptor->shift);
    WriteWord(record, 0, descriptor->freeList.offset);
    descriptor->freeList = Ref32<std::byte>::To(static_cast<std::byte*>(record));
}

// One record of the pool, not yet cleared: the free list's head, else a fresh slot
// (from block `firstOpen` on, which a run of allocations carries from one record to
// the next: no block below it can gain a fresh slot meanwhile), else one of a block
// added. Null when the pool is exhausted or a test asked for a failure.
std::byte* TakeRecord(PoolSet set, int pool, RecordPool& descriptor, int& firstOpen, int& block) {
    if (ConsumeRequestedFailure()) return nullptr;
    std::byte* record = PopFreeList(descriptor, block);
    while (record == nullptr) {
        record = TakeFreshSlot(descriptor, firstOpen, block);
        if (record == nullptr && !GrowPool(set, pool)) break;
    }
    return record;
}

}  // namespace

void* AllocateUnlocked(PoolSet set, int pool, uint16_t* handle) {
    RecordPool* descriptor = PoolOf(set, pool);
    if (descriptor == nullptr || descriptor->shift == 0) return nullptr;
    int firstOpen = 0;
    int block = 0;
    std::byte* record = TakeRecord(set, pool, *descriptor, firstOpen, block);
    NoteOutcome(set, pool, record != nullptr);
    if (record == nullptr) {
        SoundExhaustionBeep();
        return nullptr;
    }
    std::memset(record, 0, size_t{1} << descriptor->shift);
    if (handle != nullptr) *handle = HandleOfSlot(*descriptor, block, record);
    return record;
}

int AllocateRunUnlocked(PoolSet set, int pool, int count, void** records, RecordHandle* handles, int ahead) {
    RecordPool* descriptor = PoolOf(set, pool);
    if (descriptor == nullptr || descriptor->shift == 0 || count <= 0) return 0;
    // Without a test's failure pending and with the free list empty, TakeRecord takes
    // the next fresh slot of the first block with room; such slots are taken here a
    // block's worth at a time, and the blocks the run lacks are added first, together.
    const bool failurePending = IsUiThread() && StateAnyThread().pools.FailNextRecordAllocations > 0;
    int firstOpen = FirstOpenBlock(*descriptor, 0);
    if (!failurePending && !descriptor->freeList) AddBlocksForRecords(set, pool, firstOpen, count);
    int made = 0;
    while (made < count) {
        if (!failurePending && !descriptor->freeList) {
            firstOpen = FirstOpenBlock(*descriptor, firstOpen);
            if (firstOpen < BlocksInUse(*descriptor)) {
                made += TakeFreshRun(*descriptor, firstOpen, count - made, records + made, handles + made);
                continue;
            }
        }
        int block = firstOpen;
        std::byte* record = TakeRecord(set, pool, *descriptor, firstOpen, block);
        if (record == nullptr) break;
        std::memset(record, 0, size_t{1} << descriptor->shift);
        records[made] = record;
        handles[made] = RecordHandle{HandleOfSlot(*descriptor, block, record)};
        ++made;
    }
    NoteOutcome(set, pool, made == count);
    if (made < count) {
        SoundExhaustionBeep();
        return made;
    }
    // The records asked for ahead come only from fresh slots the pool already has, the
    // ones single allocations would take next: no block is added for them.
    if (failurePending || descriptor->freeList) return made;
    const int most = count + std::max(ahead, 0);
    while (made < most) {
        firstOpen = FirstOpenBlock(*descriptor, firstOpen);
        if (firstOpen >= BlocksInUse(*descriptor)) break;
        made += TakeFreshRun(*descriptor, firstOpen, most - made, records + made, handles + made);
    }
    return made;
}

namespace {

// A record in its block's last fresh slot taken goes back among the fresh slots: the
// block's fresh mark and live bit are as they were before it was taken.
bool ReturnFreshSlot(RecordPool& descriptor, uint16_t handle) {
    const int slotBits = SlotBitsOf(descriptor);
    const int blockShift = slotBits - descriptor.shift;
    std::byte* record = static_cast<std::byte*>(DecodeHandle(descriptor, handle, slotBits, true));
    if (record == nullptr) return false;
    const auto block = static_cast<int>(static_cast<unsigned>(handle) >> blockShift);
    const size_t slot = handle & ((1u << blockShift) - 1);
    PoolBlock& entry = descriptor.blocks[block];
    if (slot + 1 != entry.nextFresh) return false;
    std::memset(record, 0, size_t{1} << descriptor.shift);
    SetLiveBit(LiveBits(entry, descriptor.shift), slot, false);
    entry.nextFresh = static_cast<uint16_t>(slot);
    return true;
}

}  // namespace

void ReleaseUnlocked(PoolSet set, int pool, void* record) {
    if (StateAnyThread().program.ShutdownFlag) return;
    RecordPool* descriptor = PoolOf(set, pool);
    int block = 0;
    size_t slot = 0;
    if (descriptor == nullptr || record == nullptr || !FindSlot(*descriptor, record, block, slot)) return;
    ReleaseSlot(set, pool, descriptor, block, slot);
}

void ReleaseHandleUnlocked(PoolSet set, int pool, uint16_t handle) {
    if (StateAnyThread().program.ShutdownFlag) return;
    RecordPool* descriptor = PoolOf(set, pool);
    if (descriptor == nullptr) return;
    const int slotBits = SlotBitsOf(*descriptor);
    // DecodeHandle checks the block, the slot and the end of the block.
    if (DecodeHandle(*descriptor, handle, slotBits) == nullptr) return;
    const int blockShift = slotBits - descriptor->shift;
    const auto block = static_cast<int>(static_cast<unsigned>(handle) >> blockShift);
    ReleaseSlot(set, pool, descriptor, block, handle & ((1u << blockShift) - 1));
}

}  // namespace pool_detail

using namespace pool_detail;

namespace {

// Takes the sequencer lock when the operation touches static pool 11 or 12, and
// checks the thread of every other operation.
std::unique_lock<std::mutex> GuardFor(PoolSet set, int pool) {
    std::unique_lock<std::mutex> guard(SequencerPoolLock(), std::defer_lock);
    if (IsSharedPool(set, pool)) {
        guard.lock();
    } else {
        assert(IsUiThread() && "only the sequencer pools are shared with other threads");
    }
    return guard;
}

PoolSet StaticSet() { return StateAnyThread().pools.StaticPoolSet; }

// The lookup behind every handle; the sequencer lock is touched only for the
// shared pools, the rest goes straight to the arithmetic. With `liveOnly` a slot
// that is not live gives null.
void* DecodeIn(PoolSet set, int pool, uint16_t bits, bool liveOnly) {
    RecordPool* descriptor = PoolOf(set, pool);
    if (descriptor == nullptr) return nullptr;
    if (!IsSharedPool(set, pool)) {
        assert(IsUiThread() && "only the sequencer pools are shared with other threads");
        return DecodeHandle(*descriptor, bits, SlotBitsOf(*descriptor), liveOnly);
    }
    std::lock_guard<std::mutex> guard(SequencerPoolLock());
    return DecodeHandle(*descriptor, bits, SlotBitsOf(*descriptor), liveOnly);
}

uint16_t EncodeIn(PoolSet set, int pool, const void* record) {
    RecordPool* descriptor = PoolOf(set, pool);
    if (descriptor == nullptr) return 0;
    auto guard = GuardFor(set, pool);
    return EncodeHandle(*descriptor, record, SlotBitsOf(*descriptor));
}

}  // namespace

void* pool_detail::LookupLive(PoolSet set, int pool, uint16_t handle) {
    return DecodeIn(set, pool, handle, true);
}

void* AllocRecord(int pool) {
    PoolSet set = CurrentPoolSet();
    auto guard = GuardFor(set, pool);
    return AllocateUnlocked(set, pool);
}

void FreeRecord(int pool, void* record) {
    PoolSet set = CurrentPoolSet();
    auto guard = GuardFor(set, pool);
    ReleaseUnlocked(set, pool, record);
}

void* HandleToPtr(int pool, RecordHandle handle) {
    return DecodeIn(CurrentPoolSet(), pool, handle.bits, false);
}

void* AllocRecordWithHandle(int pool, RecordHandle* handle) {
    PoolSet set = CurrentPoolSet();
    auto guard = GuardFor(set, pool);
    if (handle != nullptr) *handle = RecordHandle{};
    return AllocateUnlocked(set, pool, handle != nullptr ? &handle->bits : nullptr);
}

int AllocRecordRunWithHandles(int pool, int count, void** records, RecordHandle* handles) {
    PoolSet set = CurrentPoolSet();
    auto guard = GuardFor(set, pool);
    return AllocateRunUnlocked(set, pool, count, records, handles);
}

int AllocRecordRunAhead(int pool, int count, int ahead, void** records, RecordHandle* handles) {
    PoolSet set = CurrentPoolSet();
    auto guard = GuardFor(set, pool);
    return AllocateRunUnlocked(set, pool, count, records, handles, ahead);
}

void ReturnRecordRun(int pool, const RecordHandle* handles, int count) {
    PoolSet set = CurrentPoolSet();
    auto guard = GuardFor(set, pool);
    RecordPool* descriptor = PoolOf(set, pool);
    if (descriptor == nullptr || StateAnyThread().program.ShutdownFlag) return;
    for (int i = count - 1; i >= 0; --i)
        if (!ReturnFreshSlot(*descriptor, handles[i].bits)) ReleaseHandleUnlocked(set, pool, handles[i].bits);
}

bool ReserveRecordRoom(int pool, int count) {
    PoolSet set = CurrentPoolSet();
    auto guard = GuardFor(set, pool);
    const RecordPool* descriptor = PoolOf(set, pool);
    if (descriptor == nullptr || descriptor->shift == 0) return false;
    if (count <= 0) return true;
    const int firstOpen = FirstOpenBlock(*descriptor, 0);
    const auto enough = static_cast<size_t>(count);
    AddBlocksForRecords(set, pool, firstOpen, count);
    // What a failed batch or a single block leaves to add, block by block.
    while (FreshSlotsUpTo(*descriptor, firstOpen, enough) < enough)
        if (set.IsStatic() || !GrowDocumentPool(set, pool)) return false;
    return true;
}

void FreeRecordByHandle(int pool, RecordHandle handle) {
    PoolSet set = CurrentPoolSet();
    auto guard = GuardFor(set, pool);
    ReleaseHandleUnlocked(set, pool, handle.bits);
}

void FreeRecordChain(int pool, RecordHandle head, size_t linkOffset) {
    PoolSet set = CurrentPoolSet();
    auto guard = GuardFor(set, pool);
    RecordPool* descriptor = PoolOf(set, pool);
    // While the program shuts down nothing is freed, and the walk would change nothing.
    if (descriptor == nullptr || StateAnyThread().program.ShutdownFlag) return;
    const int slotBits = SlotBitsOf(*descriptor);
    if (linkOffset + sizeof(uint16_t) > (size_t{1} << descriptor->shift)) return;
    const int blockShift = slotBits - descriptor->shift;
    // A record freed does not resolve again, so a loop ends where it comes round.
    for (uint16_t handle = head.bits;;) {
        const auto* record = static_cast<const std::byte*>(DecodeHandle(*descriptor, handle, slotBits, true));
        if (record == nullptr) return;
        uint16_t next = 0;
        std::memcpy(&next, record + linkOffset, sizeof next);
        const auto block = static_cast<int>(static_cast<unsigned>(handle) >> blockShift);
        ReleaseSlot(set, pool, descriptor, block, handle & ((1u << blockShift) - 1));
        handle = next;
    }
}

RecordHandle PtrToHandle(int pool, const void* record) {
    return RecordHandle{EncodeIn(CurrentPoolSet(), pool, record)};
}

void* AllocStaticRecord(int pool) {
    PoolSet set = StaticSet();
    auto guard = GuardFor(set, pool);
    return AllocateUnlocked(set, pool);
}

void FreeStaticRecord(int pool, void* record) {
    PoolSet set = StaticSet();
    auto guard = GuardFor(set, pool);
    ReleaseUnlocked(set, pool, record);
}

void* StaticHandleToPtr(int pool, StaticHandle handle) {
    return DecodeIn(StaticSet(), pool, handle.bits, false);
}

StaticHandle StaticPtrToHandle(int pool, const void* record) {
    return StaticHandle{EncodeIn(StaticSet(), pool, record)};
}

void* PoolSlotAddress(int pool, int block, int slot) {
    RecordPool* descriptor = PoolOf(CurrentPoolSet(), pool);
    if (descriptor == nullptr || block < 0 || block >= kMaxBlocksCap || slot < 0) return nullptr;
    const PoolBlock& entry = descriptor->blocks[block];
    if (!entry.base || slot >= entry.capacity) return nullptr;
    return entry.base.get() + (static_cast<size_t>(slot) << descriptor->shift);
}

void FailNextRecordAllocations(int count) {
    StateAnyThread().pools.FailNextRecordAllocations = count < 0 ? 0 : count;
    StateAnyThread().pools.RecordAllocationsBeforeFailure = 0;
}

void FailRecordAllocationAfter(int successes) {
    FailRecordAllocationsAfter(successes, 1);
}

void FailRecordAllocationsAfter(int successes, int count) {
    StateAnyThread().pools.FailNextRecordAllocations = count < 0 ? 0 : count;
    StateAnyThread().pools.RecordAllocationsBeforeFailure = successes < 0 ? 0 : successes;
}

PoolSet CurrentPoolSet() { return StateAnyThread().pools.CurrentPoolSet; }

void SetCurrentPoolSet(PoolSet set) {
    assert(IsUiThread() && "the current pool set belongs to the UI thread");
    StateAnyThread().pools.CurrentPoolSet = set;
}

StaticPoolSet& TheStaticPoolSet() { return StateAnyThread().pools.StaticPoolSet; }

}  // namespace ql
