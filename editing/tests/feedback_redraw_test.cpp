// Redraws after a change under the feedback: only the listed objects that overlap
// the changed one are drawn again, and mirroring into other views gives the view its
// drawing state back.
#include "editing/tests/editing_fixture.h"

#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "editing/feedback.h"
#include "editing/selection.h"
#include "platform/gfx/draw.h"

namespace ql::testing_editing {
namespace {

constexpr int32_t kSide = 640;

class FeedbackRedraw : public EditingTest {
  protected:
    ScoreObject* ListedBox(int32_t dx, int32_t dy) {
        ScoreObject* box = MakeBox(originX_ + dx, originY_ + dy, originX_ + dx + kSide, originY_ + dy + kSide);
        if (box != nullptr) AddHitRecords(view_, ClassOf(box).BuildHandles(box, view_));
        return box;
    }
};

// Of three listed boxes, the one overlapping the changed box is drawn again; the
// changed box itself and the distant one are not, and the view stays where it was.
TEST_F(FeedbackRedraw, OnlyOverlappingObjectsAreDrawnAgain) {
    ArmBoxTool();
    ScoreObject* changed = ListedBox(0, 0);
    ScoreObject* overlapping = ListedBox(kSide / 2, kSide / 2);
    ListedBox(4 * kSide, 0);
    ASSERT_NE(changed, nullptr);
    const int staff = view_->currentStaff;
    const int measure = view_->currentMeasure;
    g_boxCalls = {};
    RedrawOverlapping(view_, changed);
    ASSERT_EQ(g_boxCalls.drawn.size(), 1u);
    EXPECT_EQ(g_boxCalls.drawn[0], overlapping);
    EXPECT_EQ(view_->currentStaff, staff);
    EXPECT_EQ(view_->currentMeasure, measure);
    g_boxCalls = {};
    changed->handleChain = {};  // no handles: nothing to compare with
    RedrawOverlapping(view_, changed);
    EXPECT_TRUE(g_boxCalls.drawn.empty());
}

// With no other view of the score nothing is painted; the view is active again and
// its surface has the drawing state it had (mode 1) or the XOR state (mode 0).
TEST_F(FeedbackRedraw, LinkedViewsMirrorKeepsTheViewsDrawingState) {
    ArmBoxTool();
    ScoreObject* box = ListedBox(0, 0);
    ASSERT_NE(box, nullptr);
    State().documents.ActiveView = view_;
    SetupFeedbackState(view_);
    ASSERT_TRUE(view_->ViewDC);
    gfx::SetRop2(view_->ViewDC, gfx::Rop2::CopyPen);
    g_boxCalls = {};
    RedrawInLinkedViews(view_, box, 1);
    EXPECT_TRUE(g_boxCalls.painted.empty());
    EXPECT_EQ(State().documents.ActiveView, view_);
    ASSERT_TRUE(view_->ViewDC);
    EXPECT_EQ(gfx::GetRop2(view_->ViewDC), gfx::Rop2::CopyPen);
    RedrawInLinkedViews(view_, box, 0);
    ASSERT_TRUE(view_->ViewDC);
    EXPECT_EQ(gfx::GetRop2(view_->ViewDC), gfx::Rop2::XorPen);
}

}  // namespace
}  // namespace ql::testing_editing
