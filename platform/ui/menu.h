// Menu bars, popup menus and accelerators.
// Items are addressed by command id (searched through submenus) or by position.
// TrackPopupMenu shows a popup at a screen point and returns the command chosen;
// in the headless backend the choice comes from a test's queue (ui/headless.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/sys/resources.h"
#include "platform/ui/menu_template.h"
#include "platform/win/messages.h"

namespace ql::ui {

using platform::MenuHandle;
using platform::WindowHandle;

MenuHandle CreateMenuBar();
MenuHandle CreatePopupMenu();
// Destroys the menu and its submenus. False when stale.
bool DestroyMenu(MenuHandle menu);
bool IsMenu(MenuHandle menu);
// Builds a menu bar from a template in the bundles; null when missing.
MenuHandle LoadMenu(const sys::ResourceId& id, sys::Lookup lookup = sys::Lookup::LanguageThenProgram);

// flags: kMenuChecked, kMenuGrayed, kMenuDisabled.
bool AppendMenuItem(MenuHandle menu, int32_t command, std::string_view text, uint32_t flags = 0);
bool AppendSeparator(MenuHandle menu);
// The menu takes ownership of `submenu`. Refused when another menu holds it
// already, or when `submenu` is `menu` or holds it (a menu inside itself).
bool AppendSubmenu(MenuHandle menu, MenuHandle submenu, std::string_view text);
bool DeleteMenuItem(MenuHandle menu, int32_t command);
int32_t GetMenuItemCount(MenuHandle menu);  // -1 when stale
MenuHandle GetSubmenu(MenuHandle menu, int32_t position);
int32_t GetMenuItemCommand(MenuHandle menu, int32_t position);  // -1 for popups and separators
std::string GetMenuItemText(MenuHandle menu, int32_t position);
bool SetMenuItemText(MenuHandle menu, int32_t command, std::string_view text);

// Previous state: 1 checked / 0 not; -1 when no item has the command.
int32_t CheckMenuItem(MenuHandle menu, int32_t command, bool checked);
enum class MenuItemState : uint8_t { Enabled = 0, Grayed = 1, Disabled = 2 };
// Previous state as an int (MenuItemState), -1 when no item has the command.
int32_t EnableMenuItem(MenuHandle menu, int32_t command, MenuItemState state);
// kMenu* flags of the item; 0xFFFFFFFF when no item has the command.
uint32_t GetMenuItemFlags(MenuHandle menu, int32_t command);
constexpr uint32_t kMenuItemMissing = 0xFFFFFFFFu;

// Shows the window's menu bar again after its items changed.
bool DrawMenuBar(WindowHandle window);

// The user opens a menu: the owner gets InitMenu with its menu bar when the bar
// is entered, and InitMenuPopup for each popup before it is shown. A popup
// that is the window menu of the owner's document-window client gets its list
// of windows rebuilt after InitMenuPopup. Both backends open menus through these.
void NotifyMenuBarEntered(WindowHandle owner);
void NotifyPopupOpening(WindowHandle owner, MenuHandle popup);

// Popups.
constexpr uint32_t kTrackLeftButton = 0x0000;
constexpr uint32_t kTrackRightButton = 0x0002;
constexpr uint32_t kTrackReturnCommand = 0x0100;  // return the command instead of sending it
// Sends InitMenuPopup to the owner, then lets the user choose. With
// kTrackReturnCommand returns the command chosen (0 when dismissed); otherwise
// sends Command(command, 0) to the owner and returns 1 when one was chosen.
// Grayed, disabled and separator items cannot be chosen.
int32_t TrackPopupMenu(MenuHandle popup, uint32_t flags, win::Point screen, WindowHandle owner);

// Accelerators: a KeyDown or SystemKeyDown matching an entry (key and exactly its
// modifiers held) sends Command(command, kCommandFromAccelerator) to `target`.
// When `target`'s menu bar has an item with the command, `target` first gets
// InitMenu and InitMenuPopup for each popup down to the item, as if the user opened
// them; for a grayed or disabled item nothing is sent and the result is false (the
// key stays a plain key stroke of its window).
// FindAcceleratorCommand only names the entry's command (0 for none).
int32_t FindAcceleratorCommand(const AcceleratorTable& table, const win::QueuedMessage& message);
bool TranslateAccelerator(WindowHandle target, const AcceleratorTable& table,
                          const win::QueuedMessage& message);

}  // namespace ql::ui
