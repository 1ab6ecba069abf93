// Moving a view to a saved location record.
#include <gtest/gtest.h>

#include "core/objects/score_object.h"
#include "core/tests/units/units_fixture.h"
#include "core/units/view_moves.h"

namespace ql {
namespace {

using ViewMovesTest = testing_units::UnitsViewTest;

LocationRecord Location(uint32_t position, uint8_t staff, uint16_t measure,
                        LogicalPoint point = {}) {
    LocationRecord record{};
    record.location.position = position;
    record.location.staff = staff;
    record.location.measure = measure;
    record.point = point;
    return record;
}

// A location on the current page activates the view and becomes current.
TEST_F(ViewMovesTest, MoveToObjectOnThePageMakesItCurrent) {
    LocationRecord record = Location(2048, 3, 5);
    EXPECT_TRUE(MoveViewToObject(&view_, &record));
    EXPECT_EQ(State().documents.ActiveView, &view_);
    EXPECT_EQ(view_.positionWord, 2048u);
    EXPECT_EQ(view_.currentStaff, 3);
    EXPECT_EQ(view_.currentMeasure, 5);
}

// Measures outside the page, position 0, master pages and dead views are refused.
TEST_F(ViewMovesTest, MoveToObjectRefusesWhatIsNotOnThePage) {
    LocationRecord beyond = Location(2048, 2, testing_units::kPageLastMeasure + 1);
    EXPECT_FALSE(MoveViewToObject(&view_, &beyond));
    LocationRecord noPosition = Location(0, 2, 4);
    EXPECT_FALSE(MoveViewToObject(&view_, &noPosition));
    LocationRecord good = Location(2048, 2, 4);
    view_.currentPage = &masterPage_;
    EXPECT_FALSE(MoveViewToObject(&view_, &good));
    view_.currentPage = &page_;
    ScoreView copy = view_;  // its self pointer names another record
    EXPECT_FALSE(MoveViewToObject(&copy, &good));
    EXPECT_FALSE(MoveViewToObject(&view_, nullptr));
    EXPECT_EQ(view_.currentMeasure, 1);
    EXPECT_EQ(State().documents.ActiveView, nullptr);
}

// Restoring moves the measure when on the page, and the pointer when it is
// elsewhere (the location then follows the pointer).
TEST_F(ViewMovesTest, RestorePositionMovesPointerAndMeasure) {
    view_.pointerPoint = LogicalPoint{-20000, 4096};
    LocationRecord record = Location(300, 2, 7, LogicalPoint{-20000, 4096});
    RestoreViewPosition(&view_, &record);
    EXPECT_EQ(view_.positionWord, 300u);
    EXPECT_EQ(view_.currentMeasure, 7);
    view_.pointerPoint = LogicalPoint{1, 1};
    view_.visibleRect = gfx::Rect{-30720, -30720, 32767, 32767};  // the point is in view
    RestoreViewPosition(&view_, &record);
    EXPECT_EQ(view_.pointerPoint, (LogicalPoint{-20000, 4096}));
}

// Restoring a measure off the page keeps the measure but still takes the position.
TEST_F(ViewMovesTest, RestorePositionOffThePageKeepsTheMeasure) {
    LocationRecord record = Location(300, 2, 12);
    RestoreViewPosition(&view_, &record);
    EXPECT_EQ(view_.positionWord, 300u);
    EXPECT_EQ(view_.currentMeasure, 1);
}

}  // namespace
}  // namespace ql
