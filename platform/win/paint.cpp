// Invalidation and the paint cycle on each window's own image.
// The invalid area is kept as one bounding rectangle: invalidating two corners
// repaints the box around both, which costs a little drawing and never misses any.
#include "platform/win/paint.h"

#include <algorithm>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/win/backend.h"
#include "platform/win/message_loop.h"
#include "platform/win/timer_queue.h"
#include "platform/win/window.h"
#include "platform/win/window_model.h"

namespace ql::win {
namespace {

using detail::FindWindow;
using detail::WindowRecord;

Rect Union(const Rect& a, const Rect& b) {
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

bool Covers(const Rect& outer, const Rect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

// The image is made on first use, the size of the client area (at least 1 x 1).
BitmapHandle EnsureImage(WindowHandle window, WindowRecord& record) {
    if (!record.image) {
        Rect client = GetClientRect(window);
        record.image = gfx::CreateImageBitmap(std::max(1, client.Width()), std::max(1, client.Height()));
    }
    return record.image;
}

// Keeps a context handed out on the window's image, so that it ends with the
// window; contexts the program ended itself are dropped from the list here.
void TrackContext(WindowRecord& record, DcHandle dc) {
    std::erase_if(record.contexts, [](DcHandle open) { return !gfx::IsContextValid(open); });
    if (dc) record.contexts.push_back(dc);
}

// Ends a context the window handed out; false for a context it did not hand out.
bool ReleaseTrackedContext(WindowHandle window, DcHandle dc) {
    WindowRecord* r = FindWindow(window);
    if (!r || !dc) return false;
    auto found = std::find(r->contexts.begin(), r->contexts.end(), dc);
    if (found == r->contexts.end()) return false;
    r->contexts.erase(found);
    return gfx::ReleaseContext(dc);
}

bool FindInvalid(const std::vector<WindowHandle>& windows, QueuedMessage& out) {
    for (WindowHandle w : windows) {
        WindowRecord* r = FindWindow(w);
        if (!r || (r->style & kStyleVisible) == 0) continue;
        if (!r->invalid.IsEmpty()) {
            out = QueuedMessage{w, Message::Paint, 0, 0};
            return true;
        }
        if (FindInvalid(r->children, out)) return true;
    }
    return false;
}

}  // namespace

bool InvalidateRect(WindowHandle window, const Rect* rect, bool erase) {
    WindowRecord* r = FindWindow(window);
    if (!r) return false;
    Rect client = GetClientRect(window);
    Rect added = rect ? gfx::Intersect(*rect, client) : client;
    if (added.IsEmpty()) return true;
    r->invalid = Union(r->invalid, added);
    r->eraseRequested = r->eraseRequested || erase;
    ++r->invalidations;
    CurrentBackend().WindowChanged(window, WindowChange::Invalidated);
    return true;
}

bool ValidateRect(WindowHandle window, const Rect* rect) {
    WindowRecord* r = FindWindow(window);
    if (!r) return false;
    // A part of the bounding rectangle cannot be taken away exactly; only a
    // rectangle covering all of it validates.
    if (!rect || Covers(*rect, r->invalid)) {
        r->invalid = Rect{};
        r->eraseRequested = false;
    }
    return true;
}

Rect GetUpdateRect(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    return r ? r->invalid : Rect{};
}

bool UpdateWindow(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    if (!r) return false;
    if (r->invalid.IsEmpty() || !IsWindowVisible(window)) return true;
    uint64_t started = detail::StartPaint(window);
    SendMessage(window, Message::Paint);
    detail::FinishPaint(window, started);
    return true;
}

DcHandle BeginPaint(WindowHandle window, PaintInfo& info) {
    info = PaintInfo{};
    WindowRecord* r = FindWindow(window);
    if (!r || !EnsureImage(window, *r)) return DcHandle{};
    info.invalid = r->invalid;
    info.erase = r->eraseRequested;
    r->invalid = Rect{};
    r->eraseRequested = false;
    info.dc = gfx::CreatePaintContext(r->image, info.invalid);
    TrackContext(*r, info.dc);
    if (info.dc && info.erase) SendMessage(window, Message::EraseBackground, 0, static_cast<intptr_t>(info.dc.bits));
    return info.dc;
}

bool EndPaint(WindowHandle window, const PaintInfo& info) {
    if (!ReleaseTrackedContext(window, info.dc)) return false;
    CurrentBackend().WindowChanged(window, WindowChange::Painted);
    return true;
}

DcHandle GetWindowContext(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    if (!r || !EnsureImage(window, *r)) return DcHandle{};
    DcHandle dc = gfx::CreateWindowContext(r->image);
    TrackContext(*r, dc);
    return dc;
}

bool ReleaseWindowContext(WindowHandle window, DcHandle dc) {
    if (!ReleaseTrackedContext(window, dc)) return false;
    CurrentBackend().WindowChanged(window, WindowChange::Painted);
    return true;
}

BitmapHandle GetWindowImage(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    return r ? EnsureImage(window, *r) : BitmapHandle{};
}

namespace detail {

bool TakePaintMessage(QueuedMessage& out) { return FindInvalid(Model().topLevel, out); }

uint64_t StartPaint(WindowHandle window) {
    WindowRecord* r = FindWindow(window);
    return r ? r->invalidations : 0;
}

void FinishPaint(WindowHandle window, uint64_t started) {
    WindowRecord* r = FindWindow(window);
    if (r && r->invalidations == started) ValidateRect(window, nullptr);
}

}  // namespace detail
}  // namespace ql::win
