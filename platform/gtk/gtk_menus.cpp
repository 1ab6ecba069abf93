// Menus on GTK: the menu bar of a top-level window built from its model menu,
// each popup filled from the model when it is about to open (after InitMenu and
// InitMenuPopup, so the program's last changes and the window list show), and
// items that post Command to the owner. "&" in texts marks the mnemonic; the
// text after a tab is the accelerator shown at the right. The buttons of a
// maximised document child sit at the right end of the menu row.
#include "platform/gtk/gtk_menus.h"

#include <algorithm>
#include <string>

#include "platform/ui/menu.h"
#include "platform/ui/menu_accelerators.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::gtk {
namespace {

constexpr char kPopupKey[] = "ql-popup";
constexpr char kOwnerKey[] = "ql-owner";
constexpr char kCommandKey[] = "ql-command";
constexpr char kBarPeerKey[] = "ql-bar-peer";  // on the items of a menu bar: its window's peer

struct ChildButton {
    const char* label;
    win::MdiHit hit;
};
constexpr ChildButton kChildButtons[] = {
    {"_", win::MdiHit::MinimizeButton},
    {"\u2752", win::MdiHit::MaximizeButton},  // restore
    {"\u00D7", win::MdiHit::CloseButton},
};

WindowHandle OwnerOf(GObject* object) { return WindowHandle{GPOINTER_TO_UINT(g_object_get_data(object, kOwnerKey))}; }
platform::MenuHandle PopupOf(GObject* object) {
    return platform::MenuHandle{GPOINTER_TO_UINT(g_object_get_data(object, kPopupKey))};
}

GdkModifierType GdkModifiersOf(uint8_t modifiers) {
    guint mask = 0;
    if (modifiers & ui::kAcceleratorShift) mask |= GDK_SHIFT_MASK;
    if (modifiers & ui::kAcceleratorControl) mask |= GDK_CONTROL_MASK;
    if (modifiers & ui::kAcceleratorAlt) mask |= GDK_MOD1_MASK;
    return static_cast<GdkModifierType>(mask);
}

// The item's accel label shows the mnemonic text at the left and the key named
// after the tab at the right, in the theme's accelerator style. The key is only
// shown: the program's loop translates it (ui::AcceleratorsOfMenu).
GtkWidget* LabelledItem(const std::string& text, bool checked) {
    const size_t tab = text.find('\t');
    const std::string label = GtkMnemonic(std::string_view(text).substr(0, tab));
    GtkWidget* item = checked ? gtk_check_menu_item_new_with_mnemonic(label.c_str())
                              : gtk_menu_item_new_with_mnemonic(label.c_str());
    if (checked) gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), TRUE);
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(item));
    if (auto key = ui::ParseAcceleratorText(ui::AcceleratorTextOf(text)); key && GTK_IS_ACCEL_LABEL(child))
        gtk_accel_label_set_accel(GTK_ACCEL_LABEL(child), KeyvalOfKey(key->key), GdkModifiersOf(key->modifiers));
    return item;
}

void OnItemActivated(GtkMenuItem* item, gpointer) {
    WindowHandle owner = OwnerOf(G_OBJECT(item));
    auto command = static_cast<uint32_t>(GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(item), kCommandKey)));
    if (ChosenCommandSink* sink = CurrentChoiceSink()) {
        sink->chosen = static_cast<int32_t>(command);
        return;
    }
    win::PostMessage(owner, win::Message::Command, win::MakeCommandWord(command, 0), 0);
}

// The popup's items as they stand once the program has heard it opens.
void FillSubmenuOf(GtkMenuItem* item) {
    GtkWidget* submenu = gtk_menu_item_get_submenu(item);
    WindowHandle owner = OwnerOf(G_OBJECT(item));
    platform::MenuHandle popup = PopupOf(G_OBJECT(item));
    if (!submenu || !ui::IsMenu(popup)) return;
    if (auto* peer = static_cast<Peer*>(g_object_get_data(G_OBJECT(item), kBarPeerKey)); peer && !peer->menuActive) {
        peer->menuActive = true;
        ui::NotifyMenuBarEntered(peer->window);
    }
    ui::NotifyPopupOpening(owner, popup);
    FillMenu(GTK_MENU(submenu), popup, owner);
    // Selected again while it shows: sized again from its items.
    if (gtk_widget_get_visible(submenu)) gtk_menu_reposition(GTK_MENU(submenu));
}

