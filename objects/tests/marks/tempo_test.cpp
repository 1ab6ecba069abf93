// Tempo marks: what a new mark inherits from the latest earlier one, the tempo word,
// dialog 876 (units and maxima, the clamp of a typed 0, unchanged OK, Cancel), the
// arrow keys on the number's place, drawing (hidden, the number's place) and the
// playback rate.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/objects/midi_action_text.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "core/undo/undo.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/mark_dialog_resources.h"
#include "objects/midi_marks/mark_dialogs.h"
#include "objects/midi_marks/mark_internal.h"
#include "objects/midi_marks/mark_playback.h"
#include "objects/midi_marks/mark_tools.h"
#include "objects/tests/marks/marks_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_marks {
namespace {

using ui::headless::DialogDriver;
using ui::headless::SetDialogScript;
namespace td = tempo_dialog;

class TempoTest : public MarksTest {
  protected:
    void SetUp() override {
        MarksTest::SetUp();
        UseDialogs();
    }
    // A tempo mark placed as a tempo word (no dialog), then given a value.
    ScoreObject* EarlierMark(int staff, int measure, int32_t x, int16_t value, bool enabled) {
        MarkTools().performanceEntry = kTempoWordEntries[0];
        ScoreObject* mark = Place(ObjectType::Tempo, PointIn(staff, measure, x));
        MarkTools().performanceEntry = kNoPaletteEntry;
        EXPECT_NE(mark, nullptr);
        if (mark == nullptr) return nullptr;
        Action(mark).head.values.value = value;
        Action(mark).head.values.finalValue = value;
        if (!enabled) Action(mark).flags &= ~kMidiFlagEnabled;
        return mark;
    }
    // Runs the dialog of a new mark with a script; the mark or null.
    ScoreObject* PlaceWithScript(LogicalPoint at, ui::headless::DialogScript script) {
        SetDialogScript(kTempoDialogId, std::move(script));
        return Place(ObjectType::Tempo, at);
    }
};

TEST_F(TempoTest, NewMarkStartsFromLatestEarlierMark) {
    BuildScore(2);
    EarlierMark(2, 1, 100, 70, true);
    EarlierMark(1, 1, 600, 96, false);   // the latest of measure 1
    EarlierMark(1, 2, 700, 200, true);   // after the click: not counted
    int shown = 0;
    bool enabledShown = true;
    ScoreObject* mark = PlaceWithScript(PointIn(1, 2, 200), [&](DialogDriver& d) {
        shown = d.Int(td::kBeats).value_or(0);
        enabledShown = d.IsChecked(td::kEnable);
        d.Click(ui::kIdOk);
    });
    ASSERT_NE(mark, nullptr);
    // The dialog opened on 96 with MIDI off, and OK kept them.
    EXPECT_EQ(shown, 96);
    EXPECT_FALSE(enabledShown);
    EXPECT_EQ(Action(mark).head.values.value, 96);
    EXPECT_EQ(Action(mark).head.values.finalValue, 96);
    EXPECT_EQ(Action(mark).flags & kMidiFlagEnabled, 0);
}

TEST_F(TempoTest, NewMarkAfterTransitionTakesItsFinalValue) {
    BuildScore(1);
    ScoreObject* earlier = EarlierMark(1, 1, 300, 60, true);
    Action(earlier).head.values.finalValue = 90;
    Action(earlier).destinationTiming = static_cast<uint8_t>(1 << kMidiTimingShift);
    ScoreObject* mark = ConstructObject(TypeCode(ObjectType::Tempo));
    ASSERT_NE(mark, nullptr);
    ConstructTempoForView(mark, view_);
    // Measure 3 finds nothing in 3 and 2 and takes measure 1's transition end.
    EXPECT_TRUE(InheritEarlierTempo(view_, mark, 3, 0));
    EXPECT_EQ(Action(mark).head.values.value, 90);
    EXPECT_EQ(Action(mark).head.values.finalValue, 90);
    // Nothing earlier: the defaults stay.
    ScoreObject* first = ConstructObject(TypeCode(ObjectType::Tempo));
    ConstructTempoForView(first, view_);
    EXPECT_FALSE(InheritEarlierTempo(view_, first, 1, 0));
    EXPECT_EQ(Action(first).head.values.value, kTempoDefaultBeats);
    ReleaseObjectByType(doc_, mark);
    ReleaseObjectByType(doc_, first);
}

TEST_F(TempoTest, SearchCreatesNoCells) {
    BuildScore(3);
    // Staves 2 and 3 lack the cells of measures 1..3 (their handles cleared; the
    // records stay with the document's pools).
    for (int staff = 2; staff <= 3; ++staff)
        for (int measure = 1; measure <= 3; ++measure)
            CellArrayOf(StaffRecordOf(doc_, staff))->cells[measure] = RecordHandle{};
    EarlierMark(1, 1, 300, 88, true);
    ScoreObject* mark = ConstructObject(TypeCode(ObjectType::Tempo));
    ConstructTempoForView(mark, view_);
    EXPECT_TRUE(InheritEarlierTempo(view_, mark, 3, 0));
    EXPECT_EQ(Action(mark).head.values.value, 88);
    // The walk over measures 3, 2 and 1 made none of the missing cells.
    for (int staff = 2; staff <= 3; ++staff)
        for (int measure = 1; measure <= 3; ++measure)
            EXPECT_EQ(ExistingMeasureCell(doc_, staff, measure), nullptr) << staff << "/" << measure;
    ReleaseObjectByType(doc_, mark);
}

TEST_F(TempoTest, DottedHalfCutsToItsMaximumAndTakesItsSymbol) {
    BuildScore(1);
    std::string maximum;
    int cut = 0;
    ScoreObject* mark = PlaceWithScript(PointIn(1, 1, 300), [&](DialogDriver& d) {
        d.Type(td::kBeats, "200");
        d.Click(td::kHalf);
        d.Click(td::kDotted);
        maximum = d.Text(td::kMaximum);
        cut = d.Int(td::kBeats).value_or(0);
        d.Click(ui::kIdOk);
    });
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(maximum, "160");
    EXPECT_EQ(cut, 160);
    EXPECT_EQ(Text(mark).string, 238);
    EXPECT_EQ(TempoUnitOf(Text(mark).flags), TempoUnit::Half);
    EXPECT_TRUE(IsTempoDotted(Text(mark).flags));
    EXPECT_EQ(Action(mark).head.values.value, 160);
}

TEST_F(TempoTest, MaximaOfEveryUnit) {
    // 491520 divided by the ticks of the unit, dotted 1.5 times the plain one.
    EXPECT_EQ(TempoMaximumBeats(TempoUnit::Eighth, false), 960);
    EXPECT_EQ(TempoMaximumBeats(TempoUnit::Quarter, false), 480);
    EXPECT_EQ(TempoMaximumBeats(TempoUnit::Half, false), 240);
    EXPECT_EQ(TempoMaximumBeats(TempoUnit::Eighth, true), 640);
    EXPECT_EQ(TempoMaximumBeats(TempoUnit::Quarter, true), 320);
    EXPECT_EQ(TempoMaximumBeats(TempoUnit::Half, true), 160);
    // Symbols by unit.
    EXPECT_EQ(TempoUnitSymbol(TempoUnit::Eighth, false), 243);
    EXPECT_EQ(TempoUnitSymbol(TempoUnit::Eighth, true), 244);
    EXPECT_EQ(TempoUnitSymbol(TempoUnit::Quarter, true), 241);
    EXPECT_EQ(TempoUnitSymbol(TempoUnit::Half, false), 237);
    // A damaged unit field of 3 reads as a quarter.
    EXPECT_EQ(TempoUnitOf(0x3000), TempoUnit::Quarter);
}

TEST_F(TempoTest, TypedZeroBecomesOneWithBeep) {
    BuildScore(1);
    ScoreObject* mark = PlaceWithScript(PointIn(1, 1, 300), [](DialogDriver& d) {
        d.Type(td::kBeats, "0");
        d.Click(ui::kIdOk);
    });
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(Action(mark).head.values.value, 1);
    EXPECT_FALSE(ui::headless::Beeps().empty());
    // The spin stops at 1 with the warning beep too.
    const size_t beeps = ui::headless::Beeps().size();
    SetDialogScript(kTempoDialogId, [](DialogDriver& d) {
        d.StepUpDown(td::kBeatsSpin, -3);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunTempoDialog(view_, mark), 2);
    EXPECT_GT(ui::headless::Beeps().size(), beeps);
}

TEST_F(TempoTest, CancelledNewMarkLeavesNothing) {
    BuildScore(1);
    const int steps = UndoSteps();
    ScoreObject* mark = PlaceWithScript(PointIn(1, 1, 300), [](DialogDriver& d) { d.Click(ui::kIdCancel); });
    EXPECT_EQ(mark, nullptr);
    EXPECT_TRUE(CellObjects(1, 1).empty());
    EXPECT_EQ(UndoSteps(), steps);
}

TEST_F(TempoTest, DialogOkWithoutChangeIsCancelAndChangeIsOneStep) {
    BuildScore(1);
    ScoreObject* mark = PlaceWithScript(PointIn(1, 1, 300), [](DialogDriver& d) { d.Click(ui::kIdOk); });
    ASSERT_NE(mark, nullptr);
    const uint32_t changes = ChangeCount();
    const int steps = UndoSteps();
    // OK without a change ends as Cancel: no change counted, no step.
    SetDialogScript(kTempoDialogId, [](DialogDriver& d) { d.Click(ui::kIdOk); });
    EXPECT_EQ(RunTempoDialog(view_, mark), 2);
    EXPECT_EQ(ChangeCount(), changes);
    EXPECT_EQ(UndoSteps(), steps);
    // Cancel after changes leaves the mark as it was.
    SetDialogScript(kTempoDialogId, [](DialogDriver& d) {
        d.Type(td::kBeats, "77");
        d.Click(td::kEnable);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunTempoDialog(view_, mark), 2);
    EXPECT_EQ(Action(mark).head.values.value, kTempoDefaultBeats);
    EXPECT_EQ(ChangeCount(), changes);
    // A change is one undo step of kind 1, type 24, verb 6.
    SetDialogScript(kTempoDialogId, [](DialogDriver& d) {
        d.Type(td::kBeats, "77");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunTempoDialog(view_, mark), 1);
    EXPECT_EQ(Action(mark).head.values.value, 77);
    EXPECT_EQ(UndoSteps(), steps + 1);
    EXPECT_EQ(doc_->undoStack->objectType, 24);
    EXPECT_EQ(doc_->undoStack->verb, 6);
    // The prototype used as the scratch copy is given its own bytes back.
    EXPECT_EQ(MidiActionOfText(Prototype(ObjectType::Tempo))->head.values.value, 0);
}

TEST_F(TempoTest, TempoWordShowsNoNumberAndOpensNoDialog) {
    BuildScore(1);
    MarkTools().performanceEntry = 6;
    ScoreObject* mark = Place(ObjectType::Tempo, PointIn(1, 1, 300));
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(Text(mark).string, 176);
    EXPECT_EQ(Text(mark).flags & (kTempoNumberShown | kTextHidden), 0);
    EXPECT_TRUE(ui::headless::Dialogs().empty());
}

TEST_F(TempoTest, ArrowKeysMoveTheNumberAndWrap) {
    BuildScore(1);
    MarkTools().performanceEntry = 5;
    ScoreObject* mark = Place(ObjectType::Tempo, PointIn(1, 1, 300));
    ASSERT_NE(mark, nullptr);
    Action(mark).flags = static_cast<uint16_t>((Action(mark).flags & 0x00FF) | 0x0000);
    const int steps = UndoSteps();
    // Left at column 0 gives 15; right from 15 gives 0 again.
    EXPECT_EQ(ClassOf(mark).OnKey(mark, view_, kKeyLeft), 1);
    EXPECT_EQ(TempoNumberColumn(Action(mark)), 15);
    EXPECT_EQ(ClassOf(mark).OnKey(mark, view_, kKeyRight), 1);
    EXPECT_EQ(TempoNumberColumn(Action(mark)), 0);
    // Up from row 0 wraps to 15, down adds one; the column is untouched.
    ClassOf(mark).OnKey(mark, view_, kKeyUp);
    EXPECT_EQ(TempoNumberRow(Action(mark)), 15);
    ClassOf(mark).OnKey(mark, view_, kKeyDown);
    ClassOf(mark).OnKey(mark, view_, kKeyDown);
    EXPECT_EQ(TempoNumberRow(Action(mark)), 1);
    EXPECT_EQ(TempoNumberColumn(Action(mark)), 0);
    // Each key one undo step.
    EXPECT_EQ(UndoSteps(), steps + 5);
}

TEST_F(TempoTest, PlaybackRateBySixteenths) {
    BuildScore(1);
    MarkTools().performanceEntry = 5;
    ScoreObject* mark = Place(ObjectType::Tempo, PointIn(1, 1, 300));
    ASSERT_NE(mark, nullptr);
    uint16_t& flags = Text(mark).flags;
    const auto unit = [&](int u, bool dotted) {
        flags = static_cast<uint16_t>((flags & ~kTempoUnitField) | (u << kTempoUnitShift) | (dotted ? kTempoDotted : 0));
    };
    unit(0, false);
    EXPECT_EQ(TempoSixteenthsPerMinute(mark, 100), 200);
    unit(1, false);
    EXPECT_EQ(TempoSixteenthsPerMinute(mark, 100), 400);
    unit(2, false);
    EXPECT_EQ(TempoSixteenthsPerMinute(mark, 100), 800);
    unit(0, true);
    EXPECT_EQ(TempoSixteenthsPerMinute(mark, 100), 300);
    unit(1, true);
    EXPECT_EQ(TempoSixteenthsPerMinute(mark, 100), 600);
    unit(2, true);
    EXPECT_EQ(TempoSixteenthsPerMinute(mark, 100), 1200);
    // 0 and negatives play as 1; above the maximum as the maximum (dotted half 160).
    EXPECT_EQ(TempoSixteenthsPerMinute(mark, 0), 12);
    EXPECT_EQ(TempoSixteenthsPerMinute(mark, -40), 12);
    EXPECT_EQ(TempoSixteenthsPerMinute(mark, 500), 160 * 12);
    // A transition plays from value to final value; a disabled mark not at all.
    unit(1, false);
    Action(mark).head.values.value = 60;
    Action(mark).head.values.finalValue = 90;
    Action(mark).destinationTiming = static_cast<uint8_t>(1 << kMidiTimingShift);
    TempoRates rates;
    ASSERT_TRUE(TempoPlaybackRates(mark, &rates));
    EXPECT_EQ(rates.start, 240);
    EXPECT_EQ(rates.end, 360);
    Action(mark).flags &= ~kMidiFlagEnabled;
    EXPECT_FALSE(TempoPlaybackRates(mark, &rates));
}

}  // namespace
}  // namespace ql::testing_marks
