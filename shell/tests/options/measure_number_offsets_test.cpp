// The Measure Numbers dialog's offset texts: written as "%d.%s" with three
// fraction digits and read back strictly, clamped, or refused for the old value.
#include "shell/options/measure_number_offsets.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace ql {
namespace {

// 128 is one staff space; a negative offset keeps its sign below one space.
TEST(MeasureNumberOffsets, WriteThreeFractionDigitsWithTheSign) {
    EXPECT_EQ(FormatMeasureNumberOffset(128), "1.000");
    EXPECT_EQ(FormatMeasureNumberOffset(-64), "-0.500");
    EXPECT_EQ(FormatMeasureNumberOffset(0), "0.000");
    EXPECT_EQ(FormatMeasureNumberOffset(1), "0.008");
    EXPECT_EQ(FormatMeasureNumberOffset(-kMaxMeasureNumberOffset), "-255.992");
}

// Every value in the range reads back as itself.
TEST(MeasureNumberOffsets, EveryOffsetRoundTrips) {
    EXPECT_EQ(ParseMeasureNumberOffset("1.000", 7), 128);
    EXPECT_EQ(ParseMeasureNumberOffset("-0.500", 7), -64);
    for (int32_t v = -kMaxMeasureNumberOffset; v <= kMaxMeasureNumberOffset; ++v)
        ASSERT_EQ(ParseMeasureNumberOffset(FormatMeasureNumberOffset(v), v + 1), v) << v;
}

// Short forms read; anything else keeps the old value; huge numbers clamp.
TEST(MeasureNumberOffsets, ReadsStrictlyAndClamps) {
    EXPECT_EQ(ParseMeasureNumberOffset(" 2 ", 7), 256);
    EXPECT_EQ(ParseMeasureNumberOffset(".5", 7), 64);
    EXPECT_EQ(ParseMeasureNumberOffset("-.25", 7), -32);
    EXPECT_EQ(ParseMeasureNumberOffset("3.", 7), 384);
    for (const char* text : {"", "-", ".", "1.2.3", "+1", "1,5", "abc", "1e3", "--1", "- 1"})
        EXPECT_EQ(ParseMeasureNumberOffset(text, 7), 7) << '"' << text << '"';
    EXPECT_EQ(ParseMeasureNumberOffset("99999999999999999999.9", 7), kMaxMeasureNumberOffset);
    EXPECT_EQ(ParseMeasureNumberOffset("-256", 7), -kMaxMeasureNumberOffset);
    EXPECT_EQ(ParseMeasureNumberOffset("0.00000000000000000001", 7), 0);
}

// Random typed texts give a value within the range, or the old one.
TEST(MeasureNumberOffsets, RandomTextsGiveARangedValueOrTheOldOne) {
    std::mt19937 random(863);
    const std::string alphabet = "0123456789-.  ,+e";
    for (int round = 0; round < 50000; ++round) {
        std::string text(random() % 40, ' ');
        for (char& c : text)
            c = round % 4 == 0 ? static_cast<char>(random() % 256)
                               : alphabet[random() % alphabet.size()];
        const int32_t value = ParseMeasureNumberOffset(text, 123456);
        if (value == 123456) continue;
        ASSERT_LE(value, kMaxMeasureNumberOffset) << text;
        ASSERT_GE(value, -kMaxMeasureNumberOffset) << text;
    }
}

}  // namespace
}  // namespace ql
