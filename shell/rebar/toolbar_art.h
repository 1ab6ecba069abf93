// The band toolbars' button images, drawn by the program: one strip of square
// images, each a coloured mark of its own shape on a light face, at the normal
// or the small button size.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace ql {

constexpr int32_t kToolbarImageSize = 24;
constexpr int32_t kSmallToolbarImageSize = 16;
constexpr int32_t kToolbarImageCount = 43;

// A new strip of kToolbarImageCount images of `size` pixels; null when the
// bitmap cannot be made. The caller deletes it.
platform::BitmapHandle MakeToolbarStrip(int32_t size);

}  // namespace ql
