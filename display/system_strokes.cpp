// Strokes of the staff grid: filled strokes, barline strokes and staff lines. On the
// screen a stroke thinner than two device pixels is a 1-pixel line below zoom 20
// (doubled one pixel over at zoom 16, so that it does not vanish between pixels);
// from zoom 20, and always in print, strokes are filled to their width. In print,
// staff lines are cut to the band being printed.
#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/draw/ink_tag.h"
#include "core/state.h"
#include "display/draw_helpers.h"
#include "display/staff_groups.h"
#include "display/system_drawing.h"
#include "display/system_drawing_internal.h"

namespace ql {

using namespace sysdraw;

namespace {

// True when a stroke of this width is drawn as 1-pixel lines.
bool IsThinOnScreen(const ScoreView* view, int32_t width, int32_t pixelUnits) {
    return IsOnScreen() && width < kThinStrokePixels * pixelUnits &&
           ZoomLevel(view) < kFilledZoom;
}

bool IsDoubledOnScreen(const ScoreView* view) {
    return IsOnScreen() && ZoomLevel(view) == kDoublingZoom;
}

// In print, a staff line is cut to the band being printed.
void ClipToPrintedBand(int32_t* x, int32_t* width) {
    const PainterState& painter = State().display.painter;
    if (!IsPrinting() || painter.paintRectActive == 0) return;
    const int64_t left = std::max<int64_t>(*x, painter.paintRect.left);
    const int64_t right = std::min<int64_t>(int64_t{*x} + *width, painter.paintRect.right);
    *x = static_cast<int32_t>(left);
    *width = static_cast<int32_t>(std::max<int64_t>(right - left, 1));
}

}  // namespace

void DrawThickLine(ScoreView* view, int x, int y, int width, int height) {
    if (view == nullptr || !view->ViewDC) return;
    if (State().drawing.ThickLineCentreFlag != 0) {
        if (width >= height)
            InkLine(view, x, y + height / 2, x + width, y + height / 2);
        else
            InkLine(view, x + width / 2, y, x + width / 2, y + height);
    }
    InkFilled(view, x, y, width, height);
}

void DrawBarStroke(ScoreView* view, int32_t width, int32_t x, int32_t top, int32_t bottom) {
    if (view == nullptr || !view->ViewDC) return;
    const InkStageScope stage(InkStage::Barlines);
    if (!IsThinOnScreen(view, width, view->PixelUnitsX)) {
        DrawThickLine(view, x, top, width, bottom - top);
        return;
    }
    InkLine(view, x, top, x, bottom);
    if (IsDoubledOnScreen(view)) InkLine(view, x + view->PixelUnitsX, top, x + view->PixelUnitsX, bottom);
}

void DrawStaffLines(ScoreView* view, int staff, int32_t x, int32_t y, int32_t width) {
    Grid grid;
    if (!OpenGrid(view, &grid) || !view->ViewDC) return;
    const int lines = StaffType(grid, staff);
    if (lines == 0) return;
    int bottomOffset = 0;
    StaffLineOffsets(view, staff, staff, nullptr, &bottomOffset);
    const int32_t lowest = y + (lines == 1 ? 2 * bottomOffset : bottomOffset);
    const InkStageScope stage(InkStage::StaffLines);
    const int32_t spacing = Scaled(view, kLineSpacing);
    ClipToPrintedBand(&x, &width);
    width = std::max(width, 1);
    for (int line = 0; line < lines; ++line) {
        const int32_t ly = lowest - line * spacing;
        InkLine(view, x, ly, x + width, ly);
        if (IsDoubledOnScreen(view)) InkLine(view, x, ly - view->PixelUnitsY, x + width, ly - view->PixelUnitsY);
    }
    const int32_t thickness = Scaled(view, view->LineWidth);
    if (IsThinOnScreen(view, thickness, view->PixelUnitsY)) return;
    for (int line = 0; line < lines; ++line)
        DrawThickLine(view, x, lowest - line * spacing - thickness / 2, width, thickness);
}

}  // namespace ql
