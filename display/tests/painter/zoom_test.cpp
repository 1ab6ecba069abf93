// Zoom of a view: the step rules in and out, the clamps and the lowest zoom small
// staves allow, the quick-zoom slots and the readout.
#include "display/zoom.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/draw/staff_scaling.h"
#include "core/state.h"
#include "display/tests/painter/painter_fixture.h"
#include "display/view_modes.h"

namespace ql::testing_painter {

namespace {

class ZoomTest : public PainterTest {
  protected:
    void SetUp() override {
        PainterTest::SetUp();
        BuildPages(2, 2, 2, 4, 8);
    }
    // The zooms met stepping `count` times from `from`.
    std::vector<int32_t> Steps(int32_t from, int direction, int count) {
        view_->zoom = from;
        std::vector<int32_t> out;
        for (int i = 0; i < count; ++i) {
            StepZoom(view_, direction);
            out.push_back(view_->zoom);
        }
        return out;
    }
};

TEST_F(ZoomTest, SteppingInAndOutFollowsTheStepRules) {
    // In from 6: 7 is odd and moves on to 8; 13 becomes 14; 14 + 7 = 21 becomes 22.
    EXPECT_EQ(Steps(6, 1, 5), (std::vector<int32_t>{8, 10, 12, 14, 22}));
    // Out from 22: half of 22 gives 11, odd, so 10; then 2 down to 6; single steps below 8.
    EXPECT_EQ(Steps(22, -1, 6), (std::vector<int32_t>{10, 8, 6, 5, 4, 3}));
    // Out from 2 does nothing; out from 3 reaches 2.
    EXPECT_EQ(Steps(2, -1, 1), (std::vector<int32_t>{2}));
    EXPECT_EQ(Steps(3, -1, 2), (std::vector<int32_t>{2, 2}));
    // In from 100 stops at 128 (100 + 50 clamped).
    EXPECT_EQ(Steps(100, 1, 1), (std::vector<int32_t>{128}));
}

TEST_F(ZoomTest, SteppedZoomHonoursAltAndCtrl) {
    // Alt holds the step at 2 from 13 on; Ctrl halves it (at least 1).
    EXPECT_EQ(SteppedZoom(40, 1, true, false), 42);
    EXPECT_EQ(SteppedZoom(40, 1, false, true), 50);
    EXPECT_EQ(SteppedZoom(4, 1, false, true), 5);
    // Odd results of 7 or more go one further the same way, both directions.
    EXPECT_EQ(SteppedZoom(9, -1, false, false), 6);
    EXPECT_EQ(SteppedZoom(10, -1, false, true), 8);
}

TEST_F(ZoomTest, SetZoomClampsAndKeepsSmallStavesReadable) {
    // Levels are clamped to 2..128.
    ::ql::SetZoom(view_, 1);
    EXPECT_EQ(view_->zoom, 2);
    ::ql::SetZoom(view_, 200);
    EXPECT_EQ(view_->zoom, 128);
    // A staff at 20 % on the page cannot go below 200 / 20 = 10; at 50 % below 4.
    SetStaffSizePercent(*Staff(2), 20);
    ::ql::SetZoom(view_, 3);
    EXPECT_EQ(view_->zoom, 10);
    SetStaffSizePercent(*Staff(2), 50);
    ::ql::SetZoom(view_, 3);
    EXPECT_EQ(view_->zoom, 4);
    // The previous level is the one before the last call.
    EXPECT_EQ(view_->previousZoom, 10);
}

TEST_F(ZoomTest, PreviousZoomLevelSwapsOriginAndLevel) {
    ::ql::SetZoom(view_, 8);
    ::ql::SetZoom(view_, 20);
    view_->pageOrigin[1] = -20000;
    State().display.painter.savedOrigin[1] = -30720;
    PreviousZoomLevel(view_);
    EXPECT_EQ(view_->zoom, 8);
    EXPECT_EQ(view_->pageOrigin[1], -30720);
    // Twice returns to the first level and origin.
    PreviousZoomLevel(view_);
    EXPECT_EQ(view_->zoom, 20);
    EXPECT_EQ(view_->pageOrigin[1], -20000);
}

TEST_F(ZoomTest, QuickZoomsApplyTheirSlots) {
    PainterState& painter = State().display.painter;
    // The initial table: 3, 8, 20 at (512, 1024), 40 at (512, 2048).
    EXPECT_EQ(painter.quickZoom[0].zoom, 3);
    EXPECT_EQ(painter.quickZoom[3].originY, 2048);
    // Slot 2 alone changes the zoom, not the origin.
    view_->pageOrigin[0] = -25000;
    ApplyQuickZoom(view_, 2);
    EXPECT_EQ(view_->zoom, 20);
    EXPECT_EQ(view_->pageOrigin[0], -25000);
    // The +100 form takes the stored origin as well.
    ApplyQuickZoom(view_, 103);
    EXPECT_EQ(view_->zoom, 40);
    EXPECT_EQ(view_->pageOrigin[0], 512);
    EXPECT_EQ(view_->pageOrigin[1], 2048);
    // An unset origin (0, 0) becomes the page's corner.
    ApplyQuickZoom(view_, 101);
    EXPECT_EQ(view_->zoom, 8);
    EXPECT_EQ(view_->pageOrigin[0], -30720);
    EXPECT_EQ(painter.quickZoom[1].originY, -30720);
    // SetQuickZoom stores the view's zoom and origin; slots outside 0..3 do nothing.
    ::ql::SetZoom(view_, 16);
    SetQuickZoom(view_, 0);
    EXPECT_EQ(painter.quickZoom[0].zoom, 16);
    EXPECT_EQ(painter.quickZoom[0].originX, -30720);
    ApplyQuickZoom(view_, 4);
    ApplyQuickZoom(view_, -1);
    EXPECT_EQ(view_->zoom, 16);
}

TEST_F(ZoomTest, ReadoutShowsLevelAndDpi) {
    view_->UnitsPerInch = 1917.44;
    // Zooms 7 and 8 both read as level 6; 2 as level 1; 22 as level 13.
    view_->zoom = 7;
    EXPECT_EQ(ZoomStatusText(view_), "Zoom level 6 (105 DPI)");
    view_->zoom = 8;
    EXPECT_EQ(ZoomStatusText(view_), "Zoom level 6 (120 DPI)");
    view_->zoom = 2;
    EXPECT_EQ(ZoomStatusText(view_), "Zoom level 1 (30 DPI)");
    // 22 x 1917.44 / 128 = 329.5: rounded up to a multiple of 5.
    view_->zoom = 22;
    EXPECT_EQ(ZoomStatusText(view_), "Zoom level 13 (330 DPI)");
}

}  // namespace

}  // namespace ql::testing_painter
