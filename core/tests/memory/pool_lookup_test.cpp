// The inline lookups (FindRecord, FindLiveRecord) and the live-record walk: every
// handle value of a document pool against the records actually handed out, freed
// records, slots never handed out, and the static set's locked path.
#include <set>
#include <vector>

#include "core/constants.h"
#include "core/tests/memory/pool_fixture.h"

namespace ql::testing_pools {
namespace {

using PoolLookup = PoolTest;

constexpr uint32_t kHandleValues = 0x10000;

// Every one of the 65,536 handle values resolves either to null or to a record
// whose own handle it is: no aliasing through bit 15, slot 0 or a missing block,
// and every record handed out is found; freed records are not.
TEST_F(PoolLookup, EveryHandleValueFindsOnlyItsOwnRecord) {
    for (int pool : {kListNodePool, kEventRecordPool, kTextObjectPool, kCellArrayPool}) {
        std::vector<void*> records;
        for (int i = 0; i < 3000; ++i)
            if (void* record = AllocRecord(pool)) records.push_back(record);
        ASSERT_GT(records.size(), 20u);
        // Free every third record: their handles must stop resolving.
        std::set<const void*> freed;
        for (size_t i = 0; i < records.size(); i += 3) {
            FreeRecord(pool, records[i]);
            freed.insert(records[i]);
        }
        size_t found = 0;
        for (uint32_t bits = 0; bits < kHandleValues; ++bits) {
            void* record = FindRecord<void>(pool, RecordHandle{static_cast<uint16_t>(bits)});
            if (record == nullptr) continue;
            ASSERT_EQ(HandleBits(pool, record), bits) << "pool " << pool << " handle " << bits;
            ASSERT_EQ(freed.count(record), 0u) << "a freed record was found";
            ASSERT_EQ(bits & 0x8000, 0u) << "bit 15 never names a document record";
            ++found;
        }
        EXPECT_GE(found, records.size() - freed.size()) << "pool " << pool;
    }
}

// Both lookups refuse a slot inside a block that was never handed out, handle 0 and
// a freed record; only the plain HandleToPtr reads the block.
TEST_F(PoolLookup, LiveLookupRefusesSlotsNeverHandedOut) {
    void* first = AllocRecord(kEventRecordPool);
    ASSERT_NE(first, nullptr);
    const RecordHandle handle = PtrToHandle(kEventRecordPool, first);
    const RecordHandle unused{static_cast<uint16_t>(handle.bits + 5)};
    EXPECT_EQ(FindLiveRecord<void>(kEventRecordPool, handle), first);
    EXPECT_EQ(FindLiveRecord<void>(kEventRecordPool, unused), nullptr) << "slot never handed out";
    EXPECT_EQ(FindRecord<void>(kEventRecordPool, unused), nullptr) << "slot never handed out";
    EXPECT_NE(HandleToPtr(kEventRecordPool, unused), nullptr) << "the plain lookup reads the block";
    EXPECT_EQ(FindLiveRecord<void>(kEventRecordPool, RecordHandle{}), nullptr);
    FreeRecord(kEventRecordPool, first);
    EXPECT_EQ(FindLiveRecord<void>(kEventRecordPool, handle), nullptr) << "freed";
    EXPECT_EQ(FindRecord<void>(kEventRecordPool, handle), nullptr) << "freed";
}

// With the static set current the lookups take the checked path and still agree:
// live records found, freed and out-of-range handles refused, bad pool numbers null.
TEST_F(PoolLookup, StaticSetLookupsTakeTheCheckedPath) {
    ASSERT_EQ(InitStaticPoolSet(), 1);
    ScopedPoolSet useStatic(TheStaticPoolSet());
    void* record = AllocRecord(kSequencerStaticPool);
    ASSERT_NE(record, nullptr);
    const RecordHandle handle = PtrToHandle(kSequencerStaticPool, record);
    EXPECT_EQ(FindRecord<void>(kSequencerStaticPool, handle), record);
    EXPECT_EQ(FindLiveRecord<void>(kSequencerStaticPool, handle), record);
    EXPECT_EQ(FindLiveRecord<void>(kSequencerStaticPool,
                                   RecordHandle{static_cast<uint16_t>(handle.bits + 1)}),
              nullptr);
    FreeRecord(kSequencerStaticPool, record);
    EXPECT_EQ(FindRecord<void>(kSequencerStaticPool, handle), nullptr);
    EXPECT_EQ(FindRecord<void>(-1, handle), nullptr);
    EXPECT_EQ(FindRecord<void>(kStaticPoolCount, handle), nullptr);
}

// The walk visits exactly the live records, in every block, and stops at the first
// record the visitor accepts.
TEST_F(PoolLookup, LiveRecordWalkVisitsExactlyTheLiveRecords) {
    State().pools.DocumentBlockKb[kTextObjectPool] = 1;  // small blocks: the walk crosses several
    std::vector<void*> records;
    for (int i = 0; i < 60; ++i) records.push_back(AllocRecord(kTextObjectPool));
    ASSERT_GT(doc_.pools[kTextObjectPool].blockCount, 2);
    FreeRecord(kTextObjectPool, records[7]);
    FreeRecord(kTextObjectPool, records[40]);
    std::set<const void*> visited;
    EXPECT_FALSE(
        AnyLiveRecordOf(kTextObjectPool, [&](const void* r) { return !visited.insert(r).second; }));
    EXPECT_EQ(visited.size(), records.size() - 2);
    EXPECT_EQ(visited.count(records[7]) + visited.count(records[40]), 0u)
        << "free records are passed over";
    int calls = 0;
    EXPECT_TRUE(AnyLiveRecordOf(kTextObjectPool, [&](const void* r) {
        ++calls;
        return r == records[30];
    }));
    EXPECT_LT(calls, 60) << "the walk stops at the record accepted";
    EXPECT_FALSE(AnyLiveRecordOf(kMaxPoolBlocks, [](const void*) { return true; }))
        << "bad pool number";
    EXPECT_FALSE(AnyLiveRecordOf(0, [](const void*) { return true; })) << "unused pool";
}

// A resolver made before the pool grows resolves every handle value as FindRecord does:
// records of blocks added after it was made, freed records, slot 0, bit 15.
TEST_F(PoolLookup, ResolverAgreesWithFindRecordWhileThePoolGrows) {
    State().pools.DocumentBlockKb[kEventRecordPool] = 1;  // small blocks: the pool grows
    const PoolResolver<void> resolver(kEventRecordPool);
    const uint8_t blocksAtStart = doc_.pools[kEventRecordPool].blockCount;
    std::vector<void*> records;
    for (int i = 0; i < 200; ++i) records.push_back(AllocRecord(kEventRecordPool));
    ASSERT_GT(doc_.pools[kEventRecordPool].blockCount, blocksAtStart + 1);
    for (size_t i = 0; i < records.size(); i += 5) FreeRecord(kEventRecordPool, records[i]);
    size_t found = 0;
    for (uint32_t bits = 0; bits < kHandleValues; ++bits) {
        const RecordHandle handle{static_cast<uint16_t>(bits)};
        void* record = resolver.Find(handle);
        ASSERT_EQ(record, FindRecord<void>(kEventRecordPool, handle)) << "handle " << bits;
        if (record != nullptr) ++found;
    }
    EXPECT_EQ(found, records.size() - records.size() / 5);
}

// Made while the static set is current, a resolver takes the checked, locked path.
TEST_F(PoolLookup, ResolverOfTheStaticSetTakesTheCheckedPath) {
    ASSERT_EQ(InitStaticPoolSet(), 1);
    ScopedPoolSet useStatic(TheStaticPoolSet());
    void* record = AllocRecord(kSequencerStaticPool);
    ASSERT_NE(record, nullptr);
    const RecordHandle handle = PtrToHandle(kSequencerStaticPool, record);
    const PoolResolver<void> resolver(kSequencerStaticPool);
    EXPECT_EQ(resolver.Find(handle), record);
    FreeRecord(kSequencerStaticPool, record);
    EXPECT_EQ(resolver.Find(handle), nullptr) << "freed";
    EXPECT_EQ(PoolResolver<void>(kStaticPoolCount).Find(handle), nullptr) << "bad pool number";
}

}  // namespace
}  // namespace ql::testing_pools
