// The Zoom tool on the desktop: a click on the page zooms one level in with the
// clicked point in the middle of the score window, not where it was.
#include <cstdlib>
#include <optional>
#include <vector>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

constexpr int kZoomOnMain = 6;
constexpr int kVerticalScrollBarWidth = 16;
constexpr int kHorizontalScrollBarHeight = 16;
constexpr int kStatusBarHeight = 24;

class ZoomToolScenario : public MusicBesidePalettes {};

TEST_F(ZoomToolScenario, AClickZoomsInAroundTheClickedPoint) {
    const std::optional<ShownWindow> main = NewScoreWithMain();
    ASSERT_TRUE(main);
    const ScreenPicture before = SettledScreen();
    const std::vector<int> lines = StaffLinesBesidePalettes(before);
    ASSERT_GE(lines.size(), 5u);
    const int space = lines[1] - lines[0];
    const auto [zx, zy] = RowButton(*main, kZoomOnMain);
    x_.Click(zx, zy);
    x_.Settle(Millis{500});

    // The top line of the third system's staff, two thirds along the music: room
    // on the page all round it for the window at the next level.
    ASSERT_GE(lines.size(), 15u);
    const int x = MusicLeft() + (MusicRight() - MusicLeft()) * 2 / 3, y = lines[10];
    x_.MovePointer(x, y);
    x_.Settle(Millis{300});
    x_.Click(x, y);
    x_.Settle(Millis{1000});
    const ScreenPicture zoomed = SettledScreen();
    WritePng(zoomed, TestOutputFolder() / "zoom_tool_click_desktop.png");
    const ShownWindow frame = Frame();
    const int centreX = frame.x + (frame.width - kVerticalScrollBarWidth) / 2;
    const int centreY = (BarsBottom() + frame.y + frame.height - kHorizontalScrollBarHeight - kStatusBarHeight) / 2;
    const std::vector<int> shown = zoomed.LongDarkLines(centreX - 60, BarsBottom(), centreX + 60,
                                                        frame.y + frame.height - kStatusBarHeight, 0.95);
    ASSERT_GE(shown.size(), 2u) << "no staff lines in the middle of the window";
    const int zoomedSpace = shown[1] - shown[0];
    EXPECT_GT(zoomedSpace, space) << "the click did not zoom in";
    // The clicked line stands in the middle of the window.
    int nearest = shown[0];
    for (const int row : shown)
        if (std::abs(row - centreY) < std::abs(nearest - centreY)) nearest = row;
    EXPECT_LE(std::abs(nearest - centreY), zoomedSpace) << "no staff line near the middle row " << centreY;
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
