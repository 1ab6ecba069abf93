// Single pixels and flood fill. Flood fill walks the image scanline by scanline
// from the start point, within the clip, collecting the area into a mask that is
// then painted with the brush by the raster operation.
#include <vector>

#include "platform/gfx/draw.h"
#include "platform/gfx/detail/paint.h"

namespace ql::gfx {

using detail::Dc;
using detail::FindDc;
using detail::Image;

namespace {

// True for pixels the fill may spread into.
struct FloodRule {
    uint32_t colour;
    FloodMode mode;
    bool Accepts(uint32_t pixel) const {
        bool same = ((pixel ^ colour) & detail::kRgbMask) == 0;
        return mode == FloodMode::Border ? !same : same;
    }
};

detail::Mask FloodMask(const Image& image, const Rect& clip, Point start, const FloodRule& rule) {
    detail::Mask mask(clip);
    std::vector<Point> pending{start};
    while (!pending.empty()) {
        Point p = pending.back();
        pending.pop_back();
        if (mask.Covered(p.x, p.y) || !rule.Accepts(image.At(p.x, p.y))) continue;
        int left = p.x, right = p.x;
        while (left - 1 >= clip.left && !mask.Covered(left - 1, p.y) && rule.Accepts(image.At(left - 1, p.y))) --left;
        while (right + 1 < clip.right && !mask.Covered(right + 1, p.y) && rule.Accepts(image.At(right + 1, p.y)))
            ++right;
        for (int x = left; x <= right; ++x) {
            mask.Set(x, p.y);
            if (p.y - 1 >= clip.top) pending.push_back(Point{x, p.y - 1});
            if (p.y + 1 < clip.bottom) pending.push_back(Point{x, p.y + 1});
        }
    }
    return mask;
}

}  // namespace

bool FloodFill(DcHandle dc, Point start, Colour colour, FloodMode mode) {
    Dc* d = FindDc(dc);
    if (!d) return false;
    if (d->IsRecording()) {
        d->calls.push_back([start, colour, mode](DcHandle t) { FloodFill(t, start, colour, mode); });
        return true;
    }
    Image* image = detail::ImageOf(*d);
    if (!image || !d->state.brush) return false;
    Rect clip = detail::DeviceClipOf(*d);
    Point p = MapLogicalToDevice(d->state.mapping, start);
    if (!clip.Contains(p)) return false;
    uint32_t target = detail::PixelOf(colour);
    if (image->monochrome()) target = detail::MonochromePixelOf(target);
    image->BeginPixels();
    FloodRule rule{target, mode};
    if (!rule.Accepts(image->At(p.x, p.y))) return false;
    detail::Mask mask = FloodMask(*image, clip, p, rule);
    detail::CombineMask(*image, mask, detail::Ink::ForBrush(d->state.brush, d->state), d->state.rop);
    return true;
}

Colour GetPixel(DcHandle dc, Point logical) {
    const Dc* d = FindDc(dc);
    if (!d) return kInvalidColour;
    const Image* image = detail::ImageOf(*d);
    Point p = MapLogicalToDevice(d->state.mapping, logical);
    if (!image || !detail::DeviceClipOf(*d).Contains(p)) return kInvalidColour;
    image->BeginPixels();
    return detail::ColourOf(image->At(p.x, p.y));
}

bool SetPixel(DcHandle dc, Point logical, Colour colour) {
    Dc* d = FindDc(dc);
    if (!d) return false;
    if (d->IsRecording()) {
        d->calls.push_back([logical, colour](DcHandle t) { SetPixel(t, logical, colour); });
        return true;
    }
    Point p = MapLogicalToDevice(d->state.mapping, logical);
    if (!detail::DeviceClipOf(*d).Contains(p)) return false;
    Image* image = detail::ImageOf(*d);
    if (!image) {
        return detail::FillWithInk(
            *d, [p](cairo_t* cr) { cairo_rectangle(cr, p.x, p.y, 1, 1); }, FillMode::Winding,
            detail::Ink::Solid(colour), Rop2::CopyPen);
    }
    image->BeginPixels();
    uint32_t px = detail::PixelOf(colour);
    image->Row(p.y)[p.x] = image->monochrome() ? detail::MonochromePixelOf(px) : px;
    image->EndPixels();
    return true;
}

}  // namespace ql::gfx
