// The desktop side of the program's clipboard: what a closing of the clipboard
// offers goes to the CLIPBOARD selection by MIME target, and another program
// taking the selection runs the store's lost-ownership path.
#pragma once

namespace ql::gtk {

// Installs the offer hook of platform/sys/clipboard.h on the display's CLIPBOARD.
void InstallGtkClipboard();

}  // namespace ql::gtk
