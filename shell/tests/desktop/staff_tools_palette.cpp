// Finding the palettes and pressing a Staff Tools button (see staff_tools_palette.h).
// The palette's first button is pressed when it opens, and its cell gives the grid's
// origin.
#include "shell/tests/desktop/staff_tools_palette.h"

#include <utility>

namespace ql::desktop {
namespace {

constexpr int kCell = 37;                      // a 36-pixel button and its one-pixel gap
constexpr int kHalfButton = 18;
constexpr uint32_t kPressedColour = 0x1C5CA8;  // the pressed button's background
constexpr int kStaffToolsOnMain = 0;           // the Main palette's first button
constexpr int kStaffToolsColumns = 3;
constexpr int kWindowTries = 100;

// The top-left corner of the pressed button's cell, in the picture.
std::optional<std::pair<int, int>> PressedCell(const ScreenPicture& picture) {
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if ((picture.At(x, y) & 0xFFFFFF) == kPressedColour) return std::pair{x - 1, y - 1};
    return std::nullopt;
}

}  // namespace

bool PressStaffToolsButton(XSession& x, int index) {
    const std::optional<ShownWindow> main = x.WindowTitled("Main");
    if (!main) return false;
    x.Click(main->x + 1 + kStaffToolsOnMain * kCell + kHalfButton, main->y + 1 + kHalfButton);
    x.Settle(Millis{800});
    const std::optional<ShownWindow> tools = x.WindowTitled("Staff Tools");
    if (!tools) return false;
    const std::optional<std::pair<int, int>> first = PressedCell(x.Grab(*tools));
    if (!first) return false;
    const int column = index % kStaffToolsColumns;
    const int row = index / kStaffToolsColumns;
    x.Click(tools->x + first->first + column * kCell + kHalfButton,
            tools->y + first->second + row * kCell + kHalfButton);
    x.Settle(Millis{800});
    return true;
}

}  // namespace ql::desktop
