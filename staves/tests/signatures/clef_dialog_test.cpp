// The "Clef Selection" dialog driven by scripts: the groups' current members and
// their scroll order, the move controls, OK writing the clef over the chosen range
// (percussion without moving notes), a change inside the measure left to the
// caller, and Cancel changing nothing.
#include "staves/clef_dialog.h"

#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "platform/ui/headless.h"
#include "staves/signature_dialog_resources.h"
#include "staves/tests/signatures/signature_fixture.h"

namespace ql::testing_signatures {
namespace {

using namespace clef_dialog;
constexpr int kMeasures = 6;
constexpr int kG = 0, kF = 1, kC = 2, kOther = 3;
constexpr int kTreble = 0, kBass = 3, kPercussion = 5;

class ClefDialogTest : public SignatureTest {
  protected:
    void SetUp() override {
        SignatureTest::SetUp();
        RegisterSignatureDialogResources();
        ResetClefGroupMembers();
        BuildScore(2, kMeasures);
        for (int m = 1; m <= kMeasures; ++m) MeasureRecordOf(doc_, m)->number = static_cast<uint16_t>(m);
        Locate(1, 2);
    }
    ClefDialogResult Run(ui::headless::DialogScript script, bool within = false) {
        ui::headless::SetDialogScript(kClefSelectionDialog, std::move(script));
        ClefDialogStart start;
        start.kind = CellClef(*Cell(1, 2));
        start.withinMeasure = within;
        return ClefSelectionDialog(view_, start);
    }
};

// The groups start at their program-start members; a scroll bar steps its group in
// its own order (F: 3 -> 4 -> 9 -> 8 -> 3) and remembers it for the next run.
TEST_F(ClefDialogTest, GroupsStepAndRemember) {
    Run([](ui::headless::DialogDriver& d) {
        EXPECT_EQ(d.Text(kGroupNames[kG]), "Treble");
        EXPECT_EQ(d.Text(kGroupNames[kF]), "Bass");
        EXPECT_EQ(d.Text(kGroupNames[kC]), "Tenor");
        EXPECT_EQ(d.Text(kGroupNames[kOther]), "Percussion");
        d.Scroll(kGroupScrolls[kF], win::ScrollCode::LineDown);
        EXPECT_EQ(d.Text(kGroupNames[kF]), "Baritone");
        d.Scroll(kGroupScrolls[kF], win::ScrollCode::LineUp);
        d.Scroll(kGroupScrolls[kF], win::ScrollCode::LineUp);
        EXPECT_EQ(d.Text(kGroupNames[kF]), "Bass 8va Above");
        // Up or Down ticks "Move notes"; a step count of 0 clears it.
        EXPECT_FALSE(d.IsChecked(kMoveNotes));
        d.Click(kDown);
        EXPECT_TRUE(d.IsChecked(kMoveNotes));
        d.Type(kSteps, "0");
        EXPECT_FALSE(d.IsChecked(kMoveNotes));
        EXPECT_TRUE(d.IsChecked(kDown));
        EXPECT_TRUE(d.IsChecked(kUpToFirstChange));
        d.PressEscape();
    });
    Run([](ui::headless::DialogDriver& d) {
        EXPECT_EQ(d.Text(kGroupNames[kF]), "Bass 8va Above");
        d.PressEscape();
    });
}

// OK with the F group's clef over "This measure plus: 1": cells 2 and 3 take it.
TEST_F(ClefDialogTest, OkWritesTheClefOverTheRange) {
    const ClefDialogResult result = Run([](ui::headless::DialogDriver& d) {
        d.Click(kGroupButtons[kF]);
        d.Type(kPlusCount, "1");
        EXPECT_TRUE(d.IsChecked(kMeasurePlus));
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(result.result, ui::kIdOk);
    EXPECT_EQ(result.kind, kBass);
    EXPECT_EQ(CellClef(*Cell(1, 1)), kTreble);
    EXPECT_EQ(CellClef(*Cell(1, 2)), kBass);
    EXPECT_EQ(CellClef(*Cell(1, 3)), kBass);
    EXPECT_EQ(CellClef(*Cell(1, 4)), kTreble);
    EXPECT_EQ(CellClef(*Cell(2, 2)), kTreble);
}

// Percussion over notes with "Move notes": the notes keep their positions.
TEST_F(ClefDialogTest, PercussionNeverMovesNotes) {
    EventRecord* note = AddNote(1, 2, 0, -3);
    Locate(1, 2);
    Run([](ui::headless::DialogDriver& d) {
        d.Click(kGroupButtons[kOther]);
        d.Click(kToEndOfPiece);
        d.Click(kUp);
        d.Type(kSteps, "2");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(NotePosition(*note), -3);
    for (int m = 2; m <= kMeasures; ++m) EXPECT_EQ(CellClef(*Cell(1, m)), kPercussion) << m;
}

// Inside the measure: the caller inserts the clef; Cancel changes nothing.
TEST_F(ClefDialogTest, WithinMeasureAndCancel) {
    const std::vector<std::byte> before = Snapshot();
    const ClefDialogResult cancelled = Run([](ui::headless::DialogDriver& d) {
        d.Click(kGroupButtons[kF]);
        d.Click(kToEndOfPiece);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(cancelled.result, ui::kIdCancel);
    EXPECT_TRUE(before == Snapshot());
    const ClefDialogResult within = Run([](ui::headless::DialogDriver& d) {
        EXPECT_TRUE(d.IsChecked(kWithinMeasure));
        d.Click(kGroupButtons[kF]);
        d.Click(ui::kIdOk);
    }, true);
    EXPECT_TRUE(within.insertWithin);
    EXPECT_EQ(within.kind, kBass);
}

}  // namespace
}  // namespace ql::testing_signatures
