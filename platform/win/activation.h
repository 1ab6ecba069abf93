// Activation and the pointer's cursor, as the desktop reports them to the window
// layer.
//
// Activation: the top-level window the desktop gave the keyboard. The backends call
// SetActiveWindow as the desktop reports it (GTK: a top-level window's focus in and
// out); tests script it. The window losing activation hears Activate (word
// Inactive, data: the new window) first, then the new one Activate (Active, data:
// the old window); null means another program's window took it.
//
// The cursor: before a pointer move reaches the window under the pointer, that
// window hears SetCursor (word: HitArea, data: the mouse message), unless a window
// has the capture (its cursor then stays until it lets go). It answers non-zero
// when it set the cursor; the default sets the class cursor over the client area
// (nothing when the class has none, leaving it to the window's mouse handling)
// and the arrow over the frame the layer draws around a document child.
#pragma once

#include <cstdint>

#include "platform/win/messages.h"

namespace ql::win {

// Returns the previous active window; a stale or child window takes nothing.
WindowHandle SetActiveWindow(WindowHandle window);
WindowHandle GetActiveWindow();

// The part of a window under the pointer, in the word of SetCursor.
enum class HitArea : uint32_t {
    Nowhere = 0,    // outside the window
    Client = 1,
    Caption = 2,    // the caption the layer draws on a document child
    Border = 3,     // its sizing frame
    ScrollBar = 4,  // one of its scroll bars
    Button = 5,     // one of its caption buttons
};

// The part of the window under a point of its client coordinates (left of or
// above the client area the point is negative).
HitArea HitTestWindow(WindowHandle window, Point client);
// Sends SetCursor for a mouse message at a client point of the window under the
// pointer (nothing while a window has the capture or outside the window).
void SendSetCursor(WindowHandle window, Point client, Message mouseMessage);

}  // namespace ql::win
