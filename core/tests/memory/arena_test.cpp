// The record arena's reuse of freed blocks: a block freed with its pages kept comes
// back zero-filled like a fresh one, or zero-filled as far as its caller asks; it is
// inaccessible until reused where kept blocks are guarded, and stays usable where not.
// Past the keep limit freed pages go back to the system, become inaccessible in every
// build and still read as zero.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/memory/arena.h"

namespace ql {
namespace {

// A size no pool uses, so the block freed is the one the next request gets.
constexpr size_t kOddBlockBytes = 37 * kArenaPageBytes;

bool AllZero(const void* block, size_t bytes) {
    const auto* p = static_cast<const unsigned char*>(block);
    return std::all_of(p, p + bytes, [](unsigned char b) { return b == 0; });
}

TEST(ArenaReuse, AKeptBlockComesBackZeroFilledAndIsNotCountedAsKeptAgain) {
    void* block = AllocArenaBlock(kOddBlockBytes);
    ASSERT_NE(block, nullptr);
    std::memset(block, 0xA5, kOddBlockBytes);
    const size_t keptBefore = ArenaKeptBytes();
    FreeArenaBlock(block, kOddBlockBytes);
    EXPECT_EQ(ArenaKeptBytes(), keptBefore + kOddBlockBytes);

    void* again = AllocArenaBlock(kOddBlockBytes);
    ASSERT_EQ(again, block) << "a freed block of the same size is reused";
    EXPECT_TRUE(AllZero(again, kOddBlockBytes)) << "what the last owner wrote is gone";
    EXPECT_EQ(ArenaKeptBytes(), keptBefore);
    FreeArenaBlock(again, kOddBlockBytes);
}

TEST(ArenaReuse, BlocksFreedPastTheKeepLimitGiveTheirPagesBackAndReadAsZero) {
    // Enough blocks to pass the limit: the later ones are not kept.
    const size_t bytes = 16 * 1024 * 1024 + kArenaPageBytes;
    const size_t count = kArenaKeepLimitBytes / bytes + 2;
    std::vector<void*> blocks;
    for (size_t i = 0; i < count; ++i) {
        void* block = AllocArenaBlock(bytes);
        ASSERT_NE(block, nullptr);
        std::memset(block, 0x5A, bytes);
        blocks.push_back(block);
    }
    for (void* block : blocks) FreeArenaBlock(block, bytes);
    EXPECT_LE(ArenaKeptBytes(), kArenaKeepLimitBytes);

    std::vector<void*> again;
    for (size_t i = 0; i < count; ++i) {
        again.push_back(AllocArenaBlock(bytes));
        ASSERT_NE(again.back(), nullptr);
        EXPECT_TRUE(AllZero(again.back(), bytes)) << "block " << i;
    }
    std::sort(blocks.begin(), blocks.end());
    std::sort(again.begin(), again.end());
    EXPECT_EQ(again, blocks) << "every freed block is reused";
    for (void* block : again) FreeArenaBlock(block, bytes);
}

TEST(ArenaReuseDeathTest, AKeptBlockFaultsWhenWrittenAfterItWasFreed) {
    if (!ArenaGuardsKeptBlocks()) GTEST_SKIP() << "kept blocks stay accessible in this build";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    void* block = AllocArenaBlock(kOddBlockBytes);
    ASSERT_NE(block, nullptr);
    FreeArenaBlock(block, kOddBlockBytes);
    ASSERT_GT(ArenaKeptBytes(), 0u);
    EXPECT_DEATH(static_cast<volatile unsigned char*>(block)[100] = 1, "");
    // Reused, the block is usable again.
    void* again = AllocArenaBlock(kOddBlockBytes);
    ASSERT_EQ(again, block);
    static_cast<volatile unsigned char*>(again)[100] = 1;
    FreeArenaBlock(again, kOddBlockBytes);
}

// Blocks given back together, side by side or not, are each inaccessible, kept and
// then reused zero-filled, as when they are given back one at a time.
TEST(ArenaReuseDeathTest, BlocksGivenBackTogetherAreEachInaccessibleAndReused) {
    if (!ArenaGuardsKeptBlocks()) GTEST_SKIP() << "kept blocks stay accessible in this build";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    constexpr size_t kBytes = 23 * kArenaPageBytes;  // a size no pool uses
    std::vector<void*> blocks;
    for (int i = 0; i < 4; ++i) {
        blocks.push_back(AllocArenaBlock(kBytes));
        ASSERT_NE(blocks.back(), nullptr);
        std::memset(blocks.back(), 0x3C, kBytes);
    }
    void* kept = AllocArenaBlock(kBytes);  // not given back: must stay usable
    ASSERT_NE(kept, nullptr);
    const size_t inUse = ArenaBytesInUse();
    std::vector<ArenaBlock> back;
    for (void* block : {blocks[2], blocks[0], blocks[1], blocks[3]}) back.push_back(ArenaBlock{block, kBytes});
    back.push_back(ArenaBlock{nullptr, kBytes});
    FreeArenaBlocks(back.data(), back.size());
    EXPECT_EQ(ArenaBytesInUse(), inUse - 4 * kBytes);
    for (void* block : blocks)
        EXPECT_DEATH(static_cast<volatile unsigned char*>(block)[kBytes - 1] = 1, "");
    static_cast<volatile unsigned char*>(kept)[0] = 1;

    std::vector<void*> again;
    for (int i = 0; i < 4; ++i) {
        again.push_back(AllocArenaBlock(kBytes));
        EXPECT_TRUE(AllZero(again.back(), kBytes)) << "block " << i;
    }
    std::sort(blocks.begin(), blocks.end());
    std::sort(again.begin(), again.end());
    EXPECT_EQ(again, blocks) << "every block given back is reused";
    for (void* block : again) FreeArenaBlock(block, kBytes);
    FreeArenaBlock(kept, kBytes);
}

// Asked to clear only the first part, a kept block reused keeps what its last owner
// wrote past it; a block never used before reads as zero throughout.
TEST(ArenaReuse, AKeptBlockReusedIsClearedAsFarAsAsked) {
    constexpr size_t kBytes = 41 * kArenaPageBytes;  // a size no pool uses
    constexpr size_t kCleared = 5 * kArenaPageBytes + 12;
    void* block = AllocArenaBlock(kBytes, 0);
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(AllZero(block, kBytes)) << "never used: zero throughout";
    std::memset(block, 0xA5, kBytes);
    FreeArenaBlock(block, kBytes);

    void* again = AllocArenaBlock(kBytes, kCleared);
    ASSERT_EQ(again, block);
    EXPECT_TRUE(AllZero(again, kCleared));
    const auto* bytes = static_cast<const unsigned char*>(again);
    EXPECT_TRUE(std::all_of(bytes + kCleared, bytes + kBytes, [](unsigned char b) { return b == 0xA5; }));
    FreeArenaBlock(again, kBytes);
    void* whole = AllocArenaBlock(kBytes);
    ASSERT_EQ(whole, block);
    EXPECT_TRUE(AllZero(whole, kBytes)) << "by default the whole block is cleared";
    FreeArenaBlock(whole, kBytes);
}

// Where kept blocks are not guarded, a kept block stays readable and writable after
// it is freed, and still comes back zero-filled when reused.
TEST(ArenaReuse, AnUnguardedKeptBlockStaysUsableAndComesBackZero) {
    if (ArenaGuardsKeptBlocks()) GTEST_SKIP() << "kept blocks are guarded in this build";
    void* block = AllocArenaBlock(kOddBlockBytes);
    ASSERT_NE(block, nullptr);
    FreeArenaBlock(block, kOddBlockBytes);
    ASSERT_GT(ArenaKeptBytes(), 0u);
    static_cast<volatile unsigned char*>(block)[100] = 7;
    EXPECT_EQ(static_cast<volatile unsigned char*>(block)[100], 7);
    void* again = AllocArenaBlock(kOddBlockBytes);
    ASSERT_EQ(again, block);
    EXPECT_TRUE(AllZero(again, kOddBlockBytes));
    FreeArenaBlock(again, kOddBlockBytes);
}

// A block freed past the keep limit faults in every build, guarded or not; reused,
// it is usable again and reads as zero.
TEST(ArenaReuseDeathTest, ABlockFreedPastTheKeepLimitFaultsInEveryBuild) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const size_t bytes = 16 * 1024 * 1024 + 3 * kArenaPageBytes;  // a size no other test uses
    const size_t count = kArenaKeepLimitBytes / bytes + 1;
    std::vector<void*> blocks;
    for (size_t i = 0; i < count; ++i) {
        blocks.push_back(AllocArenaBlock(bytes, 0));
        ASSERT_NE(blocks.back(), nullptr);
    }
    static_cast<unsigned char*>(blocks.back())[bytes - 1] = 9;
    for (void* block : blocks) FreeArenaBlock(block, bytes);
    ASSERT_LE(ArenaKeptBytes(), kArenaKeepLimitBytes) << "the last one was not kept";
    EXPECT_DEATH(static_cast<volatile unsigned char*>(blocks.back())[bytes - 1] = 1, "");

    std::vector<void*> again;
    for (size_t i = 0; i < count; ++i) again.push_back(AllocArenaBlock(bytes, 0));
    std::sort(again.begin(), again.end());
    std::sort(blocks.begin(), blocks.end());
    EXPECT_EQ(again, blocks);
    for (void* block : again) EXPECT_EQ(static_cast<unsigned char*>(block)[bytes - 1], 0);
    for (void* block : again) FreeArenaBlock(block, bytes);
}

}  // namespace
}  // namespace ql
