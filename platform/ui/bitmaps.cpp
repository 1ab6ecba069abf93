// Bitmaps from the resource bundles.
#include "platform/ui/bitmaps.h"

#include "platform/gfx/bitmap.h"

namespace ql::ui {

platform::BitmapHandle LoadBitmap(const sys::ResourceId& id, sys::Lookup lookup) {
    auto resource = sys::FindBitmap(id, lookup);
    if (!resource || resource->width <= 0 || resource->height <= 0) return platform::BitmapHandle{};
    auto expected = static_cast<size_t>(resource->width) * static_cast<size_t>(resource->height);
    if (resource->pixels.size() != expected) return platform::BitmapHandle{};
    return gfx::CreateBitmapFromColours(resource->width, resource->height, resource->pixels);
}

}  // namespace ql::ui
