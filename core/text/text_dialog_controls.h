// A dialog's preview of a text object: the control shows the object's text in the
// object's own face and attributes, sized to the control's height.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/handles.h"

namespace ql {

struct ScoreObject;
struct ScoreView;

// Sets the edit `control` of `dialog` to show `object` (a text-family object, or a
// working copy of one): its display text, in the face of its own font or of its
// style's font record, bold, italic and underlined as the object is, with a cell
// height of the control's client height - 1. Nothing for a missing control.
void FillTextDialogControls(ScoreObject* object, ScoreView* view, platform::WindowHandle dialog, int32_t control);

// The font part of the above for a control that holds its own text (a text being
// typed, a symbol shown): the control takes `object`'s font (or `face`, a face not
// yet in the document's table, in its place) and its own text is set again.
void ShowControlInTextFont(ScoreObject* object, ScoreView* view, platform::WindowHandle dialog, int32_t control,
                           std::string_view face = {});

}  // namespace ql
