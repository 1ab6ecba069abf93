// Mapping modes and coordinate conversion (method in mapping.h). Products are
// formed in 64 bits where they fit and in 128 bits otherwise, so that 32-bit
// coordinates times 32-bit extents never overflow; results saturate to 32 bits.
#include "platform/gfx/mapping.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <utility>

#include "platform/gfx/detail/registry.h"

namespace ql::gfx {

using detail::Dc;
using detail::FindDc;

namespace {

using Wide = __int128;

Wide RoundedDivideWide(Wide a, Wide b) {
    if (b < 0) {
        a = -a;
        b = -b;
    }
    return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b);
}

int32_t Saturate(Wide v) {
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// Offsets up to 2^31 times 32-bit extents fit in 64 bits: the usual case is
// divided there, the rest (offsets between far-apart origins) in 128 bits.
constexpr int64_t kNarrowOffsetLimit = int64_t{1} << 31;

int64_t RoundedDivideNarrow(int64_t a, int64_t b) {
    if (b < 0) {
        a = -a;
        b = -b;
    }
    return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b);
}

// One axis: (v - fromOrg) * toExt / fromExt + toOrg.
int32_t MapAxis(int32_t v, int32_t fromOrg, int32_t fromExt, int32_t toExt, int32_t toOrg) {
    int64_t offset = int64_t{v} - fromOrg;
    if (offset >= -kNarrowOffsetLimit && offset <= kNarrowOffsetLimit)
        return Saturate(Wide{RoundedDivideNarrow(offset * toExt, fromExt)} + toOrg);
    return Saturate(RoundedDivideWide(Wide{offset} * toExt, fromExt) + toOrg);
}

bool IsScaled(const Mapping& m) { return m.mode == MapMode::Anisotropic; }

// The extents of text mode.
constexpr Size kOneToOne{1, 1};

}  // namespace

int64_t RoundedDivide(int64_t a, int64_t b) {
    return static_cast<int64_t>(RoundedDivideWide(a, b));
}

Point MapLogicalToDevice(const Mapping& m, Point p) {
    if (!IsScaled(m))
        return Point{Saturate(Wide{p.x} - m.windowOrigin.x + m.viewportOrigin.x),
                     Saturate(Wide{p.y} - m.windowOrigin.y + m.viewportOrigin.y)};
    return Point{MapAxis(p.x, m.windowOrigin.x, m.windowExtent.cx, m.viewportExtent.cx, m.viewportOrigin.x),
                 MapAxis(p.y, m.windowOrigin.y, m.windowExtent.cy, m.viewportExtent.cy, m.viewportOrigin.y)};
}

Point MapDeviceToLogical(const Mapping& m, Point p) {
    if (!IsScaled(m))
        return Point{Saturate(Wide{p.x} - m.viewportOrigin.x + m.windowOrigin.x),
                     Saturate(Wide{p.y} - m.viewportOrigin.y + m.windowOrigin.y)};
    return Point{MapAxis(p.x, m.viewportOrigin.x, m.viewportExtent.cx, m.windowExtent.cx, m.windowOrigin.x),
                 MapAxis(p.y, m.viewportOrigin.y, m.viewportExtent.cy, m.windowExtent.cy, m.windowOrigin.y)};
}

Size MapLogicalToDeviceDistance(const Mapping& m, Size s) {
    if (!IsScaled(m)) return s;
    return Size{MapAxis(s.cx, 0, m.windowExtent.cx, m.viewportExtent.cx, 0),
                MapAxis(s.cy, 0, m.windowExtent.cy, m.viewportExtent.cy, 0)};
}

Size MapDeviceToLogicalDistance(const Mapping& m, Size s) {
    if (!IsScaled(m)) return s;
    return Size{MapAxis(s.cx, 0, m.viewportExtent.cx, m.windowExtent.cx, 0),
                MapAxis(s.cy, 0, m.viewportExtent.cy, m.windowExtent.cy, 0)};
}

namespace {

// One axis of a mapping, for points moved by a step along it.
struct MovedAxis {
    int32_t fromOrg = 0, fromExt = 1, toExt = 1, toOrg = 0;
    bool scaled = false;
    bool whole = false;  // the step maps to a whole number of pixels
    bool narrow = false;  // extents within 2^30
    int64_t shift = 0;   // that number

