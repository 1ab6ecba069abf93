// Chord-symbol texts of NIFF files read into root, accidental, quality and bass.
#include "interchange/niff/niff_chord_parser.h"

#include <gtest/gtest.h>

namespace ql::niff {
namespace {

TEST(NiffChordParser, ReadsRootsQualitiesAndBasses) {
    auto chord = ParseNiffChordSymbol("Am7");
    ASSERT_TRUE(chord);
    EXPECT_EQ(chord->root, 5);
    EXPECT_EQ(chord->quality, 5);

    chord = ParseNiffChordSymbol("C/E");
    ASSERT_TRUE(chord);
    EXPECT_EQ(chord->root, 0);
    EXPECT_EQ(chord->quality, 0);
    EXPECT_EQ(chord->bass, 2);

    chord = ParseNiffChordSymbol("F#dim");
    ASSERT_TRUE(chord);
    EXPECT_EQ(chord->root, 3);
    EXPECT_EQ(chord->accidental, 1);
    EXPECT_EQ(chord->quality, 6);

    chord = ParseNiffChordSymbol("C(add9)");
    ASSERT_TRUE(chord);
    EXPECT_EQ(chord->quality, 9);

    chord = ParseNiffChordSymbol("E@ maj7/B@");
    ASSERT_TRUE(chord);
    EXPECT_EQ(chord->root, 2);
    EXPECT_EQ(chord->accidental, 2);
    EXPECT_EQ(chord->quality, 4);
    EXPECT_EQ(chord->bass, 6);
    EXPECT_EQ(chord->bassAccidental, 2);

    EXPECT_EQ(ParseNiffChordSymbol("Gsus4")->quality, 10);
    EXPECT_EQ(ParseNiffChordSymbol("Dm")->quality, 1);
    EXPECT_EQ(ParseNiffChordSymbol("Bm7-5")->quality, 14);
}

// Only "@" means flat: "Bbmaj7" is no chord symbol; nor are empty texts or texts
// that do not start with a note letter.
TEST(NiffChordParser, RefusesWhatIsNoChordSymbol) {
    EXPECT_FALSE(ParseNiffChordSymbol("Bbmaj7"));
    EXPECT_FALSE(ParseNiffChordSymbol(""));
    EXPECT_FALSE(ParseNiffChordSymbol(" . "));
    EXPECT_FALSE(ParseNiffChordSymbol("Hm"));
    EXPECT_FALSE(ParseNiffChordSymbol("Cxyz"));
}

}  // namespace
}  // namespace ql::niff
