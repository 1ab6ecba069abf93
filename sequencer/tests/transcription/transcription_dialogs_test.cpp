// The transcription option dialogs driven as a user would: typed numbers clamped on
// OK to their spin ranges with one beep, the looseness stored as a power of two,
// check boxes that act at once and survive Cancel, radios that only OK stores.
#include <gtest/gtest.h>

#include "core/settings/program_options.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "sequencer/tests/transcription/transcription_fixture.h"
#include "sequencer/transcription_dialog_resources.h"
#include "sequencer/transcription_dialogs.h"

namespace ql::testing {
namespace {

using ui::headless::DialogDriver;

class TranscriptionDialogTest : public TranscriptionTest {
protected:
    void SetUp() override {
        TranscriptionTest::SetUp();
        RegisterTranscriptionDialogResources();
    }
    static size_t BeepCount() { return ui::headless::Beeps().size(); }
};

// Channel-Staff Assignments on a 4-staff score: 9 typed for channel 3 stores 4 with
// one beep, the unset table shows channels 1..16 capped at the staff count;
// Cancel stores nothing.
TEST_F(TranscriptionDialogTest, ChannelStaffClampsToTheStaffCount) {
    namespace c = channel_staff_dialog;
    Begin(4, 1);
    std::string shownFirst;
    ui::headless::SetDialogScript(c::kDialog, [&](DialogDriver& d) {
        shownFirst = d.Text(c::EditOfChannel(1));
        EXPECT_TRUE(d.Type(c::EditOfChannel(3), "9"));
        d.Click(ui::kIdOk);
    });
    const size_t beeps = BeepCount();
    EXPECT_EQ(RunChannelStaffDialog(view_), 1);
    EXPECT_EQ(shownFirst, "1");
    EXPECT_EQ(ql::Options().ChannelStaff[2], 4);
    EXPECT_EQ(ql::Options().ChannelStaff[1], 2);
    EXPECT_EQ(ql::Options().ChannelStaff[15], 4);
    EXPECT_EQ(BeepCount(), beeps + 1);

    ui::headless::SetDialogScript(c::kDialog, [](DialogDriver& d) {
        d.Type(c::EditOfChannel(1), "3");
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunChannelStaffDialog(view_), 2);
    EXPECT_EQ(ql::Options().ChannelStaff[0], 1);
}

// Loosen Up!: 40 stores 32 without a beep; 500 is clamped to 128 with one beep and
// stores 64; 3 stores 2; the timing radio and "Dotted" are stored.
TEST_F(TranscriptionDialogTest, LoosenUpStoresAPowerOfTwo) {
    namespace l = loosen_up_dialog;
    const auto run = [&](const char* typed) {
        ui::headless::SetDialogScript(l::kDialog, [typed](DialogDriver& d) {
            d.Type(l::kVelocityEdit, typed);
            d.Click(l::kTimingBase + 2);
            d.Click(ui::kIdOk);
        });
        return RunLoosenUpDialog();
    };
    size_t beeps = BeepCount();
    EXPECT_EQ(run("40"), 1);
    EXPECT_EQ(ql::Options().VelocityLooseness, 32);
    EXPECT_EQ(ql::Options().TimingLooseness, 2);
    EXPECT_EQ(BeepCount(), beeps);
    EXPECT_EQ(run("500"), 1);
    EXPECT_EQ(ql::Options().VelocityLooseness, 64);
    EXPECT_EQ(BeepCount(), beeps + 1);
    EXPECT_EQ(run("3"), 1);
    EXPECT_EQ(ql::Options().VelocityLooseness, 2);
}

// Set Quantization: "Allow triplets" toggled, another attack grid chosen, Cancel:
// the flag stays toggled and the old exponent stays; with OK both grids are stored.
TEST_F(TranscriptionDialogTest, QuantizationCancelKeepsTogglesAndOldGrids) {
    namespace q = quantization_dialog;
    ql::Options().PreQuantization = 8;
    ql::Options().AllowTriplets = 0;
    ui::headless::SetDialogScript(q::kDialog, [](DialogDriver& d) {
        EXPECT_TRUE(d.IsChecked(q::kAttackBase + 8));
        d.SetChecked(q::kTriplets, true);
        d.Click(q::kAttackBase + 10);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunSetQuantizationDialog(), 2);
    EXPECT_EQ(ql::Options().AllowTriplets, 1);
    EXPECT_EQ(ql::Options().PreQuantization, 8);

    ui::headless::SetDialogScript(q::kDialog, [](DialogDriver& d) {
        d.Click(q::kAttackBase + 6);
        d.Click(q::kReleaseBase + 9);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunSetQuantizationDialog(), 1);
    EXPECT_EQ(ql::Options().PreQuantization, 6);
    EXPECT_EQ(ql::Options().PostQuantization, 9);
}

// Advanced Quantization through its button: retaining the error off, an extend
// limit of a quarter and an offset limit of a 64th are stored on OK; the next
// transcription then keeps no offsets.
TEST_F(TranscriptionDialogTest, AdvancedQuantizationStoresLimits) {
    namespace a = advanced_quantization_dialog;
    namespace q = quantization_dialog;
    ql::Options().KeepQuantizationError = 1;
    ui::headless::SetDialogScript(a::kDialog, [](DialogDriver& d) {
        d.SetChecked(a::kRetain, false);
        d.Click(a::kExtendBase + 10);
        d.Click(a::kOffsetBase + 6);
        d.Click(ui::kIdOk);
    });
    ui::headless::SetDialogScript(q::kDialog, [](DialogDriver& d) {
        d.Click(q::kAdvanced);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunSetQuantizationDialog(), 1);
    EXPECT_EQ(ql::Options().KeepQuantizationError, 0);
    EXPECT_EQ(ql::Options().ExtendLimit, 1024);
    EXPECT_EQ(ql::Options().QuantizationErrorLimit, 6);
    EXPECT_EQ(CurrentQuantizeSettings().offsetLimit, 0);
}

// The message filter's boxes act at once and stay after Cancel; the system
// exclusive pair is hidden. Note Timbre sets the timbre at once.
TEST_F(TranscriptionDialogTest, FilterAndTimbreActAtOnce) {
    namespace f = message_filter_dialog;
    namespace t = note_timbre_dialog;
    ui::headless::SetDialogScript(f::kDialog, [](DialogDriver& d) {
        EXPECT_FALSE(d.IsVisible(f::kFilterSysex));
        d.SetChecked(f::kFilterKeyPressure + 2, true);
        d.SetChecked(f::kHideTempo, true);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunMidiMessageFilterDialog(), 2);
    EXPECT_EQ(ql::Options().FilterPATCH, 1);
    EXPECT_EQ(ql::Options().HideTEMPO, 1);
    EXPECT_EQ(ql::Options().FilterRTC, 0);

    ui::headless::SetDialogScript(t::kDialog, [](DialogDriver& d) {
        EXPECT_TRUE(d.IsChecked(t::kStaffDefault));
        d.Click(t::kStaffDefault + 2);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunNoteTimbreDialog(), 2);
    EXPECT_EQ(ql::Options().NoteTimbre, 1);
}

}  // namespace
}  // namespace ql::testing
