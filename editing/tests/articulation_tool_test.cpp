// The articulation tool's arming through the Notes palette's Accents and Ornaments
// buttons: its tool mode byte, and the hand-over to the tuplet tool while that is
// the palette's entry in force.
#include <algorithm>

#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "editing/palette_layout.h"
#include "editing/palette_windows.h"
#include "editing/tests/editing_fixture.h"
#include "editing/tool_records.h"
#include "editing/tools.h"
#include "notes/articulations/articulation_tool.h"

namespace ql::testing_editing {
namespace {

constexpr int kTupletEntry = 9;
constexpr int kAccentsButton = 11;

class ArticulationToolTest : public EditingTest {
  protected:
    void SetUp() override {
        EditingTest::SetUp();
        ASSERT_TRUE(CreateToolPalettes(window_));
        State().input.ToolModeByte = 0;
    }
    void TearDown() override {
        State().notes.NoteTools = NoteToolState{};
        DestroyToolPalettes();
        EditingTest::TearDown();
    }
    intptr_t Run(int action) {
        return ArticulationToolHandler(view_, action, ToolRecordOf(kNotesPalette, kAccentsButton), window_,
                                       win::Message::Null, 0, 0);
    }
};

TEST_F(ArticulationToolTest, ArmingSetsTheToolModeByteAndDeselectingClearsIt) {
    SelectionState* s = TheSelectionState();
    EXPECT_EQ(Run(ToolAction::Select), 1);
    EXPECT_EQ(s->toolType, TypeCode(ObjectType::NoteArticulation));
    EXPECT_EQ(State().input.ToolModeByte, 2);
    EXPECT_EQ(s->editMode, 0) << "the first click must still make a mark";
    Run(ToolAction::Deselect);
    EXPECT_EQ(State().input.ToolModeByte, 0);
    EXPECT_EQ(s->armed, 0);
}

// With "Tuplets..." in force on the Notes palette the articulation buttons arm the
// tuplet tool, and the articulation tool's mode byte stays clear.
TEST_F(ArticulationToolTest, TheTupletToolInForceTakesEveryAction) {
    State().notes.NoteTools.selectedEntry = kTupletEntry;
    Run(ToolAction::Select);
    SelectionState* s = TheSelectionState();
    EXPECT_EQ(s->toolType, TypeCode(ObjectType::Tuplet));
    EXPECT_EQ(State().input.ToolModeByte, 0);
}

// A box dragged with its own tool is still in focus when the articulation tool takes
// over, by being chosen or by a message while the box tool is still armed. Either way
// the box is let go as any focus ends: its edit counted as a change of the score and
// the box drawn again out of focus; then the mark tool is armed.
TEST_F(ArticulationToolTest, AFocusOfAnotherKindEndsBeforeTheToolActs) {
    constexpr int32_t kSide = 640;
    SelectionState* s = TheSelectionState();
    for (const int action : {ToolAction::Select, ToolAction::Message}) {
        SCOPED_TRACE(action);
        const int32_t left = originX_ + (action == ToolAction::Select ? 0 : 2 * kSide);
        ScoreObject* box = MakeBox(left, originY_, left + kSide, originY_ + kSide);
        ArmBoxTool();
        Mouse(win::Message::MouseMove, left, originY_);
        Drag(left, originY_, left - 80, originY_ - 40);
        ASSERT_EQ(s->editMode, 1) << "the dragged box stays in focus";
        g_boxCalls.painted.clear();
        const uint16_t changes = doc_->changeCounter;
        Run(action);
        EXPECT_NE(doc_->changeCounter, changes) << "the drag was not counted as a change";
        EXPECT_NE(std::find(g_boxCalls.painted.begin(), g_boxCalls.painted.end(), box), g_boxCalls.painted.end())
            << "the box was left drawn in focus";
        EXPECT_EQ(BodyOf(box).left, left - 80);
        EXPECT_EQ(s->editMode, 0);
        EXPECT_EQ(s->toolType, TypeCode(ObjectType::NoteArticulation));
        EXPECT_EQ(State().input.ToolModeByte, 2);
        Run(ToolAction::Deselect);
    }
}

}  // namespace
}  // namespace ql::testing_editing
