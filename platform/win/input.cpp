// Focus, capture, caret, cursors, pointer position, key state, window scroll bars
// and system metrics.
#include "platform/win/input.h"
#include "platform/win/activation.h"

#include <algorithm>

#include "platform/sys/resources.h"
#include "platform/win/backend.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "platform/win/window_model.h"

namespace ql::win {
namespace {

using detail::FindWindow;
using detail::Model;

CursorHandle CachedCursor(bool system, int32_t id) {
    auto& model = Model();
    auto key = std::make_pair(system, id);
    auto found = model.loadedCursors.find(key);
    if (found != model.loadedCursors.end() && model.cursors.Find(found->second)) return found->second;
    CursorHandle cursor = model.cursors.Add(std::make_unique<detail::CursorRecord>(detail::CursorRecord{id, system}));
    if (cursor) model.loadedCursors[key] = cursor;
    return cursor;
}

ScrollState* ScrollOf(WindowHandle window, ScrollBar bar) {
    detail::WindowRecord* r = FindWindow(window);
    auto index = static_cast<size_t>(bar);
    return r && index < std::size(r->scroll) ? &r->scroll[index] : nullptr;
}

int32_t ClampToRange(const ScrollState& s, int32_t position) {
    return std::clamp(position, std::min(s.minimum, s.maximum), std::max(s.minimum, s.maximum));
}

HitArea HitAreaOfFramePart(MdiHit hit) {
    switch (hit) {
        case MdiHit::Client: return HitArea::Client;
        case MdiHit::Caption: return HitArea::Caption;
        case MdiHit::VerticalScroll:
        case MdiHit::HorizontalScroll: return HitArea::ScrollBar;
        case MdiHit::MinimizeButton:
        case MdiHit::MaximizeButton:
        case MdiHit::CloseButton: return HitArea::Button;
        case MdiHit::Border: return HitArea::Border;
        default: return HitArea::Nowhere;
    }
}

}  // namespace

HitArea HitTestWindow(WindowHandle window, Point client) {
    if (!IsWindow(window)) return HitArea::Nowhere;
    if (GetClientRect(window).Contains(client)) return HitArea::Client;
    if (!IsMdiClient(GetParent(window))) return HitArea::Nowhere;
    const Rect inner = GetMdiFrameParts(window).client;
    return HitAreaOfFramePart(MdiHitTest(window, Point{client.x + inner.left, client.y + inner.top}));
}

void SendSetCursor(WindowHandle window, Point client, Message mouseMessage) {
    if (GetCapture()) return;
    const HitArea hit = HitTestWindow(window, client);
    if (hit == HitArea::Nowhere) return;
    SendMessage(window, Message::SetCursor, static_cast<uint32_t>(hit), static_cast<intptr_t>(ToRaw(mouseMessage)));
}

WindowHandle SetFocus(WindowHandle window) {
    auto& model = Model();
    if (window && (!IsWindow(window) || !IsWindowEnabled(window))) return WindowHandle{};
    WindowHandle previous = model.focus;
    if (previous == window) return previous;
    model.focus = window;
    if (IsWindow(previous)) SendMessage(previous, Message::KillFocus, 0, HandleData(window));
    if (window && model.focus == window) SendMessage(window, Message::SetFocus, 0, HandleData(previous));
    return previous;
}

WindowHandle GetFocus() { return Model().focus; }

WindowHandle SetActiveWindow(WindowHandle window) {
    auto& model = Model();
    if (window && (!IsWindow(window) || GetParent(window))) return WindowHandle{};
    WindowHandle previous = model.active;
    if (previous == window) return previous;
    model.active = window;
    if (IsWindow(previous))
        SendMessage(previous, Message::Activate, static_cast<uint32_t>(ActivateState::Inactive), HandleData(window));
    if (window && model.active == window)
        SendMessage(window, Message::Activate, static_cast<uint32_t>(ActivateState::Active), HandleData(previous));
    return previous;
}

WindowHandle GetActiveWindow() { return Model().active; }

WindowHandle SetCapture(WindowHandle window) {
    auto& model = Model();
    WindowHandle previous = model.capture;
    if (!IsWindow(window)) return previous;
    model.capture = window;
    if (previous && previous != window) SendMessage(previous, Message::CaptureChanged, 0, HandleData(window));
    return previous;
}

bool ReleaseCapture() {
    auto& model = Model();
    WindowHandle previous = model.capture;
    model.capture = WindowHandle{};
    if (previous) SendMessage(previous, Message::CaptureChanged, 0, 0);
    return true;
}

WindowHandle GetCapture() { return Model().capture; }

bool CreateCaret(WindowHandle owner, int32_t width, int32_t height) {
    if (!IsWindow(owner)) return false;
    Model().caret = CaretState{owner, Size{width, height}, Point{}, false};
    Model().caretHideCount = 1;
    return true;
}

bool DestroyCaret() {
    bool had = static_cast<bool>(Model().caret.owner);
    Model().caret = CaretState{};
    Model().caretHideCount = 0;
    return had;
}

bool ShowCaret(WindowHandle owner) {
    auto& model = Model();
    if (!owner || model.caret.owner != owner) return false;
    if (model.caretHideCount > 0) --model.caretHideCount;
    model.caret.visible = model.caretHideCount == 0;
    return true;
}

bool HideCaret(WindowHandle owner) {
    auto& model = Model();
    if (!owner || model.caret.owner != owner) return false;
    ++model.caretHideCount;
    model.caret.visible = false;
    return true;
}

bool SetCaretPosition(Point clientPoint) {
    if (!Model().caret.owner) return false;
    Model().caret.position = clientPoint;
    return true;
}

Point GetCaretPosition() { return Model().caret.position; }
CaretState GetCaretState() { return Model().caret; }

CursorHandle LoadSystemCursor(SystemCursor shape) { return CachedCursor(true, static_cast<int32_t>(shape)); }

CursorHandle LoadCursorResource(int32_t resourceId) {
    if (!sys::FindCursor(resourceId)) return CursorHandle{};
    return CachedCursor(false, resourceId);
}

CursorHandle SetCursor(CursorHandle cursor) {
    CursorHandle previous = Model().currentCursor;
    Model().currentCursor = cursor;
    if (cursor != previous) CurrentBackend().CursorChanged(cursor);
    return previous;
}

CursorHandle GetCursor() { return Model().currentCursor; }

int32_t CursorResourceId(CursorHandle cursor) {
    detail::CursorRecord* r = Model().cursors.Find(cursor);
    return r ? r->resourceId : 0;
}

bool IsSystemCursor(CursorHandle cursor) {
    detail::CursorRecord* r = Model().cursors.Find(cursor);
    return r != nullptr && r->system;
}

Point GetCursorPosition() { return CurrentBackend().CursorPosition(); }
void SetCursorPosition(Point screen) { CurrentBackend().SetCursorPosition(screen); }
bool WarpPointer(Point screen) { return CurrentBackend().WarpPointer(screen); }
bool IsKeyDown(Key key) { return CurrentBackend().IsKeyDown(key); }

bool SetScrollRange(WindowHandle window, ScrollBar bar, int32_t minimum, int32_t maximum, bool redraw) {
    ScrollState* s = ScrollOf(window, bar);
    if (!s) return false;
    s->minimum = minimum;
    s->maximum = maximum;
    s->position = ClampToRange(*s, s->position);
    s->lastRedraw = redraw;
    CurrentBackend().WindowChanged(window, WindowChange::ScrollChanged);
    return true;
}

int32_t SetScrollPosition(WindowHandle window, ScrollBar bar, int32_t position, bool redraw) {
    ScrollState* s = ScrollOf(window, bar);
    if (!s) return 0;
    int32_t previous = s->position;
    s->position = ClampToRange(*s, position);
    s->lastRedraw = redraw;
    CurrentBackend().WindowChanged(window, WindowChange::ScrollChanged);
    return previous;
}

int32_t GetScrollPosition(WindowHandle window, ScrollBar bar) {
    ScrollState* s = ScrollOf(window, bar);
    return s ? s->position : 0;
}

ScrollState GetScrollState(WindowHandle window, ScrollBar bar) {
    ScrollState* s = ScrollOf(window, bar);
    return s ? *s : ScrollState{};
}

int32_t GetSystemMetric(SystemMetric metric) { return CurrentBackend().Metric(metric); }

int32_t GetTitleBarWidth(WindowHandle window) { return CurrentBackend().TitleBarWidth(window); }

}  // namespace ql::win
