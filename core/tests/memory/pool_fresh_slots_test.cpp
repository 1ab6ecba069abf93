// What a pool block holds when it comes from kept (dirty) pages of the arena: the
// live half reads as zero, so runs hand out fresh slots without clearing them again;
// the shadows are cleared only once the undo code has filled them, and releases are
// logged only from then on. A static pool, whose reset leaves records' bytes in its
// fresh slots, still clears what it hands out.
#include <algorithm>
#include <random>
#include <vector>

#include "core/constants.h"
#include "core/tests/memory/pool_fixture.h"

namespace ql::testing_pools {
namespace {

using PoolFreshSlots = PoolTest;

constexpr int kEventSlots = 1023;  // records of a 64 KB event block, slot 0 aside

// Makes a set, fills `blocks` event blocks with records, scribbles over every byte
// of them (both halves) and frees the set: the next blocks of that size come from
// these kept, dirty pages.
void LeaveDirtyPages(int blocks) {
    DocumentPoolSet dirty{};
    InitDocumentPoolSet(dirty);
    {
        ScopedPoolSet use(dirty);
        std::vector<void*> records(static_cast<size_t>(blocks * kEventSlots));
        std::vector<RecordHandle> handles(records.size());
        const int count = static_cast<int>(records.size());
        ASSERT_EQ(AllocRecordRunWithHandles(kEventRecordPool, count, records.data(), handles.data()), count);
        const RecordPool& pool = dirty.pools[kEventRecordPool];
        for (int block = 0; block < pool.blockCount; ++block)
            std::memset(pool.blocks[block].base.get(), 0xCD, 2 * BlockLiveBytes(pool, block));
    }
    const size_t kept = ArenaKeptBytes();
    FreeDocumentPoolSet(dirty);
    ASSERT_GT(ArenaKeptBytes(), kept) << "the pages are kept, not given back";
}

// Every slot never handed out reads zero, and its live bit is clear.
void ExpectFreshSlotsZero(const RecordPool& pool, unsigned seed, int step) {
    for (int block = 0; block < pool.blockCount; ++block) {
        const PoolBlock& entry = pool.blocks[block];
        const size_t fresh = size_t{entry.nextFresh} << pool.shift;
        const size_t records = size_t{entry.capacity} << pool.shift;
        const std::byte* base = entry.base.get();
        ASSERT_TRUE(std::all_of(base + fresh, base + records, [](std::byte b) { return b == std::byte{0}; }))
            << "seed " << seed << " step " << step << " block " << block;
        for (size_t slot = entry.nextFresh; slot < entry.capacity; ++slot)
            ASSERT_FALSE(pool_detail::SlotLive(entry, pool.shift, slot)) << "block " << block << " slot " << slot;
    }
}

// Seeded runs, runs with records ahead that are written and given back, frees and
// writes into live records, on dirty pages, against a twin set that takes the same
// records one at a time (each cleared as it is handed out): every record a run hands
// out holds exactly what the twin's holds, and the slots never handed out stay zero.
TEST_F(PoolFreshSlots, RunsOnDirtyPagesHandOutWhatClearedSinglesHold) {
    LeaveDirtyPages(4);
    for (unsigned seed = 1; seed <= 4; ++seed) {
        TwinPoolSets twins;
        std::mt19937 random(seed);
        std::vector<uint16_t> live;
        for (int step = 0; step < 200; ++step) {
            const unsigned kind = random() % 6;
            if (kind == 0 && !live.empty()) {
                const size_t pick = random() % live.size();
                twins.FreeInBoth(kEventRecordPool, live[pick]);
                live.erase(live.begin() + static_cast<std::ptrdiff_t>(pick));
                continue;
            }
            if (kind == 1 && !live.empty()) {
                // The same bytes written into a live record of each set.
                const uint16_t handle = live[random() % live.size()];
                const auto fill = static_cast<int>(random() & 0xFF);
                for (DocumentPoolSet* set : {&twins.runs, &twins.singles}) {
                    ScopedPoolSet use(*set);
                    std::memset(HandleToPtr(kEventRecordPool, RecordHandle{handle}), fill, 28);
                }
                continue;
            }
            const int count = 1 + static_cast<int>(random() % 80);
            const int ahead = static_cast<int>(random() % 200);
            std::vector<void*> records(static_cast<size_t>(count + ahead));
            std::vector<RecordHandle> handles(records.size());
            int made = 0;
            {
                ScopedPoolSet use(twins.runs);
                made = AllocRecordRunAhead(kEventRecordPool, count, ahead, records.data(), handles.data());
                ASSERT_GE(made, count);
                for (int i = 0; i < made; ++i)
                    ASSERT_TRUE(IsZeroFilled(records[static_cast<size_t>(i)], 32)) << "seed " << seed << " step " << step;
                // The records ahead are written before they go back, as a reader that
                // began a record and then gave it back would leave them.
                for (int i = count; i < made; ++i) std::memset(records[static_cast<size_t>(i)], 0x77, 32);
                ReturnRecordRun(kEventRecordPool, handles.data() + count, made - count);
                ExpectFreshSlotsZero(twins.runs.pools[kEventRecordPool], seed, step);
            }
            ScopedPoolSet use(twins.singles);
            for (int i = 0; i < count; ++i) {
                RecordHandle single;
                void* record = AllocRecordWithHandle(kEventRecordPool, &single);
                ASSERT_EQ(single, handles[static_cast<size_t>(i)]) << "seed " << seed << " step " << step;
                ASSERT_EQ(std::memcmp(record, records[static_cast<size_t>(i)], 32), 0);
                live.push_back(single.bits);
            }
        }
        // Every live record holds the same bytes in both sets.
        for (uint16_t handle : live) {
            ScopedPoolSet useRuns(twins.runs);
            const void* fromRuns = HandleToPtr(kEventRecordPool, RecordHandle{handle});
            ScopedPoolSet useSingles(twins.singles);
            ASSERT_EQ(std::memcmp(fromRuns, HandleToPtr(kEventRecordPool, RecordHandle{handle}), 32), 0);
        }
    }
}

// A set whose shadows the undo code has not filled gets blocks on dirty pages with
// their live halves clear; its shadows are not read, so releases log nothing even
// where the shadow's bits are set. Once filled, blocks added come with clear shadows
// and a release of a slot live at the capture is logged.
TEST_F(PoolFreshSlots, ShadowsAreClearedAndReadOnlyOnceFilled) {
    LeaveDirtyPages(3);
    const int pool = kEventRecordPool;
    std::vector<void*> records(kEventSlots);
    std::vector<RecordHandle> handles(kEventSlots);
    ASSERT_EQ(AllocRecordRunWithHandles(pool, 10, records.data(), handles.data()), 10);
    const RecordPool& descriptor = doc_.pools[pool];
    const PoolBlock& first = descriptor.blocks[0];
    EXPECT_TRUE(IsZeroFilled(first.base.get(), size_t{first.capacity} << descriptor.shift)) << "records clear";
    std::memset(BlockShadow(descriptor, 0), 0xFF, BlockLiveBytes(descriptor, 0));  // every shadow bit set
    FreeRecordByHandle(pool, handles[3]);
    EXPECT_EQ(doc_.releases.lowestSlot[pool][0], 0) << "no capture yet, nothing to log";

    // As the undo code fills them: the live halves copied into the shadows.
    std::memcpy(BlockShadow(descriptor, 0), first.base.get(), BlockLiveBytes(descriptor, 0));
    NoteShadowsFilled(doc_);
    FreeRecordByHandle(pool, handles[5]);
    EXPECT_EQ(doc_.releases.lowestSlot[pool][0], handles[5].bits & 0x3FF) << "live at the capture";
    ASSERT_EQ(AllocRecordRunWithHandles(pool, kEventSlots, records.data(), handles.data()), kEventSlots);
    ASSERT_EQ(descriptor.blockCount, 2);
    EXPECT_TRUE(IsZeroFilled(BlockShadow(descriptor, 1), BlockLiveBytes(descriptor, 1))) << "a clear shadow";

    FreeDocumentPoolSet(doc_);
    InitDocumentPoolSet(doc_);
    EXPECT_EQ(doc_.shadowsFilled, 0) << "a prepared set starts without filled shadows";
}

// A static pool's reset leaves its records' bytes in the slots it makes fresh: a run
// after it still hands out zero-filled records.
TEST_F(PoolFreshSlots, AStaticPoolResetThenARunHandsOutClearedRecords) {
    ASSERT_EQ(InitStaticPoolSet(), 1);
    constexpr int kPool = 8;  // not a sequencer pool
    constexpr int kCount = 40;
    void* records[kCount];
    RecordHandle handles[kCount];
    ScopedPoolSet useStatic(TheStaticPoolSet());
    ASSERT_EQ(AllocRecordRunWithHandles(kPool, kCount, records, handles), kCount);
    for (void* record : records) std::memset(record, 0xAB, PoolSlotBytes(kPool));
    ResetStaticPool(kPool);
    void* again[kCount];
    ASSERT_EQ(AllocRecordRunWithHandles(kPool, kCount, again, handles), kCount);
    for (int i = 0; i < kCount; ++i) {
        EXPECT_EQ(again[i], records[i]);
        EXPECT_TRUE(IsZeroFilled(again[i], PoolSlotBytes(kPool))) << i;
    }
}

}  // namespace
}  // namespace ql::testing_pools
