// Invalidation and the paint cycle.
// Every window paints into its own ARGB32 image (its backing store), the size of
// its client area; the image is re-made (white) when the window is resized. An
// invalid area (kept as one bounding rectangle) makes a Paint message when the
// queue is otherwise empty; BeginPaint hands out a paint context clipped to it
// and validates the window; EndPaint releases the context. An area invalidated
// while a Paint is handled (after BeginPaint, say) gets a Paint of its own.
#pragma once

#include "platform/win/messages.h"

namespace ql::win {

using platform::BitmapHandle;
using platform::DcHandle;

// Adds `rect` (client coordinates; the whole client area when null) to the
// invalid area. False when the window is stale.
bool InvalidateRect(WindowHandle window, const Rect* rect, bool erase);
bool ValidateRect(WindowHandle window, const Rect* rect);
// The invalid area's bounds; empty when there is none.
Rect GetUpdateRect(WindowHandle window);
// Sends Paint at once when the window has an invalid area.
bool UpdateWindow(WindowHandle window);

struct PaintInfo {
    DcHandle dc;
    Rect invalid;       // what is being painted, client coordinates
    bool erase = false;  // the background was asked to be erased
};
// Null dc when the window is stale or the image cannot be made.
DcHandle BeginPaint(WindowHandle window, PaintInfo& info);
bool EndPaint(WindowHandle window, const PaintInfo& info);

// A context on the whole image, outside the paint cycle. Release it with
// ReleaseWindowContext.
DcHandle GetWindowContext(WindowHandle window);
// False when the context is not one this window handed out (or was ended).
// Destroying a window ends the contexts still open on it: their handles stop
// resolving, and EndPaint or ReleaseWindowContext afterwards return false.
bool ReleaseWindowContext(WindowHandle window, DcHandle dc);

// The window's image (tests read its pixels or write it as PNG). Null when stale.
BitmapHandle GetWindowImage(WindowHandle window);

}  // namespace ql::win
