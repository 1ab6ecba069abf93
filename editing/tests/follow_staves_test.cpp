// Following the pointer's location: with the Note or Rest tool the staves above and
// below the pointer's are followed too (within the score), with any other tool only
// the pointer's; the view's location comes back.
#include "editing/tests/editing_fixture.h"

#include "core/constants.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/objects/selection_state.h"

namespace ql::testing_editing {
namespace {

using win::Message;

class FollowStaves : public EditingTest {
  protected:
    void SetUp() override {
        staffCount_ = 3;
        EditingTest::SetUp();
    }
    // Moves the pointer down the page until it is over `staff`; false when it never is.
    bool MoveOverStaff(int staff, int32_t* y) {
        for (*y = originY_; *y < originY_ + 20000; *y += 32) {
            Mouse(Message::MouseMove, originX_, *y);
            if (view_->currentStaff == staff) return true;
        }
        return false;
    }
    // The staves followed by one move over `staff` with the given tool type armed;
    // the armed prototype is a box that records them.
    std::vector<int> FollowedOver(int staff, uint8_t toolType) {
        ArmBoxTool();
        ScoreObject* box = MakeBox(originX_, originY_, originX_ + 64, originY_ + 64);
        SelectionState* s = TheSelectionState();
        int32_t y = 0;
        EXPECT_TRUE(MoveOverStaff(staff, &y)) << "no staff " << staff << " under the pointer";
        s->toolType = toolType;
        s->defaultObject = s->focusedObject = Ref32<ScoreObject>::To(box);
        s->locationChanged = 1;
        g_boxCalls = {};
        Mouse(Message::MouseMove, originX_ + 8, y);
        EXPECT_EQ(view_->currentStaff, staff);
        return g_boxCalls.followedStaves;
    }
};

TEST_F(FollowStaves, NoteToolFollowsTheStavesAboveAndBelow) {
    EXPECT_EQ(FollowedOver(2, TypeCode(ObjectType::Note)), (std::vector<int>{2, 1, 3}));
}

TEST_F(FollowStaves, RestToolStopsAtTheScoresEdge) {
    EXPECT_EQ(FollowedOver(1, TypeCode(ObjectType::Rest)), (std::vector<int>{1, 2}));
}

TEST_F(FollowStaves, HiddenStaffIsNotFollowed) {
    StaffFlagsOf(view_->currentPage->firstSystem.get())[3] = -1;
    EXPECT_EQ(FollowedOver(2, TypeCode(ObjectType::Note)), (std::vector<int>{2, 1}));
}

TEST_F(FollowStaves, OtherToolsFollowOnlyThePointersStaff) {
    EXPECT_EQ(FollowedOver(2, kBoxType), (std::vector<int>{2}));
}

}  // namespace
}  // namespace ql::testing_editing
