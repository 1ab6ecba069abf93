// Raster operations on pixels: truth tables, coverage masks and inks.
// A pen operation's value - 1 is its truth table indexed by (pen << 1) | dest;
// a blit operation's bits 16-23 are its table indexed by (pat << 2) | (src << 1) | dest.
// Both are evaluated on all colour bits at once. Covered pixels are combined in
// runs along a row, with the operation resolved once per run for a solid ink.
#include "platform/gfx/detail/raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ql::gfx::detail {

namespace {
constexpr int kHatchSize = 8;
constexpr uint8_t kCovered = 0xFF;
constexpr uint8_t kHalfCoverage = 0x80;
// Dense masks are scanned a word at a time: the high bit of each byte.
constexpr int kWordBytes = 8;
constexpr uint64_t kHalfCoverageBits = 0x8080808080808080ull;

bool HatchCovers(HatchStyle h, int x, int y) {
    const int mask = kHatchSize - 1;
    bool horizontal = (y & mask) == 0;
    bool vertical = (x & mask) == 0;
    bool forward = ((x - y) & mask) == 0;
    bool backward = ((x + y) & mask) == 0;
    switch (h) {
    case HatchStyle::Horizontal: return horizontal;
    case HatchStyle::Vertical: return vertical;
    case HatchStyle::ForwardDiagonal: return forward;
    case HatchStyle::BackwardDiagonal: return backward;
    case HatchStyle::Cross: return horizontal || vertical;
    case HatchStyle::DiagonalCross: return forward || backward;
    }
    return false;
}

int Wrap(int v, int n) {
    int r = v % n;
    return r < 0 ? r + n : r;
}

// Bytes from one row of a dense mask to the next (Cairo's 8-bit row alignment).
int CoverageStride(int width) {
    return width > 0 ? cairo_format_stride_for_width(CAIRO_FORMAT_A8, width) : 0;
}

// Visits the runs of covered pixels of `mask` inside `area` (area within the
// bounds) as visit(y, x0, x1), x1 excluded. Sparse masks give one-pixel runs.
template <typename VisitRun>
void ForEachCoveredRun(const Mask& mask, const Rect& area, VisitRun&& visit) {
    if (mask.IsSparse()) {
        for (Point p : mask.points())
            if (area.Contains(p)) visit(p.y, p.x, p.x + 1);
        return;
    }
    const int left = mask.bounds().left;
    for (int y = area.top; y < area.bottom; ++y) {
        const uint8_t* coverage = mask.CoverageRow(y);
        auto covered = [&](int x) { return coverage[x - left] >= kHalfCoverage; };
        for (int x = area.left; x < area.right;) {
            uint64_t word = 0;
            if (x + kWordBytes <= area.right) {
                std::memcpy(&word, coverage + (x - left), kWordBytes);
                if ((word & kHalfCoverageBits) == 0) {  // eight uncovered pixels
                    x += kWordBytes;
                    continue;
                }
            }
            if (!covered(x)) {
                ++x;
                continue;
            }
            int start = x;
            while (x + kWordBytes <= area.right) {  // eight covered pixels at a time
                std::memcpy(&word, coverage + (x - left), kWordBytes);
                if ((word & kHalfCoverageBits) != kHalfCoverageBits) break;
                x += kWordBytes;
            }
            while (x < area.right && covered(x)) ++x;
            visit(y, start, x);
        }
    }
}

// Visits every covered pixel of `mask` inside `area`.
template <typename Visit>
void ForEachCovered(const Mask& mask, const Rect& area, Visit&& visit) {
    ForEachCoveredRun(mask, area, [&](int y, int x0, int x1) {
        for (int x = x0; x < x1; ++x) visit(x, y);
    });
}

// Combines one pixel value with the pixels x0..x1-1 of a row; copy ink is a plain fill.
// Other operations are resolved for the pen once: the result is whatever the
// truth table gives for destination bits 0 (from `ifClear`) and 1 (`ifSet`).
void CombineRun(uint32_t* row, int x0, int x1, uint32_t pen, Rop2 rop) {
    if (rop == Rop2::CopyPen) {
        std::fill(row + x0, row + x1, (pen & kRgbMask) | kOpaqueAlpha);
        return;
    }
    const uint32_t ifClear = ApplyRop2(rop, pen, 0), ifSet = ApplyRop2(rop, pen, ~0u);
    for (int x = x0; x < x1; ++x) {
        uint32_t d = row[x];
        row[x] = (((~d & ifClear) | (d & ifSet)) & kRgbMask) | kOpaqueAlpha;
    }
}

// The pixel an ink gives at (x, y) on this image, or false where it leaves a gap.
bool InkOnImage(const Ink& ink, const Image& image, int x, int y, uint32_t* out) {
    if (!ink.PixelAt(x, y, out)) return false;
    if (image.monochrome()) *out = MonochromePixelOf(*out);
    return true;
}
}  // namespace