    MovedAxis(bool isScaled, int32_t fo, int32_t fe, int32_t te, int32_t to, int64_t step)
        : fromOrg(fo), fromExt(fe), toExt(te), toOrg(to), scaled(isScaled) {
        constexpr int64_t kNarrowExtent = int64_t{1} << 30;
        narrow = std::llabs(fe) <= kNarrowExtent && std::llabs(te) <= kNarrowExtent;
        if (!scaled) {
            whole = true;
            shift = step;
        } else if (fromExt == 0) {
            whole = false;
        } else if (Wide product = Wide{step} * toExt; product % fromExt == 0) {
            whole = true;
            shift = static_cast<int64_t>(product / fromExt);
        }
    }
    int32_t Map(int32_t v) const {
        return scaled ? MapAxis(v, fromOrg, fromExt, toExt, toOrg) : Saturate(Wide{v} - fromOrg + toOrg);
    }
    // Rounding to the nearest pixel commutes with a whole shift, except for a
    // value halfway between two pixels (rounded away from zero) or one saturated.
    // Whether the device value of `v` moves by the shift with each whole step, up to
    // `reach` (the logical distance of the last step): the rounding error stays the
    // same, so a value that is not halfway stays so, and a halfway one is rounded the
    // same way while its offset from the origin keeps its sign.
    bool MovesExactly(int32_t v, int32_t device, int64_t reach) const {
        constexpr int32_t kLow = std::numeric_limits<int32_t>::min(), kHigh = std::numeric_limits<int32_t>::max();
        if (!whole || device == kLow || device == kHigh) return false;
        if (!scaled) return true;
        // Both products stay below 2^62 for offsets within 2^31 and extents within 2^30.
        int64_t rounded = int64_t{device} - toOrg, offset = int64_t{v} - fromOrg;
        if (!narrow || std::llabs(rounded) > kNarrowOffsetLimit || std::llabs(offset) > kNarrowOffsetLimit)
            return false;
        int64_t error = rounded * fromExt - offset * toExt;
        if (2 * std::llabs(error) != std::llabs(fromExt)) return true;
        return (offset < 0) == (offset + reach < 0);
    }
    int32_t MapMoved(int32_t from, int32_t fromDevice, int32_t moved) const {
        constexpr int32_t kLow = std::numeric_limits<int32_t>::min(), kHigh = std::numeric_limits<int32_t>::max();
        if (!MovesExactly(from, fromDevice, int64_t{moved} - from)) return Map(moved);
        int64_t shifted = int64_t{fromDevice} + shift;
        return shifted > kLow && shifted < kHigh ? static_cast<int32_t>(shifted) : Map(moved);
    }
};

}  // namespace

bool MapMovedToDevice(const Mapping& m, const Point* from, const Point* fromDevice, const Point* moved, size_t count,
                      Point* out) {
    if (count == 0) return true;
    int64_t stepX = int64_t{moved[0].x} - from[0].x, stepY = int64_t{moved[0].y} - from[0].y;
    for (size_t i = 1; i < count; ++i)
        if (int64_t{moved[i].x} - from[i].x != stepX || int64_t{moved[i].y} - from[i].y != stepY) return false;
    bool scaled = IsScaled(m);
    MovedAxis x(scaled, m.windowOrigin.x, m.windowExtent.cx, m.viewportExtent.cx, m.viewportOrigin.x, stepX);
    MovedAxis y(scaled, m.windowOrigin.y, m.windowExtent.cy, m.viewportExtent.cy, m.viewportOrigin.y, stepY);
    for (size_t i = 0; i < count; ++i)
        out[i] = Point{x.MapMoved(from[i].x, fromDevice[i].x, moved[i].x), y.MapMoved(from[i].y, fromDevice[i].y, moved[i].y)};
    return true;
}

namespace {

// One axis of a figure mapped point by point (the values MapAxis gives), noting
// whether each point moves exactly by the axis' shift up to `reach`. The usual
// narrow case takes the rounding error from its one division.
struct FigureAxis {
    MovedAxis axis;
    int64_t reach;
    bool exact = true;

