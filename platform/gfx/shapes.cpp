// Lines, curves and shapes in logical coordinates: converted to device pixels
// and painted by the shape painter, or kept as calls on a recording context.
#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "platform/gfx/draw.h"
#include "platform/gfx/detail/paint.h"
#include "platform/gfx/detail/stroke_telling.h"
#include "platform/gfx/mapping.h"

namespace ql::gfx {

using detail::CairoCoordinate;
using detail::CutToDrawableRange;
using detail::Dc;
using detail::FindDc;
using detail::Outline;
using detail::PathFn;
using detail::TellStroke;

namespace {

constexpr int kBezierStride = 3;
constexpr double kFullTurn = 2 * M_PI;

std::vector<Point> ToDevice(const Dc& d, const Point* points, int count) {
    std::vector<Point> out(points, points + count);
    for (Point& p : out) p = MapLogicalToDevice(d.state.mapping, p);
    return out;
}

// Tells the listener a shape given by its box.
void TellBox(const Dc& d, DcHandle dc, StrokeShape shape, Rect logical, bool pen, const BrushDesc* brush) {
    if (!detail::StrokeTapSet()) return;
    const Point corners[2] = {{logical.left, logical.top}, {logical.right, logical.bottom}};
    TellStroke(d, dc, shape, corners, pen, brush);
}

// Keeps the call on a recording context; true when it did.
bool Recorded(Dc& d, detail::RecordedCall call) {
    if (!d.IsRecording()) return false;
    d.calls.push_back(std::move(call));
    return true;
}

Outline PolylineOutline(std::vector<Point> points, bool closed) {
    Outline o;
    o.kind = Outline::Kind::Polyline;
    o.points = std::move(points);
    o.closed = closed;
    return o;
}

// An ellipse with centre and radii in device pixels.
void EllipseArc(cairo_t* cr, double cx, double cy, double rx, double ry) {
    if (rx <= 0 || ry <= 0) return;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, 0, kFullTurn);
    cairo_restore(cr);
}

// Rounded rectangle between x0..x1, y0..y1 with corner radii rx, ry.
PathFn RoundRectPath(double x0, double y0, double x1, double y1, double rx, double ry) {
    return [=](cairo_t* cr) {
        double ax = std::min(rx, (x1 - x0) / 2), ay = std::min(ry, (y1 - y0) / 2);
        if (ax <= 0 || ay <= 0) {
            cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
            return;
        }
        auto corner = [&](double cx, double cy, double from) {
            cairo_save(cr);
            cairo_translate(cr, cx, cy);
            cairo_scale(cr, ax, ay);
            cairo_arc(cr, 0, 0, 1, from, from + M_PI / 2);
            cairo_restore(cr);
        };
        cairo_new_sub_path(cr);
        corner(x1 - ax, y0 + ay, -M_PI / 2);
        corner(x1 - ax, y1 - ay, 0);
        corner(x0 + ax, y1 - ay, M_PI / 2);
        corner(x0 + ax, y0 + ay, M_PI);
        cairo_close_path(cr);
    };
}

}  // namespace

bool LineTo(DcHandle dc, Point to) {
    Dc* d = FindDc(dc);
    if (!d) return false;
    Point from = std::exchange(d->state.position, to);
    const Point ends[2] = {from, to};
    TellStroke(*d, dc, StrokeShape::Line, ends, true, nullptr);
    if (Recorded(*d, [to](DcHandle t) { LineTo(t, to); })) return true;
    return detail::DrawSegment(*d, MapLogicalToDevice(d->state.mapping, from), MapLogicalToDevice(d->state.mapping, to));
}

