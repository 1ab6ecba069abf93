// Blocks taken from the arena together (AllocArenaBlocks): zero-filled in address
// order whether fresh or kept, freed neighbours coming back as neighbours, and a
// request that cannot be met whole taking nothing and leaving freed blocks
// inaccessible.
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

std::vector<ArenaBlock> AsArenaBlocks(const std::vector<void*>& blocks, size_t bytes) {
    std::vector<ArenaBlock> out;
    for (void* block : blocks) out.push_back(ArenaBlock{block, bytes});
    return out;
}

// Blocks written, given back together (kept) and asked for again together come back
// zero-filled, as the same neighbours in address order.
TEST(ArenaBlockRuns, KeptNeighboursComeBackZeroFilledAsNeighbours) {
    constexpr size_t kBytes = 29 * kArenaPageBytes;  // a size no pool uses
    std::vector<void*> blocks(5);
    ASSERT_TRUE(AllocArenaBlocks(kBytes, blocks.size(), blocks.data()));
    for (size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_TRUE(AllZero(blocks[i], kBytes)) << "fresh block " << i;
        if (i > 0) {
            EXPECT_EQ(static_cast<std::byte*>(blocks[i]), static_cast<std::byte*>(blocks[i - 1]) + kBytes);
        }
        std::memset(blocks[i], 0x6B, kBytes);
    }
    const size_t inUse = ArenaBytesInUse();
    const size_t kept = ArenaKeptBytes();
    const std::vector<ArenaBlock> back =
        AsArenaBlocks({blocks[3], blocks[1], blocks[4], blocks[0], blocks[2]}, kBytes);
    FreeArenaBlocks(back.data(), back.size());
    EXPECT_EQ(ArenaKeptBytes(), kept + 5 * kBytes);

    std::vector<void*> again(5);
    ASSERT_TRUE(AllocArenaBlocks(kBytes, again.size(), again.data()));
    EXPECT_EQ(again, blocks) << "the lowest freed blocks first, in address order";
    for (size_t i = 0; i < again.size(); ++i) EXPECT_TRUE(AllZero(again[i], kBytes)) << "kept block " << i;
    EXPECT_EQ(ArenaBytesInUse(), inUse);
    EXPECT_EQ(ArenaKeptBytes(), kept);
    const std::vector<ArenaBlock> done = AsArenaBlocks(again, kBytes);
    FreeArenaBlocks(done.data(), done.size());
}

// A request larger than the freed blocks takes them all and fresh ones after them.
TEST(ArenaBlockRuns, FreedBlocksAreTakenBeforeFreshOnes) {
    constexpr size_t kBytes = 31 * kArenaPageBytes;
    std::vector<void*> first(2);
    ASSERT_TRUE(AllocArenaBlocks(kBytes, first.size(), first.data()));
    std::memset(first[0], 0x11, kBytes);
    std::memset(first[1], 0x22, kBytes);
    for (void* block : first) FreeArenaBlock(block, kBytes);
    std::vector<void*> more(4);
    ASSERT_TRUE(AllocArenaBlocks(kBytes, more.size(), more.data()));
    EXPECT_EQ(more[0], first[0]);
    EXPECT_EQ(more[1], first[1]);
    EXPECT_TRUE(std::is_sorted(more.begin(), more.end()));
    for (size_t i = 0; i < more.size(); ++i) EXPECT_TRUE(AllZero(more[i], kBytes)) << "block " << i;
    for (void* block : more) FreeArenaBlock(block, kBytes);
}

// A failure of the third block of four takes no block at all: the bytes in use and
// the kept blocks are as before, and the next request gets the freed blocks.
TEST(ArenaBlockRuns, AFailureInsideARequestTakesNothing) {
    constexpr size_t kBytes = 33 * kArenaPageBytes;
    std::vector<void*> blocks(4);
    ASSERT_TRUE(AllocArenaBlocks(kBytes, blocks.size(), blocks.data()));
    const std::vector<ArenaBlock> back = AsArenaBlocks(blocks, kBytes);
    FreeArenaBlocks(back.data(), back.size());
    const size_t inUse = ArenaBytesInUse();
    const size_t kept = ArenaKeptBytes();

    FailNextArenaBlocks(1, 2);
    std::vector<void*> refused(4, nullptr);
    EXPECT_FALSE(AllocArenaBlocks(kBytes, refused.size(), refused.data()));
    EXPECT_EQ(ArenaBytesInUse(), inUse);
    EXPECT_EQ(ArenaKeptBytes(), kept);

    std::vector<void*> again(4);
    ASSERT_TRUE(AllocArenaBlocks(kBytes, again.size(), again.data())) << "the hook's failure was used up";
    EXPECT_EQ(again, blocks);
    const std::vector<ArenaBlock> done = AsArenaBlocks(again, kBytes);
    FreeArenaBlocks(done.data(), done.size());
}

// More blocks than the reserved range holds: nothing is taken, and the freed blocks
// the request could have used stay inaccessible.
TEST(ArenaBlockRunsDeathTest, ARequestPastTheRangeLeavesFreedBlocksInaccessible) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    constexpr size_t kBytes = 35 * kArenaPageBytes;
    std::vector<void*> blocks(3);
    ASSERT_TRUE(AllocArenaBlocks(kBytes, blocks.size(), blocks.data()));
    const std::vector<ArenaBlock> back = AsArenaBlocks(blocks, kBytes);
    FreeArenaBlocks(back.data(), back.size());
    const size_t inUse = ArenaBytesInUse();

    const size_t tooMany = kArenaReserveBytes / kBytes + 1;
    std::vector<void*> refused(tooMany, nullptr);
    EXPECT_FALSE(AllocArenaBlocks(kBytes, tooMany, refused.data()));
    EXPECT_EQ(ArenaBytesInUse(), inUse);
    for (void* block : blocks) EXPECT_DEATH(static_cast<volatile unsigned char*>(block)[0] = 1, "");

    std::vector<void*> again(3);
    ASSERT_TRUE(AllocArenaBlocks(kBytes, again.size(), again.data()));
    EXPECT_EQ(again, blocks);
    for (void* block : again) static_cast<volatile unsigned char*>(block)[kBytes - 1] = 1;
    const std::vector<ArenaBlock> done = AsArenaBlocks(again, kBytes);
    FreeArenaBlocks(done.data(), done.size());
}

}  // namespace
}  // namespace ql
