// Repeat endings on the desktop: the Graphics palette's "Repeat Ending" places one
// where the staff is clicked; a double-click on it opens "Repeat Ending", whose "Set
// image..." opens the label's "Set Image" dialog over it; both closed with Escape,
// the ending stays on the page and no error box comes up. Set Image shows the label
// in the font chosen there. Its bracket's middle
// handle dragged takes the whole ending along and leaves nothing behind. Chosen
// again and let go of without a move, it stays where it was, number and all.
#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

constexpr int kGraphicsOnMain = 2;
constexpr int kRepeatEndingButton = 3;  // first row of the five-column Graphics palette
// Tab stops of "Repeat Ending" from "From measure": Through, passes A-D, "Dashed
// bracket", the label preview, then "Set image...".
constexpr int kTabsToSetImage = 8;
// "Set Image" is laid out in 3 x 11 cells: the text and symbol in rows 1 and 2, the
// font panel from row 4 with "WinFont" in its first row and "Bold" in its fourth.
constexpr int kSetImageColumns = 3, kSetImageRows = 11;
constexpr int kFirstPanelRow = 4, kWinFontRow = 4, kBoldRow = 7;

// A repeat ending placed above the staff: the screen before and after, the staff
// lines and the new ink, with the row of its bracket (the row of most new ink).
struct PlacedEnding {
    ScreenPicture before;
    ScreenPicture placed;
    std::vector<int> lines;
    InkBox ink;
    int lineY = 0;
};

class RepeatEndingScenario : public MusicBesidePalettes {
  protected:
    // Starts the program and places an ending with the Graphics palette's button;
    // empty (a failure recorded) when a step did not happen.
    std::optional<PlacedEnding> PlaceEnding() {
        WriteSettings("[ToolbarSettings]\nMGTool=760,440,5,2\n");  // clear of the other palettes
        if (!StartProgram()) return std::nullopt;
        NewScore("1");
        const std::optional<ShownWindow> main = x_.WindowTitled("Main");
        if (!main) {
            ADD_FAILURE() << "no Main palette";
            return std::nullopt;
        }
        x_.Settle(Millis{800});
        const auto [graphicsX, graphicsY] = RowButton(*main, kGraphicsOnMain);
        x_.Click(graphicsX, graphicsY);
        x_.Settle(Millis{800});
        const std::optional<ShownWindow> graphics = x_.WindowTitled("Graphics");
        if (!graphics) {
            ADD_FAILURE() << "Graphics did not open its palette";
            return std::nullopt;
        }
        x_.Settle(Millis{500});
        const auto [endingX, endingY] = RowButton(*graphics, kRepeatEndingButton);
        x_.Click(endingX, endingY);
        x_.Settle(Millis{500});

        PlacedEnding e;
        e.before = Screen();
        const int left = Frame().x + 120;
        const int right = MusicRight();
        e.lines = e.before.LongDarkLines(left, 40, right, x_.ScreenHeight() - 100, 0.95);
        if (e.lines.size() < 5u) {
            ADD_FAILURE() << "no staff lines beside the palettes";
            return std::nullopt;
        }
        const int x = left + (right - left) / 3;
        const int y = e.lines[0] - 2 * (e.lines[1] - e.lines[0]);
        x_.MovePointer(x, y);
        x_.Settle(Millis{300});
        x_.Click(x, y);
        x_.Settle(Millis{1000});
        x_.MovePointer(right + 40, x_.ScreenHeight() - 20);
        x_.Settle(Millis{600});
        e.placed = Screen();
        WritePng(e.placed, TestOutputFolder() / "repeat_ending_placed_desktop.png");
        e.ink = NewInkBox(e.before, e.placed, left, e.lines[0] - 200, right, e.lines[4] + 40);
        if (e.ink.count <= 20) {
            ADD_FAILURE() << "no repeat ending appeared where the staff was clicked";
            return std::nullopt;
        }
        e.lineY = e.ink.top;
        int64_t most = 0;
        for (int row = e.ink.top; row <= e.ink.bottom; ++row) {
            int64_t count = 0;
            for (int col = e.ink.left; col <= e.ink.right; ++col)
                count += e.before.At(col, row) != e.placed.At(col, row) && e.placed.DarkPixels(col, row, col + 1, row + 1) > 0 ? 1 : 0;
            if (count > most) most = count, e.lineY = row;
        }
        return e;
    }
    // A double-click on the ending's bracket (the row of the most new ink, in its
    // middle) opens "Repeat Ending", whose "Set image..." opens "Set Image": the two
    // dialogs, or empty (a failure recorded).
    std::optional<std::pair<ShownWindow, ShownWindow>> OpenSetImage(const PlacedEnding& placed) {
        const int hitX = (placed.ink.left + placed.ink.right) / 2;
        x_.MovePointer(hitX, placed.lineY);
        x_.Settle(Millis{300});
        x_.DoubleClick(hitX, placed.lineY);
        const std::optional<ShownWindow> dialog = x_.WaitForWindow("Repeat Ending");
        if (!dialog) {
            ADD_FAILURE() << "a double-click on the ending did not open its dialog";
            return std::nullopt;
        }
        x_.PointAt(*dialog);
        x_.Settle(Millis{500});
        for (int i = 0; i < kTabsToSetImage; ++i) x_.PressKey("Tab");
        x_.PressKey("space");
        const std::optional<ShownWindow> image = x_.WaitForWindow("Set Image");
        WritePng(Screen(), TestOutputFolder() / "repeat_ending_set_image_desktop.png");
        if (!image) {
            ADD_FAILURE() << "Set image... did not open the label's dialog";
            return std::nullopt;
        }
        return std::pair{*dialog, *image};
    }
    // A click a little inside grid cell (`column`, `row`) of a dialog laid out in
    // `columns` x `rows` cells: on the label of the radio or check box there.
    void ClickCell(const ShownWindow& dialog, int columns, int rows, int column, int row) {
        const int x = dialog.x + dialog.width * column / columns + dialog.width / (6 * columns);
        const int y = dialog.y + dialog.height * (2 * row + 1) / (2 * rows);
        x_.Click(x, y);
        x_.Settle(Millis{500});
    }
};

