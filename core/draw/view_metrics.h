// View metrics that follow from the device: size, resolution and zoom, score units
// per device pixel, the visible rectangle, scroll ranges, the glyph widths of the
// three music-font sizes and the pre-rendered note-head bitmaps. Re-run on every
// zoom, size or device change.
#pragma once

#include <cstdint>

#include "core/model/score_document.h"

namespace ql {

// The thickness taken when the document holds none.
constexpr int32_t kDefaultLineWidth = 96;
// A centre point with this x is "none".
constexpr int32_t kNoPendingCentre = -32767;
// On screen the zoom level is at most this many pixels per staff space ...
constexpr int32_t kMaxScreenZoom = 128;
// ... and at most three quarters of the client height.
int32_t CapZoomToClientHeight(int32_t zoom, int32_t clientHeight);

// Recomputes everything below for the view's device; returns 0.
int InitViewMetrics(ScoreView* view);
// HalfZoom, PixelUnitsX/Y, paper size, visible rectangle, line widths, FrameUnits.
void MeasurePixelUnits(ScoreView* view);
// The visible rectangle in score units (needs an open surface).
void UpdateViewOrigin(ScoreView* view);
// Scroll bar ranges and positions of the view's window (not while printing).
void SetViewScrollRanges(ScoreView* view);
// Window size, paper size and visible rectangle again; returns 0.
int RefreshViewMetrics(ScoreView* view);
// Cursor of the current tool for the zoom level.
void SetViewToolCursor(ScoreView* view);
// The box crosshair, the view's cursor while "Use Box Cursor" is on.
constexpr int32_t kBoxCursorId = 40440;
// The zoom cursors' resource ids: kFirstZoomCursorId + ZoomCursorIndex(level).
constexpr int32_t kFirstZoomCursorId = 150;
constexpr int kZoomCursorCount = 18;
// Which of the eighteen zoom cursors a level takes: 0..16 for the levels 2, 3, 4,
// 5, 6, 8, ..., 30 (odd levels above 5 taken as the even level below), 17 for any
// other level below 49, -1 (the default cursor) from 49 up.
int ZoomCursorIndex(int32_t zoom);

}  // namespace ql
