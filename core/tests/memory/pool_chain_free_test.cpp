// FreeRecordChain against FreeRecordByHandle called record by record down the same
// chain: seeded chains with dead links, loops and handles of no record, in twin sets
// with and without the undo shadows in use, leave the same free list, release log,
// live records and fresh marks.
#include <cstddef>
#include <cstring>
#include <random>
#include <vector>

#include "core/constants.h"
#include "core/tests/memory/pool_fixture.h"

namespace ql::testing_pools {
namespace {

using PoolChainFree = PoolTest;

constexpr int kPool = kSpacingEntryPool;
// Links at the front of the record (where a freed record keeps its free-list link)
// and after a first word of payload.
constexpr size_t kLinkOffsets[] = {0, 2};
constexpr int kRecordBytes = 8;
constexpr uint16_t kNoRecord = 0x7FFF;

uint16_t LinkOf(const void* record, size_t offset) {
    uint16_t link = 0;
    std::memcpy(&link, static_cast<const std::byte*>(record) + offset, sizeof link);
    return link;
}

// The chain freed the old way: look the record up, read its link, free it.
void FreeOneByOne(uint16_t head, size_t offset) {
    for (uint16_t handle = head;;) {
        const void* record = FindRecord<std::byte>(kPool, RecordHandle{handle});
        if (record == nullptr) return;
        const uint16_t next = LinkOf(record, offset);
        FreeRecordByHandle(kPool, RecordHandle{handle});
        handle = next;
    }
}

// What the current set holds in the pool, by handles rather than addresses: each
// block's fresh mark and live bits, the bytes of every live record, the free list
// in order and the release log.
std::vector<uint32_t> Describe(const DocumentPoolSet& set) {
    const RecordPool& pool = set.pools[kPool];
    std::vector<uint32_t> out{pool.blockCount};
    for (int block = 0; block < pool.blockCount; ++block) {
        const PoolBlock& entry = pool.blocks[block];
        out.push_back(entry.nextFresh);
        for (size_t slot = 1; slot < entry.nextFresh; ++slot) {
            const bool live = pool_detail::SlotLive(entry, pool.shift, slot);
            out.push_back(live ? 1u : 0u);
            if (!live) continue;
            const std::byte* record = entry.base.get() + (slot << pool.shift);
            for (int i = 0; i < kRecordBytes; ++i) out.push_back(std::to_integer<uint32_t>(record[i]));
        }
        out.push_back(set.releases.lowestSlot[kPool][block]);
    }
    Ref32<std::byte> free = pool.freeList;
    for (int i = 0; free && i < 100000; ++i) {
        out.push_back(0x10000u | PtrToHandle(kPool, free.get()).bits);
        std::memcpy(&free.offset, free.get(), sizeof free.offset);
    }
    return out;
}

// The undo code's capture: every block's live half copied into its shadow.
void FillShadows(DocumentPoolSet& set) {
    const RecordPool& pool = set.pools[kPool];
    for (int block = 0; block < pool.blockCount; ++block) {
        std::byte* base = pool.blocks[block].base.get();
        const size_t bytes = BlockLiveBytes(pool, block);
        std::memcpy(base + bytes, base, bytes);
    }
    NoteShadowsFilled(set);
}

TEST_F(PoolChainFree, FreesAsFreeRecordByHandleDoesRecordByRecord) {
    int logged = 0;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        const size_t offset = kLinkOffsets[seed % 3 == 0 ? 0 : 1];
        TwinPoolSets twins;
        std::mt19937 random(seed);
        const int count = 20 + static_cast<int>(random() % 3000);
        const bool shadows = seed % 2 == 0;
        // The same records in both sets, each linked to the next, to 0, to a handle
        // of no record or to a seeded record (a jump or a loop); some freed before.
        std::vector<uint16_t> handles;
        for (DocumentPoolSet* set : {&twins.runs, &twins.singles}) {
            ScopedPoolSet use(*set);
            std::vector<uint16_t> made;
            for (int i = 0; i < count; ++i) {
                RecordHandle handle;
                ASSERT_NE(AllocRecordWithHandle(kPool, &handle), nullptr);
                made.push_back(handle.bits);
            }
            if (handles.empty()) handles = made;
            ASSERT_EQ(made, handles);
        }
        std::vector<uint16_t> links;
        for (int i = 0; i < count; ++i) {
            const unsigned kind = random() % 12;
            const size_t next = static_cast<size_t>(i) + 1;
            uint16_t link = next < handles.size() ? handles[next] : 0;
            if (kind == 0) link = 0;
            if (kind == 1) link = kNoRecord;
            if (kind == 2) link = handles[random() % handles.size()];
            links.push_back(link);
        }
        std::vector<uint16_t> freedFirst;
        for (uint16_t handle : handles)
            if (random() % 17 == 0) freedFirst.push_back(handle);
        for (DocumentPoolSet* set : {&twins.runs, &twins.singles}) {
            ScopedPoolSet use(*set);
            for (int i = 0; i < count; ++i) {
                auto* record = static_cast<std::byte*>(HandleToPtr(kPool, RecordHandle{handles[static_cast<size_t>(i)]}));
                std::memset(record, 0x5A, kRecordBytes);
                std::memcpy(record + offset, &links[static_cast<size_t>(i)], sizeof(uint16_t));
            }
            if (shadows) FillShadows(*set);
        }
        for (uint16_t handle : freedFirst) twins.FreeInBoth(kPool, handle);
        // Chains freed from seeded heads, some of them dead or no record at all.
        for (int round = 0; round < 12; ++round) {
            const unsigned kind = random() % 8;
            uint16_t head = handles[random() % handles.size()];
            if (kind == 0) head = 0;
            if (kind == 1) head = kNoRecord;
            {
                ScopedPoolSet use(twins.runs);
                FreeRecordChain(kPool, RecordHandle{head}, offset);
            }
            ScopedPoolSet use(twins.singles);
            FreeOneByOne(head, offset);
        }
        std::vector<uint32_t> chained;
        {
            ScopedPoolSet use(twins.runs);
            chained = Describe(twins.runs);
        }
        ScopedPoolSet use(twins.singles);
        ASSERT_EQ(chained, Describe(twins.singles)) << "seed " << seed;
        logged += twins.singles.releases.lowestSlot[kPool][0] != 0 ? 1 : 0;
    }
    EXPECT_GT(logged, 0) << "with the shadows in use the releases are logged";
}

TEST_F(PoolChainFree, ALinkPastTheSlotFreesNothing) {
    RecordHandle first;
    void* record = AllocRecordWithHandle(kPool, &first);
    ASSERT_NE(record, nullptr);
    FreeRecordChain(kPool, first, kRecordBytes - 1);
    EXPECT_EQ(FindRecord<std::byte>(kPool, first), record);
    FreeRecordChain(kPool, first, kRecordBytes - 2);
    EXPECT_EQ(FindRecord<std::byte>(kPool, first), nullptr);
}

}  // namespace
}  // namespace ql::testing_pools
