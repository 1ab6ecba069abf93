// Styled polylines: a line no wider than a device pixel is one stroke, a wide one
// covers its whole band across the line without gaps, by pixels of the window.
#include "core/draw/draw_polyline.h"

#include "core/tests/draw/draw_fixture.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/gfx/recording.h"

namespace ql::testing_draw {
namespace {

constexpr int32_t kPixelUnits = 128 / kTestZoom;  // score units of one device pixel
constexpr int32_t kBandWidth = 8 * kPixelUnits;   // eight pixels
constexpr int32_t kLineY = kLogicalOrigin + 10 * 128;
constexpr int32_t kLineLeft = kLogicalOrigin + 256;
constexpr int32_t kLineRight = kLogicalOrigin + 20 * 128;

class StyledPolyline : public DrawTest {
  protected:
    void SetUp() override {
        DrawTest::SetUp();
        BeginViewDraw(&view_);
    }
    void TearDown() override {
        EndViewDrawAll(&view_);
        DrawTest::TearDown();
    }
    int DeviceY(int32_t y) const { return gfx::LogicalToDevice(view_.ViewDC, gfx::Point{0, y}).y; }
    int DeviceX(int32_t x) const { return gfx::LogicalToDevice(view_.ViewDC, gfx::Point{x, 0}).x; }
    int InkCount() const {
        int count = 0;
        for (int y = 0; y < kWindowHeight; ++y)
            for (int x = 0; x < kWindowWidth; ++x) count += IsInk(x, y) ? 1 : 0;
        return count;
    }
    // Every column with ink in the band's first row has ink in all its rows, and no
    // ink lies just outside the band. Returns the number of inked columns.
    int CheckHorizontalBand(int32_t width) {
        int top = DeviceY(kLineY);
        int rows = width / kPixelUnits;
        int columns = 0;
        for (int x = DeviceX(kLineLeft); x < DeviceX(kLineRight); ++x) {
            EXPECT_FALSE(IsInk(x, top - 2)) << "above the band at x " << x;
            EXPECT_FALSE(IsInk(x, top + rows + 1)) << "below the band at x " << x;
            if (!IsInk(x, top + 1)) continue;
            ++columns;
            for (int y = top + 1; y < top + rows - 1; ++y)
                EXPECT_TRUE(IsInk(x, y)) << "gap at " << x << "," << y;
        }
        return columns;
    }
};

// Drawn with XOR, a line stroked twice would vanish: the thin styled line shows.
TEST_F(StyledPolyline, ALineNoWiderThanAPixelIsDrawnOnce) {
    gfx::SetRop2(view_.ViewDC, gfx::Rop2::XorPen);
    State().drawing.CurrentTextColour = gfx::kWhite;
    gfx::Point line[2] = {{kLineLeft, kLineY}, {kLineRight, kLineY}};
    EXPECT_EQ(DrawPolylineWithPen(&view_, line, 2, gfx::PenStyle::Dash, kPixelUnits, false), 1);
    EXPECT_GT(InkCount(), 0);
}

// While playback runs a wide styled line is one stroke as well.
TEST_F(StyledPolyline, DuringPlaybackAWideLineIsDrawnOnce) {
    gfx::SetRop2(view_.ViewDC, gfx::Rop2::XorPen);
    State().drawing.CurrentTextColour = gfx::kWhite;
    PlaybackFlags().PlaybackActive.store(1);
    gfx::Point line[2] = {{kLineLeft, kLineY}, {kLineRight, kLineY}};
    EXPECT_EQ(DrawPolylineWithPen(&view_, line, 2, gfx::PenStyle::Dash, kBandWidth, false), 1);
    PlaybackFlags().PlaybackActive.store(0);
    int ink = InkCount();
    EXPECT_GT(ink, 0);
    EXPECT_LT(ink, DeviceX(kLineRight) - DeviceX(kLineLeft) + 1) << "one pixel row at most";
}

// A wide dashed segment fills every row of its band wherever a dash is.
TEST_F(StyledPolyline, AWideSegmentCoversItsBandWithoutGaps) {
    gfx::Point line[2] = {{kLineLeft, kLineY}, {kLineRight, kLineY}};
    EXPECT_EQ(DrawPolylineWithPen(&view_, line, 2, gfx::PenStyle::Dash, kBandWidth, false), 1);
    EXPECT_GT(CheckHorizontalBand(kBandWidth), 0);
    EXPECT_TRUE(WritePng("draw_wide_dashed_segment.png"));
}

// Five or more points are moved down as one copy: the band is covered as well.
TEST_F(StyledPolyline, AWidePolylineOfFivePointsCoversItsBandWithoutGaps) {
    constexpr int kPoints = 6;
    gfx::Point line[kPoints];
    for (int i = 0; i < kPoints; ++i)
        line[i] = gfx::Point{kLineLeft + i * (kLineRight - kLineLeft) / (kPoints - 1), kLineY};
    EXPECT_EQ(DrawPolylineWithPen(&view_, line, kPoints, gfx::PenStyle::Dot, kBandWidth, false), 1);
    EXPECT_GT(CheckHorizontalBand(kBandWidth), 0);
}

// A vertical wide segment covers its band across x.
TEST_F(StyledPolyline, AWideVerticalSegmentCoversItsBandAcrossX) {
    int32_t x = kLineLeft + 512;
    gfx::Point line[2] = {{x, kLogicalOrigin + 256}, {x, kLogicalOrigin + 12 * 128}};
    EXPECT_EQ(DrawPolylineWithPen(&view_, line, 2, gfx::PenStyle::Dash, kBandWidth, false), 1);
    int left = DeviceX(x);
    int rows = 0;
    for (int y = DeviceY(line[0].y) + 1; y < DeviceY(line[1].y) - 1; ++y) {
        EXPECT_FALSE(IsInk(left - 2, y));
        EXPECT_FALSE(IsInk(left + kBandWidth / kPixelUnits + 1, y));
        if (!IsInk(left + 1, y)) continue;
        ++rows;
        for (int c = left + 1; c < left + kBandWidth / kPixelUnits - 1; ++c)
            EXPECT_TRUE(IsInk(c, y));
    }
    EXPECT_GT(rows, 0);
}

// With the join flag every later segment gets a solid stroke at its start, which
// closes the dash gaps around the joint.
TEST_F(StyledPolyline, TheJoinFlagAddsSolidStrokesAtTheJoints) {
    int32_t middle = (kLineLeft + kLineRight) / 2;
    gfx::Point line[3] = {{kLineLeft, kLineY}, {middle, kLineY}, {kLineRight, kLineY}};
    DrawPolylineWithPen(&view_, line, 3, gfx::PenStyle::Dot, kBandWidth, false);
    int plain = InkCount();
    gfx::FillRect(view_.ViewDC, gfx::Rect{kLogicalOrigin, kLogicalOrigin, 0, 0},
                  gfx::GetStockBrush(gfx::StockBrush::White));
    ASSERT_EQ(InkCount(), 0);
    DrawPolylineWithPen(&view_, line, 3, gfx::PenStyle::Dot, kBandWidth, true);
    EXPECT_GT(InkCount(), plain);
    int joint = DeviceX(middle);
    for (int y = DeviceY(kLineY) + 1; y < DeviceY(kLineY) + kBandWidth / kPixelUnits - 1; ++y)
        EXPECT_TRUE(IsInk(joint, y)) << "row " << y;
}

// The companion context gets the joint strokes with the solid pen as well: its
// replay is the very picture the window got.
TEST_F(StyledPolyline, TheCompanionGetsTheSolidJointStrokesToo) {
    EndViewDrawAll(&view_);
    platform::DcHandle mirror = gfx::CreateRecordingContext({});
    ASSERT_TRUE(mirror);
    view_.ViewMirrorDC = mirror;
    BeginViewDraw(&view_);
    int32_t middle = (kLineLeft + kLineRight) / 2;
    gfx::Point line[3] = {{kLineLeft, kLineY}, {middle, kLineY}, {kLineRight, kLineY}};
    DrawPolylineWithPen(&view_, line, 3, gfx::PenStyle::Dot, kBandWidth, true);
    EndViewDrawAll(&view_);
    view_.ViewMirrorDC = {};
    int drawn = InkCount();
    ASSERT_GT(drawn, 0);
    BeginViewDraw(&view_);
    gfx::FillRect(view_.ViewDC, gfx::Rect{kLogicalOrigin, kLogicalOrigin, 0, 0},
                  gfx::GetStockBrush(gfx::StockBrush::White));
    ASSERT_EQ(InkCount(), 0);
    ASSERT_TRUE(gfx::PlayRecording(mirror, view_.ViewDC));
    EXPECT_EQ(InkCount(), drawn);
    gfx::DeleteContext(mirror);
}

// A solid pen draws the whole width at once.
TEST_F(StyledPolyline, ASolidLineIsOneThickStroke) {
    gfx::Point line[2] = {{kLineLeft, kLineY}, {kLineRight, kLineY}};
    EXPECT_EQ(DrawPolylineWithPen(&view_, line, 2, gfx::PenStyle::Solid, kBandWidth, false), 1);
    int x = (DeviceX(kLineLeft) + DeviceX(kLineRight)) / 2;
    EXPECT_TRUE(IsInk(x, DeviceY(kLineY)));
}

// Nothing is drawn without points, with one point, or without a surface.
TEST_F(StyledPolyline, NothingIsDrawnWithoutPointsOrSurface) {
    gfx::Point line[2] = {{kLineLeft, kLineY}, {kLineRight, kLineY}};
    EXPECT_EQ(DrawPolylineWithPen(&view_, nullptr, 2, gfx::PenStyle::Dash, kBandWidth, false), 0);
    EXPECT_EQ(DrawPolylineWithPen(&view_, line, 1, gfx::PenStyle::Dash, kBandWidth, false), 0);
    EndViewDrawAll(&view_);
    EXPECT_EQ(DrawPolylineWithPen(&view_, line, 2, gfx::PenStyle::Dash, kBandWidth, false), 0);
    EXPECT_EQ(InkCount(), 0);
}

}  // namespace
}  // namespace ql::testing_draw
