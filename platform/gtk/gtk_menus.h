// Menus on GTK (gtk_menus.cpp): filling a GtkMenu from a model popup, the
// choice of a popup menu that is tracked, and finding the widgets of items and
// of the maximised child's buttons (used by the tests that drive them).
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gtk/gtk_window_backend.h"
#include "platform/win/mdi.h"

namespace ql::gtk {

// A text of the layer with its "&" mnemonic in GTK's form: "&File" -> "_File";
// "&&" is a plain "&"; "_" is doubled so that GTK shows it.
std::string GtkMnemonic(std::string_view text);

// Fills `menu` from the model popup; items post Command to `owner`, nested
// popups are filled when they are about to open.
void FillMenu(GtkMenu* menu, platform::MenuHandle popup, WindowHandle owner);

// While a popup menu is tracked, a chosen item is recorded here instead of
// being posted.
struct ChosenCommandSink {
    int32_t chosen = 0;
};
ChosenCommandSink* CurrentChoiceSink();

// The last button press on a window of the program, kept for a popup menu that the
// program opens later from the queued message: GTK shows a popup only for a trigger
// event (without one it cannot take the pointer and closes it at once). Null before
// any press.
void RememberPopupTrigger(const GdkEvent* press);
const GdkEvent* PopupTrigger();
class ScopedChoiceSink {
public:
    explicit ScopedChoiceSink(ChosenCommandSink& sink);
    ~ScopedChoiceSink();
    ScopedChoiceSink(const ScopedChoiceSink&) = delete;
    ScopedChoiceSink& operator=(const ScopedChoiceSink&) = delete;

private:
    ChosenCommandSink* previous_;
};

// The item of `shell` (not of its submenus) that chooses `command`, or null.
GtkWidget* FindCommandItem(GtkMenuShell* shell, int32_t command);
// The model popup an item with a submenu opens (null for other items).
platform::MenuHandle PopupOfItem(GtkWidget* item);
// A button of the maximised child at the menu row's right end.
GtkWidget* FindChildButton(Peer& peer, win::MdiHit hit);

}  // namespace ql::gtk
