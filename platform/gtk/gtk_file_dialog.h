// The desktop's open-file and save-file dialogs: GtkFileChooserNative (the desktop
// portal's chooser where there is one, GTK's own dialog in this process otherwise)
// with the request's filters, starting folder and name. The program asks about
// replacing an existing file itself, so the chooser does not ask as well.
#pragma once

#include <filesystem>
#include <string>

#include "platform/ui/file_dialog.h"

typedef struct _GtkWindow GtkWindow;

namespace ql::gtk {

// The window the user works in, which a system dialog stays above (null: none is).
GtkWindow* ActiveTopLevel();

// The chooser's name for a file that was typed without an extension: the request's
// default extension, in lower case, added to the name.
std::filesystem::path WithDefaultExtension(const std::filesystem::path& chosen, const std::string& extension);

// The backend InstallGtkBackends installs.
ui::FileDialogBackend MakeGtkFileDialogBackend();

}  // namespace ql::gtk
