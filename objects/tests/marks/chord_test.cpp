// Guitar chord symbols: the diagram character, the name and its layout with raised
// accidentals, checked readings of damaged fields, the Up and Down keys, placing
// with dialog 874, the dialog's unchanged OK and Cancel, and renaming suffixes with
// dialog 844 with and without saving them.
#include <gtest/gtest.h>

#include "core/model/object_list.h"
#include "core/settings/settings_store.h"
#include "core/undo/undo.h"
#include "objects/chord/chord_class.h"
#include "objects/midi_marks/mark_dialog_resources.h"
#include "objects/midi_marks/mark_internal.h"
#include "objects/object_services.h"
#include "objects/tests/marks/marks_fixture.h"
#include "platform/sys/settings_store.h"
#include "platform/ui/headless.h"

namespace ql::testing_marks {
namespace {

using ui::headless::DialogDriver;
using ui::headless::SetDialogScript;
namespace cd = chord_dialog;

constexpr uint8_t kC = 0, kE = 2, kF = 3, kB = 6;
constexpr uint8_t kSharp = 1, kFlat = 2;
constexpr uint8_t kMajor = 0, kMinor = 1, kMinor7 = 5;

ChordFields Fields(uint8_t root, uint8_t rootAccidental, uint8_t quality, uint8_t bass, uint8_t bassAccidental) {
    ChordFields fields{};
    fields.quality = quality;
    fields.root = root;
    fields.rootAccidental = rootAccidental;
    fields.bass = bass;
    fields.bassAccidental = bassAccidental;
    fields.nameStyle = kChordNameStyle;
    return fields;
}

class ChordTest : public MarksTest {
  protected:
    void SetUp() override {
        MarksTest::SetUp();
        UseDialogs();
    }
    // The diagram character of a set of fields.
    uint16_t Glyph(const ChordFields& fields) {
        ScoreObject* object = Prototype(ObjectType::Chord);
        AsChordSymbol(object)->chord = fields;
        SetGuitarChordGlyph(object);
        return Text(object).string;
    }
    ScoreObject* PlaceChord(ui::headless::DialogScript script) {
        SetDialogScript(cd::kDialog, std::move(script));
        return Place(ObjectType::Chord, PointIn(1, 1, 300));
    }
};

TEST_F(ChordTest, DiagramCharacterByRootAccidentalAndQuality) {
    BuildScore(1);
    // C major is the first character.
    EXPECT_EQ(Glyph(Fields(kC, 0, kMajor, kC, 0)), 60);
    // F sharp minor 7: 156 + 5.
    EXPECT_EQ(Glyph(Fields(kF, kSharp, kMinor7, kC, kSharp)), 161);
    // B sharp wraps to C, C flat to B.
    EXPECT_EQ(Glyph(Fields(kB, kSharp, kMajor, kB, kSharp)), 60);
    EXPECT_EQ(Glyph(Fields(kC, kFlat, kMajor, kC, kFlat)), 236);
    // A quality of 20 from a file reads as 0; a root of 9 as C, an accidental of 5 as none.
    EXPECT_EQ(Glyph(Fields(kE, 0, 20, kE, 0)), 124);
    EXPECT_EQ(Glyph(Fields(9, 5, kMinor, 9, 5)), 61);
}

TEST_F(ChordTest, NameDropsBlanksAndSameBass) {
    // C major alone: the blank suffix goes.
    EXPECT_EQ(BuildChordName(Fields(kC, 0, kMajor, kC, 0)), "C ");
    // F sharp minor 7 over C sharp: room for two accidentals.
    EXPECT_EQ(BuildChordName(Fields(kF, kSharp, kMinor7, kC, kSharp)), "F  m7/C ");
    // E minor over E: no slash; E minor over E flat: a slash.
    EXPECT_EQ(BuildChordName(Fields(kE, 0, kMinor, kE, 0)), "Em");
    EXPECT_EQ(BuildChordName(Fields(kE, 0, kMinor, kE, kFlat)), "Em/E ");
    // A damaged quality and letters read as their defaults.
    EXPECT_EQ(BuildChordName(Fields(12, 0, 20, 12, 0)), "C ");
}

TEST_F(ChordTest, NameLayoutRaisesTheAccidentals) {
    ChordNameMetrics metrics;
    metrics.rootWidth = 80;
    metrics.rootHeight = 120;
    metrics.restWidth = 200;
    metrics.accidentalWidth = 64;
    const auto pieces = LayOutChordName(Fields(kF, kSharp, kMinor7, kC, kSharp), {1000, 500}, 100, metrics);
    ASSERT_EQ(pieces.size(), 4u);
    // F, starting half the name left of the anchor, less a quarter and an eighth of W0.
    EXPECT_EQ(pieces[0].text, "F");
    EXPECT_EQ(pieces[0].at.x, 1000 - 140 - 20 - 10);
    EXPECT_EQ(pieces[0].at.y, 400);
    // The sharp glyph, an eighth of its width right of the letter, raised by H / 2.
    EXPECT_TRUE(pieces[1].accidental);
    EXPECT_EQ(static_cast<uint8_t>(pieces[1].text[0]), kChordSharpGlyph);
    EXPECT_EQ(pieces[1].at.x, pieces[0].at.x + 80 + 8);
    EXPECT_EQ(pieces[1].at.y, 400 - 60);
    // The rest after the accidental's width and an eighth.
    EXPECT_EQ(pieces[2].text, "m7/C");
    EXPECT_EQ(pieces[2].at.x, pieces[0].at.x + 80 + 64 + 8);
    // The bass sharp after the rest.
    EXPECT_TRUE(pieces[3].accidental);
    EXPECT_EQ(pieces[3].at.x, pieces[2].at.x + 200 + 8);
    // A flat is raised by a quarter of the height.
    const auto flat = LayOutChordName(Fields(kB, kFlat, kMajor, kB, kFlat), {0, 0}, 0, metrics);
    ASSERT_EQ(flat.size(), 2u);
    EXPECT_EQ(static_cast<uint8_t>(flat[1].text[0]), kChordFlatGlyph);
    EXPECT_EQ(flat[1].at.y, -30);
}

TEST_F(ChordTest, UpTwiceRaisesTheNameInTwoSteps) {
    BuildScore(1);
    ScoreObject* chord = PlaceChord([](DialogDriver& d) { d.Click(ui::kIdOk); });
    ASSERT_NE(chord, nullptr);
    const int steps = UndoSteps();
    EXPECT_EQ(ClassOf(chord).OnKey(chord, view_, kKeyUp), 1);
    EXPECT_EQ(ClassOf(chord).OnKey(chord, view_, kKeyUp), 1);
    EXPECT_EQ(static_cast<int8_t>(Text(chord).charset), -32);
    EXPECT_EQ(UndoSteps(), steps + 2);
    EXPECT_EQ(doc_->undoStack->objectType, 39);
    // Down moves it back; the byte stops at its ends instead of wrapping.
    ClassOf(chord).OnKey(chord, view_, kKeyDown);
    EXPECT_EQ(static_cast<int8_t>(Text(chord).charset), -16);
    Text(chord).charset = static_cast<uint8_t>(-120);
    ClassOf(chord).OnKey(chord, view_, kKeyUp);
    EXPECT_EQ(static_cast<int8_t>(Text(chord).charset), -128);
}

TEST_F(ChordTest, PlacedChordTakesTheDialogsChoice) {
    BuildScore(1);
    ScoreObject* chord = PlaceChord([](DialogDriver& d) {
        d.Click(cd::kFirstRoot + kF);     // the bass follows: F
        d.Click(cd::kRootSharp);          // F sharp, and the bass's sharp with it
        d.Click(cd::kFirstQuality + kMinor7);
        d.Click(cd::kFirstBass + kC);     // the bass letter alone: C sharp
        d.Click(ui::kIdOk);
    });
    ASSERT_NE(chord, nullptr);
    const ChordFields& fields = AsChordSymbol(chord)->chord;
    EXPECT_EQ(fields.root, kF);
    EXPECT_EQ(fields.rootAccidental, kSharp);
    EXPECT_EQ(fields.bass, kC);
    EXPECT_EQ(fields.bassAccidental, kSharp);
    EXPECT_EQ(Text(chord).string, 161);
    ASSERT_EQ(CellObjects(1, 1).size(), 1u);
    // A placed C major with an unchanged OK is still placed.
    ScoreObject* plain = PlaceChord([](DialogDriver& d) { d.Click(ui::kIdOk); });
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(Text(plain).string, 60);
    // Cancel places nothing.
    EXPECT_EQ(PlaceChord([](DialogDriver& d) { d.Click(ui::kIdCancel); }), nullptr);
    EXPECT_EQ(CellObjects(1, 1).size(), 2u);
}

TEST_F(ChordTest, RootSharpChosenAgainClearsAndBassFollows) {
    BuildScore(1);
    ScoreObject* chord = PlaceChord([](DialogDriver& d) {
        d.Click(cd::kFirstRoot + kE);  // the bass follows the root
        d.Click(cd::kRootSharp);       // and its sharp while it matched
        d.Click(cd::kRootFlat);        // flat replaces sharp on both
        d.Click(cd::kRootFlat);        // chosen again: cleared on both
        d.Click(ui::kIdOk);
    });
    ASSERT_NE(chord, nullptr);
    const ChordFields& fields = AsChordSymbol(chord)->chord;
    EXPECT_EQ(fields.root, kE);
    EXPECT_EQ(fields.bass, kE);
    EXPECT_EQ(fields.rootAccidental, 0);
    EXPECT_EQ(fields.bassAccidental, 0);
}

TEST_F(ChordTest, DialogUnchangedOkAndCancelLeaveTheSymbol) {
    BuildScore(1);
    ScoreObject* chord = PlaceChord([](DialogDriver& d) { d.Click(ui::kIdOk); });
    ASSERT_NE(chord, nullptr);
    const uint32_t changes = ChangeCount();
    const int steps = UndoSteps();
    SetDialogScript(cd::kDialog, [](DialogDriver& d) { d.Click(ui::kIdOk); });
    EXPECT_EQ(RunChordDialog(view_, chord), 2);
    EXPECT_EQ(ChangeCount(), changes);
    SetDialogScript(cd::kDialog, [](DialogDriver& d) {
        d.Click(cd::kFirstRoot + kB);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunChordDialog(view_, chord), 2);
    EXPECT_EQ(AsChordSymbol(chord)->chord.root, kC);
    EXPECT_EQ(ChangeCount(), changes);
    SetDialogScript(cd::kDialog, [](DialogDriver& d) {
        d.Click(cd::kNameOnly);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunChordDialog(view_, chord), 1);
    EXPECT_EQ(AsChordSymbol(chord)->chord.showSymbol, 0);
    EXPECT_EQ(UndoSteps(), steps + 1);
    // The prototype keeps its own fields.
    EXPECT_EQ(AsChordSymbol(Prototype(ObjectType::Chord))->chord.showSymbol, 1);
}

TEST_F(ChordTest, RenamedSuffixAppliesForTheRunWithoutSaving) {
    BuildScore(1);
    SetDialogScript(rename_chord_dialog::kDialog, [](DialogDriver& d) {
        d.Type(rename_chord_dialog::kFirstSuffix + kMinor, "min");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunRenameChordDialog(view_), 1);
    EXPECT_EQ(BuildChordName(Fields(kE, 0, kMinor, kE, 0)), "Emin");
    EXPECT_EQ(BuildChordName(Fields(kC, 0, kMinor, kC, 0)), "Cmin");
    // Nothing was written to the settings.
    char text[32] = {};
    EXPECT_NE(ReadSettingText("Quaverlinescribe", "ChordType_1", text, sizeof text), kSettingsOk);
    // With "Save Preferences" all sixteen are written.
    SetDialogScript(rename_chord_dialog::kDialog, [](DialogDriver& d) {
        d.Click(rename_chord_dialog::kSavePreferences);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunRenameChordDialog(view_), 1);
    EXPECT_EQ(ReadSettingText("Quaverlinescribe", "ChordType_1", text, sizeof text), kSettingsOk);
    EXPECT_STREQ(text, "min");
    sys::CloseProgramSettings();
}

}  // namespace
}  // namespace ql::testing_marks