// Runs in place of GTK's own handling of an item's selection, and before it: an
// item of the menu bar pops its submenu up at once, sized from the items it has,
// so they are made current first (a popup filled after it opened keeps its old
// size: it shows a scroll arrow over its first row and cuts off its last rows,
// and a click lands a row away from what it shows).
void SelectItem(GtkMenuItem* item) {
    FillSubmenuOf(item);
    g_signal_chain_from_overridden_handler(item);
}

void FillSubmenusBeforeTheyOpen() {
    static const bool installed = [] {
        g_type_class_unref(g_type_class_ref(GTK_TYPE_MENU_ITEM));
        g_signal_override_class_handler("select", GTK_TYPE_MENU_ITEM, G_CALLBACK(SelectItem));
        return true;
    }();
    (void)installed;
}

// The submenu starts with the popup's items as they are, so that it opens at its size.
GtkWidget* SubmenuItem(const std::string& text, platform::MenuHandle popup, WindowHandle owner) {
    GtkWidget* item = gtk_menu_item_new_with_mnemonic(GtkMnemonic(text).c_str());
    GtkWidget* submenu = gtk_menu_new();
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), submenu);
    if (ui::IsMenu(popup)) FillMenu(GTK_MENU(submenu), popup, owner);
    g_object_set_data(G_OBJECT(item), kPopupKey, GUINT_TO_POINTER(popup.bits));
    g_object_set_data(G_OBJECT(item), kOwnerKey, GUINT_TO_POINTER(owner.bits));
    FillSubmenusBeforeTheyOpen();
    return item;
}

GtkWidget* CommandItem(platform::MenuHandle menu, int32_t position, WindowHandle owner) {
    int32_t command = ui::GetMenuItemCommand(menu, position);
    uint32_t flags = ui::GetMenuItemFlags(menu, command);
    GtkWidget* item = LabelledItem(ui::GetMenuItemText(menu, position), (flags & ui::kMenuChecked) != 0);
    gtk_widget_set_sensitive(item, (flags & (ui::kMenuGrayed | ui::kMenuDisabled)) == 0);
    g_object_set_data(G_OBJECT(item), kOwnerKey, GUINT_TO_POINTER(owner.bits));
    g_object_set_data(G_OBJECT(item), kCommandKey, GUINT_TO_POINTER(static_cast<uint32_t>(command)));
    g_signal_connect(item, "activate", G_CALLBACK(OnItemActivated), nullptr);
    return item;
}

void Clear(GtkContainer* container) {
    GList* children = gtk_container_get_children(container);
    for (GList* it = children; it; it = it->next) gtk_widget_destroy(GTK_WIDGET(it->data));
    g_list_free(children);
}

void OnBarDeactivated(GtkMenuShell*, gpointer data) { static_cast<Peer*>(data)->menuActive = false; }

void OnChildButton(GtkButton* button, gpointer data) {
    WindowHandle frame = OwnerOf(G_OBJECT(button));
    win::PressMaximizedChildButton(win::FindMdiClient(frame), static_cast<win::MdiHit>(GPOINTER_TO_UINT(data)));
}

ChosenCommandSink*& ChoiceSinkSlot() {
    static ChosenCommandSink* sink = nullptr;
    return sink;
}

}  // namespace

std::string GtkMnemonic(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '&' && i + 1 < text.size() && text[i + 1] == '&') {
            out += '&';
            ++i;
        } else if (c == '&') {
            out += '_';
        } else if (c == '_') {
            out += "__";
        } else {
            out += c;
        }
    }
    return out;
}

ChosenCommandSink* CurrentChoiceSink() { return ChoiceSinkSlot(); }

ScopedChoiceSink::ScopedChoiceSink(ChosenCommandSink& sink) : previous_(ChoiceSinkSlot()) { ChoiceSinkSlot() = &sink; }
ScopedChoiceSink::~ScopedChoiceSink() { ChoiceSinkSlot() = previous_; }

void FillMenu(GtkMenu* menu, platform::MenuHandle popup, WindowHandle owner) {
    Clear(GTK_CONTAINER(menu));
    for (int32_t i = 0; i < ui::GetMenuItemCount(popup); ++i) {
        GtkWidget* item;
        if (platform::MenuHandle sub = ui::GetSubmenu(popup, i)) {
            item = SubmenuItem(ui::GetMenuItemText(popup, i), sub, owner);
        } else if (ui::GetMenuItemCommand(popup, i) < 0) {
            item = gtk_separator_menu_item_new();
        } else {
            item = CommandItem(popup, i, owner);
        }
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
        gtk_widget_show(item);
    }
}

