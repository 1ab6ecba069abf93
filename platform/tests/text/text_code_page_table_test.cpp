// Single-byte code pages read through their tables: every byte, alone and within
// text, decodes as iconv reads the whole text as a stream (undefined bytes as
// U+FFFD), and reading one code page leaves the others' readings unchanged.
#include <gtest/gtest.h>

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <string>

#include "platform/text/code_page.h"

namespace ql::text {
namespace {

constexpr uint16_t kTableCodePages[] = {874, 1250, 1251, 1252, 1253, 1254, 1256, 1257};
constexpr int kByteValues = 256;

// iconv's reading of the whole text in one stream, an undefined byte as U+FFFD.
std::u32string StreamReading(uint16_t codePage, std::string bytes) {
    std::string name = codePage == 874 ? "TIS-620" : "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open(std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE", name.c_str());
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << name;
    std::u32string out;
    char* in = bytes.data();
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char32_t buffer[16];
        char* outPtr = reinterpret_cast<char*>(buffer);
        size_t outLeft = sizeof buffer;
        size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, (sizeof buffer - outLeft) / sizeof(char32_t));
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            out.push_back(kReplacementCharacter);
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    return out;
}

TEST(CodePageTables, EveryByteReadsAsIconvReadsTheStream) {
    std::string every;
    for (int b = 0; b < kByteValues; ++b) every.push_back(static_cast<char>(b));
    std::string mixed = "Cm7" + every.substr(0x80) + "b5" + every.substr(0, 0x80);
    for (uint16_t codePage : kTableCodePages) {
        SCOPED_TRACE(codePage);
        EXPECT_EQ(DecodeCodePage(codePage, every), StreamReading(codePage, every));
        EXPECT_EQ(DecodeCodePage(codePage, mixed), StreamReading(codePage, mixed));
        EXPECT_EQ(DecodeCodePage(codePage, every.substr(0xC0, 1)), StreamReading(codePage, every.substr(0xC0, 1)));
        EXPECT_TRUE(DecodeCodePage(codePage, "").empty());
    }
    // Readings made after the others' tables are kept still differ by code page.
    EXPECT_NE(DecodeCodePage(1251, "\xC0"), DecodeCodePage(1252, "\xC0"));
    EXPECT_EQ(DecodeCodePage(1252, "\xC0"), U"\u00C0");
}

}  // namespace
}  // namespace ql::text