TEST_F(RepeatEndingScenario, SetImageOpensFromTheRepeatEndingDialog) {
    const std::optional<PlacedEnding> placed = PlaceEnding();
    ASSERT_TRUE(placed);
    const auto dialogs = OpenSetImage(*placed);
    ASSERT_TRUE(dialogs);
    const auto& [dialog, image] = *dialogs;
    x_.PointAt(image);
    x_.PressKey("Escape");
    ASSERT_TRUE(x_.WaitUntilGone("Set Image")) << "Set Image stayed open";
    EXPECT_TRUE(x_.FindWindow("Repeat Ending")) << "Repeat Ending closed with Set Image";
    x_.PointAt(dialog);
    x_.PressKey("Escape");
    ASSERT_TRUE(x_.WaitUntilGone("Repeat Ending")) << "Repeat Ending stayed open";
    EXPECT_TRUE(NoMessageBoxComes()) << "an error box came up";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// In "Set Image" the label's text is shown in the label's font: with "WinFont"
// chosen, "Bold" turned off or on changes the ink of the text at the top of the
// dialog, not only the check box.
TEST_F(RepeatEndingScenario, SetImageShowsTheLabelInTheChosenFont) {
    const std::optional<PlacedEnding> placed = PlaceEnding();
    ASSERT_TRUE(placed);
    const auto dialogs = OpenSetImage(*placed);
    ASSERT_TRUE(dialogs);
    const ShownWindow& dialog = dialogs->first;
    const ShownWindow& image = dialogs->second;
    const auto grab = [&] { return SettledPicture(x_, [&] { return x_.Grab(image); }, kRedrawTimeout); };
    grab();
    ClickCell(image, kSetImageColumns, kSetImageRows, 1, kWinFontRow);
    const ScreenPicture own = grab();
    ClickCell(image, kSetImageColumns, kSetImageRows, 0, kBoldRow);
    const ScreenPicture bold = grab();
    WritePng(bold, TestOutputFolder() / "repeat_ending_set_image_bold_desktop.png");
    const int textBottom = image.height * kFirstPanelRow / kSetImageRows;
    EXPECT_GT(ChangedPixels(own, bold, 0, 0, image.width - 1, textBottom), 5)
        << "the label's text did not follow the font chosen in the dialog";
    EXPECT_GT(ChangedPixels(own, bold, 0, textBottom, image.width - 1, image.height - 1), 0)
        << "the click did not reach Bold";
    x_.PointAt(image);
    x_.PressKey("Escape");
    ASSERT_TRUE(x_.WaitUntilGone("Set Image")) << "Set Image stayed open";
    x_.PointAt(dialog);
    x_.PressKey("Escape");
    ASSERT_TRUE(x_.WaitUntilGone("Repeat Ending")) << "Repeat Ending stayed open";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// The bracket's middle handle pressed and dragged up: the whole ending, bracket and
// number, goes up with the pointer, keeping its left end.
TEST_F(RepeatEndingScenario, MiddleHandleDragMovesTheWholeEnding) {
    const std::optional<PlacedEnding> placed = PlaceEnding();
    ASSERT_TRUE(placed);
    const InkBox& ink = placed->ink;
    const int gap = placed->lines[1] - placed->lines[0];
    const int midX = (ink.left + ink.right) / 2;
    x_.MovePointer(midX, placed->lineY);
    x_.Settle(Millis{300});
    const int rise = 3 * gap;
    x_.Drag(midX, placed->lineY, midX, placed->lineY - rise, 10);
    x_.Settle(Millis{600});
    x_.Click(MusicLeft() + 40, x_.ScreenHeight() - 160);  // the empty paper lets it go
    x_.MovePointer(MusicRight() + 40, x_.ScreenHeight() - 20);
    const ScreenPicture moved = SettledScreen();
    WritePng(moved, TestOutputFolder() / "repeat_ending_moved_desktop.png");
    EXPECT_TRUE(NoMessageBoxComes()) << "an error box came up while dragging the ending";
    const InkBox lifted = NewInkBox(placed->before, moved, ink.left - gap, ink.top - rise - gap, ink.right + gap,
                                    placed->lines[0] - 2);
    ASSERT_GT(lifted.count, ink.count / 2) << "the ending did not come up with the pointer";
    EXPECT_NEAR(lifted.top, ink.top - rise, gap / 2 + 2) << "the ending's top did not rise with the drag";
    EXPECT_NEAR(lifted.left, ink.left, gap / 2 + 2) << "the ending moved sideways";
    // Nothing is left where it was: below the lifted ending, the rows it stood in
    // are as they were before it was placed.
    const InkBox left = NewInkBox(placed->before, moved, ink.left - gap, std::max(ink.top, ink.bottom - rise + gap / 2 + 3),
                                  ink.right + gap, ink.bottom + 2);
    EXPECT_LE(left.count, 2) << "the ending's old image stayed where it was";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Let go of, chosen again by a click on its bracket and let go of once more, the
// ending has not moved: its number does not creep up at each let-go.
TEST_F(RepeatEndingScenario, ChosenAndLetGoOfTheEndingStaysPut) {
    const std::optional<PlacedEnding> placed = PlaceEnding();
    ASSERT_TRUE(placed);
    const InkBox& ink = placed->ink;
    const int gap = placed->lines[1] - placed->lines[0];
    const auto letGo = [&] {
        x_.Click(MusicLeft() + 40, x_.ScreenHeight() - 160);  // the empty paper
        x_.MovePointer(MusicRight() + 40, x_.ScreenHeight() - 20);
        return SettledScreen();
    };
    const ScreenPicture first = letGo();
    const int midX = (ink.left + ink.right) / 2;
    x_.MovePointer(midX, placed->lineY);
    x_.Settle(Millis{300});
    x_.Click(midX, placed->lineY);
    x_.Settle(Millis{600});
    x_.MovePointer(MusicRight() + 40, x_.ScreenHeight() - 20);
    const ScreenPicture chosen = SettledScreen();
    WritePng(chosen, TestOutputFolder() / "repeat_ending_chosen_again_desktop.png");
    ASSERT_GT(ChangedPixels(first, chosen, ink.left - gap, ink.top - gap, ink.right + gap, ink.bottom + gap), 0)
        << "a click on the bracket did not choose the ending";
    const ScreenPicture again = letGo();
    WritePng(again, TestOutputFolder() / "repeat_ending_let_go_again_desktop.png");
    EXPECT_EQ(ChangedPixels(first, again, ink.left - 4 * gap, ink.top - 4 * gap, ink.right + gap, placed->lines[0] - 1), 0)
        << "the ending moved when it was let go of";
    EXPECT_TRUE(NoMessageBoxComes()) << "an error box came up";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
