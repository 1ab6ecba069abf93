// The mixer on the desktop: MIDI > Show Mixers brings up the window titled "Mixer"
// with its faders, and choosing it again hides it; Create Mixer then adds "Mixer 2"
// beside the first. The mixer's buttons show their pictures: PLAY's green triangle
// and the grey solo and mute buttons of the score's staves. A score of more staves
// than faders scrolls its faders to the last staff, whose fader and mute button
// keep what was set there.
#include <algorithm>

#include "shell/tests/desktop/desktop_fixture.h"
#include "shell/tests/desktop/mixer_places.h"
#include "shell/tests/desktop/scene_pictures.h"

namespace ql::desktop {
namespace {

constexpr uint32_t kMuteRed = 0xC81818;

int PixelsOf(const ScreenPicture& picture, uint32_t colour, int left, int top, int right, int bottom) {
    int count = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, picture.height); ++y)
        for (int x = std::max(left, 0); x < std::min(right, picture.width); ++x)
            count += (picture.At(x, y) & 0xFFFFFF) == colour ? 1 : 0;
    return count;
}

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

TEST_F(MixerScenario, ALargeScoreScrollsToItsLastFader) {
    ASSERT_TRUE(StartProgram());
    NewScore("60");
    ChooseMenuItem('m', 'x');
    ASSERT_TRUE(x_.WaitForWindow("Mixer")) << "no Mixer window came";
    const std::optional<MixerPlaces> places = WaitForMixerPlaces(x_);
    ASSERT_TRUE(places) << "PLAY does not show its picture";
    const MixerPlaces& at = *places;
    const auto grab = [&] { return x_.Grab(0, 0, x_.ScreenWidth(), x_.ScreenHeight()); };
    // The last staff fader's track and its mute button, on the screen.
    const auto track = [&](const ScreenPicture& p, const ScreenPicture& q) {
        return ChangedPixels(p, q, at.FaderLeft(44), at.TrackTop(), at.FaderLeft(44) + at.pitch - 4, at.TrackBottom());
    };
    const auto mutedRed = [&](const ScreenPicture& p) {
        return PixelsOf(p, kMuteRed, at.FaderLeft(44), at.MuteMiddle() - 7, at.FaderLeft(44) + at.pitch - 4,
                        at.MuteMiddle() + 7);
    };
    // The scroller's thumb dragged past either end of it: to the last offset or the first.
    const auto toEnd = [&] {
        x_.Drag(at.FaderLeft(1) + 12, at.ScrollerMiddle(), x_.ScreenWidth() - 1, at.ScrollerMiddle());
    };
    const auto toStart = [&] { x_.Drag(at.ScrollerRight() - 12, at.ScrollerMiddle(), 0, at.ScrollerMiddle()); };
    const ScreenPicture start = grab();
    EXPECT_EQ(mutedRed(start), 0);

    // To the end: fader 44 stands for staff 60. Its fader goes to the top and it is muted.
    toEnd();
    x_.Settle(Millis{500});
    const ScreenPicture scrolled = grab();
    WritePng(scrolled, TestOutputFolder() / "mixer_scrolled_desktop.png");
    x_.Click(at.FaderMiddle(44), at.TrackTop() + (at.TrackBottom() - at.TrackTop()) / 4);
    ASSERT_TRUE(WaitFor([&] { return track(scrolled, grab()) > 20; })) << "the last fader did not move";
    x_.Click(at.FaderMiddle(44), at.MuteMiddle());
    ASSERT_TRUE(WaitFor([&] { return mutedRed(grab()) > 10; })) << "the last staff was not muted";
    const ScreenPicture moved = grab();
    WritePng(moved, TestOutputFolder() / "mixer_last_staff_desktop.png");

    // Back to the start: fader 44 stands for staff 44 again, neither moved nor muted.
    toStart();
    ASSERT_TRUE(WaitFor([&] { return mutedRed(grab()) == 0; })) << "staff 44 shows staff 60's mute";
    x_.Settle(Millis{500});
    const ScreenPicture back = grab();
    EXPECT_GT(track(moved, back), 20) << "staff 44 shows staff 60's fader";
    EXPECT_LT(track(start, back), track(moved, back));

    // And to the end again: staff 60 kept both.
    toEnd();
    EXPECT_TRUE(WaitFor([&] { return mutedRed(grab()) > 10; })) << "staff 60 lost its mute";
    x_.Settle(Millis{500});
    const ScreenPicture again = grab();
    EXPECT_LT(track(moved, again), track(back, again)) << "staff 60 lost its fader";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
