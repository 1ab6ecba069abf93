// GTK input for the scene: synthesised GDK events handed to gtk_main_do_event,
// menu items and buttons activated through GTK; settling the display; drawing a
// top-level window; comparing widget geometry with the model.
#include "platform/tests/gtk/gtk_scene_input.h"

#include <gdk/gdkkeysyms.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <thread>

#include "platform/gtk/gtk_menus.h"
#include "platform/ui/dialog.h"
#include "platform/ui/mdi_frame.h"
#include "platform/ui/menu.h"
#include "platform/win/window.h"

namespace ql::testing {
namespace {

constexpr int kSettleRounds = 8;

gtk::Peer* PeerOf(WindowHandle window) {
    gtk::GtkWindowBackend* backend = gtk::CurrentGtkBackend();
    return backend ? backend->FindPeer(window) : nullptr;
}

GdkDevice* Pointer() { return gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())); }
GdkDevice* Keyboard() { return gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())); }

void SendButton(GdkWindow* target, GdkEventType type, win::Point at, guint state) {
    GdkEvent* event = gdk_event_new(type);
    event->button.window = GDK_WINDOW(g_object_ref(target));
    event->button.send_event = TRUE;
    event->button.time = GDK_CURRENT_TIME;
    event->button.x = at.x;
    event->button.y = at.y;
    event->button.button = 1;
    event->button.state = state;
    gdk_event_set_device(event, Pointer());
    gtk_main_do_event(event);
    gdk_event_free(event);
}

void Click(GdkWindow* target, win::Point at) {
    SendButton(target, GDK_BUTTON_PRESS, at, 0);
    SettleDisplay();
    SendButton(target, GDK_BUTTON_RELEASE, at, GDK_BUTTON1_MASK);
}

guint KeyvalOf(win::Key key) {
    switch (key) {
        case win::Key::Control:
            return GDK_KEY_Control_L;
        case win::Key::Shift:
            return GDK_KEY_Shift_L;
        default:
            break;
    }
    auto code = static_cast<uint32_t>(key);
    if (code >= static_cast<uint32_t>(win::Key::F1) && code <= static_cast<uint32_t>(win::Key::F12))
        return GDK_KEY_F1 + (code - static_cast<uint32_t>(win::Key::F1));
    if (code >= 'A' && code <= 'Z') return GDK_KEY_a + (code - 'A');
    if (guint named = gtk::KeyvalOfKey(key)) return named;
    return GDK_KEY_VoidSymbol;
}

void SendKey(GdkWindow* target, win::Key key, bool down, guint state) {
    GdkEvent* event = gdk_event_new(down ? GDK_KEY_PRESS : GDK_KEY_RELEASE);
    guint keyval = KeyvalOf(key);
    event->key.window = GDK_WINDOW(g_object_ref(target));
    event->key.send_event = TRUE;
    event->key.time = GDK_CURRENT_TIME;
    event->key.keyval = keyval;
    event->key.state = state;
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()), keyval, &keys, &count) &&
        count > 0)
        event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
    g_free(keys);
    gdk_event_set_device(event, Keyboard());
    gtk_main_do_event(event);
    gdk_event_free(event);
}

GdkWindow* TopLevelSurface() {
    std::vector<WindowHandle> tops = win::TopLevelWindows({.className = {}, .visibleOnly = true});
    gtk::Peer* peer = tops.empty() ? nullptr : PeerOf(tops.back());
    return peer ? gtk_widget_get_window(peer->outer) : nullptr;
}

win::Point Centre(const win::Rect& r) { return win::Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

win::Rect PartRect(const win::MdiFrameParts& parts, win::MdiHit part) {
    switch (part) {
        case win::MdiHit::MinimizeButton:
            return parts.minimizeButton;
        case win::MdiHit::MaximizeButton:
            return parts.maximizeButton;
        case win::MdiHit::CloseButton:
            return parts.closeButton;
        default:
            return parts.caption;
    }
}

// The index in the menu bar of the popup that holds `command`, -1 when none.
int TopIndexFor(platform::MenuHandle bar, int32_t command) {
    for (int32_t i = 0; i < ui::GetMenuItemCount(bar); ++i) {
        platform::MenuHandle sub = ui::GetSubmenu(bar, i);
        for (int32_t j = 0; sub && j < ui::GetMenuItemCount(sub); ++j)
            if (ui::GetMenuItemCommand(sub, j) == command) return i;
    }
    return -1;
}

}  // namespace

