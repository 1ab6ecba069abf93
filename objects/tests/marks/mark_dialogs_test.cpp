// Dialogs 815 "Dynamic Marking" and 839 "Pedal Controller": the scratch copy (the
// document's prototype, given its own bytes back), OK without a change ending as
// Cancel, a change as one undo step, Cancel leaving the mark, the spins' limits with
// their beeps, the pedal's data bytes kept within 0..127, and no active view.
#include <gtest/gtest.h>

#include <cstring>

#include "core/model/object_list.h"
#include "core/objects/midi_action_text.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "objects/chord/chord_class.h"
#include "objects/hairpin/hairpin_internal.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/mark_dialog_resources.h"
#include "objects/midi_marks/mark_dialogs.h"
#include "objects/midi_marks/mark_tools.h"
#include "objects/tests/marks/marks_fixture.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "platform/sys/headless.h"
#include "platform/ui/headless.h"

namespace ql::testing_marks {
namespace {

using ui::headless::DialogDriver;
using ui::headless::SetDialogScript;
namespace dd = dynamic_dialog;
namespace pd = pedal_dialog;

class MarkDialogsTest : public MarksTest {
  protected:
    void SetUp() override {
        MarksTest::SetUp();
        UseDialogs();
        BuildScore(1);
        dynamic_ = Place(ObjectType::Dynamic, PointIn(1, 1, 300));
        pedal_ = Place(ObjectType::Pedal, PointIn(1, 2, 300));
        ASSERT_NE(dynamic_, nullptr);
        ASSERT_NE(pedal_, nullptr);
    }
    size_t BeepCount() const { return ui::headless::Beeps().size(); }
    ScoreObject* dynamic_ = nullptr;
    ScoreObject* pedal_ = nullptr;
};

TEST_F(MarkDialogsTest, DynamicOkWithoutChangeIsCancel) {
    const uint32_t changes = ChangeCount();
    const int steps = UndoSteps();
    int shown = 99;
    SetDialogScript(kDynamicDialogId, [&](DialogDriver& d) {
        shown = d.Int(dd::kValue).value_or(99);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunDynamicDialog(view_, dynamic_), 2);
    EXPECT_EQ(shown, Action(dynamic_).head.values.value);
    EXPECT_EQ(ChangeCount(), changes);
    EXPECT_EQ(UndoSteps(), steps);
}

TEST_F(MarkDialogsTest, DynamicChangeIsOneStepAndCancelKeepsTheMark) {
    const uint32_t changes = ChangeCount();
    const int steps = UndoSteps();
    const MidiAction before = Action(dynamic_);
    // Cancel after changes: nothing taken, the prototype back as it was.
    const MidiAction prototypeBefore = *MidiActionOfText(Prototype(ObjectType::Dynamic));
    SetDialogScript(kDynamicDialogId, [](DialogDriver& d) {
        d.Type(dd::kValue, "-30");
        d.Click(dd::kEnable);
        d.Click(dd::kGradual);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunDynamicDialog(view_, dynamic_), 2);
    EXPECT_EQ(Action(dynamic_).head.values.value, before.head.values.value);
    EXPECT_EQ(Action(dynamic_).flags, before.flags);
    EXPECT_EQ(ChangeCount(), changes);
    EXPECT_EQ(MidiActionOfText(Prototype(ObjectType::Dynamic))->flags, prototypeBefore.flags);
    // OK with a change: one step of kind 1, type 21, verb 6.
    SetDialogScript(kDynamicDialogId, [](DialogDriver& d) {
        d.Type(dd::kValue, "-30");
        d.Click(dd::kKeyVelocity);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunDynamicDialog(view_, dynamic_), 1);
    EXPECT_EQ(Action(dynamic_).head.values.value, -30);
    EXPECT_EQ(Action(dynamic_).flags & kMidiFlagKeyVelocity, 0);
    EXPECT_EQ(UndoSteps(), steps + 1);
    EXPECT_EQ(doc_->undoStack->kind, 1);
    EXPECT_EQ(doc_->undoStack->objectType, 21);
    EXPECT_EQ(doc_->undoStack->verb, 6);
    EXPECT_NE(ChangeCount(), changes);
}

TEST_F(MarkDialogsTest, DynamicSpinStopsAtItsEndsWithBeep) {
    Action(dynamic_).head.values.value = 126;
    SetDialogScript(kDynamicDialogId, [](DialogDriver& d) {
        d.StepUpDown(dd::kValueSpin, 3);  // 127, then twice at the limit
        d.Click(ui::kIdOk);
    });
    const size_t beeps = BeepCount();
    EXPECT_EQ(RunDynamicDialog(view_, dynamic_), 1);
    EXPECT_EQ(Action(dynamic_).head.values.value, 127);
    EXPECT_EQ(BeepCount(), beeps + 2);
    // Gradual transition disables the value; Set Transition does nothing yet.
    bool valueEnabled = true;
    SetDialogScript(kDynamicDialogId, [&](DialogDriver& d) {
        d.Click(dd::kGradual);
        valueEnabled = d.IsEnabled(dd::kValue);
        d.Click(dd::kSetTransition);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunDynamicDialog(view_, dynamic_), 1);
    EXPECT_FALSE(valueEnabled);
    EXPECT_EQ(MidiTimingOf(Action(dynamic_)), 1);
}

TEST_F(MarkDialogsTest, PedalBytesStayWithinMidiRange) {
    // The spins stop at 127 and at 0 with a beep.
    Action(pedal_).head.values.value = 126;
    SetDialogScript(kPedalDialogId, [](DialogDriver& d) {
        d.StepUpDown(pd::kValueSpin, 2);
        d.Type(pd::kController, "0");
        d.StepUpDown(pd::kControllerSpin, -1);
        d.Click(ui::kIdOk);
    });
    size_t beeps = BeepCount();
    EXPECT_EQ(RunPedalDialog(view_, pedal_), 1);
    EXPECT_EQ(Action(pedal_).head.values.value, 127);
    EXPECT_EQ(Action(pedal_).controller, 0);
    EXPECT_EQ(BeepCount(), beeps + 2);
    // Typed values beyond 127 are cut on OK, with the beep.
    SetDialogScript(kPedalDialogId, [](DialogDriver& d) {
        d.Type(pd::kValue, "300");
        d.Type(pd::kController, "200");
        d.Click(ui::kIdOk);
    });
    beeps = BeepCount();
    EXPECT_EQ(RunPedalDialog(view_, pedal_), 1);
    EXPECT_EQ(Action(pedal_).head.values.value, 127);
    EXPECT_EQ(Action(pedal_).controller, 127);
    EXPECT_EQ(BeepCount(), beeps + 2);
}

TEST_F(MarkDialogsTest, PedalUnchangedOkAndCancel) {
    const uint32_t changes = ChangeCount();
    SetDialogScript(kPedalDialogId, [](DialogDriver& d) { d.Click(ui::kIdOk); });
    EXPECT_EQ(RunPedalDialog(view_, pedal_), 2);
    EXPECT_EQ(ChangeCount(), changes);
    SetDialogScript(kPedalDialogId, [](DialogDriver& d) {
        d.Type(pd::kController, "66");
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunPedalDialog(view_, pedal_), 2);
    EXPECT_EQ(Action(pedal_).controller, kPedalController);
    EXPECT_EQ(ChangeCount(), changes);
}

TEST_F(MarkDialogsTest, WithoutActiveViewEveryDialogEndsAsCancel) {
    // A view that is not in the program's list is no active view: the dialog opens
    // and ends at once, before its script could change anything.
    ScoreView stray{};
    stray.document = doc_;
    Action(dynamic_).head.values.value = 5;
    SetDialogScript(kDynamicDialogId, [](DialogDriver& d) {
        d.Type(dd::kValue, "9");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunDynamicDialog(&stray, dynamic_), 2);
    EXPECT_EQ(Action(dynamic_).head.values.value, 5);
    EXPECT_EQ(RunPedalDialog(&stray, pedal_), 2);
    EXPECT_EQ(RunDynamicDialog(nullptr, dynamic_), 2);
    // The tempo, hairpin and chord dialogs the same way.
    MarkTools().performanceEntry = 5;
    ScoreObject* tempo = Place(ObjectType::Tempo, PointIn(1, 3, 300));
    ScoreObject* hairpin = Place(ObjectType::Hairpin, PointIn(1, 4, 300));
    ASSERT_NE(tempo, nullptr);
    ASSERT_NE(hairpin, nullptr);
    ScoreObject* chord = ConstructObject(TypeCode(ObjectType::Chord));
    ASSERT_NE(chord, nullptr);
    const uint32_t changes = ChangeCount();
    EXPECT_EQ(RunTempoDialog(&stray, tempo), 2);
    EXPECT_EQ(RunHairpinDialog(&stray, hairpin), 2);
    EXPECT_EQ(RunChordDialog(&stray, chord), 2);
    EXPECT_EQ(ChangeCount(), changes);
    ReleaseObjectByType(doc_, chord);
    ASSERT_FALSE(ui::headless::Dialogs().empty());
    EXPECT_EQ(ui::headless::Dialogs().back().result, 2);
}

TEST_F(MarkDialogsTest, SetImageGivesTheScratchCopyTheNewSymbol) {
    const uint16_t before = Text(dynamic_).string;
    const auto chooseSymbol = [](DialogDriver& image) {
        SetDialogScript(select_symbol_dialog::kSelectSymbolDialog, [](DialogDriver& symbol) {
            symbol.Type(select_symbol_dialog::kCode, "170");
            symbol.Click(ui::kIdOk);
        });
        image.Click(set_image_dialog::kSelectSymbol);
        image.Click(ui::kIdOk);
    };
    // Set Image, then Cancel: the mark keeps its symbol.
    SetDialogScript(kDynamicDialogId, [&](DialogDriver& d) {
        SetDialogScript(set_image_dialog::kSetImageDialog, chooseSymbol);
        d.Click(dd::kSetImage);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunDynamicDialog(view_, dynamic_), 2);
    EXPECT_EQ(Text(dynamic_).string, before);
    // Set Image, then OK: the new symbol, as one step.
    const int steps = UndoSteps();
    SetDialogScript(kDynamicDialogId, [&](DialogDriver& d) {
        SetDialogScript(set_image_dialog::kSetImageDialog, chooseSymbol);
        d.Click(dd::kSetImage);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunDynamicDialog(view_, dynamic_), 1);
    EXPECT_EQ(Text(dynamic_).string, 170);
    EXPECT_EQ(UndoSteps(), steps + 1);
}

TEST_F(MarkDialogsTest, DataCarryingActionKeepsItsDataThroughOk) {
    // A pedal mark read with pooled data (kind 6): its value words are the data's
    // reference, which the dialog's value field must not overwrite.
    MidiAction& action = Action(pedal_);
    SetMidiActionKind(&action, kMidiKindData, 0);
    const uint8_t bytes[] = {0xB0, 64, 100};
    ASSERT_GE(SetMidiActionData(&action, bytes, sizeof bytes), 0);
    action.head.data.length = sizeof bytes;
    const MidiActionHead head = action.head;
    SetDialogScript(kPedalDialogId, [](DialogDriver& d) {
        d.Type(pd::kValue, "50");
        d.Type(pd::kController, "65");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunPedalDialog(view_, pedal_), 1);
    EXPECT_EQ(action.controller, 65);
    // The working copy had its own copy of the bytes, which the mark now holds.
    EXPECT_EQ(action.head.data.pool, head.data.pool);
    EXPECT_EQ(action.head.data.length, head.data.length);
    const std::byte* data = MidiActionDataBytes(action);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::memcmp(data, bytes, sizeof bytes), 0);
    // The dynamic's value field is disabled for such an action.
    SetMidiActionKind(&Action(dynamic_), kMidiKindData, 0);
    bool valueEnabled = true;
    SetDialogScript(kDynamicDialogId, [&](DialogDriver& d) {
        valueEnabled = d.IsEnabled(dd::kValue);
        d.Click(ui::kIdCancel);
    });
    RunDynamicDialog(view_, dynamic_);
    EXPECT_FALSE(valueEnabled);
}

TEST_F(MarkDialogsTest, HelpOpensEachDialogsContext) {
    // F1 over a control, and a click on the logo, open the dialog's help context.
    SetDialogScript(kDynamicDialogId, [](DialogDriver& d) {
        d.RequestHelp(dd::kValue);
        d.Click(ui::kIdCancel);
    });
    RunDynamicDialog(view_, dynamic_);
    ASSERT_FALSE(sys::headless::HelpRequests().empty());
    EXPECT_EQ(sys::headless::HelpRequests().back().contextId, 1314u);
    SetDialogScript(kPedalDialogId, [](DialogDriver& d) {
        d.RequestHelp(pd::kValue);
        d.Click(ui::kIdCancel);
    });
    RunPedalDialog(view_, pedal_);
    EXPECT_EQ(sys::headless::HelpRequests().back().contextId, 1383u);
}

}  // namespace
}  // namespace ql::testing_marks
