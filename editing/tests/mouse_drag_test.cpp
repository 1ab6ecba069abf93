// Selecting a box by a handle and dragging it with the tool mouse processor: the
// axis locks, the whole-object move, creation by a click and its rubber band, and
// the same geometry whether or not the windowing system lets the pointer be warped.
#include "editing/tests/editing_fixture.h"

#include <utility>
#include <vector>

#include "core/objects/handle_flags.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "editing/selection.h"

namespace ql::testing_editing {
namespace {

using win::Message;

constexpr int32_t kPixel = 8;  // logical units per device pixel at the fixture's zoom
constexpr int32_t kSide = 640;

class BoxDrag : public EditingTest, public ::testing::WithParamInterface<bool> {
  protected:
    void SetUp() override {
        EditingTest::SetUp();
        if (GetParam()) RefuseWarps();
    }
    // The box's handle at (x, y) pressed two pixels off its centre, then the pointer
    // moved by the steps (in pixels) from where the drag reads it, and released.
    // With warps refused the real pointer stays off by the press's offset.
    void DragHandle(int32_t x, int32_t y, const std::vector<gfx::Point>& steps) {
        const gfx::Point handle = Client(x, y);
        const gfx::Point press{handle.x + 2, handle.y + 1};
        MouseAtClient(Message::MouseMove, press);
        MouseAtClient(Message::LeftButtonDown, press);
        const gfx::Point base = GetParam() ? press : handle;
        gfx::Point at = base;
        for (const gfx::Point& d : steps) {
            at = gfx::Point{base.x + d.x, base.y + d.y};
            MouseAtClient(Message::MouseMove, at);
        }
        MouseAtClient(Message::LeftButtonUp, at);
    }
    SelectionState& Sel() { return *TheSelectionState(); }
};

// A far-corner handle locked to horizontal moves: a diagonal drag changes only the
// right edge; the box stays focused after the release (edit mode 1).
TEST_P(BoxDrag, HorizontalLockKeepsOnlyTheHorizontalPart) {
    g_boxHandleFlags = kHandleHorizontalOnly;
    ScoreObject* box = MakeBox(originX_, originY_, originX_ + kSide, originY_ + kSide);
    ArmBoxTool();
    DragHandle(originX_ + kSide, originY_ + kSide, {{5, 7}, {10, 14}, {20, 9}});
    const BoxBody b = BodyOf(box);
    EXPECT_EQ(b.right, originX_ + kSide + 20 * kPixel);
    EXPECT_EQ(b.bottom, originY_ + kSide) << "the vertical part is locked away";
    EXPECT_EQ(b.left, originX_);
    EXPECT_EQ(Sel().editMode, 1);
    EXPECT_EQ(Sel().focusedObject.get(), box);
}

// Shift frees the lock: the same drag moves the corner both ways.
TEST_P(BoxDrag, ShiftFreesTheAxisLock) {
    g_boxHandleFlags = kHandleHorizontalOnly;
    ScoreObject* box = MakeBox(originX_, originY_, originX_ + kSide, originY_ + kSide);
    ArmBoxTool();
    HoldKey(win::Key::Shift, true);
    DragHandle(originX_ + kSide, originY_ + kSide, {{5, 7}, {10, 14}});
    HoldKey(win::Key::Shift, false);
    const BoxBody b = BodyOf(box);
    EXPECT_EQ(b.right, originX_ + kSide + 10 * kPixel);
    EXPECT_EQ(b.bottom, originY_ + kSide + 14 * kPixel);
}

// With Shift the object's constraint is given this move's offset, and the corner
// and the pointer go where the constraint keeps it: here on the diagonal.
TEST_P(BoxDrag, ShiftConstrainsTheOffsetOfThisMove) {
    ScoreObject* box = MakeBox(originX_, originY_, originX_ + kSide, originY_ + kSide);
    ArmBoxTool();
    std::vector<std::pair<int32_t, int32_t>> given;
    g_boxCalls.onConstrainDrag = [&](SelectionState& s) {
        const int32_t dx = s.dragOffsetX;  // the state is packed: copies, not references
        const int32_t dy = s.dragOffsetY;
        given.emplace_back(dx, dy);
        s.dragOffsetY = s.dragOffsetX;
    };
    HoldKey(win::Key::Shift, true);
    DragHandle(originX_ + kSide, originY_ + kSide, {{10, 2}, {16, 5}});
    HoldKey(win::Key::Shift, false);
    ASSERT_EQ(given.size(), 2u);
    EXPECT_EQ(given[0], (std::pair{10 * kPixel, 2 * kPixel})) << "the constraint saw another offset";
    const BoxBody b = BodyOf(box);
    EXPECT_EQ(b.right, originX_ + kSide + 16 * kPixel);
    EXPECT_EQ(b.bottom, originY_ + kSide + 16 * kPixel) << "the constrained offset was not kept";
}

// The dominant-axis lock keeps the larger part of each move; the vertical lock only y.
TEST_P(BoxDrag, DominantAndVerticalLocks) {
    g_boxHandleFlags = kHandleDominantAxis;
    ScoreObject* box = MakeBox(originX_, originY_, originX_ + kSide, originY_ + kSide);
    ArmBoxTool();
    DragHandle(originX_ + kSide, originY_ + kSide, {{3, 9}});
    EXPECT_EQ(BodyOf(box).right, originX_ + kSide) << "|dy| > |dx| keeps y";
    EXPECT_EQ(BodyOf(box).bottom, originY_ + kSide + 9 * kPixel);
    Mouse(Message::LeftButtonDown, originX_ - 4000, originY_ + 1200);  // away: unfocus
    g_boxHandleFlags = kHandleVerticalOnly;
    ScoreObject* other = MakeBox(originX_ + 1600, originY_, originX_ + 1600 + kSide, originY_ + kSide);
    ArmBoxTool();
    DragHandle(originX_ + 1600, originY_, {{-6, 4}});
    EXPECT_EQ(BodyOf(other).left, originX_ + 1600);
    EXPECT_EQ(BodyOf(other).top, originY_ + 4 * kPixel);
}

// The centre handle carries 0x0004: the whole box moves by the drag.
TEST_P(BoxDrag, CentreHandleMovesTheWholeBox) {
    ScoreObject* box = MakeBox(originX_, originY_, originX_ + kSide, originY_ + kSide);
    ArmBoxTool();
    DragHandle(originX_ + kSide / 2, originY_ + kSide / 2, {{4, 2}, {12, -6}});
    const BoxBody b = BodyOf(box);
    EXPECT_EQ(b.left, originX_ + 12 * kPixel);
    EXPECT_EQ(b.top, originY_ - 6 * kPixel);
    EXPECT_EQ(b.right - b.left, kSide);
    EXPECT_EQ(b.bottom - b.top, kSide);
}

// A press on empty space creates a box there and drags its far corner at once;
// the release leaves it focused, a press elsewhere commits it, and undo takes it away.
TEST_P(BoxDrag, ClickCreatesAndRubberBandsThenUndoRemoves) {
    ArmBoxTool();
    const gfx::Point start = Client(originX_, originY_);
    Mouse(Message::MouseMove, originX_, originY_);
    MouseAtClient(Message::LeftButtonDown, start);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Sel().editMode, 2) << "the rubber band drags at once";
    // The pointer was warped onto the new corner, which is where it was pressed.
    MouseAtClient(Message::MouseMove, gfx::Point{start.x + 30, start.y + 20});
    MouseAtClient(Message::LeftButtonUp, gfx::Point{start.x + 30, start.y + 20});
    const BoxBody b = BodyOf(Boxes()[0]);
    EXPECT_EQ(b.left, originX_);
    EXPECT_EQ(b.right, originX_ + 30 * kPixel);
    EXPECT_EQ(b.bottom, originY_ + 20 * kPixel);
    EXPECT_EQ(Sel().editMode, 1);
    Mouse(Message::LeftButtonDown, originX_ + 2000, originY_ + 1600);
    EXPECT_EQ(Sel().editMode, 0) << "a press elsewhere commits";
    ASSERT_EQ(UndoDepth(doc_), 1);
    UndoCommand(doc_, view_);
    EXPECT_TRUE(Boxes().empty());
}

// The document's reformat request: a click that makes an object asks for 2; a drag
// asks for 7 only when nothing is pending, so it never overwrites a request.
TEST_P(BoxDrag, CreationAndDragsSetTheReformatRequest) {
    ArmBoxTool();
    uint16_t& request = doc_->header.reformatRequest;
    ASSERT_EQ(request, 0);
    Mouse(Message::MouseMove, originX_, originY_);
    MouseAtClient(Message::LeftButtonDown, Client(originX_, originY_));
    EXPECT_EQ(request, 2) << "the click made a box";
    MouseAtClient(Message::LeftButtonUp, Client(originX_, originY_));
    Mouse(Message::LeftButtonDown, originX_ + 2000, originY_ + 1600);  // commit
    request = 0;
    ScoreObject* box = MakeBox(originX_, originY_, originX_ + kSide, originY_ + kSide);
    DragHandle(originX_ + kSide / 2, originY_ + kSide / 2, {{4, 2}});
    ASSERT_EQ(BodyOf(box).left, originX_ + 4 * kPixel);
    EXPECT_EQ(request, 7) << "a drag asks when nothing is pending";
    request = 5;
    DragHandle(originX_ + kSide / 2 + 4 * kPixel, originY_ + kSide / 2 + 2 * kPixel, {{4, 2}});
    EXPECT_EQ(request, 5) << "a pending request stays";
}

// A release after a drag of a handle with 0x0040 ends the edit.
TEST_P(BoxDrag, EndOnReleaseUnfocuses) {
    g_boxHandleFlags = kHandleEndOnRelease;
    MakeBox(originX_, originY_, originX_ + kSide, originY_ + kSide);
    ArmBoxTool();
    DragHandle(originX_, originY_, {{-3, -3}});
    EXPECT_EQ(Sel().editMode, 0);
}

INSTANTIATE_TEST_SUITE_P(Warps, BoxDrag, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Refused") : std::string("Allowed");
                         });

}  // namespace
}  // namespace ql::testing_editing
