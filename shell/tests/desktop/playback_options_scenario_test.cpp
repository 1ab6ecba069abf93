// The MIDI menu's Playback Options on the desktop: Swing Eighths, Swing Sixteenths
// and Play Loose each show their check mark in the submenu once chosen, and lose
// it when chosen again. Judged from pictures of the opened submenu.
#include <algorithm>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

class PlaybackOptionsScenario : public DesktopScenario {
protected:
    // Opens MIDI > Playback Options; the submenu's window (the popup that opens to
    // the right of the MIDI menu), or empty.
    std::optional<ShownWindow> OpenSubmenu() {
        if (!OpenFrameMenu('m')) return std::nullopt;
        x_.PressKey("o");
        std::vector<ShownWindow> popups;
        WaitFor([&] { return (popups = x_.Popups()).size() >= 2; });
        if (popups.size() < 2) return std::nullopt;
        x_.Settle();
        return *std::max_element(popups.begin(), popups.end(),
                                 [](const ShownWindow& a, const ShownWindow& b) { return a.x < b.x; });
    }
    void CloseMenus() {
        for (int i = 0; i < 3; ++i) x_.PressKey("Escape");
        WaitFor([&] { return x_.Popups().empty(); });
    }
    ScreenPicture SubmenuPicture() {
        const std::optional<ShownWindow> submenu = OpenSubmenu();
        ScreenPicture picture = submenu ? x_.Grab(submenu->x, submenu->y, submenu->width, submenu->height)
                                        : ScreenPicture{};
        CloseMenus();
        return picture;
    }
    void Choose(char item) {
        if (!OpenSubmenu()) return;
        x_.PressKey(std::string(1, item));
        WaitFor([&] { return x_.Popups().empty(); });
        x_.Settle();
    }
};

TEST_F(PlaybackOptionsScenario, EachToggleShowsItsCheckMark) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    for (char item : {'w', 'x', 'o'}) {
        const ScreenPicture before = SubmenuPicture();
        ASSERT_FALSE(before.pixels.empty()) << "Playback Options did not open";
        Choose(item);
        const ScreenPicture toggled = SubmenuPicture();
        EXPECT_GT(DifferentPixels(toggled, before), 0) << "no check mark came for " << item;
        Choose(item);
        EXPECT_EQ(DifferentPixels(SubmenuPicture(), before), 0) << "the check mark stayed for " << item;
    }
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
