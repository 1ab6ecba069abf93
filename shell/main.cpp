// Program entry: puts the window layer on GTK when a display is there (the headless
// backends stay otherwise, for tests and batch use), then runs the program: start-up,
// the message loop and shutdown, opening the files named on the command line.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "core/ui/help.h"
#include "display/display_services_install.h"
#include "files/file_services_install.h"
#include "layout/layout_services_install.h"
#include "objects/score_object_services_install.h"
#include "platform/gtk/gtk_install.h"
#include "platform/midi/midi.h"
#include "platform/sys/browser_help.h"
#include "platform/sys/folders.h"
#include "platform/sys/help.h"
#include "shell/program/instance_channel.h"
#include "shell/program/instance_desktop.h"
#include "shell/program/startup.h"
#include "shell/program/termination_signals.h"
#include "shell/shell_services.h"

namespace {

// How long the program waits at exit for the MIDI layer's threads that were let go.
constexpr uint32_t kMidiExitWaitMs = 2000;

}  // namespace

int main(int argc, char** argv) {
    using namespace ql;
    // Before any thread starts, so that only the watcher takes the signals.
    BlockTerminationSignals();
    // The services the score model and the editors ask of the program, and those the
    // score model asks of the display, the layout, the object kinds and the files.
    InstallShellServices();
    InstallDisplayServices();
    InstallLayoutServices();
    InstallScoreObjectServices();
    InstallFileServices();
    StartupOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::printf("usage: %s [score.ql ...]\n", argv[0]);
            return 0;
        }
        options.arguments.emplace_back(argument);
    }
    const bool onDisplay = gtk::InstallGtkBackends();
    if (onDisplay) {
        // A program already running opens the files instead.
        const InstanceClaim claim = ClaimInstanceChannel(options.arguments);
        if (claim.handedOver) {
            gtk::ReleaseDisplayFonts();
            if (claim.exitCode != 0) std::fprintf(stderr, "%s: %s\n", argv[0], claim.message.c_str());
            return claim.exitCode;
        }
        options.serveOpenChannel = true;
        // The desktop learns the program's document types (nothing when it knows them).
        RegisterShellTypes();
        // On a desktop, help pages open in the browser.
        sys::InstallHelpViewer(std::make_unique<sys::BrowserHelpViewer>(
            sys::ProgramFolder() / kHelpFolderName, std::string{}));
    } else {
        // Without a display there is nobody to show the splash to.
        options.splash = false;
        options.exitWhenIdle = true;
    }
    const int32_t code = RunProgram(options);
    if (onDisplay) gtk::ReleaseDisplayFonts();
    // A MIDI writer or sound thread still stuck in its device after the wait could
    // outlive the static objects it uses: the program then ends without them.
    if (!midi::ReleaseForExit(kMidiExitWaitMs)) {
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
