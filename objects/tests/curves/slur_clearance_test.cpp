// A slur's clearance of the heads under it, from a table of slurs over (or under)
// heads: heads by its ends lift the end beside them, heads inside lift the control
// height, and neither ever moves towards the notes. Each case is then read back
// along the curve: its inner side stands the clearance off every head.
#include "objects/curves/slur_clearance.h"

#include <gtest/gtest.h>

#include <vector>

namespace ql {
namespace {

constexpr int32_t kClearance = 48;
constexpr int32_t kHeadWidth = 167;

// The y of the curve (inner side) at parameter t.
double InnerY(const SlurShape& s, int32_t control, double t) {
    const double u = 1.0 - t;
    return u * u * u * s.y0 + 3.0 * u * t * (control + s.thickness) + t * t * t * s.y3;
}
double CurveX(const SlurShape& s, double t) {
    const double u = 1.0 - t;
    return u * u * u * s.x0 + 3.0 * u * u * t * (s.x0 + s.inset) + 3.0 * u * t * t * (s.x3 - s.inset) +
           t * t * t * s.x3;
}

TEST(SlurClearanceTest, EndsAndControlStandClearOfTheHeads) {
    struct Case {
        const char* name;
        bool above;
        std::vector<int32_t> headX;  // each head's left, its edge at `edge`
        int32_t edge;
        bool endsMove;  // the heads lie beside an end
    };
    const Case cases[] = {
        {"a head in the middle over", true, {1400}, -300, false},
        {"a head by the end over", true, {2820}, -300, true},
        {"a head by the start under", false, {60}, 400, true},
        {"heads all along under", false, {300, 1200, 2000, 2750}, 420, true},
        {"a head far below a slur over", true, {1400}, 600, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SlurShape shape;
        shape.x0 = 0;
        shape.x3 = 3000;
        shape.y0 = shape.y3 = c.above ? -100 : 100;
        shape.inset = 256;
        shape.thickness = c.above ? 24 : -24;
        shape.above = c.above;
        std::vector<SlurObstacle> heads;
        for (int32_t x : c.headX) heads.push_back({x, x + kHeadWidth, c.edge});
        const SlurShape before = shape;
        EndsClearOf(&shape, heads, kClearance);
        EXPECT_EQ(shape.y0 != before.y0 || shape.y3 != before.y3, c.endsMove);
        const int32_t start = c.above ? -250 : 250;
        const int32_t control = ControlYClearOf(shape, start, heads, kClearance);
        EXPECT_TRUE(c.above ? control <= start : control >= start);
        EXPECT_TRUE(c.above ? shape.y0 <= before.y0 && shape.y3 <= before.y3
                            : shape.y0 >= before.y0 && shape.y3 >= before.y3);
        for (int i = 1; i < 400; ++i) {
            const double t = i / 400.0;
            const double x = CurveX(shape, t);
            for (const SlurObstacle& head : heads) {
                if (x < head.left || x > head.right) continue;
                const double y = InnerY(shape, control, t);
                EXPECT_TRUE(c.above ? y <= head.edge - kClearance + 1 : y >= head.edge + kClearance - 1)
                    << "at x " << x << ": " << y;
            }
        }
    }
}

}  // namespace
}  // namespace ql
