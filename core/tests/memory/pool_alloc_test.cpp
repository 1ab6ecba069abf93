// Allocation and release in a document set: zero filling, the free list, block
// capacities and sizes, growth with halving, and exhaustion returning null.
#include <set>
#include <vector>

#include "core/constants.h"
#include "core/tests/memory/pool_fixture.h"

namespace ql::testing_pools {
namespace {

using PoolAllocation = PoolTest;
using PoolRelease = PoolTest;
using PoolBlocks = PoolTest;
using PoolExhaustion = PoolTest;

// A reused slot comes back zero-filled over its whole size.
TEST_F(PoolAllocation, RecordsAreZeroFilledEvenWhenReused) {
    auto* record = static_cast<unsigned char*>(AllocRecord(kScorePagePool));
    ASSERT_TRUE(IsZeroFilled(record, 64));
    std::memset(record, 0xAB, 64);
    FreeRecord(kScorePagePool, record);
    auto* again = static_cast<unsigned char*>(AllocRecord(kScorePagePool));
    ASSERT_EQ(again, record);
    EXPECT_TRUE(IsZeroFilled(again, 64));
}

// Bad pool numbers and the unused pools 0 and 1 of a document set give null.
TEST_F(PoolAllocation, InvalidPoolsGiveNull) {
    EXPECT_EQ(AllocRecord(-1), nullptr);
    EXPECT_EQ(AllocRecord(0), nullptr);
    EXPECT_EQ(AllocRecord(1), nullptr);
    EXPECT_EQ(AllocRecord(kDocumentPoolCount), nullptr);
    ASSERT_EQ(InitStaticPoolSet(), 1);
    EXPECT_EQ(AllocStaticRecord(kStaticPoolCount), nullptr);
    EXPECT_NE(AllocStaticRecord(0), nullptr);
}

// A record type larger than the slot of its pool is refused.
TEST_F(PoolAllocation, TypedAllocationChecksTheSlotSize) {
    struct Forty { unsigned char bytes[40]; };
    EXPECT_EQ(AllocRecordAs<Forty>(kEventRecordPool), nullptr);
    EXPECT_NE(AllocRecordAs<Forty>(kStaffRecordPool), nullptr);
}

// Allocation by size refuses sizes the current set's slot cannot hold.
TEST_F(PoolAllocation, AllocationBySizeChecksTheCurrentSet) {
    int pool = -1;
    EXPECT_NE(AllocRecordBySize(300, &pool), nullptr);
    EXPECT_EQ(pool, 10);
    ASSERT_EQ(InitStaticPoolSet(), 1);
    ScopedPoolSet useStatic(TheStaticPoolSet());
    EXPECT_NE(AllocRecordBySize(256, nullptr), nullptr);
    EXPECT_EQ(AllocRecordBySize(300, nullptr), nullptr) << "a static pool-10 slot is 256 bytes";
}

// Freed slots are reused last-freed first.
TEST_F(PoolRelease, FreedSlotsAreReusedLastFreedFirst) {
    void* a = AllocRecord(kEventRecordPool);
    void* b = AllocRecord(kEventRecordPool);
    FreeRecord(kEventRecordPool, a);
    FreeRecord(kEventRecordPool, b);
    EXPECT_EQ(AllocRecord(kEventRecordPool), b);
    EXPECT_EQ(AllocRecord(kEventRecordPool), a);
    EXPECT_EQ(HandleBits(kEventRecordPool, AllocRecord(kEventRecordPool)), 3);
}

// A record freed twice goes on the free list once.
TEST_F(PoolRelease, DoubleFreeListsTheRecordOnce) {
    void* a = AllocRecord(kMeasureCellPool);
    FreeRecord(kMeasureCellPool, a);
    FreeRecord(kMeasureCellPool, a);
    EXPECT_EQ(AllocRecord(kMeasureCellPool), a);
    void* next = AllocRecord(kMeasureCellPool);
    EXPECT_NE(next, a);
    EXPECT_EQ(HandleBits(kMeasureCellPool, next), 2);
}

// A freed record carries the link and nothing else.
TEST_F(PoolRelease, FreedRecordHoldsOnlyTheLink) {
    void* a = AllocRecord(kScorePagePool);
    void* b = AllocRecord(kScorePagePool);
    std::memset(b, 0x5A, 64);
    FreeRecord(kScorePagePool, a);
    FreeRecord(kScorePagePool, b);
    uint32_t words[2];
    std::memcpy(words, b, sizeof words);
    EXPECT_EQ(words[0], Ref32<void>::To(a).offset);
    EXPECT_EQ(words[1], 0u);
    EXPECT_TRUE(IsZeroFilled(static_cast<std::byte*>(b) + 8, 56));
    EXPECT_TRUE(IsFreeRecord(a));
    EXPECT_TRUE(IsFreeRecord(b));
}

// Null, slot 0, foreign, interior and other-pool pointers are ignored by FreeRecord.
TEST_F(PoolRelease, InvalidPointersAreIgnored) {
    auto* a = static_cast<std::byte*>(AllocRecord(kScorePagePool));
    int onStack = 0;
    FreeRecord(kScorePagePool, nullptr);
    FreeRecord(kScorePagePool, &onStack);
    FreeRecord(kScorePagePool, PoolSlotAddress(kScorePagePool, 0, 0));
    FreeRecord(kScorePagePool, a + 8);
    FreeRecord(kEventRecordPool, a);
    EXPECT_FALSE(IsFreeRecord(a));
    EXPECT_EQ(HandleBits(kScorePagePool, AllocRecord(kScorePagePool)), 2) << "nothing went on the free list";
    EXPECT_TRUE(IsZeroFilled(PoolSlotAddress(kScorePagePool, 0, 0), 64)) << "slot 0 untouched";
}

// While the program shuts down, FreeRecord does nothing.
TEST_F(PoolRelease, FreeingDuringShutdownDoesNothing) {
    void* a = AllocRecord(kEventRecordPool);
    State().program.ShutdownFlag = 1;
    FreeRecord(kEventRecordPool, a);
    State().program.ShutdownFlag = 0;
    EXPECT_FALSE(IsFreeRecord(a));
}

// A free-list head that is not a released slot (a live record, an interior address)
// is dropped instead of being handed out.
TEST_F(PoolRelease, CorruptedFreeListHeadIsDropped) {
    void* a = AllocRecord(kEventRecordPool);
    void* b = AllocRecord(kEventRecordPool);
    FreeRecord(kEventRecordPool, a);
    doc_.pools[kEventRecordPool].freeList = Ref32<std::byte>::To(static_cast<std::byte*>(b));
    void* next = AllocRecord(kEventRecordPool);
    EXPECT_NE(next, b) << "a live record is never handed out twice";
    EXPECT_EQ(HandleBits(kEventRecordPool, next), 3);
    FreeRecord(kEventRecordPool, next);
    doc_.pools[kEventRecordPool].freeList = Ref32<std::byte>::To(static_cast<std::byte*>(next) + 4);
    EXPECT_EQ(HandleBits(kEventRecordPool, AllocRecord(kEventRecordPool)), 4);
}

// After a reset the first record of every pool is slot 1 of block 0 again.
TEST_F(PoolBlocks, ResetStartsEachPoolAtSlotOne) {
    for (int i = 0; i < 40; ++i) ASSERT_NE(AllocRecord(kStavesArrayPool), nullptr);
    ASSERT_NE(AllocRecord(kEventRecordPool), nullptr);
    ResetDocumentPoolSet(doc_);
    EXPECT_EQ(doc_.pools[kStavesArrayPool].blockCount, 1);
    EXPECT_EQ(HandleBits(kStavesArrayPool, AllocRecord(kStavesArrayPool)), 1);
    EXPECT_EQ(HandleBits(kEventRecordPool, AllocRecord(kEventRecordPool)), 1);
}

// The default blocks hold the table's slot counts: 15 records in a pool-10 block
// and 1023 in a pool-4 block (slot 0 never handed out).
TEST_F(PoolBlocks, DefaultBlocksHoldTheTableSlotCounts) {
    const int capacities[kDocumentPoolCount] = {0, 0, 1024, 256, 1024, 1024, 1024, 512, 512, 256, 16};
    for (int pool = 2; pool < kDocumentPoolCount; ++pool) {
        ASSERT_NE(AllocRecord(pool), nullptr);
        EXPECT_EQ(doc_.pools[pool].blocks[0].capacity, capacities[pool]) << "pool " << pool;
    }
    for (int i = 1; i < 15; ++i) AllocRecord(kStavesArrayPool);
    EXPECT_EQ(doc_.pools[kStavesArrayPool].blockCount, 1);
    AllocRecord(kStavesArrayPool);
    EXPECT_EQ(doc_.pools[kStavesArrayPool].blockCount, 2) << "the 16th pool-10 record needs block 1";
    for (int i = 1; i < 1023; ++i) AllocRecord(kEventRecordPool);
    EXPECT_EQ(doc_.pools[kEventRecordPool].blockCount, 1);
    AllocRecord(kEventRecordPool);
    EXPECT_EQ(doc_.pools[kEventRecordPool].blockCount, 2);
}

// Configured block sizes are clamped to [max(1 KB, 4 slots), 64 KB], power of two.
TEST_F(PoolBlocks, ConfiguredBlockSizesAreClamped) {
    auto& table = State().pools.DocumentBlockKb;
    table[kStavesArrayPool] = 4;
    table[kListNodePool] = 100;
    table[kLargeObjectPool] = 48;
    table[kSmallArrayPool] = 1;
    EXPECT_EQ(DocumentBlockKilobytes(kStavesArrayPool), 8);
    EXPECT_EQ(DocumentBlockKilobytes(kListNodePool), 64);
    EXPECT_EQ(DocumentBlockKilobytes(kLargeObjectPool), 32);
    EXPECT_EQ(DocumentBlockKilobytes(kSmallArrayPool), 1);
    EXPECT_EQ(DocumentBlockKilobytes(0), 0);
}

// The shadow is the upper half of a document block; allocation never writes it. The
// live half holds the 1024 record slots and, after them, the 128-byte live bitmap
// (4 slots), all bits of the handed-out records set.
TEST_F(PoolBlocks, ShadowHalfIsUntouchedByRecords) {
    for (int i = 0; i < 1023; ++i) std::memset(AllocRecord(kEventRecordPool), 0xEE, 32);
    const RecordPool& pool = doc_.pools[kEventRecordPool];
    ASSERT_EQ(BlockLiveBytes(pool, 0), 32u * 1024 + 128);
    const std::byte* bits = pool.blocks[0].base.get() + 32 * 1024;
    EXPECT_EQ(bits[0], std::byte{0xFE}) << "slot 0 is never live";
    for (int i = 1; i < 128; ++i) ASSERT_EQ(bits[i], std::byte{0xFF}) << "byte " << i;
    std::byte* shadow = BlockShadow(pool, 0);
    ASSERT_EQ(shadow, pool.blocks[0].base.get() + 32 * 1024 + 128);
    EXPECT_TRUE(IsZeroFilled(shadow, 32 * 1024 + 128));
    ASSERT_EQ(InitStaticPoolSet(), 1);
    EXPECT_EQ(BlockShadow(TheStaticPoolSet().pools[kSequencerStaticPool], 0), nullptr);
}

// When a block cannot be had at full size, the next attempt takes half.
TEST_F(PoolExhaustion, GrowthHalvesTheBlockAfterAFailure) {
    FailNextArenaBlocks(1);
    ASSERT_NE(AllocRecord(kStavesArrayPool), nullptr);
    EXPECT_EQ(doc_.pools[kStavesArrayPool].blocks[0].capacity, 8) << "a 32 KB block";
    EXPECT_EQ(State().pools.ExhaustionBeeps.load(), 0u);
}

// After four failed attempts the pool is exhausted: one beep, null, nothing shared.
TEST_F(PoolExhaustion, FourFailedAttemptsGiveNullAndOneBeep) {
    FailNextArenaBlocks(5);
    EXPECT_EQ(AllocRecord(kEventRecordPool), nullptr);
    EXPECT_EQ(State().pools.ExhaustionBeeps.load(), 1u);
    EXPECT_EQ(AllocArenaBlock(4096), nullptr) << "exactly four attempts were made";
    EXPECT_NE(AllocRecord(kEventRecordPool), nullptr) << "the pool recovers once memory is back";
}

// Halving stops at the pool's minimum block size.
TEST_F(PoolExhaustion, HalvingStopsAtTheMinimumBlock) {
    State().pools.DocumentBlockKb[kStavesArrayPool] = 8;
    FailNextArenaBlocks(2);
    EXPECT_EQ(AllocRecord(kStavesArrayPool), nullptr);
    EXPECT_EQ(AllocArenaBlock(4096), nullptr) << "only one attempt: 8 KB is the minimum";
}

// A pool at its block limit returns null each time, with a beep each time.
TEST_F(PoolExhaustion, FullPoolAtBlockLimitGivesNullEachTime) {
    // Pool 2: 8 blocks of 1023 records.
    std::set<void*> seen;
    for (int i = 0; i < 8 * 1023; ++i) {
        void* record = AllocRecord(kListNodePool);
        ASSERT_NE(record, nullptr);
        ASSERT_TRUE(seen.insert(record).second);
    }
    EXPECT_EQ(AllocRecord(kListNodePool), nullptr);
    EXPECT_EQ(AllocRecord(kListNodePool), nullptr);
    EXPECT_EQ(State().pools.ExhaustionBeeps.load(), 2u);
    FreeRecord(kListNodePool, *seen.begin());
    EXPECT_EQ(AllocRecord(kListNodePool), *seen.begin());
}

// The test hook makes exactly the next allocation fail.
TEST_F(PoolExhaustion, FailureHookFailsTheNextAllocationOnly) {
    FailNextRecordAllocations(1);
    EXPECT_EQ(AllocRecord(kEventRecordPool), nullptr);
    EXPECT_EQ(State().pools.ExhaustionBeeps.load(), 1u);
    void* record = AllocRecord(kEventRecordPool);
    EXPECT_NE(record, nullptr);
    EXPECT_EQ(HandleBits(kEventRecordPool, record), 1);
}

}  // namespace
}  // namespace ql::testing_pools
