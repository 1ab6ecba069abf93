// Editing a focused or hovered box with keys and with the right-button popup menu:
// duplicate, delete, the keypad step, Shift's reset, each undoable; the popup's
// commands replayed as keys, as a double click, or posted to the frame.
#include "core/settings/program_options.h"
#include "editing/tests/editing_fixture.h"

#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "editing/mouse_processor.h"
#include "platform/ui/headless.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::testing_editing {
namespace {

using win::Message;

constexpr int32_t kSide = 640;
constexpr int32_t kDuplicateOffset = 128;
constexpr int32_t kDeleteCommand = 57632;
constexpr int32_t kPropertiesCommand = 42100;
constexpr int32_t kResetCommand = 42103;
constexpr int32_t kEditCommand = 42101;  // not on the graphic menu
constexpr int32_t kReformatPage = 42085;

class BoxEdit : public EditingTest {
  protected:
    // A box under the pointer with the box tool armed.
    ScoreObject* HoveredBox() {
        ScoreObject* box = MakeBox(originX_, originY_, originX_ + kSide, originY_ + kSide);
        ArmBoxTool();
        Mouse(Message::MouseMove, originX_, originY_);
        return box;
    }
    SelectionState& Sel() { return *TheSelectionState(); }
};

// Ctrl+D over a box: a copy 128 units right of and below it, committed at once; the
// source stays; one undo step takes the copy away.
TEST_F(BoxEdit, CtrlDDuplicatesBesideAndCommits) {
    ScoreObject* box = HoveredBox();
    HoldKey(win::Key::Control, true);
    Key(win::LetterKey('D'));
    HoldKey(win::Key::Control, false);
    const std::vector<ScoreObject*> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    ScoreObject* copy = boxes[0] == box ? boxes[1] : boxes[0];
    const BoxBody b = BodyOf(copy);
    EXPECT_EQ(b.left, originX_ + kDuplicateOffset);
    EXPECT_EQ(b.top, originY_ + kDuplicateOffset);
    EXPECT_EQ(b.right, originX_ + kSide + kDuplicateOffset);
    EXPECT_EQ(BodyOf(box).left, originX_) << "the source stays";
    EXPECT_EQ(Sel().editMode, 0) << "committed at once";
    UndoCommand(doc_, view_);
    EXPECT_EQ(Boxes().size(), 1u);
}

// Delete on the hovered box removes it; undo brings it back where it was.
TEST_F(BoxEdit, DeleteRemovesAndUndoRestores) {
    HoveredBox();
    Key(win::Key::Delete);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Sel().editMode, 0);
    EXPECT_EQ(Sel().focusRecord.get(), nullptr);
    UndoCommand(doc_, view_);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(BodyOf(Boxes()[0]).left, originX_);
}

// Delete on a box focused by a press (a drag in between) also removes it.
TEST_F(BoxEdit, DeleteAfterDragRemovesTheFocusedBox) {
    HoveredBox();
    Drag(originX_, originY_, originX_ - 80, originY_ - 40);
    ASSERT_EQ(Sel().editMode, 1);
    Key(win::Key::Delete);
    EXPECT_TRUE(Boxes().empty());
    UndoCommand(doc_, view_);  // the delete
    UndoCommand(doc_, view_);  // the drag, committed by the delete
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(BodyOf(Boxes()[0]).left, originX_);
}

// Keypad plus steps the hovered box; with nothing under the pointer and nothing
// focused it does nothing.
TEST_F(BoxEdit, KeypadStepsOnlyAnObjectUnderThePointer) {
    HoveredBox();
    Key(win::Key::Add);
    EXPECT_EQ(g_boxCalls.steps, 1);
    Mouse(Message::MouseMove, originX_ + 4000, originY_ + 1600);
    Key(win::Key::Add);
    EXPECT_EQ(g_boxCalls.steps, 1);
}

// Shift resets the box's shape once per press (the latch), undoably.
TEST_F(BoxEdit, ShiftResetsOncePerPress) {
    ScoreObject* box = HoveredBox();
    Key(win::Key::Shift);
    Key(win::Key::Shift);  // the key repeating
    EXPECT_EQ(g_boxCalls.invalidates, 1);
    EXPECT_EQ(BodyOf(box).right, originX_ + 256);
    Send(Message::KeyUp, static_cast<uint32_t>(win::Key::Shift), 0);
    UndoCommand(doc_, view_);
    EXPECT_EQ(BodyOf(Boxes()[0]).right, originX_ + kSide);
}

// The graphic menu over a box: Delete deletes, Properties opens the box's dialog
// (a double click), Reset Shape is Shift; a command the menu lacks does nothing.
TEST_F(BoxEdit, PopupCommandsOfTheGraphicMenuRun) {
    HoveredBox();
    ui::headless::QueuePopupMenuChoice(kPropertiesCommand);
    Mouse(Message::RightButtonDown, originX_, originY_);
    EXPECT_EQ(g_boxCalls.editAttributes, 1);
    ui::headless::QueuePopupMenuChoice(kResetCommand);
    Mouse(Message::RightButtonDown, originX_, originY_);
    EXPECT_EQ(g_boxCalls.invalidates, 1);
    ui::headless::QueuePopupMenuChoice(kEditCommand);
    Mouse(Message::RightButtonDown, originX_, originY_);
    EXPECT_EQ(g_boxCalls.editAttributes, 1) << "the graphic menu has no Edit item";
    ui::headless::QueuePopupMenuChoice(kDeleteCommand);
    Mouse(Message::RightButtonDown, originX_, originY_);
    EXPECT_TRUE(Boxes().empty());
    ASSERT_EQ(ui::headless::PopupMenus().size(), 4u);
    const gfx::Point click = Client(originX_, originY_);
    const win::Point screen = win::ClientToScreen(window_, win::Point{click.x, click.y});
    EXPECT_EQ(ui::headless::PopupMenus()[0].point.x, screen.x + 16) << "opens right of a click on the left";
}

// Over nothing the page menu opens; its Reformat Page goes to the frame.
TEST_F(BoxEdit, PopupOverNothingPostsPageCommandsToTheFrame) {
    State().dialogs.FrameWindow = window_;
    ArmBoxTool();
    Mouse(Message::MouseMove, originX_, originY_);
    ui::headless::QueuePopupMenuChoice(kReformatPage);
    Mouse(Message::RightButtonDown, originX_, originY_);
    win::QueuedMessage posted{};
    bool found = false;
    constexpr int kMessagesToRead = 64;  // a paint stays pending: read a bounded number
    for (int i = 0; i < kMessagesToRead && win::PeekMessage(posted); ++i)
        if (posted.window == window_ && posted.message == Message::Command &&
            (posted.word & 0xFFFF) == kReformatPage)
            found = true;
    EXPECT_TRUE(found);
}

// With the right-button menus switched off, a right click deletes what is under it.
TEST_F(BoxEdit, RightClickDeletesWithMenusOff) {
    HoveredBox();
    Options().UsePopupMenus = 0;
    Mouse(Message::RightButtonDown, originX_, originY_);
    Options().UsePopupMenus = 1;
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(ui::headless::PopupMenus().empty());
}

}  // namespace
}  // namespace ql::testing_editing
