// BlockResolver against the checked lookup (FindRecord): every handle value of a
// pool spread over several blocks, asked in orders that keep and switch blocks,
// with records freed and added while the resolver is in use, and after its blocks
// were released and made again (revalidated).
#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "core/constants.h"
#include "core/memory/block_resolver.h"
#include "core/tests/memory/pool_fixture.h"

namespace ql::testing_pools {
namespace {

using BlockResolverTest = PoolTest;

constexpr uint32_t kHandleValues = 0x10000;

// Handle values in ascending order, then each block's handles interleaved with
// another block's, then shuffled: kept blocks are read back in every pattern.
std::vector<uint16_t> HandleOrders(unsigned seed) {
    std::vector<uint16_t> order;
    for (uint32_t bits = 0; bits < kHandleValues; ++bits) order.push_back(static_cast<uint16_t>(bits));
    for (uint32_t bits = 0; bits < kHandleValues / 2; ++bits) {
        order.push_back(static_cast<uint16_t>(bits));
        order.push_back(static_cast<uint16_t>(bits + kHandleValues / 2));
        order.push_back(static_cast<uint16_t>(bits ^ 0x0400));
    }
    std::vector<uint16_t> shuffled(order.begin(), order.begin() + kHandleValues);
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(seed));
    order.insert(order.end(), shuffled.begin(), shuffled.end());
    return order;
}

size_t CompareAll(int pool, BlockResolver<void>& resolver, const std::vector<uint16_t>& order) {
    size_t found = 0;
    for (uint16_t bits : order) {
        const RecordHandle handle{bits};
        void* expected = FindRecord<void>(pool, handle);
        void* record = resolver.Find(handle);
        EXPECT_EQ(record, expected) << "pool " << pool << " handle " << bits;
        if (record != expected) return found;
        found += expected != nullptr;
    }
    return found;
}

TEST_F(BlockResolverTest, EveryHandleValueResolvesAsTheCheckedLookup) {
    const std::vector<uint16_t> order = HandleOrders(7);
    for (int pool : {kEventRecordPool, kMeasureCellPool, kTextObjectPool, kListNodePool}) {
        std::vector<void*> records;
        for (int i = 0; i < 3000; ++i)
            if (void* record = AllocRecord(pool)) records.push_back(record);
        ASSERT_GT(records.size(), 20u);
        if (pool == kEventRecordPool) {
            ASSERT_GE(CurrentPoolSet().pools[pool].blockCount, 3) << "several blocks";
        }
        for (size_t i = 0; i < records.size(); i += 3) FreeRecord(pool, records[i]);
        // Whatever an undo capture left in the shadows past the live bits is no
        // record: a handle past a block's records reads nothing there.
        const RecordPool& descriptor = CurrentPoolSet().pools[pool];
        for (int block = 0; block < descriptor.blockCount; ++block)
            std::memset(BlockShadow(descriptor, block), 0xFF, BlockLiveBytes(descriptor, block));
        BlockResolver<void> resolver(pool);
        EXPECT_GT(CompareAll(pool, resolver, order), records.size() / 2);
    }
}

// Records freed and made after blocks were kept: a freed record is no longer
// found, a new one is, in the kept blocks and in a block added meanwhile.
TEST_F(BlockResolverTest, RecordsFreedAndAddedWhileInUseAreSeen) {
    std::vector<void*> records;
    for (int i = 0; i < 1500; ++i)
        if (void* record = AllocRecord(kEventRecordPool)) records.push_back(record);
    ASSERT_GT(records.size(), 1000u);
    const int blocks = CurrentPoolSet().pools[kEventRecordPool].blockCount;
    const std::vector<uint16_t> order = HandleOrders(11);
    BlockResolver<void> resolver(kEventRecordPool);
    CompareAll(kEventRecordPool, resolver, order);
    std::vector<uint16_t> freed;
    for (size_t i = 1; i < records.size(); i += 4) {
        freed.push_back(HandleBits(kEventRecordPool, records[i]));
        FreeRecord(kEventRecordPool, records[i]);
    }
    for (uint16_t bits : freed) EXPECT_EQ(resolver.Find(RecordHandle{bits}), nullptr) << "freed " << bits;
    std::vector<void*> added;
    for (int i = 0; i < 3000; ++i)
        if (void* record = AllocRecord(kEventRecordPool)) added.push_back(record);
    ASSERT_GT(added.size(), 2000u);
    ASSERT_GT(CurrentPoolSet().pools[kEventRecordPool].blockCount, blocks) << "a block was added";
    for (void* record : added)
        EXPECT_EQ(resolver.Find(PtrToHandle(kEventRecordPool, record)), record);
    CompareAll(kEventRecordPool, resolver, order);
}

size_t Allocate(int pool, int count) {
    size_t made = 0;
    for (int i = 0; i < count; ++i) made += AllocRecord(pool) != nullptr;
    return made;
}

// A resolver kept past a reset of the set (blocks released, then made again
// elsewhere) and past the set's release and remaking in place answers, once
// revalidated, as the checked lookup does.
TEST_F(BlockResolverTest, RevalidatedAfterItsBlocksWereReleasedItAnswersAsTheCheckedLookup) {
    const std::vector<uint16_t> order = HandleOrders(13);
    ASSERT_GT(Allocate(kEventRecordPool, 3000), 2000u);
    const RecordPool& descriptor = CurrentPoolSet().pools[kEventRecordPool];
    ASSERT_GE(descriptor.blockCount, 3) << "several blocks";
    const std::vector<PoolBlock> before(descriptor.blocks, descriptor.blocks + descriptor.blockCount);
    BlockResolver<void> resolver(kEventRecordPool);
    EXPECT_GT(CompareAll(kEventRecordPool, resolver, order), 2000u);

    ResetDocumentPoolSet(doc_);
    // Another pool takes blocks first, so that the events' blocks are made again at
    // other addresses.
    ASSERT_GT(Allocate(kTextObjectPool, 2000), 1000u);
    ASSERT_GT(Allocate(kEventRecordPool, 1500), 1000u);
    bool moved = false;
    for (size_t block = 1; block < before.size(); ++block)
        moved = moved || descriptor.blocks[block].base != before[block].base;
    ASSERT_TRUE(moved) << "a kept block was made again elsewhere";
    ASSERT_TRUE(resolver.Revalidate());
    EXPECT_GT(CompareAll(kEventRecordPool, resolver, order), 1000u);

    FreeDocumentPoolSet(doc_);
    InitDocumentPoolSet(doc_);
    ASSERT_GT(Allocate(kEventRecordPool, 500), 400u);
    ASSERT_TRUE(resolver.Revalidate());
    EXPECT_GT(CompareAll(kEventRecordPool, resolver, order), 400u);
}

// Another current set: the resolver must be made again; its own set made current
// again, it is used as it was.
TEST_F(BlockResolverTest, RevalidationRefusesAnotherCurrentSet) {
    ASSERT_GT(Allocate(kMeasureCellPool, 200), 100u);
    BlockResolver<void> resolver(kMeasureCellPool);
    const std::vector<uint16_t> order = HandleOrders(17);
    EXPECT_GT(CompareAll(kMeasureCellPool, resolver, order), 100u);
    DocumentPoolSet other{};
    InitDocumentPoolSet(other);
    {
        ScopedPoolSet use(other);
        EXPECT_FALSE(resolver.Revalidate());
    }
    EXPECT_TRUE(resolver.Revalidate());
    EXPECT_GT(CompareAll(kMeasureCellPool, resolver, order), 100u);
    FreeDocumentPoolSet(other);
}

}  // namespace
}  // namespace ql::testing_pools
