// Runs of records that need blocks added, and room reserved ahead
// (ReserveRecordRoom): the blocks a run lacks are taken together, yet every run
// hands out the records single allocations would, zero-filled even on pages a
// freed set left dirty, with exactly their live bits set.
#include <random>
#include <vector>

#include "core/constants.h"
#include "core/tests/memory/pool_fixture.h"

namespace ql::testing_pools {
namespace {

using PoolBlockRuns = PoolTest;
using PoolReservation = PoolTest;

constexpr int kEventSlots = 1023;  // records of a 64 KB event block, slot 0 aside

// The handles `count` single allocations give in a fresh twin set after `before`
// single allocations.
std::vector<uint16_t> SingleHandles(int pool, int before, int count) {
    DocumentPoolSet twin{};
    InitDocumentPoolSet(twin);
    std::vector<uint16_t> handles;
    {
        ScopedPoolSet useTwin(twin);
        RecordHandle handle;
        for (int i = 0; i < before; ++i) AllocRecordWithHandle(pool, &handle);
        for (int i = 0; i < count; ++i) {
            AllocRecordWithHandle(pool, &handle);
            handles.push_back(handle.bits);
        }
    }
    FreeDocumentPoolSet(twin);
    return handles;
}

std::vector<uint16_t> Bits(const std::vector<RecordHandle>& handles) {
    std::vector<uint16_t> bits;
    for (RecordHandle handle : handles) bits.push_back(handle.bits);
    return bits;
}

// Bytes of the arena a pool's blocks hold.
size_t PoolArenaBytes(const RecordPool& pool) {
    size_t bytes = 0;
    for (int block = 0; block < pool.blockCount; ++block) {
        const size_t both = BlockLiveBytes(pool, block) * 2;
        bytes += (both + kArenaPageBytes - 1) / kArenaPageBytes * kArenaPageBytes;
    }
    return bytes;
}

// A run from inside block 0 across three blocks it adds: the handles of single
// allocations, each record live and zero-filled, and the slot after the run free.
TEST_F(PoolBlockRuns, ARunAcrossAddedBlocksHandsOutWhatSinglesWould) {
    const int pool = kEventRecordPool;
    const int before = 700;
    const int count = 3 * kEventSlots;
    void* record = nullptr;
    for (int i = 0; i < before; ++i) record = AllocRecord(pool);
    ASSERT_NE(record, nullptr);
    std::vector<void*> records(count);
    std::vector<RecordHandle> handles(count);
    ASSERT_EQ(AllocRecordRunWithHandles(pool, count, records.data(), handles.data()), count);
    EXPECT_EQ(Bits(handles), SingleHandles(pool, before, count));
    const RecordPool& descriptor = doc_.pools[pool];
    EXPECT_EQ(descriptor.blockCount, 4);
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(HandleToPtr(pool, handles[static_cast<size_t>(i)]), records[static_cast<size_t>(i)]) << i;
        ASSERT_TRUE(IsLiveRecord(CurrentPoolSet(), pool, records[static_cast<size_t>(i)])) << i;
        ASSERT_TRUE(IsZeroFilled(records[static_cast<size_t>(i)], 32)) << i;
    }
    EXPECT_FALSE(pool_detail::SlotLive(descriptor.blocks[3], descriptor.shift, descriptor.blocks[3].nextFresh));
    EXPECT_EQ(ArenaBytesInUse(), arenaBytesAtStart_ + PoolArenaBytes(descriptor));
}

// Runs of every length from 1 to 19 side by side: each sets the live bits of its
// own slots only, whatever bitmap bytes it starts and ends in.
TEST_F(PoolBlockRuns, RunsOfOddLengthsMarkExactlyTheirSlots) {
    const int pool = kMeasureCellPool;
    std::vector<RecordHandle> all;
    for (int length = 1; length < 20; ++length) {
        void* records[19];
        RecordHandle handles[19];
        ASSERT_EQ(AllocRecordRunWithHandles(pool, length, records, handles), length);
        all.insert(all.end(), handles, handles + length);
        const PoolBlock& entry = doc_.pools[pool].blocks[0];
        EXPECT_FALSE(pool_detail::SlotLive(entry, doc_.pools[pool].shift, entry.nextFresh))
            << "after the run of " << length;
        for (RecordHandle handle : all) ASSERT_NE(FindRecord<void>(pool, handle), nullptr) << length;
    }
    // A record freed in the middle leaves its neighbours live.
    FreeRecordByHandle(pool, all[100]);
    EXPECT_EQ(FindRecord<void>(pool, all[100]), nullptr);
    EXPECT_NE(FindRecord<void>(pool, all[99]), nullptr);
    EXPECT_NE(FindRecord<void>(pool, all[101]), nullptr);
}

// A set whose records and shadows were scribbled over is freed; a new set's run on
// the same (kept) pages finds its records, the slots never handed out and, the set's
// shadows being in use, the shadows all zero.
TEST_F(PoolBlockRuns, KeptPagesOfAFreedSetComeBackZero) {
    const int pool = kEventRecordPool;
    const int count = 3 * kEventSlots;
    std::vector<void*> records(count);
    std::vector<RecordHandle> handles(count);
    {
        DocumentPoolSet dirty{};
        InitDocumentPoolSet(dirty);
        ScopedPoolSet useDirty(dirty);
        ASSERT_EQ(AllocRecordRunWithHandles(pool, count, records.data(), handles.data()), count);
        for (void* record : records) std::memset(record, 0xCD, 32);
        for (int block = 0; block < dirty.pools[pool].blockCount; ++block)
            std::memset(BlockShadow(dirty.pools[pool], block), 0xCD, BlockLiveBytes(dirty.pools[pool], block));
        const size_t kept = ArenaKeptBytes();
        FreeDocumentPoolSet(dirty);
        ASSERT_GT(ArenaKeptBytes(), kept) << "the pages are kept, not given back";
    }
    NoteShadowsFilled(doc_);  // as the undo code's first baseline leaves the set
    const int again = count - 500;  // the last block keeps slots never handed out
    ASSERT_EQ(AllocRecordRunWithHandles(pool, again, records.data(), handles.data()), again);
    for (int i = 0; i < again; ++i) ASSERT_TRUE(IsZeroFilled(records[static_cast<size_t>(i)], 32)) << i;
    const RecordPool& descriptor = doc_.pools[pool];
    for (int block = 0; block < descriptor.blockCount; ++block) {
        const PoolBlock& entry = descriptor.blocks[block];
        const size_t fresh = static_cast<size_t>(entry.nextFresh) * 32;
        EXPECT_TRUE(IsZeroFilled(entry.base.get() + fresh, size_t{entry.capacity} * 32 - fresh)) << block;
        EXPECT_TRUE(IsZeroFilled(BlockShadow(descriptor, block), BlockLiveBytes(descriptor, block))) << block;
    }
}

// When a block of the run's batch cannot be had, nothing of the batch is taken and
// the pool grows block by block as before: the run is whole, with the same records.
TEST_F(PoolBlockRuns, AFailedBatchFallsBackToGrowingBlockByBlock) {
    const int pool = kEventRecordPool;
    const int count = 3 * kEventSlots;
    FailNextArenaBlocks(1, 1);
    std::vector<void*> records(count);
    std::vector<RecordHandle> handles(count);
    ASSERT_EQ(AllocRecordRunWithHandles(pool, count, records.data(), handles.data()), count);
    EXPECT_EQ(Bits(handles), SingleHandles(pool, 0, count));
    EXPECT_EQ(ArenaBytesInUse(), arenaBytesAtStart_ + PoolArenaBytes(doc_.pools[pool]));
    EXPECT_EQ(State().pools.ExhaustionBeeps.load(), 0u);
}

// Room reserved ahead comes in blocks added at once; single allocations then take
// it with the handles they would have had, and add no block.
TEST_F(PoolReservation, ReservedRoomIsTakenWithTheHandlesSinglesWouldHave) {
    const int pool = kEventRecordPool;
    const int count = 2 * kEventSlots + 300;
    ASSERT_TRUE(ReserveRecordRoom(pool, count));
    EXPECT_EQ(doc_.pools[pool].blockCount, 3);
    std::vector<uint16_t> handles;
    RecordHandle handle;
    for (int i = 0; i < count; ++i) {
        ASSERT_NE(AllocRecordWithHandle(pool, &handle), nullptr);
        handles.push_back(handle.bits);
    }
    EXPECT_EQ(handles, SingleHandles(pool, 0, count));
    EXPECT_EQ(doc_.pools[pool].blockCount, 3);
    EXPECT_TRUE(ReserveRecordRoom(pool, 0));
    EXPECT_TRUE(ReserveRecordRoom(pool, kEventSlots - 300)) << "the room left in the last block";
    EXPECT_EQ(doc_.pools[pool].blockCount, 3);
}

// One block missing is added as growth adds it; a failure of its full size halves it.
TEST_F(PoolReservation, OneMissingBlockGrowsAsAnAllocationWould) {
    FailNextArenaBlocks(1);
    ASSERT_TRUE(ReserveRecordRoom(kStavesArrayPool, 3));
    EXPECT_EQ(doc_.pools[kStavesArrayPool].blocks[0].capacity, 8) << "a 32 KB block";
}

// Past the pool's block limit the reservation adds every block it may and says no,
// without a beep; the static set gets no block.
TEST_F(PoolReservation, RoomPastTheBlockLimitIsRefusedQuietly) {
    EXPECT_FALSE(ReserveRecordRoom(kStavesArrayPool, 5000));
    const RecordPool& descriptor = doc_.pools[kStavesArrayPool];
    EXPECT_EQ(descriptor.blockCount, descriptor.maxBlocks);
    EXPECT_EQ(State().pools.ExhaustionBeeps.load(), 0u);
    EXPECT_FALSE(ReserveRecordRoom(-1, 1));
    EXPECT_FALSE(ReserveRecordRoom(1, 1)) << "pool 1 is unused in a document set";

    ASSERT_EQ(InitStaticPoolSet(), 1);
    ScopedPoolSet useStatic(TheStaticPoolSet());
    EXPECT_FALSE(ReserveRecordRoom(kEventRecordPool, 100));
    EXPECT_EQ(TheStaticPoolSet().pools[kEventRecordPool].blockCount, 0);
}

// Seeded mixes of runs, reservations, single allocations and releases hand out, step
// for step, the handles a twin set gives with single allocations only.
TEST_F(PoolBlockRuns, MixedRunsAndReservationsMatchSingleAllocations) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        TwinPoolSets twins;
        DocumentPoolSet& runSet = twins.runs;
        DocumentPoolSet& singleSet = twins.singles;
        std::mt19937 random(seed);
        std::vector<uint16_t> live;
        for (int step = 0; step < 400; ++step) {
            const int pool = step % 3 == 0 ? kMeasureCellPool : kEventRecordPool;
            const unsigned kind = random() % 8;
            if (kind == 0 && !live.empty()) {
                const size_t pick = random() % live.size();
                // Released in both sets; the handle is the same in each.
                twins.FreeInBoth(kEventRecordPool, live[pick]);
                live.erase(live.begin() + static_cast<std::ptrdiff_t>(pick));
                continue;
            }
            const int count = 1 + static_cast<int>(random() % (kind == 1 ? 600 : 60));
            std::vector<void*> records(static_cast<size_t>(count));
            std::vector<RecordHandle> fromRun(static_cast<size_t>(count));
            {
                ScopedPoolSet use(runSet);
                if (kind == 2) ReserveRecordRoom(pool, count + static_cast<int>(random() % 2000));
                ASSERT_EQ(AllocRecordRunWithHandles(pool, count, records.data(), fromRun.data()), count);
            }
            ScopedPoolSet use(singleSet);
            for (int i = 0; i < count; ++i) {
                RecordHandle single;
                ASSERT_NE(AllocRecordWithHandle(pool, &single), nullptr);
                ASSERT_EQ(single, fromRun[static_cast<size_t>(i)]) << "seed " << seed << " step " << step;
                if (pool == kEventRecordPool) live.push_back(single.bits);
            }
        }
    }
}

}  // namespace
}  // namespace ql::testing_pools
