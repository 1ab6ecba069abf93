// Coordinate conversion where offsets from the origin pass 2^31: the products
// change width there, and the rounding (halves away from zero) must not.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "platform/gfx/mapping.h"

namespace ql::gfx {
namespace {

constexpr int32_t kLowest = std::numeric_limits<int32_t>::min();
constexpr int32_t kHalfOfTwoToThe31 = 1 << 30;

// Halving about the lowest origin: offsets 2^31 - 1, 2^31 and 2^31 + 1 give
// 2^30 - 0.5, 2^30 and 2^30 + 0.5, each rounded away from zero, on both signs.
TEST(GfxMappingLimits, HalvesRoundAwayFromZeroEitherSideOfTwoToThe31) {
    Mapping m;
    m.mode = MapMode::Anisotropic;
    m.windowOrigin = Point{kLowest, kLowest};
    m.windowExtent = Size{2, 2};
    m.viewportExtent = Size{1, -1};
    EXPECT_EQ(MapLogicalToDevice(m, Point{-1, -1}), (Point{kHalfOfTwoToThe31, -kHalfOfTwoToThe31}));
    EXPECT_EQ(MapLogicalToDevice(m, Point{0, 0}), (Point{kHalfOfTwoToThe31, -kHalfOfTwoToThe31}));
    EXPECT_EQ(MapLogicalToDevice(m, Point{1, 1}), (Point{kHalfOfTwoToThe31 + 1, -kHalfOfTwoToThe31 - 1}));
    EXPECT_EQ(MapLogicalToDevice(m, Point{3, 3}), (Point{kHalfOfTwoToThe31 + 2, -kHalfOfTwoToThe31 - 2}));
}

// Doubling from the lowest origin: results past the 32-bit range saturate, the
// largest one within it does not.
TEST(GfxMappingLimits, DoublingSaturatesOnlyBeyondTheRange) {
    Mapping m;
    m.mode = MapMode::Anisotropic;
    m.windowOrigin = Point{kLowest, 0};
    m.viewportOrigin = Point{kLowest, 0};
    m.windowExtent = Size{1, 1};
    m.viewportExtent = Size{2, 1};
    EXPECT_EQ(MapLogicalToDevice(m, Point{kLowest + kHalfOfTwoToThe31, 0}).x, 0);
    EXPECT_EQ(MapLogicalToDevice(m, Point{-1, 0}).x, std::numeric_limits<int32_t>::max() - 1);
    EXPECT_EQ(MapLogicalToDevice(m, Point{0, 0}).x, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(MapLogicalToDevice(m, Point{std::numeric_limits<int32_t>::max(), 0}).x,
              std::numeric_limits<int32_t>::max());
}

}  // namespace
}  // namespace ql::gfx