    int32_t Map(int32_t v) {
        if (!axis.scaled) {
            int32_t device = axis.Map(v);
            exact = exact && axis.MovesExactly(v, device, reach);
            return device;
        }
        int64_t offset = int64_t{v} - axis.fromOrg;
        if (!axis.narrow || offset < -kNarrowOffsetLimit || offset > kNarrowOffsetLimit) {
            int32_t device = axis.Map(v);
            exact = exact && axis.MovesExactly(v, device, reach);
            return device;
        }
        int64_t product = offset * axis.toExt;
        int64_t quotient = RoundedDivideNarrow(product, axis.fromExt);
        int32_t device = Saturate(Wide{quotient} + axis.toOrg);
        if (exact) {
            int64_t error = quotient * axis.fromExt - product;
            bool halfway = 2 * std::llabs(error) == std::llabs(int64_t{axis.fromExt});
            exact = axis.whole && device != std::numeric_limits<int32_t>::min() &&
                    device != std::numeric_limits<int32_t>::max() && (!halfway || (offset < 0) == (offset + reach < 0));
        }
        return device;
    }
};

int64_t FloorDivide(int64_t a, int64_t b) {  // b > 0
    int64_t q = a / b;
    return a % b != 0 && a < 0 ? q - 1 : q;
}

// The values a figure takes on one axis, each mapped once: a figure's points share
// their values (a wave's top and bottom run over the same columns), and mapping a
// value again gives the same pixel and the same exactness. A figure spread wider
// than the table maps every point.
class FigureValues {
  public:
    FigureValues(const Point* points, size_t count, int32_t Point::*member, FigureAxis& axis) : axis_(axis) {
        if (count == 0) return;
        int32_t low = points[0].*member, high = low;
        for (size_t i = 1; i < count; ++i) {
            low = std::min(low, points[i].*member);
            high = std::max(high, points[i].*member);
        }
        low_ = low;
        high_ = high;
        if (int64_t{high} - low >= static_cast<int64_t>(kValues)) return;
        kept_ = true;
        filled_ = Fill(low, high);
        if (!filled_) known_.fill(false);
    }
    int32_t Map(int32_t v) {
        if (!kept_) return axis_.Map(v);
        const auto at = static_cast<size_t>(int64_t{v} - low_);
        if (filled_) {
            axis_.exact = axis_.exact && moves_[at];
            return device_[at];
        }
        if (!known_[at]) {
            device_[at] = axis_.Map(v);
            known_[at] = true;
        }
        return device_[at];
    }

    int32_t Low() const { return low_; }
    int32_t High() const { return high_; }
    // The table of the whole range, filled at once: a value's place in it, its
    // device value and whether it moves exactly.
    bool Filled() const { return filled_; }
    size_t IndexOf(int32_t v) const { return static_cast<size_t>(int64_t{v} - low_); }
    int32_t DeviceAt(size_t at) const { return device_[at]; }
    bool MovesAt(size_t at) const { return moves_[at]; }

  private:
    // The whole range at once where every value takes FigureAxis' one division: the
    // rounded quotient of offset * toExt by fromExt (halves away from zero) is the
    // floor of (product + half) / divisor, kept as a quotient and a remainder that
    // step with the offset, so no value needs a division of its own. A value is
    // halfway exactly where that remainder is 0 with an even divisor; a negative one
    // then rounds down. Each value notes whether it moves exactly, as FigureAxis does.
    bool Fill(int32_t low, int32_t high) {
        const MovedAxis& a = axis_.axis;
        const int64_t first = int64_t{low} - a.fromOrg, last = int64_t{high} - a.fromOrg;
        if (!a.scaled || !a.narrow || first < -kNarrowOffsetLimit || last > kNarrowOffsetLimit) return false;
        int64_t divisor = a.fromExt, step = a.toExt;
        if (divisor < 0) {
            divisor = -divisor;
            step = -step;
        }
        const int64_t half = divisor / 2;
        const bool even = divisor % 2 == 0;
        int64_t product = first * step;
        int64_t quotient = FloorDivide(product + half, divisor);
        int64_t remainder = product + half - quotient * divisor;
        const int64_t stepQuotient = FloorDivide(step, divisor), stepRemainder = step - stepQuotient * divisor;
        constexpr int32_t kLow = std::numeric_limits<int32_t>::min(), kHigh = std::numeric_limits<int32_t>::max();
        for (int64_t offset = first; offset <= last; ++offset) {
            const bool halfway = even && remainder == 0;
            const int64_t rounded = halfway && product < 0 ? quotient - 1 : quotient;
            // Within 2^62: no 128-bit sum is needed to saturate.
            const auto device = static_cast<int32_t>(std::clamp<int64_t>(rounded + a.toOrg, kLow, kHigh));
            const auto at = static_cast<size_t>(offset - first);
            device_[at] = device;
            moves_[at] = a.whole && device != kLow && device != kHigh &&
                         (!halfway || (offset < 0) == (offset + axis_.reach < 0));
            product += step;
            quotient += stepQuotient;
            remainder += stepRemainder;
            if (remainder >= divisor) {
                remainder -= divisor;
                ++quotient;
            }
        }
        return true;
    }

