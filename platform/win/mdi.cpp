// The document-window client: creating and destroying children, ids, the
// Z-order and activation, the maximised and minimised states, the default
// handling of child messages and the document-window keys.
#include "platform/win/mdi.h"

#include <algorithm>

#include "platform/gfx/objects.h"
#include "platform/win/backend.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"
#include "platform/win/mdi_model.h"
#include "platform/win/message_loop.h"
#include "platform/win/window_model.h"

namespace ql::win {
namespace {

using detail::MdiChildEntry;
using detail::MdiClientState;
using detail::MdiStateOf;

intptr_t MdiClientProc(WindowHandle client, Message message, uint32_t word, intptr_t data) {
    if (message == Message::Size) {
        // A maximised child keeps filling the client; icons keep to the bottom.
        if (MdiClientState* state = MdiStateOf(client)) {
            for (MdiChildEntry& entry : state->children)
                if (entry.state == MdiChildState::Maximized)
                    detail::PlaceMdiChild(entry.window, entry, MdiChildState::Maximized, GetClientRect(client));
            detail::ArrangeIcons(client, *state);
        }
    }
    return DefaultWindowProc(client, message, word, data);
}

void EnsureClientClass() {
    if (IsClassRegistered(kMdiClientClass)) return;
    WindowClass cls;
    cls.name = kMdiClientClass;
    cls.procedure = MdiClientProc;
    cls.cursor = LoadSystemCursor(SystemCursor::Arrow);
    cls.background = gfx::GetStockBrush(gfx::StockBrush::Grey);
    RegisterWindowClass(cls);
}

// Gives the children ids from the first id up, in creation order (the order
// of the ids they have).
void Renumber(MdiClientState& state) {
    std::vector<WindowHandle> byId;
    for (const MdiChildEntry& entry : state.children) byId.push_back(entry.window);
    std::sort(byId.begin(), byId.end(),
              [](WindowHandle a, WindowHandle b) { return GetWindowId(a) < GetWindowId(b); });
    for (size_t i = 0; i < byId.size(); ++i)
        if (detail::WindowRecord* r = detail::FindWindow(byId[i])) r->id = state.firstId + static_cast<int32_t>(i);
}

void MoveToFront(MdiClientState& state, WindowHandle child) {
    auto found = std::find_if(state.children.begin(), state.children.end(),
                              [&](const MdiChildEntry& e) { return e.window == child; });
    if (found != state.children.end()) std::rotate(state.children.begin(), found, found + 1);
}

// Switches activation from the active child to `child` (which may be null):
// the maximised state moves along, the Z-order follows, then the messages.
void SwitchActive(WindowHandle client, MdiClientState& state, WindowHandle child) {
    WindowHandle old = state.active;
    MdiChildEntry* oldEntry = detail::FindMdiEntry(state, old);
    bool carryMaximize = oldEntry && oldEntry->state == MdiChildState::Maximized && child;
    if (carryMaximize) RestoreMdiChild(client, old);
    state.active = child;
    if (child) MoveToFront(state, child);
    if (MdiChildEntry* entry = detail::FindMdiEntry(state, child); entry && carryMaximize)
        MaximizeMdiChild(client, child);
    detail::SyncMdiZOrder(client, state);
    if (IsWindow(old)) {
        SendMessage(old, Message::MdiActivate, old.bits, HandleData(child));
        CurrentBackend().WindowChanged(old, WindowChange::FrameChanged);
    }
    if (IsWindow(child)) {
        SendMessage(child, Message::MdiActivate, old.bits, HandleData(child));
        CurrentBackend().WindowChanged(child, WindowChange::FrameChanged);
        if (GetFocus() != child && !IsChild(child, GetFocus())) SetFocus(child);
    }
}

// Takes a child out of the client's lists; when it was active, the next in
// Z-order is activated (maximised when it was).
void Detach(WindowHandle client, MdiClientState& state, WindowHandle child) {
    MdiChildEntry* entry = detail::FindMdiEntry(state, child);
    if (!entry) return;
    bool wasMaximized = entry->state == MdiChildState::Maximized;
    if (state.active == child) {
        WindowHandle next;
        for (const MdiChildEntry& e : state.children)
            if (e.window != child && IsWindow(e.window)) {
                next = e.window;
                break;
            }
        if (wasMaximized && next) entry->state = MdiChildState::Normal;  // it closes: no need to restore it
        SwitchActive(client, state, next);
        if (wasMaximized && next) MaximizeMdiChild(client, next);
    }
    std::erase_if(state.children, [&](const MdiChildEntry& e) { return e.window == child; });
    Renumber(state);
    detail::SyncMdiZOrder(client, state);
}

// The child's rectangle in the client's coordinates.
Rect RectInParent(WindowHandle child) {
    detail::WindowRecord* r = detail::FindWindow(child);
    return r ? r->rect : Rect{};
}

Rect InitialRect(WindowHandle client, const MdiClientState& state, const Rect& requested) {
    if (requested.left != kDefaultPosition) return requested;
    return detail::MdiCascadeRect(client, state, static_cast<int>(state.children.size()));
}

// A child's close box and Ctrl+F4 go through its window menu's Close command.
void SendSystemClose(WindowHandle child) {
    SendMessage(child, Message::SystemCommand, static_cast<uint32_t>(SystemCommandCode::Close));
}

}  // namespace

namespace detail {

MdiClientState* MdiStateOf(WindowHandle client) {
    if (!HasClassName(client, kMdiClientClass)) return nullptr;
    return dynamic_cast<MdiClientState*>(GetWindowExtension(client));
}

MdiChildEntry* FindMdiEntry(MdiClientState& state, WindowHandle child) {
    if (!child) return nullptr;
    for (MdiChildEntry& entry : state.children)
        if (entry.window == child) return &entry;
    return nullptr;
}

WindowHandle MdiClientOf(WindowHandle child) {
    WindowHandle parent = GetParent(child);
    MdiClientState* state = MdiStateOf(parent);
    return state && FindMdiEntry(*state, child) ? parent : WindowHandle{};
}

void ForgetMdiChild(WindowHandle client, WindowHandle child) {
    if (MdiClientState* state = MdiStateOf(client)) Detach(client, *state, child);
}

void SyncMdiZOrder(WindowHandle client, const MdiClientState& state) {
    WindowRecord* r = FindWindow(client);
    if (!r) return;
    std::vector<WindowHandle> ordered;
    for (const MdiChildEntry& entry : state.children) ordered.push_back(entry.window);
    for (WindowHandle w : r->children)
        if (std::find(ordered.begin(), ordered.end(), w) == ordered.end()) ordered.push_back(w);
    if (ordered == r->children) return;
    r->children = ordered;
    // Raising from the bottom up leaves the active child on top.
    for (auto it = state.children.rbegin(); it != state.children.rend(); ++it)
        CurrentBackend().WindowChanged(it->window, WindowChange::Raised);
}

}  // namespace detail

WindowHandle CreateMdiClient(const MdiClientParams& params) {
    if (!IsWindow(params.frame)) return WindowHandle{};
    EnsureClientClass();
    WindowParams client;
    client.className = kMdiClientClass;
    client.style = params.style | kStyleChild;
    client.rect = params.rect;
    client.parent = params.frame;
    WindowHandle window = CreateWindow(client);
    if (!window) return window;
    auto state = std::make_unique<MdiClientState>();
    state->windowMenu = params.windowMenu;
    state->firstId = params.firstChildId;
    SetWindowExtension(window, std::move(state));
    return window;
}

bool IsMdiClient(WindowHandle window) { return MdiStateOf(window) != nullptr; }

WindowHandle FindMdiClient(WindowHandle frame) {
    for (WindowHandle child : ChildWindows(frame, {.className = kMdiClientClass}))
        if (IsMdiClient(child)) return child;
    return WindowHandle{};
}

WindowHandle CreateMdiChild(WindowHandle client, const MdiChildParams& params) {
    MdiClientState* state = MdiStateOf(client);
    if (!state) return WindowHandle{};
    MdiChildEntry* active = detail::FindMdiEntry(*state, state->active);
    bool maximize = active && active->state == MdiChildState::Maximized;
    Rect rect = InitialRect(client, *state, params.rect);
    WindowParams child;
    child.className = params.className;
    child.caption = params.caption;
    child.style = (params.style | kStyleChild | kStyleVisible) & ~(kStyleMinimize | kStyleMaximize);
    child.rect = rect;
    child.parent = client;
    child.id = state->firstId + static_cast<int32_t>(state->children.size());
    child.createData = params.createData;
    WindowHandle window = CreateWindow(child);
    state = MdiStateOf(client);
    if (!window || !state) return WindowHandle{};
    state->children.push_back(MdiChildEntry{window, MdiChildState::Normal, rect});
    detail::PlaceMdiChild(window, state->children.back(), MdiChildState::Normal, rect);
    ActivateMdiChild(client, window);
    if (maximize && IsWindow(window)) MaximizeMdiChild(client, window);
    return IsWindow(window) ? window : WindowHandle{};
}

bool DestroyMdiChild(WindowHandle client, WindowHandle child) {
    MdiClientState* state = MdiStateOf(client);
    if (!state || !detail::FindMdiEntry(*state, child)) return false;
    Detach(client, *state, child);
    DestroyWindow(child);
    return true;
}

bool ActivateMdiChild(WindowHandle client, WindowHandle child) {
    MdiClientState* state = MdiStateOf(client);
    if (!state || !detail::FindMdiEntry(*state, child)) return false;
    if (state->active != child) SwitchActive(client, *state, child);
    return true;
}

WindowHandle GetActiveMdiChild(WindowHandle client) {
    MdiClientState* state = MdiStateOf(client);
    return state && IsWindow(state->active) ? state->active : WindowHandle{};
}

bool ActivateNextMdiChild(WindowHandle client, bool previous) {
    MdiClientState* state = MdiStateOf(client);
    if (!state || state->children.size() < 2) return false;
    WindowHandle old = state->active;
    WindowHandle target = previous ? state->children.back().window : state->children[1].window;
    SwitchActive(client, *state, target);
    if (!previous) {
        // The child left behind goes to the bottom, so Next walks every child.
        auto found = std::find_if(state->children.begin(), state->children.end(),
                                  [&](const MdiChildEntry& e) { return e.window == old; });
        if (found != state->children.end()) std::rotate(found, found + 1, state->children.end());
        detail::SyncMdiZOrder(client, *state);
    }
    return true;
}

std::vector<WindowHandle> MdiChildrenInZOrder(WindowHandle client) {
    std::vector<WindowHandle> out;
    if (MdiClientState* state = MdiStateOf(client))
        for (const MdiChildEntry& entry : state->children)
            if (IsWindow(entry.window)) out.push_back(entry.window);
    return out;
}

bool MaximizeMdiChild(WindowHandle client, WindowHandle child) {
    MdiClientState* state = MdiStateOf(client);
    MdiChildEntry* entry = state ? detail::FindMdiEntry(*state, child) : nullptr;
    if (!entry) return false;
    if (state->active != child) ActivateMdiChild(client, child);
    entry = detail::FindMdiEntry(*state, child);
    if (!entry || entry->state == MdiChildState::Maximized) return entry != nullptr;
    if (entry->state == MdiChildState::Normal) entry->normal = RectInParent(child);
    detail::PlaceMdiChild(child, *entry, MdiChildState::Maximized, GetClientRect(client));
    detail::ArrangeIcons(client, *state);
    return true;
}

bool MinimizeMdiChild(WindowHandle client, WindowHandle child) {
    MdiClientState* state = MdiStateOf(client);
    MdiChildEntry* entry = state ? detail::FindMdiEntry(*state, child) : nullptr;
    if (!entry) return false;
    if (entry->state == MdiChildState::Minimized) return true;
    if (entry->state == MdiChildState::Normal) entry->normal = RectInParent(child);
    entry->state = MdiChildState::Minimized;
    detail::ArrangeIcons(client, *state);
    return true;
}

bool RestoreMdiChild(WindowHandle client, WindowHandle child) {
    MdiClientState* state = MdiStateOf(client);
    MdiChildEntry* entry = state ? detail::FindMdiEntry(*state, child) : nullptr;
    if (!entry) return false;
    if (entry->state == MdiChildState::Normal) return true;
    bool wasMinimized = entry->state == MdiChildState::Minimized;
    detail::PlaceMdiChild(child, *entry, MdiChildState::Normal, entry->normal);
    if (wasMinimized) detail::ArrangeIcons(client, *state);
    return true;
}

MdiChildState GetMdiChildState(WindowHandle child) {
    WindowHandle client = detail::MdiClientOf(child);
    MdiClientState* state = MdiStateOf(client);
    MdiChildEntry* entry = state ? detail::FindMdiEntry(*state, child) : nullptr;
    return entry ? entry->state : MdiChildState::Normal;
}

MenuHandle GetMdiWindowMenu(WindowHandle client) {
    MdiClientState* state = MdiStateOf(client);
    return state ? state->windowMenu : MenuHandle{};
}

MenuHandle SetMdiWindowMenu(WindowHandle client, MenuHandle windowMenu) {
    MdiClientState* state = MdiStateOf(client);
    if (!state) return MenuHandle{};
    MenuHandle previous = state->windowMenu;
    state->windowMenu = windowMenu;
    return previous;
}

int32_t GetMdiFirstChildId(WindowHandle client) {
    MdiClientState* state = MdiStateOf(client);
    return state ? state->firstId : 0;
}

std::string MdiFrameTitle(WindowHandle frame) {
    std::string title = GetWindowText(frame);
    WindowHandle active = GetActiveMdiChild(FindMdiClient(frame));
    if (active && GetMdiChildState(active) == MdiChildState::Maximized)
        title += " - [" + GetWindowText(active) + "]";
    return title;
}

intptr_t DefMdiChildProc(WindowHandle child, Message message, uint32_t word, intptr_t data) {
    WindowHandle client = detail::MdiClientOf(child);
    if (message == Message::Close && client) {
        DestroyMdiChild(client, child);
        return 0;
    }
    return DefaultWindowProc(child, message, word, data);
}

bool TranslateMdiSysAccel(WindowHandle client, const QueuedMessage& message) {
    if (message.message != Message::KeyDown || !IsKeyDown(Key::Control) || IsKeyDown(Key::Alt)) return false;
    WindowHandle active = GetActiveMdiChild(client);
    if (!active) return false;
    auto key = static_cast<Key>(message.word);
    if (key == FunctionKey(4) && !IsKeyDown(Key::Shift)) {
        SendSystemClose(active);
        return true;
    }
    if (key == FunctionKey(6)) {
        ActivateNextMdiChild(client, IsKeyDown(Key::Shift));
        return true;
    }
    return false;
}

void ActivateMdiChildOf(WindowHandle window) {
    for (WindowHandle w = window; w; w = GetParent(w))
        if (WindowHandle client = detail::MdiClientOf(w)) {
            ActivateMdiChild(client, w);
            // Already the active one, it takes the keyboard back from a window
            // outside it (a control of another window, a palette).
            const WindowHandle focus = GetFocus();
            if (IsWindow(w) && focus != w && !IsChild(w, focus) && IsWindowEnabled(GetTopLevel(w))) SetFocus(w);
            return;
        }
}

bool PressMaximizedChildButton(WindowHandle client, MdiHit button) {
    WindowHandle active = GetActiveMdiChild(client);
    if (!active || GetMdiChildState(active) != MdiChildState::Maximized) return false;
    switch (button) {
        case MdiHit::MinimizeButton:
            return MinimizeMdiChild(client, active);
        case MdiHit::MaximizeButton:
            return RestoreMdiChild(client, active);
        case MdiHit::CloseButton:
            SendSystemClose(active);
            return true;
        default:
            return false;
    }
}

MdiHit PressMdiFrame(WindowHandle child, Point windowPoint) {
    WindowHandle client = detail::MdiClientOf(child);
    MdiHit hit = MdiHitTest(child, windowPoint);
    if (hit == MdiHit::Nowhere) return hit;
    ActivateMdiChild(client, child);
    bool minimized = GetMdiChildState(child) == MdiChildState::Minimized;
    switch (hit) {
        case MdiHit::CloseButton:
            SendSystemClose(child);
            break;
        case MdiHit::MaximizeButton:
            MaximizeMdiChild(client, child);
            break;
        case MdiHit::MinimizeButton:
            // On an icon the first button restores.
            if (minimized)
                RestoreMdiChild(client, child);
            else
                MinimizeMdiChild(client, child);
            break;
        default:
            break;
    }
    return hit;
}

}  // namespace ql::win
