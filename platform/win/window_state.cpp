// Window state: styles, text, window longs, visibility, enabled state, geometry,
// menu bar, and the default handling of messages.
#include <algorithm>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/draw.h"
#include "platform/win/backend.h"
#include "platform/win/input.h"
#include "platform/win/activation.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "platform/win/window_model.h"

namespace ql::win {
namespace {

using detail::FindWindow;
using detail::Model;
using detail::WindowRecord;

intptr_t* LongSlot(WindowHandle window, int32_t index) {
    WindowRecord* r = FindWindow(window);
    if (!r || index < 0 || index % detail::kBytesPerLong != 0) return nullptr;
    auto slot = static_cast<size_t>(index / detail::kBytesPerLong);
    return slot < r->longs.size() ? &r->longs[slot] : nullptr;
}

// The focus leaves a window that is hidden or disabled, or whose ancestor is.
void DropFocusWithin(WindowHandle window) {
    WindowHandle focus = Model().focus;
    if (focus && (focus == window || IsChild(window, focus))) SetFocus(WindowHandle{});
}

Point ClientOrigin(WindowHandle window) {
    Point origin{0, 0};
    for (WindowRecord* r = FindWindow(window); r; r = FindWindow(r->parent)) {
        origin.x += r->rect.left + r->frameInsets.left;
        origin.y += r->rect.top + r->frameInsets.top;
    }
    return origin;
}

// The window's top-left corner in screen coordinates (its frame included).
Point WindowOrigin(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    if (!r) return Point{};
    Point origin = r->parent ? ClientOrigin(r->parent) : Point{0, 0};
    return Point{origin.x + r->rect.left, origin.y + r->rect.top};
}

}  // namespace

uint32_t GetStyle(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    return r ? r->style : 0;
}

uint32_t SetStyle(WindowHandle window, uint32_t style) {
    WindowRecord* r = FindWindow(window);
    if (!r) return 0;
    uint32_t previous = r->style;
    r->style = style;
    return previous;
}

uint32_t GetExtendedStyle(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    return r ? r->extendedStyle : 0;
}

uint32_t SetExtendedStyle(WindowHandle window, uint32_t style) {
    WindowRecord* r = FindWindow(window);
    if (!r) return 0;
    uint32_t previous = r->extendedStyle;
    r->extendedStyle = style;
    return previous;
}

bool SetWindowText(WindowHandle window, std::string_view text) {
    WindowRecord* r = FindWindow(window);
    if (!r) return false;
    r->text = std::string(text);
    CurrentBackend().WindowChanged(window, WindowChange::TextChanged);
    return true;
}

std::string GetWindowText(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    return r ? r->text : std::string{};
}

intptr_t GetWindowLong(WindowHandle window, int32_t index) {
    intptr_t* slot = LongSlot(window, index);
    return slot ? *slot : 0;
}

intptr_t SetWindowLong(WindowHandle window, int32_t index, intptr_t value) {
    intptr_t* slot = LongSlot(window, index);
    if (!slot) return 0;
    intptr_t previous = *slot;
    *slot = value;
    return previous;
}

bool ShowWindow(WindowHandle window, ShowCommand command) {
    WindowRecord* r = FindWindow(window);
    if (!r) return false;
    bool wasVisible = (r->style & kStyleVisible) != 0;
    bool show = command != ShowCommand::Hide;
    if (show == wasVisible) return wasVisible;
    r->style = show ? (r->style | kStyleVisible) : (r->style & ~kStyleVisible);
    CurrentBackend().WindowChanged(window, show ? WindowChange::Shown : WindowChange::Hidden);
    SendMessage(window, Message::Show, show ? 1 : 0, 0);
    if (show)
        InvalidateRect(window, nullptr, true);
    else
        DropFocusWithin(window);
    return wasVisible;
}

bool IsWindowVisible(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    if (!r) return false;
    for (; r; r = FindWindow(r->parent))
        if ((r->style & kStyleVisible) == 0) return false;
    return true;
}

bool EnableWindow(WindowHandle window, bool enable) {
    WindowRecord* r = FindWindow(window);
    if (!r) return false;
    bool wasDisabled = (r->style & kStyleDisabled) != 0;
    if (enable == !wasDisabled) return wasDisabled;
    r->style = enable ? (r->style & ~kStyleDisabled) : (r->style | kStyleDisabled);
    CurrentBackend().WindowChanged(window, WindowChange::EnabledChanged);
    if (!enable) DropFocusWithin(window);
    SendMessage(window, Message::Enable, enable ? 1 : 0, 0);
    return wasDisabled;
}

bool IsWindowEnabled(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    return r && (r->style & kStyleDisabled) == 0;
}

bool MoveWindow(WindowHandle window, Rect rect, bool repaint) {
    WindowRecord* r = FindWindow(window);
    return r && detail::PlaceWindow(window, rect, r->frameInsets, repaint);
}

Rect GetWindowRect(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    if (!r) return Rect{};
    Point origin = WindowOrigin(window);
    return Rect{origin.x, origin.y, origin.x + r->rect.Width(), origin.y + r->rect.Height()};
}

Rect GetClientRect(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    if (!r) return Rect{};
    Size size = detail::ClientSize(*r);
    return Rect{0, 0, size.cx, size.cy};
}

Point ClientToScreen(WindowHandle window, Point p) {
    Point origin = ClientOrigin(window);
    return Point{p.x + origin.x, p.y + origin.y};
}

Point ScreenToClient(WindowHandle window, Point p) {
    Point origin = ClientOrigin(window);
    return Point{p.x - origin.x, p.y - origin.y};
}

MenuHandle GetWindowMenu(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    return r ? r->menu : MenuHandle{};
}

bool SetWindowMenu(WindowHandle window, MenuHandle menu) {
    WindowRecord* r = FindWindow(window);
    if (!r) return false;
    r->menu = menu;
    CurrentBackend().WindowChanged(window, WindowChange::MenuChanged);
    return true;
}

intptr_t DefaultWindowProc(WindowHandle window, Message message, uint32_t word, intptr_t data) {
    switch (message) {
        case Message::Close:
            DestroyWindow(window);
            return 0;
        case Message::SystemCommand:
            if (word == static_cast<uint32_t>(SystemCommandCode::Close)) SendMessage(window, Message::Close);
            return 0;
        case Message::InputLanguageChange:
            for (WindowHandle child : ChildWindows(window)) SendMessage(child, message, word, data);
            return 0;
        case Message::Paint: {
            PaintInfo info;
            BeginPaint(window, info);
            EndPaint(window, info);
            return 0;
        }
        case Message::EraseBackground: {
            WindowRecord* r = FindWindow(window);
            if (!r || !r->background) return 0;
            DcHandle dc{static_cast<uint32_t>(data)};
            return gfx::FillRect(dc, GetClientRect(window), r->background) ? 1 : 0;
        }
        case Message::SetCursor: {
            // The class cursor over the client area (a class without one leaves the
            // cursor to the window's own mouse handling); the arrow over a frame.
            if (word != static_cast<uint32_t>(HitArea::Client)) {
                SetCursor(LoadSystemCursor(SystemCursor::Arrow));
                return 1;
            }
            WindowRecord* r = FindWindow(window);
            if (!r || !r->classCursor) return 0;
            SetCursor(r->classCursor);
            return 1;
        }
        default:
            return 0;
    }
}

namespace detail {

bool PlaceWindow(WindowHandle window, Rect rect, Rect frameInsets, bool repaint) {
    WindowRecord* r = FindWindow(window);
    if (!r) return false;
    Rect old = r->rect;
    Size oldClient = ClientSize(*r);
    bool framed = r->frameInsets != frameInsets;
    r->rect = rect;
    r->frameInsets = frameInsets;
    Size client = ClientSize(*r);
    CurrentBackend().WindowChanged(window, WindowChange::Moved);
    if (framed) CurrentBackend().WindowChanged(window, WindowChange::FrameChanged);
    bool resized = oldClient != client;
    if (resized && r->image) gfx::ResizeImageBitmap(r->image, std::max(1, client.cx), std::max(1, client.cy));
    bool redrawAll = repaint || (oldClient.cx != client.cx && (r->classStyle & kClassHorizontalRedraw)) ||
                     (oldClient.cy != client.cy && (r->classStyle & kClassVerticalRedraw));
    if (old.left != rect.left || old.top != rect.top)
        SendMessage(window, Message::Move, 0, PackPoint(Point{rect.left, rect.top}));
    if (resized && IsWindow(window)) SendMessage(window, Message::Size, 0, PackPoint(Point{client.cx, client.cy}));
    if (redrawAll || resized) InvalidateRect(window, nullptr, true);
    return true;
}

}  // namespace detail
}  // namespace ql::win
