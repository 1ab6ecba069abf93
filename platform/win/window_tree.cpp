// Window classes, creation and destruction, the window tree, and a window's own
// procedure in place of its class's.
#include <algorithm>

#include "platform/win/backend.h"
#include "platform/win/mdi_model.h"
#include "platform/win/message_loop.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "platform/win/window_model.h"

namespace ql::win {
namespace {

using detail::FindWindow;
using detail::Model;
using detail::WindowRecord;

Rect PlacedRect(const Rect& requested) {
    return requested.left == kDefaultPosition ? kDefaultWindowRect : requested;
}

// Builds the record of a new window from its class and parameters; false when
// they name no class or an unusable parent.
bool FillRecord(const WindowParams& params, WindowRecord& record) {
    auto found = Model().classes.find(detail::LowerCase(params.className));
    if (found == Model().classes.end()) return false;
    const WindowClass& cls = found->second;
    bool isChild = (params.style & kStyleChild) != 0;
    // A window being destroyed takes no new children: one made after its child
    // list was walked would outlive it, unreachable.
    const WindowRecord* parent = isChild ? FindWindow(params.parent) : nullptr;
    if (isChild && (!parent || parent->destroying)) return false;
    record.className = cls.name;
    record.procedure = std::make_shared<const WindowProc>(cls.procedure);
    record.classStyle = cls.style;
    record.classCursor = cls.cursor;
    record.background = cls.background;
    record.parent = isChild ? params.parent : WindowHandle{};
    record.owner = isChild ? WindowHandle{} : (params.owner ? params.owner : params.parent);
    record.style = params.style;
    record.extendedStyle = params.extendedStyle;
    record.rect = PlacedRect(params.rect);
    record.text = params.caption;
    record.id = params.id;
    record.menu = params.menu;
    record.longs.assign(static_cast<size_t>((cls.extraBytes + detail::kBytesPerLong - 1) / detail::kBytesPerLong), 0);
    return true;
}

void Unlink(WindowHandle window, const WindowRecord& record) {
    std::vector<WindowHandle>* list = &Model().topLevel;
    if (WindowRecord* parent = FindWindow(record.parent)) list = &parent->children;
    list->erase(std::remove(list->begin(), list->end(), window), list->end());
}

void ForgetWindowState(WindowHandle window) {
    auto& model = Model();
    auto& timers = model.timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [&](const detail::TimerRecord& t) { return t.window == window; }),
                 timers.end());
    if (model.focus == window) model.focus = WindowHandle{};
    if (model.active == window) model.active = WindowHandle{};
    if (model.capture == window) model.capture = WindowHandle{};
    if (model.caret.owner == window) {
        model.caret = CaretState{};
        model.caretHideCount = 0;
    }
}

}  // namespace

bool RegisterWindowClass(const WindowClass& windowClass) {
    if (windowClass.name.empty() || !windowClass.procedure || windowClass.extraBytes < 0) return false;
    auto key = detail::LowerCase(windowClass.name);
    return Model().classes.emplace(key, windowClass).second;
}

bool UnregisterWindowClass(std::string_view name) {
    return Model().classes.erase(detail::LowerCase(name)) > 0;
}

bool IsClassRegistered(std::string_view name) {
    return Model().classes.count(detail::LowerCase(name)) > 0;
}

WindowHandle CreateWindow(const WindowParams& params) {
    auto record = std::make_unique<WindowRecord>();
    if (!FillRecord(params, *record)) return WindowHandle{};
    WindowHandle parent = record->parent;
    Rect rect = record->rect;
    WindowHandle window = Model().windows.Add(std::move(record));
    if (!window) return window;
    if (WindowRecord* p = FindWindow(parent))
        p->children.push_back(window);
    else
        Model().topLevel.push_back(window);
    CurrentBackend().WindowChanged(window, WindowChange::Created);

    CreateInfo info{params.createData, parent, params.style, params.extendedStyle, rect, params.id};
    if (SendMessage(window, Message::Create, 0, reinterpret_cast<intptr_t>(&info)) == -1) {
        DestroyWindow(window);
        return WindowHandle{};
    }
    if (!IsWindow(window)) return WindowHandle{};
    SendMessage(window, Message::Size, 0, PackPoint(Point{rect.Width(), rect.Height()}));
    if ((params.style & kStyleVisible) != 0 && IsWindow(window)) {
        SendMessage(window, Message::Show, 1, 0);
        InvalidateRect(window, nullptr, true);
    }
    return IsWindow(window) ? window : WindowHandle{};
}

