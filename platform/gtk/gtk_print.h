// The desktop's print dialog and print jobs: GtkPrintUnixDialog chooses the printer,
// copies, collation and page ranges (or the virtual printer that prints to a file),
// and its "Pages" tab the even/odd filter and the page list; GtkPrintJob sends the
// PDF the program drew to the printer.
#pragma once

#include <string>

#include "platform/sysdlg/print_dialog.h"

typedef struct _GtkPrintSettings GtkPrintSettings;

namespace ql::gtk {

// What the dialog's settings choose, as the program's print choice: the printer's
// name, copies and collation, the even/odd set, and the pages (all; one range as
// from-to; several ranges or single pages as a page list). `toFile` with the
// settings' output URI makes a print to that file.
sysdlg::PrintChoice PrintChoiceFromSettings(GtkPrintSettings* settings, const std::string& printer, bool toFile);

// The backend InstallGtkBackends installs.
sysdlg::PrintBackend MakeGtkPrintBackend();

}  // namespace ql::gtk
