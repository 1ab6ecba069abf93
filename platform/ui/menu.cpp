// Menus: bars and popups as trees of items, item state by command, building from
// templates, popup tracking and accelerators.
#include "platform/ui/menu.h"

#include <vector>

#include "platform/ui/backend.h"
#include "platform/ui/mdi_frame.h"
#include "platform/win/backend.h"
#include "platform/ui/ui_model.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::ui {
namespace {

using detail::MenuItem;
using detail::MenuRecord;
using detail::Ui;

constexpr uint32_t kStateMask = kMenuGrayed | kMenuDisabled;

MenuRecord* Find(MenuHandle menu) { return Ui().menus.Find(menu); }

MenuHandle Create(bool isBar) {
    auto record = std::make_unique<MenuRecord>();
    record->isBar = isBar;
    return Ui().menus.Add(std::move(record));
}

// The item with `command` in the menu or its submenus (depth first).
MenuItem* FindItem(MenuHandle menu, int32_t command) {
    MenuRecord* r = Find(menu);
    if (!r) return nullptr;
    for (MenuItem& item : r->items) {
        if (item.submenu) {
            if (MenuItem* inner = FindItem(item.submenu, command)) return inner;
        } else if ((item.flags & kMenuSeparator) == 0 && item.command == command) {
            return &item;
        }
    }
    return nullptr;
}

// True when `inner` is `menu` or lies anywhere below it.
bool Contains(MenuHandle menu, MenuHandle inner) {
    if (menu == inner) return true;
    MenuRecord* r = Find(menu);
    if (!r) return false;
    for (const MenuItem& item : r->items)
        if (item.submenu && Contains(item.submenu, inner)) return true;
    return false;
}

// True when some menu already holds `submenu` as one of its items.
bool HasOwner(MenuHandle submenu) {
    bool owned = false;
    Ui().menus.ForEach([&](MenuHandle, const MenuRecord& r) {
        for (const MenuItem& item : r.items) owned = owned || item.submenu == submenu;
    });
    return owned;
}

MenuItem* ItemAt(MenuHandle menu, int32_t position) {
    MenuRecord* r = Find(menu);
    if (!r || position < 0 || position >= static_cast<int32_t>(r->items.size())) return nullptr;
    return &r->items[static_cast<size_t>(position)];
}

bool FillFromTemplate(MenuHandle menu, const std::vector<MenuItemTemplate>& items) {
    for (const MenuItemTemplate& t : items) {
        if (t.flags & kMenuSeparator) {
            AppendSeparator(menu);
        } else if (!t.children.empty()) {
            MenuHandle sub = CreatePopupMenu();
            if (!sub || !FillFromTemplate(sub, t.children) || !AppendSubmenu(menu, sub, t.text)) return false;
        } else if (!AppendMenuItem(menu, t.command, t.text, t.flags)) {
            return false;
        }
    }
    return true;
}

// The popups from `menu` down to the one holding the item with `command` (`menu`
// itself not among them unless it is a popup of its own); false when no item has it.
bool PopupsDownTo(MenuHandle menu, int32_t command, std::vector<MenuHandle>* path) {
    MenuRecord* r = Find(menu);
    if (!r) return false;
    for (const MenuItem& item : r->items) {
        if (item.submenu) {
            path->push_back(item.submenu);
            if (PopupsDownTo(item.submenu, command, path)) return true;
            path->pop_back();
        } else if ((item.flags & kMenuSeparator) == 0 && item.command == command) {
            return true;
        }
    }
    return false;
}

uint8_t HeldModifiers() {
    uint8_t held = 0;
    if (win::IsKeyDown(win::Key::Shift)) held |= kAcceleratorShift;
    if (win::IsKeyDown(win::Key::Control)) held |= kAcceleratorControl;
    if (win::IsKeyDown(win::Key::Alt)) held |= kAcceleratorAlt;
    return held;
}

}  // namespace

