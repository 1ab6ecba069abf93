// Removing the music inside a rectangle of the page: the notes and rests whose
// positions lie in it (the marquee's delete hands them here; measures, staves and
// their signs stay).
#pragma once

#include "platform/gfx/types.h"

namespace ql {

struct ScoreView;

// The notes and rests of the view's current page inside `rect` (logical units),
// in every voice the view's voice mask allows.
void ClearRectangle(ScoreView* view, const gfx::Rect& rect);

}  // namespace ql
