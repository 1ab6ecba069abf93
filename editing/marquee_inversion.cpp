// The marquee's inversion on its view's backing store. Work is in device pixels, so
// that what one update inverts the next one can take back exactly: the rectangle
// is rounded to the device and clipped to the window, and a move inverts only the
// strips that changed (a one-unit move of a large marquee touches two thin strips).
#include "core/draw/draw_surface.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "editing/feedback.h"
#include "editing/marquee.h"
#include "editing/marquee_internal.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/win/window.h"

namespace ql {
namespace {

// The view's rectangle in device pixels, clipped to its window's client area.
gfx::Rect DeviceRectOf(ScoreView* view, const gfx::Rect& logical) {
    gfx::Point corners[2] = {{logical.left, logical.top}, {logical.right, logical.bottom}};
    gfx::LogicalToDevice(view->ViewDC, corners, 2);
    const gfx::Rect device = gfx::Normalised(gfx::Rect{corners[0].x, corners[0].y, corners[1].x, corners[1].y});
    const win::Rect client = win::GetClientRect(view->ViewWindow);
    return gfx::Intersect(device, gfx::Rect{client.left, client.top, client.right, client.bottom});
}

// Inverts device rectangles: the mapping is set aside for the call, so that the
// rectangles reach the pixels unrounded.
void InvertDeviceRects(platform::DcHandle dc, const gfx::Rect* rects, int count) {
    if (count == 0) return;
    const int saved = gfx::SaveContext(dc);
    gfx::SetMapMode(dc, gfx::MapMode::Text);
    gfx::SetWindowOrigin(dc, gfx::Point{});
    gfx::SetViewportOrigin(dc, gfx::Point{});
    for (int i = 0; i < count; ++i)
        if (!rects[i].IsEmpty()) gfx::PatternBlit(dc, rects[i], gfx::RasterOp::DestinationInvert);
    if (saved > 0) gfx::RestoreContext(dc, saved);
}

// The parts of `a` outside `b`, where both overlap: left and right of `b` over a's
// height, then above and below `b` over their common width.
int StripsOutside(const gfx::Rect& a, const gfx::Rect& b, const gfx::Rect& common, gfx::Rect* out) {
    int n = 0;
    if (a.left < b.left) out[n++] = gfx::Rect{a.left, a.top, b.left, a.bottom};
    if (a.right > b.right) out[n++] = gfx::Rect{b.right, a.top, a.right, a.bottom};
    if (a.top < b.top) out[n++] = gfx::Rect{common.left, a.top, common.right, b.top};
    if (a.bottom > b.bottom) out[n++] = gfx::Rect{common.left, b.bottom, common.right, a.bottom};
    return n;
}

}  // namespace

int MarqueeInversionStrips(const gfx::Rect& from, const gfx::Rect& to, gfx::Rect out[8]) {
    const gfx::Rect common = gfx::Intersect(from, to);
    if (common.IsEmpty()) {
        int n = 0;
        if (!from.IsEmpty()) out[n++] = from;
        if (!to.IsEmpty()) out[n++] = to;
        return n;
    }
    const int n = StripsOutside(from, to, common, out);
    return n + StripsOutside(to, from, common, out + n);
}

void UpdateInvertedMarquee(ScoreView* view, const gfx::Rect& rect, gfx::Rect* inverted) {
    if (view == nullptr || inverted == nullptr) return;
    const bool opened = !view->ViewDC;
    if (opened) BeginViewDraw(view);
    if (CanDrawFeedback(view)) {
        const gfx::Rect target = DeviceRectOf(view, rect);
        gfx::Rect strips[8];
        InvertDeviceRects(view->ViewDC, strips, MarqueeInversionStrips(*inverted, target, strips));
        *inverted = target;
    }
    if (opened) EndViewDraw(view);
}

void EraseMarqueeInversion(ScoreView* view) {
    gfx::Rect& inverted = State().marquee.inverted;
    if (view == nullptr || inverted.IsEmpty()) return;
    const bool opened = !view->ViewDC;
    if (opened) BeginViewDraw(view);
    if (CanDrawFeedback(view)) {
        InvertDeviceRects(view->ViewDC, &inverted, 1);
        inverted = gfx::Rect{};
    }
    if (opened) EndViewDraw(view);
}

}  // namespace ql
