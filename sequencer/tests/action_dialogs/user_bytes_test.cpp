// The user-bytes text of the MIDI Message dialog: hexadecimal pairs with blanks
// between, an odd last digit, the end at the first other character, the 256-character
// window and the 128-byte bound, also on seeded random texts of any bytes.
#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "sequencer/action_dialogs.h"

namespace ql {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(UserBytesTest, PairsDigitsAndEndsAtTheFirstOtherCharacter) {
    EXPECT_EQ(ReadUserBytes("F0 7e 7F 09 01 F7"), (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    EXPECT_EQ(ReadUserBytes("F0 7"), (Bytes{0xF0, 0x70}));
    // Blanks may split a pair; a character that is neither ends the reading.
    EXPECT_EQ(ReadUserBytes(" f 07e\t7x 12"), (Bytes{0xF0, 0x7E, 0x70}));
    EXPECT_TRUE(ReadUserBytes("").empty());
    EXPECT_TRUE(ReadUserBytes("g0 12").empty());
    // Only the first 256 characters are read: a digit at 256 is not seen.
    std::string text(255, ' ');
    text += "ab";
    EXPECT_EQ(ReadUserBytes(text), (Bytes{0xA0}));
    // 300 digit pairs keep the first 128 bytes.
    std::string many;
    for (int i = 0; i < 300; ++i) many += "5a";
    const Bytes bound = ReadUserBytes(many);
    EXPECT_EQ(bound, Bytes(128, 0x5A));
}

TEST(UserBytesTest, ShownTextReadsBackAsTheSameBytes) {
    const uint8_t data[] = {0x00, 0x0F, 0xF0, 0x7E, 0xFF};
    const std::string shown =
        FormatUserBytes(reinterpret_cast<const std::byte*>(data), sizeof data);
    EXPECT_EQ(shown, "00 0f f0 7e ff ");
    EXPECT_EQ(ReadUserBytes(shown), Bytes(std::begin(data), std::end(data)));
}

// Random texts of any bytes: never more than 128 bytes, and a text reads as its part
// before the first character that ends the reading.
TEST(UserBytesTest, RandomTextsStayBoundedAndReadAsTheirValidPrefix) {
    std::mt19937 random(46121);
    std::uniform_int_distribution<int> length(0, 4096);
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<int> anyByte(0, 255);
    const std::string digits = "0123456789abcdefABCDEF  ";
    std::uniform_int_distribution<size_t> digit(0, digits.size() - 1);
    for (int round = 0; round < 100000; ++round) {
        const int n = round % 10 == 0 ? length(random) : length(random) % 300;
        std::string text;
        text.reserve(static_cast<size_t>(n));
        // Mostly digits and blanks, so that long valid runs occur too.
        for (int i = 0; i < n; ++i)
            text += kind(random) == 0 ? static_cast<char>(anyByte(random)) : digits[digit(random)];
        const Bytes read = ReadUserBytes(text);
        ASSERT_LE(read.size(), kUserBytesMax) << round;
        size_t end = 0;
        while (end < text.size() && end < kUserBytesTextLimit &&
               (std::isxdigit(static_cast<unsigned char>(text[end])) ||
                std::isspace(static_cast<unsigned char>(text[end]))) &&
               text[end] != '\v' && text[end] != '\f')
            ++end;
        ASSERT_EQ(ReadUserBytes(text.substr(0, end)), read) << round;
    }
}

}  // namespace
}  // namespace ql
