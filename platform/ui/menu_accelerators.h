// Accelerators named by menu texts: the text after an item's tab ("Ctrl+N", "F3",
// "Shift+F5", "Ctrl+Shift+Z", and the spellings "Ctrl+Shft+Ins" and "Ctrl-Z" that
// some of the program's items use) is both what the menu shows at the item's right
// and the key that chooses the item, so a menu bar yields its own accelerator table
// and the two cannot disagree.
#pragma once

#include <optional>
#include <string_view>

#include "platform/ui/menu.h"

namespace ql::ui {

// The key and modifiers an accelerator text names; empty for a text that names no
// key this layer has ("Ctrl+" alone, "Hyper+Q").
struct AcceleratorKey {
    win::Key key = win::Key::None;
    uint8_t modifiers = 0;  // kAccelerator* bits
};
std::optional<AcceleratorKey> ParseAcceleratorText(std::string_view text);

// The accelerator text of a menu item's text: what follows its tab (empty for none).
std::string_view AcceleratorTextOf(std::string_view itemText);

// Every command item of `menu` and its submenus whose text names a key, in menu
// order; a key named twice keeps its first command.
AcceleratorTable AcceleratorsOfMenu(MenuHandle menu);

}  // namespace ql::ui
