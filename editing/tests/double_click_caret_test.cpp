// A double click on empty paper puts the text caret at the pointer; on an object it
// opens the object's dialog and leaves the caret alone, and with an object focused
// empty paper does not take the caret either.
#include "editing/tests/editing_fixture.h"

#include "core/objects/selection_state.h"
#include "platform/win/input.h"
#include "staves/multi_measure_rest.h"

namespace ql::testing_editing {
namespace {

using win::Message;

constexpr int32_t kSide = 640;
constexpr int32_t kAway = 4 * kSide;

class DoubleClickCaret : public EditingTest {
  protected:
    void SetUp() override {
        EditingTest::SetUp();
        MakeBox(originX_, originY_, originX_ + kSide, originY_ + kSide);
        ArmBoxTool();
        win::CreateCaret(window_, 1, 16);
    }
};

TEST_F(DoubleClickCaret, EmptyPaperTakesTheCaretAtThePointer) {
    Mouse(Message::MouseMove, originX_ + kAway, originY_ + kAway);
    Mouse(Message::LeftButtonDoubleClick, originX_ + kAway, originY_ + kAway);
    EXPECT_EQ(view_->CaretShown, 1);
    const gfx::Point at = Client(originX_ + kAway, originY_ + kAway);
    EXPECT_EQ(win::GetCaretPosition().x, at.x);
    EXPECT_EQ(win::GetCaretPosition().y, at.y);
    EXPECT_TRUE(win::GetCaretState().visible);
}

TEST_F(DoubleClickCaret, AnObjectOpensItsDialogInstead) {
    Mouse(Message::MouseMove, originX_, originY_);
    Mouse(Message::LeftButtonDoubleClick, originX_, originY_);
    EXPECT_EQ(g_boxCalls.editAttributes, 1);
    EXPECT_EQ(view_->CaretShown, 0);
}

TEST_F(DoubleClickCaret, NoCaretWhileAnObjectIsFocused) {
    Drag(originX_, originY_, originX_, originY_, 0);  // a click: the box is focused
    ASSERT_GT(TheSelectionState()->editMode, 0);
    Mouse(Message::MouseMove, originX_ + kAway, originY_ + kAway);
    Mouse(Message::LeftButtonDoubleClick, originX_ + kAway, originY_ + kAway);
    EXPECT_EQ(view_->CaretShown, 0);
}

// The multi-measure rest command works at the caret's measure, wherever the
// pointer has moved the location since the double click; it hides the caret.
TEST_F(DoubleClickCaret, MultiMeasureRestTakesTheCaretsMeasure) {
    Mouse(Message::MouseMove, originX_ - kSide, originY_ + kAway);
    Mouse(Message::LeftButtonDoubleClick, originX_ - kSide, originY_ + kAway);
    ASSERT_EQ(view_->CaretShown, 1);
    const int atCaret = view_->currentMeasure;
    Mouse(Message::MouseMove, originX_ + kAway, originY_ + kAway);
    ASSERT_NE(view_->currentMeasure, atCaret);
    MultiMeasureRestCommand(view_);
    EXPECT_EQ(view_->currentMeasure, atCaret);
    EXPECT_EQ(view_->CaretShown, 0);
    EXPECT_FALSE(win::GetCaretState().visible);
}

}  // namespace
}  // namespace ql::testing_editing
