// The control height of a slur clear of the heads under it: for each
// head edge, the parameter t where the curve's x reaches it (by halving: x grows
// with t for any slur longer than its two insets), then the bound on c there.
#include "objects/curves/slur_clearance.h"

#include <algorithm>
#include <cmath>

namespace ql {
namespace {

constexpr double kLeastControlWeight = 0.2;  // the ends' neighbourhood, where no bound is taken
constexpr int kHalvings = 24;

// The cubic's Bernstein weights at t of its start, its two control points together,
// and its end.
struct CurveWeights {
    double start;
    double control;
    double end;
};

CurveWeights WeightsAt(double t) {
    const double u = 1.0 - t;
    return {u * u * u, 3.0 * u * t, t * t * t};
}

double CurveX(const SlurShape& s, double t) {
    const CurveWeights w = WeightsAt(t);
    const double x1 = s.x0 + s.inset;
    const double x2 = s.x3 - s.inset;
    const double u = 1.0 - t;
    return w.start * s.x0 + 3.0 * u * u * t * x1 + 3.0 * u * t * t * x2 + w.end * s.x3;
}

// The t at which the curve's x is `x` (x strictly between the ends).
double ParameterAtX(const SlurShape& s, int32_t x) {
    double low = 0.0;
    double high = 1.0;
    for (int i = 0; i < kHalvings; ++i) {
        const double middle = (low + high) / 2.0;
        (CurveX(s, middle) < x ? low : high) = middle;
    }
    return (low + high) / 2.0;
}

}  // namespace

int32_t ControlYClearOf(const SlurShape& shape, int32_t control, const std::vector<SlurObstacle>& heads,
                        int32_t clearance) {
    for (const SlurObstacle& head : heads) {
        for (const int32_t x : {head.left, head.right}) {
            if (x <= shape.x0 || x >= shape.x3) continue;
            const CurveWeights w = WeightsAt(ParameterAtX(shape, x));
            if (w.control < kLeastControlWeight) continue;
            // y(t) = start * y0 + control * (c + thickness) + end * y3 must stand
            // `clearance` beyond the edge, away from the notes.
            const double limit = shape.above ? head.edge - clearance : head.edge + clearance;
            const double bound = (limit - w.start * shape.y0 - w.end * shape.y3) / w.control - shape.thickness;
            control = shape.above ? std::min(control, static_cast<int32_t>(std::floor(bound)))
                                  : std::max(control, static_cast<int32_t>(std::ceil(bound)));
        }
    }
    return control;
}

void EndsClearOf(SlurShape* shape, const std::vector<SlurObstacle>& heads, int32_t clearance) {
    for (const SlurObstacle& head : heads) {
        for (const int32_t x : {head.left, head.right}) {
            if (x <= shape->x0 || x >= shape->x3) continue;
            const double t = ParameterAtX(*shape, x);
            const CurveWeights w = WeightsAt(t);
            if (std::max(w.start, w.end) <= w.control) continue;
            const int32_t limit = shape->above ? head.edge - clearance : head.edge + clearance;
            int32_t& end = t < 0.5 ? shape->y0 : shape->y3;
            end = shape->above ? std::min(end, limit) : std::max(end, limit);
        }
    }
}

}  // namespace ql
