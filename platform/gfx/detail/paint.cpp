// Painting shapes: one-pixel lines by direct stepping (the last point excluded,
// like every line of the program's drawing), wide and curved outlines and
// interiors by Cairo without antialiasing, combined with the image by the
// raster operation; vector drawing on PDF pages.
#include "platform/gfx/detail/paint.h"

#include <algorithm>
#include <cstdlib>

namespace ql::gfx::detail {

namespace {

constexpr double kPixelCentre = 0.5;
constexpr double kPointsPerInch = 72.0;
constexpr double kBoundsMargin = 2.0;

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

// round(i * dMinor / steps) without overflow: both factors may reach 2^32.
int64_t MinorOffset(int64_t i, int64_t dMinor, int64_t steps) {
    __int128 n = static_cast<__int128>(i) * dMinor;
    __int128 q = n >= 0 ? (n + steps / 2) / steps : -((-n + steps / 2) / steps);
    return static_cast<int64_t>(q);
}

// Steps along the longer axis; the shorter one is rounded per pixel, so the
// pixels are the same whatever part of the line the mask covers.
void StepLine(Mask& mask, Point a, Point b, const std::vector<double>& dash, int64_t& phase) {
    int64_t dx = int64_t{b.x} - a.x, dy = int64_t{b.y} - a.y;
    int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
    if (steps == 0) return;
    bool xMajor = std::llabs(dx) >= std::llabs(dy);
    int64_t start = xMajor ? a.x : a.y, startMinor = xMajor ? a.y : a.x;
    int64_t dMajor = xMajor ? dx : dy, dMinor = xMajor ? dy : dx;
    int sign = dMajor > 0 ? 1 : -1;
    const Rect& r = mask.bounds();
    int64_t lo = xMajor ? r.left : r.top, hi = xMajor ? r.right : r.bottom;
    int64_t first = sign > 0 ? std::max<int64_t>(0, lo - start) : std::max<int64_t>(0, start - hi + 1);
    int64_t last = sign > 0 ? std::min(steps, hi - start) : std::min(steps, start - lo + 1);
    for (int64_t i = first; i < last; ++i) {
        if (!DashIsOn(dash, phase + i)) continue;
        int64_t major = start + sign * i;
        int64_t minor = startMinor + MinorOffset(i, dMinor, steps);
        if (xMajor) mask.Set(static_cast<int>(major), static_cast<int>(std::clamp<int64_t>(minor, INT32_MIN, INT32_MAX)));
        else mask.Set(static_cast<int>(std::clamp<int64_t>(minor, INT32_MIN, INT32_MAX)), static_cast<int>(major));
    }
    phase += steps;
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

struct DPoint {
    double x;
    double y;
};

// One Sutherland-Hodgman pass: keeps the side of the line where
// sign * coordinate(axis) <= limit.
std::vector<DPoint> ClipAgainst(const std::vector<DPoint>& in, bool xAxis, double sign) {
    std::vector<DPoint> out;
    const double limit = kCairoCoordinateLimit;
    auto inside = [&](DPoint p) { return sign * (xAxis ? p.x : p.y) <= limit; };
    auto crossing = [&](DPoint a, DPoint b) {
        double av = xAxis ? a.x : a.y, bv = xAxis ? b.x : b.y;
        double t = (sign * limit - av) / (bv - av);
        return DPoint{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
    };
    for (size_t i = 0; i < in.size(); ++i) {
        DPoint cur = in[i], prev = in[(i + in.size() - 1) % in.size()];
        if (inside(cur)) {
            if (!inside(prev)) out.push_back(crossing(prev, cur));
            out.push_back(cur);
        } else if (inside(prev)) {
            out.push_back(crossing(prev, cur));
        }
    }
    return out;
}

// Liang-Barsky: the part of a..b inside the Cairo range; false when none.
bool ClipSegment(DPoint& a, DPoint& b) {
    const double limit = kCairoCoordinateLimit;
    double t0 = 0, t1 = 1, dx = b.x - a.x, dy = b.y - a.y;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {a.x + limit, limit - a.x, a.y + limit, limit - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        double t = q[i] / p[i];
        if (p[i] < 0) t0 = std::max(t0, t);
        else t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
    DPoint start{a.x + t0 * dx, a.y + t0 * dy}, end{a.x + t1 * dx, a.y + t1 * dy};
    a = start;
    b = end;
    return true;
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

Mask OutlineMask(const Dc& d, const Outline& o, const Rect& clip) {
    int width = PenDeviceWidth(d);
    if (o.kind == Outline::Kind::Polyline && width == 1) {
        Mask mask = Mask::Sparse(Intersect(PointsBounds(o.points), clip));
        if (mask.IsEmpty()) return mask;
        std::vector<double> dash = DashPattern(d.state.pen.style);
        int64_t phase = 0;
        for (size_t i = 1; i < o.points.size(); ++i) StepLine(mask, o.points[i - 1], o.points[i], dash, phase);
        if (o.closed) StepLine(mask, o.points.back(), o.points.front(), dash, phase);
        mask.Finish();
        return mask;
    }
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

void AddPolygonPath(cairo_t* cr, const std::vector<Point>& points) {
    std::vector<DPoint> poly;
    for (Point p : points) poly.push_back(DPoint{double(p.x), double(p.y)});
    for (bool xAxis : {true, false})
        for (double sign : {1.0, -1.0}) poly = ClipAgainst(poly, xAxis, sign);
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
        DPoint a{from.x + kPixelCentre, from.y + kPixelCentre}, b{to.x + kPixelCentre, to.y + kPixelCentre};
        DPoint ca = a, cb = b;
        if (!ClipSegment(ca, cb)) {
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

double CairoCoordinate(int32_t v) {
    return static_cast<double>(std::clamp(v, -kCairoCoordinateLimit, kCairoCoordinateLimit));
}

int PenDeviceWidth(const Dc& d) {
    Size s = MapLogicalToDeviceDistance(d.state.mapping, Size{d.state.pen.width, d.state.pen.width});
    return std::max(1, std::abs(s.cx));
}

std::vector<double> DashPattern(PenStyle style) {
    switch (style) {
    case PenStyle::Dash: return kDash;
    case PenStyle::Dot: return kDot;
    case PenStyle::DashDot: return kDashDot;
    case PenStyle::DashDotDot: return kDashDotDot;
    default: return {};
    }
}

cairo_t* OpenPageInk(const Dc& d) {
    if (d.kind != ContextKind::Printer || !d.printer || !d.printer->inPage) return nullptr;
    cairo_t* cr = cairo_create(d.printer->pdf);
    double scale = kPointsPerInch / d.device.dpiX;
    cairo_scale(cr, scale, kPointsPerInch / d.device.dpiY);
    Rect clip = DeviceClipOf(d);
    cairo_rectangle(cr, clip.left, clip.top, clip.Width(), clip.Height());
    cairo_clip(cr);
    return cr;
}

bool DrawShape(Dc& d, const PathFn* fill, FillMode mode, const Outline& outline) {
    Ink brush = d.state.brush ? Ink::ForBrush(d.state.brush, d.state) : Ink();
    if (cairo_t* cr = OpenPageInk(d)) {
        // Paper never shows raster feedback: only copy ink is printed.
        if (d.state.rop == Rop2::CopyPen) PaintOnPage(cr, d, fill, mode, outline, brush);
        cairo_destroy(cr);
        return true;
    }
    Image* image = ImageOf(d);
    if (!image) return false;
    Rect clip = DeviceClipOf(d);
    if (clip.IsEmpty()) return true;
    Mask edge = HasOutline(d, outline) ? OutlineMask(d, outline, clip) : Mask();
    if (fill && !brush.IsNull()) {
        Mask inside = FillMask(*fill, mode, clip);
        inside.Subtract(edge);
        CombineMask(*image, inside, brush, d.state.rop);
    }
    if (!edge.IsEmpty()) CombineMask(*image, edge, Ink::Solid(d.state.pen.colour), d.state.rop);
    return true;
}

bool FillWithInk(Dc& d, const PathFn& fill, FillMode mode, const Ink& ink, Rop2 rop) {
    if (cairo_t* cr = OpenPageInk(d)) {
        if (rop == Rop2::CopyPen && !ink.IsNull()) {
            cairo_pattern_t* source = ink.MakeCairoSource();
            cairo_set_source(cr, source);
            fill(cr);
            cairo_fill(cr);
            cairo_pattern_destroy(source);
        }
        cairo_destroy(cr);
        return true;
    }
    Image* image = ImageOf(d);
    if (!image) return false;
    Rect clip = DeviceClipOf(d);
    if (clip.IsEmpty()) return true;
    CombineMask(*image, FillMask(fill, mode, clip), ink, rop);
    return true;
}

}  // namespace ql::gfx::detail
