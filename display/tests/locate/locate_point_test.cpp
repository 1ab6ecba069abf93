// Locating points: slots and their edges, margins, the gaps between systems and
// staves (with the hysteresis of tools 1 and 9), master pages and the notice when
// no system lies under the point.
#include <cstdlib>

#include "core/model/pages.h"
#include "core/state.h"
#include "display/tests/locate/locate_fixture.h"
#include "display/position_readout.h"
#include "display/view_location.h"
#include "platform/ui/headless.h"

namespace ql::testing_locate {
namespace {

class LocatePointTest : public LocateTest {};

TEST_F(LocatePointTest, EverySlotOfEverySystemLocatesItsMeasure) {
    BuildScore(2, {3}, 4);
    for (int s = 0; s < 3; ++s) {
        ScoreSystem* system = System(s);
        for (int slot = 1; slot <= 4; ++slot) {
            const int32_t y = StaffTopY(system, 1) + 100;
            // Exactly on the left edge belongs to the slot (but slot 1's edge is the system start).
            const int32_t x = slot == 1 ? SlotContent(system, 1) : SlotLeft(system, slot);
            const LocatedPlace place = LocatePoint(view_, {x, y});
            EXPECT_EQ(place.system, system);
            EXPECT_EQ(place.measure, system->firstMeasure + slot - 1) << "system " << s << " slot " << slot;
            // One unit left of the edge is still the previous measure.
            if (slot > 1) {
                EXPECT_EQ(LocatePoint(view_, {x - 1, y}).measure, place.measure - 1);
            }
        }
    }
}

TEST_F(LocatePointTest, MarginsGiveFirstAndLastMeasureInPageViewAndOneMoreInScrollView) {
    BuildScore(2, {2}, 4);
    ScoreSystem* system = System(0);
    const int32_t y = StaffTopY(system, 1) + 100;
    // Left margin: left of the second measure's barline.
    EXPECT_EQ(LocatePoint(view_, {system->x - 5000, y}).measure, 1);
    // Right margin in page view: the system's last measure.
    EXPECT_EQ(LocatePoint(view_, {32000, y}).measure, 4);
    // Scroll view: the measure after the last.
    view_->pageView = 0;
    view_->galleySystem = system;
    EXPECT_EQ(LocatePoint(view_, {32000, y}).measure, 5);
}

TEST_F(LocatePointTest, BetweenSystemsTheBoundaryLiesAboveTheMidpoint) {
    BuildScore(1, {2}, 4);
    ScoreSystem* upper = System(0);
    ScoreSystem* lower = System(1);
    const int32_t lastTop = StaffTopY(upper, 1);
    const int32_t boundary = lastTop + ((lower->y - lastTop) >> 1) - 256;
    EXPECT_EQ(SystemAtY(view_, boundary - 1), upper);
    EXPECT_EQ(SystemAtY(view_, boundary), lower);
    // Above every system: the first; below every system: the last.
    EXPECT_EQ(SystemAtY(view_, -30720), upper);
    EXPECT_EQ(SystemAtY(view_, 32000), lower);
}

TEST_F(LocatePointTest, ToolOneChangesStaffOnly256PastTheGapMidpoint) {
    BuildScore(2, {1}, 4);
    ScoreSystem* system = System(0);
    const int32_t top1 = StaffTopY(system, 1);
    const int32_t top2 = StaffTopY(system, 2);
    const int32_t mid = top1 + std::abs(top2 - top1 - 512) / 2;
    // No armed tool: the staff whose top is above the point.
    EXPECT_EQ(LocatePoint(view_, {0, mid + 10}).staff, 1);
    State().locate.ArmedToolCode = 3;
    EXPECT_EQ(LocatePoint(view_, {0, mid + 1}).staff, 2);
    EXPECT_EQ(LocatePoint(view_, {0, mid}).staff, 1);
    State().locate.ArmedToolCode = 1;
    Locate(1, 1);  // going down from staff 1
    EXPECT_EQ(LocatePoint(view_, {0, mid + 256}).staff, 1);
    EXPECT_EQ(LocatePoint(view_, {0, mid + 257}).staff, 2);
    Locate(2, 1);  // going up from staff 2: staff 2 already 256 before the midpoint
    EXPECT_EQ(LocatePoint(view_, {0, mid - 255}).staff, 2);
    EXPECT_EQ(LocatePoint(view_, {0, mid - 256}).staff, 1);
}

TEST_F(LocatePointTest, NoSystemGivesTheNoticeAndTheDefaults) {
    BuildScore(1, {1}, 4);
    view_->currentPage->firstSystem = Ref32<ScoreSystem>{};
    const LocatedPlace place = LocatePoint(view_, {0, 0});
    EXPECT_EQ(place.staff, 1);
    EXPECT_EQ(place.measure, 1);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_NE(ui::headless::MessageBoxes()[0].text.find("[LOCATE.353] "), std::string::npos);
}

TEST_F(LocatePointTest, MasterPageKeepsTheCurrentSystem) {
    BuildScore(1, {2}, 4);
    ScoreSystem* current = System(1);
    view_->currentSystem = current;
    view_->currentPage->pageNumber = -1;
    EXPECT_EQ(SystemAtY(view_, -30000), current);
    view_->currentPage->pageNumber = 1;
}

TEST_F(LocatePointTest, SlotAndMeasureConversionsClampDamagedValues) {
    BuildScore(1, {1}, 4);
    ScoreSystem* system = System(0);
    EXPECT_EQ(SlotOfMeasure(view_, 3, system), 3);
    EXPECT_EQ(SlotOfMeasure(view_, 3, nullptr), 1);
    EXPECT_EQ(SlotOfMeasure(view_, -7, system), 1);
    EXPECT_EQ(SlotOfMeasure(view_, 60000, system), 4);  // past count + 4: the count
    EXPECT_EQ(MeasureOfSlot(view_, 2), 2);
    EXPECT_EQ(MeasureOfSlot(view_, 99), 1);  // capped at slot 26 = measure 26 > count + 8
    EXPECT_EQ(MeasureOfSlot(view_, -3), 1);
}

TEST_F(LocatePointTest, SetLocationFromPointMakesThePlaceCurrent) {
    BuildScore(2, {2}, 4);
    ScoreSystem* system = System(1);
    SetLocationFromPoint(view_, {SlotContent(system, 3) + 10, StaffTopY(system, 2) + 50});
    EXPECT_EQ(view_->currentSystem, system);
    EXPECT_EQ(view_->currentStaff, 2);
    EXPECT_EQ(view_->currentMeasure, 7);
    EXPECT_EQ(view_->currentSlot, 3);
    EXPECT_EQ(view_->staffY, StaffTopY(system, 2));
    EXPECT_NE(view_->currentCell, nullptr);
    EXPECT_EQ(view_->currentMeasureLength, 4096);
}

TEST_F(LocatePointTest, ReadoutDropsTheSpacesFromMeasureOneHundredOn) {
    EXPECT_STREQ(ShowPositionReadout(view_, 3, 99), "  3 . 99  ");
    EXPECT_STREQ(ShowPositionReadout(view_, 2, 100), "  2.100  ");
    EXPECT_EQ(PositionReadoutText(), "  2.100  ") << "the readout shows it";
}

// While editing the readout follows the pointer: staff and measure under it.
TEST_F(LocatePointTest, ReadoutFollowsThePointer) {
    BuildScore(2, {2}, 4);
    ScoreSystem* system = System(1);
    view_->pointerPoint = {SlotContent(system, 3) + 10, StaffTopY(system, 2) + 50};
    UpdateLocationFromPointer(view_);
    EXPECT_EQ(PositionReadoutText(), "  2 . 7  ");
    view_->pointerPoint = {SlotContent(system, 1) + 10, StaffTopY(system, 1) + 50};
    UpdateLocationFromPointer(view_);
    EXPECT_EQ(PositionReadoutText(), "  1 . 5  ");
}

}  // namespace
}  // namespace ql::testing_locate
