// The frame's menus follow the command state: each popup, as it opens, has its
// items enabled, grayed and checked from the state and the settings, the File popup
// its pick list, the Edit popup its Undo and Redo texts, and the Language popup one
// item per language.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace ql {

enum class MenuPopupKind : uint8_t { File, Edit, View, Options, Text, Notes, Midi, Window, Help, Language, Other };

// Which popup a menu is, by its first item.
MenuPopupKind IdentifyMenuPopup(platform::MenuHandle popup);

// The frame's WM_INITMENUPOPUP: 0 (a system menu is left to the default processing
// by the caller).
intptr_t FrameOnInitMenuPopup(platform::WindowHandle frame, platform::MenuHandle popup, int32_t position,
                              bool systemMenu);

// The menu operations on a popup, by command id; an item the popup lacks is left.
void GrayMenuCommand(platform::MenuHandle popup, int32_t command);
void EnableMenuCommand(platform::MenuHandle popup, int32_t command);
void CheckMenuCommand(platform::MenuHandle popup, int32_t command);
void UncheckMenuCommand(platform::MenuHandle popup, int32_t command);

}  // namespace ql
