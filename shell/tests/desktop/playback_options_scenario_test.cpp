// The MIDI menu's Playback Options on the desktop: Swing Eighths, Swing Sixteenths
// and Play Loose each show their check mark in the submenu once chosen, and lose
// it when chosen again. Judged from pictures of the opened submenu.
#include <string_view>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

class PlaybackOptionsScenario : public DesktopScenario {};

TEST_F(PlaybackOptionsScenario, EachToggleShowsItsCheckMark) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    for (std::string_view item : {"mow", "mox", "moo"}) {
        const ScreenPicture before = MenuPathPicture("mo");
        ASSERT_FALSE(before.pixels.empty()) << "Playback Options did not open";
        ChooseMenuPath(item);
        const ScreenPicture toggled = MenuPathPicture("mo");
        EXPECT_GT(DifferentPixels(toggled, before), 0) << "no check mark came for " << item;
        ChooseMenuPath(item);
        EXPECT_EQ(DifferentPixels(MenuPathPicture("mo"), before), 0) << "the check mark stayed for " << item;
    }
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
