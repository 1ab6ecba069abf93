// Flattening a cubic Bezier: the polyline stays within the tolerance (plus one unit
// for the integer halving) of the true curve whichever way the chord runs, including
// chords running up-left whose control points a magnitude-only distance would call
// flat; a curve too long for the buffer sets the overflow flag and draws nothing; a
// slur without thickness is drawn as one line, never a band.
#include <cmath>
#include <vector>

#include "core/model/score_document.h"
#include "objects/curves/curve_interface.h"
#include "objects/tests/spanners/spanner_fixture.h"

namespace ql::testing_spanners {
namespace {

struct Curve {
    gfx::Point p[4];
};

gfx::Point At(const Curve& c, double t) {
    const double u = 1 - t;
    const double x = u * u * u * c.p[0].x + 3 * u * u * t * c.p[1].x + 3 * u * t * t * c.p[2].x + t * t * t * c.p[3].x;
    const double y = u * u * u * c.p[0].y + 3 * u * u * t * c.p[1].y + 3 * u * t * t * c.p[2].y + t * t * t * c.p[3].y;
    return gfx::Point{static_cast<int32_t>(std::lround(x)), static_cast<int32_t>(std::lround(y))};
}

double SegmentDistance(gfx::Point p, gfx::Point a, gfx::Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 == 0 ? 0 : ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return std::sqrt(ex * ex + ey * ey);
}

// The largest distance of 256 samples of the curve from the polyline.
double WorstDeviation(const Curve& c, const CurveBuffer& buffer) {
    double worst = 0;
    for (int i = 0; i <= 256; ++i) {
        const gfx::Point s = At(c, i / 256.0);
        double nearest = 1e18;
        for (int k = 1; k < buffer.count; ++k)
            nearest = std::min(nearest, SegmentDistance(s, buffer.points[k - 1], buffer.points[k]));
        worst = std::max(worst, nearest);
    }
    return worst;
}

TEST(FlattenBezier, StaysWithinToleranceForEveryChordDirection) {
    constexpr int32_t kTolerance = 8;
    const std::vector<Curve> curves = {
        {{{0, 0}, {300, -600}, {900, -600}, {1200, 0}}},        // right, level (a slur)
        {{{0, 0}, {200, 400}, {800, 1000}, {1000, 1000}}},      // right and down
        {{{0, 0}, {-200, -600}, {-900, -300}, {-1000, -1000}}}, // left and up
        {{{0, 0}, {-100, 500}, {-700, 900}, {-1000, 1000}}},    // left and down
        {{{0, 0}, {400, -100}, {900, -400}, {1000, -1000}}},    // right and up
        // Up-left chords with the control points off the chord on either side.
        {{{0, 0}, {50, 50}, {50, 50}, {-100, 100}}},
        {{{0, 0}, {-50, -50}, {-50, -50}, {-100, 100}}},
        {{{0, 0}, {50, 50}, {-50, -50}, {-100, 100}}},
    };
    for (size_t i = 0; i < curves.size(); ++i) {
        CurveBuffer buffer;
        FlattenBezier(curves[i].p, kTolerance, &buffer);
        ASSERT_FALSE(buffer.overflow) << i;
        EXPECT_EQ(buffer.points[0], curves[i].p[0]) << i;
        EXPECT_EQ(buffer.points[buffer.count - 1], curves[i].p[3]) << i;
        EXPECT_LE(WorstDeviation(curves[i], buffer), kTolerance + 1) << "curve " << i;
    }
}

TEST(FlattenBezier, FlatnessUsesSignedDifferences) {
    // C = (50, 50) is 70 units from the chord (0,0)-(-100,100): not flat.
    const gfx::Point piece[4] = {{0, 0}, {50, 50}, {50, 50}, {-100, 100}};
    EXPECT_FALSE(IsFlatPiece(piece, 2));
    // A zero-length chord counts as flat; points on the chord are flat.
    const gfx::Point loop[4] = {{0, 0}, {50, 50}, {-50, 50}, {0, 0}};
    EXPECT_TRUE(IsFlatPiece(loop, 2));
    const gfx::Point straight[4] = {{0, 0}, {-30, 30}, {-60, 60}, {-100, 100}};
    EXPECT_TRUE(IsFlatPiece(straight, 2));
}

TEST(FlattenBezier, TooLongACurveOverflowsTheBuffer) {
    const gfx::Point curve[4] = {{0, 0}, {0, -30000}, {30000, 30000}, {30000, 0}};
    CurveBuffer buffer;
    FlattenBezier(curve, 2, &buffer);
    EXPECT_TRUE(buffer.overflow);
    EXPECT_EQ(buffer.count, kCurveBufferLimit);
    // The last point is overwritten by the curve's end.
    EXPECT_EQ(buffer.points[kCurveBufferLimit - 1], curve[3]);
}

TEST(CurveTolerance, FromTheZoomAndNeverBelowTwo) {
    ScoreView view{};
    view.zoom = 16;  // 8 units a pixel
    EXPECT_EQ(CurveTolerance(&view, false), 8);
    EXPECT_EQ(CurveTolerance(&view, true), 2);
    view.zoom = 4;  // 32 units a pixel; the fine quarter is 8
    EXPECT_EQ(CurveTolerance(&view, true), 8);
    view.zoom = 128;
    EXPECT_EQ(CurveTolerance(&view, false), 2);
}

class CurveBandTest : public SpannerTest {};

TEST_F(CurveBandTest, NoThicknessDrawsALineAndALongCurveNothing) {
    BuildScore(1, {1}, 4);
    view_->zoom = 16;
    const LogicalPoint outer[4] = {{0, 0}, {300, -600}, {900, -600}, {1200, 0}};
    DrawCurveBand(view_, view_->ViewDC, outer, outer, 0, false, false);
    const int lineCount = LastCurveBuffer().count;
    ASSERT_GT(lineCount, 2);
    // With thickness the inner run follows the outer one: a closed band.
    const LogicalPoint inner[4] = {{0, 0}, {300, -560}, {900, -560}, {1200, 0}};
    DrawCurveBand(view_, view_->ViewDC, outer, inner, 0, false, false);
    EXPECT_GT(LastCurveBuffer().count, lineCount + 1);
    // Equal inner and outer points again: a line only.
    DrawCurveBand(view_, view_->ViewDC, outer, outer, 0, false, false);
    EXPECT_EQ(LastCurveBuffer().count, lineCount);
    // A curve that overflows the buffer is abandoned.
    const LogicalPoint huge[4] = {{0, 0}, {0, -30000}, {30000, 30000}, {30000, 0}};
    view_->zoom = 128;
    EXPECT_FALSE(DrawCurveBand(view_, view_->ViewDC, huge, huge, 0, false, false));
    EXPECT_TRUE(LastCurveBuffer().overflow);
}

}  // namespace
}  // namespace ql::testing_spanners
