// Keeping an object on the page in page view when off-page items are to be shown:
// its extents around its anchor point come from its text-alignment placement, and a
// point moved back onto the page is stored again in the object's anchor.
#include <cstdint>

#include "core/draw/draw_surface.h"
#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "display/anchors.h"
#include "display/locate_internal.h"
#include "platform/gfx/dc.h"

namespace ql {

namespace {

constexpr int32_t kPageTop = -30720;  // the page's left and top edges in logical units

struct Extents {
    int32_t left, right, top, bottom;
};

Extents ExtentsOf(int32_t width, int32_t height, uint32_t placement) {
    const bool right = (placement & gfx::kTextAlignRight) != 0;
    const bool bottom = (placement & gfx::kTextAlignBottom) != 0;
    const bool centred =
        (placement & gfx::kTextAlignCentre) == gfx::kTextAlignCentre && !bottom;
    return Extents{centred ? width / 2 : right ? width : 0, centred ? width / 2 : 0,
                   bottom ? height : centred ? height / 2 : 0, centred ? height / 2 : 0};
}

}  // namespace

bool ShowsOffPageItems(const ScoreView* view) {
    return view->pageView != 0 && Options().ShowOffPage != 0 && !IsPrinting() &&
           State().drawing.ClipboardRendering == 0;
}

bool ClampAnchorsToPage(ScoreView* view, LogicalPoint* point, int kind, ObjectLocation* anchors,
                        int32_t width, int32_t height, uint32_t placement) {
    if (view == nullptr || point == nullptr || !ShowsOffPageItems(view)) return false;
    const Extents e = ExtentsOf(width, height, placement);
    const int64_t x = point->x;
    const int64_t y = point->y;
    const bool partlyOnPage = x + e.right > kPageTop && y + e.bottom > kPageTop &&
                              x - e.left < view->PageRight && y - e.top < view->PageBottom;
    if (partlyOnPage) return false;
    if (x + e.right <= kPageTop) point->x = kPageTop + e.left;
    if (y + e.bottom <= kPageTop) point->y = kPageTop + e.top;
    if (x - e.left >= view->PageRight) point->x = view->PageRight - e.left;
    if (y - e.top >= view->PageBottom) point->y = view->PageBottom - e.top;
    if (anchors != nullptr && kind != 3 && kind >= 0 && kind <= 4) {
        // Stored against the measure being drawn, which the painter has made current.
        const uint8_t keep = locate::Switches().KeepMeasure;
        locate::Switches().KeepMeasure = 1;
        EncodeAnchors(view, nullptr, kind, anchors, point, 1);
        locate::Switches().KeepMeasure = keep;
    }
    return true;
}

}  // namespace ql
