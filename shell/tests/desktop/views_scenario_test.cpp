// Two scores on the desktop at once: opened together, the windows tiled side by side
// (Window > Tile Vertically, Shift+F3), each window draws its own music.
#include <algorithm>

#include "shell/tests/desktop/desktop_fixture.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

TEST_F(DesktopScenario, TwoScoresSideBySideDrawTheirOwnMusic) {
    ASSERT_TRUE(StartProgram());
    const fs::path three = home_->Documents() / "three.ql";
    const fs::path two = home_->Documents() / "two.ql";
    MakeScoreFile(three, "3");
    MakeScoreFile(two, "2");
    EXPECT_EQ(Quit(), 0);

    ASSERT_TRUE(StartProgram({three.string(), two.string()}));
    ASSERT_TRUE(x_.WaitForWindow("two.ql"));
    PressInFrame("shift+F3");
    x_.Settle();
    const ShownWindow frame = Frame();
    const ScreenPicture picture = x_.Grab(frame);
    const auto left = StavesOfFirstSystem(picture, 0, picture.width / 2);
    const auto right = StavesOfFirstSystem(picture, picture.width / 2, picture.width);
    std::vector<size_t> counts{left.size(), right.size()};
    std::sort(counts.begin(), counts.end());
    EXPECT_EQ(counts, (std::vector<size_t>{2, 3}));
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
