// The quick zooms on the desktop keep the page on screen: a page scrolled to its
// right edge at a high level, taken to a lower quick zoom, shows its left part
// again rather than the desk beyond its right edge.
#include <optional>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

constexpr int kStatusBarHeight = 24;
constexpr int kScrollBarMiddle = 8;

class QuickZoomScenario : public MusicBesidePalettes {};

TEST_F(QuickZoomScenario, ALowerQuickZoomKeepsThePageOnScreen) {
    ASSERT_TRUE(NewScoreWithMain());
    ChooseMenuPath("v4");
    x_.Settle(Millis{1000});
    const ShownWindow frame = Frame();
    const int barY = frame.y + frame.height - kStatusBarHeight - kScrollBarMiddle;
    x_.Drag(frame.x + 30, barY, frame.x + frame.width - 40, barY, 10);
    x_.Settle(Millis{1000});
    WritePng(SettledScreen(), TestOutputFolder() / "quick_zoom_right_desktop.png");
    ChooseMenuPath("v1");
    x_.Settle(Millis{1000});
    const ScreenPicture lower = SettledScreen();
    WritePng(lower, TestOutputFolder() / "quick_zoom_lower_desktop.png");
    // The page's staves stand at the window's left, where the page begins.
    EXPECT_GE(StavesOfFirstSystem(lower, frame.x, frame.x + frame.width / 4).size(), 1u)
        << "no staves in the window's left quarter: the page is off screen";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
