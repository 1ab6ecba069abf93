// Blits: copying rectangles between contexts through a blit raster operation,
// with stretching (nearest pixel), mirroring, the colour rules between
// monochrome and colour images, and pattern-only fills. The source rectangle is
// copied first, so a blit within one image may overlap itself.
#include <algorithm>
#include <limits>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/detail/paint.h"

namespace ql::gfx {

using detail::Dc;
using detail::FindDc;
using detail::Image;

namespace {

constexpr uint32_t kTruthShift = 16;

// Truth table bits of an operation.
uint32_t TruthTable(uint32_t rop) { return (rop >> kTruthShift) & 0xFF; }

// The pixels a blit reads, copied from the source context.
struct BlitSource {
    std::shared_ptr<Image> pixels;  // the source area clipped to its image
    Point origin;                   // device position of pixels (0, 0)
    Rect box;                       // normalised source rectangle, device pixels
    bool mirrorX = false;
    bool mirrorY = false;
    uint32_t backgroundPixel = detail::kWhitePixel;
};

// A signed device rectangle: the corners as mapped, then normalised with the
// direction remembered.
struct DeviceBox {
    Rect box;
    bool flipX = false;
    bool flipY = false;
};

// Boxes reaching far beyond any image are cut to the Cairo range, which keeps
// their sizes and the sampling products of a stretch well inside 64 bits.
DeviceBox ToDeviceBox(const Dc& d, Rect logical) {
    Point a = MapLogicalToDevice(d.state.mapping, Point{logical.left, logical.top});
    Point b = MapLogicalToDevice(d.state.mapping, Point{logical.right, logical.bottom});
    auto cut = [](int32_t v) { return static_cast<int32_t>(detail::CairoCoordinate(v)); };
    return DeviceBox{Normalised(Rect{cut(a.x), cut(a.y), cut(b.x), cut(b.y)}), b.x < a.x, b.y < a.y};
}

std::optional<BlitSource> SnapshotSource(const Dc& s, Rect logical) {
    const Image* image = detail::ImageOf(s);
    if (!image) return std::nullopt;
    DeviceBox box = ToDeviceBox(s, logical);
    BlitSource src;
    src.box = box.box;
    src.mirrorX = box.flipX;
    src.mirrorY = box.flipY;
    src.backgroundPixel = detail::PixelOf(s.state.backgroundColour);
    Rect area = Intersect(box.box, image->bounds());
    if (!area.IsEmpty()) {
        src.pixels = image->Copy(area);
        src.origin = Point{area.left, area.top};
    }
    return src;
}

// Source pixel for destination offset (i, j) within a destination of size w x h;
// false when it falls outside the source image.
bool SamplePixel(const BlitSource& src, int i, int j, int w, int h, bool flipX, bool flipY, uint32_t* out) {
    if (!src.pixels) return false;
    int64_t sw = src.box.Width(), sh = src.box.Height();
    int64_t u = (int64_t{2} * i + 1) * sw / (int64_t{2} * w);
    int64_t v = (int64_t{2} * j + 1) * sh / (int64_t{2} * h);
    if (flipX != src.mirrorX) u = sw - 1 - u;
    if (flipY != src.mirrorY) v = sh - 1 - v;
    int64_t x = src.box.left + u - src.origin.x, y = src.box.top + v - src.origin.y;
    if (x < 0 || y < 0 || x >= src.pixels->width() || y >= src.pixels->height()) return false;
    *out = src.pixels->At(static_cast<int>(x), static_cast<int>(y));
    return true;
}

// Converts a source pixel to the destination's format (see bitmap.h).
uint32_t ConvertForDestination(uint32_t s, bool sourceMono, const Dc& dest, bool destMono, uint32_t sourceBk) {
    if (sourceMono && !destMono)
        return (s & detail::kRgbMask) == 0 ? detail::PixelOf(dest.state.textColour)
                                           : detail::PixelOf(dest.state.backgroundColour);
    if (!sourceMono && destMono)
        return ((s ^ sourceBk) & detail::kRgbMask) == 0 ? detail::kWhitePixel : detail::kBlackPixel;
    return s;
}

bool BlitOntoImage(Dc& dest, Image& image, const DeviceBox& target, const BlitSource* src, uint32_t rop) {
    Rect area = Intersect(target.box, detail::DeviceClipOf(dest));
    if (area.IsEmpty()) return true;
    detail::Ink pattern = dest.state.brush ? detail::Ink::ForBrush(dest.state.brush, dest.state) : detail::Ink();
    bool sourceMono = src && src->pixels && src->pixels->monochrome();
    int w = target.box.Width(), h = target.box.Height();
    image.BeginPixels();
    for (int y = area.top; y < area.bottom; ++y) {
        uint32_t* row = image.Row(y);
        for (int x = area.left; x < area.right; ++x) {
            uint32_t s = 0, p = 0;
            if (src) {
                if (!SamplePixel(*src, x - target.box.left, y - target.box.top, w, h, target.flipX, target.flipY, &s))
                    continue;
                s = ConvertForDestination(s, sourceMono, dest, image.monochrome(), src->backgroundPixel);
            }
            if (!pattern.PixelAt(x, y, &p)) p = 0;
            if (image.monochrome()) p = detail::MonochromePixelOf(p);
            row[x] = detail::ApplyRop3(rop, p, s, row[x]);
        }
    }
    image.EndPixels();
    return true;
}

// On paper only copies make sense. Source AND and destination XNOR source are
// drawn as their result on white paper: the source with white left out.
bool BlitOntoPage(Dc& dest, const DeviceBox& target, const BlitSource& src, uint32_t rop) {
    bool copy = rop == RasterOp::SourceCopy, invert = rop == RasterOp::NotSourceCopy;
    bool overWhite = rop == RasterOp::SourceAnd || rop == RasterOp::DestXnorSource;
    if (!copy && !invert && !overWhite) return true;
    int w = target.box.Width(), h = target.box.Height();
    auto tile = Image::Create(w, h, detail::kWhitePixel, false);
    if (!tile) return false;
    bool sourceMono = src.pixels && src.pixels->monochrome();
    tile->BeginPixels();
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            uint32_t s = detail::kWhitePixel;
            if (SamplePixel(src, i, j, w, h, target.flipX, target.flipY, &s))
                s = ConvertForDestination(s, sourceMono, dest, false, src.backgroundPixel);
            if (invert) s = (~s & detail::kRgbMask) | detail::kOpaqueAlpha;
            if (overWhite && s == detail::kWhitePixel) s = 0;  // transparent
            tile->Row(j)[i] = s;
        }
    tile->EndPixels();
    cairo_t* cr = detail::OpenPageInk(dest);
    if (!cr) return false;
    cairo_set_source_surface(cr, tile->surface(), target.box.left, target.box.top);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, target.box.left, target.box.top, w, h);
    cairo_fill(cr);
    cairo_destroy(cr);
    return true;
}