GtkWidget* FindCommandItem(GtkMenuShell* shell, int32_t command) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(shell));
    GtkWidget* found = nullptr;
    for (GList* it = children; it && !found; it = it->next) {
        auto* item = static_cast<GtkWidget*>(it->data);
        if (g_object_get_data(G_OBJECT(item), kCommandKey) &&
            GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(item), kCommandKey)) == static_cast<uint32_t>(command))
            found = item;
    }
    g_list_free(children);
    return found;
}

void RebuildMenuBar(Peer& peer) {
    Clear(GTK_CONTAINER(peer.menuBar));
    platform::MenuHandle bar = win::GetWindowMenu(peer.window);
    for (int32_t i = 0; i < ui::GetMenuItemCount(bar); ++i) {
        platform::MenuHandle sub = ui::GetSubmenu(bar, i);
        GtkWidget* item;
        if (sub) {
            item = SubmenuItem(ui::GetMenuItemText(bar, i), sub, peer.window);
            g_object_set_data(G_OBJECT(item), kBarPeerKey, &peer);
        } else {
            item = CommandItem(bar, i, peer.window);
        }
        gtk_menu_shell_append(GTK_MENU_SHELL(peer.menuBar), item);
        gtk_widget_show(item);
    }
    g_signal_handlers_disconnect_by_func(peer.menuBar, reinterpret_cast<gpointer>(OnBarDeactivated), &peer);
    g_signal_connect(peer.menuBar, "deactivate", G_CALLBACK(OnBarDeactivated), &peer);
    gtk_widget_set_visible(peer.menuRow, ui::GetMenuItemCount(bar) > 0);
    RefreshChildButtons(peer);
}

void RefreshChildButtons(Peer& peer) {
    if (!peer.childButtons) return;
    GList* existing = gtk_container_get_children(GTK_CONTAINER(peer.childButtons));
    bool made = existing != nullptr;
    g_list_free(existing);
    if (!made) {
        for (const ChildButton& b : kChildButtons) {
            GtkWidget* button = gtk_button_new_with_label(b.label);
            gtk_button_set_relief(GTK_BUTTON(button), GTK_RELIEF_NONE);
            g_object_set_data(G_OBJECT(button), kOwnerKey, GUINT_TO_POINTER(peer.window.bits));
            g_object_set_data(G_OBJECT(button), kCommandKey, GUINT_TO_POINTER(static_cast<uint32_t>(b.hit)));
            g_signal_connect(button, "clicked", G_CALLBACK(OnChildButton), GUINT_TO_POINTER(static_cast<uint32_t>(b.hit)));
            gtk_box_pack_start(GTK_BOX(peer.childButtons), button, FALSE, FALSE, 0);
            gtk_widget_show(button);
        }
    }
    WindowHandle active = win::GetActiveMdiChild(win::FindMdiClient(peer.window));
    bool maximized = active && win::GetMdiChildState(active) == win::MdiChildState::Maximized;
    // The row is as high without the buttons as with them: a maximised child coming
    // or going leaves the frame and its client area their sizes.
    int buttonsHeight = 0;
    GList* buttons = gtk_container_get_children(GTK_CONTAINER(peer.childButtons));
    for (GList* it = buttons; it != nullptr; it = it->next) {
        int height = 0;
        gtk_widget_get_preferred_height(GTK_WIDGET(it->data), &height, nullptr);
        buttonsHeight = std::max(buttonsHeight, height);
    }
    g_list_free(buttons);
    int requested = 0;
    gtk_widget_get_size_request(peer.menuRow, nullptr, &requested);
    if (requested != buttonsHeight) gtk_widget_set_size_request(peer.menuRow, -1, buttonsHeight);
    gtk_widget_set_visible(peer.childButtons, maximized);
    if (maximized) gtk_widget_set_visible(peer.menuRow, TRUE);
}

GtkWidget* FindChildButton(Peer& peer, win::MdiHit hit) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(peer.childButtons));
    GtkWidget* found = nullptr;
    for (GList* it = children; it && !found; it = it->next)
        if (GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(it->data), kCommandKey)) == static_cast<uint32_t>(hit))
            found = GTK_WIDGET(it->data);
    g_list_free(children);
    return found;
}

platform::MenuHandle PopupOfItem(GtkWidget* item) { return PopupOf(G_OBJECT(item)); }

namespace {
GdkEvent*& LastPress() {
    static GdkEvent* press = nullptr;
    return press;
}
}  // namespace

void RememberPopupTrigger(const GdkEvent* press) {
    if (press == nullptr) return;
    if (LastPress() != nullptr) gdk_event_free(LastPress());
    LastPress() = gdk_event_copy(press);
}

const GdkEvent* PopupTrigger() {
    return LastPress();
}

}  // namespace ql::gtk
