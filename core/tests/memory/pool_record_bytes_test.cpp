// Liveness is kept apart from what a record holds: a record whose bytes are anything
// at all (the words a freed record once carried, all ones) stays live in every pool
// of both sets, is found, walked and released once, and is never handed out twice.
#include <set>

#include "core/constants.h"
#include "core/tests/memory/pool_fixture.h"

namespace ql::testing_pools {
namespace {

using RecordBytes = PoolTest;

// The word a freed record's second word once was, and a record of all ones.
void FillLikeAFreedRecord(void* record, size_t bytes, bool allOnes) {
    if (allOnes) {
        std::memset(record, 0xFF, bytes);
        return;
    }
    const uint8_t word[4] = {0xAA, 0xBB, 0xEE, 0xFF};
    std::memcpy(static_cast<std::byte*>(record) + 4, word, sizeof word);
}

bool Visits(int pool, const void* wanted) {
    return AnyLiveRecordOf(pool, [wanted](void* record) { return record == wanted; });
}

TEST_F(RecordBytes, AnyBytesKeepADocumentRecordLive) {
    for (int pool = 2; pool < kDocumentPoolCount; ++pool) {
        for (bool allOnes : {false, true}) {
            void* record = AllocRecord(pool);
            ASSERT_NE(record, nullptr) << "pool " << pool;
            FillLikeAFreedRecord(record, PoolSlotBytes(pool), allOnes);
            const RecordHandle handle = PtrToHandle(pool, record);
            EXPECT_TRUE(IsLiveRecord(doc_, pool, record)) << "pool " << pool;
            EXPECT_FALSE(IsFreeRecord(record)) << "pool " << pool;
            EXPECT_EQ(FindRecord<void>(pool, handle), record) << "pool " << pool;
            EXPECT_EQ(FindLiveRecord<void>(pool, handle), record) << "pool " << pool;
            EXPECT_TRUE(Visits(pool, record)) << "pool " << pool;
            void* other = AllocRecord(pool);
            EXPECT_NE(other, record) << "pool " << pool << ": a live record handed out again";
            FreeRecord(pool, other);
            FreeRecord(pool, record);
            EXPECT_FALSE(IsLiveRecord(doc_, pool, record)) << "pool " << pool;
            EXPECT_EQ(FindRecord<void>(pool, handle), nullptr) << "pool " << pool;
            EXPECT_FALSE(Visits(pool, record)) << "pool " << pool;
            FreeRecord(pool, record);  // a second release changes nothing
            std::set<void*> taken = {AllocRecord(pool), AllocRecord(pool), AllocRecord(pool)};
            EXPECT_EQ(taken.size(), 3u) << "pool " << pool << ": a record on the free list twice";
        }
    }
}

TEST_F(RecordBytes, AnyBytesKeepAStaticRecordLive) {
    ASSERT_EQ(InitStaticPoolSet(), 1);
    for (int pool = 0; pool < kStaticPoolCount; ++pool) {
        void* record = AllocStaticRecord(pool);
        ASSERT_NE(record, nullptr) << "pool " << pool;
        FillLikeAFreedRecord(record, 8, false);
        const StaticHandle handle = StaticPtrToHandle(pool, record);
        EXPECT_TRUE(IsLiveRecord(TheStaticPoolSet(), pool, record)) << "pool " << pool;
        EXPECT_EQ(FindStaticRecord<void>(pool, handle), record) << "pool " << pool;
        void* other = AllocStaticRecord(pool);
        EXPECT_NE(other, record) << "pool " << pool;
        FreeStaticRecord(pool, other);
        FreeStaticRecord(pool, record);
        EXPECT_EQ(FindStaticRecord<void>(pool, handle), nullptr) << "pool " << pool;
        EXPECT_TRUE(IsFreeRecord(record)) << "pool " << pool;
    }
    FreeStaticPoolSet(TheStaticPoolSet());
}

// A reset static pool forgets its records: none of them is live any more.
TEST_F(RecordBytes, ResetStaticPoolForgetsEveryRecord) {
    ASSERT_EQ(InitStaticPoolSet(), 1);
    void* record = AllocStaticRecord(kPerformanceStaticPool);
    ASSERT_NE(record, nullptr);
    ResetStaticPool(kPerformanceStaticPool);
    EXPECT_FALSE(IsLiveRecord(TheStaticPoolSet(), kPerformanceStaticPool, record));
    EXPECT_EQ(AllocStaticRecord(kPerformanceStaticPool), record) << "slot 1 again";
    FreeStaticPoolSet(TheStaticPoolSet());
}

}  // namespace
}  // namespace ql::testing_pools