bool Polyline(DcHandle dc, const Point* points, int count) {
    Dc* d = FindDc(dc);
    if (!d || !points || count < 2) return false;
    TellStroke(*d, dc, StrokeShape::Polyline, std::span(points, static_cast<size_t>(count)), true, nullptr);
    if (d->IsRecording()) {
        std::vector<Point> copy(points, points + count);
        return Recorded(*d, [copy](DcHandle t) { Polyline(t, copy.data(), static_cast<int>(copy.size())); });
    }
    return detail::DrawShape(*d, nullptr, d->state.fillMode, PolylineOutline(ToDevice(*d, points, count), false));
}

bool PolyBezier(DcHandle dc, const Point* points, int count) {
    Dc* d = FindDc(dc);
    if (!d || !points || count < 1 + kBezierStride || (count - 1) % kBezierStride != 0) return false;
    TellStroke(*d, dc, StrokeShape::Bezier, std::span(points, static_cast<size_t>(count)), true, nullptr);
    std::vector<Point> copy(points, points + count);
    if (Recorded(*d, [copy](DcHandle t) { PolyBezier(t, copy.data(), static_cast<int>(copy.size())); }))
        return true;
    std::vector<Point> dev = ToDevice(*d, points, count);
    Outline o;
    o.kind = Outline::Kind::Path;
    o.path = [dev](cairo_t* cr) {
        auto at = [](int32_t v) { return CairoCoordinate(v) + 0.5; };
        cairo_move_to(cr, at(dev[0].x), at(dev[0].y));
        for (size_t i = 1; i + 2 < dev.size(); i += kBezierStride)
            cairo_curve_to(cr, at(dev[i].x), at(dev[i].y), at(dev[i + 1].x), at(dev[i + 1].y), at(dev[i + 2].x),
                           at(dev[i + 2].y));
    };
    return detail::DrawShape(*d, nullptr, d->state.fillMode, o);
}

bool Polygon(DcHandle dc, const Point* points, int count) {
    Dc* d = FindDc(dc);
    if (!d || !points || count < 2) return false;
    TellStroke(*d, dc, StrokeShape::Polygon, std::span(points, static_cast<size_t>(count)), true,
               d->state.brush.get());
    std::vector<Point> copy(points, points + count);
    if (Recorded(*d, [copy](DcHandle t) { Polygon(t, copy.data(), static_cast<int>(copy.size())); }))
        return true;
    std::vector<Point> dev = ToDevice(*d, points, count);
    PathFn fill = [dev](cairo_t* cr) { detail::AddPolygonPath(cr, dev); };
    Outline outline = PolylineOutline(std::move(dev), true);
    outline.tracesFill = true;
    return detail::DrawShape(*d, &fill, d->state.fillMode, outline);
}

namespace {
// Each member by its own call (recordings, and surfaces where the order shows),
// or the whole series in one pass.
bool PolySeries(DcHandle dc, const Point* points, const int* counts, int series, bool polygons) {
    Dc* d = FindDc(dc);
    if (!d || !points || !counts || series < 0) return false;
    if (std::any_of(counts, counts + series, [](int n) { return n < 0; })) return false;
    auto draw = polygons ? Polygon : Polyline;
    if (detail::StrokeTapSet()) {
        const Point* member = points;
        for (const int n : std::span(counts, static_cast<size_t>(series))) {
            if (n >= 2)
                TellStroke(*d, dc, polygons ? StrokeShape::Polygon : StrokeShape::Polyline,
                           std::span(member, static_cast<size_t>(n)), true, polygons ? d->state.brush.get() : nullptr);
            member += n;
        }
    }
    const detail::QuietStrokes told;
    if (!d->IsRecording()) {
        std::vector<std::vector<Point>> device;
        device.reserve(static_cast<size_t>(series));
        bool whole = true;
        const Point* previous = nullptr;  // the last member, when it had as many points
        for (const Point* p = points; const int n : std::span(counts, static_cast<size_t>(series))) {
            whole = whole && n >= 2;
            std::vector<Point> member(n >= 2 ? static_cast<size_t>(n) : 0);
            bool moved = previous && device.back().size() == member.size() &&
                         MapMovedToDevice(d->state.mapping, previous, device.back().data(), p, member.size(),
                                          member.data());
            if (!moved && n >= 2) member = ToDevice(*d, p, n);
            device.push_back(std::move(member));
            previous = n >= 2 ? p : nullptr;
            p += n;
        }
        if (detail::DrawPolySeries(*d, device, polygons)) return whole;
    }
    bool ok = true;
    for (const Point* p = points; const int n : std::span(counts, static_cast<size_t>(series))) {
        ok = draw(dc, p, n) && ok;
        p += n;
    }
    return ok;
}
}  // namespace

