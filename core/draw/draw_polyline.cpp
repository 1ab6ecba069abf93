// Polylines with a styled pen. A wide styled line is built from one-pixel styled
// strokes: starting on the line and moving across it by half a device pixel per
// stroke, the last stroke placed so that it ends exactly at the band's far edge.
// Strokes are one pixel thick and half a pixel apart, so the band of the asked
// width is covered without gaps. Example: width 6 pixels -> strokes at offsets 0,
// 0.5, 1, ... 5 pixels.
#include "core/draw/draw_polyline.h"

#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/draw/gdi_cache.h"
#include "core/state.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"

namespace ql {

namespace {

// The contexts every stroke goes to: the view context, then its companion.
struct Targets {
    platform::DcHandle view;
    platform::DcHandle companion;
};

bool Stroke(const Targets& t, const gfx::Point* points, int count) {
    bool drawn = gfx::Polyline(t.view, points, count);
    if (t.companion) gfx::Polyline(t.companion, points, count);
    return drawn;
}

void StrokeLine(const Targets& t, gfx::Point from, gfx::Point to) {
    gfx::Point line[2] = {from, to};
    Stroke(t, line, 2);
}

// Pens go to the view context and its companion alike.
void SelectPen(const Targets& t, platform::PenHandle pen, platform::PenHandle previous[2]) {
    previous[0] = gfx::SelectObject(t.view, pen);
    if (t.companion) previous[1] = gfx::SelectObject(t.companion, pen);
}

void RestorePen(const Targets& t, platform::PenHandle previous[2]) {
    if (previous[0]) gfx::SelectObject(t.view, previous[0]);
    if (t.companion && previous[1]) gfx::SelectObject(t.companion, previous[1]);
}

// Offsets across the line, from 0 to width - pixel in steps, the last one at
// exactly width - pixel. Calls `stroke(offset)` for each.
template <typename Fn>
void ForEachStrokeOffset(int32_t width, int32_t pixel, int32_t step, Fn&& stroke) {
    int32_t last = width - pixel;
    for (int32_t offset = 0;; offset += step) {
        if (offset > last) offset = last;
        stroke(offset);
        if (offset >= last) break;
    }
}

// One segment stroked across its direction; the last segment runs from its end,
// moved a pixel vertically away from its start, back to its start.
void StrokeSegment(const Targets& t, gfx::Point a, gfx::Point b, bool last, int32_t width,
                   int32_t pixel, int32_t step, platform::PenHandle joinPen, bool join) {
    bool horizontal = std::abs(b.x - a.x) >= std::abs(b.y - a.y);
    if (last) {
        if (b.y != a.y) b.y += b.y > a.y ? pixel : -pixel;
        std::swap(a, b);
    }
    ForEachStrokeOffset(width, pixel, step, [&](int32_t offset) {
        gfx::Point dx{horizontal ? 0 : offset, horizontal ? offset : 0};
        StrokeLine(t, gfx::Point{a.x + dx.x, a.y + dx.y}, gfx::Point{b.x + dx.x, b.y + dx.y});
        if (!join) return;
        gfx::Point start = last ? b : a;
        platform::PenHandle styled[2] = {};
        SelectPen(t, joinPen, styled);
        if (horizontal)
            StrokeLine(t, gfx::Point{start.x - width, start.y + offset},
                       gfx::Point{start.x + width, start.y + offset});
        else
            StrokeLine(t, gfx::Point{start.x + offset, start.y - width / 2},
                       gfx::Point{start.x + offset, start.y + width - width / 2});
        RestorePen(t, styled);
    });
}

// Five or more points: the whole copy moved down by the step per pass.
void StrokeShifted(const Targets& t, const gfx::Point* points, int count, int32_t width,
                   int32_t pixel, int32_t step) {
    std::vector<gfx::Point> copy;
    try {
        copy.assign(points, points + count);
    } catch (const std::bad_alloc&) {
        Stroke(t, points, count);
        return;
    }
    ForEachStrokeOffset(width, pixel, step, [&](int32_t offset) {
        for (int i = 0; i < count; ++i) copy[i].y = points[i].y + offset;
        Stroke(t, copy.data(), count);
    });
}

int32_t LogicalPixelHeight(platform::DcHandle dc) {
    gfx::Point corners[2] = {gfx::Point{0, 0}, gfx::Point{1, 1}};
    gfx::DeviceToLogical(dc, corners, 2);
    int32_t p = std::abs(corners[1].y - corners[0].y);
    return p < 1 ? 1 : p;
}

}  // namespace

int DrawPolylineWithPen(ScoreView* view, const gfx::Point* points, int count, gfx::PenStyle style,
                        int32_t width, bool joinFlag) {
    if (!view->ViewDC || !points || count < 2) return 0;
    Targets t{view->ViewDC, CompanionContext(view)};
    gfx::Colour colour = State().drawing.CurrentTextColour;
    platform::PenHandle previous[2] = {};
    if (style == gfx::PenStyle::Solid) {
        platform::PenHandle pen = gfx::CreatePen(style, width, colour);
        SelectPen(t, pen, previous);
        bool drawn = Stroke(t, points, count);
        RestorePen(t, previous);
        gfx::DeleteObject(pen);
        return drawn ? 1 : 0;
    }
    int32_t pixel = LogicalPixelHeight(view->ViewDC);
    int32_t w = width < pixel ? width : pixel;
    platform::PenHandle pen = gfx::CreatePen(style, w, colour);
    SelectPen(t, pen, previous);
    platform::PenHandle joinPen{};
    if (PlaybackFlags().PlaybackActive.load(std::memory_order_acquire) || width <= pixel) {
        Stroke(t, points, count);
    } else {
        int32_t step = pixel >> 1 < 1 ? 1 : pixel >> 1;
        if (count < kSegmentwisePointLimit) {
            if (joinFlag) joinPen = gfx::CreatePen(gfx::PenStyle::Solid, w, colour);
            for (int i = 0; i + 1 < count; ++i)
                StrokeSegment(t, points[i], points[i + 1], i + 2 == count, width, pixel, step,
                              joinPen, joinFlag && i > 0);
        } else {
            StrokeShifted(t, points, count, width, pixel, step);
        }
    }
    RestorePen(t, previous);
    gfx::DeleteObject(pen);
    if (joinPen) gfx::DeleteObject(joinPen);
    return 1;
}

}  // namespace ql
