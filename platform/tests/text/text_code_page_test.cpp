// Code pages: which code page a character set reads with, and decoding of 8-bit
// and UTF-16 text, including bytes and units that cannot be decoded.
#include <gtest/gtest.h>

#include "platform/text/code_page.h"

namespace ql::text {
namespace {

// Character sets map to their code pages; sets without one read as Western.
TEST(CodePages, CharsetsMapToTheirCodePages) {
    EXPECT_EQ(CodePageOfCharset(0), 1252);
    EXPECT_EQ(CodePageOfCharset(238), 1250);
    EXPECT_EQ(CodePageOfCharset(204), 1251);
    EXPECT_EQ(CodePageOfCharset(161), 1253);
    EXPECT_EQ(CodePageOfCharset(162), 1254);
    EXPECT_EQ(CodePageOfCharset(186), 1257);
    EXPECT_EQ(CodePageOfCharset(128), 932);
    EXPECT_EQ(CodePageOfCharset(136), 950);
    EXPECT_EQ(CodePageOfCharset(77), 1252);
    EXPECT_EQ(CodePageOfCharset(1), 1252);
}

// Western bytes above 127 decode to their own characters, not to Latin-1's.
TEST(CodePages, WesternHighBytesDecode) {
    EXPECT_EQ(DecodeCodePage(1252, "caf\xE9"), U"caf\u00E9");
    EXPECT_EQ(DecodeCodePage(1252, "\x80"), U"\u20AC");
    EXPECT_EQ(DecodeCodePage(1252, "\x93q\x94"), U"\u201Cq\u201D");
}

// Other single-byte code pages read the same byte differently.
TEST(CodePages, SingleByteCodePagesDiffer) {
    EXPECT_EQ(DecodeCodePage(1251, "\xC0"), U"\u0410");
    EXPECT_EQ(DecodeCodePage(1250, "\x8A"), U"\u0160");
    EXPECT_EQ(DecodeCodePage(1253, "\xE1"), U"\u03B1");
}

// Double-byte code pages give one character per pair.
TEST(CodePages, DoubleByteTextGivesOneCharacterPerPair) {
    EXPECT_EQ(DecodeCodePage(932,
                             "\x82\xA0"
                             "A"),
              U"\u3042A");
}

// Bytes a code page leaves undefined, and a pair cut short, become U+FFFD and
// never stop the rest of the text from decoding.
TEST(CodePages, UndecodableBytesBecomeReplacementCharacters) {
    EXPECT_EQ(DecodeCodePage(1252,
                             "a\x81"
                             "b"),
              U"a\uFFFDb");
    EXPECT_EQ(DecodeCodePage(932, "A\x82"), U"A\uFFFD");
    EXPECT_EQ(DecodeCodePage(1252, ""), U"");
}

// UTF-16 surrogate pairs combine; lone surrogates are replaced.
TEST(CodePages, Utf16DecodesPairsAndReplacesLoneSurrogates) {
    EXPECT_EQ(DecodeUtf16(u"a\u00E9"), U"a\u00E9");
    EXPECT_EQ(DecodeUtf16(u"\xD834\xDD1E"), U"\U0001D11E");
    EXPECT_EQ(DecodeUtf16(std::u16string(1, u'\xD834') + u"x"), U"\uFFFDx");
    EXPECT_EQ(DecodeUtf16(std::u16string(1, u'\xDD1E')), U"\uFFFD");
}

// Characters are written back into a code page; those it lacks become the default
// character and the conversion reports the loss.
TEST(CodePages, EncodingWritesCodePageBytesAndReportsLoss) {
    bool lossless = false;
    EXPECT_EQ(Utf16ToCodePage(1252, u"\u00E9\u20AC", '?', &lossless), "\xE9\x80");
    EXPECT_TRUE(lossless);
    EXPECT_EQ(Utf16ToCodePage(1252, u"a\u4E2D", '?', &lossless), "a?");
    EXPECT_FALSE(lossless);
    EXPECT_EQ(Utf16ToCodePage(1251, u"\u0410"), "\xC0");
    EXPECT_EQ(Utf16ToCodePage(932, u"\u3042A"), "\x82\xA0" "A");
}

// Bytes survive a trip through UTF-16 and back in every table code page.
TEST(CodePages, CodePageTextRoundTripsThroughUtf16) {
    for (uint16_t codePage : {1250, 1251, 1252, 1253, 1254, 1257}) {
        std::string bytes = "Az\xC0\xE9\xF0";
        EXPECT_EQ(Utf16ToCodePage(codePage, CodePageToUtf16(codePage, bytes)), bytes) << codePage;
    }
}

// Characters beyond the basic plane become surrogate pairs; non-characters are replaced.
TEST(CodePages, Utf16EncodingMakesSurrogatePairs) {
    EXPECT_EQ(EncodeUtf16(U"\U0001D11E"), u"\xD834\xDD1E");
    EXPECT_EQ(EncodeUtf16(std::u32string(1, char32_t{0x110000})), u"\uFFFD");
    EXPECT_EQ(EncodeUtf16(std::u32string(1, char32_t{0xD800})), u"\uFFFD");
}

}  // namespace
}  // namespace ql::text
