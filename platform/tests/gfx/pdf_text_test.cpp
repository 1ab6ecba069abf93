// The numbers, names and strings of the PDF files the program writes.
#include <gtest/gtest.h>

#include <string>

#include "platform/gfx/detail/pdf_document.h"
#include "platform/gfx/detail/pdf_text.h"

namespace ql::gfx::detail {
namespace {

struct FixedCase {
    double value;
    int decimals;
    const char* text;
};

TEST(PdfText, NumbersAreWrittenShortAndExact) {
    const std::pair<int64_t, const char*> whole[] = {
        {0, "0 "}, {7, "7 "}, {-7, "-7 "}, {1234567, "1234567 "}, {INT64_MIN, "-9223372036854775808 "}};
    for (const auto& [value, text] : whole) {
        PdfText out;
        out.Int(value);
        EXPECT_EQ(out.bytes(), text) << value;
    }
    const FixedCase fixed[] = {
        {0.0, 3, "0 "},       {1.5, 3, "1.5 "},     {-0.25, 3, "-.25 "},   {0.0012, 6, ".0012 "},
        {2.0004, 3, "2 "},    {-2.0006, 3, "-2.001 "}, {612.0, 3, "612 "}, {100.0 / 3, 2, "33.33 "},
        {1e13, 3, "10000000000000 "}, {0.1, 9, ".1 "}, {-0.0001, 3, "0 "},
    };
    for (const FixedCase& c : fixed) {
        PdfText out;
        out.Fixed(c.value, c.decimals);
        EXPECT_EQ(out.bytes(), c.text) << c.value;
    }
}

TEST(PdfText, ColoursNamesAndStringsAreEscaped) {
    const std::pair<uint32_t, const char*> channels[] = {{0, "0 "}, {255, "1 "}, {128, ".502 "}, {51, ".2 "}};
    for (const auto& [value, text] : channels) {
        PdfText out;
        out.Channel(value);
        EXPECT_EQ(out.bytes(), text) << value;
    }
    PdfText out;
    out.Hex4(0x1F).Char(' ').Name("Liberation Serif#1").Char(' ').String("a(b)\\c\n\xE9");
    EXPECT_EQ(out.bytes(), "001F /Liberation#20Serif#231 (a\\(b\\)\\\\c\\012\\351)");
    PdfText unicode;
    unicode.Utf16Hex(0xE9).Utf16Hex(0x1D11E);
    EXPECT_EQ(unicode.bytes(), "00E9D834DD1E");
    PdfText title;
    WriteTextString("Sonate \xC3\xA9", title);
    EXPECT_EQ(title.bytes(), "<FEFF0053006F006E0061007400650020" "00E9>");
    PdfText plain;
    WriteTextString("Sonata (1)", plain);
    EXPECT_EQ(plain.bytes(), "(Sonata \\(1\\))");
}

}  // namespace
}  // namespace ql::gfx::detail
