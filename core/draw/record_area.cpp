// The window area under a logical rectangle (see record_area.h).
#include "core/draw/record_area.h"

#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/objects/class_table.h"
#include "platform/gfx/mapping.h"
#include "platform/win/paint.h"

namespace ql {

void InvalidateRecordArea(ScoreView* view, const RecordRect& r, bool erase) {
    if (view == nullptr || !view->ViewWindow || r.right <= r.left) return;
    const bool opened = !view->ViewDC;
    if (opened) BeginViewDraw(view);
    gfx::Point a{r.left, r.top}, b{r.right, r.bottom};
    if (view->ViewDC) {
        a = gfx::LogicalToDevice(view->ViewDC, a);
        b = gfx::LogicalToDevice(view->ViewDC, b);
    }
    if (opened) EndViewDraw(view);
    const win::Rect area{std::min(a.x, b.x) - 1, std::min(a.y, b.y) - 1, std::max(a.x, b.x) + 1,
                         std::max(a.y, b.y) + 1};
    win::InvalidateRect(view->ViewWindow, &area, erase);
}

}  // namespace ql
