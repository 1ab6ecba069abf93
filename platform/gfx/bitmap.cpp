// Bitmaps: creation (image, compatible, monochrome, from colours, from PNG),
// pixel reads, resizing of window images and PNG output.
#include "platform/gfx/bitmap.h"

#include <utility>

#include "platform/gfx/dc_access.h"
#include "platform/gfx/detail/registry.h"

namespace ql::gfx {

using detail::Dc;
using detail::FindBitmap;
using detail::FindDc;
using detail::Image;

namespace {

constexpr int kMonoRowAlignBits = 16;
constexpr int kBitsPerByte = 8;

BitmapHandle AddBitmap(std::unique_ptr<Image> image) {
    if (!image) return BitmapHandle{};
    auto b = std::make_unique<detail::Bitmap>();
    b->image = std::move(image);
    return detail::Reg().bitmaps.Add(std::move(b));
}

}  // namespace

namespace {
bool g_failNextImageBitmap = false;
}  // namespace

void FailNextImageBitmap() {
    g_failNextImageBitmap = true;
}

BitmapHandle CreateImageBitmap(int width, int height) {
    if (std::exchange(g_failNextImageBitmap, false)) return BitmapHandle{};
    return AddBitmap(Image::Create(width, height, detail::kWhitePixel, false));
}

BitmapHandle CreateCompatibleBitmap(DcHandle dc, int width, int height) {
    const Dc* d = FindDc(dc);
    bool mono = false;
    if (d && d->kind == ContextKind::Memory)
        if (const Image* current = detail::ImageOf(*d)) mono = current->monochrome();
    return AddBitmap(Image::Create(width, height, detail::kBlackPixel, mono));
}

BitmapHandle CreateMonochromeBitmap(int width, int height, const uint8_t* bits) {
    auto image = Image::Create(width, height, detail::kBlackPixel, true);
    if (!image) return BitmapHandle{};
    if (bits) {
        int rowBytes = (width + kMonoRowAlignBits - 1) / kMonoRowAlignBits * (kMonoRowAlignBits / kBitsPerByte);
        image->BeginPixels();
        for (int y = 0; y < height; ++y) {
            uint32_t* row = image->Row(y);
            const uint8_t* src = bits + static_cast<size_t>(y) * rowBytes;
            for (int x = 0; x < width; ++x) {
                bool white = (src[x / kBitsPerByte] >> (kBitsPerByte - 1 - x % kBitsPerByte)) & 1;
                row[x] = white ? detail::kWhitePixel : detail::kBlackPixel;
            }
        }
        image->EndPixels();
    }
    return AddBitmap(std::move(image));
}

BitmapHandle CreateBitmapFromColours(int width, int height, const std::vector<Colour>& colours) {
    if (width < 1 || height < 1 || colours.size() != static_cast<size_t>(width) * height) return BitmapHandle{};
    auto image = Image::Create(width, height, detail::kBlackPixel, false);
    if (!image) return BitmapHandle{};
    image->BeginPixels();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image->Row(y)[x] = detail::PixelOf(colours[static_cast<size_t>(y) * width + x]);
    image->EndPixels();
    return AddBitmap(std::move(image));
}

BitmapHandle LoadPng(const std::string& path) {
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(png) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(png);
        return BitmapHandle{};
    }
    auto image = Image::Create(cairo_image_surface_get_width(png), cairo_image_surface_get_height(png),
                               detail::kWhitePixel, false);
    if (image) {
        // Composite over white, so transparent parts read as white.
        cairo_t* cr = cairo_create(image->surface());
        cairo_set_source_surface(cr, png, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(image->surface());
    }
    cairo_surface_destroy(png);
    return AddBitmap(std::move(image));
}

bool GetBitmapInfo(BitmapHandle bitmap, BitmapInfo* out) {
    const detail::Bitmap* b = FindBitmap(bitmap);
    if (!b || !out) return false;
    *out = BitmapInfo{b->image->width(), b->image->height(), b->image->monochrome()};
    return true;
}

Colour GetBitmapPixel(BitmapHandle bitmap, int x, int y) {
    const detail::Bitmap* b = FindBitmap(bitmap);
    if (!b || !b->image->bounds().Contains(Point{x, y})) return kInvalidColour;
    b->image->BeginPixels();
    return detail::ColourOf(b->image->At(x, y));
}

std::vector<Colour> ReadBitmapPixels(BitmapHandle bitmap) {
    const detail::Bitmap* b = FindBitmap(bitmap);
    if (!b) return {};
    const Image& image = *b->image;
    image.BeginPixels();
    std::vector<Colour> out;
    out.reserve(static_cast<size_t>(image.width()) * image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) out.push_back(detail::ColourOf(image.At(x, y)));
    return out;
}

bool ResizeImageBitmap(BitmapHandle bitmap, int width, int height) {
    detail::Bitmap* b = FindBitmap(bitmap);
    if (!b || bitmap == detail::Reg().stockBitmap) return false;
    return b->image->Resize(width, height, detail::kWhitePixel);
}

bool WritePng(BitmapHandle bitmap, const std::string& path) {
    const detail::Bitmap* b = FindBitmap(bitmap);
    if (!b) return false;
    cairo_surface_flush(b->image->surface());
    return cairo_surface_write_to_png(b->image->surface(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

BitmapHandle GetContextImage(DcHandle dc) {
    const Dc* d = FindDc(dc);
    if (!d) return BitmapHandle{};
    if (d->kind == ContextKind::Window || d->kind == ContextKind::Paint) return d->backing;
    if (d->kind == ContextKind::Memory) return d->state.bitmap;
    return BitmapHandle{};
}

bool WriteContextPng(DcHandle dc, const std::string& path) { return WritePng(GetContextImage(dc), path); }

namespace {
cairo_status_t AppendPngBytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}
}  // namespace

std::optional<std::vector<uint8_t>> EncodePng(BitmapHandle bitmap) {
    const detail::Bitmap* b = FindBitmap(bitmap);
    if (!b) return std::nullopt;
    cairo_surface_flush(b->image->surface());
    std::vector<uint8_t> bytes;
    if (cairo_surface_write_to_png_stream(b->image->surface(), AppendPngBytes, &bytes) != CAIRO_STATUS_SUCCESS)
        return std::nullopt;
    return bytes;
}

}  // namespace ql::gfx

namespace ql::gfx {

cairo_surface_t* BitmapSurfaceForDisplay(BitmapHandle bitmap) {
    detail::Bitmap* b = FindBitmap(bitmap);
    if (!b || !b->image) return nullptr;
    b->image->BeginPixels();  // Cairo sees direct pixel writes
    return b->image->surface();
}

}  // namespace ql::gfx
