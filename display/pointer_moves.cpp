// The program moving the mouse pointer: the view's logical pointer is the one that
// counts; every move sets it (and the location), then the system pointer is warped
// there when the windowing system allows it.
#include "core/draw/draw_surface.h"
#include "core/model/score_document.h"
#include "display/hit_test.h"
#include "display/locate_internal.h"
#include "display/view_location.h"
#include "platform/gfx/mapping.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql {

using namespace locate;

namespace {

bool InVisibleRect(const ScoreView* view, int x, int y) {
    const gfx::Rect& r = view->visibleRect;
    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

// Stores the pointer and returns its screen point through the view's context.
win::Point StoreAndMap(ScoreView* view, int x, int y) {
    view->pointerPoint = LogicalPoint{x, y};
    Switches().LastPointerPoint = view->pointerPoint;
    gfx::Point device{x, y};
    platform::DcHandle dc = view->ViewMemoryDC ? view->ViewMemoryDC
                            : State().drawing.ReferenceDC ? State().drawing.ReferenceDC
                                                          : view->ViewDC;
    if (dc) device = gfx::LogicalToDevice(dc, device);
    return win::ClientToScreen(view->ViewWindow, win::Point{device.x, device.y});
}

}  // namespace

void MovePointerToPoint(ScoreView* view, int x, int y) {
    if (view == nullptr || !InVisibleRect(view, x, y)) return;
    const win::Point screen = StoreAndMap(view, x, y);
    UpdateLocationFromPointer(view);
    if (win::WarpPointer(screen)) Switches().SkipNextMouseMove = 1;
}

void MovePointerToLogical(ScoreView* view, int x, int y) {
    if (view == nullptr) return;
    if (win::WarpPointer(StoreAndMap(view, x, y))) Switches().SkipNextMouseMove = 1;
}

void MovePointerToObject(ScoreView* view, EventRecord* event) {
    if (view == nullptr || event == nullptr) return;
    const LogicalPoint at = GetEventPosition(event, view);
    if (!InVisibleRect(view, at.x, at.y)) return;
    const win::Point screen = StoreAndMap(view, at.x, at.y);
    win::WarpPointer(screen);
    UpdateLocationFromPointer(view);
}

void NudgePointer(ScoreView* view) {
    if (view == nullptr || !view->ViewWindow) return;
    const win::Point screen = StoreAndMap(view, view->pointerPoint.x, view->pointerPoint.y);
    const win::Point client = win::ScreenToClient(view->ViewWindow, screen);
    win::PostMessage(view->ViewWindow, win::Message::MouseMove, 0, win::PackPoint(client));
}

bool ConsumeSkippedMouseMove() {
    uint8_t& skip = Switches().SkipNextMouseMove;
    if (skip == 0) return false;
    --skip;
    return true;
}

}  // namespace ql
