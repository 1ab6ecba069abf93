// Pictures of the program's windows for its tests.
#include "shell/tests/program/window_pictures.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gfx/dc_access.h"
#include "platform/win/paint.h"

namespace ql::testing {
namespace {

cairo_surface_t* SurfaceOf(platform::WindowHandle window) {
    cairo_surface_t* surface = gfx::BitmapSurfaceForDisplay(win::GetWindowImage(window));
    if (surface != nullptr) cairo_surface_flush(surface);
    return surface;
}

}  // namespace

uint64_t WindowImageHash(platform::WindowHandle window) {
    cairo_surface_t* surface = SurfaceOf(window);
    if (surface == nullptr) return 0;
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const size_t bytes = static_cast<size_t>(cairo_image_surface_get_stride(surface)) *
                         static_cast<size_t>(cairo_image_surface_get_height(surface));
    uint64_t hash = 1469598103934665603ull;
    for (size_t i = 0; i < bytes; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
    return hash;
}

int DarkWindowPixels(platform::WindowHandle window, int left, int right) {
    constexpr unsigned char kDark = 96;
    cairo_surface_t* surface = SurfaceOf(window);
    if (surface == nullptr) return -1;
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int dark = 0;
    for (int y = 0; y < height; ++y)
        for (int x = std::max(0, left); x < std::min(width, right); ++x) {
            const unsigned char* p = data + y * stride + x * 4;
            if (p[0] < kDark && p[1] < kDark && p[2] < kDark) ++dark;
        }
    return dark;
}

int PixelsAFullRepaintChanges(platform::WindowHandle window) {
    win::UpdateWindow(window);
    cairo_surface_t* surface = SurfaceOf(window);
    if (surface == nullptr) return -1;
    const size_t bytes = static_cast<size_t>(cairo_image_surface_get_stride(surface)) *
                         static_cast<size_t>(cairo_image_surface_get_height(surface));
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const std::vector<unsigned char> before(data, data + bytes);
    win::InvalidateRect(window, nullptr, true);
    win::UpdateWindow(window);
    surface = SurfaceOf(window);
    if (surface == nullptr) return -1;
    data = cairo_image_surface_get_data(surface);
    const size_t now = static_cast<size_t>(cairo_image_surface_get_stride(surface)) *
                       static_cast<size_t>(cairo_image_surface_get_height(surface));
    int changed = 0;
    for (size_t i = 0; i + 3 < std::min(bytes, now); i += 4)
        changed += std::memcmp(data + i, before.data() + i, 4) != 0;
    return changed;
}

}  // namespace ql::testing
