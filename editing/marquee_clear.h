// Clearing the music inside a rectangle of the page: the marquee's delete and the
// score reader call it. Notes and rests go; measures, staves and every other object
// stay.
#pragma once

#include "core/objects/class_table.h"

namespace ql {

struct ScoreView;

// Every note of the voices the view edits whose head lies inside the rectangle
// (logical units) on the view's page is deleted as note entry deletes it (its voice
// closing up behind it), and every rest whose glyph box meets the rectangle is
// taken out, the later items of its voice moving earlier by its length; each
// changed measure is laid out again. Runs inside the caller's undoable edit; the
// view keeps its location and voice mask.
void ClearRectangle(ScoreView* view, const RecordRect& rectangle);

}  // namespace ql