uint32_t ApplyRop3(uint32_t rop, uint32_t p, uint32_t s, uint32_t d) {
    uint32_t table = Rop3TruthTable(rop);
    uint32_t r = 0;
    for (uint32_t i = 0; i < 8; ++i) {
        if (!(table & (1u << i))) continue;
        uint32_t term = ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
        r |= term;
    }
    return (r & kRgbMask) | kOpaqueAlpha;
}

Mask::Mask(const Rect& bounds)
    : bounds_(bounds.IsEmpty() ? Rect{} : bounds),
      stride_(CoverageStride(bounds_.Width())),
      coverage_(static_cast<size_t>(stride_) * bounds_.Height(), 0) {}

Mask Mask::Filled(const Rect& bounds) {
    Mask m(bounds);
    std::fill(m.coverage_.begin(), m.coverage_.end(), kCovered);
    return m;
}

Mask Mask::Sparse(const Rect& bounds) {
    Mask m;
    m.bounds_ = bounds.IsEmpty() ? Rect{} : bounds;
    m.sparse_ = true;
    return m;
}

void Mask::Finish() {
    auto before = [](Point a, Point b) { return a.y != b.y ? a.y < b.y : a.x < b.x; };
    std::sort(points_.begin(), points_.end(), before);
    points_.erase(std::unique(points_.begin(), points_.end()), points_.end());
}

bool Mask::Covered(int x, int y) const {
    if (sparse_ || !bounds_.Contains(Point{x, y})) return false;
    return CoverageRow(y)[x - bounds_.left] >= kHalfCoverage;
}

void Mask::AddPoint(int x, int y) { points_.push_back(Point{x, y}); }

void Mask::Subtract(const Mask& other) {
    if (sparse_) return;
    Rect overlap = Intersect(bounds_, other.bounds_);
    ForEachCoveredRun(other, overlap, [&](int y, int x0, int x1) {
        uint8_t* row = coverage_.data() + static_cast<size_t>(y - bounds_.top) * stride_;
        std::fill(row + (x0 - bounds_.left), row + (x1 - bounds_.left), uint8_t{0});
    });
}

// The shape is rasterised straight into the mask's rows.
Mask RasteriseWithCairo(const Rect& area, const PathFn& paint) {
    Mask mask(area);
    if (mask.IsEmpty()) return mask;
    cairo_surface_t* s = cairo_image_surface_create_for_data(mask.CoverageData(), CAIRO_FORMAT_A8, area.Width(),
                                                             area.Height(), mask.stride());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return Mask();
    }
    cairo_t* cr = cairo_create(s);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_translate(cr, -area.left, -area.top);
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(s);
    cairo_surface_destroy(s);
    return mask;
}

Rect PathBounds(const PathFn& build, double margin) {
    static cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cr = cairo_create(probe);
    build(cr);
    double x1, y1, x2, y2;
    cairo_path_extents(cr, &x1, &y1, &x2, &y2);
    cairo_destroy(cr);
    return Rect{static_cast<int32_t>(std::floor(x1 - margin)), static_cast<int32_t>(std::floor(y1 - margin)),
                static_cast<int32_t>(std::ceil(x2 + margin)) + 1, static_cast<int32_t>(std::ceil(y2 + margin)) + 1};
}

Ink Ink::Solid(Colour colour) {
    Ink ink;
    ink.kind_ = Kind::Solid;
    ink.colour_ = PixelOf(colour);
    return ink;
}

Ink Ink::ForBrush(const std::shared_ptr<const BrushDesc>& desc, const DcState& state) {
    Ink ink;
    if (!desc) return ink;
    const BrushDesc& brush = *desc;
    ink.colour_ = PixelOf(brush.colour);
    ink.gapColour_ = PixelOf(state.backgroundColour);
    ink.paintsGaps_ = state.backgroundMode == BackgroundMode::Opaque;
    ink.textPixel_ = PixelOf(state.textColour);
    ink.backgroundPixel_ = PixelOf(state.backgroundColour);
    switch (brush.style) {
    case BrushStyle::Solid: ink.kind_ = Kind::Solid; break;
    case BrushStyle::Null: ink.kind_ = Kind::Null; break;
    case BrushStyle::Hatched:
        ink.kind_ = Kind::Hatched;
        ink.hatch_ = brush.hatch;
        break;
    case BrushStyle::Pattern:
        if (brush.patternWidth < 1 || brush.patternHeight < 1) break;
        ink.kind_ = Kind::Pattern;
        ink.pattern_ = desc;
        break;
    }
    return ink;
}

