// The frame's place on the desktop: under a window manager that puts a title bar
// above it, the frame with its title and its status bar fits the screen.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

std::string Place(const ShownWindow& w) {
    std::ostringstream text;
    text << w.width << "x" << w.height << " at " << w.x << "," << w.y;
    return text.str();
}

// A plain reparenting window manager (twm) on the scenario's display, with a title
// bar on every window and windows placed where their programs ask; ended with the
// scenario.
class TitlingWindowManager {
public:
    TitlingWindowManager(const std::string& display, const std::filesystem::path& folder) {
        const std::filesystem::path rc = folder / "twmrc";
        std::ofstream(rc) << "UsePPosition \"on\"\nRandomPlacement\nTitleFont \"fixed\"\nMenuFont \"fixed\"\n"
                             "IconFont \"fixed\"\nResizeFont \"fixed\"\nIconManagerFont \"fixed\"\n";
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

class FramePlaceScenario : public DesktopScenario {
protected:
    // The frame once it stopped changing.
    ShownWindow SettledFrame() {
        ShownWindow last = Frame();
        WaitFor([&] {
            x_.Settle();
            const ShownWindow now = Frame();
            const bool same = now.width == last.width && now.height == last.height && now.y == last.y;
            last = now;
            return same;
        });
        return last;
    }
    void ExpectOnScreen(const ShownWindow& frame) {
        EXPECT_GE(frame.y, 0) << Place(frame);
        EXPECT_LE(frame.y + frame.height, x_.ScreenHeight()) << "the frame's bottom is off the screen: " << Place(frame);
        EXPECT_LE(frame.x + frame.width, x_.ScreenWidth()) << Place(frame);
    }
};

// Under a window manager whose title bar stands above the frame: the frame shown at
// the screen's size is made smaller so that its title and its status bar at the
// bottom are both on the screen.
TEST_F(FramePlaceScenario, TheFrameAndItsTitleBarFitTheScreenUnderAWindowManager) {
    TitlingWindowManager manager(display_.Name(), home_->Root());
    x_.Settle();
    ASSERT_TRUE(manager.Runs()) << "the window manager did not start";
    ASSERT_TRUE(StartProgram());
    const ShownWindow frame = SettledFrame();
    EXPECT_GT(frame.y, 0) << "no title bar above the frame: " << Place(frame);
    ExpectOnScreen(frame);
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
