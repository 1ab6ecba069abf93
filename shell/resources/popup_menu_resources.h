// The program's own "POPUPMENUS" menu: one named top-level item per popup menu of
// the score editor's right button (NOTEMENU, RESTMENU, ... PAGEMENU), each holding
// that menu's commands. Registered into the program's bundle at start-up (a language
// bundle may replace it).
#pragma once

#include "platform/sys/resources.h"

namespace ql {

constexpr const char* kPopupMenusResource = "POPUPMENUS";

// Adds the menu to `bundle`; an entry the bundle already has is kept.
void AddPopupMenuResources(sys::ResourceBundle& bundle);

// Adds it to the registered program bundle (creating it when none is set).
void RegisterPopupMenuResources();

}  // namespace ql
