// The faces of the Set Note-head dialog's eighteen buttons: each note-head shape
// drawn in ink on white into a button's rectangle, the chosen one as it is and
// the others inverted.
#pragma once

#include <cstdint>

#include "platform/gfx/types.h"
#include "platform/handles.h"

namespace ql {

constexpr int kNoteHeadShapeCount = 18;

// Draws shape `shape` (0..17) into `rect` of `dc`; inverted unless `chosen`. False
// for a shape out of range (nothing drawn).
bool DrawNoteHeadFace(platform::DcHandle dc, const gfx::Rect& rect, int shape, bool chosen);

}  // namespace ql