bool Ink::PixelAt(int x, int y, uint32_t* out) const {
    switch (kind_) {
    case Kind::Null: return false;
    case Kind::Solid: *out = colour_; return true;
    case Kind::Hatched:
        if (HatchCovers(hatch_, x, y)) {
            *out = colour_;
            return true;
        }
        *out = gapColour_;
        return paintsGaps_;
    case Kind::Pattern: {
        const BrushDesc& p = *pattern_;
        Colour c = p.pattern[static_cast<size_t>(Wrap(y, p.patternHeight)) * p.patternWidth +
                             Wrap(x, p.patternWidth)];
        if (p.monochromePattern) *out = (c == kBlack) ? textPixel_ : backgroundPixel_;
        else *out = PixelOf(c);
        return true;
    }
    }
    return false;
}

cairo_pattern_t* Ink::MakeCairoSource() const {
    if (kind_ == Kind::Null) return nullptr;
    if (kind_ == Kind::Solid)
        return cairo_pattern_create_rgb(((colour_ >> 16) & 0xFF) / 255.0, ((colour_ >> 8) & 0xFF) / 255.0,
                                        (colour_ & 0xFF) / 255.0);
    int w = kind_ == Kind::Pattern ? pattern_->patternWidth : kHatchSize;
    int h = kind_ == Kind::Pattern ? pattern_->patternHeight : kHatchSize;
    cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_flush(tile);
    unsigned char* data = cairo_image_surface_get_data(tile);
    int stride = cairo_image_surface_get_stride(tile);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < w; ++x) {
            uint32_t px = 0;
            row[x] = PixelAt(x, y, &px) ? px : 0;  // transparent where the ink leaves gaps
        }
    }
    cairo_surface_mark_dirty(tile);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile);
    cairo_surface_destroy(tile);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
    return pattern;
}

void CombineMask(Image& image, const Mask& mask, const Ink& ink, Rop2 rop) {
    Rect area = Intersect(mask.bounds(), image.bounds());
    if (area.IsEmpty() || ink.IsNull()) return;
    image.BeginPixels();
    uint32_t solid = 0;
    if (ink.SolidPixel(&solid)) {
        if (image.monochrome()) solid = MonochromePixelOf(solid);
        ForEachCoveredRun(mask, area, [&](int y, int x0, int x1) { CombineRun(image.Row(y), x0, x1, solid, rop); });
    } else {
        ForEachCovered(mask, area, [&](int x, int y) {
            uint32_t src = 0;
            uint32_t* row = image.Row(y);
            if (InkOnImage(ink, image, x, y, &src)) row[x] = ApplyRop2(rop, src, row[x]);
        });
    }
    image.EndPixels();
}

void CombineRect(Image& image, const Rect& rect, const Ink& ink, Rop2 rop) {
    Rect area = Intersect(rect, image.bounds());
    if (area.IsEmpty() || ink.IsNull()) return;
    image.BeginPixels();
    uint32_t solid = 0;
    if (ink.SolidPixel(&solid)) {
        if (image.monochrome()) solid = MonochromePixelOf(solid);
        for (int y = area.top; y < area.bottom; ++y) CombineRun(image.Row(y), area.left, area.right, solid, rop);
    } else {
        for (int y = area.top; y < area.bottom; ++y) {
            uint32_t* row = image.Row(y);
            for (int x = area.left; x < area.right; ++x) {
                uint32_t src = 0;
                if (InkOnImage(ink, image, x, y, &src)) row[x] = ApplyRop2(rop, src, row[x]);
            }
        }
    }
    image.EndPixels();
}

void CombineRow(Image& image, int y, int x0, int x1, uint32_t pen, Rop2 rop) {
    if (x0 >= x1) return;
    if (image.monochrome()) pen = MonochromePixelOf(pen);
    image.BeginPixels();
    CombineRun(image.Row(y), x0, x1, pen, rop);
    image.EndPixels();
}

void CombineColumn(Image& image, int x, int y0, int y1, uint32_t pen, Rop2 rop) {
    if (y0 >= y1) return;
    if (image.monochrome()) pen = MonochromePixelOf(pen);
    image.BeginPixels();
    const uint32_t ifClear = ApplyRop2(rop, pen, 0), ifSet = ApplyRop2(rop, pen, ~0u);
    const ptrdiff_t step = image.RowStep();
    uint32_t* px = image.Row(y0) + x;
    for (int y = y0; y < y1; ++y, px += step) *px = (((~*px & ifClear) | (*px & ifSet)) & kRgbMask) | kOpaqueAlpha;
    image.EndPixels();
}

}  // namespace ql::gfx::detail
