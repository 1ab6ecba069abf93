// Internals shared by the pool modules: the pool tables of both set kinds, the
// lock of the sequencer pools, slot arithmetic and the block search. Not for callers
// outside the pool modules.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "core/constants.h"
#include "core/memory/pool.h"

namespace ql {
struct ProgramState;
}

namespace ql::pool_detail {

// Slot-size shifts and default block sizes (KB, whole block) of each pool.
constexpr uint8_t kDocumentShifts[kDocumentPoolCount] = {0, 0, 3, 4, 5, 5, 5, 5, 6, 7, 11};
constexpr uint16_t kDefaultDocumentBlockKb[kDocumentPoolCount] = {0, 0, 16, 8, 64, 64, 64, 32, 64, 64, 64};
constexpr uint8_t kStaticShifts[kStaticPoolCount] = {7, 6, 3, 4, 5, 5, 5, 5, 6, 7, 8, 5, 5, 5};
constexpr uint16_t kStaticBlockKb[kStaticPoolCount] = {64, 16, 4, 4, 4, 4, 4, 4, 8, 8, 4, 64, 32, 4};

constexpr size_t kKilobyte = 1024;
constexpr size_t kMaxBlockBytes = 64 * kKilobyte;
constexpr size_t kMinBlockBytes = 1 * kKilobyte;
constexpr size_t kMinSlotsPerBlock = 4;  // keeps slot 1 in the live half
constexpr int kGrowthAttempts = 4;       // full, half, quarter, eighth
constexpr int kDocumentSlotBits = kDocumentHandleBits;  // slot bits + shift in a shadowed pool
constexpr int kStaticSlotBits = 16;
constexpr int kMaxBlocksCap = kMaxPoolBlocks;
constexpr int kRecordTailBytes = 7;      // a record lies below its block's end: end + 7 ends the record slots
constexpr uint8_t kPoolZeroExhaustedCode = 0xFF;

// The program state without the UI-thread check: the pool code runs on the MIDI
// and timer threads for static pools 11 and 12 (under their lock).
ProgramState& StateAnyThread();

// The lock of the sequencer pools: static pool 11, which the MIDI-input thread
// allocates from, and static pool 12, whose records the timer thread reads by handle.
std::mutex& SequencerPoolLock();
inline bool IsSequencerPool(int pool) {
    return pool == kSequencerStaticPool || pool == kPerformanceStaticPool;
}

// True when the set is the program's static set.
bool IsProgramStaticSet(PoolSet set);
// True when (set, pool) is a sequencer pool of the program's static set.
inline bool IsSharedPool(PoolSet set, int pool) {
    return IsSequencerPool(pool) && IsProgramStaticSet(set);
}

// True when a document set's shadows have been filled (NoteShadowsFilled) and are
// read from now on; false for a set whose shadows hold nothing yet, and the static set.
inline bool ShadowsInUse(PoolSet set) {
    return set.shadowsFilled != nullptr && *set.shadowsFilled != 0;
}

// Bytes of a block, at the start, that must read as zero when it is added: all of
// it, or only its live half while the set's shadows are not in use (the undo code
// fills them from the live halves before it first reads them).
inline size_t BlockBytesToClear(PoolSet set, size_t liveBytes, size_t blockBytes) {
    return ShadowsInUse(set) ? blockBytes : liveBytes;
}

// Descriptor of a pool of a set; null for a bad pool number or an empty set.
inline RecordPool* PoolOf(PoolSet set, int pool) {
    if (set.pools == nullptr || pool < 0 || pool >= set.poolCount) return nullptr;
    return &set.pools[pool];
}

// Block of the pool holding the address (base <= address < end), or -1.
int BlockOfAddress(const RecordPool& pool, const void* address);

// Smallest block the halving attempts may try for a slot size (bytes).
size_t MinBlockBytes(uint8_t shift);

// Whole allocated bytes of a block (both halves in a shadowed pool).
size_t BlockAllocatedBytes(const RecordPool& pool, int block);

// The entry of a block not made (or given back).
inline void ClearBlockEntry(PoolBlock& entry) {
    entry = PoolBlock{0, 1, {}, {}};
}
// Releases one block's memory and clears its entry.
void ReleaseBlock(RecordPool& pool, int block);

// Records live checks for a descriptor (see IsLiveRecord).
bool IsLiveIn(const RecordPool& pool, const void* record);
// The block and slot of a record slot of the pool (inside a block, on a slot
// boundary, not slot 0); false for any other address.
bool FindSlot(const RecordPool& pool, const void* record, int& block, size_t& slot);

// Slots a block of `capacity` record slots adds to its live half for the live
// bitmap (a bit per record slot).
inline size_t LiveBitSlots(size_t capacity, uint8_t shift) {
    return ((capacity + 7) / 8 + (size_t{1} << shift) - 1) >> shift;
}
// Live-half bytes of a block entry (BlockLiveBytes without the checks).
inline size_t LiveHalfBytes(const PoolBlock& entry, uint8_t shift) {
    return (entry.capacity + LiveBitSlots(entry.capacity, shift)) << shift;
}
// Bytes of a block (both halves in a shadowed pool) whose record slots take
// `recordBytes`.
size_t BlockBytesFor(size_t recordBytes, uint8_t shift, bool shadowed);
// Fills a new block's entry for `recordBytes` of record slots at `memory`.
void InitBlockEntry(PoolBlock& entry, uint8_t shift, std::byte* memory, size_t recordBytes);
// Sets or clears a slot's bit in a live bitmap.
inline void SetLiveBit(std::byte* bits, size_t slot, bool live) {
    const auto bit = static_cast<std::byte>(1u << (slot & 7));
    bits[slot >> 3] = live ? (bits[slot >> 3] | bit) : (bits[slot >> 3] & ~bit);
}
// Sets the bits of `count` slots from `first` on in a live bitmap, a byte at a time.
inline void SetLiveBits(std::byte* bits, size_t first, size_t count) {
    size_t slot = first;
    const size_t end = first + count;
    while (slot < end) {
        const size_t upTo = std::min(end, (slot | 7) + 1);  // the end of this byte's slots
        const unsigned mask = ((1u << (upTo - slot)) - 1) << (slot & 7);
        bits[slot >> 3] |= static_cast<std::byte>(mask);
        slot = upTo;
    }
}
// Clears a block's live bitmap (its records are forgotten).
void ClearLiveBits(const PoolBlock& entry, uint8_t shift);

// Blocks in use in a pool: its block count, within the table.
inline int BlocksInUse(const RecordPool& pool) {
    return pool.blockCount < kMaxBlocksCap ? pool.blockCount : kMaxBlocksCap;
}
// The first block from `from` on that has a fresh slot; BlocksInUse (or `from`, when
// past it) when none has.
int FirstOpenBlock(const RecordPool& pool, int from);
// The fresh slots of a pool's blocks from `from` on, counted until there are `enough`.
size_t FreshSlotsUpTo(const RecordPool& pool, int from, size_t enough);

// Pointer to handle for a given number of slot bits (15 or 16); the other way is
// DecodeHandle (pool.h, inline).
uint16_t EncodeHandle(const RecordPool& pool, const void* record, int slotBits);

// Handle conversion on a set: 15 slot bits in a shadowed (document) pool, else 16.
inline int SlotBitsOf(const RecordPool& descriptor) {
    return descriptor.shadowed ? kDocumentSlotBits : kStaticSlotBits;
}

// The handle of a record at a known block of a pool (EncodeHandle without the
// search for the block).
uint16_t HandleOfSlot(const RecordPool& pool, int block, const void* record);
// The handle of a slot (not 0) of a block of a pool.
inline uint16_t SlotHandle(const RecordPool& pool, int block, size_t slot) {
    return static_cast<uint16_t>(slot | (static_cast<size_t>(block) << (SlotBitsOf(pool) - pool.shift)));
}

// Adds `count` blocks of `bytes` bytes (both halves in a shadowed pool) to a
// document pool after its last, taken from the arena together; all or nothing.
bool AddPoolBlocks(PoolSet set, int pool, int count, size_t bytes);

// Allocation and release on a set, without taking the sequencer lock. With `handle`,
// the new record's handle is stored there too.
void* AllocateUnlocked(PoolSet set, int pool, uint16_t* handle = nullptr);
// AllocateUnlocked `count` times with one search of the blocks (AllocRecordRunWithHandles).
int AllocateRunUnlocked(PoolSet set, int pool, int count, void** records, RecordHandle* handles,
                        int ahead = 0);
void ReleaseUnlocked(PoolSet set, int pool, void* record);
void ReleaseHandleUnlocked(PoolSet set, int pool, uint16_t handle);
int GrowStaticPoolUnlocked(int pool, int kilobytes);

// Counts and sounds the alert beep of an exhausted pool.
void SoundExhaustionBeep();

// The unaligned words of a record.
uint32_t ReadWord(const void* record, int index);
void WriteWord(void* record, int index, uint32_t value);

}  // namespace ql::pool_detail
