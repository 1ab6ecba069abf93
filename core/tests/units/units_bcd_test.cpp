// Measurement words: parsing, formatting and unit conversions of the distance form
// (dd.dd) and the fine form (d.ddd), independent of the process locale.
#include <gtest/gtest.h>

#include <string>

#include "core/state.h"
#include "core/units/units.h"
#include "platform/ui/headless.h"

namespace ql {
namespace {

class UnitsBcdTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ui::headless::ResetUi();
    }
};

std::string DistanceText(BcdInches word) {
    char text[kBcdTextBytes];
    BcdInchesToText(word, text, sizeof text);
    return text;
}

std::string FineText(BcdInches word) {
    char text[kBcdTextBytes];
    BcdFineToText(word, text, sizeof text);
    return text;
}

// True when every nibble of the word is a decimal digit.
bool IsValidBcd(BcdInches word) {
    for (int shift = 0; shift < 16; shift += 4) {
        if (((word >> shift) & 0xF) > 9) return false;
    }
    return true;
}

// Parsing the distance form accepts both separators and pads missing digits.
TEST_F(UnitsBcdTest, DistanceTextParsesWithPointOrComma) {
    EXPECT_EQ(TextToBcdInches("8.5"), 0x0850);
    EXPECT_EQ(TextToBcdInches("12,25"), 0x1225);
    EXPECT_EQ(TextToBcdInches("3"), 0x0300);
    EXPECT_EQ(TextToBcdInches(".75"), 0x0075);
    EXPECT_EQ(TextToBcdInches(""), 0x0000);
    EXPECT_EQ(TextToBcdInches(nullptr), 0x0000);
}

// Values of 100 or more lose their leading digits; extra decimals are ignored.
TEST_F(UnitsBcdTest, DistanceTextKeepsTwoDigitsEachSide) {
    EXPECT_EQ(TextToBcdInches("123.45"), 0x2345);
    EXPECT_EQ(TextToBcdInches("1.2399"), 0x0123);
}

// No character after the sixth of the text is read as a decimal.
TEST_F(UnitsBcdTest, DistanceTextReadsNoFurtherThanSixCharacters) {
    EXPECT_EQ(TextToBcdInches("12345.6"), 0x4500);
    EXPECT_EQ(TextToBcdInches("1234.56"), 0x3450);
}

// Stray characters (signs, letters, blanks) never produce a nibble above 9.
TEST_F(UnitsBcdTest, NonDigitCharactersCountAsZero) {
    EXPECT_EQ(TextToBcdInches("-1.5"), 0x0150);
    EXPECT_EQ(TextToBcdInches(" 7.x"), 0x0700);
    EXPECT_TRUE(IsValidBcd(TextToBcdInches("a?.:;")));
}

// The distance form prints two decimals and drops a leading zero digit.
TEST_F(UnitsBcdTest, DistanceWordFormatsAsText) {
    EXPECT_EQ(DistanceText(0x0850), "8.50");
    EXPECT_EQ(DistanceText(0x1225), "12.25");
    EXPECT_EQ(DistanceText(0x0005), "0.05");
    EXPECT_EQ(DistanceText(0x9999), "99.99");
}

// A buffer too small for the text gets a truncated, terminated copy.
TEST_F(UnitsBcdTest, DistanceTextNeverOverrunsTheBuffer) {
    char small[4] = {'x', 'x', 'x', 'x'};
    BcdInchesToText(0x1225, small, sizeof small);
    EXPECT_STREQ(small, "12.");
}

// A word from a damaged file (nibbles above 9) still formats as digits.
TEST_F(UnitsBcdTest, InvalidNibblesFormatAsNine) {
    EXPECT_EQ(DistanceText(0x0A5F), "9.59");
    EXPECT_DOUBLE_EQ(BcdInchesToFloat(0x0A5F), 9.59);
}

// Every valid distance word survives text and back unchanged.
TEST_F(UnitsBcdTest, DistanceTextRoundTripsEveryWord) {
    for (uint32_t w = 0; w <= 0xFFFF; ++w) {
        auto word = static_cast<BcdInches>(w);
        if (!IsValidBcd(word)) continue;
        ASSERT_EQ(TextToBcdInches(DistanceText(word).c_str()), word) << DistanceText(word);
    }
}

