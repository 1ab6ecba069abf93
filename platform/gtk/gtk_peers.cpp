// The widgets of top-level and drawn windows: a GtkWindow with the menu row
// above the client layout, or a layout placed in the parent's; in each, a
// drawing area whose expose copies the window's image and nothing else.
#include <cairo.h>

#include "platform/gfx/dc_access.h"
#include "platform/gtk/gtk_window_backend.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::gtk {
namespace {

WindowHandle WindowOf(gpointer data) { return WindowHandle{GPOINTER_TO_UINT(data)}; }

// Expose: the window's image as it stands, nothing painted here.
gboolean DrawImage(GtkWidget*, cairo_t* cr, gpointer data) {
    WindowHandle window = WindowOf(data);
    cairo_surface_t* surface = gfx::BitmapSurfaceForDisplay(win::GetWindowImage(window));
    if (!surface) return FALSE;
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_paint(cr);
    return TRUE;
}

GtkWidget* MakeArea(WindowHandle window) {
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_can_focus(area, TRUE);
    gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                    GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK |
                                    GDK_SCROLL_MASK | GDK_SMOOTH_SCROLL_MASK);
    g_signal_connect(area, "draw", G_CALLBACK(DrawImage), GUINT_TO_POINTER(window.bits));
    gtk_widget_show(area);
    return area;
}

GtkWidget* MakeLayout() {
    GtkWidget* layout = gtk_layout_new(nullptr, nullptr);
    gtk_widget_add_events(layout, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
    gtk_widget_show(layout);
    return layout;
}

}  // namespace

void BuildTopLevel(Peer& peer) {
    uint32_t style = win::GetStyle(peer.window);
    peer.outer = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(peer.outer), win::GetWindowText(peer.window).c_str());
    // A popup without a caption is a bare window (splash, readout); others get the
    // window manager's frame.
    bool bare = (style & win::kStylePopup) && (style & win::kStyleCaption) != win::kStyleCaption;
    gtk_window_set_decorated(GTK_WINDOW(peer.outer), !bare);
    gtk_window_set_resizable(GTK_WINDOW(peer.outer), (style & win::kStyleThickFrame) != 0);
    // A tool window (a palette) is a utility window: kept above its owner, out of
    // the task list.
    if (win::GetExtendedStyle(peer.window) & win::kExStyleToolWindow) {
        gtk_window_set_type_hint(GTK_WINDOW(peer.outer), GDK_WINDOW_TYPE_HINT_UTILITY);
        gtk_window_set_skip_taskbar_hint(GTK_WINDOW(peer.outer), TRUE);
    }
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    peer.menuRow = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
    peer.menuBar = gtk_menu_bar_new();
    peer.childButtons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
    gtk_box_pack_start(GTK_BOX(peer.menuRow), peer.menuBar, TRUE, TRUE, 0);
    gtk_box_pack_end(GTK_BOX(peer.menuRow), peer.childButtons, FALSE, FALSE, 0);
    gtk_widget_show(peer.menuBar);
    peer.layout = MakeLayout();
    peer.area = MakeArea(peer.window);
    gtk_layout_put(GTK_LAYOUT(peer.layout), peer.area, 0, 0);
    gtk_box_pack_start(GTK_BOX(column), peer.menuRow, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), peer.layout, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(peer.outer), column);
    gtk_widget_show(column);
}

void BuildDrawn(Peer& peer, GtkWidget* parentLayout) {
    peer.layout = MakeLayout();
    peer.outer = peer.layout;
    peer.area = MakeArea(peer.window);
    gtk_layout_put(GTK_LAYOUT(peer.layout), peer.area, 0, 0);
    gtk_layout_put(GTK_LAYOUT(parentLayout), peer.outer, 0, 0);
}

void BuildMenuBarCompanion(Peer& peer, Peer& owner) {
    peer.layout = MakeLayout();
    peer.outer = peer.layout;
    peer.area = MakeArea(peer.window);
    gtk_layout_put(GTK_LAYOUT(peer.layout), peer.area, 0, 0);
    gtk_widget_set_valign(peer.outer, GTK_ALIGN_CENTER);
    gtk_box_pack_end(GTK_BOX(owner.menuRow), peer.outer, FALSE, FALSE, 0);
    g_object_ref(peer.outer);
    peer.inOwnerMenuRow = true;
}

}  // namespace ql::gtk