MenuHandle CreateMenuBar() { return Create(true); }
MenuHandle CreatePopupMenu() { return Create(false); }

bool DestroyMenu(MenuHandle menu) {
    MenuRecord* r = Find(menu);
    if (!r) return false;
    std::vector<MenuHandle> submenus;
    for (const MenuItem& item : r->items)
        if (item.submenu) submenus.push_back(item.submenu);
    Ui().menus.Remove(menu);
    for (MenuHandle sub : submenus) DestroyMenu(sub);
    return true;
}

bool IsMenu(MenuHandle menu) { return Find(menu) != nullptr; }

MenuHandle LoadMenu(const sys::ResourceId& id, sys::Lookup lookup) {
    auto t = sys::FindMenuTemplate(id, lookup);
    if (!t) return MenuHandle{};
    MenuHandle bar = CreateMenuBar();
    if (bar && !FillFromTemplate(bar, t->items)) {
        DestroyMenu(bar);
        return MenuHandle{};
    }
    return bar;
}

bool AppendMenuItem(MenuHandle menu, int32_t command, std::string_view text, uint32_t flags) {
    MenuRecord* r = Find(menu);
    if (!r) return false;
    r->items.push_back(MenuItem{std::string(text), command, flags & (kMenuChecked | kStateMask), MenuHandle{}});
    return true;
}

bool AppendSeparator(MenuHandle menu) {
    MenuRecord* r = Find(menu);
    if (!r) return false;
    r->items.push_back(MenuItem{std::string{}, 0, kMenuSeparator, MenuHandle{}});
    return true;
}

bool AppendSubmenu(MenuHandle menu, MenuHandle submenu, std::string_view text) {
    MenuRecord* r = Find(menu);
    // One owner per submenu, and no menu inside itself: the searches by command
    // and DestroyMenu walk the tree and must end.
    if (!r || !Find(submenu) || Contains(submenu, menu) || HasOwner(submenu)) return false;
    r->items.push_back(MenuItem{std::string(text), 0, kMenuPopup, submenu});
    return true;
}

bool DeleteMenuItem(MenuHandle menu, int32_t command) {
    MenuRecord* r = Find(menu);
    if (!r) return false;
    for (size_t i = 0; i < r->items.size(); ++i) {
        MenuItem& item = r->items[i];
        if (item.submenu && DeleteMenuItem(item.submenu, command)) return true;
        if (!item.submenu && (item.flags & kMenuSeparator) == 0 && item.command == command) {
            r->items.erase(r->items.begin() + static_cast<long>(i));
            return true;
        }
    }
    return false;
}

int32_t GetMenuItemCount(MenuHandle menu) {
    MenuRecord* r = Find(menu);
    return r ? static_cast<int32_t>(r->items.size()) : -1;
}

MenuHandle GetSubmenu(MenuHandle menu, int32_t position) {
    MenuItem* item = ItemAt(menu, position);
    return item ? item->submenu : MenuHandle{};
}

int32_t GetMenuItemCommand(MenuHandle menu, int32_t position) {
    MenuItem* item = ItemAt(menu, position);
    if (!item || item->submenu || (item->flags & kMenuSeparator)) return -1;
    return item->command;
}

std::string GetMenuItemText(MenuHandle menu, int32_t position) {
    MenuItem* item = ItemAt(menu, position);
    return item ? item->text : std::string{};
}

bool SetMenuItemText(MenuHandle menu, int32_t command, std::string_view text) {
    MenuItem* item = FindItem(menu, command);
    if (!item) return false;
    item->text = std::string(text);
    return true;
}

int32_t CheckMenuItem(MenuHandle menu, int32_t command, bool checked) {
    MenuItem* item = FindItem(menu, command);
    if (!item) return -1;
    int32_t previous = (item->flags & kMenuChecked) ? 1 : 0;
    item->flags = checked ? (item->flags | kMenuChecked) : (item->flags & ~kMenuChecked);
    return previous;
}

