// The palettes' grid geometry, placement and group moves.
#include "editing/palette_layout.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "core/ui/string_ids.h"

namespace ql {
namespace {

constexpr std::array<PaletteSpec, kPaletteCount> kPalettes = {{
    {kStrMainPaletteTitle, "OTool", {8, 83, 7, 1}, 7, 5},
    {kStrFirstToolPaletteTitle + 0, "StaffTool", {12, 105, 3, 3}, 9, 0},
    {kStrFirstToolPaletteTitle + 1, "NTool", {13, 102, 4, 4}, 16, 4},
    {kStrFirstToolPaletteTitle + 2, "MGTool", {8, 108, 5, 2}, 10, 0},
    {kStrFirstToolPaletteTitle + 3, "AlphaTool", {17, 160, 5, 2}, 10, 0},
    {kStrFirstToolPaletteTitle + 4, "SYTool", {13, 107, 4, 2}, 8, 0},
    {kStrFirstToolPaletteTitle + 5, "DYTool", {12, 185, 5, 3}, 15, 14},
    {kStrFirstToolPaletteTitle + 6, "HTool", {32, 47, 6, 3}, 18, 0},
    {kStrFirstToolPaletteTitle + 7, "ATool", {13, 229, 5, 4}, 20, 10},
    {kStrFirstToolPaletteTitle + 8, "ETool", {13, 230, 5, 6}, 30, 0},
}};

constexpr std::array<int, 9> kMainGroup = {1, 2, 3, 4, 5, 6, 7, 8, 9};
constexpr std::array<int, 3> kNotesGroup = {kHeadsPalette, kAccentsPalette, kOrnamentsPalette};
constexpr std::array<int, 1> kPerformanceGroup = {kDynamicsPalette};

int CeilDiv(int a, int b) {
    return (a + b - 1) / b;
}

PaletteShape ShapeForColumns(int columns, int count) {
    columns = std::clamp(columns, 1, std::max(count, 1));
    return {columns, std::max(1, CeilDiv(count, columns))};
}

PaletteShape ShapeForRows(int rows, int count) {
    rows = std::clamp(rows, 1, std::max(count, 1));
    return {std::max(1, CeilDiv(count, rows)), rows};
}

// The group palettes Main's first five buttons show, and the room between two
// palettes placed one below the other.
constexpr int kFirstGroupPalette = kStaffToolsPalette;
constexpr int kLastGroupPalette = kPerformancePalette;
constexpr int kDefaultPaletteGap = 4;
// The lowest part of the screen (a third) the column of group palettes leaves to
// the music.
constexpr int kPaletteFreeScreenPart = 3;

PalettePosition WithCorner(const PalettePosition& table, PaletteCell corner) {
    return {corner.x, corner.y, table.columns, table.rows};
}

// Clamps value into [low, high]; when the range is empty the low bound wins.
int ClampLowFirst(int value, int low, int high) {
    return std::max(low, std::min(value, high));
}

}  // namespace

const PaletteSpec& PaletteSpecOf(int palette) {
    return kPalettes[static_cast<size_t>(std::clamp(palette, 0, kPaletteCount - 1))];
}

PaletteCell ButtonCellOrigin(int column, int row, int buttonSize, int offsetX, int offsetY) {
    return {column * (buttonSize + 1) + offsetX + 1, row * (buttonSize + 1) + offsetY + 1};
}

PaletteShape GridPlace(int index, int columns) {
    columns = std::max(columns, 1);
    return {index % columns, index / columns};
}

PaletteSize PaletteClientSize(PaletteShape shape, int buttonSize) {
    return {(buttonSize + 1) * shape.columns + 1, (buttonSize + 1) * shape.rows + 1};
}

PaletteSize PaletteWindowSize(PaletteShape shape, int buttonSize, const PaletteScreen& screen) {
    const PaletteSize client = PaletteClientSize(shape, buttonSize);
    return {client.width + 2 * screen.frameWidth,
            client.height + screen.smallCaptionHeight + 2 * screen.frameHeight};
}

PaletteShape ComputePaletteShape(int highestColumn, int highestRow, int count) {
    const int n = std::max(count, 1);
    const int columns = std::clamp(highestColumn + 1, 1, n);
    int rows = std::clamp(highestRow + 1, 1, n);
    while (rows > 1 && rows * columns > n) --rows;
    while (rows * columns < n) ++rows;  // a too narrow grid grows as far as it must
    return {columns, rows};
}

PaletteShape ReshapeForBorderDrag(PaletteBorder border, int clientWidth, int clientHeight,
                                  PaletteShape before, int count, int buttonSize) {
    const int step = buttonSize + 1;
    const int columns = (std::max(clientWidth, 0) + buttonSize / 2) / step;
    const int rows = (std::max(clientHeight, 0) + buttonSize / 2) / step;
    switch (border) {
        case PaletteBorder::None:
            return before;
        case PaletteBorder::Left:
        case PaletteBorder::Right:
            return ShapeForColumns(columns, count);
        case PaletteBorder::Top:
        case PaletteBorder::Bottom:
            return ShapeForRows(rows, count);
        default:
            break;
    }
    // A corner: the dimension that changed more decides; a row rule that leaves a
    // single column is taken as a side drag.
    if (std::abs(columns - before.columns) >= std::abs(rows - before.rows))
        return ShapeForColumns(columns, count);
    const PaletteShape byRows = ShapeForRows(rows, count);
    return byRows.columns < 2 ? ShapeForColumns(columns, count) : byRows;
}

PaletteCell ClampPaletteOnScreen(int x, int y, PaletteSize size, const PaletteScreen& screen) {
    return {ClampLowFirst(x, 0, screen.width - size.width),
            ClampLowFirst(y, screen.captionHeight, screen.height - size.height)};
}

PaletteCell KeepMovedPaletteOnScreen(int x, int y, PaletteSize size, int buttonSize,
                                     const PaletteScreen& screen) {
    if (x + size.width < buttonSize) x = 0;
    if (x > screen.width - buttonSize) x = std::max(0, screen.width - size.width);
    return {x, ClampLowFirst(y, screen.captionHeight, screen.height - size.height)};
}

PalettePosition InitialPalettePlacement(int palette, const PalettePosition& saved,
                                        int buttonSize, const PaletteScreen& screen) {
    const PaletteSpec& spec = PaletteSpecOf(palette);
    const int cells = spec.defaults.columns * spec.defaults.rows;
    const bool savedShapeFits = saved.columns >= 1 && saved.columns <= cells &&
                                saved.rows >= 1 && saved.rows <= cells &&
                                saved.columns * saved.rows >= spec.buttons;
    PalettePosition place;
    PaletteSize size;
    if (savedShapeFits) {
        place = saved;
        size = PaletteWindowSize({saved.columns, saved.rows}, buttonSize, screen);
    } else {
        place.columns = spec.defaults.columns;
        place.rows = spec.defaults.rows;
        size = PaletteWindowSize({place.columns, place.rows}, buttonSize, screen);
        place.x = palette == kMainPalette ? (screen.width - size.width) / 2 : 16;
        place.y = (screen.height - size.height) / 2;
    }
    const PaletteCell corner = ClampPaletteOnScreen(place.x, place.y, size, screen);
    place.x = corner.x;
    place.y = corner.y;
    return place;
}

PalettePosition DefaultPalettePlace(int palette, int buttonSize, const PaletteScreen& screen) {
    const PalettePosition& table = PaletteSpecOf(palette).defaults;
    const PaletteSize size = PaletteWindowSize({table.columns, table.rows}, buttonSize, screen);
    const PalettePosition& main = PaletteSpecOf(kMainPalette).defaults;
    const int mainHeight = PaletteWindowSize({main.columns, main.rows}, buttonSize, screen).height;
    const PaletteDecorations& d = screen.manager;
    const int edge = screen.width - screen.scrollBarWidth - d.right;  // the right end of the palettes' windows
    PaletteCell corner{edge - table.x - size.width, table.y};
    if (palette == kMainPalette) return WithCorner(table, ClampPaletteOnScreen(corner.x, corner.y, size, screen));
    if (palette > kLastGroupPalette) {
        // The pop-ups open below Main's height at the table's top, over the others.
        corner.y = table.y + mainHeight;
        return WithCorner(table, ClampPaletteOnScreen(corner.x, corner.y, size, screen));
    }
    // The group palettes: a column below Main, each window's top a gap and the
    // manager's frame below the window above; a further column left of the widest of
    // the one before when the next would reach into the screen's lowest third.
    const int between = d.bottom + kDefaultPaletteGap + d.top;
    const int columnTop = main.y + mainHeight + between;
    const int columnEnd = screen.height - screen.height / kPaletteFreeScreenPart;
    int right = edge;
    int top = columnTop;
    int widest = 0;
    for (int p = kFirstGroupPalette; p <= palette; ++p) {
        const PalettePosition& row = PaletteSpecOf(p).defaults;
        const PaletteSize extent = PaletteWindowSize({row.columns, row.rows}, buttonSize, screen);
        if (top > columnTop && top + extent.height + d.bottom > columnEnd) {
            right -= widest + d.left + kDefaultPaletteGap + d.right;
            top = columnTop;
            widest = 0;
        }
        corner = {right - row.x - extent.width, top};
        top += extent.height + between;
        widest = std::max(widest, row.x + extent.width);
    }
    return WithCorner(table, ClampPaletteOnScreen(corner.x, corner.y, size, screen));
}

std::span<const int> PaletteGroup(int palette) {
    switch (palette) {
        case kMainPalette:
            return kMainGroup;
        case kNotesPalette:
            return kNotesGroup;
        case kPerformancePalette:
            return kPerformanceGroup;
        default:
            return {};
    }
}

}  // namespace ql
