// Picking a font symbol on the desktop: the Font Symbol tool armed from the Text &
// Symbols palette, a click above the staff opens "Select Symbol", whose grid shows a
// page of codes with the selected one's cell inverted; a click on a cell with a
// character in it inverts that cell instead, and OK places the symbol at the click.
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {
namespace {

constexpr int kTextSymbolsOnMain = 3;
constexpr int kGridColumns = 16;
constexpr int kGridRows = 8;
constexpr int kLeastGridWidth = 100;  // pixels: the grid's lines are at least this long
constexpr int kLeastSymbolInk = 10;
constexpr int kLineSlack = 2;  // pixels the grid's lines may differ by at their ends

struct GridBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int CellWidth() const { return (right - left) / kGridColumns; }
    int CellHeight() const { return (bottom - top) / kGridRows; }
};

// The longest run of dark pixels in a row: its first column and its length.
std::pair<int, int> LongestDarkRun(const ScreenPicture& p, int y) {
    std::pair<int, int> best{0, 0};
    int start = 0;
    for (int x = 0; x <= p.width; ++x) {
        const bool dark = x < p.width && IsDark(p.At(x, y));
        if (dark && (x == 0 || !IsDark(p.At(x - 1, y)))) start = x;
        if (!dark && x > 0 && IsDark(p.At(x - 1, y)) && x - start > best.second)
            best = {start, x - start};
    }
    return best;
}

// The grid in a picture of the dialog: its top and bottom lines are the first and last
// rows whose long dark run starts and ends where the first one's does (within a
// pixel or two).
std::optional<GridBox> FindGrid(const ScreenPicture& p) {
    std::optional<GridBox> grid;
    for (int y = 0; y < p.height; ++y) {
        const auto [start, length] = LongestDarkRun(p, y);
        if (length < kLeastGridWidth) continue;
        if (!grid)
            grid = GridBox{start, y, start + length - 1, y};
        else if (std::abs(start - grid->left) <= kLineSlack &&
                 std::abs(start + length - 1 - grid->right) <= kLineSlack)
            grid->bottom = y;
    }
    if (grid && grid->CellHeight() < 4) return std::nullopt;
    return grid;
}

int64_t CellInk(const ScreenPicture& p, const GridBox& g, int column, int row) {
    const int left = g.left + column * g.CellWidth() + 1;
    const int top = g.top + row * g.CellHeight() + 1;
    return p.DarkPixels(left, top, left + g.CellWidth() - 1, top + g.CellHeight() - 1);
}

bool IsInverted(const ScreenPicture& p, const GridBox& g, int column, int row) {
    return CellInk(p, g, column, row) * 2 > int64_t{g.CellWidth() - 1} * (g.CellHeight() - 1);
}

using SymbolPickerScenario = MusicBesidePalettes;

TEST_F(SymbolPickerScenario, AClickInTheGridPicksItsCellAndOkPlacesTheSymbol) {
    ASSERT_TRUE(StartProgram());  // the palettes at their first places, clear of each other
    NewScore("1");
    ASSERT_TRUE(WaitFor([&] { return Titled("Main").has_value(); })) << "no Main palette";
    x_.Settle(Millis{800});
    const ShownWindow main = *Titled("Main");
    const auto [tx, ty] = RowButton(main, kTextSymbolsOnMain);
    x_.Click(tx, ty);
    const std::optional<ShownWindow> palette = x_.WaitForWindow("Text & Symbols");
    ASSERT_TRUE(palette) << "Text & Symbols did not open its palette";
    x_.Settle(Millis{800});
    // Font Symbol: the first button of the palette's second row.
    x_.Click(palette->x + 1 + kPaletteButtonMiddle,
             palette->y + 1 + kPaletteCell + kPaletteButtonMiddle);
    x_.Settle(Millis{500});
    ParkPointer(main);

    const ScreenPicture before = SettledScreen();
    const std::vector<int> lines = StaffLinesBesidePalettes(before);
    ASSERT_GE(lines.size(), 5u) << "no staff lines beside the palettes";
    const int x = MusicLeft() + (MusicRight() - MusicLeft()) / 3;
    const int y = lines[0] - 60;
    x_.MovePointer(x, y);
    x_.Settle(Millis{300});
    x_.Click(x, y);
    const std::optional<ShownWindow> dialog = x_.WaitForWindow("Select Symbol");
    ASSERT_TRUE(dialog) << "the click showed no Select Symbol";
    const ScreenPicture opened = SettledPicture(
        x_, [&] { return x_.Grab(*dialog); }, kRedrawTimeout);
    WritePng(opened, TestOutputFolder() / "select_symbol_opened_desktop.png");
    const std::optional<GridBox> grid = FindGrid(opened);
    ASSERT_TRUE(grid) << "no grid of cells in Select Symbol";
    // The selected code's cell is inverted; the cell to pick is the inkiest other one.
    int inverted = 0;
    std::string invertedCells;
    int pick = -1;
    int64_t pickInk = 0;
    for (int cell = 0; cell < kGridColumns * kGridRows; ++cell) {
        const int column = cell % kGridColumns;
        const int row = cell / kGridColumns;
        if (IsInverted(opened, *grid, column, row)) {
            ++inverted;
            invertedCells += " " + std::to_string(cell);
            continue;
        }
        const int64_t ink = CellInk(opened, *grid, column, row);
        if (ink > pickInk) {
            pick = cell;
            pickInk = ink;
        }
    }
    EXPECT_EQ(inverted, 1) << "not one cell shown selected:" << invertedCells << " in "
                           << grid->left << "," << grid->top << " to " << grid->right << ","
                           << grid->bottom;
    ASSERT_GE(pick, 0) << "no character drawn in the grid";
    const int column = pick % kGridColumns;
    const int row = pick / kGridColumns;
    x_.Click(dialog->x + grid->left + column * grid->CellWidth() + grid->CellWidth() / 2,
             dialog->y + grid->top + row * grid->CellHeight() + grid->CellHeight() / 2);
    ScreenPicture picked;
    EXPECT_TRUE(WaitFor(
        [&] {
            picked = x_.Grab(*dialog);
            return IsInverted(picked, *grid, column, row);
        },
        kRedrawTimeout))
        << "the clicked cell is not shown selected";
    WritePng(picked, TestOutputFolder() / "select_symbol_picked_desktop.png");

    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitUntilGone("Select Symbol")) << "OK did not close Select Symbol";
    ParkPointer(main);
    const auto ink = [&](const ScreenPicture& p) {
        return p.DarkPixels(x - 150, y - 150, x + 150, lines[0] - 4);
    };
    EXPECT_TRUE(
        WaitFor([&] { return ink(Screen()) > ink(before) + kLeastSymbolInk; }, kRedrawTimeout))
        << "no symbol shown at the click";
    WritePng(Screen(), TestOutputFolder() / "select_symbol_placed_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
