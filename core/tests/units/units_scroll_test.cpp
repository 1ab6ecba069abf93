// Keeping a location in view: the page-view origin rule (a quarter of the visible
// extent ahead, snapped to 64 unscaled units, never below -30720), the staff band
// from the size percent, the scrolling view's measure range, and the drawing
// switches that are off while the view moves.
#include <gtest/gtest.h>

#include "core/draw/staff_scaling.h"
#include "core/model/pages.h"
#include "core/tests/model/model_fixture.h"
#include "core/units/view_moves.h"

namespace ql::testing_model {
namespace {

constexpr int32_t kVisibleWidth = 4000;
constexpr int32_t kVisibleHeight = 3000;

// ---- The origin rule ----

// A span wholly inside the visible extent, edges included, leaves the origin alone.
TEST(OriginShowingSpan, SpanInsideKeepsTheOrigin) {
    EXPECT_EQ(OriginShowingSpan(100, 0, kVisibleWidth, 500, 900, 0.0), 100);
    EXPECT_EQ(OriginShowingSpan(100, 0, kVisibleWidth, 0, kVisibleWidth, 0.0), 100);
}

// Left of the extent, or reaching past its far edge, leads by a quarter of it.
TEST(OriginShowingSpan, OutsideSpanLeadsByAQuarterOfTheExtent) {
    EXPECT_EQ(OriginShowingSpan(0, 0, kVisibleWidth, -2000, -1000, 0.0), -3000);
    EXPECT_EQ(OriginShowingSpan(0, 0, kVisibleWidth, 3500, 4001, 0.0), 2500);
    EXPECT_EQ(OriginShowingSpan(0, 0, kVisibleWidth, 4100, 4200, 0.0), 3100);
}

// With a zoom factor the unscaled origin is rounded to the nearest multiple of 64.
TEST(OriginShowingSpan, ZoomedOriginSnapsTo64UnscaledUnits) {
    // (5000 - 1000) / 2 = 2000 -> 1984 -> 3968.
    EXPECT_EQ(OriginShowingSpan(0, 0, kVisibleWidth, 5000, 5100, 2.0), 3968);
    // 4000 / 0.75 = 5333 -> 5312 -> 3984.
    EXPECT_EQ(OriginShowingSpan(0, 0, kVisibleWidth, 5000, 5100, 0.75), 3984);
    // -1500 rounds to -1472, the nearer multiple below zero.
    EXPECT_EQ(OriginShowingSpan(0, 0, kVisibleWidth, -500, -400, 1.0), -1472);
    // A factor of 0 or below leaves the origin unsnapped.
    EXPECT_EQ(OriginShowingSpan(0, 0, kVisibleWidth, 5001, 5100, -1.0), 4001);
}

// Origins below -30720 become -30720, zoomed or not.
TEST(OriginShowingSpan, OriginNeverGoesBelowTheLowestPageOrigin) {
    EXPECT_EQ(OriginShowingSpan(0, 0, kVisibleWidth, -30000, -29000, 0.0), kLowestPageOrigin);
    EXPECT_EQ(OriginShowingSpan(0, 0, kVisibleWidth, -30000, -29000, 3.0), kLowestPageOrigin);
}

// ---- Moving a real view ----

class ScrollToLocationTest : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        BuildStaves(12);
        system_ = view_->currentSystem;
        ASSERT_NE(system_, nullptr);
        view_->pageView = 1;
        view_->zoomFactor = 0.0;
        view_->pageOrigin[0] = 0;
        view_->pageOrigin[1] = 0;
        view_->visibleRect = gfx::Rect{0, 0, kVisibleWidth, kVisibleHeight};
        view_->positionWord = 1;
        view_->currentStaff = 1;
        view_->currentMeasure = system_->firstMeasure;
        system_->x = 200;
    }
    void TearDown() override {
        PlaybackFlags().PlaybackActive.store(0);
        ModelTest::TearDown();
    }
    // Places staff 1's top line at y (the system's y moved).
    void StaffOneTopAt(int32_t y) { system_->y = y - StaffOffsetsOf(system_)[1]; }
    void StaffOneSize(uint8_t percent) {
        StaffRecordOf(doc_, 1)->staffData22[kStaffSizeByte] = percent;
    }
    ScoreSystem* system_ = nullptr;
};

// The staff band is 1024 at full size and scales with the size percent.
TEST_F(ScrollToLocationTest, StaffBandFollowsTheSizePercent) {
    EXPECT_EQ(StaffBandHeight(StaffRecordOf(doc_, 1)), kFullStaffBand);
    StaffOneSize(75);
    EXPECT_EQ(StaffBandHeight(StaffRecordOf(doc_, 1)), 768);
    EXPECT_EQ(StaffBandHeight(nullptr), kFullStaffBand);
}

// A staff below the visible area brings the vertical origin to its top less a
// quarter of the visible height; the horizontal origin stays when x is in view.
TEST_F(ScrollToLocationTest, StaffBelowTheViewMovesTheVerticalOrigin) {
    StaffOneTopAt(5000);
    ScrollToLocation(view_, system_, 1, system_->firstMeasure);
    EXPECT_EQ(view_->pageOrigin[0], 0);
    EXPECT_EQ(view_->pageOrigin[1], 5000 - kVisibleHeight / 4);
    EXPECT_EQ(view_->visibleRect.top, 5000 - kVisibleHeight / 4);
}

