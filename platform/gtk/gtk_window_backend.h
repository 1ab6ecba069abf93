// The GTK 3 window backend: each window of the layer has a peer on the display.
// Top-level windows are GtkWindows holding the menu bar and a layout for the
// client area; other windows are layouts placed in their parent's layout, with
// a drawing area that shows the window's image (expose only blits it: the
// program paints through the message loop, never from a draw signal); controls
// are GTK widgets made by the control module (gtk_controls.h). Document children
// get the frame the layer draws (win/mdi.h) around their drawing area, with
// GTK scroll bars. GTK input becomes the layer's messages, posted as a user's
// input is; the clock is GLib's monotonic clock; waiting runs the GLib main
// context until a message is posted or the deadline passes.
// User-interface thread only, except Wake.
#pragma once

#include <gtk/gtk.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "platform/gtk/gtk_cursors.h"
#include "platform/win/backend.h"

namespace ql::gtk {

using platform::WindowHandle;

enum class PeerKind : uint8_t { TopLevel, Drawn, Control };

// The widgets of one window. `outer` is what the parent holds (the GtkWindow
// for a top-level window); `layout` holds the drawing area and the children,
// in window coordinates (the frame insets included).
struct Peer {
    WindowHandle window;
    PeerKind kind = PeerKind::Drawn;
    GtkWidget* outer = nullptr;
    GtkWidget* layout = nullptr;
    GtkWidget* area = nullptr;
    GtkWidget* menuRow = nullptr;   // top-level: the menu bar and the maximised child's buttons
    GtkWidget* menuBar = nullptr;
    GtkWidget* childButtons = nullptr;
    GtkWidget* verticalScroll = nullptr;  // document children
    GtkWidget* horizontalScroll = nullptr;
    win::Rect placed;  // where the outer widget was last put (parent's layout coordinates)
    bool syncing = false;  // the backend is writing to the widgets: their signals are ignored
    // A top-level window was given a size the display has not granted yet: its
    // allocations are not the user's until one matches.
    bool awaitingSize = false;
    // A shown top-level window: the place last asked of the desktop for its frame,
    // and where that was to put its client layout (screen coordinates).
    struct Request {
        win::Point outer;
        win::Point client;
    };
    std::optional<Request> requested;
    // The window is on the screen and was fitted there since it was mapped: from
    // then on a place the desktop gives it that nobody asked for is the user's.
    bool fittedSinceMapped = false;
    bool menuActive = false;  // the menu bar is being used (InitMenu was sent)
    // Shown in its owner's menu row (kExStyleMenuBarCompanion): the peer holds a
    // reference, since the owner's window may be destroyed first.
    bool inOwnerMenuRow = false;
};

// Makes and refreshes the widgets of controls; installed by the user-interface
// backend so that the window backend needs no knowledge of controls.
struct ControlPeers {
    // The widget for a control class, or null when the class is not a control
    // shown by a GTK widget (the window is then drawn by the layer).
    std::function<GtkWidget*(WindowHandle window)> make;
    // Brings the widget up to the control's state in the model.
    std::function<void(Peer& peer)> sync;
};

class GtkWindowBackend final : public win::Backend {
public:
    GtkWindowBackend();
    ~GtkWindowBackend() override;

    uint64_t Now() override;
    void WaitForWork(std::optional<uint64_t> deadline) override;
    void Wake() override;
    bool IsKeyDown(win::Key key) override;
    win::Point CursorPosition() override { return cursor_; }
    void SetCursorPosition(win::Point screen) override { cursor_ = screen; }
    // Moves the system pointer only on X11 while one of our windows has the focus.
    bool WarpPointer(win::Point screen) override;
    int32_t Metric(win::SystemMetric metric) override;
    // The title in the desktop's interface font, a button as wide as the manager's
    // title bar is high at either end and half of one on either side of the text;
    // 0 before the manager framed a window or for a window without its frame.
    int32_t TitleBarWidth(WindowHandle window) override;
    void WindowChanged(WindowHandle window, win::WindowChange change) override;
    // Shows the current cursor over the window under the pointer.
    void CursorChanged(win::CursorHandle cursor) override;
    // The pointer is over this window's drawing area now (it entered or moved there).
    void PointerOver(WindowHandle window);

