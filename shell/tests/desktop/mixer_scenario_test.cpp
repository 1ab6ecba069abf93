// The mixer on the desktop: MIDI > Show Mixers brings up the window titled "Mixer"
// with its faders, and choosing it again hides it; Create Mixer then adds "Mixer 2"
// beside the first.
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
    ChooseMenuItem('f', 'x');
    const std::optional<ShownWindow> box = WaitForMessageBox();
    if (box) x_.Click(box->x + box->width / 2, box->y + box->height * 3 / 4);  // No to saving
    EXPECT_EQ(program_->WaitForExit(), 0);
}

}  // namespace
}  // namespace ql::desktop
