// The user-interface layer's own state: the menu table and the depth of modal
// dialogs now running. User-interface thread only.
#pragma once

#include <string>
#include <vector>

#include "platform/handles.h"

namespace ql::ui::detail {

struct MenuItem {
    std::string text;
    int32_t command = 0;
    uint32_t flags = 0;  // kMenu* bits
    platform::MenuHandle submenu;  // owned by this item
};

struct MenuRecord {
    bool isBar = false;
    std::vector<MenuItem> items;
};

struct UiModel {
    platform::HandleTable<platform::ObjectKind::Menu, MenuRecord> menus;
    int modalDepth = 0;
};

UiModel& Ui();
void ResetUiModel();

}  // namespace ql::ui::detail
