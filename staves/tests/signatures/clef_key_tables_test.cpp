// Where clefs and key-signature accidentals stand: the accidentals of a key under
// each clef (with the clefs' octave corrections), the naturals that cancel a key,
// and the step order of the clef kinds.
#include "staves/clef_key_tables.h"

#include <gtest/gtest.h>

#include <vector>

#include "notes/pitch/pitch_vocabulary.h"
#include "staves/clef_changes.h"

namespace ql {
namespace {

constexpr int kTreble = 0, kTenor = 1, kAlto = 2, kBass = 3, kBaritone = 4, kPercussion = 5;
constexpr int kBass8vb = 9, kSoprano = 10, kTab = 11, kMezzo = 12, kModernTenor = 13;
constexpr int kBaritoneC = 14;
constexpr int kSevenFlats = 0, kTwoFlats = 5, kOneSharp = 8, kTwoSharps = 9, kThreeSharps = 10;
constexpr int kSevenSharps = 14;

std::vector<int> Positions(int clef, int key) {
    std::vector<int> out;
    for (int i = 0; i < KeyAccidentalCount(key); ++i) out.push_back(KeyAccidentalPosition(clef, key, i));
    return out;
}

// Treble staff: sharps F C G D A E B from the top line, flats B E A D G C F.
TEST(KeyAccidentalPositions, TrebleStaffReadsTheTable) {
    EXPECT_EQ(Positions(kTreble, kSevenSharps), (std::vector<int>{-8, -5, -9, -6, -3, -7, -4}));
    EXPECT_EQ(Positions(kTreble, kSevenFlats), (std::vector<int>{-4, -7, -3, -6, -2, -5, -1}));
    // A key with fewer accidentals takes the first ones of its row.
    EXPECT_EQ(Positions(kTreble, kTwoFlats), (std::vector<int>{-4, -7}));
    // Percussion reads as treble.
    EXPECT_EQ(Positions(kPercussion, kTwoSharps), Positions(kTreble, kTwoSharps));
}

// Other clefs move the row with their lines: the F sharp on the bass clef's fourth
// line, on the alto clef's top space, on the baritone clef's middle line.
TEST(KeyAccidentalPositions, ClefsShiftTheRow) {
    EXPECT_EQ(KeyAccidentalPosition(kBass, kOneSharp, 0), -6);
    EXPECT_EQ(KeyAccidentalPosition(kBass8vb, kOneSharp, 0), -6);
    EXPECT_EQ(KeyAccidentalPosition(kAlto, kOneSharp, 0), -7);
    EXPECT_EQ(KeyAccidentalPosition(kBaritone, kOneSharp, 0), -4);
    EXPECT_EQ(KeyAccidentalPosition(kMezzo, kTwoFlats, 1), -7 + 3);
    // A clef code out of range reads as treble.
    EXPECT_EQ(KeyAccidentalPosition(15, kOneSharp, 0), -8);
}

// Octave corrections keep signatures on the staff.
TEST(KeyAccidentalPositions, OctaveCorrectionsPerClef) {
    // Tenor: the first and third sharps an octave down (F on the second line).
    EXPECT_EQ(Positions(kTenor, kThreeSharps), (std::vector<int>{-9 + 7, -6, -10 + 7}));
    // Tenor flats are not corrected.
    EXPECT_EQ(KeyAccidentalPosition(kTenor, kSevenFlats, 0), -5);
    // Soprano: flats 1, 3, 5, 7 and sharps 5, 7 an octave up.
    EXPECT_EQ(Positions(kSoprano, kSevenFlats),
              (std::vector<int>{1 - 7, -2, 2 - 7, -1, 3 - 7, 0, 4 - 7}));
    EXPECT_EQ(Positions(kSoprano, kSevenSharps),
              (std::vector<int>{-3, 0, -4, -1, 2 - 7, -2, 1 - 7}));
    // Mezzo Soprano like Soprano.
    EXPECT_EQ(KeyAccidentalPosition(kMezzo, kSevenFlats, 0), -4 + 3 - 7);
    EXPECT_EQ(KeyAccidentalPosition(kMezzo, kSevenSharps, 4), -3 + 3 - 7);
    // Second Baritone form: flats 2, 4, 6 and sharps 1-4 and 6 an octave down.
    EXPECT_EQ(Positions(kBaritoneC, kSevenFlats),
              (std::vector<int>{-7, -10 + 7, -6, -9 + 7, -5, -8 + 7, -4}));
    EXPECT_EQ(Positions(kBaritoneC, kSevenSharps),
              (std::vector<int>{-11 + 7, -8 + 7, -12 + 7, -9 + 7, -6, -10 + 7, -7}));
}

// Naturals: the old key's accidentals that the new key no longer has.
TEST(CancelledAccidentals, SameSideOppositeSideAndNone) {
    // Three sharps to one: the second and third sharps.
    EXPECT_EQ(CancelledAccidentals(kThreeSharps, kOneSharp).first, 1);
    EXPECT_EQ(CancelledAccidentals(kThreeSharps, kOneSharp).end, 3);
    // Two sharps to two flats: both sharps.
    EXPECT_EQ(CancelledAccidentals(kTwoSharps, kTwoFlats).first, 0);
    EXPECT_EQ(CancelledAccidentals(kTwoSharps, kTwoFlats).end, 2);
    // Seven sharps to C: seven naturals.
    EXPECT_EQ(CancelledAccidentals(kSevenSharps, kKeyCodeCount / 2).end, 7);
    // Adding accidentals of the same kind, or starting from C: none.
    const NaturalRange adding = CancelledAccidentals(kOneSharp, kThreeSharps);
    EXPECT_EQ(adding.first, adding.end);
    const NaturalRange fromC = CancelledAccidentals(kNoAccidentalsKey, kTwoFlats);
    EXPECT_EQ(fromC.first, fromC.end);
    // Codes out of range: none.
    const NaturalRange bad = CancelledAccidentals(15, kOneSharp);
    EXPECT_EQ(bad.first, bad.end);
}

TEST(KeyAccidentalGlyph, SharpFlatOrNone) {
    EXPECT_EQ(KeyAccidentalGlyph(kOneSharp), kKeySharpGlyph);
    EXPECT_EQ(KeyAccidentalGlyph(kSevenFlats), kKeyFlatGlyph);
    EXPECT_EQ(KeyAccidentalGlyph(kNoAccidentalsKey), 0);
    EXPECT_EQ(KeyAccidentalGlyph(15), 0);
}

// Clef glyphs: ':' + kind up to 9, the alto glyph moved for the C clefs from 10 on;
// each places the line it names.
TEST(ClefGlyphs, GlyphShiftAndReferenceLine) {
    EXPECT_EQ(ClefGlyphOf(kTreble), ':');
    EXPECT_EQ(ClefGlyphOf(kBass8vb), ':' + 9);
    EXPECT_EQ(ClefGlyphOf(kSoprano), ':' + kAlto);
    EXPECT_EQ(ClefGlyphOf(kBaritoneC), ':' + kAlto);
    EXPECT_EQ(ClefGlyphOf(99), ':');  // out of range: treble
    // The alto glyph's C (middle line, -4) moved onto each kind's line.
    for (int kind : {kSoprano, kMezzo, kModernTenor, kBaritoneC})
        EXPECT_EQ(ClefReferencePosition(kAlto) + ClefGlyphShift(kind), ClefReferencePosition(kind))
            << kind;
    EXPECT_EQ(ClefReferencePosition(kTreble), -2);  // G on the second line
    EXPECT_EQ(ClefReferencePosition(kBass), -6);    // F on the fourth line
    EXPECT_EQ(ClefGlyphShift(kTab), 0);
}

// Stepping follows 11 5 10 12 2 13 1 14 4 9 3 8 7 0 6, wrapping at both ends.
TEST(SteppedClefKind, FollowsTheStepOrderAndWraps) {
    EXPECT_EQ(SteppedClefKind(kTreble, 1), 7);   // one step back in the order
    EXPECT_EQ(SteppedClefKind(kTreble, -1), 6);  // one step on
    EXPECT_EQ(SteppedClefKind(11, 1), 6);        // below the first: the last
    EXPECT_EQ(SteppedClefKind(6, -1), 11);       // past the last: the first
    EXPECT_EQ(SteppedClefKind(kTreble, 0), 7);   // 0 counts as 1
    EXPECT_EQ(SteppedClefKind(kTreble, 15), kTreble);  // a whole turn
    EXPECT_EQ(SteppedClefKind(15, 1), 15);       // out of range: as it was
}

}  // namespace
}  // namespace ql