bool BlitOnto(DcHandle destHandle, Rect destLogical, std::shared_ptr<const BlitSource> src, uint32_t rop) {
    Dc* dest = FindDc(destHandle);
    if (!dest) return false;
    if (dest->IsRecording()) {
        dest->calls.push_back([destLogical, src, rop](DcHandle t) { BlitOnto(t, destLogical, src, rop); });
        return true;
    }
    DeviceBox target = ToDeviceBox(*dest, destLogical);
    if (target.box.IsEmpty()) return true;
    if (Image* image = detail::ImageOf(*dest)) return BlitOntoImage(*dest, *image, target, src.get(), rop);
    if (dest->kind == ContextKind::Printer && src) return BlitOntoPage(*dest, target, *src, rop);
    return dest->kind == ContextKind::Printer;
}

}  // namespace

bool RasterOpUsesSource(uint32_t rop) {
    uint32_t t = TruthTable(rop);
    return ((t >> 2) & 0x33) != (t & 0x33);
}

bool RasterOpUsesPattern(uint32_t rop) {
    uint32_t t = TruthTable(rop);
    return ((t >> 4) & 0x0F) != (t & 0x0F);
}

bool StretchBlit(DcHandle dest, Rect destRect, DcHandle source, Rect sourceRect, uint32_t rop) {
    if (!FindDc(dest)) return false;
    std::shared_ptr<const BlitSource> src;
    if (RasterOpUsesSource(rop)) {
        const Dc* s = FindDc(source);
        if (!s) return false;
        std::optional<BlitSource> snapshot = SnapshotSource(*s, sourceRect);
        if (!snapshot) return false;
        src = std::make_shared<const BlitSource>(std::move(*snapshot));
    }
    return BlitOnto(dest, destRect, std::move(src), rop);
}

namespace {
// The rectangle of `size` at `origin`; the far corner saturates at the 32-bit range.
Rect RectAt(Point origin, Size size) {
    auto end = [](int32_t from, int32_t length) {
        return static_cast<int32_t>(std::clamp<int64_t>(int64_t{from} + length, std::numeric_limits<int32_t>::min(),
                                                        std::numeric_limits<int32_t>::max()));
    };
    return Rect{origin.x, origin.y, end(origin.x, size.cx), end(origin.y, size.cy)};
}
}  // namespace

bool BitBlit(DcHandle dest, Point destOrigin, Size size, DcHandle source, Point sourceOrigin, uint32_t rop) {
    return StretchBlit(dest, RectAt(destOrigin, size), source, RectAt(sourceOrigin, size), rop);
}

bool PatternBlit(DcHandle dc, Rect logical, uint32_t rop) {
    if (RasterOpUsesSource(rop)) return false;
    Dc* d = FindDc(dc);
    if (!d) return false;
    if (d->kind == ContextKind::Printer) {
        // Paper takes pattern copies and plain black or white; feedback is skipped.
        detail::Ink ink = rop == RasterOp::Blackness   ? detail::Ink::Solid(kBlack)
                          : rop == RasterOp::Whiteness ? detail::Ink::Solid(kWhite)
                          : rop == RasterOp::PatternCopy && d->state.brush
                              ? detail::Ink::ForBrush(d->state.brush, d->state)
                              : detail::Ink();
        return detail::FillBoxWithInk(*d, ToDeviceBox(*d, logical).box, ink, Rop2::CopyPen);
    }
    return BlitOnto(dc, logical, nullptr, rop);
}

}  // namespace ql::gfx
