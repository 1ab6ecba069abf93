// Where note articulations go: the side each palette entry gives, the voice layout
// overriding it, the glyph boxes, and the point above, below and on the stem.
#include "notes/articulations/articulation_place.h"

#include <gtest/gtest.h>

namespace ql {
namespace {

constexpr int kBottomLine = 10000;
constexpr int kSpace = 128;  // two steps of 64

ArticulationNote NoteAt(int y, bool stemUp, int stemOffset = 448) {
    ArticulationNote note;
    note.x = 500;
    note.y = y;
    note.stemUp = stemUp;
    note.stemOffset = stemUp ? -stemOffset : stemOffset;
    note.bottomLineY = kBottomLine;
    note.headWidth = 160;
    note.durationCode = 10;
    return note;
}

// Accents: the downward and upward lists, entry 10 below only on a stem-up note,
// unlisted entries above. Ornaments: the tremolo strokes on the stem, entry 29 below,
// the rest above.
TEST(ArticulationSide, PaletteEntriesChooseTheSide) {
    EXPECT_EQ(ArticulationSideOf(ArticulationPalette::Accents, 0, false), ArticulationSide::Below);
    EXPECT_EQ(ArticulationSideOf(ArticulationPalette::Accents, 29, true), ArticulationSide::Below);
    EXPECT_EQ(ArticulationSideOf(ArticulationPalette::Accents, 3, false), ArticulationSide::Above);
    EXPECT_EQ(ArticulationSideOf(ArticulationPalette::Accents, 28, false), ArticulationSide::Above);
    EXPECT_EQ(ArticulationSideOf(ArticulationPalette::Accents, 10, true), ArticulationSide::Below);
    EXPECT_EQ(ArticulationSideOf(ArticulationPalette::Accents, 10, false), ArticulationSide::Above);
    EXPECT_EQ(ArticulationSideOf(ArticulationPalette::Accents, 1, true), ArticulationSide::Above);
    for (int entry = 25; entry <= 27; ++entry)
        EXPECT_EQ(ArticulationSideOf(ArticulationPalette::Ornaments, entry, true),
                  ArticulationSide::OnStem);
    EXPECT_EQ(ArticulationSideOf(ArticulationPalette::Ornaments, 24, true),
              ArticulationSide::Above);
    EXPECT_EQ(ArticulationSideOf(ArticulationPalette::Ornaments, 29, true),
              ArticulationSide::Below);
    EXPECT_EQ(ArticulationSideOf(ArticulationPalette::Ornaments, 0, false),
              ArticulationSide::Above);
}

// With voices laid out, voices 0 and 1 take the top and 2 and 3 the bottom; the stem
// strokes stay on the stem; without, the palette's side holds.
TEST(ArticulationSide, VoiceLayoutDecides) {
    EXPECT_EQ(SideForVoice(ArticulationSide::Below, true, 0), ArticulationSide::Above);
    EXPECT_EQ(SideForVoice(ArticulationSide::Below, true, 1), ArticulationSide::Above);
    EXPECT_EQ(SideForVoice(ArticulationSide::Above, true, 2), ArticulationSide::Below);
    EXPECT_EQ(SideForVoice(ArticulationSide::Above, true, 3), ArticulationSide::Below);
    EXPECT_EQ(SideForVoice(ArticulationSide::OnStem, true, 3), ArticulationSide::OnStem);
    EXPECT_EQ(SideForVoice(ArticulationSide::Below, false, 0), ArticulationSide::Below);
}

// The boxes of the table, and 320 for every other glyph.
TEST(ArticulationGlyph, Boxes) {
    EXPECT_EQ(ArticulationGlyphBox(148), 256);
    EXPECT_EQ(ArticulationGlyphBox(215), 256);
    EXPECT_EQ(ArticulationGlyphBox(217), 128);
    EXPECT_EQ(ArticulationGlyphBox(142), 192);
    EXPECT_EQ(ArticulationGlyphBox(144), 352);
    EXPECT_EQ(ArticulationGlyphBox(146), 384);
    EXPECT_EQ(ArticulationGlyphBox(138), 320);
    EXPECT_EQ(ArticulationGlyphBox(-5), 320);
}

// Above: over the stem end (stem up) or 192 over the head (stem down), and never
// lower than one space over the top line; the scale applies to every offset.
TEST(ArticulationPoint, AboveClearsStemAndStaff) {
    const ArticulationScale plain;
    // A high note, stem down: 192 over the head.
    EXPECT_EQ(PlaceArticulationPoint(ArticulationSide::Above, 140,
                                     NoteAt(kBottomLine - 1000, false), plain)
                  .y,
              kBottomLine - 1000 - 192);
    // A high note, stem up: over the stem end by 96.
    EXPECT_EQ(PlaceArticulationPoint(ArticulationSide::Above, 140, NoteAt(kBottomLine - 1000, true),
                                     plain)
                  .y,
              kBottomLine - 1000 - 448 - 96);
    // A low note, stem down: raised to a space over the top line.
    EXPECT_EQ(
        PlaceArticulationPoint(ArticulationSide::Above, 140, NoteAt(kBottomLine, false), plain).y,
        kBottomLine - 640);
    // Half scale: every offset halves.
    const ArticulationScale half{1, 2};
    EXPECT_EQ(PlaceArticulationPoint(ArticulationSide::Above, 140,
                                     NoteAt(kBottomLine - 1000, false), half)
                  .y,
              kBottomLine - 1000 - 96);
    // The x is the note's.
    EXPECT_EQ(PlaceArticulationPoint(ArticulationSide::Above, 140, NoteAt(0, false), plain).x, 500);
}

// Below: under the stem end (stem down) or the head (stem up), moved down by the
// glyph's box, and never higher than the box under the bottom line.
TEST(ArticulationPoint, BelowClearsStemAndStaff) {
    const ArticulationScale plain;
    const int low = kBottomLine + 4 * kSpace;
    EXPECT_EQ(PlaceArticulationPoint(ArticulationSide::Below, 138, NoteAt(low, true), plain).y,
              low + 320);
    EXPECT_EQ(PlaceArticulationPoint(ArticulationSide::Below, 138, NoteAt(low, false), plain).y,
              low + 448 + 320);
    // A note inside the staff: lowered to the box under the bottom line.
    EXPECT_EQ(
        PlaceArticulationPoint(ArticulationSide::Below, 217, NoteAt(kBottomLine - 512, true), plain)
            .y,
        kBottomLine + 128);
}

// On the stem: the stroke offsets by glyph, stem up and down, stemmed and stemless.
TEST(ArticulationPoint, TremoloStrokesSitOnTheStem) {
    const ArticulationScale plain;
    ArticulationNote up = NoteAt(kBottomLine - 256, true);
    ArticulationPoint p = PlaceArticulationPoint(ArticulationSide::OnStem, 213, up, plain);
    EXPECT_EQ(p.y, kBottomLine - 256 - 256);
    EXPECT_EQ(p.x, 500 + 160 * 9 / 16);
    ArticulationNote down = NoteAt(kBottomLine - 256, false);
    p = PlaceArticulationPoint(ArticulationSide::OnStem, 214, down, plain);
    EXPECT_EQ(p.y, kBottomLine - 256 + 432);
    EXPECT_EQ(p.x, 500 - 160 * 6 / 16);
    down.durationCode = 12;
    p = PlaceArticulationPoint(ArticulationSide::OnStem, 215, down, plain);
    EXPECT_EQ(p.y, kBottomLine - 256 + 416);
    EXPECT_EQ(p.x, 500 + 160 / 4);
    up.durationCode = 13;
    EXPECT_EQ(PlaceArticulationPoint(ArticulationSide::OnStem, 214, up, plain).y,
              kBottomLine - 256 - 160);
}

}  // namespace
}  // namespace ql
