// Pool choice: the size classes of PoolForSize at their boundaries, and the staff
// array pools, which leave room for twice the entries.
#include <gtest/gtest.h>

#include "core/memory/pool.h"

namespace ql {
namespace {

// Each size class ends where the pool table says; 17..32 bytes spread over 7, 6, 5, 4.
TEST(PoolChoice, SizeClassesChangeAtTheirBoundaries) {
    EXPECT_EQ(PoolForSize(0), 2);
    EXPECT_EQ(PoolForSize(8), 2);
    EXPECT_EQ(PoolForSize(9), 3);
    EXPECT_EQ(PoolForSize(16), 3);
    EXPECT_EQ(PoolForSize(17), 7);
    EXPECT_EQ(PoolForSize(22), 7);
    EXPECT_EQ(PoolForSize(23), 6);
    EXPECT_EQ(PoolForSize(26), 6);
    EXPECT_EQ(PoolForSize(27), 5);
    EXPECT_EQ(PoolForSize(28), 5);
    EXPECT_EQ(PoolForSize(29), 4);
    EXPECT_EQ(PoolForSize(32), 4);
    EXPECT_EQ(PoolForSize(33), 8);
    EXPECT_EQ(PoolForSize(64), 8);
    EXPECT_EQ(PoolForSize(65), 9);
    EXPECT_EQ(PoolForSize(128), 9);
    EXPECT_EQ(PoolForSize(129), 10);
    EXPECT_EQ(PoolForSize(2048), 10);
}

// A system's staff offsets (words) and flags (bytes) for 4, 8 and 16 staves.
TEST(PoolChoice, StaffArraysGetTwiceTheRoomTheyNeed) {
    EXPECT_EQ(PoolForWordArray(4), 4);
    EXPECT_EQ(PoolForByteArray(4), 3);
    EXPECT_EQ(PoolForWordArray(8), 8);
    EXPECT_EQ(PoolForByteArray(8), 4);
    EXPECT_EQ(PoolForWordArray(16), 9);
    EXPECT_EQ(PoolForByteArray(16), 8);
    EXPECT_EQ(PoolForWordArray(3), 3);
    EXPECT_EQ(PoolForByteArray(7), 3);
    EXPECT_EQ(PoolForWordArray(32), 10);
    EXPECT_EQ(PoolForByteArray(64), 10);
}

// Every array choice holds at least twice the bytes the entries need (document slots).
TEST(PoolChoice, ArrayChoiceAlwaysFitsTwiceTheEntries) {
    const int slotBytes[11] = {0, 0, 8, 16, 32, 32, 32, 32, 64, 128, 2048};
    for (int n = 0; n < 500; ++n) {
        int words = PoolForWordArray(n);
        int bytes = PoolForByteArray(n);
        EXPECT_GE(slotBytes[words], 2 * 2 * (n + 1) < 2048 ? 2 * 2 * (n + 1) : 2048) << n;
        EXPECT_GE(slotBytes[bytes], 2 * (n + 1) < 2048 ? 2 * (n + 1) : 2048) << n;
    }
}

}  // namespace
}  // namespace ql
