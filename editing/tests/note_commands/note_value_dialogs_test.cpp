// The note commands through their value dialogs, driven as a user would: the typed
// value reaches the notes inside the marquee, clamped to the dialog's bounds with
// one beep; Cancel changes nothing.
#include <vector>

#include "core/model/score_document.h"
#include "editing/note_command_dialogs.h"
#include "editing/note_commands.h"
#include "editing/selection.h"
#include "editing/tests/note_commands/note_commands_fixture.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "sequencer/midi_settings_resources.h"
#include "sequencer/transcription_dialog_resources.h"

namespace ql::testing_note_commands {
namespace {

using ui::headless::DialogDriver;
namespace v = note_value_dialog;

constexpr int kNoteType = 29;

class NoteValueDialogTest : public NoteCommandTest {
  protected:
    void SetUp() override {
        NoteCommandTest::SetUp();
        ui::headless::ResetUi();
        RegisterMidiSettingsResources();
        RegisterTranscriptionDialogResources();
    }
    static size_t BeepCount() { return ui::headless::Beeps().size(); }
};

// Key velocity -200 stores -127 in every note inside, none outside, with one beep;
// an in-range value beeps not.
TEST_F(NoteValueDialogTest, KeyVelocityIsClampedWithOneBeep) {
    std::string shown;
    ui::headless::SetDialogScript(kKeyVelocityDialog, [&](DialogDriver& d) {
        shown = d.Text(v::kBounds);
        d.Type(v::kValue, "-200");
        d.Click(ui::kIdOk);
    });
    size_t beeps = BeepCount();
    EXPECT_EQ(ApplyNoteCommand(view_, note_cmd::kKeyVelocity, kNoteType), 1);
    EXPECT_EQ(shown, "(-127 - 127)");
    EXPECT_EQ(BeepCount(), beeps + 1);
    for (EventRecord* n : NotesWhere(true)) EXPECT_EQ(n->velocity, -127);
    for (EventRecord* n : NotesWhere(false)) EXPECT_EQ(n->velocity, 0);

    ui::headless::SetDialogScript(kKeyVelocityDialog, [&](DialogDriver& d) {
        shown = d.Text(v::kValue);
        d.Type(v::kValue, "33");
        d.PressEnter();
    });
    beeps = BeepCount();
    EXPECT_EQ(ApplyNoteCommand(view_, note_cmd::kKeyVelocity, kNoteType), 1);
    EXPECT_EQ(shown, "-127");  // the first note's value
    EXPECT_EQ(BeepCount(), beeps);
    for (EventRecord* n : NotesWhere(true)) EXPECT_EQ(n->velocity, 33);
}

// Attack and release show their bounds and store the typed offsets; the
// cross-staff check and the transposition mode are read on OK; Cancel keeps the
// caller's value.
TEST_F(NoteValueDialogTest, OffsetsCrossStaffAndTranspose) {
    std::string bounds;
    ui::headless::SetDialogScript(kAttackOffsetDialog, [&](DialogDriver& d) {
        bounds = d.Text(v::kBounds);
        d.Type(v::kValue, "5000");
        d.Click(ui::kIdOk);
    });
    int value = 0;
    EXPECT_EQ(RunNoteValueDialog(view_, kAttackOffsetDialog, &value), 1);
    EXPECT_EQ(bounds, "(-4096 - 4096)");
    EXPECT_EQ(value, 4096);

    ui::headless::SetDialogScript(kCrossStaffDialog, [](DialogDriver& d) {
        d.SetChecked(v::kValue, true);
        d.Click(ui::kIdOk);
    });
    value = 0;
    EXPECT_EQ(RunNoteValueDialog(view_, kCrossStaffDialog, &value), 1);
    EXPECT_EQ(value, 1);

    ui::headless::SetDialogScript(kTransposeDialog, [](DialogDriver& d) {
        d.Type(v::kValue, "-40");
        d.Click(v::kStaffDegrees);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunNoteValueDialog(view_, kTransposeDialog, &value), 1);
    EXPECT_EQ(value, -32);
    EXPECT_TRUE(TransposeByStaffDegrees());

    ui::headless::SetDialogScript(kReleaseOffsetDialog, [](DialogDriver& d) {
        d.Type(v::kValue, "12");
        d.Click(ui::kIdCancel);
    });
    value = 7;
    EXPECT_EQ(RunNoteValueDialog(view_, kReleaseOffsetDialog, &value), 2);
    EXPECT_EQ(value, 7);
}

}  // namespace
}  // namespace ql::testing_note_commands
