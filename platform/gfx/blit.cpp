// Blits: copying rectangles between contexts through a blit raster operation,
// with stretching (nearest pixel), mirroring, the colour rules between
// monochrome and colour images, and pattern-only fills. The source rectangle is
// copied first, so a blit within one image may overlap itself.
#include <algorithm>
#include <limits>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/detail/blit_rows.h"
#include "platform/gfx/detail/paint.h"
#include "platform/gfx/detail/stroke_telling.h"

namespace ql::gfx {

using detail::Dc;
using detail::FindDc;
using detail::Image;

namespace {

using detail::BlitSource;
using detail::BlitTarget;
using detail::DeviceBox;

DeviceBox ToDeviceBox(const Dc& d, Rect logical) {
    Point a = MapLogicalToDevice(d.state.mapping, Point{logical.left, logical.top});
    Point b = MapLogicalToDevice(d.state.mapping, Point{logical.right, logical.bottom});
    return DeviceBox{Normalised(Rect{a.x, a.y, b.x, b.y}), b.x < a.x, b.y < a.y};
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

// The target of a blit on this context: the box cut to the drawable range and the clip.
BlitTarget TargetOn(const Dc& dest, const DeviceBox& box) {
    return BlitTarget{box, Intersect(detail::CutToDrawableRange(box.box), detail::DeviceClipOf(dest)),
                      detail::PixelOf(dest.state.textColour), detail::PixelOf(dest.state.backgroundColour)};
}

bool BlitOntoImage(Dc& dest, Image& image, const DeviceBox& box, const BlitSource* src, uint32_t rop) {
    BlitTarget target = TargetOn(dest, box);
    if (target.area.IsEmpty()) return true;
    detail::Ink pattern = dest.state.brush ? detail::Ink::ForBrush(dest.state.brush, dest.state) : detail::Ink();
    image.BeginPixels();
    detail::BlitRows(image, target, src, pattern, rop);
    image.EndPixels();
    return true;
}

// On paper only copies make sense. Source AND and destination XNOR source are
// drawn as their result on white paper: the source with white left out. The
// tile covers the part of the target on the page.
bool BlitOntoPage(Dc& dest, const DeviceBox& target, const BlitSource& src, uint32_t rop) {
    bool copy = rop == RasterOp::SourceCopy, invert = rop == RasterOp::NotSourceCopy;
    bool overWhite = rop == RasterOp::SourceAnd || rop == RasterOp::DestXnorSource;
    if (!copy && !invert && !overWhite) return true;
    if (!dest.printer || !dest.printer->inPage) return false;
    BlitTarget clipped = TargetOn(dest, target);
    const Rect& area = clipped.area;
    if (area.IsEmpty()) return true;
    int w = area.Width(), h = area.Height();
    auto tile = Image::Create(w, h, detail::kWhitePixel, false);
    if (!tile) return false;
    bool sourceMono = src.pixels && src.pixels->monochrome();
    int64_t skipX = int64_t{area.left} - target.box.left, skipY = int64_t{area.top} - target.box.top;
    tile->BeginPixels();
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            uint32_t s = detail::kWhitePixel;
            if (detail::SamplePixel(src, target, skipX + i, skipY + j, &s))
                s = detail::ConvertForDestination(s, sourceMono, false, clipped, src.backgroundPixel);
            if (invert) s = (~s & detail::kRgbMask) | detail::kOpaqueAlpha;
            if (overWhite && s == detail::kWhitePixel) s = 0;  // transparent
            tile->Row(j)[i] = s;
        }
    tile->EndPixels();
    detail::PageInk* page = detail::PageInkOf(dest);
    cairo_surface_flush(tile->surface());
    return page && page->AddImage(cairo_image_surface_get_data(tile->surface()),
                                  cairo_image_surface_get_stride(tile->surface()), w, h, area.left, area.top,
                                  detail::DeviceClipOf(dest));
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
    uint32_t t = detail::Rop3TruthTable(rop);
    return ((t >> 2) & 0x33) != (t & 0x33);
}

bool RasterOpUsesPattern(uint32_t rop) {
    uint32_t t = detail::Rop3TruthTable(rop);
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
// The length both sides of an unstretched copy can take from `a` and `b` without
// either passing the 32-bit range: both lose the same far part, so the copy
// stays unstretched.
int32_t CommonLength(int32_t a, int32_t b, int32_t length) {
    constexpr int64_t kLowest = std::numeric_limits<int32_t>::min();
    constexpr int64_t kHighest = std::numeric_limits<int32_t>::max();
    int64_t common = length >= 0 ? std::min<int64_t>(length, kHighest - std::max(a, b))
                                 : std::max<int64_t>(length, kLowest - std::min(a, b));
    return static_cast<int32_t>(common);
}

Rect RectAt(Point origin, Size size) {
    return Rect{origin.x, origin.y, origin.x + size.cx, origin.y + size.cy};
}
}  // namespace

bool BitBlit(DcHandle dest, Point destOrigin, Size size, DcHandle source, Point sourceOrigin, uint32_t rop) {
    Size common{CommonLength(destOrigin.x, sourceOrigin.x, size.cx),
                CommonLength(destOrigin.y, sourceOrigin.y, size.cy)};
    return StretchBlit(dest, RectAt(destOrigin, common), source, RectAt(sourceOrigin, common), rop);
}

bool PatternBlit(DcHandle dc, Rect logical, uint32_t rop) {
    if (RasterOpUsesSource(rop)) return false;
    Dc* d = FindDc(dc);
    if (!d) return false;
    if (detail::StrokeTapSet() && (rop == RasterOp::PatternCopy || rop == RasterOp::Blackness)) {
        static const BrushDesc kBlackBrush{};
        const Point corners[2] = {{logical.left, logical.top}, {logical.right, logical.bottom}};
        detail::TellStroke(*d, dc, StrokeShape::Fill, corners, false,
                           rop == RasterOp::Blackness ? &kBlackBrush : d->state.brush.get());
    }
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
