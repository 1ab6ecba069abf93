// The pointer of a mouse message in the view, and the auto-scroll at the window
// edge while the pointer is held there (see view_pointer.h).
#include "display/view_pointer.h"

#include "core/draw/draw_surface.h"
#include "core/model/score_document.h"
#include "display/view_location.h"
#include "display/view_modes.h"
#include "platform/gfx/mapping.h"
#include "platform/win/messages.h"
#include "platform/win/window.h"

namespace ql {

namespace {
constexpr int32_t kScrollEdge = 48;  // pixels from the window edge that scroll
}  // namespace

void PointerToLogicalPoint(ScoreView* view, uint32_t packedPoint) {
    if (view == nullptr) return;
    gfx::Point point = win::UnpackPoint(static_cast<intptr_t>(packedPoint));
    const bool opened = !view->ViewDC;
    if (opened) BeginViewDraw(view);
    if (view->ViewDC) point = gfx::DeviceToLogical(view->ViewDC, point);
    if (opened) EndViewDraw(view);
    view->pointerPoint = LogicalPoint{point.x, point.y};
    UpdateLocationFromPointer(view);
}

// One scroll step towards the edge the pointer is near (data: the client point).
void AutoScrollAtEdge(ScoreView* view, platform::WindowHandle window, intptr_t data) {
    if (view == nullptr || !window) return;
    const win::Point p = win::UnpackPoint(data);
    const win::Rect client = win::GetClientRect(window);
    int direction = 0;
    if (p.y < client.top + kScrollEdge || p.x < client.left + kScrollEdge) direction = -1;
    if (p.y > client.bottom - kScrollEdge || p.x > client.right - kScrollEdge) direction = 1;
    if (direction != 0) ScrollViewStep(view, direction);
}

}  // namespace ql
