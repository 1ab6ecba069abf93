// The page's margins under the Pointer tool: while they are shown a side dragged
// moves that margin and a corner two; a press on the paper inside them draws the
// marquee and leaves them alone; hidden margins take no press; a margin handle
// lying on another object's handle gives way to it, with Ctrl too; the cursor over
// a handle tells which edges it moves.
#include <gtest/gtest.h>

#include <cstring>

#include "core/memory/pool.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/state/marquee_state.h"
#include "core/ui/cursor_resources.h"
#include "editing/marquee.h"
#include "editing/pointer_tool.h"
#include "editing/selection.h"
#include "editing/tool_dispatch.h"
#include "objects/margin/margin_class.h"
#include "objects/tests/shapes/shapes_mouse_fixture.h"
#include "platform/win/headless.h"
#include "platform/win/keys.h"

namespace ql::testing_shapes {
namespace {

using win::Message;

class MarginMouseTest : public ShapesMouseTest {
  protected:
    void SetUp() override {
        ShapesMouseTest::SetUp();
        RegisterMarqueeClass();
        {
            ScopedPoolSet scope(doc_->pools);
            State().files.BuildingPrototypes = 1;
            doc_->prototypes[TypeCode(ObjectType::Selection)] = ConstructObject(TypeCode(ObjectType::Selection));
            State().files.BuildingPrototypes = 0;
        }
        ASSERT_NE(doc_->prototypes[TypeCode(ObjectType::Selection)], nullptr);
        Options().ShowMargins = 1;
        RegisterProgramCursors();
        SetCurrentToolGroup(ToolGroup::Pointer);
        PointerToolHandler(view_, ToolAction::Select, nullptr, window_, Message::Null, 0, 0);
        before_ = Margins();
        rect_ = MarginRectangle(*AsMarginObject(view_->currentPage->margins.get()), view_);
    }
    void TearDown() override {
        win::headless::SetKeyDown(win::Key::Control, false);
        ShapesMouseTest::TearDown();
    }
    MarginBody Margins() { return AsMarginObject(view_->currentPage->margins.get())->body; }
    bool MarginsUnchanged() {
        const MarginBody now = Margins();
        return std::memcmp(&now, &before_, sizeof now) == 0;
    }
    // The client point of a page point.
    gfx::Point At(int32_t x, int32_t y) { return {(x - kPageOrigin) / kPixel, (y - kPageOrigin) / kPixel}; }
    // Halfway down the left margin line, where only its side handle lies.
    gfx::Point LeftSide() { return At(rect_.left, rect_.top + 512); }
    // The hover after the pointer moved to a client point.
    ScoreObject* HoveredAt(gfx::Point client) {
        Send(&PointerToolHandler, Message::MouseMove, client);
        return TheSelectionState()->hoverObject.get();
    }
    MarginBody before_{};
    RecordRect rect_{};
};

// The left side dragged 12 pixels right moves the left margin by about 96 units
// (the distance is what its inch word gives) and nothing else.
TEST_F(MarginMouseTest, SideDragMovesThatMargin) {
    const gfx::Point from = LeftSide();
    Drag(&PointerToolHandler, from, {from.x + 12, from.y});
    const MarginBody after = Margins();
    EXPECT_NEAR(after.distances[0], before_.distances[0] + 12 * kPixel, 8);
    EXPECT_EQ(after.distances[1], before_.distances[1]);
    EXPECT_EQ(after.distances[2], before_.distances[2]);
    EXPECT_EQ(after.distances[3], before_.distances[3]);
    EXPECT_EQ(TheSelectionState()->editMode, 0);  // the release ended the drag
}

// The top-left corner dragged moves the left and the top margins.
TEST_F(MarginMouseTest, CornerDragMovesTwoMargins) {
    const gfx::Point from = At(rect_.left, rect_.top);
    Drag(&PointerToolHandler, from, {from.x + 10, from.y + 10});
    const MarginBody after = Margins();
    EXPECT_GT(after.distances[0], before_.distances[0] + 40);
    EXPECT_GT(after.distances[1], before_.distances[1] + 40);
    EXPECT_EQ(after.distances[2], before_.distances[2]);
}

// A drag over the paper inside the margins draws a marquee; the margins stay.
TEST_F(MarginMouseTest, PressInsideTheMarginsDrawsTheMarquee) {
    const gfx::Point from = At(rect_.left + 800, rect_.top + 400);
    EXPECT_NE(HoveredAt(from), view_->currentPage->margins.get());
    Send(&PointerToolHandler, Message::LeftButtonDown, from);
    Send(&PointerToolHandler, Message::MouseMove, {from.x + 20, from.y + 15});
    Send(&PointerToolHandler, Message::MouseMove, {from.x + 40, from.y + 30});
    ScoreObject* marquee = State().marquee.current;
    ASSERT_NE(marquee, nullptr);
    EXPECT_EQ(marquee->type, TypeCode(ObjectType::Selection));
    EXPECT_EQ(TheSelectionState()->focusedObject.get(), marquee);
    Send(&PointerToolHandler, Message::LeftButtonUp, {from.x + 40, from.y + 30});
    EXPECT_TRUE(MarginsUnchanged());
}

// With the margin display off the margins take no press: the side drag changes
// nothing.
TEST_F(MarginMouseTest, HiddenMarginsTakeNoPress) {
    Options().ShowMargins = 0;
    PointerToolHandler(view_, ToolAction::Select, nullptr, window_, Message::Null, 0, 0);
    const gfx::Point from = LeftSide();
    EXPECT_EQ(HoveredAt(from), nullptr);
    Drag(&PointerToolHandler, from, {from.x + 12, from.y});
    EXPECT_TRUE(MarginsUnchanged());
}

// A box whose corner lies on the left margin line: the box's handle comes before
// the margin's side, and with Ctrl (the second match) the margin gives way to it.
TEST_F(MarginMouseTest, AnotherObjectsHandleComesFirst) {
    ScoreObject* box = Graphic(ObjectType::Box, {rect_.left, rect_.top + 512}, 400, 300);
    ASSERT_NE(box, nullptr);
    PointerToolHandler(view_, ToolAction::Select, nullptr, window_, Message::Null, 0, 0);
    const gfx::Point corner = LeftSide();
    EXPECT_EQ(HoveredAt(corner), box);
    win::headless::SetKeyDown(win::Key::Control, true);
    ClearHoverState();
    EXPECT_EQ(HoveredAt({corner.x, corner.y + 1}), box);
    // Further down only the margin's side is there; with Ctrl it is the only match.
    EXPECT_EQ(HoveredAt({corner.x, corner.y + 60}), view_->currentPage->margins.get());
}

// A press on the left side shows the left-right cursor, on a corner the corner's.
TEST_F(MarginMouseTest, CursorOverAHandle) {
    const gfx::Point side = LeftSide();
    Send(&PointerToolHandler, Message::MouseMove, side);
    Send(&PointerToolHandler, Message::LeftButtonDown, side);
    EXPECT_EQ(TheSelectionState()->focusedObject.get(), view_->currentPage->margins.get());
    EXPECT_EQ(win::CursorResourceId(win::GetCursor()), kResizeLeftRightCursorId);
    Send(&PointerToolHandler, Message::LeftButtonUp, side);
    const gfx::Point corner = At(rect_.left, rect_.top);
    Send(&PointerToolHandler, Message::MouseMove, corner);
    Send(&PointerToolHandler, Message::LeftButtonDown, corner);
    EXPECT_EQ(win::CursorResourceId(win::GetCursor()), kResizeDownRightCursorId);
    Send(&PointerToolHandler, Message::LeftButtonUp, corner);
    EXPECT_TRUE(MarginsUnchanged());
}

}  // namespace
}  // namespace ql::testing_shapes
