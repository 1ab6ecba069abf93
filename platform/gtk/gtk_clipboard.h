// The desktop side of the program's clipboard: what a closing of the clipboard
// offers goes to the CLIPBOARD selection by MIME target, and another program
// taking the selection runs the store's lost-ownership path; an image another
// program holds there is read as format 8.
#pragma once

namespace ql::gtk {

// Installs the offer hook and the readers of platform/sys/clipboard.h on the
// display's CLIPBOARD.
void InstallGtkClipboard();

}  // namespace ql::gtk
