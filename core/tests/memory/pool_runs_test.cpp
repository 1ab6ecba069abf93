// Runs of records taken at once (AllocRecordRunWithHandles): the slots, handles and
// order of as many single allocations, across the free list and block boundaries;
// a short run when the pool is exhausted or a test asks for a failure.
#include <set>
#include <vector>

#include "core/constants.h"
#include "core/tests/memory/pool_fixture.h"

namespace ql::testing_pools {
namespace {

using PoolRuns = PoolTest;

// What a set gives: the handles of the records, in the order handed out.
std::vector<uint16_t> Bits(const std::vector<RecordHandle>& handles) {
    std::vector<uint16_t> bits;
    for (RecordHandle handle : handles) bits.push_back(handle.bits);
    return bits;
}

// The history both sets go through before the run: records taken, a few freed
// (so the free list is not empty), the rest kept.
void TakeAndFreeSome(int pool, int taken) {
    std::vector<void*> records;
    for (int i = 0; i < taken; ++i) records.push_back(AllocRecord(pool));
    for (int i : {3, 17, 8}) FreeRecord(pool, records[static_cast<size_t>(i)]);
}

// A run that starts on the free list and crosses into new blocks gets the handles
// single allocations get, every record live, zero-filled and named by its handle.
TEST_F(PoolRuns, ARunHandsOutWhatSingleAllocationsWould) {
    const int pool = kEventRecordPool;
    const int count = 2500;  // more than two blocks of 32-byte slots
    std::vector<RecordHandle> single;
    {
        DocumentPoolSet twin{};
        InitDocumentPoolSet(twin);
        ScopedPoolSet useTwin(twin);
        TakeAndFreeSome(pool, 40);
        RecordHandle handle;
        for (int i = 0; i < count; ++i) {
            ASSERT_NE(AllocRecordWithHandle(pool, &handle), nullptr);
            single.push_back(handle);
        }
        FreeDocumentPoolSet(twin);
    }
    TakeAndFreeSome(pool, 40);
    std::vector<void*> records(count);
    std::vector<RecordHandle> run(count);
    ASSERT_EQ(AllocRecordRunWithHandles(pool, count, records.data(), run.data()), count);
    EXPECT_EQ(Bits(run), Bits(single));
    for (int i = 0; i < count; ++i) {
        void* record = records[static_cast<size_t>(i)];
        ASSERT_EQ(HandleToPtr(pool, run[static_cast<size_t>(i)]), record) << i;
        ASSERT_TRUE(IsLiveRecord(CurrentPoolSet(), pool, record)) << i;
        ASSERT_TRUE(IsZeroFilled(record, 32)) << i;
    }
    EXPECT_GT(run.back().bits >> (15 - doc_.pools[pool].shift), 1) << "the run reached a third block";
}

// Runs in a row, with a record given back between them, never hand out a slot
// that is live.
TEST_F(PoolRuns, RunsInARowNeverHandOutALiveSlot) {
    std::set<uint16_t> live;
    for (int r = 0; r < 40; ++r) {
        void* records[32];
        RecordHandle handles[32];
        ASSERT_EQ(AllocRecordRunWithHandles(kMeasureCellPool, 32, records, handles), 32);
        for (RecordHandle handle : handles) ASSERT_TRUE(live.insert(handle.bits).second) << "run " << r;
        FreeRecordByHandle(kMeasureCellPool, handles[r % 32]);
        live.erase(handles[r % 32].bits);
    }
}

// An exhausted pool ends the run short: the records made stay live and valid.
TEST_F(PoolRuns, AnExhaustedPoolEndsTheRunShort) {
    std::vector<void*> records(5000);
    std::vector<RecordHandle> handles(5000);
    const int made = AllocRecordRunWithHandles(kStavesArrayPool, 5000, records.data(), handles.data());
    const RecordPool& descriptor = doc_.pools[kStavesArrayPool];
    EXPECT_EQ(made, descriptor.maxBlocks * (descriptor.blocks[0].capacity - 1));
    for (int i = 0; i < made; ++i)
        ASSERT_EQ(HandleToPtr(kStavesArrayPool, handles[static_cast<size_t>(i)]), records[static_cast<size_t>(i)]);
    EXPECT_EQ(AllocRecord(kStavesArrayPool), nullptr);
}

// The test hook's failure falls on the record it names within a run.
TEST_F(PoolRuns, ARequestedFailureEndsTheRunThere) {
    void* records[10];
    RecordHandle handles[10];
    FailRecordAllocationAfter(3);
    EXPECT_EQ(AllocRecordRunWithHandles(kSpacingEntryPool, 10, records, handles), 3);
    FailNextRecordAllocations(0);
    EXPECT_EQ(AllocRecordRunWithHandles(kSpacingEntryPool, 10, records, handles), 10);
}

}  // namespace
}  // namespace ql::testing_pools
