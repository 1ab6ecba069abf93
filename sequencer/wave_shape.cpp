// The wave editor's envelope under the pointer: its points read from and written
// to the envelope record, the logical mapping of the drawing area, hitting and
// dragging a control point, and drawing the two Bezier segments with their
// handles (in XOR, so a second drawing erases the first).
#include <algorithm>
#include <cmath>

#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "sequencer/wave_editor.h"

namespace ql {
namespace {

constexpr int kFirstPointWord = 2;
constexpr int kSecondSegment = 4;
constexpr int kLastPoint = kEnvelopePoints - 1;
constexpr int32_t kAreaWidthUnits = 16384;  // logical units across the client area
constexpr int32_t kLeftOfArea = 4096;       // logical units left of x = 0
constexpr int32_t kCrossArm = 32;           // half of a handle's 64-unit cross
constexpr int kMostSubdivisions = 12;
// XOR ink: white ground turns black under the curves and blue under the handles.
constexpr gfx::Colour kCurveInk = gfx::Rgb(255, 255, 255);
constexpr gfx::Colour kHandleInk = gfx::Rgb(255, 255, 0);

struct RealPoint {
    double x = 0;
    double y = 0;
};

RealPoint Middle(RealPoint a, RealPoint b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

// Distance of `p` from the line through a and b (from a when they coincide).
double DistanceFromChord(RealPoint p, RealPoint a, RealPoint b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length = std::hypot(dx, dy);
    if (length == 0) return std::hypot(p.x - a.x, p.y - a.y);
    return std::abs((p.x - a.x) * dy - (p.y - a.y) * dx) / length;
}

gfx::Point Rounded(RealPoint p) {
    return {static_cast<int32_t>(std::lround(p.x)), static_cast<int32_t>(std::lround(p.y))};
}

// de Casteljau at the middle: the left half into the first four, the right half
// into the last four.
void Subdivide(const std::array<RealPoint, 4>& p, double tolerance, int depth, std::vector<gfx::Point>* out) {
    const bool flat = DistanceFromChord(p[1], p[0], p[3]) <= tolerance &&
                      DistanceFromChord(p[2], p[0], p[3]) <= tolerance;
    if (flat || depth >= kMostSubdivisions) {
        out->push_back(Rounded(p[3]));
        return;
    }
    const RealPoint ab = Middle(p[0], p[1]);
    const RealPoint bc = Middle(p[1], p[2]);
    const RealPoint cd = Middle(p[2], p[3]);
    const RealPoint abc = Middle(ab, bc);
    const RealPoint bcd = Middle(bc, cd);
    const RealPoint centre = Middle(abc, bcd);
    Subdivide({p[0], ab, abc, centre}, tolerance, depth + 1, out);
    Subdivide({centre, bcd, cd, p[3]}, tolerance, depth + 1, out);
}

gfx::Point AsPoint(const EnvelopePoint& p) { return {p.x, p.y}; }

// Half a device pixel in logical units on the context.
int32_t HalfPixel(platform::DcHandle dc) {
    const gfx::Size pixel = gfx::DeviceToLogicalDistance(dc, gfx::Size{1, 1});
    return std::max(1, std::abs(pixel.cx) / 2);
}

void DrawCross(platform::DcHandle dc, gfx::Point at) {
    gfx::MoveTo(dc, {at.x - kCrossArm, at.y});
    gfx::LineTo(dc, {at.x + kCrossArm, at.y});
    gfx::MoveTo(dc, {at.x, at.y - kCrossArm});
    gfx::LineTo(dc, {at.x, at.y + kCrossArm});
}

void DrawSegment(platform::DcHandle dc, const WaveEditorState& state, int first, int32_t tolerance,
                 platform::PenHandle curvePen, platform::PenHandle handlePen) {
    std::array<gfx::Point, 4> segment{};
    for (int i = 0; i < 4; ++i) segment[static_cast<size_t>(i)] = AsPoint(state.points[static_cast<size_t>(first + i)]);
    std::vector<gfx::Point> curve{segment[0]};
    SubdivideBezier(segment, tolerance, &curve);
    gfx::SelectObject(dc, curvePen);
    gfx::Polyline(dc, curve.data(), static_cast<int>(curve.size()));
    gfx::SelectObject(dc, handlePen);
    gfx::Polyline(dc, segment.data(), static_cast<int>(segment.size()));
    for (const gfx::Point& p : segment) DrawCross(dc, p);
}

}  // namespace

WaveEditorState WaveStateFromRecord(const EnvelopeRecord& record) {
    WaveEditorState state;
    for (int p = 1; p < kEnvelopePoints; ++p) {
        const auto word = static_cast<size_t>(kFirstPointWord + 2 * (p - 1));
        state.points[static_cast<size_t>(p)] = {record[word], record[word + 1]};
    }
    return state;
}

void WriteWavePoints(const WaveEditorState& state, EnvelopeRecord* record) {
    for (int p = 1; p < kEnvelopePoints; ++p) {
        const EnvelopePoint& point = state.points[static_cast<size_t>(p)];
        const auto word = static_cast<size_t>(kFirstPointWord + 2 * (p - 1));
        (*record)[word] = static_cast<int16_t>(point.x);
        (*record)[word + 1] = static_cast<int16_t>(point.y);
    }
}

gfx::Mapping WaveMapping(gfx::Size client) {
    gfx::Mapping m;
    m.mode = gfx::MapMode::Anisotropic;
    const int32_t extent = std::max(1, kAreaWidthUnits / std::max(1, client.cx));
    m.windowExtent = {extent, extent};
    m.viewportExtent = {1, 1};
    m.windowOrigin = {-kLeftOfArea, -(extent * client.cy) / 2};
    return m;
}

int HitWavePoint(const WaveEditorState& state, gfx::Point at) {
    for (int p = 1; p < kEnvelopePoints; ++p) {
        const EnvelopePoint& point = state.points[static_cast<size_t>(p)];
        if (std::abs(point.x - at.x) <= kWaveHitRadius && std::abs(point.y - at.y) <= kWaveHitRadius) return p;
    }
    return -1;
}

void DragWavePoint(WaveEditorState* state, gfx::Point to) {
    if (state->selected < 1 || state->selected > kLastPoint) return;
    EnvelopePoint& point = state->points[static_cast<size_t>(state->selected)];
    if (state->selected != kLastPoint) point.x = std::clamp(point.x + (to.x - state->last.x), 0, kWaveRight);
    point.y = std::clamp(point.y + (to.y - state->last.y), kWaveTop, kWaveBottom);
    state->last = to;
}

void SubdivideBezier(const std::array<gfx::Point, 4>& segment, int32_t tolerance, std::vector<gfx::Point>* out) {
    std::array<RealPoint, 4> p{};
    for (size_t i = 0; i < p.size(); ++i) p[i] = {static_cast<double>(segment[i].x), static_cast<double>(segment[i].y)};
    Subdivide(p, static_cast<double>(tolerance), 0, out);
}

void DrawWaveHandles(platform::DcHandle dc, const WaveEditorState& state) {
    const gfx::Rop2 oldRop = gfx::SetRop2(dc, gfx::Rop2::XorPen);
    const platform::PenHandle curvePen = gfx::CreatePen(gfx::PenStyle::Solid, 0, kCurveInk);
    const platform::PenHandle handlePen = gfx::CreatePen(gfx::PenStyle::Solid, 0, kHandleInk);
    const platform::PenHandle oldPen = gfx::SelectObject(dc, curvePen);
    const int32_t tolerance = HalfPixel(dc);
    DrawSegment(dc, state, 0, tolerance, curvePen, handlePen);
    DrawSegment(dc, state, kSecondSegment, tolerance, curvePen, handlePen);
    gfx::SelectObject(dc, oldPen);
    gfx::DeleteObject(curvePen);
    gfx::DeleteObject(handlePen);
    gfx::SetRop2(dc, oldRop);
}

void DrawWaveFrame(platform::DcHandle dc) {
    const platform::PenHandle oldPen = gfx::SelectObject(dc, gfx::GetStockPen(gfx::StockPen::Black));
    const platform::BrushHandle oldBrush = gfx::SelectObject(dc, gfx::GetStockBrush(gfx::StockBrush::Null));
    gfx::Rectangle(dc, {0, kWaveTop, kWaveRight, kWaveBottom});
    gfx::MoveTo(dc, {0, 0});
    gfx::LineTo(dc, {kWaveRight, 0});
    const gfx::Size pixel = gfx::DeviceToLogicalDistance(dc, gfx::Size{1, 1});
    const int32_t mark = 2 * kCrossArm;
    for (const int32_t x : {0, kWaveRight - pixel.cx}) {
        gfx::MoveTo(dc, {x, kWaveTop - mark});
        gfx::LineTo(dc, {x, kWaveBottom + mark});
    }
    gfx::SelectObject(dc, oldBrush);
    gfx::SelectObject(dc, oldPen);
}

}  // namespace ql