// Sizes are settled on GTK's frame clock, which runs on a timer of its own;
// the tests settle them at once.
void AllocateTopLevels() {
    GList* tops = gtk_window_list_toplevels();
    for (GList* it = tops; it; it = it->next)
        if (gtk_widget_get_visible(GTK_WIDGET(it->data))) gtk_container_check_resize(GTK_CONTAINER(it->data));
    g_list_free(tops);
}

WindowHandle ShowPlainDialog(int id, ui::DialogTemplate t) {
    auto bundle = std::make_shared<sys::ResourceBundle>();
    bundle->dialogs[id] = std::move(t);
    sys::SetProgramBundle(bundle);
    return ui::CreateModelessDialog(id, WindowHandle{}, [](WindowHandle, win::Message m, uint32_t, intptr_t) -> intptr_t {
        return m == win::Message::InitDialog ? 1 : 0;
    });
}

void SettleDisplay() {
    for (int round = 0; round < kSettleRounds; ++round) {
        if (gtk::GtkWindowBackend* backend = gtk::CurrentGtkBackend()) backend->RunPendingEvents();
        gdk_display_sync(gdk_display_get_default());
        while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
        AllocateTopLevels();
    }
}

void GtkSceneInput::Settle() { SettleDisplay(); }

void GtkSceneInput::ClickFramePart(WindowHandle child, win::MdiHit part) {
    if (win::GetMdiChildState(child) == win::MdiChildState::Maximized) {
        gtk::Peer* frame = PeerOf(win::GetTopLevel(child));
        GtkWidget* button = frame ? gtk::FindChildButton(*frame, part) : nullptr;
        if (button) gtk_button_clicked(GTK_BUTTON(button));
        return;
    }
    gtk::Peer* peer = PeerOf(child);
    if (!peer) return;
    Click(gtk_layout_get_bin_window(GTK_LAYOUT(peer->layout)), Centre(PartRect(win::GetMdiFrameParts(child), part)));
}

void GtkSceneInput::ClickClient(WindowHandle window, win::Point point) {
    gtk::Peer* peer = PeerOf(window);
    if (!peer || !peer->area) return;
    SendButton(gtk_widget_get_window(peer->area), GDK_BUTTON_PRESS, point, 0);
    pump();
    SettleDisplay();
    if (!(peer = PeerOf(window))) return;
    SendButton(gtk_widget_get_window(peer->area), GDK_BUTTON_RELEASE, point, GDK_BUTTON1_MASK);
    pump();
}

void GtkSceneInput::PressKey(win::Key key, bool control, bool shift, uint32_t) {
    GdkWindow* target = TopLevelSurface();
    if (!target) return;
    guint state = 0;
    auto press = [&](win::Key k, bool down, guint mask) {
        SendKey(target, k, down, state);
        state = down ? (state | mask) : (state & ~mask);
        pump();
    };
    if (control) press(win::Key::Control, true, GDK_CONTROL_MASK);
    if (shift) press(win::Key::Shift, true, GDK_SHIFT_MASK);
    press(key, true, 0);
    press(key, false, 0);
    if (shift) press(win::Key::Shift, false, GDK_SHIFT_MASK);
    if (control) press(win::Key::Control, false, GDK_CONTROL_MASK);
}

bool GtkSceneInput::ChooseMenu(WindowHandle frame, int32_t command) {
    gtk::Peer* peer = PeerOf(frame);
    if (!peer) return false;
    if (WindowHandle client = win::FindMdiClient(frame)) ui::UpdateMdiWindowMenu(client);
    int index = TopIndexFor(win::GetWindowMenu(frame), command);
    GList* items = gtk_container_get_children(GTK_CONTAINER(peer->menuBar));
    GtkWidget* top = index < 0 ? nullptr : GTK_WIDGET(g_list_nth_data(items, static_cast<guint>(index)));
    g_list_free(items);
    if (!top) return false;
    gtk_menu_shell_select_item(GTK_MENU_SHELL(peer->menuBar), top);
    GtkWidget* submenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(top));
    GtkWidget* item = submenu ? gtk::FindCommandItem(GTK_MENU_SHELL(submenu), command) : nullptr;
    bool chosen = item && gtk_widget_is_sensitive(item);
    if (chosen) gtk_menu_shell_activate_item(GTK_MENU_SHELL(submenu), item, TRUE);
    gtk_menu_shell_deactivate(GTK_MENU_SHELL(peer->menuBar));
    return chosen;
}