bool DestroyWindow(WindowHandle window) {
    WindowRecord* record = FindWindow(window);
    if (!record) return false;
    if (record->destroying) return true;
    record->destroying = true;
    SendMessage(window, Message::Destroy);
    std::vector<WindowHandle> owned;
    for (WindowHandle top : Model().topLevel)
        if (WindowRecord* r = FindWindow(top); r && r->owner == window) owned.push_back(top);
    for (WindowHandle w : owned) DestroyWindow(w);
    record = FindWindow(window);
    if (!record) return true;
    std::vector<WindowHandle> children = record->children;
    for (WindowHandle child : children) DestroyWindow(child);
    record = FindWindow(window);
    if (!record) return true;
    detail::ForgetMdiChild(record->parent, window);
    record = FindWindow(window);
    if (!record) return true;
    ForgetWindowState(window);
    CurrentBackend().WindowChanged(window, WindowChange::Destroyed);
    Unlink(window, *record);
    detail::ReleaseWindowImage(*record);
    Model().windows.Remove(window);
    return true;
}

bool IsWindow(WindowHandle window) { return FindWindow(window) != nullptr; }

WindowHandle GetParent(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    return r ? r->parent : WindowHandle{};
}

WindowHandle GetOwner(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    return r ? r->owner : WindowHandle{};
}

WindowHandle GetTopLevel(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    if (!r) return WindowHandle{};
    while (r->parent) {
        window = r->parent;
        r = FindWindow(window);
    }
    return window;
}

bool IsChild(WindowHandle parent, WindowHandle window) {
    for (WindowRecord* r = FindWindow(window); r && r->parent; r = FindWindow(r->parent))
        if (r->parent == parent) return true;
    return false;
}

int32_t GetWindowId(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    return r ? r->id : 0;
}

WindowHandle FindChildById(WindowHandle parent, int32_t id) {
    WindowRecord* r = FindWindow(parent);
    if (!r) return WindowHandle{};
    for (WindowHandle child : r->children)
        if (WindowRecord* c = FindWindow(child); c && c->id == id) return child;
    return WindowHandle{};
}

std::string GetClassName(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    return r ? r->className : std::string{};
}

uint32_t GetClassStyle(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    return r ? r->classStyle : 0;
}

bool HasClassName(WindowHandle window, std::string_view name) {
    WindowRecord* r = FindWindow(window);
    return r && detail::EqualsIgnoringCase(r->className, name);
}

namespace {

std::vector<WindowHandle> Filtered(const std::vector<WindowHandle>& list, const WindowFilter& filter) {
    std::vector<WindowHandle> out;
    for (WindowHandle w : list) {
        if (!IsWindow(w)) continue;
        if (!filter.className.empty() && !HasClassName(w, filter.className)) continue;
        if (filter.visibleOnly && !IsWindowVisible(w)) continue;
        out.push_back(w);
    }
    return out;
}

}  // namespace

std::vector<WindowHandle> TopLevelWindows(const WindowFilter& filter) {
    return Filtered(Model().topLevel, filter);
}

std::vector<WindowHandle> ChildWindows(WindowHandle parent, const WindowFilter& filter) {
    WindowRecord* r = FindWindow(parent);
    if (!r) return {};
    return Filtered(r->children, filter);
}

bool SetWindowExtension(WindowHandle window, std::unique_ptr<WindowExtension> extension) {
    WindowRecord* r = FindWindow(window);
    if (!r) return false;
    r->extension = std::move(extension);
    return true;
}

WindowExtension* GetWindowExtension(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    return r ? r->extension.get() : nullptr;
}

WindowProc SetWindowProcedure(WindowHandle window, WindowProc procedure) {
    WindowRecord* r = FindWindow(window);
    if (!r || !procedure) return {};
    WindowProc previous = *r->procedure;
    // A call running in the old procedure keeps it alive through its own reference.
    r->procedure = std::make_shared<const WindowProc>(std::move(procedure));
    r->ownProcedure = true;
    return previous;
}

bool HasOwnProcedure(WindowHandle window) {
    const WindowRecord* r = FindWindow(window);
    return r != nullptr && r->ownProcedure;
}

}  // namespace ql::win