int32_t EnableMenuItem(MenuHandle menu, int32_t command, MenuItemState state) {
    MenuItem* item = FindItem(menu, command);
    if (!item) return -1;
    int32_t previous = (item->flags & kMenuDisabled) ? static_cast<int32_t>(MenuItemState::Disabled)
                       : (item->flags & kMenuGrayed) ? static_cast<int32_t>(MenuItemState::Grayed)
                                                     : static_cast<int32_t>(MenuItemState::Enabled);
    item->flags &= ~kStateMask;
    if (state == MenuItemState::Grayed) item->flags |= kMenuGrayed;
    if (state == MenuItemState::Disabled) item->flags |= kMenuDisabled;
    return previous;
}

uint32_t GetMenuItemFlags(MenuHandle menu, int32_t command) {
    MenuItem* item = FindItem(menu, command);
    return item ? item->flags : kMenuItemMissing;
}

bool DrawMenuBar(WindowHandle window) {
    if (!win::IsWindow(window)) return false;
    win::CurrentBackend().WindowChanged(window, win::WindowChange::MenuChanged);
    return true;
}

void NotifyMenuBarEntered(WindowHandle owner) {
    win::SendMessage(owner, win::Message::InitMenu, 0, static_cast<intptr_t>(win::GetWindowMenu(owner).bits));
}

void NotifyPopupOpening(WindowHandle owner, MenuHandle popup) {
    win::SendMessage(owner, win::Message::InitMenuPopup, 0, static_cast<intptr_t>(popup.bits));
    WindowHandle client = win::FindMdiClient(owner);
    if (client && win::GetMdiWindowMenu(client) == popup) UpdateMdiWindowMenu(client);
}

int32_t TrackPopupMenu(MenuHandle popup, uint32_t flags, win::Point screen, WindowHandle owner) {
    if (!Find(popup)) return 0;
    NotifyPopupOpening(owner, popup);
    int32_t command = CurrentUiBackend().TrackPopupMenu(popup, screen, owner);
    if (flags & kTrackReturnCommand) return command;
    if (command == 0) return 0;
    win::SendMessage(owner, win::Message::Command, win::MakeCommandWord(static_cast<uint32_t>(command), 0), 0);
    return 1;
}

int32_t FindAcceleratorCommand(const AcceleratorTable& table, const win::QueuedMessage& message) {
    if (message.message != win::Message::KeyDown && message.message != win::Message::SystemKeyDown) return 0;
    const uint8_t held = HeldModifiers();
    for (const Accelerator& a : table.entries)
        if (static_cast<uint32_t>(a.key) == message.word && a.modifiers == held) return a.command;
    return 0;
}

bool TranslateAccelerator(WindowHandle target, const AcceleratorTable& table, const win::QueuedMessage& message) {
    if (!win::IsWindow(target)) return false;
    const int32_t command = FindAcceleratorCommand(table, message);
    if (command == 0) return false;
    // A key runs only what its menu item would: the owner brings the item's state up
    // to date as for opening its menus, and a grayed or disabled item sends no
    // command; the key goes on to its window as a plain key stroke.
    const MenuHandle bar = win::GetWindowMenu(target);
    std::vector<MenuHandle> popups;
    if (PopupsDownTo(bar, command, &popups)) {
        NotifyMenuBarEntered(target);
        for (MenuHandle popup : popups) NotifyPopupOpening(target, popup);
        if (!win::IsWindow(target) || (GetMenuItemFlags(bar, command) & kStateMask) != 0) return false;
    }
    win::SendMessage(target, win::Message::Command,
                     win::MakeCommandWord(static_cast<uint32_t>(command), win::kCommandFromAccelerator), 0);
    return true;
}

namespace detail {

bool IsChoosable(MenuHandle popup, int32_t command) {
    MenuItem* item = FindItem(popup, command);
    return item && (item->flags & (kStateMask | kMenuSeparator | kMenuPopup)) == 0;
}

}  // namespace detail
}  // namespace ql::ui
