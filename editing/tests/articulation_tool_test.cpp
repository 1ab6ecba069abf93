// The articulation tool's arming through the Notes palette's Accents and Ornaments
// buttons: its tool mode byte, and the hand-over to the tuplet tool while that is
// the palette's entry in force.
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

}  // namespace
}  // namespace ql::testing_editing
