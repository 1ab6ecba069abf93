// Repeat endings on the desktop: the Graphics palette's "Repeat Ending" places one
// where the staff is clicked; a double-click on it opens "Repeat Ending", whose "Set
// image..." opens the label's "Set Image" dialog over it; both closed with Escape,
// the ending stays on the page and no error box comes up.
#include <algorithm>
#include <optional>
#include <string_view>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

constexpr int kGraphicsOnMain = 2;
constexpr int kRepeatEndingButton = 3;  // first row of the five-column Graphics palette
// Tab stops of "Repeat Ending" from "From measure": Through, passes A-D, "Dashed
// bracket", the label preview, then "Set image...".
constexpr int kTabsToSetImage = 8;

class RepeatEndingScenario : public MusicBesidePalettes {};

TEST_F(RepeatEndingScenario, SetImageOpensFromTheRepeatEndingDialog) {
    WriteSettings("[ToolbarSettings]\nMGTool=760,440,5,2\n");  // clear of the other palettes
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    const std::optional<ShownWindow> main = x_.WindowTitled("Main");
    ASSERT_TRUE(main) << "no Main palette";
    x_.Settle(Millis{800});
    const auto [graphicsX, graphicsY] = RowButton(*main, kGraphicsOnMain);
    x_.Click(graphicsX, graphicsY);
    x_.Settle(Millis{800});
    const std::optional<ShownWindow> graphics = x_.WindowTitled("Graphics");
    ASSERT_TRUE(graphics) << "Graphics did not open its palette";
    x_.Settle(Millis{500});
    const auto [endingX, endingY] = RowButton(*graphics, kRepeatEndingButton);
    x_.Click(endingX, endingY);
    x_.Settle(Millis{500});

    const ScreenPicture before = Screen();
    const int left = Frame().x + 120;
    const int right = MusicRight();
    const std::vector<int> lines = before.LongDarkLines(left, 40, right, x_.ScreenHeight() - 100, 0.95);
    ASSERT_GE(lines.size(), 5u) << "no staff lines beside the palettes";
    const int x = left + (right - left) / 3;
    x_.MovePointer(x, lines[0] - 2 * (lines[1] - lines[0]));
    x_.Settle(Millis{300});
    x_.Click(x, lines[0] - 2 * (lines[1] - lines[0]));
    x_.Settle(Millis{1000});
    x_.MovePointer(right + 40, x_.ScreenHeight() - 20);
    x_.Settle(Millis{600});
    const ScreenPicture placed = Screen();
    WritePng(placed, TestOutputFolder() / "repeat_ending_placed_desktop.png");
    const InkBox ink = NewInkBox(before, placed, left, lines[0] - 200, right, lines[4] + 40);
    ASSERT_GT(ink.count, 20) << "no repeat ending appeared where the staff was clicked";

    // A double-click on the ending's bracket: the row of the most new ink, in its middle.
    int lineY = ink.top;
    int64_t most = 0;
    for (int y = ink.top; y <= ink.bottom; ++y) {
        int64_t row = 0;
        for (int x = ink.left; x <= ink.right; ++x)
            row += before.At(x, y) != placed.At(x, y) && placed.DarkPixels(x, y, x + 1, y + 1) > 0 ? 1 : 0;
        if (row > most) most = row, lineY = y;
    }
    const int hitX = (ink.left + ink.right) / 2;
    x_.MovePointer(hitX, lineY);
    x_.Settle(Millis{300});
    x_.DoubleClick(hitX, lineY);
    const std::optional<ShownWindow> dialog = x_.WaitForWindow("Repeat Ending");
    ASSERT_TRUE(dialog) << "a double-click on the ending did not open its dialog";
    x_.PointAt(*dialog);
    x_.Settle(Millis{500});
    for (int i = 0; i < kTabsToSetImage; ++i) x_.PressKey("Tab");
    x_.PressKey("space");
    const std::optional<ShownWindow> image = x_.WaitForWindow("Set Image");
    WritePng(Screen(), TestOutputFolder() / "repeat_ending_set_image_desktop.png");
    ASSERT_TRUE(image) << "Set image... did not open the label's dialog";
    x_.PointAt(*image);
    x_.PressKey("Escape");
    ASSERT_TRUE(x_.WaitUntilGone("Set Image")) << "Set Image stayed open";
    EXPECT_TRUE(x_.FindWindow("Repeat Ending")) << "Repeat Ending closed with Set Image";
    x_.PointAt(*dialog);
    x_.PressKey("Escape");
    ASSERT_TRUE(x_.WaitUntilGone("Repeat Ending")) << "Repeat Ending stayed open";
    EXPECT_FALSE(WaitForMessageBox()) << "an error box came up";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
