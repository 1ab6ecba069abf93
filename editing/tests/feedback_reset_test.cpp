// XOR feedback and the wholesale reset: every balanced sequence of feedback leaves
// the window's pixels as they were, and a reset in the middle of a drag takes the
// feedback off the screen and leaves nothing pointing into the emptied pools.
#include "editing/tests/editing_fixture.h"

#include "core/objects/selection_state.h"
#include "editing/feedback.h"
#include "editing/selection.h"

namespace ql::testing_editing {
namespace {

using win::Message;

constexpr int32_t kSide = 640;

class Feedback : public EditingTest {
  protected:
    SelectionState& Sel() { return *TheSelectionState(); }
    // Pixels that differ between two pictures of the window.
    static size_t Changed(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
        size_t n = 0;
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) n += a[i] != b[i] ? 1 : 0;
        return n + (a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
    }
};

// Drawing the focused handles once changes pixels; a second time gives them back.
TEST_F(Feedback, HandlesDrawnTwiceLeaveThePixels) {
    MakeBox(originX_, originY_, originX_ + kSide, originY_ + kSide);
    ArmBoxTool();
    const std::vector<uint32_t> before = Pixels();
    Drag(originX_, originY_, originX_, originY_, 0);  // a click: focused, no move
    const std::vector<uint32_t> focused = Pixels();
    EXPECT_GT(Changed(before, focused), 0u) << "the feedback shows";
    SetupFeedbackState(view_);
    DrawFocusHandles(view_);
    DrawFocusHandles(view_);
    EXPECT_EQ(Changed(focused, Pixels()), 0u);
}

// Select, drag by a corner and by the centre, release, unfocus: the box paints
// nothing, so every XOR must have been taken back.
TEST_F(Feedback, FullEditLeavesNoInvertedPixel) {
    MakeBox(originX_, originY_, originX_ + kSide, originY_ + kSide);
    ArmBoxTool();
    const std::vector<uint32_t> before = Pixels();
    Drag(originX_ + kSide, originY_ + kSide, originX_ + kSide + 160, originY_ + kSide + 96);
    Drag(originX_ + 400, originY_ + 360, originX_ + 480, originY_ + 440);
    EXPECT_EQ(Sel().editMode, 1);
    Mouse(Message::LeftButtonDown, originX_ + 2400, originY_ + 1800);
    EXPECT_EQ(Sel().editMode, 0);
    EXPECT_EQ(Changed(before, Pixels()), 0u);
}

// A reset in the middle of a drag: the feedback leaves the screen, the lists are
// empty, no field names a hit record, and the box forgets its handle chain.
// Messages after it are handled as for a fresh tool.
TEST_F(Feedback, ResetDuringDragLeavesNothingBehind) {
    ScoreObject* box = MakeBox(originX_, originY_, originX_ + kSide, originY_ + kSide);
    ArmBoxTool();
    const std::vector<uint32_t> before = Pixels();
    Mouse(Message::MouseMove, originX_, originY_);
    Mouse(Message::LeftButtonDown, originX_, originY_);
    Mouse(Message::MouseMove, originX_ - 64, originY_ - 64);
    ASSERT_EQ(Sel().editMode, 2);
    ResetSelection(view_, 0);
    EXPECT_EQ(Changed(before, Pixels()), 0u);
    const SelectionState& s = Sel();
    EXPECT_EQ(s.listAHead.next.get(), &s.listATail);
    EXPECT_EQ(s.listBHead.next.get(), &s.listBTail);
    for (const Ref32<HitRecord>* field : {&s.focusRecord, &s.grabbedRecord, &s.hoverRecord,
                                          &s.hoverListRecord, &s.statusRecord, &s.pendingRecord})
        EXPECT_EQ(field->get(), nullptr);
    EXPECT_EQ(box->handleChain.get(), nullptr);
    EXPECT_EQ(s.editMode, 0);
    EXPECT_EQ(s.armed, 1) << "the tool stays armed";
    EXPECT_EQ(s.bound, 0) << "but is unbound";
    // The next message rebinds, collects again and can grab the box anew.
    Mouse(Message::MouseMove, originX_ - 64, originY_ - 64);
    Mouse(Message::LeftButtonUp, originX_ - 64, originY_ - 64);
    Drag(originX_ - 64, originY_ - 64, originX_ - 128, originY_ - 64);
    EXPECT_EQ(BodyOf(box).left, originX_ - 128);
}

}  // namespace
}  // namespace ql::testing_editing
