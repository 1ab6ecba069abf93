// The search for the first block with a fresh slot, which every allocation from an
// empty free list makes and which grows with the pool's block count: over seeded
// descriptors (full, open, cleared and memoryless entries, any block count, any
// start) it finds what a plain walk of the entries finds.
#include <gtest/gtest.h>

#include <random>

#include "core/memory/pool.h"
#include "core/memory/pool_internal.h"

namespace ql::testing_pools {
namespace {

using pool_detail::FirstOpenBlock;

// The first block from `from` on with memory and a fresh slot, entry by entry.
int WalkedFirstOpenBlock(const RecordPool& pool, int from) {
    const int count = pool_detail::BlocksInUse(pool);
    int block = from;
    for (; block < count; ++block) {
        const PoolBlock& entry = pool.blocks[block];
        if (entry.base && entry.nextFresh < entry.capacity) break;
    }
    return block;
}

// A descriptor whose entries are mostly full, with some open, cleared (no memory,
// no capacity) or open-looking without memory; the block count may pass the table.
RecordPool SeededDescriptor(std::mt19937& random) {
    RecordPool pool{};
    pool.shift = 6;
    pool.maxBlocks = kMaxPoolBlocks;
    pool.blockCount = static_cast<uint8_t>(random() % (kMaxPoolBlocks + 8));
    const unsigned openOdds = 2 + random() % 40;
    for (PoolBlock& entry : pool.blocks) {
        entry.capacity = static_cast<uint16_t>(1 + random() % 2048);
        entry.nextFresh = entry.capacity;
        entry.base = Ref32<std::byte>(0x1000u + (random() % 4096) * 64u);
        entry.end = entry.base;
        const unsigned kind = random() % openOdds;
        if (kind == 0) entry.nextFresh = static_cast<uint16_t>(random() % entry.capacity);
        if (kind == 1) entry = PoolBlock{0, 1, {}, {}};
        if (kind == 2) {
            entry.nextFresh = static_cast<uint16_t>(random() % entry.capacity);
            entry.base = {};
        }
        if (kind == 3) entry.nextFresh = static_cast<uint16_t>(entry.capacity + random() % 3);
    }
    return pool;
}

TEST(PoolFirstOpenBlock, FindsWhatTheEntryWalkFindsOverSeededDescriptors) {
    for (unsigned seed = 1; seed <= 400; ++seed) {
        std::mt19937 random(seed);
        const RecordPool pool = SeededDescriptor(random);
        for (int from = 0; from <= kMaxPoolBlocks + 1; ++from)
            ASSERT_EQ(FirstOpenBlock(pool, from), WalkedFirstOpenBlock(pool, from))
                << "seed " << seed << " from " << from << " blocks " << int{pool.blockCount};
    }
}

// Every block full but one, at each place and with each block count: the open one is
// found wherever it stands among the blocks passed together.
TEST(PoolFirstOpenBlock, FindsTheOneOpenBlockAtEveryPlace) {
    for (int count = 1; count <= kMaxPoolBlocks; ++count) {
        for (int open = 0; open <= count; ++open) {
            RecordPool pool{};
            pool.blockCount = static_cast<uint8_t>(count);
            for (int block = 0; block < kMaxPoolBlocks; ++block) {
                PoolBlock& entry = pool.blocks[block];
                entry.capacity = 100;
                entry.nextFresh = block == open ? 99 : 100;
                entry.base = Ref32<std::byte>(0x1000u * static_cast<uint32_t>(block + 1));
            }
            ASSERT_EQ(FirstOpenBlock(pool, 0), open) << "count " << count << " open " << open;
        }
    }
}

}  // namespace
}  // namespace ql::testing_pools
