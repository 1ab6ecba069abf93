// The font a context measures and draws with, sized for that context: the font
// selected into it, or the layer's default font when none (or a deleted one) is
// selected, so that text calls on a fresh context behave as on a real device.
#pragma once

#include "platform/handles.h"
#include "platform/text/font_size.h"

namespace ql::text {

using platform::DcHandle;

// Device pixels per logical unit of the context's mapping, and its pixel aspect.
DeviceScale ScaleOfContext(DcHandle dc);

// The context's font sized for it; false when the context does not resolve or no
// font at all can be had.
bool ContextFont(DcHandle dc, SizedFont* out);

// The layer's default font (a sans face, default height); null when no face exists.
FontHandle DefaultFont();

// Connects the text layer to the drawing layer: DeleteObject of a font handle
// deletes the font. Done when the first font is made; calling it again is harmless.
void RegisterFontDeleter();

}  // namespace ql::text
