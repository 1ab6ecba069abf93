// Pixel images: creation, copying and resizing of opaque ARGB32 surfaces.
#include "platform/gfx/detail/image.h"

#include <algorithm>
#include <cstring>

namespace ql::gfx::detail {

namespace {
// Larger images are refused rather than risking a huge allocation.
constexpr int kMaxImageSide = 32767;
// Rec. 601 luma weights, out of 1000.
constexpr uint32_t kLumaRed = 299;
constexpr uint32_t kLumaGreen = 587;
constexpr uint32_t kLumaBlue = 114;
constexpr uint32_t kLumaScale = 1000;
constexpr uint32_t kHalfBrightness = 128;

void FillSurface(cairo_surface_t* surface, int width, int height, uint32_t fill) {
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        std::fill(row, row + width, fill);
    }
    cairo_surface_mark_dirty(surface);
}
}  // namespace

uint32_t MonochromePixelOf(uint32_t pixel) {
    uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    uint32_t luma = (r * kLumaRed + g * kLumaGreen + b * kLumaBlue) / kLumaScale;
    return luma >= kHalfBrightness ? kWhitePixel : kBlackPixel;
}

Image::Image(cairo_surface_t* surface, bool monochrome)
    : surface_(surface),
      data_(cairo_image_surface_get_data(surface)),
      stride_(cairo_image_surface_get_stride(surface)),
      width_(cairo_image_surface_get_width(surface)),
      height_(cairo_image_surface_get_height(surface)),
      monochrome_(monochrome) {}

Image::~Image() {
    if (surface_) cairo_surface_destroy(surface_);
}

std::unique_ptr<Image> Image::Create(int width, int height, uint32_t fill, bool monochrome) {
    if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) return nullptr;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    FillSurface(s, width, height, monochrome ? MonochromePixelOf(fill) : (fill | kOpaqueAlpha));
    return std::unique_ptr<Image>(new Image(s, monochrome));
}

void Image::BeginPixels() const { cairo_surface_flush(surface_); }
void Image::EndPixels() { cairo_surface_mark_dirty(surface_); }

bool Image::Resize(int width, int height, uint32_t fill) {
    auto next = Create(width, height, fill, monochrome_);
    if (!next) return false;
    BeginPixels();
    int w = std::min(width, width_), h = std::min(height, height_);
    for (int y = 0; y < h; ++y) std::memcpy(next->Row(y), Row(y), sizeof(uint32_t) * w);
    next->EndPixels();
    std::swap(surface_, next->surface_);
    std::swap(data_, next->data_);
    std::swap(stride_, next->stride_);
    std::swap(width_, next->width_);
    std::swap(height_, next->height_);
    return true;
}

std::unique_ptr<Image> Image::Copy(const Rect& area) const {
    Rect a = Intersect(area, bounds());
    if (a.IsEmpty()) return nullptr;
    auto out = Create(a.Width(), a.Height(), kBlackPixel, monochrome_);
    if (!out) return nullptr;
    BeginPixels();
    for (int y = 0; y < a.Height(); ++y)
        std::memcpy(out->Row(y), Row(a.top + y) + a.left, sizeof(uint32_t) * a.Width());
    out->EndPixels();
    return out;
}

}  // namespace ql::gfx::detail
