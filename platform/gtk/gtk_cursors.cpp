// Cursors on the display, made from the layer's cursors once per handle.
#include "platform/gtk/gtk_cursors.h"

#include <cairo.h>

namespace ql::gtk {
namespace {

struct ShapeName {
    win::SystemCursor shape;
    const char* name;
};

constexpr ShapeName kShapeNames[] = {
    {win::SystemCursor::Arrow, "default"},
    {win::SystemCursor::IBeam, "text"},
    {win::SystemCursor::Wait, "wait"},
    {win::SystemCursor::Cross, "crosshair"},
    {win::SystemCursor::UpArrow, "default"},
    {win::SystemCursor::SizeNwse, "nwse-resize"},
    {win::SystemCursor::SizeNesw, "nesw-resize"},
    {win::SystemCursor::SizeWe, "ew-resize"},
    {win::SystemCursor::SizeNs, "ns-resize"},
    {win::SystemCursor::SizeAll, "move"},
    {win::SystemCursor::No, "not-allowed"},
    {win::SystemCursor::Hand, "pointer"},
};

constexpr uint32_t kAlphaShift = 24;
constexpr uint32_t kChannelMask = 0xFF;

// Cairo keeps colours multiplied by their alpha.
uint32_t Premultiplied(uint32_t argb) {
    const uint32_t alpha = argb >> kAlphaShift;
    uint32_t result = alpha << kAlphaShift;
    for (uint32_t shift : {0u, 8u, 16u}) {
        const uint32_t channel = (argb >> shift) & kChannelMask;
        result |= ((channel * alpha + kChannelMask / 2) / kChannelMask) << shift;
    }
    return result;
}

}  // namespace

cairo_surface_t* CursorImageSurface(const sys::CursorResource& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
        return nullptr;
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int32_t y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int32_t x = 0; x < image.width; ++x)
            row[x] = Premultiplied(
                image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) +
                             static_cast<size_t>(x)]);
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

namespace {

GdkCursor* MakeImageCursor(GdkDisplay* display, const sys::CursorResource& image) {
    cairo_surface_t* surface = CursorImageSurface(image);
    if (surface == nullptr) return nullptr;
    GdkCursor* cursor =
        gdk_cursor_new_from_surface(display, surface, image.hotSpot.x, image.hotSpot.y);
    cairo_surface_destroy(surface);
    return cursor;
}

GdkCursor* MakeNamedCursor(GdkDisplay* display, win::SystemCursor shape) {
    GdkCursor* cursor = gdk_cursor_new_from_name(display, CursorNameOf(shape));
    return cursor != nullptr ? cursor : gdk_cursor_new_from_name(display, "default");
}

}  // namespace

const char* CursorNameOf(win::SystemCursor shape) {
    for (const ShapeName& entry : kShapeNames)
        if (entry.shape == shape) return entry.name;
    return "default";
}

GtkCursorCache::~GtkCursorCache() {
    for (auto& [bits, cursor] : made_)
        if (cursor != nullptr) g_object_unref(cursor);
}

GdkCursor* GtkCursorCache::Find(GdkDisplay* display, win::CursorHandle cursor) {
    if (!cursor || display == nullptr) return nullptr;
    auto found = made_.find(cursor.bits);
    if (found != made_.end()) return found->second;
    const int32_t id = win::CursorResourceId(cursor);
    if (id == 0) return nullptr;  // stale: not kept, the handle may come back as another cursor
    GdkCursor* made = nullptr;
    if (win::IsSystemCursor(cursor)) {
        made = MakeNamedCursor(display, static_cast<win::SystemCursor>(id));
    } else if (std::shared_ptr<const sys::CursorResource> image = sys::FindCursor(id)) {
        made = MakeImageCursor(display, *image);
    }
    if (made != nullptr) made_.emplace(cursor.bits, made);
    return made;
}

}  // namespace ql::gtk
