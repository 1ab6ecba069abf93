// The GTK window backend: the clock, waiting on the GLib main context, the
// key state, metrics, and keeping the peers in step with the window model.
// The display is brought up to the model whenever the loop is about to wait:
// windows whose images changed (or that have contexts open on them, which the
// program may draw on at any time) are redrawn from their images, and controls
// are refreshed from their state.
#include "platform/gtk/gtk_window_backend.h"

#include <algorithm>
#include <string_view>

#include "platform/win/frame_metrics.h"
#include "platform/win/mdi.h"
#include "platform/win/window.h"
#include "platform/win/window_model.h"

namespace ql::gtk {
namespace {

constexpr int64_t kMicrosecondsPerMillisecond = 1000;

gboolean MarkTimedOut(gpointer data) {
    *static_cast<bool*>(data) = true;
    return G_SOURCE_REMOVE;
}

// The work area of the monitor that holds the window's top left corner (the
// whole monitor when the display names none).
GdkRectangle WorkAreaAt(win::Point point) {
    GdkRectangle area{0, 0, 0, 0};
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display ? gdk_display_get_monitor_at_point(display, point.x, point.y) : nullptr;
    if (monitor) gdk_monitor_get_workarea(monitor, &area);
    return area;
}

// What a window manager's frame adds around a top-level window: its borders and
// title bar; nothing before the window is on the screen or without a manager.
struct Decorations {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

Decorations DecorationsOf(const Peer& peer) {
    GdkWindow* surface = gtk_widget_get_window(peer.outer);
    if (surface == nullptr || !gtk_widget_get_mapped(peer.outer)) return {};
    GdkRectangle frame{0, 0, 0, 0};
    gdk_window_get_frame_extents(surface, &frame);
    gint x = 0, y = 0;
    gdk_window_get_origin(surface, &x, &y);
    const int32_t width = gdk_window_get_width(surface);
    const int32_t height = gdk_window_get_height(surface);
    // A manager's frame border may lie outside the extents reported: none counted.
    return Decorations{std::max(x - frame.x, 0), std::max(y - frame.y, 0),
                       std::max(frame.x + frame.width - x - width, 0), std::max(frame.y + frame.height - y - height, 0)};
}

// A top-level rectangle (its client area, the menu row and the window manager's
// title standing above it, its borders around) made no larger than the work area
// with all of those counted, and moved into it when made smaller or when its top
// would stand above the work area; nothing when it fits.
std::optional<win::Rect> FitToWorkArea(win::Rect rect, int menuHeight, const Decorations& d) {
    const int32_t above = menuHeight + d.top;
    GdkRectangle area = WorkAreaAt(win::Point{rect.left, rect.top - above});
    const int32_t roomX = area.width - d.left - d.right;
    const int32_t roomY = area.height - above - d.bottom;
    if (roomX <= 0 || roomY <= 0) return std::nullopt;
    const int32_t width = std::min(rect.Width(), roomX);
    const int32_t height = std::min(rect.Height(), roomY);
    const bool resized = width != rect.Width() || height != rect.Height();
    const bool topAbove = above > 0 && rect.top - above < area.y;
    if (!resized && !topAbove) return std::nullopt;
    const int32_t left = resized ? std::clamp(rect.left, area.x + d.left, area.x + d.left + roomX - width) : rect.left;
    const int32_t top = std::clamp(rect.top, area.y + above, area.y + above + roomY - height);
    return win::Rect{left, top, left + width, top + height};
}

// How far a top-level window's client layout stands from the corner gtk_window_move
// places (the corner of the window manager's frame): the frame's border and title
// (before a decorated window is on the screen, those the manager gave the last
// window it framed: the manager puts the frame, not the window, where asked), and
// the menu row above the layout.
win::Point ClientOffsetInFrame(const Peer& peer, int menuHeight, const win::Rect& lastFrame) {
    Decorations d = DecorationsOf(peer);
    if (!gtk_widget_get_mapped(peer.outer) && gtk_window_get_decorated(GTK_WINDOW(peer.outer)))
        d = Decorations{lastFrame.left, lastFrame.top, lastFrame.right, lastFrame.bottom};
    return win::Point{d.left, menuHeight + d.top};
}

// A window manager answers a request for a place or size that changes nothing with
// no notice at all, and GTK, waiting for that notice, lays out and draws nothing in
// the window any more (score windows stay where they were, new ones unseen). So a
// shown window is asked only for a change: moved by as much as its client layout
// is to move, from the place last asked, whatever the manager's frame adds.
// `client` is where the window's own top-left (its menu row) goes on the screen;
// `unshown` the place to ask for before the window is on the screen.
void MoveTopLevel(Peer& peer, win::Point client, win::Point unshown) {
    GtkWindow* window = GTK_WINDOW(peer.outer);
    GdkWindow* surface = gtk_widget_get_window(peer.outer);
    if (surface == nullptr || !gtk_widget_get_mapped(peer.outer)) {
        gtk_window_move(window, unshown.x, unshown.y);
        peer.requested.reset();
        return;
    }
    gint x = 0, y = 0;
    gdk_window_get_origin(surface, &x, &y);
    if (x == client.x && y == client.y) {
        // Where it is to be: the place last asked may be another's (the user's).
        peer.requested.reset();
        return;
    }
    win::Point outer;
    if (peer.requested) {
        if (peer.requested->client.x == client.x && peer.requested->client.y == client.y) return;  // on its way
        outer = win::Point{peer.requested->outer.x + client.x - peer.requested->client.x,
                           peer.requested->outer.y + client.y - peer.requested->client.y};
    } else {
        gtk_window_get_position(window, &outer.x, &outer.y);
        outer = win::Point{outer.x + client.x - x, outer.y + client.y - y};
    }
    gtk_window_move(window, outer.x, outer.y);
    peer.requested = Peer::Request{outer, client};
}

void ResizeTopLevel(Peer& peer, int width, int height) {
    GdkWindow* surface = gtk_widget_get_window(peer.outer);
    if (surface != nullptr && gtk_widget_get_mapped(peer.outer) && gdk_window_get_width(surface) == width &&
        gdk_window_get_height(surface) == height)
        return;
    gtk_window_resize(GTK_WINDOW(peer.outer), width, height);
}

bool HasOpenContexts(WindowHandle window) {
    const win::detail::WindowRecord* r = win::detail::FindWindow(window);
    return r && !r->contexts.empty();
}

win::Rect RectInParentWindow(WindowHandle window) {
    win::Rect screen = win::GetWindowRect(window);
    WindowHandle parent = win::GetParent(window);
    if (!parent) return screen;
    win::Rect outer = win::GetWindowRect(parent);
    return win::Rect{screen.left - outer.left, screen.top - outer.top, screen.right - outer.left,
                     screen.bottom - outer.top};
}

// Where the client area starts inside the window.
win::Point ClientInset(WindowHandle window) {
    win::Rect outer = win::GetWindowRect(window);
    win::Point origin = win::ClientToScreen(window, win::Point{0, 0});
    return win::Point{origin.x - outer.left, origin.y - outer.top};
}

}  // namespace

GtkWindowBackend::GtkWindowBackend() : started_(g_get_monotonic_time()) {}

GtkWindowBackend::~GtkWindowBackend() {
    for (auto& [bits, peer] : peers_)
        if (peer->kind == PeerKind::TopLevel && peer->outer) gtk_widget_destroy(peer->outer);
}

uint64_t GtkWindowBackend::Now() {
    return static_cast<uint64_t>((g_get_monotonic_time() - started_) / kMicrosecondsPerMillisecond);
}

void GtkWindowBackend::WaitForWork(std::optional<uint64_t> deadline) {
    SyncDisplay();
    if (wakePending_.exchange(false)) return;
    bool timedOut = false;
    guint source = 0;
    if (deadline) {
        uint64_t now = Now();
        if (*deadline <= now) {
            RunPendingEvents();
            return;
        }
        source = g_timeout_add(static_cast<guint>(*deadline - now), MarkTimedOut, &timedOut);
    }
    while (!wakePending_.load() && !timedOut) g_main_context_iteration(nullptr, TRUE);
    wakePending_.store(false);
    if (source != 0 && !timedOut) g_source_remove(source);
}

void GtkWindowBackend::Wake() {
    wakePending_.store(true);
    g_main_context_wakeup(nullptr);
}

bool GtkWindowBackend::IsKeyDown(win::Key key) {
    auto index = static_cast<size_t>(key);
    return index < keys_.size() && keys_[index];
}

void GtkWindowBackend::SetKeyState(win::Key key, bool down) {
    auto index = static_cast<size_t>(key);
    if (index < keys_.size()) keys_[index] = down;
}

namespace {

// Whether one of the program's top-level windows has the input focus.
bool ProgramHasFocus() {
    GList* toplevels = gtk_window_list_toplevels();
    bool active = false;
    for (GList* item = toplevels; item != nullptr && !active; item = item->next)
        active = gtk_window_is_active(GTK_WINDOW(item->data));
    g_list_free(toplevels);
    return active;
}

// X11 lets a focused client move the pointer; Wayland never does.
bool DisplayAllowsWarp(GdkDisplay* display) {
    return display != nullptr &&
           std::string_view(G_OBJECT_TYPE_NAME(display)) == "GdkX11Display";
}

}  // namespace

bool GtkWindowBackend::WarpPointer(win::Point screen) {
    cursor_ = screen;
    GdkDisplay* display = gdk_display_get_default();
    if (!DisplayAllowsWarp(display) || !ProgramHasFocus()) return false;
    GdkSeat* seat = gdk_display_get_default_seat(display);
    GdkDevice* pointer = seat != nullptr ? gdk_seat_get_pointer(seat) : nullptr;
    if (pointer == nullptr) return false;
    gdk_device_warp(pointer, gdk_display_get_default_screen(display), screen.x, screen.y);
    return true;
}

int32_t GtkWindowBackend::Metric(win::SystemMetric metric) {
    using win::SystemMetric;
    switch (metric) {
        case SystemMetric::BorderWidth:
        case SystemMetric::BorderHeight:
            return win::detail::kBorderWidth;
        case SystemMetric::FrameWidth:
        case SystemMetric::FrameHeight:
            return win::detail::kFrameWidth;
        case SystemMetric::VerticalScrollWidth:
        case SystemMetric::HorizontalScrollHeight:
            return win::detail::kScrollBarWidth;
        case SystemMetric::CaptionHeight:
            return win::detail::kCaptionHeight;
        case SystemMetric::MenuHeight:
            return win::detail::kMenuBarHeight;
        case SystemMetric::ManagerFrameLeft:
            return managerFrame_.left;
        case SystemMetric::ManagerFrameTop:
            return managerFrame_.top;
        case SystemMetric::ManagerFrameRight:
            return managerFrame_.right;
        case SystemMetric::ManagerFrameBottom:
            return managerFrame_.bottom;
        case SystemMetric::ScreenWidth:
        case SystemMetric::ScreenHeight:
            break;
    }
    GdkRectangle area{0, 0, 0, 0};
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (!monitor && display) monitor = gdk_display_get_monitor(display, 0);
    if (monitor) gdk_monitor_get_geometry(monitor, &area);
    return metric == SystemMetric::ScreenWidth ? area.width : area.height;
}

// The width a manager's title bar needs to show the window's title whole: the
// title's text in bold (as most managers draw titles) and, beside it, room for the
// buttons a bar as tall as the manager's may hold (an icon at the left and three
// buttons at the right, each about as wide as the bar is tall) with the gaps and
// the padding around them, about a button's width more on each side.
int32_t GtkWindowBackend::TitleBarWidth(WindowHandle window) {
    Peer* peer = FindPeer(window);
    const int32_t bar = managerFrame_.top;
    if (peer == nullptr || peer->kind != PeerKind::TopLevel || bar <= 0 ||
        !gtk_window_get_decorated(GTK_WINDOW(peer->outer)))
        return 0;
    PangoLayout* layout = gtk_widget_create_pango_layout(peer->outer, win::GetWindowText(window).c_str());
    PangoAttrList* bold = pango_attr_list_new();
    pango_attr_list_insert(bold, pango_attr_weight_new(PANGO_WEIGHT_BOLD));
    pango_layout_set_attributes(layout, bold);
    pango_attr_list_unref(bold);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    constexpr int32_t kBarButtons = 4;
    return width + (kBarButtons + 1) * bar;
}

Peer* GtkWindowBackend::FindPeer(WindowHandle window) {
    auto found = peers_.find(window.bits);
    return found == peers_.end() ? nullptr : found->second.get();
}

GtkWindow* GtkWindowBackend::TopLevelOf(WindowHandle window) {
    Peer* peer = FindPeer(win::GetTopLevel(window));
    return peer && peer->kind == PeerKind::TopLevel ? GTK_WINDOW(peer->outer) : nullptr;
}

void GtkWindowBackend::WindowChanged(WindowHandle window, win::WindowChange change) {
    using win::WindowChange;
    if (change == WindowChange::Created) {
        CreatePeer(window);
        return;
    }
    if (change == WindowChange::Destroyed) {
        DestroyPeer(window);
        return;
    }
    Peer* peer = FindPeer(window);
    if (!peer) return;
    switch (change) {
        case WindowChange::Shown:
            if (peer->kind == PeerKind::TopLevel) PlacePeer(*peer);
            if (!FindPeer(window)) return;
            ShowPeer(*peer, true);
            break;
        case WindowChange::Hidden:
            ShowPeer(*peer, change == WindowChange::Shown);
            break;
        case WindowChange::Moved:
        case WindowChange::FrameChanged:
            PlacePeer(*peer);
            RefreshTitle(win::GetTopLevel(window));
            break;
        case WindowChange::TextChanged:
            RefreshTitle(win::GetTopLevel(window));
            if (peer->layout) gtk_widget_queue_draw(peer->layout);
            break;
        case WindowChange::EnabledChanged:
            gtk_widget_set_sensitive(peer->kind == PeerKind::TopLevel ? gtk_bin_get_child(GTK_BIN(peer->outer)) : peer->outer,
                                     win::IsWindowEnabled(window));
            break;
        case WindowChange::Invalidated:
        case WindowChange::Painted:
            if (peer->area) gtk_widget_queue_draw(peer->area);
            break;
        case WindowChange::Raised:
            RaisePeer(*peer);
            break;
        case WindowChange::MenuChanged:
            if (peer->kind == PeerKind::TopLevel) {
                RebuildMenuBar(*peer);
                PlacePeer(*peer);
            }
            break;
        case WindowChange::ScrollChanged:
            SyncScrollBars(*peer);
            break;
        default:
            break;
    }
}

void GtkWindowBackend::CreatePeer(WindowHandle window) {
    auto peer = std::make_unique<Peer>();
    peer->window = window;
    WindowHandle parent = win::GetParent(window);
    Peer* ownerPeer = FindPeer(win::GetTopLevel(win::GetOwner(window)));
    if (ownerPeer && ownerPeer->kind != PeerKind::TopLevel) ownerPeer = nullptr;
    if (!parent && ownerPeer && (win::GetExtendedStyle(window) & win::kExStyleMenuBarCompanion)) {
        // Shown in its owner's menu row, at the right end of the menu bar.
        peer->kind = PeerKind::Drawn;
        BuildMenuBarCompanion(*peer, *ownerPeer);
        ConnectDrawnEvents(*peer);
    } else if (!parent) {
        peer->kind = PeerKind::TopLevel;
        BuildTopLevel(*peer);
        ConnectTopLevelEvents(*peer);
        ConnectDrawnEvents(*peer);
        if (ownerPeer) gtk_window_set_transient_for(GTK_WINDOW(peer->outer), GTK_WINDOW(ownerPeer->outer));
    } else {
        Peer* parentPeer = FindPeer(parent);
        if (!parentPeer || !parentPeer->layout) return;  // inside a control: not shown on its own
        if (GtkWidget* control = controls_.make ? controls_.make(window) : nullptr) {
            peer->kind = PeerKind::Control;
            peer->outer = control;
            gtk_layout_put(GTK_LAYOUT(parentPeer->layout), control, 0, 0);
            ConnectControlEvents(*peer);
        } else {
            peer->kind = PeerKind::Drawn;
            BuildDrawn(*peer, parentPeer->layout);
            ConnectDrawnEvents(*peer);
            ConnectMdiFrame(*peer);
        }
    }
    Peer& made = *peer;
    peers_[window.bits] = std::move(peer);
    if (made.kind == PeerKind::TopLevel) RebuildMenuBar(made);  // its height counts in the placing
    PlacePeer(made, false);  // fitted when shown: the window is still being made
    ShowPeer(made, (win::GetStyle(window) & win::kStyleVisible) != 0);
}

void GtkWindowBackend::DestroyPeer(WindowHandle window) {
    if (window == underPointer_) underPointer_ = WindowHandle{};
    auto found = peers_.find(window.bits);
    if (found == peers_.end()) return;
    std::unique_ptr<Peer> peer = std::move(found->second);
    peers_.erase(found);
    if (peer->outer) gtk_widget_destroy(peer->outer);
    if (peer->inOwnerMenuRow) g_object_unref(peer->outer);
}

void GtkWindowBackend::CursorChanged(win::CursorHandle) { ShowCursorOver(underPointer_); }

void GtkWindowBackend::PointerOver(WindowHandle window) {
    if (window == underPointer_) return;
    underPointer_ = window;
    ShowCursorOver(window);
}

void GtkWindowBackend::ShowCursorOver(WindowHandle window) {
    Peer* peer = window ? FindPeer(window) : nullptr;
    GdkWindow* surface = peer != nullptr && peer->area != nullptr ? gtk_widget_get_window(peer->area) : nullptr;
    if (surface == nullptr) return;
    GdkCursor* cursor = cursors_.Find(gdk_window_get_display(surface), win::GetCursor());
    if (gdk_window_get_cursor(surface) != cursor) gdk_window_set_cursor(surface, cursor);
}

void GtkWindowBackend::PlacePeer(Peer& peer, bool fit) {
    WindowHandle window = peer.window;
    win::Rect rect = RectInParentWindow(window);
    win::Rect client = win::GetClientRect(window);
    win::Point inset = ClientInset(window);
    if (peer.kind == PeerKind::TopLevel) {
        int menuHeight = 0;
        if (gtk_widget_get_visible(peer.menuRow)) gtk_widget_get_preferred_height(peer.menuRow, &menuHeight, nullptr);
        // A window larger than the work area, or whose menu row would stand above
        // it, is fitted into it first (the window layer hears of its new rectangle,
        // and this runs again).
        if (std::optional<win::Rect> fitted = fit ? FitToWorkArea(rect, menuHeight, DecorationsOf(peer)) : std::nullopt) {
            win::MoveWindow(window, *fitted, true);
            return;
        }
        peer.syncing = true;
        // The window's rectangle is its client area on the screen: the frame goes
        // where that puts the layout below the menu row.
        const win::Point offset = ClientOffsetInFrame(peer, menuHeight, managerFrame_);
        MoveTopLevel(peer, win::Point{rect.left, rect.top - menuHeight},
                     win::Point{rect.left - offset.x, rect.top - offset.y});
        ResizeTopLevel(peer, std::max(1, rect.Width()), std::max(1, rect.Height() + menuHeight));
        // A window the user cannot resize takes its size from its content.
        if (!gtk_window_get_resizable(GTK_WINDOW(peer.outer)))
            gtk_widget_set_size_request(peer.layout, std::max(1, rect.Width()), std::max(1, rect.Height()));
        GtkAllocation now;
        gtk_widget_get_allocation(peer.layout, &now);
        peer.awaitingSize = now.width != rect.Width() || now.height != rect.Height();
    } else {
        peer.syncing = true;
        GtkWidget* parentLayout = gtk_widget_get_parent(peer.outer);
        gtk_widget_set_size_request(peer.outer, std::max(0, rect.Width()), std::max(0, rect.Height()));
        if (GTK_IS_LAYOUT(parentLayout)) gtk_layout_move(GTK_LAYOUT(parentLayout), peer.outer, rect.left, rect.top);
    }
    if (peer.layout) gtk_layout_set_size(GTK_LAYOUT(peer.layout), std::max(1, rect.Width()), std::max(1, rect.Height()));
    if (peer.area) {
        gtk_widget_set_size_request(peer.area, client.Width(), client.Height());
        gtk_layout_move(GTK_LAYOUT(peer.layout), peer.area, inset.x, inset.y);
        gtk_widget_set_visible(peer.area, !client.IsEmpty());
        gtk_widget_queue_draw(peer.area);
    }
    if (peer.layout && peer.kind != PeerKind::TopLevel) gtk_widget_queue_draw(peer.layout);
    PlaceMdiScrollBars(peer);
    peer.placed = rect;
    peer.syncing = false;
}

void GtkWindowBackend::FitMappedTopLevel(WindowHandle window) {
    Peer* peer = FindPeer(window);
    if (peer == nullptr || peer->kind != PeerKind::TopLevel || peer->syncing) return;
    const Decorations d = DecorationsOf(*peer);
    if (d.left != 0 || d.top != 0 || d.right != 0 || d.bottom != 0) managerFrame_ = win::Rect{d.left, d.top, d.right, d.bottom};
    PlacePeer(*peer);
    peer->fittedSinceMapped = true;
}

void GtkWindowBackend::TopLevelConfigured(WindowHandle window, bool byManager) {
    Peer* peer = FindPeer(window);
    if (peer == nullptr || peer->kind != PeerKind::TopLevel || peer->syncing || !peer->fittedSinceMapped) return;
    GdkWindow* surface = gtk_widget_get_window(peer->outer);
    if (surface == nullptr || !gtk_widget_get_mapped(peer->outer)) return;
    if (peer->requested) {  // the desktop's answer to the place asked, where it put the window
        peer->requested.reset();
        return;
    }
    if (!byManager) return;
    int menuHeight = 0;
    if (gtk_widget_get_visible(peer->menuRow)) gtk_widget_get_preferred_height(peer->menuRow, &menuHeight, nullptr);
    gint x = 0, y = 0;
    gdk_window_get_origin(surface, &x, &y);
    const win::Rect rect = win::GetWindowRect(window);
    const win::Point client{x, y + menuHeight};
    if (client.x == rect.left && client.y == rect.top) return;
    win::MoveWindow(window, win::Rect{client.x, client.y, client.x + rect.Width(), client.y + rect.Height()}, false);
}

void GtkWindowBackend::ShowPeer(Peer& peer, bool show) {
    if (!show) {
        gtk_widget_hide(peer.outer);
        peer.fittedSinceMapped = false;
        return;
    }
    if (WaitsForOwner(peer)) return;  // shown with its owner (RaiseOwnedToolWindows)
    gtk_widget_show(peer.outer);
    if (peer.kind != PeerKind::TopLevel) return;
    if (win::GetExtendedStyle(peer.window) & win::kExStyleToolWindow) {
        if (GdkWindow* surface = gtk_widget_get_window(peer.outer)) gdk_window_raise(surface);
    }
    RaiseOwnedToolWindows(peer.window);
}

// A window manager takes a window in as it is mapped: a tool window mapped before
// the window it belongs to is taken as a window of its own, which its owner then
// covers each time it is raised. Such a tool window waits until its owner shows.
bool GtkWindowBackend::WaitsForOwner(const Peer& peer) {
    if (peer.kind != PeerKind::TopLevel || (win::GetExtendedStyle(peer.window) & win::kExStyleToolWindow) == 0)
        return false;
    const Peer* owner = FindPeer(win::GetTopLevel(win::GetOwner(peer.window)));
    return owner != nullptr && owner != &peer && owner->kind == PeerKind::TopLevel &&
           !gtk_widget_get_visible(owner->outer);
}

// A window manager keeps utility windows above the window they are transient for;
// without one, windows stack in the order they were mapped or raised, and an owner
// shown or raised after its palettes would cover them. They are raised after it,
// and the ones that waited for it are shown.
void GtkWindowBackend::RaiseOwnedToolWindows(WindowHandle owner) {
    const Peer* ownerPeer = FindPeer(owner);
    const bool ownerShown = ownerPeer != nullptr && gtk_widget_get_visible(ownerPeer->outer);
    for (auto& [bits, other] : peers_) {
        if (!other || other->kind != PeerKind::TopLevel || other->window == owner) continue;
        if ((win::GetExtendedStyle(other->window) & win::kExStyleToolWindow) == 0) continue;
        if (win::GetTopLevel(win::GetOwner(other->window)) != owner) continue;
        if (!gtk_widget_get_visible(other->outer)) {
            if (!ownerShown || !win::IsWindowVisible(other->window)) continue;
            gtk_widget_show(other->outer);
        }
        if (GdkWindow* surface = gtk_widget_get_window(other->outer)) gdk_window_raise(surface);
    }
}

// The widget goes to the top of its siblings: its own GDK window is raised,
// which orders both the drawing of the layout's children and where the
// pointer's events go.
void GtkWindowBackend::RaisePeer(Peer& peer) {
    if (peer.kind == PeerKind::TopLevel) {
        gtk_window_present(GTK_WINDOW(peer.outer));
        RaiseOwnedToolWindows(peer.window);
        return;
    }
    if (GdkWindow* surface = gtk_widget_get_window(peer.outer); surface && gtk_widget_get_has_window(peer.outer))
        gdk_window_raise(surface);
}

void GtkWindowBackend::RefreshTitle(WindowHandle topLevel) {
    Peer* peer = FindPeer(topLevel);
    if (!peer || peer->kind != PeerKind::TopLevel) return;
    gtk_window_set_title(GTK_WINDOW(peer->outer), win::MdiFrameTitle(topLevel).c_str());
    int before = 0, after = 0;
    gtk_widget_get_preferred_height(peer->menuRow, &before, nullptr);
    RefreshChildButtons(*peer);
    gtk_widget_get_preferred_height(peer->menuRow, &after, nullptr);
    // The menu row may have grown with the child's buttons: the client keeps its size.
    if (before != after) PlacePeer(*peer);
}

void GtkWindowBackend::RunPendingEvents() {
    SyncDisplay();
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

void GtkWindowBackend::SyncDisplay() {
    for (auto& [bits, peer] : peers_) {
        if (peer->kind == PeerKind::Control) {
            if (controls_.sync) controls_.sync(*peer);
        } else if (peer->area && HasOpenContexts(peer->window)) {
            gtk_widget_queue_draw(peer->area);
        }
    }
}

GtkWindowBackend* CurrentGtkBackend() { return dynamic_cast<GtkWindowBackend*>(&win::CurrentBackend()); }

}  // namespace ql::gtk
