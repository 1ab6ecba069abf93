// The state the document-window client keeps (as its window extension), shared
// by the files of the MDI emulation: children in Z-order with their states and
// normal rectangles, the active child, the window menu and the first child id.
#pragma once

#include <vector>

#include "platform/win/mdi.h"
#include "platform/win/window.h"

namespace ql::win::detail {

struct MdiChildEntry {
    WindowHandle window;
    MdiChildState state = MdiChildState::Normal;
    Rect normal;  // the rectangle to restore to while minimised or maximised
};

struct MdiClientState final : WindowExtension {
    MenuHandle windowMenu;
    int32_t firstId = kDefaultFirstMdiChildId;
    std::vector<MdiChildEntry> children;  // Z-order: the most recently active first
    WindowHandle active;
};

MdiClientState* MdiStateOf(WindowHandle client);
MdiChildEntry* FindMdiEntry(MdiClientState& state, WindowHandle child);
// The client holding `child` (its parent when that is a client), or null.
WindowHandle MdiClientOf(WindowHandle child);

// Sizes of the frame the layer draws, from the backend's metrics.
struct MdiMetrics {
    int32_t frame = 0;    // border width on each side
    int32_t caption = 0;  // caption bar height
    int32_t scroll = 0;   // scroll bar thickness
    int32_t iconWidth = 0;
    int32_t iconHeight = 0;  // a minimised child: its caption and borders
};
MdiMetrics GetMdiMetrics();

// The frame insets of a child in a state (win/window_model.h frameInsets).
Rect MdiInsets(WindowHandle child, MdiChildState state);
// Moves a child to `rect` in state `state`, with the insets of that state.
void PlaceMdiChild(WindowHandle child, MdiChildEntry& entry, MdiChildState state, Rect rect);
// The client area arranged children may use: the icons' row is left free
// while some child is minimised.
Rect MdiArrangeArea(WindowHandle client, const MdiClientState& state);
// Where the n-th cascaded window goes (counting from the bottom of the stack),
// and its size.
Rect MdiCascadeRect(WindowHandle client, const MdiClientState& state, int index);
// Lines the minimised children up along the bottom, left to right, then upward.
void ArrangeIcons(WindowHandle client, MdiClientState& state);
// A child is being destroyed: the client forgets it, activating the next child
// when it was active (called by DestroyWindow, whatever the child's procedure does).
void ForgetMdiChild(WindowHandle client, WindowHandle child);
// Puts the client's children list in Z-order and tells the backend.
void SyncMdiZOrder(WindowHandle client, const MdiClientState& state);

}  // namespace ql::win::detail