cairo_surface_t* DrawTopLevel(WindowHandle window) {
    gtk::Peer* peer = PeerOf(window);
    if (!peer) return nullptr;
    GtkWidget* content = gtk_bin_get_child(GTK_BIN(peer->outer));
    GtkAllocation size;
    gtk_widget_get_allocation(content, &size);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size.width, size.height);
    cairo_t* cr = cairo_create(surface);
    gtk_widget_draw(content, cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

namespace {

void CheckPeer(WindowHandle window, std::ostringstream& out) {
    gtk::Peer* peer = PeerOf(window);
    if (!peer) {
        out << win::GetWindowText(window) << ": no widget\n";
        return;
    }
    if (peer->kind == gtk::PeerKind::TopLevel) {
        GtkAllocation a;
        gtk_widget_get_allocation(peer->layout, &a);
        win::Rect client = win::GetClientRect(window);
        if (a.width != client.Width() || a.height != client.Height())
            out << win::GetWindowText(window) << ": client layout " << a.width << "x" << a.height << ", client "
                << client.Width() << "x" << client.Height() << "\n";
        // The model's screen coordinates are the display's: the layout below the
        // menu row stands where the client area's origin maps to.
        GdkWindow* surface = gtk_widget_get_window(peer->layout);
        if (surface != nullptr && gdk_window_is_viewable(surface)) {
            gint x = 0, y = 0;
            gdk_window_get_origin(surface, &x, &y);
            const win::Point origin = win::ClientToScreen(window, win::Point{0, 0});
            if (x != origin.x || y != origin.y)
                out << win::GetWindowText(window) << ": client layout on the screen at (" << x << "," << y
                    << "), client origin (" << origin.x << "," << origin.y << ")\n";
        }
    }
    if (peer->kind != gtk::PeerKind::TopLevel && win::IsWindowVisible(window)) {
        GtkAllocation a;
        gtk_widget_get_allocation(peer->outer, &a);
        GtkAllocation parent;
        gtk_widget_get_allocation(gtk_widget_get_parent(peer->outer), &parent);
        win::Rect screen = win::GetWindowRect(window);
        win::Rect outer = win::GetWindowRect(win::GetParent(window));
        win::Rect want{screen.left - outer.left, screen.top - outer.top, screen.right - outer.left, screen.bottom - outer.top};
        // Layout children are allocated in the layout's own coordinates.
        win::Rect got{a.x, a.y, a.x + a.width, a.y + a.height};
        bool isControl = peer->kind == gtk::PeerKind::Control;  // GTK may make a control larger
        if (isControl ? (got.left != want.left || got.top != want.top) : got != want)
            out << win::GetClassName(window) << " \"" << win::GetWindowText(window) << "\": widget at (" << got.left << ","
                << got.top << ")-(" << got.right << "," << got.bottom << "), window at (" << want.left << "," << want.top
                << ")-(" << want.right << "," << want.bottom << ")\n";
    }
    if (peer->area && win::IsWindowVisible(window) && !win::GetClientRect(window).IsEmpty()) {
        GtkAllocation a;
        gtk_widget_get_allocation(peer->area, &a);
        win::Rect client = win::GetClientRect(window);
        if (a.width != client.Width() || a.height != client.Height())
            out << win::GetWindowText(window) << ": drawing area " << a.width << "x" << a.height << ", client "
                << client.Width() << "x" << client.Height() << "\n";
    }
    for (WindowHandle child : win::ChildWindows(window)) CheckPeer(child, out);
}

std::string MismatchesNow(WindowHandle top) {
    std::ostringstream out;
    CheckPeer(top, out);
    return out.str();
}

}  // namespace

// GTK allocates sizes on its frame clock and hears the X server's configure events
// when they come: on a loaded machine a widget can still stand unallocated after the
// settling rounds. Mismatches count only when they outlast three seconds more of
// settling.
std::string GeometryMismatches(WindowHandle top) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    std::string mismatches = MismatchesNow(top);
    while (!mismatches.empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        SettleDisplay();
        mismatches = MismatchesNow(top);
    }
    return mismatches;
}

}  // namespace ql::testing
