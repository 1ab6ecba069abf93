// IsLiveRecord, which replaces every memory probe, and FreeNodeChain, which walks a
// chain of list nodes by handle and must stop at anything that is not live.
#include <vector>

#include "core/constants.h"
#include "core/tests/memory/pool_fixture.h"

namespace ql::testing_pools {
namespace {

using RecordLiveness = PoolTest;
using NodeChains = PoolTest;

// A handed-out record is live in its own pool and set only.
TEST_F(RecordLiveness, LiveOnlyInItsOwnPoolAndSet) {
    void* record = AllocRecord(kEventRecordPool);
    EXPECT_TRUE(IsLiveRecord(doc_, kEventRecordPool, record));
    EXPECT_FALSE(IsLiveRecord(doc_, kMeasureCellPool, record));
    DocumentPoolSet other{};
    InitDocumentPoolSet(other);
    EXPECT_FALSE(IsLiveRecord(other, kEventRecordPool, record));
    EXPECT_FALSE(IsLiveRecord(doc_, -1, record));
    EXPECT_FALSE(IsLiveRecord(doc_, kDocumentPoolCount, record));
}

// Freed, slot-0, never-handed-out, interior and outside pointers are not live.
TEST_F(RecordLiveness, EveryNonRecordPointerIsRejected) {
    auto* first = static_cast<std::byte*>(AllocRecord(kEventRecordPool));
    auto* second = static_cast<std::byte*>(AllocRecord(kEventRecordPool));
    FreeRecord(kEventRecordPool, second);
    int onStack = 0;
    std::vector<int> onHeap(8);
    EXPECT_FALSE(IsLiveRecord(doc_, kEventRecordPool, second));
    EXPECT_FALSE(IsLiveRecord(doc_, kEventRecordPool, PoolSlotAddress(kEventRecordPool, 0, 0)));
    EXPECT_FALSE(IsLiveRecord(doc_, kEventRecordPool, PoolSlotAddress(kEventRecordPool, 0, 3)));
    EXPECT_FALSE(IsLiveRecord(doc_, kEventRecordPool, first + 1));
    EXPECT_FALSE(IsLiveRecord(doc_, kEventRecordPool, &onStack));
    EXPECT_FALSE(IsLiveRecord(doc_, kEventRecordPool, onHeap.data()));
    EXPECT_FALSE(IsLiveRecord(doc_, kEventRecordPool, nullptr));
    // The shadow half lies outside the block's usable part.
    EXPECT_FALSE(IsLiveRecord(doc_, kEventRecordPool, BlockShadow(doc_.pools[kEventRecordPool], 0) + 32));
}

// A record of a released set is no longer live.
TEST_F(RecordLiveness, RecordsOfAResetSetAreNotLive) {
    void* record = AllocRecord(kStavesArrayPool);
    ResetDocumentPoolSet(doc_);
    EXPECT_FALSE(IsLiveRecord(doc_, kStavesArrayPool, record));
}

// Builds a chain of pool-2 nodes linked by the handle in their first word.
std::vector<void*> BuildChain(int length, RecordHandle& head) {
    std::vector<void*> nodes;
    RecordHandle next{};
    for (int i = 0; i < length; ++i) {
        void* node = AllocRecord(kListNodePool);
        std::memcpy(node, &next.bits, sizeof next.bits);
        next = PtrToHandle(kListNodePool, node);
        nodes.insert(nodes.begin(), node);
    }
    head = next;
    return nodes;
}

// The whole chain is freed from its far end back, and the field is cleared.
TEST_F(NodeChains, ChainIsFreedFarEndFirstAndFieldCleared) {
    RecordHandle head{};
    std::vector<void*> nodes = BuildChain(3, head);
    FreeNodeChain(head);
    EXPECT_FALSE(head);
    for (void* node : nodes) EXPECT_TRUE(IsFreeRecord(node));
    // The first node was freed last, so it is reused first.
    EXPECT_EQ(AllocRecord(kListNodePool), nodes.front());
}

// A link to a node that is no longer live ends the walk there.
TEST_F(NodeChains, WalkStopsAtANodeThatIsNotLive) {
    RecordHandle head{};
    std::vector<void*> nodes = BuildChain(3, head);
    void* stranger = AllocRecord(kListNodePool);
    RecordHandle strangerHandle = PtrToHandle(kListNodePool, stranger);
    FreeRecord(kListNodePool, stranger);
    std::memcpy(nodes[1], &strangerHandle.bits, sizeof strangerHandle.bits);
    FreeNodeChain(head);
    EXPECT_TRUE(IsFreeRecord(nodes[0]));
    EXPECT_TRUE(IsFreeRecord(nodes[1]));
    EXPECT_FALSE(IsFreeRecord(nodes[2])) << "cut off from the chain";
}

// A chain that loops back on itself still ends, with each node freed once.
TEST_F(NodeChains, LoopingChainEnds) {
    RecordHandle head{};
    std::vector<void*> nodes = BuildChain(2, head);
    std::memcpy(nodes[1], &head.bits, sizeof head.bits);
    FreeNodeChain(head);
    EXPECT_TRUE(IsFreeRecord(nodes[0]));
    EXPECT_TRUE(IsFreeRecord(nodes[1]));
    void* a = AllocRecord(kListNodePool);
    void* b = AllocRecord(kListNodePool);
    void* c = AllocRecord(kListNodePool);
    EXPECT_NE(a, b);
    EXPECT_NE(c, a);
    EXPECT_NE(c, b) << "no node sits twice on the free list";
}

}  // namespace
}  // namespace ql::testing_pools