    static constexpr size_t kValues = 512;
    FigureAxis& axis_;
    int32_t low_ = 0, high_ = 0;
    bool kept_ = false;
    bool filled_ = false;
    std::array<bool, kValues> known_;
    std::array<bool, kValues> moves_;
    std::array<int32_t, kValues> device_;
};

}  // namespace

bool MapFigureToDevice(const Mapping& m, const Point* points, size_t count, Point step, int steps, Point* device,
                       Point* deviceStep, FigureBounds* bounds) {
    bool scaled = IsScaled(m);
    FigureAxis x{MovedAxis(scaled, m.windowOrigin.x, m.windowExtent.cx, m.viewportExtent.cx, m.viewportOrigin.x, step.x),
                 int64_t{step.x} * steps};
    FigureAxis y{MovedAxis(scaled, m.windowOrigin.y, m.windowExtent.cy, m.viewportExtent.cy, m.viewportOrigin.y, step.y),
                 int64_t{step.y} * steps};
    constexpr int64_t kLow = std::numeric_limits<int32_t>::min(), kHigh = std::numeric_limits<int32_t>::max();
    auto fits = [](const MovedAxis& a) { return a.whole && a.shift > kLow && a.shift < kHigh; };
    if (!fits(x.axis) || !fits(y.axis)) return false;
    FigureValues xs(points, count, &Point::x, x), ys(points, count, &Point::y, y);
    if (xs.Filled() && ys.Filled()) {
        bool exact = true;
        for (size_t i = 0; i < count; ++i) {
            const size_t atX = xs.IndexOf(points[i].x), atY = ys.IndexOf(points[i].y);
            device[i] = Point{xs.DeviceAt(atX), ys.DeviceAt(atY)};
            exact = exact & xs.MovesAt(atX) & ys.MovesAt(atY);
        }
        if (!exact) return false;
    } else {
        for (size_t i = 0; i < count; ++i) device[i] = Point{xs.Map(points[i].x), ys.Map(points[i].y)};
        if (!x.exact || !y.exact) return false;
    }
    *deviceStep = Point{static_cast<int32_t>(x.axis.shift), static_cast<int32_t>(y.axis.shift)};
    if (bounds != nullptr && count > 0) {
        bounds->low = Point{xs.Low(), ys.Low()};
        bounds->high = Point{xs.High(), ys.High()};
        // Mapping keeps the order of values or turns it round, so the device bounds
        // are the device values of the logical ones.
        const int32_t x0 = xs.Map(xs.Low()), x1 = xs.Map(xs.High());
        const int32_t y0 = ys.Map(ys.Low()), y1 = ys.Map(ys.High());
        bounds->deviceLow = Point{std::min(x0, x1), std::min(y0, y1)};
        bounds->deviceHigh = Point{std::max(x0, x1), std::max(y0, y1)};
    }
    return true;
}

// Text mode is one unit to one pixel, so entering it resets both extents to 1:1:
// a later switch to anisotropic mode starts from scale one, not from a scale
// set before.
bool SetMapMode(DcHandle dc, MapMode mode, MapMode* previous) {
    Dc* d = FindDc(dc);
    if (!d || (mode != MapMode::Text && mode != MapMode::Anisotropic)) return false;
    detail::RecordIfRecording(*d, [mode](DcHandle t) { SetMapMode(t, mode); });
    Mapping& m = d->state.mapping;
    MapMode old = std::exchange(m.mode, mode);
    if (mode == MapMode::Text) {
        m.windowExtent = kOneToOne;
        m.viewportExtent = kOneToOne;
    }
    if (previous) *previous = old;
    return true;
}

MapMode GetMapMode(DcHandle dc) {
    const Dc* d = FindDc(dc);
    return d ? d->state.mapping.mode : MapMode::Text;
}

