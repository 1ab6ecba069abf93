// Handle conversion: the 15-bit layout of document sets, the 16-bit layout of the
// static set, and the pointers and handles that must convert to "none".
#include <vector>

#include "core/constants.h"
#include "core/tests/memory/pool_fixture.h"

namespace ql::testing_pools {
namespace {

using PoolHandles = PoolTest;

// Handle 0 and the handle of any slot 0 never name a record.
TEST_F(PoolHandles, HandleZeroAndSlotZeroHandlesGiveNull) {
    ASSERT_NE(AllocRecord(kEventRecordPool), nullptr);
    EXPECT_EQ(HandleToPtr(kEventRecordPool, RecordHandle{0}), nullptr);
    // Slot 0 of block 1 in pool 4 (shift 5): block << 10.
    for (int i = 0; i < 1023; ++i) ASSERT_NE(AllocRecord(kEventRecordPool), nullptr);
    EXPECT_EQ(HandleToPtr(kEventRecordPool, RecordHandle{1 << 10}), nullptr);
    EXPECT_NE(HandleToPtr(kEventRecordPool, RecordHandle{(1 << 10) | 1}), nullptr);
}

// Slot-0 addresses, pointers outside the pool and interior pointers give handle 0.
TEST_F(PoolHandles, ForeignAndSlotZeroPointersGiveHandleZero) {
    auto* record = static_cast<std::byte*>(AllocRecord(kStaffRecordPool));
    ASSERT_NE(record, nullptr);
    int onStack = 0;
    EXPECT_EQ(HandleBits(kStaffRecordPool, PoolSlotAddress(kStaffRecordPool, 0, 0)), 0);
    EXPECT_EQ(HandleBits(kStaffRecordPool, &onStack), 0);
    EXPECT_EQ(HandleBits(kStaffRecordPool, nullptr), 0);
    EXPECT_EQ(HandleBits(kStaffRecordPool, record + 4), 0);
    EXPECT_EQ(HandleBits(kEventRecordPool, record), 0) << "a record of pool 8 is foreign to pool 4";
}

// The first records of a block get slot 1, 2, ... under the block index.
TEST_F(PoolHandles, DocumentHandleIsBlockAboveFifteenBitSlot) {
    std::vector<void*> records;
    for (int i = 0; i < 16; ++i) records.push_back(AllocRecord(kStavesArrayPool));
    // Pool 10 (shift 11): 4 slot bits; slots 1..15 in block 0, then block 1 slot 1.
    EXPECT_EQ(HandleBits(kStavesArrayPool, records[0]), 1);
    EXPECT_EQ(HandleBits(kStavesArrayPool, records[14]), 15);
    EXPECT_EQ(HandleBits(kStavesArrayPool, records[15]), (1 << 4) | 1);
}

// Pools filled to their block limit never set bit 15, and every handle round-trips.
TEST_F(PoolHandles, DocumentHandlesNeverUseBitFifteen) {
    const int pools[] = {2, 3, 8, 9, 10};
    for (int pool : pools) {
        const RecordPool& descriptor = doc_.pools[pool];
        int slotBits = 15 - descriptor.shift;
        int records = 0;
        uint16_t last = 0;
        while (void* record = AllocRecord(pool)) {
            uint16_t bits = HandleBits(pool, record);
            ASSERT_NE(bits, 0);
            ASSERT_EQ(bits & 0x8000, 0) << "pool " << pool << " record " << records;
            ASSERT_EQ(HandleToPtr(pool, RecordHandle{bits}), record);
            last = bits;
            ++records;
        }
        int perBlock = descriptor.blocks[0].capacity - 1;
        EXPECT_EQ(records, descriptor.maxBlocks * perBlock) << "pool " << pool;
        EXPECT_EQ(last >> slotBits, descriptor.maxBlocks - 1) << "the last block was reached";
    }
}

// A record allocated with its handle gets the handle a search of the blocks gives:
// fresh slots, slots popped from the free list, slots of later blocks; 0 and null
// once the pool is exhausted.
TEST_F(PoolHandles, AllocatedHandleMatchesTheSearchedOne) {
    const int pools[] = {kSpacingEntryPool, kStavesArrayPool};
    for (int pool : pools) {
        std::vector<void*> records;
        RecordHandle handle;
        while (void* record = AllocRecordWithHandle(pool, &handle)) {
            ASSERT_EQ(handle.bits, HandleBits(pool, record)) << "pool " << pool << " record " << records.size();
            records.push_back(record);
        }
        EXPECT_EQ(handle.bits, 0) << "an exhausted pool gives no handle";
        ASSERT_GT(records.size(), 2u);
        EXPECT_GT(HandleBits(pool, records.back()) >> (15 - doc_.pools[pool].shift), 0) << "a later block was reached";
        // Released from both ends, then taken again from the free list.
        for (void* record : {records.front(), records.back(), records[records.size() / 2]}) FreeRecord(pool, record);
        for (int i = 0; i < 3; ++i) {
            void* record = AllocRecordWithHandle(pool, &handle);
            ASSERT_NE(record, nullptr);
            EXPECT_EQ(handle.bits, HandleBits(pool, record)) << "pool " << pool << " reused slot " << i;
            EXPECT_EQ(HandleToPtr(pool, handle), record);
        }
    }
}

// Freeing by handle releases the record it names, as freeing by pointer does: the
// slot is no longer live and comes back first; handle 0, a handle already freed and
// a handle past the pool's blocks are ignored.
TEST_F(PoolHandles, FreeingByHandleReleasesThatRecord) {
    std::vector<void*> records;
    for (int i = 0; i < 5; ++i) records.push_back(AllocRecord(kSpacingEntryPool));
    const RecordHandle third = PtrToHandle(kSpacingEntryPool, records[2]);
    FreeRecordByHandle(kSpacingEntryPool, third);
    EXPECT_FALSE(IsLiveRecord(CurrentPoolSet(), kSpacingEntryPool, records[2]));
    EXPECT_TRUE(IsLiveRecord(CurrentPoolSet(), kSpacingEntryPool, records[1]));
    EXPECT_TRUE(IsLiveRecord(CurrentPoolSet(), kSpacingEntryPool, records[3]));
    FreeRecordByHandle(kSpacingEntryPool, third);  // already free: the free list stays whole
    FreeRecordByHandle(kSpacingEntryPool, RecordHandle{0});
    FreeRecordByHandle(kSpacingEntryPool, RecordHandle{0x7FFF});
    EXPECT_EQ(AllocRecord(kSpacingEntryPool), records[2]);
    EXPECT_NE(AllocRecord(kSpacingEntryPool), records[2]) << "the slot was on the free list once";
    for (void* record : records) EXPECT_TRUE(IsLiveRecord(CurrentPoolSet(), kSpacingEntryPool, record));
}

// A handle naming a slot past the end of a block (or a missing block) is null.
TEST_F(PoolHandles, HandlesBeyondTheBlockGiveNull) {
    // A pool-10 block of 8 KB has capacity 2: slot 1 only.
    State().pools.DocumentBlockKb[kStavesArrayPool] = 8;
    void* record = AllocRecord(kStavesArrayPool);
    ASSERT_EQ(HandleBits(kStavesArrayPool, record), 1);
    EXPECT_EQ(HandleToPtr(kStavesArrayPool, RecordHandle{2}), nullptr);
    EXPECT_EQ(HandleToPtr(kStavesArrayPool, RecordHandle{(5 << 4) | 1}), nullptr);
}

// The static set uses 16 slot bits, so its handles do reach bit 15.
TEST_F(PoolHandles, StaticHandlesUseSixteenBitLayout) {
    ASSERT_EQ(InitStaticPoolSet(), 1);
    // Static pool 11 (shift 5, 64 KB blocks): 11 slot bits, 2047 records a block;
    // the first record of block 16 sets bit 15.
    void* last = nullptr;
    for (int i = 0; i < 2047 * 16 + 1; ++i) ASSERT_NE(last = AllocStaticRecord(kSequencerStaticPool), nullptr);
    StaticHandle handle = StaticPtrToHandle(kSequencerStaticPool, last);
    EXPECT_EQ(handle.bits, (16 << 11) | 1);
    EXPECT_EQ(StaticHandleToPtr(kSequencerStaticPool, handle), last);
}

// The static twins work on the static set whatever set is current.
TEST_F(PoolHandles, StaticTwinsIgnoreTheCurrentSet) {
    ASSERT_EQ(InitStaticPoolSet(), 1);
    void* hit = AllocStaticRecord(kHitRecordStaticPool);
    ASSERT_NE(hit, nullptr);
    StaticHandle handle = StaticPtrToHandle(kHitRecordStaticPool, hit);
    EXPECT_EQ(handle.bits, 1);
    EXPECT_EQ(HandleBits(kHitRecordStaticPool, hit), 0) << "not in the document set";
    EXPECT_EQ(StaticHandleToPtr(kHitRecordStaticPool, handle), hit);
    EXPECT_EQ(StaticHandleToPtr(kHitRecordStaticPool, StaticHandle{0}), nullptr);
    EXPECT_EQ(FindStaticRecord<void>(kHitRecordStaticPool, handle), hit);
    FreeStaticRecord(kHitRecordStaticPool, hit);
    EXPECT_EQ(FindStaticRecord<void>(kHitRecordStaticPool, handle), nullptr) << "a freed record is not found";
}

// With the static set current, the plain operations use the 16-bit layout too.
TEST_F(PoolHandles, PlainOperationsOnTheStaticSetUseItsLayout) {
    ASSERT_EQ(InitStaticPoolSet(), 1);
    ScopedPoolSet useStatic(TheStaticPoolSet());
    std::vector<void*> records;
    // Static pool 10: 256-byte slots in 4 KB blocks: slots 1..15, then block 1.
    for (int i = 0; i < 16; ++i) records.push_back(AllocRecord(kStavesArrayPool));
    EXPECT_EQ(HandleBits(kStavesArrayPool, records[15]), (1 << 8) | 1);
    EXPECT_EQ(HandleToPtr(kStavesArrayPool, RecordHandle{(1 << 8) | 1}), records[15]);
}

}  // namespace
}  // namespace ql::testing_pools
