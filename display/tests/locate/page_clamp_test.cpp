// Off-page objects brought back onto the page: extents by placement, only in page
// view with off-page items shown and never while printing or rendering to the
// clipboard, and the moved point kept in the anchor. Measure offsets to points
// and back for a given measure and for the current location.
#include <cstring>

#include "core/draw/draw_surface.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "display/anchors.h"
#include "display/tests/locate/locate_fixture.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"

namespace ql::testing_locate {
namespace {

constexpr int32_t kRight = 20000;
constexpr int32_t kBottom = 26000;
constexpr int32_t kW = 600;
constexpr int32_t kH = 400;

class PageClampTest : public LocateTest {
  protected:
    void SetUp() override {
        LocateTest::SetUp();
        BuildScore(2, {2}, 4);
        view_->PageRight = kRight;
        view_->PageBottom = kBottom;
        Options().ShowOffPage = 1;
    }
    void TearDown() override {
        ResetProgramOptions();
        LocateTest::TearDown();
    }
    LogicalPoint Clamped(LogicalPoint p, uint32_t placement) {
        ClampAnchorsToPage(view_, &p, 1, nullptr, kW, kH, placement);
        return p;
    }
};

TEST_F(PageClampTest, EachPlacementStopsItsFarSideAtThePageEdge) {
    const uint32_t centred = gfx::kTextAlignCentre;
    const uint32_t right = gfx::kTextAlignRight;
    const uint32_t bottom = gfx::kTextAlignBottom;
    // Past the right and bottom edges: the left and top sides come to the edges.
    EXPECT_EQ(Clamped({kRight + 5000, 0}, 0).x, kRight);
    EXPECT_EQ(Clamped({kRight + 5000, 0}, right).x, kRight - kW);
    EXPECT_EQ(Clamped({kRight + 5000, 0}, centred).x, kRight - kW / 2);
    EXPECT_EQ(Clamped({0, kBottom + 900}, bottom).y, kBottom - kH);
    EXPECT_EQ(Clamped({0, kBottom + 900}, centred).y, kBottom - kH / 2);
    EXPECT_EQ(Clamped({0, kBottom + 900}, 0).y, kBottom);
    // Before the left and top edges the near side extents count.
    EXPECT_EQ(Clamped({-32000, 0}, right).x, -30720 + kW);
    EXPECT_EQ(Clamped({-32000, 0}, centred).x, -30720 + kW / 2);
    EXPECT_EQ(Clamped({0, -32000}, bottom | centred).y, -30720 + kH);  // bottom: not centred
    const LogicalPoint corner = Clamped({kRight + 1, kBottom + 1}, 0);
    EXPECT_EQ(corner.x, kRight);
    EXPECT_EQ(corner.y, kBottom);
}

TEST_F(PageClampTest, AnObjectPartlyOnThePageStaysWhereItIs) {
    // Its centre is past the right edge, its left half is not.
    EXPECT_EQ(Clamped({kRight + kW / 2 - 1, 500}, gfx::kTextAlignCentre).x, kRight + kW / 2 - 1);
    // Its right side reaches the page's left edge exactly.
    EXPECT_EQ(Clamped({-30719 - kW / 2, 500}, gfx::kTextAlignCentre).x, -30719 - kW / 2);
    EXPECT_EQ(Clamped({-30720 - kW / 2, 500}, gfx::kTextAlignCentre).x, -30720 + kW / 2);
    // Drawn upwards from its bottom: a bottom just past the page bottom still shows.
    EXPECT_EQ(Clamped({0, kBottom + kH - 1}, gfx::kTextAlignBottom).y, kBottom + kH - 1);
}

TEST_F(PageClampTest, NothingMovesOutsidePageViewWithoutTheSettingOrWhileOutputting) {
    const LogicalPoint off{kRight + 5000, kBottom + 5000};
    Options().ShowOffPage = 0;
    EXPECT_EQ(Clamped(off, 0).x, off.x);
    Options().ShowOffPage = 1;
    view_->pageView = 0;
    EXPECT_EQ(Clamped(off, 0).x, off.x);
    view_->pageView = 1;
    State().drawing.ClipboardRendering = 1;
    EXPECT_EQ(Clamped(off, 0).x, off.x);
    State().drawing.ClipboardRendering = 0;
    State().drawing.PrintDC = gfx::CreateMemoryContext({});
    EXPECT_EQ(Clamped(off, 0).x, off.x);
    gfx::DeleteContext(State().drawing.PrintDC);
    State().drawing.PrintDC = {};
    EXPECT_EQ(Clamped(off, 0).x, kRight);
}

TEST_F(PageClampTest, TheMovedPointIsStoredInPageAndTimeAnchorsButNotNoteAnchors) {
    // A point in measure 2 below a page whose bottom is just under the staff.
    const int32_t top = StaffTopY(System(0), 1);
    view_->PageBottom = top + 100;
    for (int kind : {1, 0, 2}) {
        Locate(1, 2);
        const LogicalPoint off{SlotContent(System(0), 2) + 40, top + 300};
        ObjectLocation anchor{};
        LocationRecord record{};
        EncodeAnchors(view_, &record, kind, &anchor, &off, 1);
        Locate(1, 2);
        LogicalPoint p{};
        DecodeAnchors(view_, kind, &anchor, &p, 1);
        ASSERT_TRUE(ClampAnchorsToPage(view_, &p, kind, &anchor, kW, kH, 0)) << kind;
        EXPECT_EQ(p.y, top + 100);
        LogicalPoint again{};
        DecodeAnchors(view_, kind, &anchor, &again, 1);
        EXPECT_NEAR(again.x, off.x, kind == 0 ? 16 : 0) << kind;
        EXPECT_EQ(again.y, top + 100) << kind;
    }
    ObjectLocation note{};
    const ObjectLocation before = note;
    LogicalPoint p{kRight + 3000, 0};
    EXPECT_TRUE(ClampAnchorsToPage(view_, &p, 3, &note, kW, kH, 0));
    EXPECT_EQ(p.x, kRight);
    EXPECT_EQ(std::memcmp(&note, &before, sizeof note), 0);
}

TEST_F(PageClampTest, MeasureOffsetsBecomePointsOfTheMeasureAndStaff) {
    // Measure 6 is the second measure of the second system.
    LogicalPoint p[2] = {{40, -200}, {0, 0}};
    ASSERT_TRUE(MeasureOffsetsToPoints(view_, 2, 6, p, 2));
    EXPECT_EQ(p[0].x, SlotContent(System(1), 2) + 40);
    EXPECT_EQ(p[0].y, StaffTopY(System(1), 2) - 200);
    EXPECT_EQ(p[1].x, SlotContent(System(1), 2));
    EXPECT_EQ(p[1].y, StaffTopY(System(1), 2));
}

TEST_F(PageClampTest, CurrentMeasureOffsetsScaleYAndComeBackUnscaled) {
    Locate(2, 3);
    ViewScale(view_) = 0.75;
    LogicalPoint p{100, -400};
    ASSERT_TRUE(CurrentMeasureOffsetsToPoints(view_, &p, 1));
    EXPECT_EQ(p.x, SlotContent(System(0), 3) + 100);
    EXPECT_EQ(p.y, StaffTopY(System(0), 2) - 300);
    ASSERT_TRUE(PointsToCurrentMeasureOffsets(view_, &p, 1));
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, -400);
}

}  // namespace
}  // namespace ql::testing_locate
