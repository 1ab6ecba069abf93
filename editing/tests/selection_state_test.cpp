// The selection state's own operations: binding an armed tool, the editor dialog
// runner's refusals, the Ctrl pick of overlapping handles, and the status bar's
// description of the object under the pointer.
#include "editing/tests/editing_fixture.h"

#include <string>

#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/selection_services.h"
#include "core/ui/status_bar.h"
#include "editing/mouse_processor.h"
#include "editing/selection.h"
#include "editing/status_readout.h"
#include "editing/tools.h"
#include "platform/ui/headless.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::testing_editing {
namespace {

using win::Message;

constexpr int32_t kSide = 640;

class SelectionStateTest : public EditingTest {
  protected:
    SelectionState& Sel() { return *TheSelectionState(); }
    // A frame with a status bar, so that the texts shown can be read back.
    void MakeStatusBar() {
        win::WindowClass frameClass;
        frameClass.name = "EditingFrame";
        frameClass.procedure = win::DefaultWindowProc;
        win::RegisterWindowClass(frameClass);
        win::WindowParams params;
        params.className = "EditingFrame";
        params.style = win::kStyleVisible | win::kStyleOverlappedWindow;
        params.rect = {0, 0, 600, 300};
        const platform::WindowHandle frame = win::CreateWindow(params);
        State().dialogs.FrameWindow = frame;
        CreateStatusBar(frame);
        LayoutStatusBar(frame);
    }
    std::vector<std::string> PartTexts(int part) const {
        std::vector<std::string> texts;
        for (const auto& record : ui::headless::StatusTexts())
            if (record.part == part) texts.push_back(record.text);
        return texts;
    }
};

// Without an armed tool binding fails and changes nothing; once armed it binds;
// after a reset with mode 0 the tool stays armed but must bind again.
TEST_F(SelectionStateTest, BindingNeedsAnArmedTool) {
    EXPECT_EQ(BindArmedTool(view_, Message::MouseMove, window_, kBoxType), 0);
    EXPECT_EQ(Sel().bound, 0);
    ArmBoxTool();
    EXPECT_EQ(Sel().armed, 1);
    EXPECT_EQ(Sel().bound, 1) << "arming binds at once";
    EXPECT_EQ(Sel().toolType, kBoxType);
    EXPECT_EQ(Sel().secondaryType, kNoSecondaryType);
    ResetSelection(view_, 0);
    EXPECT_EQ(Sel().armed, 1);
    EXPECT_EQ(Sel().bound, 0);
    EXPECT_EQ(BindArmedTool(view_, Message::MouseMove, window_, kBoxType), 1);
    EXPECT_EQ(Sel().bound, 1);
    DeselectTool(view_);
    EXPECT_EQ(Sel().armed, 0);
    EXPECT_EQ(BindArmedTool(view_, Message::MouseMove, window_, kBoxType), 0);
}

// The re-collection on binding finds the boxes of the page: a move through the
// tool after a reset comes over a box again (its record becomes the status record).
TEST_F(SelectionStateTest, RebindingCollectsThePageAgain) {
    ScoreObject* box = MakeBox(originX_, originY_, originX_ + kSide, originY_ + kSide);
    ArmBoxTool();
    ResetSelection(view_, 0);
    ASSERT_EQ(Sel().statusRecord.get(), nullptr);
    Mouse(Message::MouseMove, originX_, originY_);
    ASSERT_NE(Sel().statusRecord.get(), nullptr);
    EXPECT_EQ(Sel().statusRecord.get()->owner.get(), box);
}

// A type code outside the object types arms the marquee's type instead.
TEST_F(SelectionStateTest, ArmingAnUnknownTypeArmsTheMarqueeType) {
    SelectToolType(view_, 200);
    EXPECT_EQ(Sel().toolType, 0);
    SelectToolType(view_, -3);
    EXPECT_EQ(Sel().toolType, 0);
}

intptr_t EndAtOnce(platform::WindowHandle, win::Message, uint32_t, intptr_t) {
    return 0;
}

// The dialog runner refuses a missing procedure or template id with 2 and leaves
// the edit mode alone.
TEST_F(SelectionStateTest, EditorDialogNeedsProcedureAndId) {
    Sel().editMode = 0;
    EXPECT_EQ(RunEditorDialog(view_, nullptr, 884), 2);
    EXPECT_EQ(RunEditorDialog(view_, &EndAtOnce, 0), 2);
    EXPECT_EQ(RunEditorDialog(nullptr, &EndAtOnce, 884), 2);
    EXPECT_EQ(Sel().editMode, 0);
    EXPECT_EQ(Sel().modal, 0);
}

// Over two overlapping boxes the first handle found wins; with Ctrl held the second.
TEST_F(SelectionStateTest, CtrlPicksTheSecondOfOverlappingHandles) {
    ScoreObject* a = MakeBox(originX_, originY_, originX_ + kSide, originY_ + kSide);
    ScoreObject* b = MakeBox(originX_, originY_, originX_ + 2 * kSide, originY_ + 2 * kSide);
    ArmBoxTool();
    Mouse(Message::MouseMove, originX_, originY_);
    ASSERT_EQ(HitTestSelectionLists(view_, 1), 1);
    ScoreObject* plain = Sel().hoverObject.get();
    HoldKey(win::Key::Control, true);
    ClearHoverState();
    ASSERT_EQ(HitTestSelectionLists(view_, 1), 1);
    ScoreObject* withCtrl = Sel().hoverObject.get();
    HoldKey(win::Key::Control, false);
    EXPECT_TRUE((plain == a && withCtrl == b) || (plain == b && withCtrl == a));
    EXPECT_EQ(FindRecordUnderPointer(view_)->owner.get(), plain) << "the plain walk takes the first";
}

// The status bar names the armed tool, then the object under the pointer with its
// anchoring; a subtype
// without an anchoring name gives the name alone; a record without an owner nothing.
TEST_F(SelectionStateTest, StatusNamesTheObjectAndItsAnchoring) {
    MakeStatusBar();
    ScoreObject* box = MakeBox(originX_, originY_, originX_ + kSide, originY_ + kSide);
    ArmBoxTool();
    ASSERT_FALSE(PartTexts(0).empty());
    EXPECT_EQ(PartTexts(0).back(), " Box tool") << "arming names the tool";
    Mouse(Message::MouseMove, originX_, originY_);
    EXPECT_EQ(PartTexts(0).back(), " Box   (Page)");  // the bar puts a space before each text
    HitRecord* record = Sel().statusRecord.get();
    ASSERT_NE(record, nullptr);
    box->subtype = 7;
    ShowObjectStatus(view_, record, kBoxType);
    EXPECT_EQ(PartTexts(0).back(), " Box");
    const size_t shown = ui::headless::StatusTexts().size();
    const Ref32<ScoreObject> owner = record->owner;
    record->owner = {};
    ShowObjectStatus(view_, record, kBoxType);
    record->owner = owner;
    EXPECT_EQ(ui::headless::StatusTexts().size(), shown);
    EXPECT_STREQ(ObjectTypeStatusName(200), "") << "a type without a name";
}

// With the snapping setting and "Quantize Notes Cursor" on, a hovering move puts the
// pointer down onto the view's vertical step; over a handle, or with either off, it
// stays.
TEST_F(SelectionStateTest, HoverSnapsThePointerToTheVerticalStep) {
    constexpr int32_t kStep = 5;
    view_->zoomStep = kStep;
    ArmBoxTool();
    ToolSwitches().snapSetting = 1;
    const gfx::Point at = Client(originX_, originY_);
    MouseAtClient(Message::MouseMove, gfx::Point{at.x, 3 * kStep + 3});
    const gfx::Point snapped = Client(view_->pointerPoint.x, view_->pointerPoint.y);
    EXPECT_EQ(snapped.y, 3 * kStep);
    // "Quantize Notes Cursor" off: no snap either.
    Options().QuantizeMouse = 0;
    MouseAtClient(Message::MouseMove, gfx::Point{at.x, 4 * kStep + 2});
    EXPECT_EQ(Client(view_->pointerPoint.x, view_->pointerPoint.y).y, 4 * kStep + 2);
    Options().QuantizeMouse = 1;
    ToolSwitches().snapSetting = 0;
    MouseAtClient(Message::MouseMove, gfx::Point{at.x, 3 * kStep + 3});
    EXPECT_EQ(Client(view_->pointerPoint.x, view_->pointerPoint.y).y, 3 * kStep + 3);
}

}  // namespace
}  // namespace ql::testing_editing
