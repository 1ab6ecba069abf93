// The window menu of the document windows, the frame's menu switch, the
// "More Windows" list and the default frame processing.
#include "platform/ui/mdi_frame.h"

#include <algorithm>
#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/menu.h"
#include "platform/ui/ui_model.h"
#include "platform/win/input.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::ui {

const char kMoreWindowsDialogId[] = "MOREWINDOWS";

namespace {

using detail::MenuItem;

constexpr char kMoreWindowsText[] = "&More Windows...";
constexpr char kMoreWindowsCaption[] = "Select Window";
constexpr int32_t kMoreWindowsCommandOffset = kWindowMenuListed;

bool IsListCommand(int32_t first, int32_t command) {
    return command >= first && command <= first + kMoreWindowsCommandOffset;
}

// Takes the list (its items and the separator before them) out of a menu.
void RemoveList(MenuHandle menu, int32_t first) {
    detail::MenuRecord* r = detail::Ui().menus.Find(menu);
    if (!r) return;
    auto& items = r->items;
    auto listed = [&](const MenuItem& item) {
        return !item.submenu && (item.flags & kMenuSeparator) == 0 && IsListCommand(first, item.command);
    };
    auto start = std::find_if(items.begin(), items.end(), listed);
    if (start == items.end()) return;
    if (start != items.begin() && ((start - 1)->flags & kMenuSeparator)) --start;
    auto end = std::find_if_not(start + 1, items.end(), listed);
    items.erase(start, end);
}

std::vector<WindowHandle> ChildrenById(WindowHandle client) {
    std::vector<WindowHandle> children = win::MdiChildrenInZOrder(client);
    std::sort(children.begin(), children.end(),
              [](WindowHandle a, WindowHandle b) { return win::GetWindowId(a) < win::GetWindowId(b); });
    return children;
}

void AppendList(WindowHandle client, MenuHandle menu) {
    std::vector<WindowHandle> children = ChildrenById(client);
    if (children.empty()) return;
    int32_t first = win::GetMdiFirstChildId(client);
    WindowHandle active = win::GetActiveMdiChild(client);
    AppendSeparator(menu);
    int32_t listed = std::min<int32_t>(static_cast<int32_t>(children.size()), kWindowMenuListed);
    for (int32_t i = 0; i < listed; ++i) {
        WindowHandle child = children[static_cast<size_t>(i)];
        std::string text = "&" + std::to_string(i + 1) + " " + win::GetWindowText(child);
        AppendMenuItem(menu, first + i, text, child == active ? kMenuChecked : 0);
    }
    if (static_cast<int32_t>(children.size()) > kWindowMenuListed)
        AppendMenuItem(menu, first + kMoreWindowsCommandOffset, kMoreWindowsText);
}

void ActivateFromMenu(WindowHandle client, WindowHandle child) {
    if (!child) return;
    if (win::GetMdiChildState(child) == win::MdiChildState::Minimized) win::RestoreMdiChild(client, child);
    win::ActivateMdiChild(client, child);
}

DialogTemplate MoreWindowsTemplate() {
    auto control = [](const char* cls, int32_t id, const char* text, DialogUnitRect rect, uint32_t style) {
        return ControlTemplate{cls, id, text, rect, style | win::kStyleVisible | win::kStyleTabStop, 0};
    };
    DialogTemplate t;
    t.caption = kMoreWindowsCaption;
    t.rect = DialogUnitRect{0, 0, 200, 140};
    t.style = kDialogCentre | kDialogModalFrame | win::kStyleCaption;
    t.controls = {
        control(kListBoxClass, kMoreWindowsListId, "", DialogUnitRect{7, 7, 186, 104}, kListNotify),
        control(kButtonClass, kIdOk, "OK", DialogUnitRect{88, 118, 50, 14}, kButtonDefaultPush),
        control(kButtonClass, kIdCancel, "Cancel", DialogUnitRect{143, 118, 50, 14}, kButtonPush),
    };
    return t;
}

// Lists every child in id order, the active one selected; OK ends with the
// chosen child's handle bits, Cancel with 0.
void ChooseFromAllWindows(WindowHandle frame, WindowHandle client) {
    std::vector<WindowHandle> children = ChildrenById(client);
    WindowHandle active = win::GetActiveMdiChild(client);
    auto procedure = [children, active](WindowHandle d, win::Message m, uint32_t word, intptr_t) -> intptr_t {
        WindowHandle list = GetDialogItem(d, kMoreWindowsListId);
        if (m == win::Message::InitDialog) {
            for (WindowHandle child : children) {
                int32_t index = ListAddString(list, win::GetWindowText(child));
                ListSetItemData(list, index, static_cast<intptr_t>(child.bits));
                if (child == active) ListSetSelection(list, index);
            }
            return 1;
        }
        if (m != win::Message::Command) return 0;
        if (win::CommandId(word) == kIdOk) {
            int32_t chosen = ListGetSelection(list);
            return EndDialog(d, chosen < 0 ? 0 : ListGetItemData(list, chosen));
        }
        if (win::CommandId(word) == kIdCancel) return EndDialog(d, 0);
        return 0;
    };
    intptr_t chosen = RunModalDialogIndirect(MoreWindowsTemplate(), kMoreWindowsDialogId, frame, procedure);
    if (chosen > 0) ActivateFromMenu(client, WindowHandle{static_cast<uint32_t>(chosen)});
}

bool HandleListCommand(WindowHandle frame, WindowHandle client, int32_t command) {
    int32_t first = win::GetMdiFirstChildId(client);
    if (!IsListCommand(first, command)) return false;
    if (command == first + kMoreWindowsCommandOffset &&
        static_cast<int32_t>(win::MdiChildrenInZOrder(client).size()) > kWindowMenuListed) {
        ChooseFromAllWindows(frame, client);
        return true;
    }
    WindowHandle child = win::FindChildById(client, command);
    if (!child) return false;
    ActivateFromMenu(client, child);
    return true;
}

}  // namespace

