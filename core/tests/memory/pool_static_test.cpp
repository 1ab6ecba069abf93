// The static pool set: start-up, the exhausted-pool mark, the resets of the block
// clipboard and the sequencer, the fresh-block guarantee, and pool 11 shared with
// a second thread.
#include <algorithm>
#include <thread>
#include <vector>

#include "core/constants.h"
#include "core/tests/memory/pool_fixture.h"

namespace ql::testing_pools {
namespace {

class StaticPools : public PoolTest {
protected:
    void SetUp() override {
        PoolTest::SetUp();
        ASSERT_EQ(InitStaticPoolSet(), 1);
    }
    RecordPool& Pool(int pool) { return TheStaticPoolSet().pools[pool]; }
};

// Start-up gives the sequencer pool its two 64 KB blocks and nothing else.
TEST_F(StaticPools, StartUpAllocatesTwoSequencerBlocks) {
    EXPECT_EQ(Pool(kSequencerStaticPool).blockCount, 2);
    EXPECT_EQ(Pool(kSequencerStaticPool).blocks[1].capacity, 2048);
    EXPECT_EQ(Pool(kHitRecordStaticPool).blockCount, 0);
    EXPECT_EQ(Pool(kHitRecordStaticPool).maxBlocks, 64);
    EXPECT_EQ(Pool(kListNodePool).maxBlocks, 8);
    EXPECT_EQ(Pool(kHitRecordStaticPool).shadowed, 0);
}

// Start-up fails (and reports it) when the sequencer blocks cannot be had.
TEST_F(StaticPools, StartUpFailsWithoutSequencerBlocks) {
    FailNextArenaBlocks(100);
    EXPECT_EQ(InitStaticPoolSet(), 0);
    FailNextArenaBlocks(0);
}

// An exhausted static pool is named in StaticPoolExhausted (pool 0 as 0xFF) until
// it next succeeds or is reset.
TEST_F(StaticPools, ExhaustedPoolIsMarkedUntilItRecovers) {
    auto& exhausted = State().pools.StaticPoolExhausted;
    FailNextRecordAllocations(1);
    EXPECT_EQ(AllocStaticRecord(kHitRecordStaticPool), nullptr);
    EXPECT_EQ(exhausted.load(), 0xFF);
    EXPECT_NE(AllocStaticRecord(kTransientStaticPool), nullptr);
    EXPECT_EQ(exhausted.load(), 0xFF) << "another pool's success leaves the mark";
    EXPECT_NE(AllocStaticRecord(kHitRecordStaticPool), nullptr);
    EXPECT_EQ(exhausted.load(), 0);
    FailNextRecordAllocations(1);
    EXPECT_EQ(AllocStaticRecord(kPerformanceStaticPool), nullptr);
    EXPECT_EQ(exhausted.load(), kPerformanceStaticPool);
    ResetClipboardPools(0);
    EXPECT_EQ(exhausted.load(), 0);
}

// Static records are zero-filled over the whole slot.
TEST_F(StaticPools, StaticRecordsAreZeroFilled) {
    auto* record = static_cast<unsigned char*>(AllocStaticRecord(kHitRecordStaticPool));
    std::memset(record, 0x77, 128);
    FreeStaticRecord(kHitRecordStaticPool, record);
    EXPECT_EQ(AllocStaticRecord(kHitRecordStaticPool), record);
    EXPECT_TRUE(IsZeroFilled(record, 128));
}

// A reset pool hands out slot 1 of block 0 again, zero-filled, and forgets its free list.
TEST_F(StaticPools, ResetPoolStartsAgainAtSlotOne) {
    ScopedPoolSet useStatic(TheStaticPoolSet());
    std::vector<void*> records;
    for (int i = 0; i < 40; ++i) records.push_back(AllocRecord(kStavesArrayPool));
    std::memset(records[0], 0x3C, 256);
    FreeRecord(kStavesArrayPool, records[30]);
    int blocks = Pool(kStavesArrayPool).blockCount;
    ResetStaticPool(kStavesArrayPool);
    EXPECT_EQ(Pool(kStavesArrayPool).blockCount, blocks) << "blocks stay allocated";
    EXPECT_EQ(AllocRecord(kStavesArrayPool), records[0]);
    EXPECT_TRUE(IsZeroFilled(records[0], 256)) << "old contents are cleared on allocation";
}

// ResetClipboardPools empties pool 12, and pool 11 only when asked.
TEST_F(StaticPools, ClipboardResetTouchesPoolElevenOnlyWhenAsked) {
    void* sequencer = AllocStaticRecord(kSequencerStaticPool);
    void* performance = AllocStaticRecord(kPerformanceStaticPool);
    AllocStaticRecord(kSequencerStaticPool);
    AllocStaticRecord(kPerformanceStaticPool);
    ResetClipboardPools(0);
    EXPECT_EQ(AllocStaticRecord(kPerformanceStaticPool), performance);
    EXPECT_NE(AllocStaticRecord(kSequencerStaticPool), sequencer);
    ResetClipboardPools(1);
    EXPECT_EQ(AllocStaticRecord(kSequencerStaticPool), sequencer);
}

// EnsureFreshStaticBlock adds a block only when the last one has been used.
TEST_F(StaticPools, FreshBlockIsAddedOnlyWhenTheLastIsUsed) {
    EXPECT_EQ(EnsureFreshStaticBlock(), 1);
    EXPECT_EQ(Pool(kSequencerStaticPool).blockCount, 2) << "block 1 is untouched";
    for (int i = 0; i < 2048; ++i) AllocStaticRecord(kSequencerStaticPool);
    ASSERT_GE(Pool(kSequencerStaticPool).blocks[1].nextFresh, 2);
    EXPECT_EQ(EnsureFreshStaticBlock(), 1);
    EXPECT_EQ(Pool(kSequencerStaticPool).blockCount, 3);
    EXPECT_EQ(Pool(kSequencerStaticPool).blocks[2].nextFresh, 1);
    // Fill block 1; the next record is the first of block 2.
    for (int i = 0; i < 2047; ++i) AllocStaticRecord(kSequencerStaticPool);
    EXPECT_EQ(Pool(kSequencerStaticPool).blocks[2].nextFresh, 2);
    FailNextArenaBlocks(4);
    EXPECT_EQ(EnsureFreshStaticBlock(), 0);
}

// A pool at its block limit is not grown and no beep sounds: nothing was tried.
TEST_F(StaticPools, GrowingAtTheBlockLimitGivesZeroWithoutABeep) {
    const int pool = kLastClipboardPool;
    while (Pool(pool).blockCount < Pool(pool).maxBlocks)
        ASSERT_GT(GrowStaticPool(pool, 4), 0);
    uint32_t beeps = State().pools.ExhaustionBeeps.load();
    EXPECT_EQ(GrowStaticPool(pool, 4), 0);
    EXPECT_EQ(State().pools.ExhaustionBeeps.load(), beeps);
}

using PoolFill = PoolTest;

// With n = 0 any pool with a block is not nearly full; a pool one block from its
// limit with little room is.
TEST_F(PoolFill, NearlyFullCountsRoomAndRemainingBlocks) {
    AllocRecord(kEventRecordPool);
    EXPECT_FALSE(IsPoolNearlyFull(kEventRecordPool, 0));
    EXPECT_FALSE(IsPoolNearlyFull(kEventRecordPool, 1022));
    EXPECT_FALSE(IsPoolNearlyFull(kEventRecordPool, 1023)) << "31 more blocks may be added";
    // Pool 2 may have 8 blocks; fill 7 and part of the seventh's room.
    for (int i = 0; i < 7 * 1023 - 10; ++i) AllocRecord(kListNodePool);
    EXPECT_FALSE(IsPoolNearlyFull(kListNodePool, 10));
    EXPECT_TRUE(IsPoolNearlyFull(kListNodePool, 11));
}

// The MIDI-input thread takes and frees pool-11 records while the UI thread does
// the same; no record is handed out twice.
TEST_F(StaticPools, PoolElevenIsSharedSafelyWithAnotherThread) {
    constexpr int kRounds = 3000;
    std::vector<void*> fromMidi;
    std::vector<void*> fromUi;
    std::thread midi([&] {
        for (int i = 0; i < kRounds; ++i) {
            void* record = AllocStaticRecord(kSequencerStaticPool);
            if (i % 3 == 0) FreeStaticRecord(kSequencerStaticPool, record);
            else fromMidi.push_back(record);
        }
    });
    for (int i = 0; i < kRounds; ++i) {
        void* record = AllocStaticRecord(kSequencerStaticPool);
        if (i % 4 == 0) FreeStaticRecord(kSequencerStaticPool, record);
        else fromUi.push_back(record);
        if (i % 500 == 0) EnsureFreshStaticBlock();
    }
    midi.join();
    std::vector<void*> all = fromMidi;
    all.insert(all.end(), fromUi.begin(), fromUi.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
    EXPECT_EQ(std::count(all.begin(), all.end(), nullptr), 0);
}

// The timer thread resolves performance-record handles while the UI thread keeps
// adding records (and blocks) to pool 12.
TEST_F(StaticPools, PerformanceRecordsResolveFromTheTimerThread) {
    std::vector<std::pair<StaticHandle, void*>> built;
    for (int i = 0; i < 500; ++i) {
        void* record = AllocStaticRecord(kPerformanceStaticPool);
        built.emplace_back(StaticPtrToHandle(kPerformanceStaticPool, record), record);
    }
    int mismatches = 0;
    std::thread timer([&] {
        for (int round = 0; round < 20; ++round)
            for (auto& [handle, record] : built)
                if (StaticHandleToPtr(kPerformanceStaticPool, handle) != record) ++mismatches;
    });
    for (int i = 0; i < 5000; ++i) ASSERT_NE(AllocStaticRecord(kPerformanceStaticPool), nullptr);
    timer.join();
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace ql::testing_pools
