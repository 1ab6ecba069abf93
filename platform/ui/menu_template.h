// Menu and accelerator templates: data kept in the program's resource bundles.
// An item with children is a popup; an item with kMenuSeparator is a separator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/keys.h"

namespace ql::ui {

constexpr uint32_t kMenuChecked = 0x0008;
constexpr uint32_t kMenuGrayed = 0x0001;
constexpr uint32_t kMenuDisabled = 0x0002;
constexpr uint32_t kMenuPopup = 0x0010;
constexpr uint32_t kMenuSeparator = 0x0800;

struct MenuItemTemplate {
    std::string text;
    int32_t command = 0;
    uint32_t flags = 0;  // kMenuChecked, kMenuGrayed, kMenuDisabled, kMenuSeparator
    std::vector<MenuItemTemplate> children;
};

struct MenuTemplate {
    std::vector<MenuItemTemplate> items;
};

constexpr uint8_t kAcceleratorShift = 0x1;
constexpr uint8_t kAcceleratorControl = 0x2;
constexpr uint8_t kAcceleratorAlt = 0x4;

struct Accelerator {
    win::Key key = win::Key::None;
    uint8_t modifiers = 0;  // kAccelerator* bits, all of which must be held (and no others)
    int32_t command = 0;
};

struct AcceleratorTable {
    std::vector<Accelerator> entries;
};

}  // namespace ql::ui
