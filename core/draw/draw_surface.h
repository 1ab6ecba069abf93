// The drawing surface of a score view: one context opened on demand and nested
// (the paint context, else the print context, else our own context on the view's
// window), mapped from score units (128 to a staff space) onto the device, and
// mirrored onto a companion context (the clipboard recording, else the printer
// reference) so that every attribute call reaches both.
// The paint and print contexts are borrowed: only our own window context is ever
// released, once, at the outermost EndViewDraw.
#pragma once

#include <cstdint>

#include "core/model/score_document.h"
#include "platform/gfx/types.h"

namespace ql {

// The view fields the drawing code names differently from the view record.
inline int32_t& ZoomLevel(ScoreView* view) {
    return view->zoom;
}
inline int32_t ZoomLevel(const ScoreView* view) {
    return view->zoom;
}
inline double& ViewScale(ScoreView* view) {
    return view->zoomFactor;
}
inline double ViewScale(const ScoreView* view) {
    return view->zoomFactor;
}
// The logical window origin: the page origin in page view, the scroll origin in
// scroll view.
inline int32_t& ScrollX(ScoreView* view) {
    return view->pageView ? view->pageOrigin[0] : view->scrollOrigin[0];
}
inline int32_t& ScrollY(ScoreView* view) {
    return view->pageView ? view->pageOrigin[1] : view->scrollOrigin[1];
}

// Score units per device unit in the mapping's window extent on screen.
constexpr int32_t kMappingUnits = 128;
// Extents of the printing mapping are halved together while any reaches this.
constexpr int32_t kMaxMappingExtent = 32768;
// The viewport origin moves by a fifth of an inch to make room for the rulers.
constexpr int32_t kRulerDpiDivisor = 5;

// True while a print job or a metafile rendering hands its context in.
bool IsPrinting();
// The context that mirrors the view context: the clipboard recording, else the
// printer reference, else null.
platform::DcHandle CompanionContext(const ScoreView* view);
// The context measurements are read from: the companion, else the view context.
platform::DcHandle MeasuringContext(const ScoreView* view);

// Opens (or re-enters) the surface; view->ViewDC stays null when no context
// could be had.
void BeginViewDraw(ScoreView* view);
// Leaves one level; closes the surface at the outermost level.
void EndViewDraw(ScoreView* view);
// Leaves every level.
void EndViewDrawAll(ScoreView* view);

// Map mode and extents of one context from the view's zoom (or the printer's
// resolution); 0 for a null context, 1 otherwise.
int SetViewMapping(const ScoreView* view, platform::DcHandle dc);
// The halved printing extents: window and viewport extents, halved together
// while any of the four values is kMaxMappingExtent or more.
void HalvePrintingExtents(gfx::Size* window, gfx::Size* viewport);
// Mapping, window origin and viewport origin on the open surface.
void ApplyViewMapping(ScoreView* view);
// Moves the viewport origin of the surface and its companion; false when no
// surface is open.
bool SetViewportOrigin(ScoreView* view, int32_t x, int32_t y, gfx::Point* oldPoint);

// The outline of the rectangle with corners (x1, y1) and (x2, y2), on the view
// context only.
void DrawLineSegment(ScoreView* view, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// v when v < 256, else -1 / else 0.
int ByteIndex(int v);
int ByteInRange(int v);

}  // namespace ql
