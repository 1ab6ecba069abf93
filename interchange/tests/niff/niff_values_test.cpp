// Numbers a NIFF import derives: note values, measure spacing, the majority time
// signature with its limits, staff counts and sizes, tempo glyphs and titles.
#include "interchange/niff/niff_values.h"

#include <gtest/gtest.h>

#include <vector>

namespace ql::niff {
namespace {

TEST(NiffValues, DurationsBecomeNoteValues) {
    const auto check = [](int n, int d, int code, int dots) {
        const NiffNoteValue value = NiffDurationToNoteValue(n, d);
        EXPECT_EQ(value.code, code) << n << "/" << d;
        EXPECT_EQ(value.dots, dots) << n << "/" << d;
    };
    check(1, 4, 10, 0);
    check(3, 8, 10, 1);
    check(7, 16, 10, 2);
    check(1, 256, 4, 0);
    check(1, 1, 12, 0);
    check(2, 8, 10, 0);
    check(1, 4096, 4, 0);  // exponents are clamped
    check(15, 16, 11, 3);  // a triple-dotted half
    // A triplet eighth: 1/12 scaled by 3:2 is an eighth.
    EXPECT_EQ(NiffDurationToNoteValue(1, 12, 3, 2).code, 9);
}

// Ratios of their own keep their terms; a term past fifteen takes the nearest ratio
// that fits whose notes are no longer than the file's.
TEST(NiffValues, TupletRatiosFitTheirFourBitTerms) {
    const struct {
        int actual, normal, fittedActual, fittedNormal;
    } cases[] = {{7, 5, 7, 5}, {13, 8, 13, 8}, {15, 14, 15, 14}, {17, 3, 6, 1}, {17, 16, 15, 14}, {31, 4, 8, 1},
                 {3, 17, 2, 11}, {64, 1, 15, 1}};
    for (const auto& c : cases) {
        const NiffTupletFields fields = NiffTupletOf(c.actual, c.normal);
        EXPECT_EQ(fields.kind, 2) << c.actual << ":" << c.normal;
        EXPECT_EQ(fields.value >> 4, c.fittedActual) << c.actual << ":" << c.normal;
        EXPECT_EQ(fields.value & 0x0F, c.fittedNormal) << c.actual << ":" << c.normal;
    }
    // Seventeen eighths played in the time of three are still eighths.
    EXPECT_EQ(NiffDurationToNoteValue(3, 136, 17, 3).code, 9);
}

TEST(NiffValues, MeasureSpacingFollowsTheLength) {
    EXPECT_EQ(MeasureSpacingForLength(0).factor, 2816);
    EXPECT_EQ(MeasureSpacingForLength(0).width, 4096);
    EXPECT_EQ(MeasureSpacingForLength(256).factor, 2816);
    EXPECT_EQ(MeasureSpacingForLength(256).width, 16 * 2816 / 256);
    EXPECT_EQ(MeasureSpacingForLength(4096).factor, 2816);
    EXPECT_EQ(MeasureSpacingForLength(4096).width, 256 * 2816 / 256);
}

NiffDerivedSignature Derive(std::vector<int> lengths) {
    return DeriveNiffTimeSignature(lengths);
}

TEST(NiffValues, TheMajorityLengthGivesTheTimeSignature) {
    NiffDerivedSignature s = Derive({3072, 3072, 2048});
    EXPECT_EQ(s.numerator, 3);
    EXPECT_EQ(s.exponent, 10);
    s = Derive({3328});
    EXPECT_EQ(s.numerator, 13);
    EXPECT_EQ(s.exponent, 8);
    s = Derive({3584});
    EXPECT_EQ(s.numerator, 7);
    EXPECT_EQ(s.exponent, 9);
    s = Derive({3200});
    EXPECT_EQ(s.numerator, 25);
    EXPECT_EQ(s.exponent, 7);
    s = Derive({4000, 4096});  // 4000 rounds up to 4096
    EXPECT_EQ(s.numerator, 4);
    // A tie goes to the length that first appears latest.
    s = Derive({2048, 3072, 3072, 2048});
    EXPECT_EQ(s.majorityTicks, 3072);
    EXPECT_EQ(Derive({4096, 4096, 4096}).numerator, 4);
}

TEST(NiffValues, DerivedSignaturesOutsideTheLimitsKeepTheLengths) {
    NiffDerivedSignature s = Derive({16896, 16896});  // 33/8
    EXPECT_TRUE(s.keepLengths);
    EXPECT_EQ(s.numerator, 4);
    EXPECT_EQ(s.exponent, 10);
    EXPECT_TRUE(Derive({36864}).keepLengths);
    EXPECT_TRUE(Derive({384}).keepLengths);
    s = Derive({24576});
    EXPECT_FALSE(s.keepLengths);
    EXPECT_EQ(s.numerator, 24);
    EXPECT_EQ(s.exponent, 10);
}

TEST(NiffValues, StaffCountsAndSizes) {
    EXPECT_EQ(NiffStaffCount(std::vector<int>{2, 1, 1}), 4);
    EXPECT_EQ(NiffStaffCount(std::vector<int>{20, 20, 10}), 44);
    EXPECT_EQ(NiffStaffCount(std::vector<int>{}), 1);
    EXPECT_EQ(NiffStaffSizePercent(256, 256, 0), 100);
    EXPECT_EQ(NiffStaffSizePercent(220, 256, 0), 100);  // at least 0.85 of the tallest
    EXPECT_EQ(NiffStaffSizePercent(192, 256, 0), 75);
    EXPECT_EQ(NiffStaffSizePercent(192, 256, 80), 80);  // never below its present size
    EXPECT_EQ(NiffStaffSizePercent(64, 256, 0), 50);
}

TEST(NiffValues, TempoGlyphsAndTitles) {
    EXPECT_EQ(NiffTempoGlyph(NiffDurationToNoteValue(3, 8)), 241);
    EXPECT_EQ(NiffTempoGlyph(NiffDurationToNoteValue(1, 8)), 243);
    EXPECT_EQ(NiffTempoGlyph(NiffDurationToNoteValue(1, 2)), 237);
    EXPECT_EQ(NiffTempoGlyph(NiffDurationToNoteValue(1, 16)), 0);
    EXPECT_EQ(NiffTempoGlyph(NiffDurationToNoteValue(7, 16)), 0);
    EXPECT_EQ(NiffTempoTextGlyph("poco rit."), 176);
    EXPECT_EQ(NiffTempoTextGlyph("Accel."), 175);
    EXPECT_EQ(NiffTempoTextGlyph("Allegro"), 0);
    EXPECT_EQ(NiffImportTitle("/home/u/a.b.nif"), "a.b_NIFF");
    EXPECT_EQ(NiffImportTitle("/tmp/x.y/$temp.nif"), "$temp_NIFF");
    EXPECT_EQ(NiffImportTitle("plain"), "plain_NIFF");
}

}  // namespace
}  // namespace ql::niff
