// Runs taken with records ahead (AllocRecordRunAhead) and the unused part given back
// (ReturnRecordRun): the records used are those single allocations give, and the pool
// left is the one single allocations leave, fresh marks and live bits included.
#include <random>
#include <vector>

#include "core/constants.h"
#include "core/tests/memory/pool_fixture.h"

namespace ql::testing_pools {
namespace {

using PoolRunsAhead = PoolTest;

constexpr int kEventSlots = 1023;  // records of a 64 KB event block, slot 0 aside

// What the pool's later allocations depend on: blocks, fresh marks, live bits, free list.
void ExpectSamePool(const RecordPool& a, const RecordPool& b, unsigned seed, int step) {
    ASSERT_EQ(a.blockCount, b.blockCount) << "seed " << seed << " step " << step;
    ASSERT_EQ(static_cast<bool>(a.freeList), static_cast<bool>(b.freeList)) << "seed " << seed << " step " << step;
    for (int block = 0; block < a.blockCount; ++block) {
        const PoolBlock& x = a.blocks[block];
        const PoolBlock& y = b.blocks[block];
        ASSERT_EQ(x.capacity, y.capacity);
        ASSERT_EQ(x.nextFresh, y.nextFresh) << "seed " << seed << " step " << step << " block " << block;
        for (size_t slot = 1; slot < x.capacity; ++slot)
            ASSERT_EQ(pool_detail::SlotLive(x, a.shift, slot), pool_detail::SlotLive(y, b.shift, slot))
                << "seed " << seed << " step " << step << " block " << block << " slot " << slot;
    }
}

// Seeded runs that use what they asked for and part of what they took ahead, giving
// back the rest, against a twin set that makes the used records one at a time: same
// handles, same pool after.
TEST_F(PoolRunsAhead, UsedRecordsAndThePoolLeftMatchSingleAllocations) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        TwinPoolSets twins;
        DocumentPoolSet& runSet = twins.runs;
        DocumentPoolSet& singleSet = twins.singles;
        std::mt19937 random(seed);
        std::vector<uint16_t> live;
        for (int step = 0; step < 300; ++step) {
            if (random() % 9 == 0 && !live.empty()) {
                const size_t pick = random() % live.size();
                twins.FreeInBoth(kEventRecordPool, live[pick]);
                live.erase(live.begin() + static_cast<std::ptrdiff_t>(pick));
                continue;
            }
            const int count = 1 + static_cast<int>(random() % 40);
            const int ahead = static_cast<int>(random() % 300);
            // The records asked for are used; of those ahead, any number.
            const int used = count + static_cast<int>(random() % static_cast<unsigned>(ahead + 1));
            std::vector<void*> records(static_cast<size_t>(count + ahead));
            std::vector<RecordHandle> handles(static_cast<size_t>(count + ahead));
            int made = 0;
            {
                ScopedPoolSet use(runSet);
                made = AllocRecordRunAhead(kEventRecordPool, count, ahead, records.data(), handles.data());
                ASSERT_GE(made, count);
                ASSERT_LE(made, count + ahead);
                const int kept = std::min(used, made);
                ReturnRecordRun(kEventRecordPool, handles.data() + kept, made - kept);
                made = kept;
            }
            ScopedPoolSet use(singleSet);
            for (int i = 0; i < made; ++i) {
                RecordHandle single;
                ASSERT_NE(AllocRecordWithHandle(kEventRecordPool, &single), nullptr);
                ASSERT_EQ(single, handles[static_cast<size_t>(i)]) << "seed " << seed << " step " << step;
                live.push_back(single.bits);
            }
            ExpectSamePool(runSet.pools[kEventRecordPool], singleSet.pools[kEventRecordPool], seed, step);
        }
    }
}

// Records ahead come only from blocks the pool has: none is added for them, while the
// run itself still grows the pool.
TEST_F(PoolRunsAhead, RecordsAheadAddNoBlock) {
    const int pool = kEventRecordPool;
    for (int i = 0; i < kEventSlots - 10; ++i) ASSERT_NE(AllocRecord(pool), nullptr);
    std::vector<void*> records(2100);
    std::vector<RecordHandle> handles(2100);
    EXPECT_EQ(AllocRecordRunAhead(pool, 4, 200, records.data(), handles.data()), 10);
    EXPECT_EQ(doc_.pools[pool].blockCount, 1);
    EXPECT_EQ(AllocRecordRunAhead(pool, 20, 2000, records.data(), handles.data()), kEventSlots);
    EXPECT_EQ(doc_.pools[pool].blockCount, 2);
}

// With records on the free list, singles would take those first: nothing is taken ahead.
TEST_F(PoolRunsAhead, NothingIsTakenAheadOfTheFreeList) {
    const int pool = kEventRecordPool;
    void* first = AllocRecord(pool);
    void* second = AllocRecord(pool);
    ASSERT_NE(AllocRecord(pool), nullptr);
    FreeRecord(pool, first);
    FreeRecord(pool, second);
    std::vector<void*> records(50);
    std::vector<RecordHandle> handles(50);
    EXPECT_EQ(AllocRecordRunAhead(pool, 1, 40, records.data(), handles.data()), 1);
    EXPECT_EQ(AllocRecord(pool), records[0] == second ? first : second);
}

// A record given back that is not its block's last fresh slot taken is freed as usual:
// not live, and the next allocation takes it from the free list.
TEST_F(PoolRunsAhead, ARecordBehindLaterOnesIsFreed) {
    const int pool = kEventRecordPool;
    std::vector<void*> records(8);
    std::vector<RecordHandle> handles(8);
    ASSERT_EQ(AllocRecordRunAhead(pool, 8, 0, records.data(), handles.data()), 8);
    const uint16_t freshBefore = doc_.pools[pool].blocks[0].nextFresh;
    ReturnRecordRun(pool, &handles[2], 1);
    EXPECT_FALSE(IsLiveRecord(CurrentPoolSet(), pool, records[2]));
    EXPECT_EQ(doc_.pools[pool].blocks[0].nextFresh, freshBefore);
    EXPECT_EQ(AllocRecord(pool), records[2]);
    // The last ones go back to the fresh slots, last first.
    ReturnRecordRun(pool, &handles[6], 2);
    EXPECT_EQ(doc_.pools[pool].blocks[0].nextFresh, freshBefore - 2);
    EXPECT_FALSE(doc_.pools[pool].freeList);
    EXPECT_EQ(AllocRecord(pool), records[6]);
}

}  // namespace
}  // namespace ql::testing_pools
