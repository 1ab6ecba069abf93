// Record pools: fixed-size slots in numbered pools, addressed by 16-bit handles.
//
// A pool set is an array of pool descriptors. Each document owns a DocumentPoolSet
// (pools 0-10, 15-bit handles, every block twice its usable size: the upper half is
// the undo shadow); the program owns one StaticPoolSet (pools 0-13, 16-bit handles,
// no shadow). All block memory comes from the record arena, so descriptors and
// free-list links are Ref32 offsets and compare byte for byte.
//
// Handle layout in a pool of slot size 2^shift:
//   document set: handle = block << (15 - shift) | slot   (bit 15 always 0)
//   static set:   handle = block << (16 - shift) | slot
// Slot 0 of every block is never handed out, so handle 0 always means "none".
// A free record holds the Ref32 of the next free record in its first u32.
//
// Whether a record is live is never read from the record: each block keeps a live
// bitmap, one bit per slot, set when the slot is handed out and cleared when it is
// released. The bitmap lies in the block's live half, so undo captures, restores
// and shadows it with the records: in slots added to the live half after the
// `capacity` record slots (BlockLiveBytes), never handed out or named by a handle.
//
// An exhausted pool (no room, and no block can be added after the halving attempts)
// sounds one alert beep and returns null: a null result is a refused edit, never a
// shared "reserve" slot.
//
// Threads: everything runs on the user-interface thread, except the sequencer pools:
// static pool 11 is shared with the MIDI-input thread (which takes and frees its
// records) and the timer thread reads pool-12 records by handle. Every operation on
// those two pools takes one small lock.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/memory/ref32.h"

namespace ql {

constexpr int kDocumentPoolCount = 11;
constexpr int kStaticPoolCount = 14;
constexpr int kMaxPoolBlocks = 64;
// Slot bits of a handle in a document (shadowed) pool; bit 15 is always 0.
constexpr int kDocumentHandleBits = 15;

// Handle of a record in the current pool set (RecordHandle of the score records).
// Packed to alignment 1 so it can be a field of any packed record.
#pragma pack(push, 1)
// Trivial, so records holding handles can be zero-filled; RecordHandle{} is none.
struct RecordHandle {
    uint16_t bits;

    constexpr RecordHandle() = default;
    constexpr explicit RecordHandle(uint16_t raw) : bits(raw) {}
    constexpr explicit operator bool() const { return bits != 0; }
    constexpr bool operator==(const RecordHandle&) const = default;
};

// Handle of a record reached only through the static twins (StaticHandleToPtr):
// hit records, performance events, sequencer records.
struct StaticHandle {
    uint16_t bits;

    constexpr StaticHandle() = default;
    constexpr explicit StaticHandle(uint16_t raw) : bits(raw) {}
    constexpr explicit operator bool() const { return bits != 0; }
    constexpr bool operator==(const StaticHandle&) const = default;
};

// One block of a pool. `end` is base + capacity slots - 7: a record lies below it.
struct PoolBlock {
    uint16_t capacity;   // record slots, slot 0 included
    uint16_t nextFresh;  // next slot never handed out; 1 for an empty block
    Ref32<std::byte> base;
    Ref32<std::byte> end;
};

// One pool descriptor (RecordPool). No padding: undo compares descriptors as bytes.
struct RecordPool {
    uint8_t shift;       // log2 of the slot size
    uint8_t blockCount;  // blocks in use: entries 0 .. blockCount-1
    uint8_t maxBlocks;   // min(2^shift, 64)
    uint8_t shadowed;    // 1 in a document set
    Ref32<std::byte> freeList;
    PoolBlock blocks[kMaxPoolBlocks];
};

// The releases in a document set since the undo code last cleared the log: for each
// pool and block, the lowest slot released whose shadow did not hold a free record;
// 0 for none (slot 0 never holds a record). A slot below the block's fresh mark at
// the last capture with such a shadow held a record then, so the log tells undo that
// a record its history knows was freed, even when the slot was handed out again.
struct PoolReleaseLog {
    uint16_t lowestSlot[kDocumentPoolCount][kMaxPoolBlocks];
};

// The log sits beside the descriptors, never in them: undo compares and restores
// descriptors as bytes. So does `shadowsFilled`: 1 once the undo code has first
// copied the live halves into the shadows (NoteShadowsFilled). Until then no shadow
// is read, and a block is added with only its live half cleared.
struct DocumentPoolSet {
    RecordPool pools[kDocumentPoolCount];
    PoolReleaseLog releases;
    uint8_t shadowsFilled;
    uint8_t padding[7];  // a whole number of 8-byte words: a set beside another stays aligned
};

struct StaticPoolSet {
    RecordPool pools[kStaticPoolCount];
};
#pragma pack(pop)

static_assert(sizeof(RecordHandle) == 2 && alignof(RecordHandle) == 1);
static_assert(sizeof(StaticHandle) == 2 && alignof(StaticHandle) == 1);
static_assert(sizeof(PoolBlock) == 12);
static_assert(sizeof(RecordPool) == 8 + kMaxPoolBlocks * sizeof(PoolBlock));
static_assert(std::is_trivial_v<RecordHandle> && std::is_trivial_v<DocumentPoolSet>);
static_assert(sizeof(DocumentPoolSet) % 8 == 0);
static_assert(std::is_trivially_copyable_v<StaticPoolSet>);

// A reference to a pool set of either kind: what CurrentPoolSet holds and what the
// allocation-context stack saves. Borrowed: the set outlives the reference.
struct PoolSet {
    RecordPool* pools = nullptr;
    int poolCount = 0;
    PoolReleaseLog* releases = nullptr;  // a document set's; null for the static set
    const uint8_t* shadowsFilled = nullptr;  // a document set's; null for the static set