namespace {
template <typename T>
bool SetMappingField(DcHandle dc, T Mapping::*field, T value, T* previous,
                     bool (*self)(DcHandle, T, T*)) {
    Dc* d = FindDc(dc);
    if (!d) return false;
    detail::RecordIfRecording(*d, [value, self](DcHandle t) { self(t, value, nullptr); });
    T old = std::exchange(d->state.mapping.*field, value);
    if (previous) *previous = old;
    return true;
}

// Extents are kept only in anisotropic mode; a zero extent is refused.
bool SetExtent(DcHandle dc, Size Mapping::*field, Size value, Size* previous,
               bool (*self)(DcHandle, Size, Size*)) {
    Dc* d = FindDc(dc);
    if (!d || value.cx == 0 || value.cy == 0) return false;
    if (d->state.mapping.mode != MapMode::Anisotropic) {
        if (previous) *previous = d->state.mapping.*field;
        return true;
    }
    return SetMappingField(dc, field, value, previous, self);
}
}  // namespace

bool SetWindowOrigin(DcHandle dc, Point origin, Point* previous) {
    return SetMappingField(dc, &Mapping::windowOrigin, origin, previous, &SetWindowOrigin);
}
bool SetViewportOrigin(DcHandle dc, Point origin, Point* previous) {
    return SetMappingField(dc, &Mapping::viewportOrigin, origin, previous, &SetViewportOrigin);
}
// Saturates like the conversions; recorded as the offset, so a replay moves the
// target's own origin.
bool OffsetViewportOrigin(DcHandle dc, Size delta, Point* previous) {
    Dc* d = FindDc(dc);
    if (!d) return false;
    detail::RecordIfRecording(*d, [delta](DcHandle t) { OffsetViewportOrigin(t, delta); });
    Point& origin = d->state.mapping.viewportOrigin;
    if (previous) *previous = origin;
    origin = Point{Saturate(Wide{origin.x} + delta.cx), Saturate(Wide{origin.y} + delta.cy)};
    return true;
}
bool SetWindowExtent(DcHandle dc, Size extent, Size* previous) {
    return SetExtent(dc, &Mapping::windowExtent, extent, previous, &SetWindowExtent);
}
bool SetViewportExtent(DcHandle dc, Size extent, Size* previous) {
    return SetExtent(dc, &Mapping::viewportExtent, extent, previous, &SetViewportExtent);
}

Mapping GetMapping(DcHandle dc) {
    const Dc* d = FindDc(dc);
    return d ? d->state.mapping : Mapping{};
}
Point GetWindowOrigin(DcHandle dc) { return GetMapping(dc).windowOrigin; }
Point GetViewportOrigin(DcHandle dc) { return GetMapping(dc).viewportOrigin; }
Size GetWindowExtent(DcHandle dc) { return GetMapping(dc).windowExtent; }
Size GetViewportExtent(DcHandle dc) { return GetMapping(dc).viewportExtent; }

bool LogicalToDevice(DcHandle dc, Point* points, int count) {
    const Dc* d = FindDc(dc);
    if (!d || (count > 0 && !points)) return false;
    for (int i = 0; i < count; ++i) points[i] = MapLogicalToDevice(d->state.mapping, points[i]);
    return true;
}

bool DeviceToLogical(DcHandle dc, Point* points, int count) {
    const Dc* d = FindDc(dc);
    if (!d || (count > 0 && !points)) return false;
    for (int i = 0; i < count; ++i) points[i] = MapDeviceToLogical(d->state.mapping, points[i]);
    return true;
}

Point LogicalToDevice(DcHandle dc, Point logical) {
    LogicalToDevice(dc, &logical, 1);
    return logical;
}
Point DeviceToLogical(DcHandle dc, Point device) {
    DeviceToLogical(dc, &device, 1);
    return device;
}
Size LogicalToDeviceDistance(DcHandle dc, Size logical) {
    const Dc* d = FindDc(dc);
    return d ? MapLogicalToDeviceDistance(d->state.mapping, logical) : logical;
}
Size DeviceToLogicalDistance(DcHandle dc, Size device) {
    const Dc* d = FindDc(dc);
    return d ? MapDeviceToLogicalDistance(d->state.mapping, device) : device;
}

}  // namespace ql::gfx
