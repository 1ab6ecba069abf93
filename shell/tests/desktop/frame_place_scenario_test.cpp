// The frame's place on the desktop: under a window manager that puts a title bar
// above it, the frame with its title and its status bar fits the screen, and keeps
// its size as score windows open and close.
#include <sstream>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/window_manager.h"

namespace ql::desktop {
namespace {

std::string Place(const ShownWindow& w) {
    std::ostringstream text;
    text << w.width << "x" << w.height << " at " << w.x << "," << w.y;
    return text.str();
}

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

// A maximised score window's buttons stand in the frame's menu row: the row is as
// high without them, so the frame keeps its size and its place on the screen as
// maximised scores open and close, and its status bar stays on the screen.
TEST_F(FramePlaceScenario, TheFrameKeepsItsSizeAsScoreWindowsOpenAndClose) {
    TitlingWindowManager manager(display_.Name(), home_->Root());
    x_.Settle();
    ASSERT_TRUE(manager.Runs()) << "the window manager did not start";
    ASSERT_TRUE(StartProgram());
    const ShownWindow before = SettledFrame();
    for (int round = 0; round < 2; ++round) {
        NewScore("1");
        const ShownWindow open = SettledFrame();
        EXPECT_EQ(Place(open), Place(before)) << "with a maximised score, round " << round;
        CloseScore();
        const ShownWindow closed = SettledFrame();
        EXPECT_EQ(Place(closed), Place(before)) << "after the close, round " << round;
        ExpectOnScreen(closed);
    }
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
