// Where the painters put clefs and key signatures at a measure slot: naturals
// before a changed key at rising columns, accidentals on the positions of the cell's
// clef, clefs on their lines, and nothing for codes or places out of range.
#include "staves/clef_key_placement.h"

#include "core/model/engraving_metrics.h"
#include "core/model/pages.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "staves/tests/signatures/signature_fixture.h"

namespace ql::testing_signatures {
namespace {

constexpr int kStep = 64;
constexpr int kOneSharp = 8, kTwoSharps = 9, kThreeSharps = 10, kTwoFlats = 5;
constexpr int kBass = 3, kAlto = 2, kSoprano = 10, kPercussion = 5;

class SignaturePlacement : public SignatureTest {
  protected:
    void SetUp() override {
        SignatureTest::SetUp();
        BuildScore(2, 4);
    }
    int32_t BottomY(int staff) const {
        const ScoreSystem* system = doc_->firstPage->firstSystem.get();
        return system->y + StaffOffsetsOf(system)[staff];
    }
    int PositionOf(int staff, int32_t y) const { return (y - BottomY(staff)) / kStep; }
    void KeyFrom(int measure, int key) {
        for (int m = measure; m <= doc_->header.measureCount + 4; ++m) SetKey(1, m, key);
    }
};

// 3 sharps -> 1 sharp: two naturals on the second and third sharps' places, at rising
// columns, before the one remaining sharp.
TEST_F(SignaturePlacement, ThreeSharpsToOneDrawsTwoNaturals) {
    KeyFrom(1, kThreeSharps);
    KeyFrom(2, kOneSharp);
    RebuildBeatMap();
    const PlacedKeyRow naturals = PlaceKeySignature(view_, 1, 2, kOneSharp, kThreeSharps + 1);
    ASSERT_EQ(naturals.count, 2);
    EXPECT_EQ(naturals.glyphs[0].glyph, kKeyNaturalGlyph);
    EXPECT_EQ(PositionOf(1, naturals.glyphs[0].y), -5);  // C sharp
    EXPECT_EQ(PositionOf(1, naturals.glyphs[1].y), -9);  // G sharp
    EXPECT_LT(naturals.glyphs[0].x, naturals.glyphs[1].x);
    const PlacedKeyRow key = PlaceKeySignature(view_, 1, 2, kOneSharp, 0);
    ASSERT_EQ(key.count, 1);
    EXPECT_EQ(key.glyphs[0].glyph, kKeySharpGlyph);
    EXPECT_LT(naturals.glyphs[1].x, key.glyphs[0].x);
}

// 2 sharps -> 2 flats: two naturals then two flats, all at rising columns.
TEST_F(SignaturePlacement, TwoSharpsToTwoFlatsDrawsNaturalsThenFlats) {
    KeyFrom(1, kTwoSharps);
    KeyFrom(2, kTwoFlats);
    RebuildBeatMap();
    const PlacedKeyRow naturals = PlaceKeySignature(view_, 1, 2, kTwoFlats, kTwoSharps + 1);
    const PlacedKeyRow flats = PlaceKeySignature(view_, 1, 2, kTwoFlats, 0);
    ASSERT_EQ(naturals.count, 2);
    ASSERT_EQ(flats.count, 2);
    EXPECT_EQ(PositionOf(1, naturals.glyphs[0].y), -8);  // F sharp's line
    EXPECT_EQ(flats.glyphs[0].glyph, kKeyFlatGlyph);
    EXPECT_EQ(PositionOf(1, flats.glyphs[0].y), -4);  // B flat
    EXPECT_LT(naturals.glyphs[1].x, flats.glyphs[0].x);
    EXPECT_LT(flats.glyphs[0].x, flats.glyphs[1].x);
    // The step between accidentals is the document's accidental distance.
    EXPECT_EQ(flats.glyphs[1].x - flats.glyphs[0].x,
              EngravingMetricOf(*doc_, EngravingMetric::Keysym));
}

// The accidentals follow the clef of the cell; a percussion clef reads as treble.
TEST_F(SignaturePlacement, AccidentalsFollowTheCellClef) {
    KeyFrom(1, kOneSharp);
    SetClef(1, 1, kBass);
    SetClef(2, 1, kPercussion);
    RebuildBeatMap();
    EXPECT_EQ(PositionOf(1, PlaceKeySignature(view_, 1, 1, kOneSharp, 0).glyphs[0].y), -6);
    SetKey(2, 1, kOneSharp);
    EXPECT_EQ(PositionOf(2, PlaceKeySignature(view_, 2, 1, kOneSharp, 0).glyphs[0].y), -8);
}

// Codes out of range, staves and slots outside the system, and a view without a
// system place nothing.
TEST_F(SignaturePlacement, BadInputPlacesNothing) {
    EXPECT_EQ(PlaceKeySignature(view_, 1, 1, 15, 0).count, 0);
    EXPECT_EQ(PlaceKeySignature(view_, 3, 1, kOneSharp, 0).count, 0);
    EXPECT_EQ(PlaceKeySignature(view_, 1, 28, kOneSharp, 0).count, 0);
    EXPECT_EQ(PlaceKeySignature(view_, 1, 2, kOneSharp, 16).count, 0);  // old code 15
    EXPECT_FALSE(PlaceClefAtSystemStart(view_, 1, 1, 15).found);
    EXPECT_FALSE(PlaceClefChange(view_, 0, 1, kBass).found);
    view_->currentSystem = nullptr;
    EXPECT_FALSE(PlaceClefAtSystemStart(view_, 1, 1, kBass).found);
}

// A system-start clef sits with its baseline on the bottom line, moved only for the
// C clefs drawn with the alto glyph; its x is its centre after the opening barline.
TEST_F(SignaturePlacement, SystemStartClefOnItsLine) {
    const PlacedClef treble = PlaceClefAtSystemStart(view_, 1, 1, 0);
    ASSERT_TRUE(treble.found);
    EXPECT_EQ(treble.at.y, BottomY(1));
    EXPECT_GT(treble.at.x, doc_->firstPage->firstSystem->x);
    const PlacedClef soprano = PlaceClefAtSystemStart(view_, 2, 1, kSoprano);
    EXPECT_EQ(soprano.at.glyph, ':' + kAlto);
    EXPECT_EQ(soprano.at.y, BottomY(2) + 4 * kStep);  // C moved to the bottom line
    EXPECT_EQ(PlaceClefAtSystemStart(view_, 1, 1, 11).at.glyph, 0);  // TAB: letters
}

// A clef change is the 75 % glyph whose named line stays on the staff's line: the
// origin sits a quarter of the way from that line to the bottom line.
TEST_F(SignaturePlacement, ClefChangeKeepsItsLine) {
    for (int m = 3; m <= doc_->header.measureCount + 4; ++m) SetClef(1, m, kBass);
    RebuildBeatMap();
    for (int kind : {0, kBass, kAlto}) {
        const PlacedClef change = PlaceClefChange(view_, 1, 2, kind);
        ASSERT_TRUE(change.found);
        EXPECT_EQ(change.sizeClass, 1);
        const int32_t line = BottomY(1) + (kind == 0 ? -2 : kind == kBass ? -6 : -4) * kStep;
        EXPECT_EQ(change.at.y, line + (BottomY(1) - line) * 3 / 4) << kind;
    }
    // It stands right of the measure's content, before the next slot.
    const PlacedClef change = PlaceClefChange(view_, 1, 2, kBass);
    const int32_t nextSlot =
        doc_->firstPage->firstSystem->x + view_->beatMap.slotX[BeatMapCell(0, 3)];
    EXPECT_LT(change.at.x, nextSlot);
    EXPECT_GT(change.at.x, doc_->firstPage->firstSystem->x + view_->beatMap.contentX[BeatMapCell(0, 2)]);
}

}  // namespace
}  // namespace ql::testing_signatures
