// Clef and key-signature objects: the accidentals a key object draws (its own, after
// the naturals of the key it replaces, moved with the clef), stepping a focused
// object (asking for its dialog when notes follow), the dialogs on an existing
// object, and the classes reached through the class table.
#include "staves/clef_key_objects.h"

#include <vector>

#include "core/model/engraving_metrics.h"
#include "core/model/grid.h"
#include "core/model/signature_fields.h"
#include "core/objects/class_table.h"
#include "core/private_messages.h"
#include "core/text/text_object.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "platform/tests/win/plain_window.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/message_loop.h"
#include "staves/clef_key_placement.h"
#include "staves/clef_key_tables.h"
#include "staves/signature_dialog_resources.h"
#include "staves/tests/signatures/signature_fixture.h"

namespace ql::testing_signatures {
namespace {

constexpr int kTreble = 0, kTenor = 1, kBass = 3;
constexpr int kOneSharp = 8, kThreeSharps = 10, kTwoSharps = 9, kTwoFlats = 5;
constexpr int32_t kDistance = 100;
constexpr int32_t kTopLine = 384;  // the treble top line in the key box
constexpr int32_t kStep = 64;

std::vector<uint8_t> Glyphs(const PlacedKeyObject& row) {
    std::vector<uint8_t> glyphs;
    for (int i = 0; i < row.count; ++i) glyphs.push_back(row.glyphs[i].glyph);
    return glyphs;
}

// 3 sharps -> 1 sharp: two naturals (the old second and third sharps) left of the
// one sharp, each a distance apart; 2 sharps -> 2 flats: two naturals, two flats.
TEST(KeyObjectPlacement, NaturalsThenAccidentals) {
    const PlacedKeyObject down = PlaceKeyAccidentals(kDistance, kTreble, kOneSharp, kThreeSharps, 1000, 0);
    EXPECT_EQ(Glyphs(down), (std::vector<uint8_t>{kKeyNaturalGlyph, kKeyNaturalGlyph, kKeySharpGlyph}));
    EXPECT_EQ(down.glyphs[0].x, 1000 - 2 * kDistance);
    EXPECT_EQ(down.glyphs[1].x, 1000 - kDistance);
    EXPECT_EQ(down.glyphs[2].x, 1000);
    // The naturals stand where the old C sharp and G sharp stood.
    EXPECT_EQ(down.glyphs[0].y, kTopLine + (KeyAccidentalPosition(kTreble, kThreeSharps, 1) + 8) * kStep);
    EXPECT_EQ(down.glyphs[1].y, kTopLine + (KeyAccidentalPosition(kTreble, kThreeSharps, 2) + 8) * kStep);
    const PlacedKeyObject across = PlaceKeyAccidentals(kDistance, kTreble, kTwoFlats, kTwoSharps, 0, 0);
    EXPECT_EQ(Glyphs(across),
              (std::vector<uint8_t>{kKeyNaturalGlyph, kKeyNaturalGlyph, kKeyFlatGlyph, kKeyFlatGlyph}));
    for (int i = 1; i < across.count; ++i) EXPECT_GT(across.glyphs[i].x, across.glyphs[i - 1].x) << i;
    // No previous key: the key's own accidentals only; a bad code: nothing.
    EXPECT_EQ(PlaceKeyAccidentals(kDistance, kTreble, kTwoSharps, kNoPreviousKey, 0, 0).count, 2);
    EXPECT_EQ(PlaceKeyAccidentals(kDistance, kTreble, 15, kNoPreviousKey, 0, 0).count, 0);
    EXPECT_EQ(PlaceKeyAccidentals(kDistance, kTreble, kOneSharp, 15, 0, 0).count, 1);
}

// The F sharp stands on the treble top line, two steps lower under a bass clef; on
// a tenor clef it is an octave lower than the clef shift alone would put it.
TEST(KeyObjectPlacement, AccidentalsMoveWithTheClef) {
    const int32_t y = 50;
    EXPECT_EQ(PlaceKeyAccidentals(kDistance, kTreble, kOneSharp, kNoPreviousKey, 0, y).glyphs[0].y, y + kTopLine);
    EXPECT_EQ(PlaceKeyAccidentals(kDistance, kBass, kOneSharp, kNoPreviousKey, 0, y).glyphs[0].y,
              y + kTopLine + 2 * kStep);
    EXPECT_EQ(PlaceKeyAccidentals(kDistance, kTenor, kOneSharp, kNoPreviousKey, 0, y).glyphs[0].y,
              y + kTopLine + (-1 + kOctaveSteps) * kStep);
    // A damaged clef code reads as treble.
    EXPECT_EQ(PlaceKeyAccidentals(kDistance, 15, kOneSharp, kNoPreviousKey, 0, y).glyphs[0].y, y + kTopLine);
}

class ClefKeyObjectTest : public SignatureTest {
  protected:
    void SetUp() override {
        SignatureTest::SetUp();
        RegisterSignatureDialogResources();
        RegisterClefKeyObjectClasses();
        BuildScore(1, 4);
        Locate(1, 2);
        view_->ViewWindow = ::ql::testing::OpenPlainWindow("QLMdiChild", kWindowSide, kWindowSide);
    }
    static constexpr int32_t kWindowSide = 200;
    // The ids of the view's private messages posted since the last call.
    std::vector<uint32_t> Posted() {
        std::vector<uint32_t> ids;
        win::QueuedMessage m{};
        for (size_t n = win::headless::PendingMessageCount(); n > 0 && win::PeekMessage(m); --n)
            if (static_cast<uint32_t>(m.message) >= kMsgSyntheticPressId) ids.push_back(static_cast<uint32_t>(m.message));
        return ids;
    }
};

// With notes after the measure, a step only asks for the object's dialog; without,
// it steps the key (or clef) of the cells.
TEST_F(ClefKeyObjectTest, StepAsksForTheDialogOverNotes) {
    Posted();
    AddNote(1, 4, 0, 4);
    Locate(1, 2);
    EXPECT_EQ(StepKeyObject(view_, 1), 0);
    EXPECT_EQ(StepClefObject(view_, 1), 0);
    EXPECT_EQ(Posted(), (std::vector<uint32_t>{kMsgEditFocusedObjectId, kMsgEditFocusedObjectId}));
    EXPECT_EQ(CellKey(*Cell(1, 2)), kKeyC);
    EXPECT_EQ(CellClef(*Cell(1, 2)), kTreble);
}

TEST_F(ClefKeyObjectTest, StepWithoutNotesChangesTheCells) {
    Posted();
    EXPECT_EQ(StepKeyObject(view_, 1), 1);
    EXPECT_EQ(CellKey(*Cell(1, 2)), kKeyC + 1);
    EXPECT_EQ(StepClefObject(view_, 1), 1);
    EXPECT_NE(CellClef(*Cell(1, 2)), kTreble);
    for (uint32_t id : Posted()) EXPECT_NE(id, kMsgEditFocusedObjectId);
}

// The classes are reached through the class table: StepValue of a focused key
// object steps the key; EditAttributes runs dialog 823 within the measure and the
// object takes the key chosen; Cancel leaves it.
TEST_F(ClefKeyObjectTest, ThroughTheClassTable) {
    ScoreObject* key = PlaceChange(ObjectType::KeySignature, 1, 2, 512, kKeyC);
    ASSERT_NE(key, nullptr);
    const ScoreObjectClass& cls = ClassOf(key);
    Locate(1, 3);  // a key object focused in measure 3's range: the key steps from there
    cls.StepValue(key, view_, 1);
    EXPECT_EQ(CellKey(*Cell(1, 3)), kKeyC + 1);
    Locate(1, 2);
    ui::headless::SetDialogScript(key_dialog::kKeySelectionDialog, [](ui::headless::DialogDriver& d) {
        EXPECT_TRUE(d.IsChecked(key_dialog::kWithinMeasure));
        d.Click(key_dialog::kFirstKeyButton + kTwoFlats);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(cls.EditAttributes(key, view_), 1);
    EXPECT_EQ(KeyCodeOfObject(key), kTwoFlats);
    EXPECT_EQ(AsTextObject(key)->body.width, 2 * EngravingMetricOf(*doc_, EngravingMetric::Keysym) + 256)
        << "the box is measured for the new key";
    ui::headless::SetDialogScript(key_dialog::kKeySelectionDialog, [](ui::headless::DialogDriver& d) {
        d.Click(key_dialog::kFirstKeyButton + kTwoSharps);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(cls.EditAttributes(key, view_), 0);
    EXPECT_EQ(KeyCodeOfObject(key), kTwoFlats);
}

// A key object's box is its accidentals one distance apart plus a margin, 1024 high;
// its hit rectangle is the box less the margin across and 768 down, then 128
// narrower at the right and the bottom.
TEST_F(ClefKeyObjectTest, KeyObjectMeasuresItsAccidentals) {
    doc_->internalDistances[static_cast<int>(EngravingMetric::Keysym)] = kDistance;
    ScoreObject* key = PlaceChange(ObjectType::KeySignature, 1, 2, 512, kTwoSharps);
    ASSERT_NE(key, nullptr);
    const auto& cls = static_cast<const TextObjectClass&>(ClassOf(key));
    cls.Measure(key, view_);
    const TextObjectBody& body = AsTextObject(key)->body;
    EXPECT_EQ(body.width, 2 * kDistance + 256);
    EXPECT_EQ(body.height, 1024);
    EXPECT_EQ(body.baseline, 512);
    RecordRect hit{};
    cls.SelectTextFont(key, view_, LogicalPoint{1000, 2000}, &hit);
    EXPECT_EQ(hit.left, 1000 - kDistance);
    EXPECT_EQ(hit.right, 1000 + kDistance - 128);
    EXPECT_EQ(hit.top, 2000 - 128);
    EXPECT_EQ(hit.bottom, 2000);
    SetKeyCodeOfObject(key, kKeyC);
    cls.Measure(key, view_);
    EXPECT_EQ(body.width, 128 + 256);
}

}  // namespace
}  // namespace ql::testing_signatures
