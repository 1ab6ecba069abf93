// A plain reparenting window manager (twm) on a scenario's display: a title bar on
// every window (the palettes, which belong to the frame, too), windows placed where
// their programs ask, moved by a drag of their title bar without holding the display
// (the scenario's input still reaches it). Asked to, it raises a window the pointer
// goes into, as a manager that raises the window clicked does before the click
// reaches the program. Scenarios that check what a user sees on a desktop with a
// manager start one; it ends with the scenario.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace ql::desktop {

class TitlingWindowManager {
public:
    enum class Raising { kByTitleBar, kOnEnter };
    // The title bar's buttons: the manager's own two (iconify at the left, resize at
    // the right), or four as some managers draw them (two more at the right).
    enum class TitleButtons { kTwo, kFour };
    TitlingWindowManager(const std::string& display, const std::filesystem::path& folder,
                         Raising raising = Raising::kByTitleBar, TitleButtons buttons = TitleButtons::kTwo) {
        const std::filesystem::path rc = folder / "twmrc";
        std::ofstream(rc) << "UsePPosition \"on\"\nRandomPlacement\nDecorateTransients\nNoGrabServer\nOpaqueMove\n"
                             "TitleFont \"fixed\"\nMenuFont \"fixed\"\nIconFont \"fixed\"\nResizeFont \"fixed\"\n"
                             "IconManagerFont \"fixed\"\n"
                          << (raising == Raising::kOnEnter ? "AutoRaise { \"Quaverline\" }\n" : "")
                          << (buttons == TitleButtons::kFour
                                  ? "RightTitleButton \":dot\" = f.iconify\nRightTitleButton \":xlogo\" = f.delete\n"
                                  : "");
        pid_ = fork();
        if (pid_ == 0) {
            setenv("DISPLAY", display.c_str(), 1);
            if (freopen("/dev/null", "w", stderr) == nullptr || freopen("/dev/null", "w", stdout) == nullptr) _exit(127);
            execlp("twm", "twm", "-f", rc.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~TitlingWindowManager() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    TitlingWindowManager(const TitlingWindowManager&) = delete;
    TitlingWindowManager& operator=(const TitlingWindowManager&) = delete;
    // Still running a moment after its start (it ends at once when it cannot start).
    bool Runs() {
        int status = 0;
        return pid_ > 0 && waitpid(pid_, &status, WNOHANG) == 0;
    }

private:
    pid_t pid_ = -1;
};

}  // namespace ql::desktop
