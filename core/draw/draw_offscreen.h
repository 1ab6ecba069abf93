// Off-screen drawing and bitmap blits of the score view. One off-screen drawing
// can be open at a time (its context and bitmaps are program-wide); the bitmap it
// returns belongs to the caller. Blits combine by destination XNOR source, so a
// white bitmap leaves the score alone and a blit done twice takes itself away.
#pragma once

#include "core/model/score_document.h"
#include "platform/gfx/types.h"

namespace ql {

// Deletes the view's memory context and, with a surface open, makes a new one
// compatible with the surface: view mapping, transparent background, left-top
// text alignment.
void ResetMemoryDC(ScoreView* view);

// A memory context with a white bitmap of width x height score units selected and
// the view mapping applied (origin 0, 0); null on any failure.
platform::DcHandle BeginOffscreenDraw(ScoreView* view, int32_t width, int32_t height);
// Ends the off-screen drawing and hands its bitmap to the caller (null when none
// was open).
platform::BitmapHandle EndOffscreenDraw();

// Draws a bitmap with its top-left corner, or its centre, at a logical point.
// False when no surface is open or the bitmap does not resolve.
bool BlitBitmapToView(ScoreView* view, platform::BitmapHandle bitmap, int32_t x, int32_t y);
bool BlitBitmapToViewScaled(ScoreView* view, platform::BitmapHandle bitmap, int32_t x, int32_t y);

}  // namespace ql