    constexpr PoolSet() = default;
    constexpr PoolSet(DocumentPoolSet& set)  // NOLINT
        : pools(set.pools), poolCount(kDocumentPoolCount), releases(&set.releases),
          shadowsFilled(&set.shadowsFilled) {}
    constexpr PoolSet(StaticPoolSet& set) : pools(set.pools), poolCount(kStaticPoolCount) {}      // NOLINT

    constexpr bool IsStatic() const { return poolCount == kStaticPoolCount; }
    constexpr explicit operator bool() const { return pools != nullptr; }
    constexpr bool operator==(const PoolSet&) const = default;
};

// ---- Operations on the current pool set (CurrentPoolSet) ----

// A zero-filled record of the pool, or null (bad pool number, pool unused in this
// set, or pool exhausted: then one alert beep).
void* AllocRecord(int pool);
// Returns a live record to its pool; null, foreign, slot-0, misaligned and already
// free pointers are ignored, and so is everything while the program shuts down. In a
// document set the release is noted in the set's release log.
void FreeRecord(int pool, void* record);
// FreeRecord by the record's handle, which names its block and slot without a search;
// a handle that names no live record is ignored.
void FreeRecordByHandle(int pool, RecordHandle handle);
// Frees the records of a chain from `head`, each naming the next by the 16-bit
// handle at byte `linkOffset` of the record, as FreeRecordByHandle would free each
// in turn until a handle names no live record (0, a freed or foreign slot); the
// pool is looked up once. Nothing is freed when the link would not fit a slot.
void FreeRecordChain(int pool, RecordHandle head, size_t linkOffset);
// AllocRecord that also gives the new record's handle (0 when it gives null), found
// from the slot it takes rather than by searching the pool's blocks.
void* AllocRecordWithHandle(int pool, RecordHandle* handle);
// `count` records of the pool at once, handed out as `count` calls of
// AllocRecordWithHandle would hand them out (the same slots in the same order,
// zero-filled), with one search of the blocks for the run; each record's address
// and handle go to `records[i]` and `handles[i]`. The number made: fewer than `count`
// only when the pool is exhausted (one alert beep) or a test asked for a failure;
// the records made stay live.
int AllocRecordRunWithHandles(int pool, int count, void** records, RecordHandle* handles);
// AllocRecordRunWithHandles for `count` records, then, when all were made and the
// pool's free list is empty, up to `ahead` more from the fresh slots of the blocks the
// pool has (none added for them, no alert): the records that single allocations would
// hand out next, for a caller that expects to ask for more soon. The number made.
int AllocRecordRunAhead(int pool, int count, int ahead, void** records, RecordHandle* handles);
// Gives back the unused records of a run, last first. A record in its block's last
// fresh slot taken becomes a fresh slot again, as though never handed out (the pool is
// as it was before the run when nothing else was taken since); any other is freed as
// FreeRecordByHandle frees it.
void ReturnRecordRun(int pool, const RecordHandle* handles, int count);
// Room for `count` more records of a pool of the current set in slots never handed
// out: the blocks missing are added at once, with one arena call, as far as the
// pool's block limit allows, so that a caller that knows how many records follow
// (a file reader) takes them without the pool growing block by block. True when the
// room is there; the blocks added stay when it is not. Adds nothing in the static
// set, and sounds no alert: an allocation that then finds no room is refused as
// usual.
bool ReserveRecordRoom(int pool, int count);
// Checked lookup: null for handle 0, a missing block, slot 0 or a slot past the end.
void* HandleToPtr(int pool, RecordHandle handle);
// 0 when the pointer is not in a block of the pool, or is a slot 0.
RecordHandle PtrToHandle(int pool, const void* record);

// ---- The same on the StaticPoolSet, whatever the current set is ----
void* AllocStaticRecord(int pool);
void FreeStaticRecord(int pool, void* record);
void* StaticHandleToPtr(int pool, StaticHandle handle);
StaticHandle StaticPtrToHandle(int pool, const void* record);

// ---- Typed helpers ----

// Checked typed lookup (null for 0, a foreign handle, a freed record or a slot never
// handed out: IsLiveRecord's test): for handles that come from files, the clipboard
// or another view.
template <typename T>
T* FindRecord(int pool, RecordHandle handle);
// The same lookup, named for handles read from records that may be damaged.
template <typename T>
T* FindLiveRecord(int pool, RecordHandle handle);
// Asserting accessor for handles the caller has proven live.
template <typename T>
T& RecordAt(int pool, RecordHandle handle);
// Checked typed lookup in the static set.
template <typename T>
T* FindStaticRecord(int pool, StaticHandle handle);
// A zero-filled record of type T from the pool, or null; also null when T does not
// fit the pool's slot in the current set.
template <typename T>
T* AllocRecordAs(int pool);

// ---- Pool choice ----

// Pool for a record of `bytes` bytes: <9 → 2, <17 → 3, <23 → 7, <27 → 6, <29 → 5,
// <33 → 4, <65 → 8, <129 → 9, else 10.
int PoolForSize(size_t bytes);
// Pool for an array of 16-bit entries indexed 0..n (twice the room needed).
int PoolForWordArray(int n);
// Pool for an array of byte entries indexed 0..n (twice the room needed).
int PoolForByteArray(int n);
// Slot size in bytes of a pool of the current set; 0 for a bad or unused pool.
size_t PoolSlotBytes(int pool);
// A zero-filled record of at least `bytes` bytes from PoolForSize, or null when the
// size does not fit the slot of that pool in the current set. `poolOut` (optional)
// receives the pool used.
void* AllocRecordBySize(size_t bytes, int* poolOut);

// ---- Pool sets ----

int InitDocumentPoolSet(DocumentPoolSet& set);  // → 1
// Empties the release log (PoolReleaseLog); the undo code does so whenever it brings
// the shadows up to date. Preparing, emptying and releasing a set empty it too.
void ClearReleaseLog(DocumentPoolSet& set);
// The undo code has copied every block's live half into its shadow: from now on the
// set's shadows are read, so blocks added come with their shadows zero (a block that
// was not there at the last capture) and releases are logged. Preparing the set
// (InitDocumentPoolSet) forgets it.
void NoteShadowsFilled(DocumentPoolSet& set);
void ResetDocumentPoolSet(DocumentPoolSet& set);  // empties; keeps block 0 of each pool
void FreeDocumentPoolSet(DocumentPoolSet& set);   // releases every block
void ClearStaticPoolTables();                     // first step of start-up
int InitStaticPoolSet();                          // → 1, or 0 without the pool-11 blocks
void FreeStaticPoolSet(StaticPoolSet& set);
void ResetStaticPool(int pool);
void ResetClipboardPools(int alsoPool11);
int EnsureFreshStaticBlock();
bool IsPoolNearlyFull(int pool, int n);
// Frees a chain of pool-2 nodes (next handle in the first u16) from its far end back
// to the first node and sets the field to 0. A node that is not live ends the walk.
void FreeNodeChain(RecordHandle& field);

// ---- Current set switching ----

PoolSet CurrentPoolSet();
void SetCurrentPoolSet(PoolSet set);
StaticPoolSet& TheStaticPoolSet();

// Points CurrentPoolSet at another set for one scope and restores the previous set
// on every path. The previous set is kept in the caller's frame.
class ScopedPoolSet {
public:
    explicit ScopedPoolSet(PoolSet target) : saved_(CurrentPoolSet()) { SetCurrentPoolSet(target); }
    ~ScopedPoolSet() { SetCurrentPoolSet(saved_); }
    ScopedPoolSet(const ScopedPoolSet&) = delete;
    ScopedPoolSet& operator=(const ScopedPoolSet&) = delete;

private:
    PoolSet saved_;
};

// ---- Liveness and shadows ----

// True when `record` is a live record of the pool in the set: inside the arena,
// inside a block of that pool, on a slot boundary, not slot 0, handed out (below
// nextFresh) and marked live in the block's bitmap. The record's own bytes are never
// read. Never touches memory outside the pools.
bool IsLiveRecord(PoolSet set, int pool, const void* record);
// True when `record` is a record slot of a pool of the current set or the static set
// that is not live (freed, or never handed out); false for any other address.
bool IsFreeRecord(const void* record);
// The live bit of a slot of a block, in the live half or, as of the last undo
// capture, in the shadow half (which means something only once the set's shadows
// are filled, NoteShadowsFilled); false for a missing block or a slot past the
// records.
bool IsSlotLive(const RecordPool& pool, int block, size_t slot);
bool WasSlotLiveAtCapture(const RecordPool& pool, int block, size_t slot);
// Live-half bytes of a block: its record slots and the slots its live bitmap adds;
// 0 for a missing block.
size_t BlockLiveBytes(const RecordPool& pool, int block);
// Start of the undo shadow of a document block (the upper half); null when the block
// is missing or the pool is not shadowed.
std::byte* BlockShadow(const RecordPool& pool, int block);

// ---- Internal steps (exposed for the undo code and tests) ----

int AddPoolBlock(PoolSet set, int pool, int blockIndex, size_t bytes);  // → 1 or 0
int GrowStaticPool(int pool, int kilobytes);                           // → KB obtained or 0
void* PoolSlotAddress(int pool, int block, int slot);                  // current set

// Effective block size in KB of a document pool: the program's table entry clamped to
// [max(1 KB, 4 slots), 64 KB] and rounded down to a power of two.
int DocumentBlockKilobytes(int pool);

// Test hook: the next `count` record allocations (AllocRecord, AllocStaticRecord)
// fail as if the pool were exhausted (beep included). 0 switches it off.
void FailNextRecordAllocations(int count);
// Test hook: the allocation after the next `successes` ones fails (FailNext... with
// one failure that waits for `successes` allocations first).
void FailRecordAllocationAfter(int successes);
// Test hook: after the next `successes` allocations, the `count` after them fail (a
// pool set running out part-way through an operation).
void FailRecordAllocationsAfter(int successes, int count);

// ---- Inline lookup ----

namespace pool_detail {

// Where the current set is kept (the program state's pool group), for the inline
// lookups below; CurrentPoolSet() reads the same place.
extern const PoolSet* const g_currentSet;

// The live bitmap of a block at `base` with `capacity` record slots: right after
// the record slots.
inline std::byte* LiveBitsAt(std::byte* base, size_t capacity, uint8_t shift) {
    return base + (capacity << shift);
}
inline std::byte* LiveBits(const PoolBlock& entry, uint8_t shift) {
    return LiveBitsAt(entry.base.get(), entry.capacity, shift);
}

// A slot's bit in a live bitmap. Only handed-out slots are ever set, never slot 0.
inline bool LiveBit(const std::byte* bits, size_t slot) {
    return ((std::to_integer<unsigned>(bits[slot >> 3]) >> (slot & 7)) & 1u) != 0;
}

// The live bit of a slot of a block.
inline bool SlotLive(const PoolBlock& entry, uint8_t shift, size_t slot) {
    return LiveBit(LiveBits(entry, shift), slot);
}

// Handle to address in one pool descriptor, with every check of the checked lookup:
// null for handle 0, an unused pool, a block past the count or not made, slot 0,
// and an address past the block's last record; with `liveOnly`, also for a slot
// that is not live. `slotBits` is 15 in a shadowed (document) pool and 16 in the
// static set.
inline void* DecodeHandle(const RecordPool& pool, uint16_t handle, int slotBits, bool liveOnly = false) {
    if (handle == 0 || pool.shift == 0 || pool.shift >= slotBits) return nullptr;
    const unsigned block = static_cast<unsigned>(handle) >> (slotBits - pool.shift);
    if (block >= pool.blockCount || block >= static_cast<unsigned>(kMaxPoolBlocks)) return nullptr;
    const PoolBlock& entry = pool.blocks[block];
    if (!entry.base) return nullptr;
    const uint32_t offset = (static_cast<uint32_t>(handle) << pool.shift) & ((1u << slotBits) - 1);
    std::byte* base = entry.base.get();
    std::byte* address = base + offset;
    if (offset == 0 || address >= entry.end.get()) return nullptr;
    // A branch the walks predict, not a select: the next link is read from `address`
    // without waiting for the live bit.
    if (liveOnly && __builtin_expect(!LiveBit(LiveBitsAt(base, entry.capacity, pool.shift), offset >> pool.shift), 0))
        return nullptr;
    return address;
}

// The descriptor of a pool of the current set whose handles resolve inline (see
// FindRecord), or null.
inline const RecordPool* InlinePool(const PoolSet& set, int pool) {
    if (set.IsStatic() || set.pools == nullptr || pool < 0 || pool >= set.poolCount ||
        set.pools[pool].shadowed == 0)
        return nullptr;
    return &set.pools[pool];
}

// The live record of a handle in a pool of a set, or null; takes the sequencer lock
// for the shared pools. The out-of-line path of FindRecord and FindStaticRecord.
void* LookupLive(PoolSet set, int pool, uint16_t handle);

}  // namespace pool_detail

// The checked lookup of FindRecord for a walk that resolves many handles of one pool
// (the links of an event chain): the pool's descriptor in the current set is looked up
// once, when the lookup is made. It holds the descriptor by address, so blocks added
// while it lives are seen; the current set may not change while it is used (asserted
// in debug builds).
template <typename T>
class PoolResolver {
  public:
    explicit PoolResolver(int pool)
        : set_(*pool_detail::g_currentSet), pool_(pool), descriptor_(pool_detail::InlinePool(set_, pool)) {}
    // As FindRecord<T>(pool, handle).
    T* Find(RecordHandle handle) const {
        assert(*pool_detail::g_currentSet == set_);
        void* record = descriptor_ != nullptr
                           ? pool_detail::DecodeHandle(*descriptor_, handle.bits, kDocumentHandleBits, true)
                           : pool_detail::LookupLive(set_, pool_, handle.bits);
        return static_cast<T*>(record);
    }

