// The mixer on the desktop: MIDI > Show Mixers brings up the window titled "Mixer"
// with its faders, and choosing it again hides it; Create Mixer then adds "Mixer 2"
// beside the first. The mixer's buttons show their pictures: PLAY's green triangle
// and the grey solo and mute buttons of the score's staves.
#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

class MixerScenario : public DesktopScenario {};

TEST_F(MixerScenario, ShowMixersShowsAndHidesTheMixer) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    ChooseMenuItem('m', 'x');
    const std::optional<ShownWindow> mixer = x_.WaitForWindow("Mixer");
    ASSERT_TRUE(mixer) << "no Mixer window came";
    EXPECT_GT(mixer->width, 200);
    ChooseMenuItem('m', 'x');
    EXPECT_TRUE(WaitFor([&] { return !x_.FindWindow("Mixer"); })) << "the mixer stayed";
    ChooseMenuItem('m', 'x');
    ASSERT_TRUE(x_.WaitForWindow("Mixer"));
    ChooseMenuItem('m', 'c');
    EXPECT_TRUE(x_.WaitForWindow("Mixer 2")) << "Create Mixer made no second mixer";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

TEST_F(MixerScenario, TheButtonsShowTheirPictures) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    ChooseMenuItem('m', 'x');
    ASSERT_TRUE(x_.WaitForWindow("Mixer")) << "no Mixer window came";
    constexpr uint32_t kPlayGreen = 0x009000;
    const auto greenPixels = [&] {
        const std::optional<ShownWindow> mixer = x_.FindWindow("Mixer");
        if (!mixer) return 0;
        const ScreenPicture picture = x_.Grab(*mixer);
        int count = 0;
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) count += (picture.At(x, y) & 0xFFFFFF) == kPlayGreen ? 1 : 0;
        return count;
    };
    EXPECT_TRUE(WaitFor([&] { return greenPixels() > 10; })) << "PLAY does not show its picture";
    WritePng(x_.Grab(*x_.FindWindow("Mixer")), TestOutputFolder() / "mixer_buttons_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
