// The ten tool palettes' grid geometry: the default shapes, the cell of a button,
// the window size of a shape, re-shaping by a border drag, the first placement of a
// palette and the palettes that move together, always keeping a palette on the
// screen. Pure arithmetic over the screen metrics it is given.
#pragma once

#include <cstdint>
#include <span>

#include "core/ui/palette_index.h"

namespace ql {

constexpr int kLargeButtonSize = 36;
constexpr int kSmallButtonSize = 24;

// A palette's place and shape: the window's screen position, its columns and rows.
struct PalettePosition {
    int x = 0;
    int y = 0;
    int columns = 0;
    int rows = 0;
    friend bool operator==(const PalettePosition&, const PalettePosition&) = default;
};

struct PaletteShape {
    int columns = 1;
    int rows = 1;
    friend bool operator==(const PaletteShape&, const PaletteShape&) = default;
};

// The fixed description of a palette: the string id of its title, settings key,
// default place and shape, number of buttons and the button current after start-up.
struct PaletteSpec {
    int32_t titleId;
    const char* key;
    PalettePosition defaults;
    int buttons;
    int first;
};
const PaletteSpec& PaletteSpecOf(int palette);  // palette in 0 .. kPaletteCount - 1

// What a window manager draws around a palette outside the window's rectangle: its
// title bar above and its borders (none without a manager).
struct PaletteDecorations {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const PaletteDecorations&, const PaletteDecorations&) = default;
};

// What the geometry needs to know of the screen and the window decorations.
struct PaletteScreen {
    int width = 1024;
    int height = 768;
    int captionHeight = 20;       // a normal window's caption
    int smallCaptionHeight = 16;  // a tool window's caption
    int frameWidth = 4;           // the sizing border
    int frameHeight = 4;
    // The score window's vertical scroll bar, at the screen's right edge when the
    // frame fills the screen.
    int scrollBarWidth = 0;
    PaletteDecorations manager{};
};

struct PaletteSize {
    int width = 0;
    int height = 0;
};

// The top-left corner of a button's cell in the palette's client area.
struct PaletteCell {
    int x = 0;
    int y = 0;
};
PaletteCell ButtonCellOrigin(int column, int row, int buttonSize, int offsetX = 0,
                             int offsetY = 0);
// Column and row of the index-th button when the buttons are laid row by row.
PaletteShape GridPlace(int index, int columns);

// The outer size of a palette window holding a shape of buttons.
PaletteSize PaletteWindowSize(PaletteShape shape, int buttonSize, const PaletteScreen& screen);
// The client size the grid of a shape needs.
PaletteSize PaletteClientSize(PaletteShape shape, int buttonSize);

// The shape of a set from its highest column and row: each 1 .. count, rows then
// reduced while they hold more than count cells and grown until they hold count.
PaletteShape ComputePaletteShape(int highestColumn, int highestRow, int count);

// The border grabbed in a sizing drag.
enum class PaletteBorder {
    None,
    Left,
    Right,
    Top,
    Bottom,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight,
};

// The shape after the client area was dragged to clientWidth × clientHeight by the
// given border; the shape before decides corner drags. None keeps the old shape.
PaletteShape ReshapeForBorderDrag(PaletteBorder border, int clientWidth, int clientHeight,
                                  PaletteShape before, int count, int buttonSize);

// The place a palette opens at: a saved shape whose columns and rows both lie in
// 1 .. default columns × default rows (and that holds every button) is used with
// its saved corner; otherwise the default shape, Main centred on the screen and
// every other palette at x = 16, centred vertically. The result is kept on screen.
PalettePosition InitialPalettePlacement(int palette, const PalettePosition& saved,
                                        int buttonSize, const PaletteScreen& screen);

// Where a palette stands when nothing is saved for it, in the table's shape and
// against the left edge of the score's vertical scroll bar at the table's distance
// from it, so that the palettes stand beside the page, leave the start of the first
// system and the scroll bar free. Main stands at the table's top. The five group
// palettes (Staff Tools .. Performance) stand one below the other under Main, none
// covering another with the window manager's title bar and borders counted around
// each; one that would reach into the lowest third of the screen starts a new
// column left of the column before. The pop-up palettes open at the table's top
// moved down by Main's height. Kept on screen.
PalettePosition DefaultPalettePlace(int palette, int buttonSize, const PaletteScreen& screen);

// The corner of a window of the given size kept on the screen: wholly, with its top
// not above one caption height.
PaletteCell ClampPaletteOnScreen(int x, int y, PaletteSize size, const PaletteScreen& screen);
// The corner after a group move: at least one button's width stays visible
// horizontally (else the window snaps to the nearer edge); vertically between one
// caption height and the screen height less the window's height.
PaletteCell KeepMovedPaletteOnScreen(int x, int y, PaletteSize size, int buttonSize,
                                     const PaletteScreen& screen);

// The palettes that follow when the given one moves: Main takes all nine others,
// Notes takes Heads, Accents and Ornaments, Performance takes Dynamics.
std::span<const int> PaletteGroup(int palette);

}  // namespace ql