  private:
    PoolSet set_;
    int pool_;
    const RecordPool* descriptor_;
};

// Calls `visit(record)` on the live records of a pool of the current set, block by
// block in slot order, until it returns true; true when one did. Only the live
// bitmaps are read to choose the records. No record may
// be allocated or freed from the pool while the walk runs. Not for the static set's
// sequencer pools, which other threads change.
template <typename Visit>
bool AnyLiveRecordOf(int pool, Visit visit);

// ---- Template definitions ----

template <typename Visit>
bool AnyLiveRecordOf(int pool, Visit visit) {
    const PoolSet set = CurrentPoolSet();
    if (set.pools == nullptr || pool < 0 || pool >= set.poolCount) return false;
    const RecordPool& descriptor = set.pools[pool];
    if (descriptor.shift == 0) return false;
    for (int block = 0; block < descriptor.blockCount && block < kMaxPoolBlocks; ++block) {
        const PoolBlock& entry = descriptor.blocks[block];
        if (!entry.base) continue;
        const int fresh = entry.nextFresh < entry.capacity ? entry.nextFresh : entry.capacity;
        std::byte* base = entry.base.get();
        const std::byte* bits = pool_detail::LiveBitsAt(base, entry.capacity, descriptor.shift);
        for (int slot = 1; slot < fresh; ++slot) {
            if (!pool_detail::LiveBit(bits, static_cast<size_t>(slot))) continue;
            std::byte* record = base + (static_cast<size_t>(slot) << descriptor.shift);
            if (visit(static_cast<void*>(record))) return true;
        }
    }
    return false;
}

template <typename T>
T* FindRecord(int pool, RecordHandle handle) {
    // A document set is the UI thread's alone and never holds the sequencer pools, so
    // its handles resolve right here, with no call and no lock.
    const PoolSet& set = *pool_detail::g_currentSet;
    const RecordPool* descriptor = pool_detail::InlinePool(set, pool);
    void* record = descriptor != nullptr
                       ? pool_detail::DecodeHandle(*descriptor, handle.bits, kDocumentHandleBits, true)
                       : pool_detail::LookupLive(set, pool, handle.bits);
    return static_cast<T*>(record);
}

template <typename T>
T* FindLiveRecord(int pool, RecordHandle handle) {
    return FindRecord<T>(pool, handle);
}

template <typename T>
T& RecordAt(int pool, RecordHandle handle) {
    T* record = FindRecord<T>(pool, handle);
    if (record == nullptr) __builtin_trap();  // a handle proven live was not
    return *record;
}

template <typename T>
T* FindStaticRecord(int pool, StaticHandle handle) {
    return static_cast<T*>(pool_detail::LookupLive(TheStaticPoolSet(), pool, handle.bits));
}

template <typename T>
T* AllocRecordAs(int pool) {
    static_assert(std::is_trivially_copyable_v<T>, "pooled records are plain bytes");
    if (sizeof(T) > PoolSlotBytes(pool)) return nullptr;
    return static_cast<T*>(AllocRecord(pool));
}

}  // namespace ql
