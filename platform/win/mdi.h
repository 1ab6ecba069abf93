// Document windows inside the frame: a client window that holds the document
// children, emulated by the layer in the same way on every backend. The client
// keeps each child's state (normal, minimised, maximised), the Z-order (the
// activation order, most recent first) and the active child. Children get ids
// from the client's first id up, in creation order, renumbered on close so that
// they stay contiguous. At most one child is maximised, and only the active one:
// activating another child while one is maximised maximises the new one. The
// client's list of children (ChildWindows) is kept in Z-order, so enumeration
// asks the most recently used window first.
// Each child is drawn with a frame of the layer's own (caption with title and
// buttons, borders, its scroll bars): the child's client area is its window less
// that frame (win/window.h GetClientRect). A maximised child fills the client and
// shows no caption; a minimised one is a caption-sized icon along the bottom.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/window.h"

namespace ql::win {

constexpr char kMdiClientClass[] = "MDIClient";
constexpr int32_t kDefaultFirstMdiChildId = 40500;

enum class MdiChildState : uint8_t { Normal = 0, Minimized = 1, Maximized = 2 };

// Tiling: horizontal strips one above the other, or vertical ones side by side.
enum class MdiTile : uint8_t { Vertical = 0, Horizontal = 1 };

struct MdiClientParams {
    WindowHandle frame;
    Rect rect;  // in the frame's client coordinates
    uint32_t style = 0;  // kStyleChild is added
    MenuHandle windowMenu;  // the submenu that lists the children (may be null)
    int32_t firstChildId = kDefaultFirstMdiChildId;
};
// Null when the frame does not resolve.
WindowHandle CreateMdiClient(const MdiClientParams& params);
bool IsMdiClient(WindowHandle window);
// The client of a frame (its first child of the client class), or null.
WindowHandle FindMdiClient(WindowHandle frame);

struct MdiChildParams {
    std::string className;
    std::string caption;
    uint32_t style = 0;  // kStyleChild and kStyleVisible are added
    Rect rect{kDefaultPosition, kDefaultPosition, kDefaultPosition, kDefaultPosition};  // default: cascaded
    intptr_t createData = 0;  // handed to the Create message
};
// Creates the child, visible, and activates it; it is maximised when the active
// child was. Null when the client is not one or the window cannot be made.
WindowHandle CreateMdiChild(WindowHandle client, const MdiChildParams& params);
// Destroys a child: when it was active, the next in Z-order is activated first
// (maximised when it was). False when `child` is not a child of the client.
bool DestroyMdiChild(WindowHandle client, WindowHandle child);

// Activation sends MdiActivate to the child losing it, then to the one gaining
// it, and gives the gaining child the focus. Activating the active child does
// nothing.
bool ActivateMdiChild(WindowHandle client, WindowHandle child);
WindowHandle GetActiveMdiChild(WindowHandle client);
// Next: the second in Z-order becomes active and the old active child goes to
// the end. Previous: the last becomes active. Minimised children take part.
bool ActivateNextMdiChild(WindowHandle client, bool previous);
std::vector<WindowHandle> MdiChildrenInZOrder(WindowHandle client);

// State changes. Maximise and restore keep the child's normal rectangle.
// Maximising a child that is not active activates it.
bool MaximizeMdiChild(WindowHandle client, WindowHandle child);
bool MinimizeMdiChild(WindowHandle client, WindowHandle child);
bool RestoreMdiChild(WindowHandle client, WindowHandle child);
MdiChildState GetMdiChildState(WindowHandle child);

// Arrangement of the children that are shown and not minimised (a maximised
// child is restored first); icons are lined up along the bottom and the other
// children leave their row free.
bool CascadeMdiChildren(WindowHandle client);
bool TileMdiChildren(WindowHandle client, MdiTile tile);
bool ArrangeMdiIcons(WindowHandle client);

// The submenu the client lists its children in; returns the previous one.
MenuHandle GetMdiWindowMenu(WindowHandle client);
MenuHandle SetMdiWindowMenu(WindowHandle client, MenuHandle windowMenu);
int32_t GetMdiFirstChildId(WindowHandle client);

// The frame's title as shown: its text, followed by " - [caption]" while a child
// is maximised.
std::string MdiFrameTitle(WindowHandle frame);

// Default handling for a document child's procedure: Close destroys the child
// through its client; others as DefaultWindowProc. However a child is destroyed,
// its client forgets it, activating the next child when it was active.
intptr_t DefMdiChildProc(WindowHandle child, Message message, uint32_t word, intptr_t data);

// The document-window keys of the message loop: Ctrl+F4 closes the active child,
// Ctrl+F6 activates the next and Ctrl+Shift+F6 the previous. True when taken.
bool TranslateMdiSysAccel(WindowHandle client, const QueuedMessage& message);

// --- The frame the layer draws around a child -------------------------------
// Parts in the child's window coordinates (0,0 is the top-left of its frame).
struct MdiFrameParts {
    Rect caption;        // empty when maximised
    Rect minimizeButton;  // on an icon this button restores
    Rect maximizeButton;
    Rect closeButton;     // the buttons are empty while maximised (they sit on the menu bar)
    Rect client;
    Rect verticalScroll;    // empty without a vertical scroll bar
    Rect horizontalScroll;  // empty without a horizontal scroll bar
};
MdiFrameParts GetMdiFrameParts(WindowHandle child);

enum class MdiHit : uint8_t {
    Nowhere = 0,
    Client,
    Caption,
    MinimizeButton,
    MaximizeButton,
    CloseButton,
    VerticalScroll,
    HorizontalScroll,
    Border,
};
MdiHit MdiHitTest(WindowHandle child, Point windowPoint);

// A mouse button went down in `window`: the document child holding it (the
// window itself or an ancestor) is activated and, unless it or a window inside it
// has it already, given the keyboard focus (an active child whose focus went to
// another window takes it back). Backends call this before the button's message is
// queued.
void ActivateMdiChildOf(WindowHandle window);

// The minimise, restore and close buttons of a maximised child, which sit at the
// right end of the frame's menu bar: MinimizeButton minimises the active child,
// MaximizeButton restores it, CloseButton sends it Close. False when no child
// is maximised.
bool PressMaximizedChildButton(WindowHandle client, MdiHit button);

// What a press of the left button on a part of a child's frame does, as the
// user sees it: activates the child and, on a button, minimises, maximises or
// restores it, or sends it Close. Returns the part hit.
MdiHit PressMdiFrame(WindowHandle child, Point windowPoint);

}  // namespace ql::win
