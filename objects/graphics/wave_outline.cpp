// The wavy line's flattened figure and its layout (see wave_outline.h).
#include "objects/graphics/wave_outline.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace ql::graphics {
namespace {

constexpr int kControlPoints = 13;
constexpr int kSegmentSpan = 3;  // control points from one segment start to the next
// One period of the wave, logical units: four cubic segments, closed.
constexpr gfx::Point kWaveControls[kControlPoints] = {
    {0, 0},    {26, -32}, {54, -32}, {80, 0},  {96, 19},  {112, 19}, {128, 0},
    {102, 32}, {74, 32},  {48, 0},   {32, -19}, {16, -19}, {0, 0}};
constexpr int kPeriodShift = 7;  // log2 of the period

int32_t RoundHalfUp(double v) {
    return static_cast<int32_t>(v + 0.5);
}

// Samples one cubic segment (p[0..3]) into n points relative to p[0], then placed.
std::vector<gfx::Point> SampleSegment(const gfx::Point* p) {
    gfx::Point q[4];
    for (int i = 0; i < 4; ++i) q[i] = {p[i].x - p[0].x, p[i].y - p[0].y};
    int32_t extentX = 0;
    int32_t extentY = 0;
    for (int i = 0; i < 4; ++i) {
        extentX = std::max(extentX, std::abs(q[i].x));
        extentY = std::max(extentY, std::abs(q[i].y));
    }
    int n = 1 + std::max(extentX, extentY);
    std::vector<gfx::Point> samples;
    for (int k = 0; k < n; ++k) {
        double t = static_cast<double>(k) / n;
        double s = 1.0 - t;
        double b[4] = {s * s * s, 3 * s * s * t, 3 * s * t * t, t * t * t};
        double x = 0;
        double y = 0;
        for (int i = 0; i < 4; ++i) {
            x += b[i] * q[i].x;
            y += b[i] * q[i].y;
        }
        samples.push_back({p[0].x + RoundHalfUp(x), p[0].y + RoundHalfUp(y)});
    }
    return samples;
}

void AppendPoint(std::vector<gfx::Point>& out, gfx::Point point) {
    if (out.size() >= static_cast<size_t>(kMaxWavePoints)) return;
    if (!out.empty() && out.back().x == point.x && out.back().y == point.y) return;
    out.push_back(point);
}

std::vector<gfx::Point> FlattenWave() {
    std::vector<gfx::Point> out;
    for (int at = 0; at + kSegmentSpan < kControlPoints; at += kSegmentSpan) {
        const gfx::Point* p = &kWaveControls[at];
        AppendPoint(out, p[0]);
        bool reversed = p[0].x > p[kSegmentSpan].x;
        gfx::Point segment[4];
        for (int i = 0; i < 4; ++i) segment[i] = reversed ? p[kSegmentSpan - i] : p[i];
        std::vector<gfx::Point> samples = SampleSegment(segment);
        if (reversed) std::reverse(samples.begin(), samples.end());
        for (const gfx::Point& point : samples) AppendPoint(out, point);
    }
    return out;
}

// The smallest and largest x and y of points.
void BoundsOf(const std::vector<gfx::Point>& points, gfx::Point* low, gfx::Point* high) {
    *low = *high = points.empty() ? gfx::Point{} : points[0];
    for (const gfx::Point& p : points) {
        *low = {std::min(low->x, p.x), std::min(low->y, p.y)};
        *high = {std::max(high->x, p.x), std::max(high->y, p.y)};
    }
}

int CopiesOf(int32_t length) {
    return (length + kWavePeriod - 1) >> kPeriodShift;
}

// The slanted layout: rotated figure, start moved back by half the excess.
void LayOutSlanted(WaveLayout& layout, gfx::Point& origin, int32_t w, int32_t h) {
    auto length = static_cast<int32_t>(std::sqrt(static_cast<double>(w) * w + static_cast<double>(h) * h));
    if (length == 0) {
        layout.copies = 0;
        return;
    }
    layout.copies = length >> kPeriodShift;
    int32_t excess = length % kWavePeriod;
    if (excess != 0) {
        ++layout.copies;
        origin.x -= static_cast<int32_t>(static_cast<double>(w) / length * excess) >> 1;
        origin.y -= static_cast<int32_t>(static_cast<double>(h) / length * excess) >> 1;
    }
    double cosine = static_cast<double>(w) / length;
    double sine = static_cast<double>(h) / length;
    for (gfx::Point& point : layout.figure) {
        auto x = static_cast<int32_t>(point.x * cosine - point.y * sine);
        auto y = static_cast<int32_t>(point.y * cosine + point.x * sine);
        point = {x, y};
    }
    layout.step = {static_cast<int32_t>(kWavePeriod * cosine),
                   static_cast<int32_t>(kWavePeriod * sine)};
}

}  // namespace

const std::vector<gfx::Point>& WaveOutline() {
    static const std::vector<gfx::Point> outline = FlattenWave();
    return outline;
}

WaveLayout LayOutWave(LogicalPoint start, int32_t dx, int32_t dy) {
    WaveLayout layout;
    layout.figure = WaveOutline();
    if (layout.figure.empty()) return layout;
    // The end with the smaller x is where the figures start.
    gfx::Point origin{start.x, start.y};
    int32_t w = std::abs(dx);
    int32_t h = dy;
    if (dx < 0) {
        origin = {start.x + dx, start.y + dy};
        h = -dy;
    }
    // The straight figures' bounds are the outline's, made once.
    static const auto outlineBounds = [] {
        std::pair<gfx::Point, gfx::Point> bounds;
        BoundsOf(WaveOutline(), &bounds.first, &bounds.second);
        return bounds;
    }();
    layout.low = outlineBounds.first;
    layout.high = outlineBounds.second;
    if (w == 0) {
        for (gfx::Point& point : layout.figure) std::swap(point.x, point.y);
        layout.copies = CopiesOf(std::abs(h));
        layout.step = {0, h >= 0 ? kWavePeriod : -kWavePeriod};
        layout.low = {layout.low.y, layout.low.x};
        layout.high = {layout.high.y, layout.high.x};
    } else if (h == 0) {
        layout.copies = CopiesOf(w);
        layout.step = {kWavePeriod, 0};
    } else {
        LayOutSlanted(layout, origin, w, h);
        BoundsOf(layout.figure, &layout.low, &layout.high);
    }
    for (gfx::Point& point : layout.figure) point = {point.x + origin.x, point.y + origin.y};
    layout.low = {layout.low.x + origin.x, layout.low.y + origin.y};
    layout.high = {layout.high.x + origin.x, layout.high.y + origin.y};
    return layout;
}

}  // namespace ql::graphics