bool PolyPolyline(DcHandle dc, const Point* points, const int* counts, int series) {
    return PolySeries(dc, points, counts, series, false);
}

bool PolyPolygon(DcHandle dc, const Point* points, const int* counts, int series) {
    return PolySeries(dc, points, counts, series, true);
}

namespace {
// The copies of a figure as one series of points.
std::vector<Point> CopiesOf(const Point* figure, int count, int copies, Point step) {
    std::vector<Point> points;
    points.reserve(static_cast<size_t>(count) * static_cast<size_t>(copies));
    auto cut = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    for (int64_t k = 0; k < copies; ++k)
        for (const Point& p : std::span(figure, static_cast<size_t>(count)))
            points.push_back(Point{cut(p.x + k * step.x), cut(p.y + k * step.y)});
    return points;
}

// Whether every copy of points within low..high stays strictly inside the 32-bit range.
bool CopiesInRange(Point low, Point high, int copies, Point step) {
    const int64_t reachX = int64_t{step.x} * (copies - 1), reachY = int64_t{step.y} * (copies - 1);
    auto inside = [](int64_t v) { return v > INT32_MIN && v < INT32_MAX; };
    return inside(low.x + std::min<int64_t>(reachX, 0)) && inside(high.x + std::max<int64_t>(reachX, 0)) &&
           inside(low.y + std::min<int64_t>(reachY, 0)) && inside(high.y + std::max<int64_t>(reachY, 0));
}

bool RepeatedSeries(DcHandle dc, const Point* figure, int count, int copies, Point step, bool polygons) {
    Dc* d = FindDc(dc);
    if (!d || !figure || count < 0 || copies < 0) return false;
    if (copies == 0) return true;
    const auto n = static_cast<size_t>(count);
    if (detail::StrokeTapSet() && count >= 2) {
        const std::vector<Point> all = CopiesOf(figure, count, copies, step);
        for (size_t k = 0; k < static_cast<size_t>(copies); ++k)
            TellStroke(*d, dc, polygons ? StrokeShape::Polygon : StrokeShape::Polyline,
                       std::span(all).subspan(k * n, n), true, polygons ? d->state.brush.get() : nullptr);
    }
    const detail::QuietStrokes told;
    if (!d->IsRecording() && count >= 2) {
        std::vector<Point> device(n);
        Point deviceStep{};
        FigureBounds bounds;
        if (MapFigureToDevice(d->state.mapping, figure, n, step, copies - 1, device.data(), &deviceStep, &bounds) &&
            CopiesInRange(bounds.low, bounds.high, copies, step) &&
            CopiesInRange(bounds.deviceLow, bounds.deviceHigh, copies, deviceStep) &&
            detail::DrawRepeatedFigure(*d, device, copies, deviceStep, polygons))
            return true;
    }
    std::vector<Point> points = CopiesOf(figure, count, copies, step);
    std::vector<int> counts(static_cast<size_t>(copies), count);
    return PolySeries(dc, points.data(), counts.data(), copies, polygons);
}
}  // namespace

bool RepeatedPolyline(DcHandle dc, const Point* figure, int count, int copies, Point step) {
    return RepeatedSeries(dc, figure, count, copies, step, false);
}

bool RepeatedPolygon(DcHandle dc, const Point* figure, int count, int copies, Point step) {
    return RepeatedSeries(dc, figure, count, copies, step, true);
}

