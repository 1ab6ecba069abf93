// Blocks taken from the arena together (AllocArenaBlocks): zero-filled in address
// order whether fresh or kept, freed neighbours coming back as neighbours before
// fresh blocks, and a request that cannot be met whole taking nothing and leaving
// freed blocks inaccessible.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/memory/arena.h"

namespace ql {
namespace {

bool AllZero(const void* block, size_t bytes) {
    const auto* p = static_cast<const unsigned char*>(block);
    return std::all_of(p, p + bytes, [](unsigned char b) { return b == 0; });
}

// `count` blocks taken together; empty when the request is refused.
std::vector<void*> TakeBlocks(size_t bytes, size_t count) {
    std::vector<void*> blocks(count);
    if (!AllocArenaBlocks(bytes, count, blocks.data())) return {};
    return blocks;
}

void GiveBack(const std::vector<void*>& blocks, size_t bytes) {
    std::vector<ArenaBlock> back;
    for (void* block : blocks) back.push_back(ArenaBlock{block, bytes});
    FreeArenaBlocks(back.data(), back.size());
}

// Blocks written and given back together (kept, in mixed order) come back zero-filled
// as the same neighbours in address order, before any fresh block.
TEST(ArenaBlockRuns, KeptNeighboursComeBackZeroFilledBeforeFreshBlocks) {
    constexpr size_t kBytes = 29 * kArenaPageBytes;  // a size no pool uses
    const std::vector<void*> blocks = TakeBlocks(kBytes, 5);
    ASSERT_EQ(blocks.size(), 5u);
    for (size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_TRUE(AllZero(blocks[i], kBytes)) << "fresh block " << i;
        if (i > 0) {
            EXPECT_EQ(static_cast<std::byte*>(blocks[i]), static_cast<std::byte*>(blocks[i - 1]) + kBytes);
        }
        std::memset(blocks[i], 0x6B, kBytes);
    }
    const size_t kept = ArenaKeptBytes();
    GiveBack({blocks[3], blocks[1], blocks[4], blocks[0], blocks[2]}, kBytes);
    EXPECT_EQ(ArenaKeptBytes(), kept + 5 * kBytes);

    const std::vector<void*> again = TakeBlocks(kBytes, 7);
    ASSERT_EQ(again.size(), 7u);
    EXPECT_EQ(std::vector<void*>(again.begin(), again.begin() + 5), blocks) << "the freed blocks first";
    EXPECT_TRUE(std::is_sorted(again.begin(), again.end()));
    for (size_t i = 0; i < again.size(); ++i) EXPECT_TRUE(AllZero(again[i], kBytes)) << "block " << i;
    EXPECT_EQ(ArenaKeptBytes(), kept);
    GiveBack(again, kBytes);
}

// A failure of the third block of four takes no block at all: the bytes in use and
// the kept blocks are as before, and the next request gets the freed blocks.
TEST(ArenaBlockRuns, AFailureInsideARequestTakesNothing) {
    constexpr size_t kBytes = 33 * kArenaPageBytes;
    const std::vector<void*> blocks = TakeBlocks(kBytes, 4);
    ASSERT_EQ(blocks.size(), 4u);
    GiveBack(blocks, kBytes);
    const size_t inUse = ArenaBytesInUse();
    const size_t kept = ArenaKeptBytes();

    FailNextArenaBlocks(1, 2);
    EXPECT_TRUE(TakeBlocks(kBytes, 4).empty());
    EXPECT_EQ(ArenaBytesInUse(), inUse);
    EXPECT_EQ(ArenaKeptBytes(), kept);

    const std::vector<void*> again = TakeBlocks(kBytes, 4);
    EXPECT_EQ(again, blocks) << "the hook's failure was used up";
    GiveBack(again, kBytes);
}

// More blocks than the reserved range holds: nothing is taken, and the freed blocks
// the request could have used stay inaccessible until a later request takes them.
TEST(ArenaBlockRunsDeathTest, ARequestPastTheRangeLeavesFreedBlocksInaccessible) {
    if (!ArenaGuardsKeptBlocks()) GTEST_SKIP() << "kept blocks stay accessible in this build";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    constexpr size_t kBytes = 35 * kArenaPageBytes;
    const std::vector<void*> blocks = TakeBlocks(kBytes, 3);
    ASSERT_EQ(blocks.size(), 3u);
    GiveBack(blocks, kBytes);
    const size_t inUse = ArenaBytesInUse();

    EXPECT_TRUE(TakeBlocks(kBytes, kArenaReserveBytes / kBytes + 1).empty());
    EXPECT_EQ(ArenaBytesInUse(), inUse);
    for (void* block : blocks) EXPECT_DEATH(static_cast<volatile unsigned char*>(block)[0] = 1, "");

    const std::vector<void*> again = TakeBlocks(kBytes, 3);
    EXPECT_EQ(again, blocks);
    for (void* block : again) static_cast<volatile unsigned char*>(block)[kBytes - 1] = 1;
    GiveBack(again, kBytes);
}

}  // namespace
}  // namespace ql
