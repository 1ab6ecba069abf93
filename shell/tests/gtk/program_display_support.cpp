// Letting the program settle on the display, and the scores it is started with.
#include <gtk/gtk.h>

#include "platform/gtk/gtk_install.h"
#include "platform/gtk/gtk_window_backend.h"
#include "platform/win/message_loop.h"
#include "shell/program/frame.h"
#include "shell/tests/gtk/program_display.h"

namespace ql::testing {

namespace {
constexpr int kSettleRounds = 5;
}  // namespace

void SettleDisplay() {
    for (int round = 0; round < kSettleRounds; ++round) {
        win::PumpMessages();
        if (gtk::GtkWindowBackend* backend = gtk::CurrentGtkBackend()) backend->RunPendingEvents();
        gdk_display_sync(gdk_display_get_default());
        while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    }
    win::PumpMessages();
}

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
