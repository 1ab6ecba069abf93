// The staff value dialog driven by scripts: a typed value held inside 1..16, steps
// past either end beeping at the end, Escape keeping the start value, and the
// channel edit of the current staff (value - 1 stored; Cancel changes nothing), and
// the patch of the current staff through the MIDI value dialog (the P key).
#include "staves/staff_value_dialog.h"

#include <cstdlib>

#include "core/model/document.h"
#include "platform/ui/headless.h"
#include "platform/win/input.h"
#include "platform/win/window.h"
#include "sequencer/midi_action_dialog_resources.h"
#include "staves/signature_dialog_resources.h"
#include "staves/staff_mix_keys.h"
#include "staves/tests/signatures/signature_fixture.h"

namespace ql::testing_signatures {
namespace {

using namespace staff_value_dialog;

class StaffValueDialogTest : public SignatureTest {
  protected:
    void SetUp() override {
        SignatureTest::SetUp();
        RegisterSignatureDialogResources();
        BuildScore(2, 2);
        Locate(2, 1);
    }
    int Run(int start, ui::headless::DialogScript script) {
        ui::headless::SetDialogScript(kStaffValueDialog, std::move(script));
        return RunStaffValueDlg(view_, start);
    }
};

// Typed values: inside the range as typed, 0 and 17 clamped.
TEST_F(StaffValueDialogTest, TypedValuesAreClamped) {
    auto typed = [](const char* text) {
        return [text](ui::headless::DialogDriver& d) {
            EXPECT_TRUE(d.Type(kValue, text));
            d.Click(ui::kIdOk);
        };
    };
    EXPECT_EQ(Run(3, typed("5")), 5);
    EXPECT_EQ(Run(3, typed("17")), 16);
    EXPECT_EQ(Run(3, typed("0")), 1);
    // Escape keeps the start value.
    EXPECT_EQ(Run(3, [](ui::headless::DialogDriver& d) { d.PressEscape(); }), 3);
}

// The dialog opens beside the pointer: its left edge at the pointer, its middle on
// the pointer's row.
TEST_F(StaffValueDialogTest, OpensAtThePointer) {
    const win::Point pointer{300, 250};
    win::SetCursorPosition(pointer);
    win::Rect placed;
    Run(3, [&placed](ui::headless::DialogDriver& d) {
        placed = win::GetWindowRect(d.Dialog());
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(placed.left, pointer.x);
    EXPECT_LE(std::abs(placed.top + placed.Height() / 2 - pointer.y), 1);
}

// The field starts at the value; a step above 16 beeps and stays at 16.
TEST_F(StaffValueDialogTest, StepsStopAtTheEnds) {
    const size_t beeps = ui::headless::Beeps().size();
    EXPECT_EQ(Run(16, [](ui::headless::DialogDriver& d) {
                  EXPECT_EQ(d.Int(kValue), 16);
                  d.StepUpDown(kValueSpin, 1);
                  EXPECT_EQ(d.Int(kValue), 16);
                  d.Click(ui::kIdOk);
              }),
              16);
    EXPECT_GT(ui::headless::Beeps().size(), beeps);
    EXPECT_EQ(Run(2, [](ui::headless::DialogDriver& d) {
                  d.StepUpDown(kValueSpin, -3);
                  d.Click(ui::kIdOk);
              }),
              1);
}

// The channel of the current staff: the value shown is channel + 1, stored back - 1.
TEST_F(StaffValueDialogTest, ChannelOfTheCurrentStaff) {
    StaffRecordOf(doc_, 2)->timbres[0].channel = 4;
    ui::headless::SetDialogScript(kStaffValueDialog, [](ui::headless::DialogDriver& d) {
        EXPECT_EQ(d.Int(kValue), 5);
        d.Type(kValue, "10");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(EditStaffChannel(view_), 1);
    EXPECT_EQ(StaffRecordOf(doc_, 2)->timbres[0].channel, 9);
    ui::headless::SetDialogScript(kStaffValueDialog, [](ui::headless::DialogDriver& d) {
        d.Type(kValue, "12");
        d.PressEscape();
    });
    EXPECT_EQ(EditStaffChannel(view_), 1);
    EXPECT_EQ(StaffRecordOf(doc_, 2)->timbres[0].channel, 9);
}

// P: the MIDI value dialog shows the current staff's main patch counted from 1 and
// stores the typed one counted from 0, marking the score; Cancel keeps the patch, and
// the other staff and the other timbres are left alone.
TEST_F(StaffValueDialogTest, PatchOfTheCurrentStaff) {
    RegisterMidiActionDialogResources();
    StaffRecordOf(doc_, 2)->timbres[0].patch = 4;
    StaffRecordOf(doc_, 1)->timbres[0].patch = 7;
    ui::headless::SetDialogScript(midi_value_dialog::kDialog, [](ui::headless::DialogDriver& d) {
        EXPECT_EQ(d.Int(midi_value_dialog::kValue), 5);
        d.Type(midi_value_dialog::kValue, "41");
        d.Click(ui::kIdOk);
    });
    const uint32_t changes = doc_->editGeneration;
    EXPECT_EQ(EditStaffPatch(view_), 1);
    EXPECT_EQ(StaffRecordOf(doc_, 2)->timbres[0].patch, 40);
    EXPECT_NE(doc_->editGeneration, changes) << "the score is not marked changed";
    EXPECT_EQ(StaffRecordOf(doc_, 2)->timbres[1].patch, 0);
    EXPECT_EQ(StaffRecordOf(doc_, 1)->timbres[0].patch, 7);
    ui::headless::SetDialogScript(midi_value_dialog::kDialog, [](ui::headless::DialogDriver& d) {
        d.Type(midi_value_dialog::kValue, "12");
        d.PressEscape();
    });
    EXPECT_EQ(EditStaffPatch(view_), 1);
    EXPECT_EQ(StaffRecordOf(doc_, 2)->timbres[0].patch, 40);
}

}  // namespace
}  // namespace ql::testing_signatures
