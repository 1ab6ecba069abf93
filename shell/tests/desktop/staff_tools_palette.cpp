// Finding the palettes and pressing a Staff Tools button (see staff_tools_palette.h).
// The palette shows its current button pressed (the first until another is chosen),
// and that cell gives the grid's origin: it lies less than a cell from the window's
// corner.
#include "shell/tests/desktop/staff_tools_palette.h"

#include <utility>

#include "shell/tests/desktop/scene_pictures.h"

namespace ql::desktop {
namespace {

constexpr int kStaffToolsOnMain = 0;           // the Main palette's first button
constexpr int kStaffToolsColumns = 3;
constexpr int kWindowTries = 100;

}  // namespace

bool PressStaffToolsButton(XSession& x, int index) {
    const std::optional<ShownWindow> main = x.WindowTitled("Main");
    if (!main) return false;
    x.Click(main->x + 1 + kStaffToolsOnMain * kPaletteCell + kPaletteButtonMiddle, main->y + 1 + kPaletteButtonMiddle);
    x.Settle(Millis{800});
    const std::optional<ShownWindow> tools = x.WindowTitled("Staff Tools");
    if (!tools) return false;
    const std::optional<std::pair<int, int>> pressed = PressedCell(x.Grab(*tools));
    if (!pressed) return false;
    const int column = index % kStaffToolsColumns;
    const int row = index / kStaffToolsColumns;
    x.Click(tools->x + pressed->first % kPaletteCell + column * kPaletteCell + kPaletteButtonMiddle,
            tools->y + pressed->second % kPaletteCell + row * kPaletteCell + kPaletteButtonMiddle);
    x.Settle(Millis{800});
    return true;
}

}  // namespace ql::desktop
