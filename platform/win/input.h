// Focus, mouse capture, caret, cursors, pointer position, window scroll bars and
// the system metrics the program reads.
// The pointer position is logical: one per display, set and read by the program
// (and by tests), because real pointer warping is not always possible.
#pragma once

#include <cstdint>

#include "platform/win/keys.h"
#include "platform/win/messages.h"

namespace ql::win {

// Focus: sends KillFocus to the old window and SetFocus to the new one; returns
// the previous focus. A stale or disabled window takes nothing (returns null).
WindowHandle SetFocus(WindowHandle window);
WindowHandle GetFocus();

// Capture: mouse messages go to the capturing window.
WindowHandle SetCapture(WindowHandle window);  // returns the previous capture
bool ReleaseCapture();
WindowHandle GetCapture();

// The caret: one per thread, owned by a window. Hidden when created; ShowCaret
// and HideCaret nest (shown when every hide was matched by a show).
bool CreateCaret(WindowHandle owner, int32_t width, int32_t height);
bool DestroyCaret();
bool ShowCaret(WindowHandle owner);
bool HideCaret(WindowHandle owner);
bool SetCaretPosition(Point clientPoint);
Point GetCaretPosition();
struct CaretState {
    WindowHandle owner;
    Size size;
    Point position;
    bool visible = false;
};
CaretState GetCaretState();

// Cursors. System shapes have fixed ids; the program's own come from resources
// (sys/resources.h) by id. Null when the id is unknown.
enum class SystemCursor : int32_t {
    Arrow = 32512,
    IBeam = 32513,
    Wait = 32514,
    Cross = 32515,
    UpArrow = 32516,
    SizeNwse = 32642,
    SizeNesw = 32643,
    SizeWe = 32644,
    SizeNs = 32645,
    SizeAll = 32646,
    No = 32648,
    Hand = 32649,
};
CursorHandle LoadSystemCursor(SystemCursor shape);
CursorHandle LoadCursorResource(int32_t resourceId);
CursorHandle SetCursor(CursorHandle cursor);  // returns the previous one
CursorHandle GetCursor();
// The resource or system id a cursor was loaded from (0 when stale).
int32_t CursorResourceId(CursorHandle cursor);
// True for a cursor of LoadSystemCursor (its id is then a SystemCursor).
bool IsSystemCursor(CursorHandle cursor);

// The logical pointer position in screen coordinates.
Point GetCursorPosition();
void SetCursorPosition(Point screen);
// Sets the pointer position and moves the system pointer there when the windowing
// system allows it; true when the system pointer moved.
bool WarpPointer(Point screen);

// Window scroll bars (the window's own, or a scroll-bar control with Control).
enum class ScrollBar : uint8_t { Horizontal = 0, Vertical = 1, Control = 2 };
struct ScrollState {
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t position = 0;
    bool lastRedraw = false;  // the redraw flag of the last change
};
bool SetScrollRange(WindowHandle window, ScrollBar bar, int32_t minimum, int32_t maximum, bool redraw);
// Clamped into the range; returns the previous position.
int32_t SetScrollPosition(WindowHandle window, ScrollBar bar, int32_t position, bool redraw);
int32_t GetScrollPosition(WindowHandle window, ScrollBar bar);
ScrollState GetScrollState(WindowHandle window, ScrollBar bar);

enum class SystemMetric : uint8_t {
    BorderWidth,          // thin border, x
    BorderHeight,         // thin border, y
    FrameWidth,           // sizing frame, x
    FrameHeight,          // sizing frame, y
    VerticalScrollWidth,  // width of a vertical scroll bar
    HorizontalScrollHeight,
    CaptionHeight,
    MenuHeight,
    ScreenWidth,
    ScreenHeight,
    // What the desktop's window manager adds around the program's top-level windows
    // outside their rectangles (its title bar above, its borders), as last seen on
    // one of them on the screen; 0 without a manager or before any was seen.
    ManagerFrameLeft,
    ManagerFrameTop,
    ManagerFrameRight,
    ManagerFrameBottom,
};
int32_t GetSystemMetric(SystemMetric metric);
// The width the window manager's title bar of a top-level window needs to show its
// title whole, its buttons counted; 0 without a manager's title bar.
int32_t GetTitleBarWidth(WindowHandle window);

}  // namespace ql::win
