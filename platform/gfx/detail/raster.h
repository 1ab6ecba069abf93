// Raster operations on pixels: the truth tables of pen and blit operations, the
// coverage masks that shapes are rasterised into, and the inks (pen colour,
// solid, hatched or pattern brush) that a mask is combined with.
#pragma once

#include <cairo.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/gfx/detail/image.h"
#include "platform/gfx/detail/registry.h"

namespace ql::gfx::detail {

// Results on the 24 colour bits; alpha is forced opaque.
inline uint32_t ApplyRop2(Rop2 rop, uint32_t pen, uint32_t destination) {
    const uint32_t table = static_cast<uint32_t>(rop) - 1;
    uint32_t r = 0;
    if (table & 1) r |= ~pen & ~destination;
    if (table & 2) r |= ~pen & destination;
    if (table & 4) r |= pen & ~destination;
    if (table & 8) r |= pen & destination;
    return (r & kRgbMask) | kOpaqueAlpha;
}
// The truth table of a blit operation: bits 16-23, indexed by (pattern << 2) | (source << 1) | destination.
constexpr uint32_t Rop3TruthTable(uint32_t rop) { return (rop >> 16) & 0xFF; }
uint32_t ApplyRop3(uint32_t rop, uint32_t pattern, uint32_t source, uint32_t destination);

// Covered device pixels within `bounds`: dense (a byte per pixel, for areas) or
// sparse (a list of pixels, for thin lines across large images). Dense rows are
// laid out as an 8-bit Cairo image, so shapes are rasterised straight into them;
// a byte of at least half coverage counts as covered.
class Mask {
public:
    Mask() = default;
    explicit Mask(const Rect& bounds);
    static Mask Sparse(const Rect& bounds);
    // A dense mask with every pixel of `bounds` covered.
    static Mask Filled(const Rect& bounds);
    const Rect& bounds() const { return bounds_; }
    bool IsEmpty() const { return bounds_.IsEmpty(); }
    bool IsSparse() const { return sparse_; }
    bool Covered(int x, int y) const;  // dense masks only
    void Set(int x, int y) {  // ignored outside the bounds
        if (!bounds_.Contains(Point{x, y})) return;
        if (sparse_) AddPoint(x, y);
        else coverage_[static_cast<size_t>(y - bounds_.top) * stride_ + (x - bounds_.left)] = kCoveredByte;
    }
    // Dense masks: the coverage bytes of device row y (inside the bounds), indexed
    // by x - bounds().left; and the rows as a whole, `stride` bytes apart.
    const uint8_t* CoverageRow(int y) const {
        return coverage_.data() + static_cast<size_t>(y - bounds_.top) * stride_;
    }
    uint8_t* CoverageData() { return coverage_.data(); }
    int stride() const { return stride_; }
    // Sparse masks: sorts the pixels and drops repeats (call once after the last Set).
    void Finish();
    const std::vector<Point>& points() const { return points_; }
    // Clears every pixel that `other` covers (this mask dense).
    void Subtract(const Mask& other);

private:
    static constexpr uint8_t kCoveredByte = 0xFF;
    void AddPoint(int x, int y);
    Rect bounds_;
    int stride_ = 0;
    bool sparse_ = false;
    std::vector<uint8_t> coverage_;
    std::vector<Point> points_;
};

using PathFn = std::function<void(cairo_t*)>;

// Rasterises without antialiasing what `paint` fills or strokes (device
// coordinates) into a mask clipped to `area`.
Mask RasteriseWithCairo(const Rect& area, const PathFn& paint);
// Device bounds of the path that `build` makes, grown by `margin` pixels.
Rect PathBounds(const PathFn& build, double margin);

// What a mask is painted with, resolved for one context.
class Ink {
public:
    static Ink Solid(Colour colour);
    static Ink ForBrush(const std::shared_ptr<const BrushDesc>& brush, const DcState& state);
    bool IsNull() const { return kind_ == Kind::Null; }
    // The one pixel of a solid ink; false for any other kind.
    bool SolidPixel(uint32_t* out) const {
        if (kind_ != Kind::Solid) return false;
        *out = colour_;
        return true;
    }
    // False where the ink leaves the pixel alone (hatch gaps in transparent mode).
    bool PixelAt(int x, int y, uint32_t* out) const;
    // A Cairo source for vector surfaces (caller destroys it); null for null ink.
    cairo_pattern_t* MakeCairoSource() const;

private:
    enum class Kind { Null, Solid, Hatched, Pattern };
    Kind kind_ = Kind::Null;
    uint32_t colour_ = kBlackPixel;
    uint32_t gapColour_ = kWhitePixel;
    bool paintsGaps_ = false;
    HatchStyle hatch_ = HatchStyle::Horizontal;
    std::shared_ptr<const BrushDesc> pattern_;
    uint32_t textPixel_ = kBlackPixel;
    uint32_t backgroundPixel_ = kWhitePixel;
};

// Combines every covered pixel of `mask` with the image by `rop`.
void CombineMask(Image& image, const Mask& mask, const Ink& ink, Rop2 rop);
// Combines every pixel of `area` (device pixels, cut to the image) with the image.
void CombineRect(Image& image, const Rect& area, const Ink& ink, Rop2 rop);
// Combines one pen pixel by `rop` with the pixels x0..x1-1 of row y, or with the
// rows y0..y1-1 of column x; the caller has cut the run to the image. The pen is
// mapped to black or white on monochrome images.
void CombineRow(Image& image, int y, int x0, int x1, uint32_t pen, Rop2 rop);
void CombineColumn(Image& image, int x, int y0, int y1, uint32_t pen, Rop2 rop);

}  // namespace ql::gfx::detail
