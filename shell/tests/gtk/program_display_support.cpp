// The program started on the display, and the scores it is started with.
#include "platform/gtk/gtk_install.h"
#include "shell/program/frame.h"
#include "shell/tests/gtk/program_display.h"

namespace ql::testing {

std::string ProgramOnDisplayFixture::ScoreWrittenBeforehand(const std::string& name) {
    EXPECT_EQ(Start(), StartupCode::Ok);
    const std::string path = WriteScore(name);
    EXPECT_EQ(CloseAndRun(), 0);
    ResetFrame();
    FreshWindowLayer::ResetAll();
    return path;
}

bool ProgramOnDisplayFixture::StartOnDisplay(std::vector<std::string> arguments) {
    if (!gtk::InstallGtkBackends()) return false;
    StartupOptions options;
    options.arguments = std::move(arguments);
    options.splash = false;
    EXPECT_EQ(StartProgram(options), StartupCode::Ok);
    running_ = true;
    SettleDisplay();
    return true;
}

}  // namespace ql::testing