// The fine form: one digit and three decimals, both ways.
TEST_F(UnitsBcdTest, FineFormParsesAndFormats) {
    EXPECT_EQ(ParseDecimalText("0.5"), 0x0500);
    EXPECT_EQ(ParseDecimalText("2,125"), 0x2125);
    EXPECT_EQ(ParseDecimalText(".25"), 0x0250);
    EXPECT_EQ(FineText(0x0500), "0.500");
    EXPECT_EQ(FineText(0x2125), "2.125");
}

// Fine words convert to logical units at 128 per unit, truncated.
TEST_F(UnitsBcdTest, FineFormConvertsToUnits) {
    EXPECT_EQ(PointsToUnits(0x0500), 64);
    EXPECT_EQ(PointsToUnits(0x1000), 128);
    EXPECT_EQ(PointsToUnits(0x0001), 0);  // 0.128 truncates to 0
    EXPECT_EQ(UnitsToBcdFine(64), 0x0500);
    EXPECT_EQ(UnitsToBcdFine(160), 0x1250);
}

// Logical units become distance words at 128 per unit.
TEST_F(UnitsBcdTest, UnitsConvertToDistanceWords) {
    EXPECT_EQ(UnitsToBcdInches(1088), 0x0850);
    EXPECT_EQ(UnitsToBcdInches(0), 0x0000);
    EXPECT_EQ(FormatFloatG(8.5), 0x0850);
    EXPECT_EQ(FormatFloatG(8.499), 0x0850);  // + 0.005 rounds to hundredths
}

// One inch is 2.54 cm; 2.54 cm back is one inch.
TEST_F(UnitsBcdTest, InchesAndCentimetresConvert) {
    EXPECT_EQ(BcdInchesToCm(0x0100), 0x0254);
    EXPECT_EQ(BcdCmToInches(0x0254), 0x0100);
    EXPECT_EQ(BcdInchesToCm(0x0850), 0x2159);
    EXPECT_EQ(BcdCmToInches(0x2100), 0x0827);
}

// Inches -> cm -> inches stays within one hundredth for every word below 100 cm.
TEST_F(UnitsBcdTest, InchesRoundTripThroughCentimetresWithinAUnit) {
    for (uint32_t w = 0; w <= 0x3937; ++w) {
        auto word = static_cast<BcdInches>(w);
        if (!IsValidBcd(word)) continue;
        BcdInches back = BcdCmToInches(BcdInchesToCm(word));
        ASSERT_NEAR(BcdInchesToFloat(back), BcdInchesToFloat(word), 0.0101) << std::hex << w;
    }
}

// Cm -> inches -> cm moves a value by no more than an inch hundredth (0.0254 cm)
// rounded to cm hundredths: 0.03.
TEST_F(UnitsBcdTest, CentimetresRoundTripThroughInchesWithinAnInchHundredth) {
    for (uint32_t w = 0; w <= 0x9999; ++w) {
        auto word = static_cast<BcdInches>(w);
        if (!IsValidBcd(word)) continue;
        BcdInches back = BcdInchesToCm(BcdCmToInches(word));
        ASSERT_NEAR(BcdInchesToFloat(back), BcdInchesToFloat(word), 0.0301) << std::hex << w;
    }
}

// 40 inches would be 101.6 cm: clamped to 99.99 with a beep and a status notice.
TEST_F(UnitsBcdTest, CentimetresOfOneHundredOrMoreAreClamped) {
    EXPECT_EQ(BcdInchesToCm(0x4000), kMaxBcdDistance);
    ASSERT_EQ(ui::headless::Beeps().size(), 1u);
    EXPECT_EQ(BcdInchesToCm(0x3937), 0x9999);  // 99.9998 rounds up to 100 too
    EXPECT_EQ(ui::headless::Beeps().size(), 2u);
    EXPECT_EQ(BcdInchesToCm(0x3936), 0x9998);  // the largest that fits
    EXPECT_EQ(ui::headless::Beeps().size(), 2u);
}

// A record of four words converts each low half and clears the upper halves.
TEST_F(UnitsBcdTest, RecordConversionClearsUpperHalves) {
    uint32_t record[4] = {0xABCD0100, 0x00000850, 0x12340000, 0x00010254};
    BcdRecordInchesToCm(record);
    EXPECT_EQ(record[0], 0x0254u);
    EXPECT_EQ(record[1], 0x2159u);
    EXPECT_EQ(record[2], 0x0000u);
    EXPECT_EQ(record[3], 0x0645u);
    BcdRecordCmToInches(record);
    EXPECT_EQ(record[0], 0x0100u);
    EXPECT_EQ(record[1], 0x0850u);
}

}  // namespace
}  // namespace ql
