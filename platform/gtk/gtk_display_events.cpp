// The display events of the GTK backend (see gtk_display_events.h). The X part is
// kept in this file alone: the X headers define names such as None and Status.
#include "platform/gtk/gtk_display_events.h"

#include <gdk/gdk.h>
#include <gdk/gdkx.h>
#include <unistd.h>

#include "platform/win/display_events.h"

namespace ql::gtk {
namespace {

void OnScreenChanged(GdkScreen* /*screen*/, gpointer /*data*/) {
    win::NotifyDisplayChange();
}

// Xlib ends the process once this returns; the program's handler runs first, and
// a loss met again inside it (its own calls reaching the dead server) ends at once.
int OnDisplayLost(Display* /*display*/) {
    win::NotifyDisplayLost();
    _exit(win::kDisplayLostExitCode);
}

}  // namespace

void WatchDisplayEvents() {
    if (GdkScreen* screen = gdk_screen_get_default()) {
        g_signal_connect(screen, "monitors-changed", G_CALLBACK(OnScreenChanged), nullptr);
        g_signal_connect(screen, "size-changed", G_CALLBACK(OnScreenChanged), nullptr);
    }
    GdkDisplay* display = gdk_display_get_default();
    if (display != nullptr && GDK_IS_X11_DISPLAY(display)) XSetIOErrorHandler(OnDisplayLost);
}

}  // namespace ql::gtk
