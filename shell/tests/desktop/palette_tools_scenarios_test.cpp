// The palettes' tools on the desktop: the Main palette comes up as its row of seven
// buttons, and a Performance button armed from the Main palette places its object
// where the page is clicked.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

constexpr int kSmallCell = 25;  // a small palette's 24-pixel button and gap

class PaletteToolsScenario : public MusicBesidePalettes {};

// The Main palette is one row of its seven buttons, wholly on the screen.
TEST_F(PaletteToolsScenario, TheMainPaletteIsARowOfSevenButtons) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    const std::optional<ShownWindow> main = x_.WindowTitled("Main");
    ASSERT_TRUE(main) << "no Main palette";
    x_.Settle(Millis{800});
    WritePng(Screen(), TestOutputFolder() / "main_palette_desktop.png");
    EXPECT_GE(main->width, 7 * kPaletteCell) << "the Main palette is " << main->width << " wide";
    EXPECT_LT(main->height, 2 * kPaletteCell + 40) << "the Main palette is " << main->height << " high";
    const std::optional<std::pair<int, int>> pointer = PressedCell(x_.Grab(*main));
    ASSERT_TRUE(pointer) << "no pressed button on the Main palette";
    EXPECT_EQ(*pointer, (std::pair{1 + 5 * kPaletteCell, 1})) << "the Pointer is not the sixth of one row";
    EXPECT_GE(main->x, 0);
    EXPECT_LE(main->x + main->width, x_.ScreenWidth());
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// With nothing saved, the palettes stand at the screen's right, clear of the music:
// the first system's staff lines run unbroken from its start.
TEST_F(PaletteToolsScenario, DefaultPlacesLeaveTheFirstSystemFree) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    const std::optional<ShownWindow> main = x_.WindowTitled("Main");
    const std::optional<ShownWindow> notes = x_.WindowTitled("Notes");
    ASSERT_TRUE(main && notes);
    x_.Settle(Millis{800});
    EXPECT_GT(main->x, x_.ScreenWidth() / 2);
    EXPECT_GT(notes->x, x_.ScreenWidth() / 2);
    const ScreenPicture screen = Screen();
    const std::vector<std::vector<int>> staves = StavesOfFirstSystem(screen, Frame().x + 120, MusicRight());
    ASSERT_FALSE(staves.empty()) << "the first system is covered";
    EXPECT_EQ(staves[0].size(), 5u);
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// Performance on the Main palette arms its "Dynamics..." tool; a click on a staff
// places a dynamic there.
TEST_F(PaletteToolsScenario, APerformanceButtonPlacesItsObjectWhereThePageIsClicked) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    const std::optional<ShownWindow> main = x_.WindowTitled("Main");
    ASSERT_TRUE(main);
    x_.Settle(Millis{800});
    const auto [bx, by] = RowButton(*main, 4);
    x_.Click(bx, by);
    x_.Settle(Millis{800});
    ASSERT_TRUE(x_.WindowTitled("Performance")) << "Performance did not open its palette";

    const ScreenPicture before = Screen();
    const int left = Frame().x + 120;
    const int right = MusicRight();
    const std::vector<int> lines = before.LongDarkLines(left, 40, right, x_.ScreenHeight() - 100, 0.95);
    ASSERT_GE(lines.size(), 10u) << "no staff lines beside the palettes";
    const int x = left + (right - left) / 2;
    x_.MovePointer(x, lines[6]);
    x_.Settle(Millis{300});
    x_.Click(x, lines[6]);
    x_.Settle(Millis{1200});
    const ScreenPicture after = Screen();
    WritePng(after, TestOutputFolder() / "dynamic_placed_desktop.png");
    const InkBox box = ChangedBox(before, after, left, lines[4] - 80, right, lines[9] + 80);
    EXPECT_GT(box.count, 30) << "no dynamic appeared where the page was clicked";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// View > Use Small Palettes makes the Main palette a row of seven 24-pixel buttons;