bool Rectangle(DcHandle dc, Rect logical) {
    Dc* d = FindDc(dc);
    if (!d) return false;
    TellBox(*d, dc, StrokeShape::Rectangle, logical, true, d->state.brush.get());
    if (Recorded(*d, [logical](DcHandle t) { Rectangle(t, logical); })) return true;
    Rect r = detail::DeviceRectOf(*d, logical);
    if (r.Width() < 2 || r.Height() < 2) return true;
    // The interior leaves out the right column and bottom row; the outline
    // (when there is a pen) covers the border including them.
    std::vector<Point> corners{{r.left, r.top}, {r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}};
    return detail::DrawBoxShape(*d, Rect{r.left, r.top, r.right - 1, r.bottom - 1},
                                PolylineOutline(std::move(corners), true));
}

bool Ellipse(DcHandle dc, Rect logical) {
    Dc* d = FindDc(dc);
    if (!d) return false;
    TellBox(*d, dc, StrokeShape::Ellipse, logical, true, d->state.brush.get());
    if (Recorded(*d, [logical](DcHandle t) { Ellipse(t, logical); })) return true;
    Rect r = CutToDrawableRange(detail::DeviceRectOf(*d, logical));
    if (r.Width() < 2 || r.Height() < 2) return true;
    double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
    PathFn fill = [=](cairo_t* cr) { EllipseArc(cr, cx, cy, r.Width() / 2.0, r.Height() / 2.0); };
    Outline o;
    o.kind = Outline::Kind::Path;
    o.path = [=](cairo_t* cr) { EllipseArc(cr, cx, cy, (r.Width() - 1) / 2.0, (r.Height() - 1) / 2.0); };
    return detail::DrawShape(*d, &fill, FillMode::Winding, o);
}

bool RoundRect(DcHandle dc, Rect logical, Size corner) {
    Dc* d = FindDc(dc);
    if (!d) return false;
    TellBox(*d, dc, StrokeShape::Rectangle, logical, true, d->state.brush.get());
    if (Recorded(*d, [logical, corner](DcHandle t) { RoundRect(t, logical, corner); })) return true;
    Rect r = CutToDrawableRange(detail::DeviceRectOf(*d, logical));
    if (r.Width() < 2 || r.Height() < 2) return true;
    Size c = MapLogicalToDeviceDistance(d->state.mapping, corner);
    double rx = std::abs(c.cx) / 2.0, ry = std::abs(c.cy) / 2.0;
    PathFn fill = RoundRectPath(r.left, r.top, r.right - 1, r.bottom - 1, rx, ry);
    Outline o;
    o.kind = Outline::Kind::Path;
    o.path = RoundRectPath(r.left + 0.5, r.top + 0.5, r.right - 0.5, r.bottom - 0.5, rx, ry);
    return detail::DrawShape(*d, &fill, FillMode::Winding, o);
}

namespace {
// Copy ink with a brush given by value, so a recording keeps the brush as it was.
bool FillRectWithBrush(DcHandle dc, Rect logical, std::shared_ptr<const BrushDesc> brush) {
    Dc* d = FindDc(dc);
    if (!d) return false;
    if (Recorded(*d, [logical, brush](DcHandle t) { FillRectWithBrush(t, logical, brush); })) return true;
    Rect r = CutToDrawableRange(detail::DeviceRectOf(*d, logical));
    if (r.IsEmpty()) return true;
    return detail::FillBoxWithInk(*d, r, detail::Ink::ForBrush(brush, d->state), Rop2::CopyPen);
}

}  // namespace

bool FillRect(DcHandle dc, Rect logical, BrushHandle brush) {
    const detail::Brush* b = detail::Reg().brushes.Find(brush);
    if (!b) return false;
    if (const Dc* d = FindDc(dc)) TellBox(*d, dc, StrokeShape::Fill, logical, false, b->desc.get());
    return FillRectWithBrush(dc, logical, b->desc);
}

}  // namespace ql::gfx
