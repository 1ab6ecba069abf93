// The frame side of the document windows: the window menu that lists them, the
// frame's menu switch, and the default frame processing.
// The window menu (the client's submenu, win/mdi.h) gets, after a separator, an
// item "&1 caption" .. "&9 caption" per child in id order (commands first id +
// 0..8), the active one checked, and "&More Windows..." (first id + 9) when there
// are more than nine children. The list is rebuilt whenever the menu opens
// (NotifyPopupOpening) and when the menu is set.
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"
#include "platform/win/messages.h"

namespace ql::ui {

using platform::MenuHandle;
using platform::WindowHandle;

// The dialog "&More Windows..." opens: a list of every child, OK and Cancel.
// Its list has this id; scripts name the dialog by kMoreWindowsDialogId.
constexpr int32_t kMoreWindowsListId = 100;
extern const char kMoreWindowsDialogId[];
// Children listed in the window menu itself.
constexpr int32_t kWindowMenuListed = 9;

// Rebuilds the list of windows in the client's window menu.
bool UpdateMdiWindowMenu(WindowHandle client);

// Puts `frameMenu` on the frame (null keeps the bar) and makes `windowMenu` the
// window menu (null keeps it); the list leaves the old window menu and is built
// in the new one; the bar is redrawn. Returns the frame's previous menu bar.
MenuHandle SetMdiMenu(WindowHandle client, MenuHandle frameMenu, MenuHandle windowMenu);

// Default processing of the frame's messages: the window-menu commands activate
// their child (restoring an icon) or open the list of windows; InitMenuPopup of
// the window menu rebuilds the list; Size fills the frame's client area with the
// client; SetFocus passes the focus to the active child; others as
// win::DefaultWindowProc.
intptr_t DefFrameProc(WindowHandle frame, WindowHandle client, win::Message message, uint32_t word, intptr_t data);

}  // namespace ql::ui
