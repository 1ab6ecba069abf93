// The settings commands in the running program: every command of the map opens its
// dialog for the active score (or runs its action), the ones that need no score run
// from the frame too, and Export reaches the sequencer window.
#include "shell/command/settings_commands.h"

#include <gtest/gtest.h>

#include "core/state.h"
#include "platform/ui/headless.h"
#include "platform/ui/menu.h"
#include "platform/win/message_loop.h"
#include "shell/program/frame.h"
#include "shell/program/sequencer_window.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

class SettingsCommandsTest : public testing::ProgramFixture {
  protected:
    // Every dialog of the map answers Cancel and is counted.
    void CancelEveryDialog() {
        for (const SettingsCommand& entry : SettingsCommands())
            if (entry.dialog != 0)
                ui::headless::SetDialogScript(entry.dialog, [](ui::headless::DialogDriver& d) { d.PressEscape(); });
    }
    static bool Ran(int32_t dialog) {
        for (const ui::headless::DialogRecord& record : ui::headless::Dialogs())
            if (record.templateId == sys::ResourceId(dialog)) return true;
        return false;
    }
    void Send(int32_t command) {
        win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(command, 0));
        Pump();
    }
};

// Each command of the map opens its own dialog on the open score; the Note tool's
// value commands wait for notes; Save, Save As and Export have no dialog.
TEST_F(SettingsCommandsTest, EveryCommandOpensItsDialog) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    RequestOpen(WriteScore("settings.ql"));
    Pump();
    ASSERT_NE(State().documents.ActiveView, nullptr);
    State().documents.ActiveView->currentStaff = 1;  // the staff dialogs work on it
    CancelEveryDialog();
    for (const SettingsCommand& entry : SettingsCommands()) {
        if (entry.dialog == 0) continue;
        if (entry.command == 40370 || entry.command == 40371 || entry.command == 40415) continue;
        Send(entry.command);
        EXPECT_TRUE(Ran(entry.dialog)) << entry.command << " did not open " << entry.dialog;
        EXPECT_EQ(ui::headless::OpenDialogDepth(), 0);
        EXPECT_EQ(State().dialogs.ModalFlag, 0);
    }
    EXPECT_EQ(FindSettingsCommand(57605), nullptr);
    EXPECT_EQ(CloseAndRun(), 0);
}

// Without a score only the settings that need none open; the others do nothing.
TEST_F(SettingsCommandsTest, WithoutAScoreOnlyProgramSettingsOpen) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    CancelEveryDialog();
    for (int32_t command : {40423, 42067, 42079, 42080, 40116, 40165, 40200}) Send(command);
    for (int32_t dialog : {803, 887, 888, 889}) EXPECT_TRUE(Ran(dialog)) << dialog;
    for (int32_t dialog : {865, 866, 875}) EXPECT_FALSE(Ran(dialog)) << dialog;
}

// Export posts its message to the sequencer window, which exports the score.
TEST_F(SettingsCommandsTest, ExportPostsToTheSequencerWindow) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    RequestOpen(WriteScore("export.ql"));
    Pump();
    ASSERT_NE(State().documents.ActiveView, nullptr);
    RunSettingsCommand(State().documents.ActiveView, 40115);
    bool posted = false;
    win::QueuedMessage message;
    while (win::PeekMessage(message))
        posted |= message.window == SequencerWindow() &&
                  win::ToRaw(message.message) == win::kPrivateMessageBase + kExportMidiMessageOffset;
    EXPECT_TRUE(posted);
}

}  // namespace
}  // namespace ql
