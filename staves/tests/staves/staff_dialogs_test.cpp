// The staff-management dialogs driven by scripts: the staff size check (0 or
// 50..100, 100 stored as 0, 49 and 101 refused with a message and the field focused),
// hiding and unhiding staves in a system with their hide bits, line count and ossia
// bits, the staff's transposition and MIDI setup; OK as one undoable edit, Cancel
// changing no pool byte.
#include "staves/staff_dialogs.h"

#include <vector>

#include "core/draw/staff_scaling.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "layout/page_chain.h"
#include "platform/midi/headless.h"
#include "platform/tests/win/plain_window.h"
#include "platform/ui/headless.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "sequencer/sequencer_state.h"
#include "staves/staff_dialog_resources.h"
#include "staves/tests/signatures/signature_fixture.h"

namespace ql::testing_signatures {
namespace {

using ui::headless::DialogDriver;

class StaffDialogsTest : public SignatureTest {
  protected:
    void SetUp() override {
        SignatureTest::SetUp();
        RegisterStaffDialogResources();
        BuildScore(3, 2);
        Locate(2, 1);
        ASSERT_NE(view_->currentSystem, nullptr);
    }
    intptr_t RunManagement(ui::headless::DialogScript script) {
        ui::headless::SetDialogScript(staff_management_dialog::kStaffManagementDialog, std::move(script));
        return RunStaffManagementDialog(view_);
    }
    StaffRecord& Staff(int n) const { return *StaffRecordOf(doc_, n); }
    uint8_t SystemBits(int staff) const { return static_cast<uint8_t>(StaffFlagsOf(view_->currentSystem)[staff]); }
};

// A size outside 50..100 other than 0 is refused: the message, the field focused,
// the dialog still open; nothing is stored.
TEST_F(StaffDialogsTest, StaffSizeOutOfRangeIsRefused) {
    using namespace staff_management_dialog;
    const std::vector<std::byte> before = Snapshot();
    const intptr_t result = RunManagement([](DialogDriver& d) {
        EXPECT_EQ(d.Int(kStaffSize), 100);  // full size shows as 100
        for (const char* size : {"49", "101", "-5", "x"}) {
            d.Type(kStaffSize, size);
            d.Focus(kOssia);
            const size_t boxes = ui::headless::MessageBoxes().size();
            d.Click(ui::kIdOk);
            ASSERT_EQ(ui::headless::MessageBoxes().size(), boxes + 1) << size;
            EXPECT_EQ(ui::headless::MessageBoxes().back().text, "Staff size must be 50-100%.");
            EXPECT_TRUE(d.IsOpen()) << size;
            EXPECT_EQ(win::GetFocus(), d.Item(kStaffSize)) << size;
        }
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(result, ui::kIdCancel);
    EXPECT_TRUE(before == Snapshot());
}

// 100 and 0 are stored as 0 (full size); 50 and 75 as they are.
TEST_F(StaffDialogsTest, StaffSizeIsStored) {
    using namespace staff_management_dialog;
    auto size = [this](const char* text) {
        RunManagement([text](DialogDriver& d) {
            d.Type(kStaffSize, text);
            d.Click(ui::kIdOk);
        });
        return StaffSizePercent(Staff(2));
    };
    EXPECT_EQ(size("75"), 75);
    EXPECT_EQ(size("100"), 0);
    EXPECT_EQ(size("50"), 50);
    EXPECT_EQ(size("0"), 0);
    EXPECT_EQ(StaffSizePercent(Staff(1)), 0);  // other staves untouched
}

// OK hides the current staff in this system with the chosen hide bits, keeps bit
// 0x02 as it was, stores the line count, and is one undoable edit.
TEST_F(StaffDialogsTest, OkHidesTheStaffAsOneUndoableEdit) {
    using namespace staff_management_dialog;
    StaffFlagsOf(view_->currentSystem)[2] = 0x02;
    const uint16_t flagsBefore = Staff(2).flags;
    const intptr_t result = RunManagement([](DialogDriver& d) {
        EXPECT_FALSE(d.IsChecked(kHideStaff));
        EXPECT_FALSE(d.IsEnabled(kUnhide));  // nothing hidden yet
        d.SetChecked(kHideStaff, true);
        d.SetChecked(kHideClef, true);
        d.SetChecked(kHideKey, true);
        d.Type(kLines, "3");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(result, ui::kIdOk);
    EXPECT_EQ(SystemBits(2), pages::kHiddenStaff | 0x02 | kSystemStaffNoClef | kSystemStaffNoKey);
    EXPECT_EQ(SystemBits(1) & pages::kHiddenStaff, 0);  // "This staff only"
    EXPECT_EQ((Staff(2).flags & kStaffLineCountMask) >> kStaffLineCountShift, 3);
    UndoCommand(doc_, view_);
    EXPECT_EQ(SystemBits(2), 0x02);
    EXPECT_EQ(Staff(2).flags, flagsBefore);
}

// "All staves in system" sets the hide bits of every staff; a staff whose line
// count is 0 shows 5, and stepping the lines stops at 15.
TEST_F(StaffDialogsTest, AllStavesAndLineLimits) {
    using namespace staff_management_dialog;
    Staff(2).flags &= static_cast<uint16_t>(~kStaffLineCountMask);
    RunManagement([](DialogDriver& d) {
        EXPECT_EQ(d.Int(kLines), kDefaultStaffLines);
        d.Type(kLines, "14");
        d.StepUpDown(kLinesSpin, 3);
        EXPECT_EQ(d.Int(kLines), kMostStaffLines);
        d.Click(kAllStavesInSystem);
        d.SetChecked(kHideTime, true);
        d.Click(ui::kIdOk);
    });
    for (int s = 1; s <= 3; ++s) EXPECT_EQ(SystemBits(s), kSystemStaffNoTime) << s;
    EXPECT_EQ((Staff(2).flags & kStaffLineCountMask) >> kStaffLineCountShift, kMostStaffLines);
}

// Ossia bits: "to Staff Above" is forced off on staff 1 and on for an ossia last staff.
TEST_F(StaffDialogsTest, OssiaBits) {
    using namespace staff_management_dialog;
    auto run = [this](int staff, bool ossia, bool above, bool connect) {
        Locate(staff, 1);
        RunManagement([=](DialogDriver& d) {
            d.SetChecked(kOssia, ossia);
            d.SetChecked(kToStaffAbove, above);
            d.SetChecked(kConnectStaves, connect);
            d.Click(ui::kIdOk);
        });
        return static_cast<uint16_t>(Staff(staff).flags & kStaffOssiaBits);
    };
    EXPECT_EQ(run(1, true, true, false), kStaffOssia);
    EXPECT_EQ(run(3, true, false, true), kStaffOssia | kStaffOssiaToAbove | kStaffConnect);
    EXPECT_EQ(run(2, false, true, false), kStaffOssiaToAbove);
    EXPECT_EQ(run(2, false, false, false), 0);
}

// Unhide: dialog 855 lists the hidden staves; "Unhide this staff" shows only that one
// and leaves the line count alone; Cancel in 855 changes nothing.
TEST_F(StaffDialogsTest, UnhideChosenStaff) {
    using namespace staff_management_dialog;
    StaffFlagsOf(view_->currentSystem)[1] = static_cast<int8_t>(pages::kHiddenStaff);
    StaffFlagsOf(view_->currentSystem)[3] = static_cast<int8_t>(pages::kHiddenStaff);
    const uint16_t flags = Staff(2).flags;
    ui::headless::SetDialogScript(unhide_staves_dialog::kUnhideStavesDialog, [](DialogDriver& d) {
        EXPECT_TRUE(d.IsChecked(unhide_staves_dialog::kUnhideAll));
        EXPECT_EQ(d.Selection(unhide_staves_dialog::kHiddenStaves), 0);
        d.Click(unhide_staves_dialog::kUnhideOne);
        d.Select(unhide_staves_dialog::kHiddenStaves, 1);  // "Staff  3"
        d.Click(ui::kIdOk);
    });
    RunManagement([](DialogDriver& d) {
        EXPECT_TRUE(d.IsEnabled(kUnhide));
        d.Type(kLines, "2");
        d.Click(kUnhide);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(SystemBits(3) & pages::kHiddenStaff, 0);
    EXPECT_NE(SystemBits(1) & pages::kHiddenStaff, 0);
    EXPECT_EQ(Staff(2).flags, flags);
    ui::headless::SetDialogScript(unhide_staves_dialog::kUnhideStavesDialog,
                                  [](DialogDriver& d) { d.Click(ui::kIdCancel); });
    EXPECT_EQ(RunUnhideStavesDialog(view_), -1);
}

// OK redraws the view at once (a staff hidden or a line count changed shows without
// waiting for another edit); Cancel leaves the window as it was.
TEST_F(StaffDialogsTest, OkRedrawsTheViewAndCancelDoesNot) {
    using namespace staff_management_dialog;
    constexpr int32_t kWindowSide = 400;
    view_->ViewWindow = ::ql::testing::OpenPlainWindow("QLMdiChild", kWindowSide, kWindowSide);
    win::ValidateRect(view_->ViewWindow, nullptr);
    RunManagement([](DialogDriver& d) {
        d.Type(kLines, "3");
        d.Click(ui::kIdCancel);
    });
    EXPECT_TRUE(win::GetUpdateRect(view_->ViewWindow).IsEmpty()) << "Cancel redrew the view";
    RunManagement([](DialogDriver& d) {
        d.Type(kLines, "3");
        d.Click(ui::kIdOk);
    });
    EXPECT_FALSE(win::GetUpdateRect(view_->ViewWindow).IsEmpty()) << "OK left the view as it was";
}

// Semitones of a transposition word: direction None gives 0; the lowered quality
// takes one off; octaves add 12; Down negates. The octaves shown come back.
TEST(StaffTransposition, SemitonesOfTheWord) {
    constexpr uint16_t kUp = 0x0100, kDown = 0x0200, kLowered = 0x0400;
    EXPECT_EQ(TranspositionSemitones(3, 0), 0);                // Fifth, no direction
    EXPECT_EQ(TranspositionSemitones(kUp | 3, 0), 7);          // perfect fifth up
    EXPECT_EQ(TranspositionSemitones(kDown | 1 | kLowered, 1), -15);  // minor third and an octave down
    EXPECT_EQ(TranspositionSemitones(kUp | 6, 0), 12);         // octave
    EXPECT_EQ(TranspositionSemitones(kUp | 15, 0), 12);        // a damaged interval is held at Octave
    EXPECT_EQ(TranspositionOctaves(12), 0);
    EXPECT_EQ(TranspositionOctaves(13), 1);
    EXPECT_EQ(TranspositionOctaves(-15), 1);
    EXPECT_EQ(TranspositionOctaves(-12), 0);
    EXPECT_EQ(TranspositionOctaves(25), 2);
}

// Dialog 857: the quality labels follow the interval; OK stores word and offset and
// copies "Minor key" to every staff, keeping the group bits; Cancel changes nothing.
TEST_F(StaffDialogsTest, TransposeDialog) {
    using namespace staff_transpose_dialog;
    Staff(2).transpositionWord = 0x6000;  // barline connection above and below
    const std::vector<std::byte> before = Snapshot();
    ui::headless::SetDialogScript(kStaffTransposeDialog, [](DialogDriver& d) {
        d.Click(kFirstInterval + 2);  // Fourth
        EXPECT_EQ(d.Text(kQualityPlain), "Perfect");
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunStaffTransposeDialog(view_, 2), 0);
    EXPECT_TRUE(before == Snapshot());
    ui::headless::SetDialogScript(kStaffTransposeDialog, [](DialogDriver& d) {
        EXPECT_EQ(d.Text(kQualityLowered), "Minor");  // Second at start
        d.Click(kFirstInterval + 1);                  // Third
        d.Click(kDirectionDown);
        d.Click(kQualityLowered);
        d.Click(kForParts);
        d.SetChecked(kMinorKey, true);
        d.Type(kOctaves, "1");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunStaffTransposeDialog(view_, 2), 1);
    EXPECT_EQ(Staff(2).transpositionWord, 0x6000 | 0x1000 | 0x0800 | 0x0400 | 0x0200 | 1);
    EXPECT_EQ(Staff(2).semitones, -15);
    for (int s : {1, 3}) EXPECT_EQ(Staff(s).transpositionWord & 0x1000, 0x1000) << s;
    EXPECT_EQ(Staff(3).semitones, 0);
}

// Dialog 831: channel and initial values shown + 1 and stored - 1, the port steps
// past its last letter to "NONE", the patch follows the offset, and OK sends one
// program change per new (port, channel) pair (none on channel 10).
TEST_F(StaffDialogsTest, MidiSetupDialog) {
    using namespace staff_midi_dialog;
    midi::headless::Reset();
    midi::headless::AddDevice("out", true, false);
    std::unique_ptr<midi::OutputDevice> out = midi::CurrentBackend().OpenOutput("out");
    ASSERT_NE(out, nullptr);
    TheSequencerState().run.portHandle[0] = out.get();
    Staff(2).timbres[0] = {0, 4, 10, 0};
    Staff(2).timbres[1] = {255, 0, 0, 0};
    Staff(2).timbres[2] = {0, 4, 20, 0};  // same pair as timbre 1: no second change
    Staff(2).timbres[3] = {0, 9, 30, 0};  // percussion channel: none
    const std::vector<std::byte> before = Snapshot();
    ui::headless::SetDialogScript(kStaffMidiDialog, [](DialogDriver& d) { d.Click(ui::kIdCancel); });
    EXPECT_EQ(RunStaffMidiDialog(view_, 2), 0);
    EXPECT_TRUE(before == Snapshot());
    EXPECT_TRUE(midi::headless::Sent().empty());
    ui::headless::SetDialogScript(kStaffMidiDialog, [](DialogDriver& d) {
        EXPECT_EQ(d.Text(kFirstPort), "A");
        EXPECT_EQ(d.Text(kFirstPort + kIdStep), "NONE");
        EXPECT_EQ(d.Int(kFirstChannel), 5);
        EXPECT_EQ(d.Int(kFirstPatch), 10);
        EXPECT_EQ(d.Selection(kFirstPatchCombo), 10);
        EXPECT_EQ(d.Int(kFirstInitial), 1);
        d.StepUpDown(kFirstPort + kIdStep - 1, 1);  // NONE is the last: beeps, stays
        EXPECT_EQ(d.Text(kFirstPort + kIdStep), "NONE");
        d.StepUpDown(kFirstPort + kIdStep - 1, -1);
        EXPECT_EQ(d.Text(kFirstPort + kIdStep), "H");
        d.Type(kFirstChannel, "12");
        d.Select(kFirstPatchCombo, 40);
        EXPECT_EQ(d.Int(kFirstPatch), 40);
        d.Type(kFirstInitial, "0");
        d.Type(kVelocity, "90");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunStaffMidiDialog(view_, 2), 1);
    EXPECT_EQ(Staff(2).timbres[0].channel, 11);
    EXPECT_EQ(Staff(2).timbres[0].patch, 40);
    EXPECT_EQ(Staff(2).timbres[1].port, 7);
    EXPECT_EQ(Staff(2).staffData22[0], 255);  // shown 0, stored - 1
    EXPECT_EQ(Staff(2).baseKeyVelocity, 90);
    std::vector<std::vector<uint8_t>> sent;
    for (const auto& m : midi::headless::Sent()) sent.push_back(m.bytes);
    const std::vector<std::vector<uint8_t>> expected = {{0xC0 | 11, 40}, {0xC0 | 4, 20}};
    EXPECT_EQ(sent, expected);
    TheSequencerState().run.portHandle[0] = nullptr;
}

// The patch numbering offset 1 shows patches from 1; the combo box still names the
// patch itself.
TEST_F(StaffDialogsTest, MidiSetupPatchOffset) {
    using namespace staff_midi_dialog;
    Staff(2).timbres[0].patch = 0;
    State().notes.PatchNumberOffset = 1;
    ui::headless::SetDialogScript(kStaffMidiDialog, [](DialogDriver& d) {
        EXPECT_TRUE(d.IsChecked(kOffsetOne));
        EXPECT_EQ(d.Int(kFirstPatch), 1);
        d.Type(kFirstPatch, "128");
        d.Click(kOffsetZero);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunStaffMidiDialog(view_, 2), 1);
    EXPECT_EQ(State().notes.PatchNumberOffset, 0);
    EXPECT_EQ(Staff(2).timbres[0].patch, 127);
}

}  // namespace
}  // namespace ql::testing_signatures
