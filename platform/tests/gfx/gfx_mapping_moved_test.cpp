// Mapping points moved by one step from points already mapped: for every scale,
// sign, origin and step, the same device points as mapping each moved point
// afresh, halfway values (rounded away from zero) and saturation included.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

#include "platform/gfx/mapping.h"

namespace ql::gfx {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

Mapping Scaled(Size window, Size viewport, Point windowOrigin, Point viewportOrigin) {
    Mapping m;
    m.mode = MapMode::Anisotropic;
    m.windowExtent = window;
    m.viewportExtent = viewport;
    m.windowOrigin = windowOrigin;
    m.viewportOrigin = viewportOrigin;
    return m;
}

std::vector<Point> Mapped(const Mapping& m, const std::vector<Point>& points) {
    std::vector<Point> out;
    for (Point p : points) out.push_back(MapLogicalToDevice(m, p));
    return out;
}

TEST(GfxMappingMoved, MovedPointsMapAsEachPointAlone) {
    const std::vector<Mapping> mappings = {
        Mapping{},
        Scaled({2, 2}, {1, 1}, {0, 0}, {0, 0}),            // every odd value halfway
        Scaled({-4, 6}, {3, -5}, {-7, 11}, {13, -17}),     // signs, odd results
        Scaled({240, 240}, {96, 96}, {-30720, -30720}, {0, 0}),
        Scaled({1 << 30, 1 << 30}, {-(1 << 29), 3}, {0, 0}, {0, 0}),
        Scaled({1, 1}, {4, 4}, {0, 0}, {kMax - 100, kMin + 100}),  // saturates on the way
    };
    std::vector<Point> from;
    for (int i = -40; i <= 40; ++i) from.push_back(Point{i * 7 - 3, -i * 5 + 1});
    from.push_back(Point{kMax - 1000000000, kMin + 1000000000});  // far, and still far once moved
    const std::vector<Point> steps = {{0, 0}, {2, -2}, {5, 6}, {128, 0}, {-240, 480}, {1 << 29, -(1 << 29)}};
    for (size_t i = 0; i < mappings.size(); ++i)
        for (Point step : steps) {
            SCOPED_TRACE(testing::Message() << "mapping " << i << " step " << step.x << "," << step.y);
            std::vector<Point> moved;
            for (Point p : from)
                moved.push_back(Point{static_cast<int32_t>(int64_t{p.x} + step.x),
                                      static_cast<int32_t>(int64_t{p.y} + step.y)});
            std::vector<Point> out(moved.size());
            ASSERT_TRUE(MapMovedToDevice(mappings[i], from.data(), Mapped(mappings[i], from).data(), moved.data(),
                                         moved.size(), out.data()));
            EXPECT_EQ(out, Mapped(mappings[i], moved));
        }
}

// Whether every copy of a figure, up to `steps` steps, maps to the figure's device
// points moved by whole device steps: worked out point by point and copy by copy.
bool CopiesMoveExactly(const Mapping& m, const std::vector<Point>& figure, Point step, int steps) {
    const std::vector<Point> device = Mapped(m, figure);
    const Point next = MapLogicalToDevice(m, Point{figure[0].x + step.x, figure[0].y + step.y});
    const int64_t shiftX = int64_t{next.x} - device[0].x, shiftY = int64_t{next.y} - device[0].y;
    for (size_t i = 0; i < figure.size(); ++i)
        for (int k = 0; k <= steps; ++k) {
            Point copy{figure[i].x + k * step.x, figure[i].y + k * step.y};
            Point mapped = MapLogicalToDevice(m, copy);
            if (mapped.x != device[i].x + k * shiftX || mapped.y != device[i].y + k * shiftY) return false;
        }
    return true;
}

// A figure whose points share their values (a wave's top and bottom over the same
// columns), halfway values among them, gets each point's own device point and the
// verdict of checking every copy, whether its values lie close together or spread
// wider apart than a few hundred units.
TEST(GfxMappingMoved, FigureWithSharedValuesMapsAsEachPointAlone) {
    const std::vector<Mapping> mappings = {
        Mapping{},
        Scaled({2, 2}, {1, 1}, {0, 0}, {0, 0}),
        Scaled({8, 8}, {1, 1}, {-304, -200}, {0, 0}),
        Scaled({-4, 6}, {3, -5}, {-7, 11}, {13, -17}),
        Scaled({240, 240}, {96, 96}, {-30720, -30720}, {0, 0}),
    };
    std::vector<Point> close;
    for (int i = 0; i <= 60; ++i) close.push_back(Point{-31 + i, (i % 9) * 2 - 8});
    for (int i = 60; i >= 0; --i) close.push_back(Point{-31 + i, (i % 7) * 2 + 3});
    std::vector<Point> spread = close;
    for (Point& p : spread) p = Point{p.x * 13, p.y * 40};
    const std::vector<Point> steps = {{0, 0}, {2, 0}, {8, -8}, {16, 0}, {128, 4}, {240, 480}};
    constexpr int kSteps = 6;
    for (size_t i = 0; i < mappings.size(); ++i)
        for (const std::vector<Point>* figure : {&close, &spread})
            for (Point step : steps) {
                SCOPED_TRACE(testing::Message() << "mapping " << i << (figure == &close ? " close" : " spread")
                                                << " step " << step.x << "," << step.y);
                std::vector<Point> device(figure->size());
                Point deviceStep{};
                bool exact = MapFigureToDevice(mappings[i], figure->data(), figure->size(), step, kSteps,
                                               device.data(), &deviceStep);
                EXPECT_EQ(exact, CopiesMoveExactly(mappings[i], *figure, step, kSteps));
                if (exact) {
                    EXPECT_EQ(device, Mapped(mappings[i], *figure));
                }
            }
}

// Seeded figures of close values under seeded mappings: small extents (halfway
// values on both sides of the origin, odd and even divisors, either sign) and
// large ones (products up to 2^59), values up to 2^29 from the origin. Each gets
// every point's own device point and the verdict of checking every copy.
TEST(GfxMappingMoved, SeededFiguresMapAsEachPointAlone) {
    std::mt19937 random(55);
    auto pick = [&random](int64_t low, int64_t high) {
        return std::uniform_int_distribution<int64_t>(low, high)(random);
    };
    auto signed32 = [&](int64_t low, int64_t high) {
        return static_cast<int32_t>(pick(0, 1) != 0 ? pick(low, high) : -pick(low, high));
    };
    constexpr int kSteps = 5;
    int exactCount = 0;
    for (int round = 0; round < 400; ++round) {
        // Extents a * g and b * g, b <= a <= 16: a step of a multiple of a units is
        // a whole number of pixels.
        const bool small = round % 2 == 0;
        const int64_t factor = small ? 1 : pick(1, int64_t{1} << 26);
        const int32_t unitsX = signed32(1, 16), unitsY = signed32(1, 16);
        const int32_t fromX = static_cast<int32_t>(unitsX * factor), fromY = static_cast<int32_t>(unitsY * factor);
        const int32_t toX = static_cast<int32_t>(signed32(1, std::abs(unitsX)) * factor);
        const int32_t toY = static_cast<int32_t>(signed32(1, std::abs(unitsY)) * factor);
        const Point windowOrigin{signed32(0, small ? 40 : 1 << 29), signed32(0, small ? 40 : 1 << 29)};
        const Mapping m = Scaled({fromX, fromY}, {toX, toY}, windowOrigin, {signed32(0, 1000), signed32(0, 1000)});
        // Close to the window origin (running across it) or far from it.
        const int64_t away = small ? 20 : int64_t{1} << 29;
        const Point centre{static_cast<int32_t>(windowOrigin.x + pick(-away, away)),
                           static_cast<int32_t>(windowOrigin.y + pick(-away, away))};
        std::vector<Point> figure;
        const int count = static_cast<int>(pick(2, 60));
        for (int i = 0; i < count; ++i)
            figure.push_back(Point{static_cast<int32_t>(centre.x + pick(-200, 200)),
                                   static_cast<int32_t>(centre.y + pick(-40, 40))});
        // A step of whole pixels most of the time.
        const Point step = pick(0, 3) == 0
                               ? Point{static_cast<int32_t>(pick(-50, 50)), static_cast<int32_t>(pick(-50, 50))}
                               : Point{static_cast<int32_t>(unitsX * pick(-3, 3)), static_cast<int32_t>(unitsY * pick(-3, 3))};
        SCOPED_TRACE(testing::Message() << "round " << round);
        std::vector<Point> device(figure.size());
        Point deviceStep{};
        const bool exact =
            MapFigureToDevice(m, figure.data(), figure.size(), step, kSteps, device.data(), &deviceStep);
        ASSERT_EQ(exact, CopiesMoveExactly(m, figure, step, kSteps));
        if (exact) {
            ASSERT_EQ(device, Mapped(m, figure));
            ++exactCount;
        }
    }
    EXPECT_GT(exactCount, 100);
}

// Points not all moved by the same step are refused and nothing is written.
TEST(GfxMappingMoved, PointsMovedByDifferentStepsAreRefused) {
    const Mapping m = Scaled({3, 3}, {2, 2}, {0, 0}, {0, 0});
    const std::vector<Point> from = {{0, 0}, {10, 10}};
    const std::vector<Point> moved = {{5, 0}, {16, 10}};
    std::vector<Point> out(2, Point{-1, -1});
    EXPECT_FALSE(MapMovedToDevice(m, from.data(), Mapped(m, from).data(), moved.data(), 2, out.data()));
    EXPECT_EQ(out[0].x, -1);
    EXPECT_EQ(out[1].y, -1);
}

}  // namespace
}  // namespace ql::gfx