// A small staff whose band ends inside the view stays put where a full-size band
// would reach past the bottom edge.
TEST_F(ScrollToLocationTest, SmallStaffBandFitsWhereAFullOneWouldNot) {
    StaffOneTopAt(kVisibleHeight - 900);
    StaffOneSize(75);
    ScrollToLocation(view_, system_, 1, system_->firstMeasure);
    EXPECT_EQ(view_->pageOrigin[1], 0);
    StaffOneSize(0);
    ScrollToLocation(view_, system_, 1, system_->firstMeasure);
    EXPECT_EQ(view_->pageOrigin[1], kVisibleHeight - 900 - kVisibleHeight / 4);
}

// A system left of the view moves the horizontal origin, snapped at the zoom factor.
TEST_F(ScrollToLocationTest, MeasureLeftOfTheViewMovesTheZoomedHorizontalOrigin) {
    StaffOneTopAt(1000);
    view_->zoomFactor = 2.0;
    system_->x = -5000;  // (-5000 - 1000) / 2 = -3000 -> -3008 -> -6016
    ScrollToLocation(view_, system_, 1, system_->firstMeasure);
    EXPECT_EQ(view_->pageOrigin[0], -6016);
    EXPECT_EQ(view_->pageOrigin[1], 0);
}

// The drawing switches are off while the view moves (so the view is activated
// even while playback runs) and are all back afterwards, as is the force byte.
TEST_F(ScrollToLocationTest, DrawingSwitchesAreOffDuringTheMoveAndRestoredAfter) {
    StaffOneTopAt(5000);
    State().drawing.DrawingSuppressed = 1;
    State().drawing.RulersShown = 1;
    PlaybackFlags().PlaybackActive.store(1);
    ASSERT_EQ(State().documents.ActiveView, nullptr);
    ScrollToLocation(view_, system_, 1, system_->firstMeasure);
    EXPECT_EQ(State().documents.ActiveView, view_);
    EXPECT_EQ(State().drawing.DrawingSuppressed, 1);
    EXPECT_EQ(State().drawing.RulersShown, 1);
    EXPECT_EQ(PlaybackFlags().PlaybackActive.load(), 1);
    EXPECT_EQ(State().input.ForceRelocate, 0);
    EXPECT_EQ(State().stacks.viewLocations.count, 0);
}

// A staff outside the score changes nothing.
TEST_F(ScrollToLocationTest, StaffOutsideTheScoreLeavesTheView) {
    StaffOneTopAt(5000);
    ScrollToLocation(view_, system_, doc_->header.staffCount + 1, system_->firstMeasure);
    EXPECT_EQ(view_->pageOrigin[1], 0);
}

// ---- The scrolling view's measure range ----

class ScrollingRangeTest : public ScrollToLocationTest {
  protected:
    void SetUp() override {
        ScrollToLocationTest::SetUp();
        view_->pageView = 0;
        Range(4, 8);
    }
    void Range(int first, int last) {
        system_->firstMeasure = static_cast<uint16_t>(first);
        system_->lastMeasure = static_cast<uint16_t>(last);
    }
};

// Measures from the first visible up to, not including, the last leave the range.
TEST_F(ScrollingRangeTest, MeasuresInTheRangeLeaveIt) {
    ScrollToLocation(view_, system_, 1, 4);
    ScrollToLocation(view_, system_, 1, 7);
    EXPECT_EQ(system_->firstMeasure, 4);
    EXPECT_EQ(system_->lastMeasure, 8);
}

// A measure past the range makes the measure before it the first visible one.
TEST_F(ScrollingRangeTest, MeasurePastTheRangeStartsItOneBefore) {
    ScrollToLocation(view_, system_, 1, 8);
    EXPECT_EQ(system_->firstMeasure, 7);
    EXPECT_EQ(system_->lastMeasure, 11);
    ScrollToLocation(view_, system_, 1, 2);
    EXPECT_EQ(system_->firstMeasure, 1);
}

// Measure 1 before the range starts it at measure 2.
TEST_F(ScrollingRangeTest, MeasureOneStartsTheRangeAtTwo) {
    ScrollToLocation(view_, system_, 1, 1);
    EXPECT_EQ(system_->firstMeasure, 2);
    EXPECT_EQ(system_->lastMeasure, 6);
}

// Showing a measure outside the range starts the range at that measure; the beat
// map then ends it at the last measure in view, never past the score's last.
TEST_F(ScrollingRangeTest, ShowMeasureStartsTheRangeAtIt) {
    view_->visibleRect.right = kLogicalMax;  // every measure is in view
    ShowMeasureInView(view_, 1, 10);
    EXPECT_EQ(system_->firstMeasure, 10);
    EXPECT_EQ(system_->lastMeasure, 12);
    ShowMeasureInView(view_, 1, 11);
    EXPECT_EQ(system_->firstMeasure, 10);
}

// In page view, showing a measure makes its system, staff and measure current.
TEST_F(ScrollToLocationTest, ShowMeasureInPageViewMakesItsSystemCurrent) {
    system_->firstMeasure = 1;
    system_->lastMeasure = 4;
    doc_->firstPage->firstMeasure = 1;
    doc_->firstPage->lastMeasure = 4;
    view_->currentSystem = nullptr;
    int measure = 3;
    ShowMeasureInView(view_, 2, measure);
    EXPECT_EQ(view_->currentPage, doc_->firstPage);
    EXPECT_EQ(view_->currentSystem, system_);
    EXPECT_EQ(view_->currentStaff, 2);
    EXPECT_EQ(view_->currentMeasure, measure);
}

}  // namespace
}  // namespace ql::testing_model
