// Dragging a rest: the handle over the glyph box, the drag kept to the axis of its
// first movement, the commit of a vertical and of a horizontal movement (the zoom
// factor divided out only when above 0), and the XOR feedback, which an even number
// of draws leaves without trace and which never reaches a recording context.
#include <gtest/gtest.h>

#include "core/draw/draw_surface.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "notes/rests/rest.h"
#include "notes/rests/rest_internal.h"
#include "notes/tests/rests/rest_fixture.h"

namespace ql::testing_rests {
namespace {

class RestDragTest : public RestTest {
  protected:
    // Builds the rest's handle and makes it the focused one.
    HitRecord* Grab(ScoreObject* rest) {
        HitRecord* hit = rests::TheRestClass().BuildHandles(rest, view_);
        TheSelectionState()->focusRecord = Ref32<HitRecord>::To(hit);
        rests::TheRestClass().ReleaseCache(rest, view_);
        return hit;
    }
    // One pointer movement: constrained, then applied to the handle.
    void Move(ScoreObject* rest, int32_t dx, int32_t dy) {
        SelectionState* selection = TheSelectionState();
        selection->dragOffsetX = dx;
        selection->dragOffsetY = dy;
        rests::TheRestClass().ConstrainDrag(rest, view_);
        rests::TheRestClass().TrackDrag(rest, view_);
    }
    int Commit(ScoreObject* rest) { return rests::TheRestClass().CommitDrag(rest, view_); }
};

// The handle covers the glyph box: half width either side, the extents above and
// below the anchor.
TEST_F(RestDragTest, HandleOverTheGlyphBox) {
    ScoreObject* rest = Rest(0, 0, kQuarter);
    HitRecord* hit = rests::TheRestClass().BuildHandles(rest, view_);
    ASSERT_NE(hit, nullptr);
    const LogicalPoint at = ComputeRestGeometry(view_, rest);
    EXPECT_EQ(hit->outer.left, at.x - kRestAdvance / 2);
    EXPECT_EQ(hit->outer.right, at.x + kRestAdvance / 2);
    EXPECT_EQ(hit->outer.top, at.y - 205);
    EXPECT_EQ(hit->outer.bottom, at.y + 182);
    EXPECT_EQ(hit->owner.get(), rest);
    EXPECT_TRUE(RestIntersectsRect(view_, rest, RecordRect{at.x + 90, at.y + 170, at.x + 500, at.y + 900}));
    EXPECT_FALSE(RestIntersectsRect(view_, rest, RecordRect{at.x + 101, at.y, at.x + 500, at.y + 9}));
    FreeHitRecord(hit);
}

// A half rest dragged down lands on a line (the next even position in the drag's
// direction) with no fine offset; a quarter keeps the remainder as its fine offset.
TEST_F(RestDragTest, VerticalDrag) {
    ScoreObject* half = Rest(0, 0, kHalf);
    Grab(half);
    Move(half, 0, 70);  // -256 + 70 = -186: nearest step -3, odd
    EXPECT_EQ(Commit(half), 1);
    EXPECT_EQ(Body(half).position, -2);
    EXPECT_EQ(Body(half).fineY, 0);
    ScoreObject* quarter = Rest(0, 2048, kQuarter);
    Grab(quarter);
    Move(quarter, 3, 70);  // the first movement is vertical: x stays
    Move(quarter, 40, 0);
    EXPECT_EQ(Commit(quarter), 1);
    EXPECT_EQ(Body(quarter).position, -3);
    EXPECT_EQ(Body(quarter).fineY, 6);
    EXPECT_EQ(Body(quarter).xOffset, 0);
}

// At a staff scale above 0 the distance is divided by it before it counts in steps;
// a scale of 0 leaves it as it is.
TEST_F(RestDragTest, VerticalDragDividesByTheScale) {
    view_->zoomFactor = 0.75;
    ScoreObject* quarter = Rest(0, 0, kQuarter);
    Grab(quarter);
    Move(quarter, 0, 48);  // -192 + 48 = -144 scaled: -192 unscaled, 3 steps up
    EXPECT_EQ(Commit(quarter), 1);
    EXPECT_EQ(Body(quarter).position, -3);
    EXPECT_EQ(Body(quarter).fineY, 0);
}

// A horizontal movement below 32 units does nothing; a longer one sets the offset in
// sixteenths, clamped to -128..127.
TEST_F(RestDragTest, HorizontalDrag) {
    ScoreObject* rest = Rest(0, 1024, kQuarter);
    Grab(rest);
    Move(rest, 31, 2);
    EXPECT_EQ(Commit(rest), 0);
    EXPECT_EQ(Body(rest).xOffset, 0);
    Grab(rest);
    Move(rest, 80, -5);
    Move(rest, 0, 300);  // kept horizontal
    EXPECT_EQ(Commit(rest), 1);
    EXPECT_EQ(Body(rest).xOffset, 5);
    EXPECT_EQ(Body(rest).position, -4);
    Grab(rest);
    Move(rest, 20000, 0);
    Commit(rest);
    EXPECT_EQ(Body(rest).xOffset, 127);
}

// XOR feedback on the window's backing store: two draws leave the pixels as they
// were, one leaves a trace; a recording context gets no feedback at all.
TEST_F(RestDragTest, EvenFeedbackDrawsLeaveNoTrace) {
    OpenWindow(400, 256);
    ScoreObject* rest = Rest(0, 0, kQuarter);
    rests::TheRestClass().Draw(rest, view_);
    const std::vector<uint32_t> drawn = WindowPixels();
    Grab(rest);
    for (int draws = 1; draws <= 4; ++draws) {
        rests::TheRestClass().DrawTracking(rest, view_);
        if (draws % 2 == 0) EXPECT_EQ(WindowPixels(), drawn) << draws << " draws";
        else EXPECT_NE(WindowPixels(), drawn) << draws << " draws";
    }
    Move(rest, 0, 64);
    rests::TheRestClass().DrawTracking(rest, view_);
    rests::TheRestClass().DrawTracking(rest, view_);
    EXPECT_EQ(WindowPixels(), drawn);
    // The same drag on a recording surface records nothing.
    StartRecording();
    Grab(rest);
    const size_t start = RecordedCalls();
    rests::TheRestClass().DrawTracking(rest, view_);
    EXPECT_EQ(RecordedCalls(), start);
}

}  // namespace
}  // namespace ql::testing_rests
