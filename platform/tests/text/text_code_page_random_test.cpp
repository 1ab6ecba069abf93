// Code pages fed random and damaged text: every decoder and encoder gives a result for
// any input, never reads past it, yields only real characters and loses no character
// at the end of a text. Fixed seeds, so every run feeds the same cases.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "platform/text/code_page.h"

namespace ql::text {
namespace {

constexpr int kCases = 1500;
constexpr size_t kLongestText = 48;
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr char16_t kSurrogateBits = 0x7FF;  // high and low surrogates alike
// Every code page of the character-set table, and one iconv does not know.
constexpr uint16_t kCodePages[] = {1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257,
                                   1258, 874,  932,  936,  949,  950,  1361, 61000};
constexpr uint16_t kSingleByteCodePages[] = {1250, 1251, 1252, 1253, 1254, 1256, 1257};

std::string RandomBytes(std::mt19937& random) {
    std::uniform_int_distribution<size_t> length(0, kLongestText);
    std::uniform_int_distribution<int> byte(0, 0xFF);
    std::string bytes(length(random), '\0');
    for (char& b : bytes) b = static_cast<char>(byte(random));
    return bytes;
}

bool IsScalarValue(char32_t c) {
    return c <= kLastCodePoint && (c < kSurrogateFirst || c > kSurrogateLast);
}

bool AllScalarValues(const std::u32string& text) {
    for (char32_t c : text)
        if (!IsScalarValue(c)) return false;
    return true;
}

// Any bytes decode to real characters, never more than one per byte, and nothing
// but an empty text decodes to nothing.
TEST(CodePageRandomInput, AnyBytesDecodeToAtMostOneCharacterPerByte) {
    std::mt19937 random(0xC0DE01);
    for (uint16_t codePage : kCodePages) {
        for (int i = 0; i < kCases / 4; ++i) {
            std::string bytes = RandomBytes(random);
            std::u32string text = DecodeCodePage(codePage, bytes);
            ASSERT_LE(text.size(), bytes.size()) << codePage;
            ASSERT_EQ(text.empty(), bytes.empty()) << codePage;
            ASSERT_TRUE(AllScalarValues(text)) << codePage;
        }
    }
}

// The last character of a text survives, whatever damage comes before it: a line
// break ends any cut-off pair and the letter after it is the text's last character.
TEST(CodePageRandomInput, LastCharacterIsNeverLost) {
    std::mt19937 random(0xC0DE02);
    for (uint16_t codePage : kCodePages) {
        for (int i = 0; i < kCases / 4; ++i) {
            std::u32string text = DecodeCodePage(codePage, RandomBytes(random) + "\nz");
            ASSERT_GE(text.size(), 2u) << codePage;
            EXPECT_EQ(text.substr(text.size() - 2), U"\nz") << codePage;
        }
    }
}

// Decoding keeps no state between texts: a text cut inside a pair or before a
// combining mark changes nothing in the next text decoded.
TEST(CodePageRandomInput, CutOffTextLeavesTheNextDecodeAlone) {
    std::mt19937 random(0xC0DE03);
    for (uint16_t codePage : kCodePages) {
        for (int i = 0; i < kCases / 8; ++i) {
            std::string next = RandomBytes(random);
            std::u32string alone = DecodeCodePage(codePage, next);
            DecodeCodePage(codePage, RandomBytes(random) + "\x82");
            ASSERT_EQ(DecodeCodePage(codePage, next), alone) << codePage;
        }
    }
}

// Characters held back for a combining mark come out before the mark of a bad byte
// that follows them, and at the end of the text.
TEST(CodePageRandomInput, HeldBackCharactersKeepTheirPlace) {
    EXPECT_EQ(DecodeCodePage(1258, "a"), U"a");
    EXPECT_EQ(DecodeCodePage(1258, "abc"), U"abc");
    EXPECT_EQ(DecodeCodePage(1255, "\xE0"), U"\u05D0");
    EXPECT_EQ(DecodeCodePage(1255, "\xE0\xFF"), U"\u05D0\uFFFD");
    EXPECT_EQ(DecodeCodePage(1258, "a\xCC"), U"\u00E0") << "a mark still combines";
}

// Random UTF-16 units decode to real characters and encode back to as many units,
// unchanged but for lone surrogates.
TEST(CodePageRandomInput, RandomUtf16UnitsSurviveARoundTrip) {
    std::mt19937 random(0xC0DE04);
    std::uniform_int_distribution<int> unit(0, 0xFFFF);
    std::uniform_int_distribution<int> surrogateBias(0, 1);
    for (int i = 0; i < kCases; ++i) {
        std::u16string units(random() % kLongestText, u'\0');
        for (char16_t& u : units) {
            u = static_cast<char16_t>(unit(random));
            // Every other unit a surrogate, so lone and paired ones are common.
            if (surrogateBias(random) != 0)
                u = static_cast<char16_t>(kSurrogateFirst | (u & kSurrogateBits));
        }
        std::u32string text = DecodeUtf16(units);
        ASSERT_TRUE(AllScalarValues(text));
        std::u16string back = EncodeUtf16(text);
        ASSERT_EQ(back.size(), units.size());
        for (size_t k = 0; k < units.size(); ++k)
            if (back[k] != units[k]) {
                ASSERT_EQ(back[k], u'\uFFFD') << "only lone surrogates change";
            }
    }
}

// Any 32-bit values encode to well-formed UTF-16: values that are no characters
// come back as U+FFFD, the rest unchanged.
TEST(CodePageRandomInput, AnyValuesEncodeToWellFormedUtf16) {
    std::mt19937 random(0xC0DE05);
    for (int i = 0; i < kCases; ++i) {
        std::u32string values(random() % kLongestText, U'\0');
        for (char32_t& v : values) v = static_cast<char32_t>(random() >> (random() % 24));
        std::u32string back = DecodeUtf16(EncodeUtf16(values));
        ASSERT_EQ(back.size(), values.size());
        for (size_t k = 0; k < values.size(); ++k)
            ASSERT_EQ(back[k], IsScalarValue(values[k]) ? values[k] : kReplacementCharacter);
    }
}

// Random characters encode to at least one byte each in every code page; in a
// single-byte code page a conversion reported lossless decodes back unchanged.
TEST(CodePageRandomInput, EncodingAnyCharactersIsBoundedAndHonest) {
    std::mt19937 random(0xC0DE06);
    std::uniform_int_distribution<int> latin(0x20, 0x17F);
    for (uint16_t codePage : kCodePages) {
        for (int i = 0; i < kCases / 8; ++i) {
            std::u32string text(random() % kLongestText, U'\0');
            for (char32_t& c : text) c = static_cast<char32_t>(latin(random));
            bool lossless = false;
            std::string bytes = EncodeCodePage(codePage, text, '?', &lossless);
            ASSERT_GE(bytes.size(), text.size()) << codePage;
        }
    }
    for (uint16_t codePage : kSingleByteCodePages) {
        for (int i = 0; i < kCases / 8; ++i) {
            std::u32string text(random() % kLongestText, U'\0');
            for (char32_t& c : text) c = static_cast<char32_t>(latin(random));
            bool lossless = false;
            std::string bytes = EncodeCodePage(codePage, text, '?', &lossless);
            ASSERT_EQ(bytes.size(), text.size()) << codePage;
            if (lossless) { ASSERT_EQ(DecodeCodePage(codePage, bytes), text) << codePage; }
        }
    }
}

}  // namespace
}  // namespace ql::text
