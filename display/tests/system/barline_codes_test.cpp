// The barline byte normalised for a measure's place in its system, over every pair of
// nibbles 0..15 and every place.
#include <gtest/gtest.h>

#include <cstdint>

#include "display/system_drawing.h"

namespace ql {
namespace {

constexpr int kPositions[] = {kSystemStart, kInsideSystem, kSystemEnd};
constexpr int kSomeMeasure = 5;

uint8_t Byte(int lo, int hi) {
    return static_cast<uint8_t>(lo | (hi << 4));
}
int Lo(uint8_t byte) {
    return byte & 0x0F;
}
int Hi(uint8_t byte) {
    return byte >> 4;
}

// Normalising twice at the same place gives what normalising once gave, and no nibble
// is left outside the kinds 0..8.
TEST(NormalizeBarlineCodes, IsIdempotentAndKeepsKindsInRange) {
    for (int measure : {1, 2, kSomeMeasure})
        for (int position : kPositions)
            for (int lo = 0; lo < 16; ++lo)
                for (int hi = 0; hi < 16; ++hi) {
                    const uint8_t once = NormalizedBarlineByte(Byte(lo, hi), measure, position);
                    EXPECT_EQ(NormalizedBarlineByte(once, measure, position), once)
                        << "lo " << lo << " hi " << hi << " position " << position;
                    EXPECT_LE(Lo(once), 8);
                    EXPECT_LE(Hi(once), 8);
                }
}

// Measure 1 never has a barline inside a system; its opening never closes a passage.
TEST(NormalizeBarlineCodes, FirstMeasureHasNoInnerBarline) {
    for (int position : kPositions)
        for (int lo = 0; lo < 16; ++lo)
            for (int hi = 0; hi < 16; ++hi) {
                const uint8_t result = NormalizedBarlineByte(Byte(lo, hi), 1, position);
                EXPECT_EQ(Lo(result), 0);
                EXPECT_NE(Hi(result), 3);  // end section
                EXPECT_NE(Hi(result), 6);  // end repeat
                EXPECT_NE(Hi(result), 7);  // both repeats
            }
    EXPECT_EQ(Hi(NormalizedBarlineByte(Byte(0, 7), 1, kSystemStart)), 5);  // 7 opens as 5
    EXPECT_EQ(Hi(NormalizedBarlineByte(Byte(0, 8), 1, kSystemStart)), 8);  // dotted stays
}

// A combined repeat at a system break closes the first system with an end repeat and
// opens the next with a start repeat; inside a system it stays a combined repeat.
TEST(NormalizeBarlineCodes, CombinedRepeatSplitsAtASystemBreak) {
    const uint8_t both = Byte(7, 0);
    EXPECT_EQ(NormalizedBarlineByte(both, kSomeMeasure, kSystemEnd), Byte(6, 5));
    EXPECT_EQ(NormalizedBarlineByte(both, kSomeMeasure, kSystemStart), Byte(6, 5));
    EXPECT_EQ(NormalizedBarlineByte(both, kSomeMeasure, kInsideSystem), Byte(7, 0));
    // A split repeat that lands inside a system again joins up.
    EXPECT_EQ(NormalizedBarlineByte(Byte(6, 5), kSomeMeasure, kInsideSystem), Byte(7, 0));
}

// Start signs move to the nibble of the place they are drawn at.
TEST(NormalizeBarlineCodes, SectionStartsFollowTheBreak) {
    // A start repeat inside a system at a system start is drawn as the opening sign.
    EXPECT_EQ(NormalizedBarlineByte(Byte(5, 0), kSomeMeasure, kSystemStart), Byte(0, 5));
    // Mid-system, an opening start repeat becomes the inner barline.
    EXPECT_EQ(NormalizedBarlineByte(Byte(0, 5), kSomeMeasure, kInsideSystem), Byte(5, 0));
    // A closing end section in the opening nibble moves to the inner one.
    EXPECT_EQ(NormalizedBarlineByte(Byte(0, 3), kSomeMeasure, kInsideSystem), Byte(3, 0));
    // Past a system's end a begin section goes to the opening nibble.
    EXPECT_EQ(NormalizedBarlineByte(Byte(2, 0), kSomeMeasure, kSystemEnd), Byte(0, 2));
    // A plain kind stays where it is.
    EXPECT_EQ(NormalizedBarlineByte(Byte(4, 0), kSomeMeasure, kSystemEnd), Byte(4, 0));
}

// Kinds above 8 read as a single barline; an all-zero byte is left alone.
TEST(NormalizeBarlineCodes, UnknownKindsBecomeSingle) {
    EXPECT_EQ(NormalizedBarlineByte(Byte(12, 0), kSomeMeasure, kInsideSystem), 0);
    EXPECT_EQ(NormalizedBarlineByte(Byte(9, 15), kSomeMeasure, kSystemEnd), 0);
    EXPECT_EQ(NormalizedBarlineByte(Byte(1, 9), kSomeMeasure, kInsideSystem), Byte(1, 0));
    EXPECT_EQ(NormalizedBarlineByte(0, kSomeMeasure, kSystemStart), 0);
}

}  // namespace
}  // namespace ql
