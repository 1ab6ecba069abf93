// Cutting device geometry to the drawable range: boxes by intersection, segments
// by Liang-Barsky, polygons by one Sutherland-Hodgman pass per side.
#include "platform/gfx/detail/drawable_range.h"

#include <algorithm>

namespace ql::gfx::detail {
namespace {

constexpr double kLimit = kCairoCoordinateLimit;

// One Sutherland-Hodgman pass: keeps the side of the line where
// sign * coordinate(axis) <= the limit.
std::vector<DevicePoint> CutAgainst(const std::vector<DevicePoint>& in, bool xAxis, double sign) {
    std::vector<DevicePoint> out;
    auto inside = [&](DevicePoint p) { return sign * (xAxis ? p.x : p.y) <= kLimit; };
    auto crossing = [&](DevicePoint a, DevicePoint b) {
        double av = xAxis ? a.x : a.y, bv = xAxis ? b.x : b.y;
        double t = (sign * kLimit - av) / (bv - av);
        return DevicePoint{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
    };
    for (size_t i = 0; i < in.size(); ++i) {
        DevicePoint cur = in[i], prev = in[(i + in.size() - 1) % in.size()];
        if (inside(cur)) {
            if (!inside(prev)) out.push_back(crossing(prev, cur));
            out.push_back(cur);
        } else if (inside(prev)) {
            out.push_back(crossing(prev, cur));
        }
    }
    return out;
}

}  // namespace

Rect CutToDrawableRange(const Rect& box) {
    return Intersect(box, kDrawableRange);
}

DeviceArea CutToDrawableRange(const DeviceArea& box) {
    DeviceArea cut{std::max(box.left, -kLimit), std::max(box.top, -kLimit),
                   std::min(box.right, kLimit), std::min(box.bottom, kLimit)};
    return cut.IsEmpty() ? DeviceArea{} : cut;
}

bool ReachesDrawableRange(const DeviceArea& box) {
    return !CutToDrawableRange(box).IsEmpty();
}

bool CutToDrawableRange(DevicePoint& a, DevicePoint& b) {
    double t0 = 0, t1 = 1, dx = b.x - a.x, dy = b.y - a.y;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {a.x + kLimit, kLimit - a.x, a.y + kLimit, kLimit - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
    DevicePoint start{a.x + t0 * dx, a.y + t0 * dy}, end{a.x + t1 * dx, a.y + t1 * dy};
    a = start;
    b = end;
    return true;
}

std::vector<DevicePoint> CutToDrawableRange(const std::vector<DevicePoint>& polygon) {
    std::vector<DevicePoint> cut = polygon;
    for (bool xAxis : {true, false})
        for (double sign : {1.0, -1.0}) cut = CutAgainst(cut, xAxis, sign);
    return cut;
}

double CairoCoordinate(int32_t v) {
    return static_cast<double>(std::clamp(v, -kCairoCoordinateLimit, kCairoCoordinateLimit));
}

}  // namespace ql::gfx::detail
