// The pre-rendered black note heads of a screen view (full size in red, and the
// 65 % size) that the note painter blits instead of drawing text, and the release
// of everything a view's drawing state owns.
#pragma once

#include "core/model/score_document.h"

namespace ql {

// From this zoom level up the bitmaps are made half as wide and one step tall.
constexpr int32_t kLargeZoomLevel = 150;
// Baselines of the two heads inside their bitmaps, in score units.
constexpr int32_t kFullHeadBaseline = 72;
constexpr int32_t kSmallHeadBaseline = 32;

// Deletes the previous bitmaps and renders new ones on the open surface; a bitmap
// that cannot be made stays null.
void RenderGlyphBitmaps(ScoreView* view);
// Closes the surface and deletes the view's memory context and glyph bitmaps
// (for the view's destruction).
void ReleaseViewDrawing(ScoreView* view);

}  // namespace ql
