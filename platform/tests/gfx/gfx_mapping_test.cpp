// Coordinate conversion: rounding, round trips at every screen zoom with the
// program's origin at -30720, printer extents of 32768 and more, saturation,
// and the mapping state kept by a context.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/gfx/mapping.h"
#include "platform/gfx/recording.h"
#include "platform/tests/gfx/gfx_canvas.h"

namespace ql::gfx {
namespace {

constexpr int32_t kOrigin = -30720;
constexpr int32_t kUnitsPerSpace = 128;

Mapping ZoomMapping(int zoom) {
    Mapping m;
    m.mode = MapMode::Anisotropic;
    m.windowOrigin = Point{kOrigin, kOrigin};
    m.windowExtent = Size{kUnitsPerSpace, kUnitsPerSpace};
    m.viewportExtent = Size{zoom, zoom};
    return m;
}

// Division rounds to nearest with halves away from zero, on both signs.
TEST(GfxRounding, HalvesRoundAwayFromZero) {
    EXPECT_EQ(RoundedDivide(1, 2), 1);
    EXPECT_EQ(RoundedDivide(-1, 2), -1);
    EXPECT_EQ(RoundedDivide(3, 2), 2);
    EXPECT_EQ(RoundedDivide(5, 4), 1);
    EXPECT_EQ(RoundedDivide(-5, 4), -1);
    EXPECT_EQ(RoundedDivide(7, -4), -2);
    EXPECT_EQ(RoundedDivide(0, 3), 0);
}

// At zoom 2..128 every device pixel near the origin survives device->logical->device.
TEST(GfxMappingRoundTrip, DevicePixelsSurviveAtEveryZoom) {
    for (int zoom = 2; zoom <= 128; ++zoom) {
        Mapping m = ZoomMapping(zoom);
        for (int32_t d = -300; d <= 3000; d += 7) {
            Point logical = MapDeviceToLogical(m, Point{d, -d});
            ASSERT_EQ(MapLogicalToDevice(m, logical), (Point{d, -d})) << "zoom " << zoom;
        }
    }
}

// Logical points come back within half a device pixel: the point that comes
// back is the whole unit nearest the centre of the pixel the point fell on, so
// it lies at most half a pixel (128 / zoom / 2 units) plus the half unit of that
// last rounding from where it started: 2 * zoom * error <= 128 + zoom. The bound
// is reached at every zoom but 128, where a pixel is one unit and every point
// comes back exactly. Every point of a stretch longer than 128 units is tried,
// which meets every remainder of the division.
TEST(GfxMappingRoundTrip, LogicalPointsComeBackWithinHalfAPixel) {
    for (int zoom = 2; zoom <= 128; ++zoom) {
        Mapping m = ZoomMapping(zoom);
        int64_t worst = 0;
        for (int32_t l = kOrigin - 300; l < kOrigin + 3000; ++l) {
            Point pixel = MapLogicalToDevice(m, Point{l, l});
            Point back = MapDeviceToLogical(m, pixel);
            int64_t error = std::abs(int64_t{back.x} - l);
            ASSERT_LE(2 * zoom * error, kUnitsPerSpace + zoom) << "zoom " << zoom << " at " << l;
            ASSERT_EQ(MapLogicalToDevice(m, back), pixel) << "zoom " << zoom << " at " << l;
            worst = std::max(worst, error);
        }
        int64_t bound = zoom == kUnitsPerSpace ? 0 : (kUnitsPerSpace + zoom) / (2 * zoom);
        EXPECT_EQ(worst, bound) << "zoom " << zoom;
    }
}

// The window origin maps to the viewport origin, and one staff space to `zoom` pixels.
TEST(GfxMappingValues, OriginAndStaffSpaceLandOnExpectedPixels) {
    Mapping m = ZoomMapping(16);
    m.viewportOrigin = Point{19, 19};
    EXPECT_EQ(MapLogicalToDevice(m, Point{kOrigin, kOrigin}), (Point{19, 19}));
    EXPECT_EQ(MapLogicalToDevice(m, Point{kOrigin + 128, kOrigin + 64}), (Point{35, 27}));
    EXPECT_EQ(MapLogicalToDevice(m, Point{kOrigin + 4, kOrigin - 4}), (Point{20, 18}));  // 0.5 rounds out
}

// Printer extents far beyond 16 bits convert like exact arithmetic rounded.
TEST(GfxMappingValues, LargeExtentsMatchExactArithmetic) {
    Mapping m;
    m.mode = MapMode::Anisotropic;
    m.windowOrigin = Point{kOrigin, kOrigin};
    m.windowExtent = Size{2250000, 2912000};
    m.viewportExtent = Size{652800, 844800};
    for (int32_t l = kOrigin; l < 32767; l += 1013) {
        Point d = MapLogicalToDevice(m, Point{l, l});
        double exactX = (static_cast<double>(l) - kOrigin) * 652800 / 2250000;
        double exactY = (static_cast<double>(l) - kOrigin) * 844800 / 2912000;
        ASSERT_EQ(d.x, static_cast<int32_t>(std::lround(exactX)));
        ASSERT_EQ(d.y, static_cast<int32_t>(std::lround(exactY)));
    }
}

// Products beyond 64 bits neither wrap nor crash: results saturate to 32 bits.
TEST(GfxMappingValues, HugeProductsSaturate) {
    Mapping m;
    m.mode = MapMode::Anisotropic;
    m.windowOrigin = Point{std::numeric_limits<int32_t>::min(), 0};
    m.windowExtent = Size{1, 1};
    m.viewportExtent = Size{std::numeric_limits<int32_t>::max(), -std::numeric_limits<int32_t>::max()};
    Point d = MapLogicalToDevice(m, Point{std::numeric_limits<int32_t>::max(), 5});
    EXPECT_EQ(d.x, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(d.y, std::numeric_limits<int32_t>::min());
}

// Distances scale without origins and keep their sign; text mode leaves them alone.
TEST(GfxMappingValues, DistancesScaleWithoutOrigin) {
    Mapping m = ZoomMapping(8);
    EXPECT_EQ(MapLogicalToDeviceDistance(m, Size{128, -64}), (Size{8, -4}));
    EXPECT_EQ(MapDeviceToLogicalDistance(m, Size{1, 3}), (Size{16, 48}));
    Mapping text;
    text.windowOrigin = Point{50, 50};
    EXPECT_EQ(MapLogicalToDeviceDistance(text, Size{7, 9}), (Size{7, 9}));
}

// A context in text mode ignores extents but applies both origins.
TEST(GfxContextMapping, TextModeIgnoresExtentsButKeepsOrigins) {
    testing::Canvas canvas(10, 10);
    ASSERT_TRUE(SetWindowExtent(canvas.dc(), Size{1, 1000}));
    SetWindowOrigin(canvas.dc(), Point{100, 200});
    SetViewportOrigin(canvas.dc(), Point{5, 6});
    EXPECT_EQ(LogicalToDevice(canvas.dc(), Point{101, 202}), (Point{6, 8}));
    EXPECT_EQ(DeviceToLogical(canvas.dc(), Point{6, 8}), (Point{101, 202}));
}

// Anisotropic contexts convert through their extents; a zero extent is refused.
TEST(GfxContextMapping, AnisotropicContextUsesExtentsAndRefusesZero) {
    testing::Canvas canvas(10, 10);
    ASSERT_TRUE(SetMapMode(canvas.dc(), MapMode::Anisotropic));
    ASSERT_TRUE(SetWindowExtent(canvas.dc(), Size{128, 128}));
    ASSERT_TRUE(SetViewportExtent(canvas.dc(), Size{32, 16}));
    EXPECT_FALSE(SetViewportExtent(canvas.dc(), Size{0, 16}));
    EXPECT_EQ(GetViewportExtent(canvas.dc()), (Size{32, 16}));
    EXPECT_EQ(LogicalToDevice(canvas.dc(), Point{128, 128}), (Point{32, 16}));
    EXPECT_EQ(LogicalToDeviceDistance(canvas.dc(), Size{256, 256}), (Size{64, 32}));
}

// Switching to text mode resets both extents to 1:1, so a later anisotropic
// mapping starts at scale one, never at a scale set before; origins stay. A
// recorded switch resets the extents of the context it is replayed onto.
TEST(GfxContextMapping, TextModeResetsTheExtents) {
    testing::Canvas canvas(10, 10);
    DcHandle dc = canvas.dc();
    ASSERT_TRUE(SetMapMode(dc, MapMode::Anisotropic));
    SetWindowExtent(dc, Size{128, 128});
    SetViewportExtent(dc, Size{32, 16});
    SetWindowOrigin(dc, Point{100, 100});
    ASSERT_TRUE(SetMapMode(dc, MapMode::Text));
    EXPECT_EQ(GetWindowExtent(dc), (Size{1, 1}));
    EXPECT_EQ(GetViewportExtent(dc), (Size{1, 1}));
    ASSERT_TRUE(SetMapMode(dc, MapMode::Anisotropic));
    EXPECT_EQ(LogicalToDevice(dc, Point{228, 228}), (Point{128, 128}));  // scale one, origin kept
    // Replayed: the target's own scale is gone after the recorded switch.
    DcHandle rec = CreateRecordingContext(dc);
    SetMapMode(rec, MapMode::Text);
    SetMapMode(rec, MapMode::Anisotropic);
    SetPixel(rec, Point{3, 3}, kBlack);
    SetWindowOrigin(dc, Point{0, 0});
    SetViewportExtent(dc, Size{2, 2});
    ASSERT_TRUE(PlayRecording(rec, dc));
    EXPECT_EQ(canvas.At(3, 3), kBlack);  // not at (6, 6)
    DeleteContext(rec);
}

// Offsetting the viewport origin saturates at the ends of the 32-bit range, as
// the conversions do, and reports the origin it replaced; recorded, it moves the
// replay target's own origin by the offset.
TEST(GfxContextMapping, ViewportOffsetSaturatesAndReplaysAsAnOffset) {
    constexpr int32_t kLowest = std::numeric_limits<int32_t>::min();
    constexpr int32_t kHighest = std::numeric_limits<int32_t>::max();
    testing::Canvas canvas(10, 10);
    DcHandle dc = canvas.dc();
    SetViewportOrigin(dc, Point{kHighest - 5, kLowest + 5});
    Point previous;
    EXPECT_TRUE(OffsetViewportOrigin(dc, Size{10, -10}, &previous));
    EXPECT_EQ(previous, (Point{kHighest - 5, kLowest + 5}));
    EXPECT_EQ(GetViewportOrigin(dc), (Point{kHighest, kLowest}));
    EXPECT_TRUE(OffsetViewportOrigin(dc, Size{kLowest, kHighest}));
    EXPECT_EQ(GetViewportOrigin(dc), (Point{-1, -1}));
    // Replayed onto a context whose origin is (1, 1): the pixel lands at (3, 3).
    DcHandle rec = CreateRecordingContext(dc);
    OffsetViewportOrigin(rec, Size{2, 2});
    SetPixel(rec, Point{0, 0}, kBlack);
    SetViewportOrigin(dc, Point{1, 1});
    ASSERT_TRUE(PlayRecording(rec, dc));
    EXPECT_EQ(canvas.At(3, 3), kBlack);
    EXPECT_EQ(canvas.CountOf(kBlack), 1);
    DeleteContext(rec);
}

// A handle that no longer resolves converts nothing and reports failure.
TEST(GfxContextMapping, DeletedContextDoesNotConvert) {
    BitmapHandle image = CreateImageBitmap(4, 4);
    DcHandle dc = CreateWindowContext(image);
    ASSERT_TRUE(DeleteContext(dc));
    Point p{3, 4};
    EXPECT_FALSE(LogicalToDevice(dc, &p, 1));
    EXPECT_FALSE(SetMapMode(dc, MapMode::Anisotropic));
    EXPECT_TRUE(DeleteObject(image));
}

}  // namespace
}  // namespace ql::gfx
