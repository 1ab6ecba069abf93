// The band toolbars' button images: one strip of square faces in colour, each
// picturing what its button does, at the normal or the small button size. The
// build draws them (shell/resources/tool_faces/toolbar_faces.py).
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace ql {

constexpr int32_t kToolbarImageSize = 24;
constexpr int32_t kSmallToolbarImageSize = 16;
constexpr int32_t kToolbarImageCount = 43;
// The strips' resource ids (files <id>.png of the faces folder) by size.
constexpr int32_t kToolbarStripId = 490;
constexpr int32_t kSmallToolbarStripId = 491;

// The strip of kToolbarImageCount images of `size` pixels, read anew; null for
// another size or when the file is missing or not of the strip's size (the
// buttons then show no face). The caller deletes it.
platform::BitmapHandle MakeToolbarStrip(int32_t size);

// A strip of the palette's button faces as the palette shows them (each on the
// palette's button colour), one image of `size` pixels a button, so that a band
// of the palette's tools wears the palette's own pictures; null when the strip
// cannot be made. The caller deletes it.
platform::BitmapHandle MakePaletteStrip(int palette, int32_t size);

}  // namespace ql
