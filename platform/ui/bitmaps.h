// Bitmaps from the resource bundles, made into drawing-layer bitmaps.
#pragma once

#include "platform/handles.h"
#include "platform/sys/resources.h"

namespace ql::ui {

// A new colour bitmap the caller owns (gfx::DeleteObject); null when the
// resource is missing or its pixel count does not match its size.
platform::BitmapHandle LoadBitmap(const sys::ResourceId& id, sys::Lookup lookup = sys::Lookup::LanguageThenProgram);

}  // namespace ql::ui
