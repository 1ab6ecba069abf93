// The display events of the GTK backend (see gtk_display_events.h). The X part is
// kept in this file alone: the X headers define names such as None and Status.
// Before the program hears of a change, the screen that contexts on windows report
// (their resolution) is the primary monitor's size in the desktop's pixels, which
// are the program's pixels too: its pixels per inch stay those of the layer.
#include "platform/gtk/gtk_display_events.h"

// The layer's headers come before the X headers, whose macros would rename them.
#include "platform/gfx/caps.h"
#include "platform/win/display_events.h"

#include <gdk/gdk.h>
#include <gdk/gdkx.h>
#include <unistd.h>

namespace ql::gtk {
namespace {

GdkMonitor* MainMonitor(GdkDisplay* display) {
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    return monitor != nullptr ? monitor : gdk_display_get_monitor(display, 0);
}

void ReadScreen() {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display != nullptr ? MainMonitor(display) : nullptr;
    if (monitor == nullptr) return;
    GdkRectangle area;
    gdk_monitor_get_geometry(monitor, &area);
    gfx::ScreenMetrics metrics = gfx::GetScreenMetrics();
    metrics.width = area.width;
    metrics.height = area.height;
    gfx::SetScreenMetrics(metrics);
}

void OnDisplayChanged() {
    ReadScreen();
    win::NotifyDisplayChange();
}

void OnScreenChanged(GdkScreen* /*screen*/, gpointer /*data*/) { OnDisplayChanged(); }

// A monitor's scale or geometry changed (a new resolution, another scale).
void OnMonitorChanged(GObject* /*monitor*/, GParamSpec* /*property*/, gpointer /*data*/) { OnDisplayChanged(); }

void WatchMonitor(GdkMonitor* monitor) {
    g_signal_connect(monitor, "notify::scale-factor", G_CALLBACK(OnMonitorChanged), nullptr);
    g_signal_connect(monitor, "notify::geometry", G_CALLBACK(OnMonitorChanged), nullptr);
}

void OnMonitorAdded(GdkDisplay* /*display*/, GdkMonitor* monitor, gpointer /*data*/) { WatchMonitor(monitor); }

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
    if (display == nullptr) return;
    ReadScreen();
    for (int i = 0; i < gdk_display_get_n_monitors(display); ++i) WatchMonitor(gdk_display_get_monitor(display, i));
    g_signal_connect(display, "monitor-added", G_CALLBACK(OnMonitorAdded), nullptr);
    if (GDK_IS_X11_DISPLAY(display)) XSetIOErrorHandler(OnDisplayLost);
}

}  // namespace ql::gtk