// choosing it again gives the 36-pixel ones back.
TEST_F(PaletteToolsScenario, UseSmallPalettesShrinksAndRestoresTheButtons) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    ASSERT_TRUE(x_.WindowTitled("Main"));
    x_.Settle(Millis{800});
    const auto chooseSmall = [this] {
        ASSERT_TRUE(OpenFrameMenu('v'));
        x_.PressKey("Down");  // past "Display Status Bar"
        x_.PressKey("Return");
        x_.Settle(Millis{800});
    };
    chooseSmall();
    std::optional<ShownWindow> main = x_.WindowTitled("Main");
    ASSERT_TRUE(main);
    WritePng(Screen(), TestOutputFolder() / "small_palettes_desktop.png");
    EXPECT_LT(main->width, 7 * kPaletteCell) << "the Main palette is " << main->width << " wide";
    EXPECT_GE(main->width, 7 * kSmallCell);
    const std::optional<std::pair<int, int>> pointer = PressedCell(x_.Grab(*main));
    ASSERT_TRUE(pointer);
    EXPECT_EQ(*pointer, (std::pair{1 + 5 * kSmallCell, 1})) << "the Pointer is not the sixth small button";
    chooseSmall();
    main = x_.WindowTitled("Main");
    ASSERT_TRUE(main);
    EXPECT_GE(main->width, 7 * kPaletteCell);
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// A Control-click on "Toggle Dots" marks the button in its top-left corner and
// leaves the pressed button as it was; a second one takes the mark away.
TEST_F(PaletteToolsScenario, AControlClickMarksANotesButton) {
    ASSERT_TRUE(StartProgram());  // the palettes at their first places, clear of each other
    NewScore("1");
    const std::optional<ShownWindow> notes = x_.WindowTitled("Notes");
    ASSERT_TRUE(notes);
    x_.Settle(Millis{800});
    // Button 8: the first of the third row, its corner at (1, 1 + 2 cells).
    const int cellX = notes->x + 1;
    const int cellY = notes->y + 1 + 2 * kPaletteCell;
    const ScreenPicture plain = x_.Grab(cellX, cellY, 36, 36);
    const std::optional<std::pair<int, int>> pressed = PressedCell(x_.Grab(*notes));
    x_.ControlClick(cellX + 18, cellY + 18);
    x_.Settle(Millis{500});
    ScreenPicture marked;
    EXPECT_TRUE(WaitFor([&] {
        marked = x_.Grab(cellX, cellY, 36, 36);
        return DifferentPixels(marked, plain) > 10;
    }, Millis{5000})) << "no mark drawn";
    // Only the corner changed, and the pressed button stayed.
    int outside = 0;
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 36; ++x)
            outside += (x >= 14 || y >= 13) && marked.At(x, y) != plain.At(x, y);
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(PressedCell(x_.Grab(*notes)), pressed);
    x_.ControlClick(cellX + 18, cellY + 18);
    EXPECT_TRUE(WaitFor([&] { return DifferentPixels(x_.Grab(cellX, cellY, 36, 36), plain) == 0; }, Millis{5000}))
        << "the mark stayed";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// A right click on the page opens the page's menu at the pointer (16 pixels beside
// it, level with it), and it stays open until a choice or Escape.
TEST_F(PaletteToolsScenario, ARightClickOnThePageOpensItsMenuAtThePointer) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    ASSERT_TRUE(x_.WindowTitled("Main"));
    x_.Settle(Millis{800});
    const int x = Frame().x + 300;              // the screen's left half: the menu opens right
    const int y = x_.ScreenHeight() - 280;  // below the systems, with room for the menu below
    x_.MovePointer(x, y);
    x_.Settle(Millis{300});
    x_.Click(x, y, 3);
    ASSERT_TRUE(WaitFor([&] { return !x_.Popups().empty(); }, Millis{5000})) << "no menu on the page";
    x_.Settle(Millis{500});
    ASSERT_FALSE(x_.Popups().empty()) << "the menu closed by itself";
    ShownWindow menu;  // the largest popup on the screen (the display keeps others off it)
    for (const ShownWindow& w : x_.Popups())
        if (w.x >= 0 && w.y >= 0 && w.width * w.height > menu.width * menu.height) menu = w;
    constexpr int kBeside = 16;
    constexpr int kSlack = 6;  // the menu's own border
    EXPECT_NEAR(menu.x, x + kBeside, kSlack) << "the menu opened away from the pointer";
    EXPECT_NEAR(menu.y, y, kSlack) << "the menu opened above or below the pointer";
    x_.PressKey("Escape");
    EXPECT_TRUE(WaitFor([&] { return x_.Popups().empty(); }, Millis{5000}));
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