bool UpdateMdiWindowMenu(WindowHandle client) {
    if (!win::IsMdiClient(client)) return false;
    MenuHandle menu = win::GetMdiWindowMenu(client);
    if (!IsMenu(menu)) return false;
    RemoveList(menu, win::GetMdiFirstChildId(client));
    AppendList(client, menu);
    return true;
}

MenuHandle SetMdiMenu(WindowHandle client, MenuHandle frameMenu, MenuHandle windowMenu) {
    if (!win::IsMdiClient(client)) return MenuHandle{};
    WindowHandle frame = win::GetParent(client);
    MenuHandle previous = win::GetWindowMenu(frame);
    if (windowMenu) {
        RemoveList(win::GetMdiWindowMenu(client), win::GetMdiFirstChildId(client));
        win::SetMdiWindowMenu(client, windowMenu);
    }
    if (frameMenu) win::SetWindowMenu(frame, frameMenu);
    UpdateMdiWindowMenu(client);
    DrawMenuBar(frame);
    return previous;
}

intptr_t DefFrameProc(WindowHandle frame, WindowHandle client, win::Message message, uint32_t word, intptr_t data) {
    switch (message) {
        case win::Message::Command:
            if (win::IsMdiClient(client) && HandleListCommand(frame, client, static_cast<int32_t>(win::CommandId(word))))
                return 0;
            break;
        case win::Message::InitMenuPopup:
            if (win::IsMdiClient(client) && win::GetMdiWindowMenu(client).bits == static_cast<uint32_t>(data))
                UpdateMdiWindowMenu(client);
            return 0;
        case win::Message::Size:
            if (win::IsMdiClient(client)) win::MoveWindow(client, win::GetClientRect(frame), true);
            return 0;
        case win::Message::SetFocus:
            if (WindowHandle active = win::GetActiveMdiChild(client))
                win::SetFocus(active);
            else if (win::IsMdiClient(client))
                win::SetFocus(client);
            return 0;
        default:
            break;
    }
    return win::DefaultWindowProc(frame, message, word, data);
}

}  // namespace ql::ui
