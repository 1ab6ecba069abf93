// Painting shapes: one-pixel lines by direct stepping (the last point excluded,
// like every line of the program's drawing), wide and curved outlines and
// interiors by Cairo without antialiasing, combined with the image by the
// raster operation; vector drawing on PDF pages. A single one-pixel segment and a
// box interior go straight into the pixels: their pixels are distinct by
// construction, so no mask is needed to combine each of them once. A series of
// polylines or polygons in copy ink is painted in one pass, each pixel taking the
// ink of the last member that covers it, as painting them one by one would leave.
#include "platform/gfx/detail/paint.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iterator>

#include "platform/gfx/detail/figure_stamps.h"
#include "platform/gfx/detail/pdf_print_job.h"

namespace ql::gfx::detail {

namespace {

constexpr double kPixelCentre = 0.5;
constexpr double kBoundsMargin = 2.0;
// A polyline's pixels go into a dense mask (no sorting) while its bounds hold at
// most this many pixels, or this many per pixel of the line.
constexpr int64_t kDenseOutlineArea = 1 << 14;
constexpr int64_t kDenseAreaPerLinePixel = 8;

// Cosmetic dash lengths in pixels: on, off, on, off...
const std::vector<double> kDash{18, 6};
const std::vector<double> kDot{3, 3};
const std::vector<double> kDashDot{9, 6, 3, 6};
const std::vector<double> kDashDotDot{9, 3, 3, 3, 3, 3};

bool DashIsOn(const std::vector<double>& dash, int64_t position) {
    if (dash.empty()) return true;
    int64_t period = 0;
    for (double v : dash) period += static_cast<int64_t>(v);
    int64_t pos = position % period;
    for (size_t i = 0; i < dash.size(); ++i) {
        pos -= static_cast<int64_t>(dash[i]);
        if (pos < 0) return i % 2 == 0;
    }
    return false;
}

// The minor-axis offset of step i, round(i * dMinor / steps) with halves away
// from zero, kept as a quotient and remainder of |i * dMinor| + steps / 2 so that
// each further step costs an addition. Both factors may reach 2^32.
class MinorStepper {
public:
    MinorStepper(int64_t first, int64_t dMinor, int64_t steps)
        : sign_(dMinor < 0 ? -1 : 1), delta_(dMinor < 0 ? -dMinor : dMinor), steps_(steps) {
        __int128 n = static_cast<__int128>(first) * delta_ + steps / 2;
        quotient_ = static_cast<int64_t>(n / steps);
        remainder_ = static_cast<int64_t>(n % steps);
    }
    int64_t Offset() const { return sign_ * quotient_; }
    void Next() {
        remainder_ += delta_;  // delta <= steps: at most one carry
        if (remainder_ >= steps_) {
            remainder_ -= steps_;
            ++quotient_;
        }
    }

private:
    int64_t sign_;
    int64_t delta_;
    int64_t steps_;
    int64_t quotient_ = 0;
    int64_t remainder_ = 0;
};

// Steps along the longer axis; the shorter one is rounded per pixel, so the
// pixels are the same whatever part of the line `r` lets through. `plot(x, y)`
// gets each pixel whose major coordinate lies within `r` (the minor one may not).
template <typename Plot>
void StepLine(const Rect& r, Point a, Point b, const std::vector<double>& dash, int64_t& phase, Plot&& plot) {
    int64_t dx = int64_t{b.x} - a.x, dy = int64_t{b.y} - a.y;
    int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
    if (steps == 0) return;
    bool xMajor = std::llabs(dx) >= std::llabs(dy);
    int64_t start = xMajor ? a.x : a.y, startMinor = xMajor ? a.y : a.x;
    int64_t dMajor = xMajor ? dx : dy, dMinor = xMajor ? dy : dx;
    int sign = dMajor > 0 ? 1 : -1;
    int64_t lo = xMajor ? r.left : r.top, hi = xMajor ? r.right : r.bottom;
    int64_t first = sign > 0 ? std::max<int64_t>(0, lo - start) : std::max<int64_t>(0, start - hi + 1);
    int64_t last = sign > 0 ? std::min(steps, hi - start) : std::min(steps, start - lo + 1);
    if (first >= last) {
        phase += steps;
        return;
    }
    MinorStepper stepper(first, dMinor, steps);
    for (int64_t i = first; i < last; ++i, stepper.Next()) {
        if (!dash.empty() && !DashIsOn(dash, phase + i)) continue;
        int64_t major = start + sign * i;
        int minor = static_cast<int>(std::clamp<int64_t>(startMinor + stepper.Offset(), INT32_MIN, INT32_MAX));
        if (xMajor) plot(static_cast<int>(major), minor);
        else plot(minor, static_cast<int>(major));
    }
    phase += steps;
}

// Steps along each segment of a polyline (and back to its start when closed), the
// dashes running on from one segment to the next.
template <typename Plot>
void StepPolyline(const Rect& r, const std::vector<Point>& points, bool closed, const std::vector<double>& dash,
                  Plot&& plot) {
    int64_t phase = 0;
    for (size_t i = 1; i < points.size(); ++i) StepLine(r, points[i - 1], points[i], dash, phase, plot);
    if (closed) StepLine(r, points.back(), points.front(), dash, phase, plot);
}

// Pixels of one segment from a (included) to b (excluded) along one axis, cut
// to lo..hi-1: false when none is left.
bool AxisRun(int32_t a, int32_t b, int32_t lo, int32_t hi, int* from, int* to) {
    int64_t first = a < b ? a : int64_t{b} + 1, end = a < b ? b : int64_t{a} + 1;
    first = std::max<int64_t>(first, lo);
    end = std::min<int64_t>(end, hi);
    if (first >= end) return false;
    *from = static_cast<int>(first);
    *to = static_cast<int>(end);
    return true;
}

// A one-pixel segment combined straight into the image.
void DrawThinSegment(const Dc& d, Image& image, const Rect& clip, Point a, Point b) {
    uint32_t pen = PixelOf(d.state.pen.colour);
    Rop2 rop = d.state.rop;
    const std::vector<double>& dash = DashPattern(d.state.pen.style);
    int from = 0, to = 0;
    if (dash.empty() && a.y == b.y) {
        if (a.y >= clip.top && a.y < clip.bottom && AxisRun(a.x, b.x, clip.left, clip.right, &from, &to))
            CombineRow(image, a.y, from, to, pen, rop);
        return;
    }
    if (dash.empty() && a.x == b.x) {
        if (a.x >= clip.left && a.x < clip.right && AxisRun(a.y, b.y, clip.top, clip.bottom, &from, &to))
            CombineColumn(image, a.x, from, to, pen, rop);
        return;
    }
    if (image.monochrome()) pen = MonochromePixelOf(pen);
    image.BeginPixels();
    int64_t phase = 0;
    StepLine(clip, a, b, dash, phase, [&](int x, int y) {
        if (!clip.Contains(Point{x, y})) return;
        uint32_t* px = image.Row(y) + x;
        *px = ApplyRop2(rop, pen, *px);
    });
    image.EndPixels();
}

Rect PointsBounds(const std::vector<Point>& pts) {
    Rect r{pts[0].x, pts[0].y, pts[0].x, pts[0].y};
    for (Point p : pts) {
        r.left = std::min(r.left, p.x);
        r.top = std::min(r.top, p.y);
        r.right = std::max(r.right, p.x);
        r.bottom = std::max(r.bottom, p.y);
    }
    if (r.right < INT32_MAX) ++r.right;
    if (r.bottom < INT32_MAX) ++r.bottom;
    return r;
}

PathFn PolylinePath(const std::vector<Point>& pts, bool closed) {
    return [pts, closed](cairo_t* cr) { AddPolylinePath(cr, pts, closed); };
}

PathFn OutlinePath(const Outline& o) {
    return o.kind == Outline::Kind::Path ? o.path : PolylinePath(o.points, o.closed);
}

void SetStroke(cairo_t* cr, const Dc& d, int width) {
    cairo_set_line_width(cr, width);
    bool wide = width > 1;
    cairo_set_line_cap(cr, wide ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, wide ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER);
    std::vector<double> dash = DashPattern(d.state.pen.style);
    for (double& v : dash) v *= width;
    cairo_set_dash(cr, dash.data(), static_cast<int>(dash.size()), 0);
}

// Pixels the polyline's steps visit, at most a few per point of the path.
int64_t PolylineLength(const Outline& o) {
    int64_t length = 0;
    size_t n = o.points.size();
    for (size_t i = 0; i + 1 < n + (o.closed ? 1 : 0); ++i) {
        Point a = o.points[i], b = o.points[(i + 1) % n];
        length += std::max(std::llabs(int64_t{b.x} - a.x), std::llabs(int64_t{b.y} - a.y));
    }
    return length;
}

// A polyline's pixels: segments may cross, so the mask keeps each pixel once.
Mask PolylineMask(const Dc& d, const Outline& o, const Rect& clip) {
    Rect area = Intersect(PointsBounds(o.points), clip);
    int64_t pixels = int64_t{area.Width()} * area.Height();
    bool dense = pixels <= kDenseOutlineArea || pixels <= kDenseAreaPerLinePixel * PolylineLength(o);
    Mask mask = dense ? Mask(area) : Mask::Sparse(area);
    if (mask.IsEmpty()) return mask;
    StepPolyline(area, o.points, o.closed, DashPattern(d.state.pen.style), [&mask](int x, int y) { mask.Set(x, y); });
    if (!dense) mask.Finish();
    return mask;
}

// A one-pixel polyline in copy ink: a pixel it visits twice takes the pen's pixel
// either way, so its pixels go straight into the image, each as the mask of its
// pixels would have combined it.
bool IsThinCopyPolyline(const Dc& d, const Outline& o) {
    return o.kind == Outline::Kind::Polyline && !o.points.empty() && d.state.rop == Rop2::CopyPen &&
           PenDeviceWidth(d) == 1;
}

void DrawThinCopyPolyline(const Dc& d, Image& image, const Rect& clip, const Outline& o) {
    const Rect area = Intersect(PointsBounds(o.points), clip);
    const Rect shown = Intersect(area, image.bounds());
    if (shown.IsEmpty()) return;
    uint32_t pen = PixelOf(d.state.pen.colour);
    if (image.monochrome()) pen = MonochromePixelOf(pen);
    pen = ApplyRop2(Rop2::CopyPen, pen, 0);
    image.BeginPixels();
    StepPolyline(area, o.points, o.closed, DashPattern(d.state.pen.style), [&](int x, int y) {
        if (shown.Contains(Point{x, y})) image.Row(y)[x] = pen;
    });
    image.EndPixels();
}

Mask OutlineMask(const Dc& d, const Outline& o, const Rect& clip) {
    int width = PenDeviceWidth(d);
    if (o.kind == Outline::Kind::Polyline && width == 1) return PolylineMask(d, o, clip);
    PathFn path = OutlinePath(o);
    Rect area = Intersect(PathBounds(path, width / 2.0 + kBoundsMargin), clip);
    return RasteriseWithCairo(area, [&](cairo_t* cr) {
        path(cr);
        SetStroke(cr, d, width);
        cairo_stroke(cr);
    });
}

Mask FillMask(const PathFn& fill, FillMode mode, const Rect& clip) {
    Rect area = Intersect(PathBounds(fill, kBoundsMargin), clip);
    return RasteriseWithCairo(area, [&](cairo_t* cr) {
        fill(cr);
        cairo_set_fill_rule(cr, mode == FillMode::Winding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
        cairo_fill(cr);
    });
}

bool HasOutline(const Dc& d, const Outline& o) {
    if (d.state.pen.style == PenStyle::Null || o.kind == Outline::Kind::None) return false;
    return o.kind == Outline::Kind::Path || !o.points.empty();
}

// A shape in solid ink as page operations of its own: the interior filled by the
// fill mode, the outline stroked with the pen. False, with nothing drawn, for a
// hatched or patterned brush.
bool AddSolidShape(PageInk& page, const Dc& d, const PathFn* fill, FillMode mode, const Outline& outline,
                   const Ink& brush) {
    uint32_t fillPixel = 0;
    const bool filled = fill && !brush.IsNull();
    if (filled && !brush.SolidPixel(&fillPixel)) return false;
    const bool hasOutline = HasOutline(d, outline);
    PageStroke stroke;
    PathFn outlinePath;
    if (hasOutline) {
        const int width = PenDeviceWidth(d);
        const bool wide = width > 1;
        stroke.width = width;
        stroke.cap = wide ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT;
        stroke.join = wide ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER;
        stroke.dashes = DashPattern(d.state.pen.style);
        for (double& v : stroke.dashes) v *= width;
        outlinePath = OutlinePath(outline);
    }
    page.AddPathInk(filled ? fill : nullptr,
                    mode == FillMode::Winding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD, fillPixel,
                    hasOutline ? &outlinePath : nullptr, &stroke, PixelOf(d.state.pen.colour), DeviceClipOf(d));
    return true;
}

void PaintOnPage(cairo_t* cr, const Dc& d, const PathFn* fill, FillMode mode, const Outline& outline,
                 const Ink& brush) {
    if (fill && !brush.IsNull()) {
        cairo_pattern_t* source = brush.MakeCairoSource();
        cairo_set_source(cr, source);
        (*fill)(cr);
        cairo_set_fill_rule(cr, mode == FillMode::Winding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
        cairo_fill(cr);
        cairo_pattern_destroy(source);
    }
    if (HasOutline(d, outline)) {
        Colour c = d.state.pen.colour;
        cairo_set_source_rgb(cr, RedOf(c) / 255.0, GreenOf(c) / 255.0, BlueOf(c) / 255.0);
        OutlinePath(outline)(cr);
        SetStroke(cr, d, PenDeviceWidth(d));
        cairo_stroke(cr);
    }
}

}  // namespace

// Polygons within the Cairo range (all that reach an image) go to the path as
// they are; clipping would keep every vertex of them unchanged.
void AddPolygonPath(cairo_t* cr, const std::vector<Point>& points) {
    auto inRange = [](Point p) {
        return p.x >= -kCairoCoordinateLimit && p.x <= kCairoCoordinateLimit && p.y >= -kCairoCoordinateLimit &&
               p.y <= kCairoCoordinateLimit;
    };
    if (points.size() >= 3 && std::all_of(points.begin(), points.end(), inRange)) {
        cairo_move_to(cr, points[0].x, points[0].y);
        for (size_t i = 1; i < points.size(); ++i) cairo_line_to(cr, points[i].x, points[i].y);
        cairo_close_path(cr);
        return;
    }
    std::vector<DevicePoint> poly;
    for (Point p : points) poly.push_back(DevicePoint{double(p.x), double(p.y)});
    poly = CutToDrawableRange(poly);
    if (poly.size() < 3) return;
    cairo_move_to(cr, poly[0].x, poly[0].y);
    for (size_t i = 1; i < poly.size(); ++i) cairo_line_to(cr, poly[i].x, poly[i].y);
    cairo_close_path(cr);
}

void AddPolylinePath(cairo_t* cr, const std::vector<Point>& points, bool closed) {
    size_t segments = closed ? points.size() : points.size() - 1;
    bool clipped = false, open = false;
    for (size_t i = 0; i < segments; ++i) {
        Point from = points[i], to = points[(i + 1) % points.size()];
        DevicePoint a{from.x + kPixelCentre, from.y + kPixelCentre};
        DevicePoint b{to.x + kPixelCentre, to.y + kPixelCentre};
        DevicePoint ca = a, cb = b;
        if (!CutToDrawableRange(ca, cb)) {
            clipped = true;
            open = false;
            continue;
        }
        bool cut = ca.x != a.x || ca.y != a.y || cb.x != b.x || cb.y != b.y;
        if (!open || cut) cairo_move_to(cr, ca.x, ca.y);
        cairo_line_to(cr, cb.x, cb.y);
        open = !(cb.x != b.x || cb.y != b.y);
        clipped = clipped || cut;
    }
    if (closed && !clipped) cairo_close_path(cr);
}

int PenDeviceWidth(const Dc& d) {
    if (d.state.pen.width == 0) return 1;  // cosmetic pen, whatever the mapping
    Size s = MapLogicalToDeviceDistance(d.state.mapping, Size{d.state.pen.width, d.state.pen.width});
    return std::max(1, std::abs(s.cx));
}

const std::vector<double>& DashPattern(PenStyle style) {
    static const std::vector<double> solid;
    switch (style) {
    case PenStyle::Dash: return kDash;
    case PenStyle::Dot: return kDot;
    case PenStyle::DashDot: return kDashDot;
    case PenStyle::DashDotDot: return kDashDotDot;
    default: return solid;
    }
}

PageInk* PageInkOf(const Dc& d) {
    if (d.kind != ContextKind::Printer || !d.printer || !d.printer->inPage) return nullptr;
    PrinterJob& job = *d.printer;
    if (!job.page)
        job.page = std::make_unique<PageInk>(job.surface, job.unitsPerDotX, job.unitsPerDotY, job.pdf.get());
    return job.page.get();
}

cairo_t* OpenPageInk(const Dc& d) {
    PageInk* page = PageInkOf(d);
    return page ? page->Begin(DeviceClipOf(d)) : nullptr;
}

void ClosePageInk(const Dc& d) {
    if (PageInk* page = PageInkOf(d)) page->End();
}

namespace {

// The interior of a shape: a path, or a box of device pixels.
struct Interior {
    const PathFn* path = nullptr;
    const Rect* box = nullptr;
    FillMode mode = FillMode::Winding;
};

PathFn BoxPath(const Rect& box) {
    Rect r = CutToDrawableRange(box);
    return [r](cairo_t* cr) {
        if (!r.IsEmpty()) cairo_rectangle(cr, r.left, r.top, r.Width(), r.Height());
    };
}

bool IsThinSegment(const Dc& d, const Outline& o) {
    return o.kind == Outline::Kind::Polyline && o.points.size() == 2 && !o.closed && PenDeviceWidth(d) == 1;
}

void PaintInterior(Image& image, const Dc& d, const Interior& inside, const Rect& clip, const Mask& edge,
                   const Ink& brush) {
    if (inside.box && edge.IsEmpty()) {
        CombineRect(image, Intersect(*inside.box, clip), brush, d.state.rop);
        return;
    }
    Mask mask = inside.box ? Mask::Filled(Intersect(*inside.box, clip)) : FillMask(*inside.path, inside.mode, clip);
    mask.Subtract(edge);
    CombineMask(image, mask, brush, d.state.rop);
}

// The one colour a shape is drawn in: its solid brush, its pen, or both when they
// are the same; none for a hatched or patterned brush or two colours.
std::optional<uint32_t> OneColourOf(const Dc& d, bool filled, const Outline& outline, const Ink& brush) {
    std::optional<uint32_t> colour;
    if (filled && !brush.IsNull()) {
        uint32_t pixel = 0;
        if (!brush.SolidPixel(&pixel)) return std::nullopt;
        colour = pixel & kRgbMask;
    }
    if (HasOutline(d, outline)) {
        const uint32_t pen = PixelOf(d.state.pen.colour) & kRgbMask;
        if (colour && *colour != pen) return std::nullopt;
        colour = pen;
    }
    return colour;
}

// A box of solid ink, or a 1-pixel solid straight line, gathered into the
// page's boxes; false for any other shape.
bool AddPageBox(PageInk& page, const Dc& d, const Interior& inside, const Outline& outline, const Ink& brush) {
    const bool hasOutline = HasOutline(d, outline);
    uint32_t pixel = 0;
    PageBox box;
    if (inside.box && !hasOutline && brush.SolidPixel(&pixel)) {
        const Rect r = CutToDrawableRange(*inside.box);
        if (!r.IsEmpty()) page.AddBox(PageBox{double(r.left), double(r.top), double(r.right), double(r.bottom)},
                                      pixel, DeviceClipOf(d));
        return true;
    }
    if (inside.path || inside.box || !hasOutline || outline.kind != Outline::Kind::Polyline ||
        outline.points.size() != 2 || outline.closed || d.state.pen.style != PenStyle::Solid ||
        PenDeviceWidth(d) != 1 || !StraightThinLineBox(outline.points[0], outline.points[1], &box))
        return false;
    page.AddBox(box, PixelOf(d.state.pen.colour), DeviceClipOf(d));
    return true;
}

// A shape of one solid colour drawn with a solid pen, gathered into the page's
// runs of that colour: its interior when it is a convex polygon, its outline as
// it is; false (nothing gathered) for any other shape.
bool GatherOnPage(PageInk& page, const Dc& d, const PathFn* fill, const Outline& outline, const Ink& brush,
                  uint32_t colour) {
    const bool hasOutline = HasOutline(d, outline);
    if (hasOutline && d.state.pen.style != PenStyle::Solid) return false;
    const Rect clip = DeviceClipOf(d);
    PageInk::Gathered gathered = PageInk::Gathered::Fill;
    if (fill && !brush.IsNull()) {
        const bool thinPolygon = hasOutline && outline.kind == Outline::Kind::Polyline && outline.closed &&
                                 PenDeviceWidth(d) == 1;
        if (thinPolygon && outline.tracesFill && page.AddOutlinedPolygon(outline.points, colour, clip)) return true;
        gathered = page.AddConvexFill(*fill, colour, clip, thinPolygon ? &outline.points : nullptr);
        if (gathered == PageInk::Gathered::No) return false;
    }
    if (hasOutline && gathered != PageInk::Gathered::FillAndOutline)
        page.AddStroke(OutlinePath(outline), PenDeviceWidth(d), colour, clip);
    return true;
}

bool PaintShape(Dc& d, const Interior& inside, const Outline& outline) {
    bool hasInterior = inside.path || inside.box;
    Ink brush = hasInterior && d.state.brush ? Ink::ForBrush(d.state.brush, d.state) : Ink();
    if (PageInk* page = PageInkOf(d)) {
        // Paper never shows raster feedback: only copy ink is printed.
        if (d.state.rop != Rop2::CopyPen || AddPageBox(*page, d, inside, outline, brush)) return true;
        PathFn boxPath = inside.box ? BoxPath(*inside.box) : PathFn();
        const PathFn* fill = inside.box ? &boxPath : inside.path;
        const std::optional<uint32_t> colour = OneColourOf(d, fill != nullptr, outline, brush);
        if (colour && GatherOnPage(*page, d, fill, outline, brush, *colour)) return true;
        if (AddSolidShape(*page, d, fill, inside.mode, outline, brush)) return true;
        cairo_t* cr = colour ? page->BeginInColour(DeviceClipOf(d), *colour) : page->Begin(DeviceClipOf(d));
        PaintOnPage(cr, d, fill, inside.mode, outline, brush);
        page->End();
        return true;
    }
    Image* image = ImageOf(d);
    if (!image) return false;
    Rect clip = DeviceClipOf(d);
    if (clip.IsEmpty()) return true;
    bool hasOutline = HasOutline(d, outline);
    if (!hasInterior && hasOutline && IsThinSegment(d, outline)) {
        DrawThinSegment(d, *image, clip, outline.points[0], outline.points[1]);
        return true;
    }
    if (!hasInterior && hasOutline && IsThinCopyPolyline(d, outline)) {
        DrawThinCopyPolyline(d, *image, clip, outline);
        return true;
    }
    Mask edge = hasOutline ? OutlineMask(d, outline, clip) : Mask();
    if (hasInterior && !brush.IsNull()) PaintInterior(*image, d, inside, clip, edge, brush);
    if (!edge.IsEmpty()) CombineMask(*image, edge, Ink::Solid(d.state.pen.colour), d.state.rop);
    return true;
}

}  // namespace

bool DrawShape(Dc& d, const PathFn* fill, FillMode mode, const Outline& outline) {
    return PaintShape(d, Interior{fill, nullptr, mode}, outline);
}

namespace {

Rect Grown(const Rect& r, int64_t by) {
    auto cut = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return Rect{cut(r.left - by), cut(r.top - by), cut(int64_t{r.right} + by), cut(int64_t{r.bottom} + by)};
}

Rect Bounding(const Rect& a, const Rect& b) {
    if (a.IsEmpty()) return b;
    return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

// A single mask of a series pays off while it is not much larger than the members'
// own masks together (a diagonal series would leave most of it empty).
constexpr int64_t kSeriesAreaPerMemberArea = 4;
// Members are numbered in the bytes of a mask, 1..255, so a series is painted in
// runs of that many.
constexpr size_t kMembersPerRun = 255;
constexpr double kByteScale = 255.0;

// The area of a series' masks (empty when nothing is visible); false when one mask
// for all of it would be too sparse.
bool SeriesArea(const std::vector<std::vector<Point>>& series, int64_t reach, const Rect& clip, Rect* area) {
    int64_t memberArea = 0;
    *area = Rect{};
    for (const std::vector<Point>& points : series) {
        if (points.size() < 2) continue;
        Rect member = Intersect(Grown(PointsBounds(points), reach), clip);
        if (member.IsEmpty()) continue;
        memberArea += int64_t{member.Width()} * member.Height();
        *area = Bounding(*area, member);
    }
    return int64_t{area->Width()} * area->Height() <= kSeriesAreaPerMemberArea * memberArea;
}

// A polygon's path on a context that draws into `area`: placed in the area by
// hand where it lies within Cairo's range (Cairo then leaves its points as they
// are), else through the context's matrix.
void AddPolygonInArea(cairo_t* cr, const std::vector<Point>& points, const Rect& area, const cairo_matrix_t& toArea) {
    auto inRange = [](Point p) {
        return p.x >= -kCairoCoordinateLimit && p.x <= kCairoCoordinateLimit && p.y >= -kCairoCoordinateLimit &&
               p.y <= kCairoCoordinateLimit;
    };
    if (points.size() < 3 || !std::all_of(points.begin(), points.end(), inRange)) {
        cairo_set_matrix(cr, &toArea);
        AddPolygonPath(cr, points);
        return;
    }
    cairo_identity_matrix(cr);
    cairo_move_to(cr, points[0].x - area.left, points[0].y - area.top);
    for (size_t i = 1; i < points.size(); ++i) cairo_line_to(cr, points[i].x - area.left, points[i].y - area.top);
    cairo_close_path(cr);
}

// Each pixel of `area` numbered by the last member of the run [first, end) whose
// path `add` covers (0: none; a null `add` adds the members as polygons), filled or
// stroked as `paint` does.
Mask NumberedCover(const Rect& area, const std::vector<std::vector<Point>>& series, size_t first, size_t end,
                   const std::function<void(cairo_t*, const std::vector<Point>&)>& add,
                   const std::function<void(cairo_t*)>& paint) {
    return RasteriseWithCairo(area, [&](cairo_t* cr) {
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);  // a later member's number replaces an earlier one's
        cairo_matrix_t toArea;
        cairo_get_matrix(cr, &toArea);
        for (size_t k = first; k < end; ++k) {
            if (series[k].size() < 2) continue;
            cairo_set_source_rgba(cr, 0, 0, 0, static_cast<double>(k - first + 1) / kByteScale);
            if (!add) {
                AddPolygonInArea(cr, series[k], area, toArea);
            } else {
                add(cr, series[k]);
            }
            paint(cr);
        }
    });
}

// The members without points that repeat the one before: an interior and a
// one-pixel outline are the same without them (a step of no length has no pixels).
std::vector<Point> WithoutRepeats(const std::vector<Point>& points) {
    std::vector<Point> kept;
    if (points.size() < 2) return kept;
    kept.reserve(points.size());
    for (Point p : points)
        if (kept.empty() || p.x != kept.back().x || p.y != kept.back().y) kept.push_back(p);
    if (kept.size() < 2) kept.push_back(kept.back());  // still a member of two points
    return kept;
}

std::vector<std::vector<Point>> WithoutRepeats(const std::vector<std::vector<Point>>& series) {
    std::vector<std::vector<Point>> out(series.size());
    for (size_t k = 0; k < series.size(); ++k) out[k] = WithoutRepeats(series[k]);
    return out;
}

bool PaintPolySeries(Dc& d, Image& image, const std::vector<std::vector<Point>>& series, bool polygons,
                     const Rect& area, const Ink& brush);

// What a series is painted with in one pass: the brush (null for polylines), the
// pen's width and how far past its points it reaches, the image and its clip.
struct SeriesInk {
    Ink brush;
    bool hasPen = false;
    int width = 1;
    int64_t reach = 0;
    Image* image = nullptr;  // null when nothing would show
    Rect clip;
};
enum class SeriesCase { OnePass, MemberByMember };

// One pass gives the very pixels of painting member by member on an image, with
// copy ink and a solid or null brush (hatch gaps would show earlier members).
SeriesCase SeriesInkOf(Dc& d, bool polygons, SeriesInk* ink) {
    if (d.kind == ContextKind::Printer || d.state.rop != Rop2::CopyPen) return SeriesCase::MemberByMember;
    ink->brush = polygons && d.state.brush ? Ink::ForBrush(d.state.brush, d.state) : Ink();
    uint32_t solid = 0;
    if (!ink->brush.IsNull() && !ink->brush.SolidPixel(&solid)) return SeriesCase::MemberByMember;
    Image* image = ImageOf(d);
    if (!image) return SeriesCase::MemberByMember;
    ink->clip = DeviceClipOf(d);
    ink->hasPen = d.state.pen.style != PenStyle::Null;
    if (ink->clip.IsEmpty() || (!ink->hasPen && ink->brush.IsNull())) return SeriesCase::OnePass;
    ink->width = PenDeviceWidth(d);
    ink->reach = (ink->hasPen ? ink->width / 2 + 1 : 0) + static_cast<int64_t>(kBoundsMargin) + 1;
    ink->image = image;
    return SeriesCase::OnePass;
}

}  // namespace

// Painting the members one by one, each pixel ends with the ink of the last member
// that covers it: the pen where that member's outline covers it, else the brush.
// So each pixel is given the number of the last member whose interior covers it
// and of the last whose outline does, and then one ink or the other, once.
bool DrawPolySeries(Dc& d, const std::vector<std::vector<Point>>& series, bool polygons) {
    SeriesInk ink;
    if (SeriesInkOf(d, polygons, &ink) == SeriesCase::MemberByMember) return false;
    if (ink.image == nullptr) return true;  // nothing shows
    Rect area;
    if (!SeriesArea(series, ink.reach, ink.clip, &area)) return false;
    if (ink.width == 1) return PaintPolySeries(d, *ink.image, WithoutRepeats(series), polygons, area, ink.brush);
    return PaintPolySeries(d, *ink.image, series, polygons, area, ink.brush);
}

namespace {

// Paints a series onto an area of the image (see DrawPolySeries).
bool PaintPolySeries(Dc& d, Image& image, const std::vector<std::vector<Point>>& series, bool polygons,
                     const Rect& area, const Ink& brush) {
    bool hasPen = d.state.pen.style != PenStyle::Null;
    bool filled = !brush.IsNull();
    int width = PenDeviceWidth(d);
    if (area.IsEmpty()) return true;
    Mask penPixels(area), brushPixels(area);
    const std::vector<double>& dash = DashPattern(d.state.pen.style);
    auto fill = [&](cairo_t* cr) {
        cairo_set_fill_rule(cr, d.state.fillMode == FillMode::Winding ? CAIRO_FILL_RULE_WINDING
                                                                      : CAIRO_FILL_RULE_EVEN_ODD);
        cairo_fill(cr);
    };
    auto stroke = [&](cairo_t* cr) {
        SetStroke(cr, d, width);
        cairo_stroke(cr);
    };
    auto outlinePath = [polygons](cairo_t* cr, const std::vector<Point>& points) {
        AddPolylinePath(cr, points, polygons);
    };
    for (size_t first = 0; first < series.size(); first += kMembersPerRun) {
        size_t end = std::min(series.size(), first + kMembersPerRun);
        Mask interiors = filled ? NumberedCover(area, series, first, end, nullptr, fill) : Mask();
        Mask outlines;
        if (hasPen && width > 1) {
            outlines = NumberedCover(area, series, first, end, outlinePath, stroke);
        } else if (hasPen) {
            outlines = Mask(area);
            uint8_t* bytes = outlines.CoverageData();
            for (size_t k = first; k < end; ++k) {
                const std::vector<Point>& points = series[k];
                if (points.size() < 2) continue;
                auto number = static_cast<uint8_t>(k - first + 1);
                auto set = [&](int x, int y) {
                    if (!area.Contains(Point{x, y})) return;
                    bytes[static_cast<size_t>(y - area.top) * outlines.stride() + (x - area.left)] = number;
                };
                int64_t phase = 0;  // each member starts its dashes afresh
                for (size_t i = 1; i < points.size(); ++i) StepLine(area, points[i - 1], points[i], dash, phase, set);
                if (polygons) StepLine(area, points.back(), points.front(), dash, phase, set);
            }
        }
        for (int y = area.top; y < area.bottom; ++y) {
            const uint8_t* inside = interiors.IsEmpty() ? nullptr : interiors.CoverageRow(y);
            const uint8_t* edge = outlines.IsEmpty() ? nullptr : outlines.CoverageRow(y);
            uint8_t* pen = penPixels.CoverageData() + static_cast<size_t>(y - area.top) * penPixels.stride();
            uint8_t* ink = brushPixels.CoverageData() + static_cast<size_t>(y - area.top) * brushPixels.stride();
            for (int x = 0; x < area.Width(); ++x) {
                uint8_t e = edge ? edge[x] : 0, f = inside ? inside[x] : 0;
                if (e == 0 && f == 0) continue;
                bool byPen = e >= f;
                pen[x] = byPen ? 0xFF : 0;
                ink[x] = byPen ? 0 : 0xFF;
            }
        }
    }
    if (filled) CombineMask(image, brushPixels, brush, Rop2::CopyPen);
    if (hasPen) CombineMask(image, penPixels, Ink::Solid(d.state.pen.colour), Rop2::CopyPen);
    return true;
}

}  // namespace

// ---- A figure repeated by a whole-pixel step ----
// Painting copies of one figure one by one, each pixel ends with the ink of the
// last copy that covers it, as for any series. Moved by whole pixels, every copy
// covers the figure's own pixels moved along, so the figure is rasterised once
// into a stamp (each pixel: none, pen, or brush, the pen winning as within one
// member) and the stamp is laid down on the image copy after copy, a later copy
// overwriting: with copy ink and solid inks that is all painting one by one does.

namespace {

// Figures larger than this (pixels of their area) are painted as a plain series.
constexpr int64_t kLargestStampArea = int64_t{1} << 22;
enum StampPixel : uint8_t { kStampNone = 0, kStampPen = 1, kStampBrush = 2 };

Rect Moved(const Rect& r, int64_t dx, int64_t dy) {
    auto cut = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return Rect{cut(r.left + dx), cut(r.top + dy), cut(r.right + dx), cut(r.bottom + dy)};
}

// The figure's pixels over `own`: its interior with the brush (polygons with a
// brush), its outline with the pen, the outline winning.
std::vector<uint8_t> FigureStamp(Dc& d, const SeriesInk& ink, const std::vector<Point>& figure, bool polygons,
                                 const Rect& own) {
    Mask inside;
    if (!ink.brush.IsNull()) {
        inside = RasteriseWithCairo(own, [&](cairo_t* cr) {
            AddPolygonPath(cr, figure);
            cairo_set_fill_rule(cr, d.state.fillMode == FillMode::Winding ? CAIRO_FILL_RULE_WINDING
                                                                           : CAIRO_FILL_RULE_EVEN_ODD);
            cairo_fill(cr);
        });
    }
    Mask edge;
    if (ink.hasPen && ink.width > 1) {
        edge = RasteriseWithCairo(own, [&](cairo_t* cr) {
            AddPolylinePath(cr, figure, polygons);
            SetStroke(cr, d, ink.width);
            cairo_stroke(cr);
        });
    } else if (ink.hasPen) {
        edge = Mask(own);
        StepPolyline(own, figure, polygons, DashPattern(d.state.pen.style), [&edge](int x, int y) { edge.Set(x, y); });
    }
    std::vector<uint8_t> stamp(static_cast<size_t>(own.Width()) * static_cast<size_t>(own.Height()), kStampNone);
    for (int y = own.top; y < own.bottom; ++y) {
        const uint8_t* in = inside.IsEmpty() ? nullptr : inside.CoverageRow(y);
        const uint8_t* on = edge.IsEmpty() ? nullptr : edge.CoverageRow(y);
        uint8_t* out = stamp.data() + static_cast<size_t>(y - own.top) * own.Width();
        for (int x = 0; x < own.Width(); ++x) {
            if (on != nullptr && on[x] != 0) out[x] = kStampPen;
            else if (in != nullptr && in[x] != 0) out[x] = kStampBrush;
        }
    }
    return stamp;
}

// The stamp cut to the pixels it paints; `own` becomes their bounds (empty when
// it paints none).
std::vector<uint8_t> TightStamp(const std::vector<uint8_t>& stamp, Rect* own) {
    Rect tight;
    for (int y = own->top; y < own->bottom; ++y) {
        const uint8_t* row = stamp.data() + static_cast<size_t>(y - own->top) * own->Width();
        const uint8_t* end = row + own->Width();
        auto painted = [](uint8_t pixel) { return pixel != kStampNone; };
        const uint8_t* first = std::find_if(row, end, painted);
        if (first == end) continue;
        // One past the last painted pixel: the search back stops at `first` at the latest.
        const uint8_t* last =
            std::find_if(std::make_reverse_iterator(end), std::make_reverse_iterator(first), painted).base();
        tight = Bounding(tight, Rect{own->left + static_cast<int>(first - row), y,
                                     own->left + static_cast<int>(last - row), y + 1});
    }
    std::vector<uint8_t> cut(static_cast<size_t>(tight.Width()) * static_cast<size_t>(tight.Height()));
    for (int y = tight.top; y < tight.bottom; ++y)
        std::copy_n(stamp.data() + static_cast<size_t>(y - own->top) * own->Width() + (tight.left - own->left),
                    tight.Width(), cut.data() + static_cast<size_t>(y - tight.top) * tight.Width());
    *own = tight;
    return cut;
}

// The pixel a solid ink leaves on the image with copy ink.
uint32_t CopyPixelOf(const Image& image, const Ink& ink) {
    uint32_t pixel = kBlackPixel;
    ink.SolidPixel(&pixel);
    if (image.monochrome()) pixel = MonochromePixelOf(pixel);
    return ApplyRop2(Rop2::CopyPen, pixel, 0);
}

// Lays the stamp of `own` down on the image at an offset, inside `area`: with copy
// ink and solid inks, a later copy simply writes over an earlier one.
void LayStamp(const std::vector<uint8_t>& stamp, const Rect& own, int64_t dx, int64_t dy, const Rect& area,
              Image& image, const uint32_t inks[3]) {
    Rect placed = Intersect(Moved(own, dx, dy), area);
    for (int y = placed.top; y < placed.bottom; ++y) {
        const uint8_t* from = stamp.data() + static_cast<size_t>(y - dy - own.top) * own.Width() +
                              static_cast<size_t>(placed.left - dx - own.left);
        uint32_t* row = image.Row(y) + placed.left;
        for (int x = 0; x < placed.Width(); ++x)
            if (from[x] != kStampNone) row[x] = inks[from[x]];
    }
}

}  // namespace

bool DrawRepeatedFigure(Dc& d, const std::vector<Point>& figure, int copies, Point step, bool polygons) {
    SeriesInk ink;
    if (figure.size() < 2 || SeriesInkOf(d, polygons, &ink) == SeriesCase::MemberByMember) return false;
    if (ink.image == nullptr || copies <= 0) return true;
    // The stamp of a figure of the same shape and ink made before, or the figure's bounds.
    thread_local FigureStamps kept;
    const StampInk stampInk{polygons, !ink.brush.IsNull(), ink.hasPen, ink.width, ink.reach, d.state.pen.style,
                            d.state.fillMode};
    PlacedStamp placed;
    const bool found = kept.Find(figure, stampInk, &placed);
    std::vector<Point> points;
    if (!found) {
        points = ink.width == 1 ? WithoutRepeats(figure) : figure;
        placed.own = Grown(PointsBounds(points), ink.reach);
    }
    const Rect own = placed.own;
    if (int64_t{own.Width()} * own.Height() > kLargestStampArea) return false;
    // The copies' area, and whether one mask for all of them is worth it.
    Rect area;
    int64_t copiesArea = 0;
    for (int64_t k = 0; k < copies; ++k) {
        Rect at = Intersect(Moved(own, k * step.x, k * step.y), ink.clip);
        if (at.IsEmpty()) continue;
        copiesArea += int64_t{at.Width()} * at.Height();
        area = Bounding(area, at);
    }
    if (area.IsEmpty()) return true;
    if (int64_t{area.Width()} * area.Height() > kSeriesAreaPerMemberArea * copiesArea) return false;
    area = Intersect(area, ink.image->bounds());
    if (area.IsEmpty()) return true;
    std::vector<uint8_t> made;
    if (!found) {
        placed.painted = own;
        made = TightStamp(FigureStamp(d, ink, points, polygons, own), &placed.painted);
        kept.Keep(figure, stampInk, own, placed.painted, made);
        placed.pixels = &made;
    }
    const uint32_t inks[3] = {0, CopyPixelOf(*ink.image, Ink::Solid(d.state.pen.colour)),
                              CopyPixelOf(*ink.image, ink.brush)};
    ink.image->BeginPixels();
    for (int64_t k = 0; k < copies; ++k)
        LayStamp(*placed.pixels, placed.painted, k * step.x, k * step.y, area, *ink.image, inks);
    ink.image->EndPixels();
    return true;
}

bool DrawSegment(Dc& d, Point a, Point b) {
    if (d.kind != ContextKind::Printer && d.state.pen.style != PenStyle::Null && PenDeviceWidth(d) == 1) {
        Image* image = ImageOf(d);
        if (!image) return false;
        Rect clip = DeviceClipOf(d);
        if (!clip.IsEmpty()) DrawThinSegment(d, *image, clip, a, b);
        return true;
    }
    Outline line;
    line.kind = Outline::Kind::Polyline;
    line.points = {a, b};
    return DrawShape(d, nullptr, d.state.fillMode, line);
}

bool DrawBoxShape(Dc& d, const Rect& box, const Outline& outline) {
    return PaintShape(d, Interior{nullptr, &box, FillMode::Winding}, outline);
}

bool FillWithInk(Dc& d, const PathFn& fill, FillMode mode, const Ink& ink, Rop2 rop) {
    if (PageInk* page = PageInkOf(d)) {
        uint32_t pixel = 0;
        if (rop == Rop2::CopyPen && ink.SolidPixel(&pixel)) {
            // Filled by the winding rule, as a page has always filled ink.
            page->AddPathInk(&fill, CAIRO_FILL_RULE_WINDING, pixel, nullptr, nullptr, 0, DeviceClipOf(d));
        } else if (rop == Rop2::CopyPen && !ink.IsNull()) {
            cairo_t* cr = page->Begin(DeviceClipOf(d));
            cairo_pattern_t* source = ink.MakeCairoSource();
            cairo_set_source(cr, source);
            fill(cr);
            cairo_fill(cr);
            cairo_pattern_destroy(source);
            page->End();
        }
        return true;
    }
    Image* image = ImageOf(d);
    if (!image) return false;
    Rect clip = DeviceClipOf(d);
    if (clip.IsEmpty()) return true;
    CombineMask(*image, FillMask(fill, mode, clip), ink, rop);
    return true;
}

bool FillBoxWithInk(Dc& d, const Rect& box, const Ink& ink, Rop2 rop) {
    uint32_t pixel = 0;
    if (PageInk* page = PageInkOf(d); page && rop == Rop2::CopyPen && ink.SolidPixel(&pixel)) {
        const Rect r = CutToDrawableRange(box);
        if (!r.IsEmpty())
            page->AddBox(PageBox{double(r.left), double(r.top), double(r.right), double(r.bottom)}, pixel,
                         DeviceClipOf(d));
        return true;
    }
    if (d.kind == ContextKind::Printer) return FillWithInk(d, BoxPath(box), FillMode::Winding, ink, rop);
    Image* image = ImageOf(d);
    if (!image) return false;
    CombineRect(*image, Intersect(box, DeviceClipOf(d)), ink, rop);
    return true;
}

}  // namespace ql::gfx::detail