    void SetControlPeers(ControlPeers peers) { controls_ = std::move(peers); }
    Peer* FindPeer(WindowHandle window);
    GtkWindow* TopLevelOf(WindowHandle window);
    // Runs pending GTK work without waiting, after bringing the display up to
    // the model (images, controls, titles).
    void RunPendingEvents();
    // Brings every peer up to the model: redraws windows whose images changed and
    // refreshes controls.
    void SyncDisplay();
    void SyncControl(Peer& peer) {
        if (peer.kind == PeerKind::Control && controls_.sync) controls_.sync(peer);
    }

    // A top-level window the desktop just mapped, in its window manager's frame now:
    // fitted into the work area with the frame's title and borders counted.
    void FitMappedTopLevel(WindowHandle window);
    // The desktop told a top-level window where it stands now: the answer to the
    // place last asked, or, in a notice the window manager sent (`byManager`), a move
    // the user made through it (a drag of its title bar), which the window takes (its
    // client origin, as the layer's rectangles are, whatever frame the manager adds).
    // Without a manager only the program places its windows.
    void TopLevelConfigured(WindowHandle window, bool byManager);

    // The palettes and other tool windows a top-level window owns go above it again:
    // a window manager may have raised the window over them as the user went to
    // click in it or gave it the focus.
    void KeepToolWindowsAbove(WindowHandle topLevel) { RaiseOwnedToolWindows(topLevel); }
    // The same when the focus came to the window under a window manager (which may
    // have raised it as it gave it the focus); without one the focus follows the
    // pointer and raises nothing.
    void KeepToolWindowsAboveFocused(WindowHandle topLevel) {
        if (managerFrame_.left != 0 || managerFrame_.top != 0 || managerFrame_.right != 0 || managerFrame_.bottom != 0)
            RaiseOwnedToolWindows(topLevel);
    }

    // Input state kept from GTK's events (gtk_events.cpp).
    void SetKeyState(win::Key key, bool down);
    void SetCursor(win::Point screen) { cursor_ = screen; }

private:
    void CreatePeer(WindowHandle window);
    void DestroyPeer(WindowHandle window);
    // `fit`: a top-level window larger than the work area is first made to fit it.
    void PlacePeer(Peer& peer, bool fit = true);
    void ShowPeer(Peer& peer, bool show);
    void RaisePeer(Peer& peer);
    bool WaitsForOwner(const Peer& peer);
    void RaiseOwnedToolWindows(WindowHandle owner);
    void RefreshTitle(WindowHandle topLevel);
    void ShowCursorOver(WindowHandle window);

    std::map<uint32_t, std::unique_ptr<Peer>> peers_;
    ControlPeers controls_;
    std::atomic<bool> wakePending_{false};
    int64_t started_ = 0;
    std::array<bool, 256> keys_{};
    win::Point cursor_;
    GtkCursorCache cursors_;
    WindowHandle underPointer_;  // the window whose drawing area has the pointer
    // What the window manager's frame adds on each side of a top-level window (left,
    // top, right, bottom), as last seen on one just mapped.
    win::Rect managerFrame_;
};

// The installed window backend when it is the GTK one, else null.
GtkWindowBackend* CurrentGtkBackend();

// Builders of the peers' parts (gtk_peers.cpp, gtk_menus.cpp, gtk_mdi_frame.cpp,
// gtk_events.cpp).
void BuildTopLevel(Peer& peer);
void BuildDrawn(Peer& peer, GtkWidget* parentLayout);
// A drawn window held by its owner's menu row, before the child's buttons.
void BuildMenuBarCompanion(Peer& peer, Peer& owner);
void ConnectDrawnEvents(Peer& peer);
void ConnectTopLevelEvents(Peer& peer);
// The GDK key value of a layer key (0 for none): the inverse of the key events' map.
guint KeyvalOfKey(win::Key key);
void ConnectControlEvents(Peer& peer);
void RebuildMenuBar(Peer& peer);
void RefreshChildButtons(Peer& peer);
void ConnectMdiFrame(Peer& peer);
void PlaceMdiScrollBars(Peer& peer);
void SyncScrollBars(Peer& peer);

}  // namespace ql::gtk
