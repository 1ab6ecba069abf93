// Pixel images of the drawing layer: an opaque ARGB32 Cairo image surface with
// direct pixel access. Cairo and direct access take turns: call BeginPixels before
// touching pixels and EndPixels after writing them (Cairo caches otherwise).
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/gfx/types.h"

namespace ql::gfx::detail {

constexpr uint32_t kOpaqueAlpha = 0xFF000000u;
constexpr uint32_t kRgbMask = 0x00FFFFFFu;
constexpr uint32_t kBlackPixel = kOpaqueAlpha;
constexpr uint32_t kWhitePixel = 0xFFFFFFFFu;

// Colour (0x00BBGGRR) to pixel (0xFFRRGGBB) and back.
constexpr uint32_t PixelOf(Colour c) {
    return kOpaqueAlpha | (static_cast<uint32_t>(RedOf(c)) << 16) |
           (static_cast<uint32_t>(GreenOf(c)) << 8) | BlueOf(c);
}
constexpr Colour ColourOf(uint32_t pixel) {
    return Rgb(static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
               static_cast<uint8_t>(pixel));
}
// Black or white by brightness (used for monochrome images).
uint32_t MonochromePixelOf(uint32_t pixel);

class Image {
public:
    // Null when the surface cannot be made (invalid size, out of memory).
    static std::unique_ptr<Image> Create(int width, int height, uint32_t fill, bool monochrome);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    bool monochrome() const { return monochrome_; }
    cairo_surface_t* surface() const { return surface_; }
    Rect bounds() const { return Rect{0, 0, width_, height_}; }

    void BeginPixels() const;
    void EndPixels();
    uint32_t* Row(int y) { return reinterpret_cast<uint32_t*>(data_ + static_cast<size_t>(y) * stride_); }
    const uint32_t* Row(int y) const {
        return reinterpret_cast<const uint32_t*>(data_ + static_cast<size_t>(y) * stride_);
    }
    uint32_t At(int x, int y) const { return Row(y)[x]; }
    // Pixels from the start of one row to the start of the next.
    ptrdiff_t RowStep() const { return stride_ / static_cast<int>(sizeof(uint32_t)); }

    // Replaces the surface by one of the new size; keeps the overlap, fills the rest.
    bool Resize(int width, int height, uint32_t fill);
    std::unique_ptr<Image> Copy(const Rect& area) const;

private:
    Image(cairo_surface_t* surface, bool monochrome);
    cairo_surface_t* surface_ = nullptr;
    unsigned char* data_ = nullptr;  // the surface's pixels, kept for fast row access
    int stride_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool monochrome_ = false;
};

}  // namespace ql::gfx::detail
