// The Notes palette popped up under the pointer by a right click with the Notes tool
// and with the articulation tool, and the Notes tool handing its calls to the rest
// tool while the palette shows rests.
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "editing/notes_tool_handler.h"
#include "editing/palette_layout.h"
#include "editing/palette_windows.h"
#include "editing/tests/editing_fixture.h"
#include "editing/tool_records.h"
#include "editing/tools.h"
#include "notes/articulations/articulation_tool.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::testing_editing {
namespace {

constexpr win::Point kPointer{600, 500};
constexpr int kHalfButton = 2;

class NotePalettePopupTest : public EditingTest {
  protected:
    void SetUp() override {
        EditingTest::SetUp();
        ASSERT_TRUE(CreateToolPalettes(window_));
        win::SetCursorPosition(kPointer);
    }
    void TearDown() override {
        SetNotesPaletteRests(false);
        DestroyToolPalettes();
        EditingTest::TearDown();
    }
    intptr_t RightClick(ToolHandler tool) {
        const gfx::Point client = Client(originX_, originY_);
        return tool(view_, ToolAction::Message, nullptr, window_, win::Message::RightButtonDown, 0,
                    win::PackPoint({client.x, client.y}));
    }
    static bool NotesShown() { return win::IsWindowVisible(PaletteWindow(kNotesPalette)); }
    static win::Point NotesCentre() {
        const win::Rect r = win::GetWindowRect(PaletteWindow(kNotesPalette));
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    static void Press(platform::WindowHandle button) {
        win::SendMessage(button, win::Message::LeftButtonDown, 0, win::PackPoint({3, 3}));
        win::SendMessage(button, win::Message::LeftButtonUp, 0, win::PackPoint({3, 3}));
    }
};

// Idle, with nothing focused: the palette comes up centred on the pointer, and the
// value chosen on it is the Notes tool's value, after which the palette hides again.
TEST_F(NotePalettePopupTest, NotesToolRightClickPopsThePaletteUpWhereAChoiceHidesIt) {
    ASSERT_FALSE(NotesShown());
    EXPECT_EQ(RightClick(NotesToolHandler), 1);
    ASSERT_TRUE(NotesShown());
    EXPECT_NEAR(NotesCentre().x, kPointer.x, 1);
    EXPECT_NEAR(NotesCentre().y, kPointer.y, 1);
    Press(PaletteButton(kNotesPalette, kHalfButton));
    EXPECT_EQ(State().notes.NoteTools.selectedEntry, kHalfButton);
    EXPECT_FALSE(NotesShown()) << "a pop-up palette hides after a choice";
}

// While an object is being edited the right click is not the palette's.
TEST_F(NotePalettePopupTest, NotesToolRightClickWhileEditingLeavesThePaletteAlone) {
    NotesToolHandler(view_, ToolAction::Select, nullptr, window_, win::Message::Null, 0, 0);
    win::ShowWindow(PaletteWindow(kNotesPalette), win::ShowCommand::Hide);
    TheSelectionState()->editMode = 1;
    RightClick(NotesToolHandler);
    EXPECT_FALSE(NotesShown());
}

// The articulation tool pops the palette up unless a handle is grabbed or the
// program holds the pop-up back.
TEST_F(NotePalettePopupTest, ArticulationToolRightClickPopsThePaletteUpUnlessHeldBack) {
    State().input.NotePalettePopupSuppressed = 1;
    RightClick(ArticulationToolHandler);
    EXPECT_FALSE(NotesShown());
    State().input.NotePalettePopupSuppressed = 0;
    SelectionState* s = TheSelectionState();
    s->grabbedRecord = Ref32<HitRecord>::To(&s->listAHead);
    RightClick(ArticulationToolHandler);
    EXPECT_FALSE(NotesShown());
    s->grabbedRecord = {};
    EXPECT_EQ(RightClick(ArticulationToolHandler), 1);
    EXPECT_TRUE(NotesShown());
    EXPECT_NEAR(NotesCentre().x, kPointer.x, 1);
}

// With the rest faces on the value buttons the Notes tool arms the Rest type, with
// the chosen button's value (the whole button's second face: the double whole).
TEST_F(NotePalettePopupTest, RestFacesHandTheNotesToolsCallsToTheRestTool) {
    ToggleNoteRest(view_, ToolAction::Message, nullptr, window_, win::Message::Null, 0, 0);
    ASSERT_TRUE(NotesPaletteShowsRests());
    ToolRecord* whole = ToolRecordOf(kNotesPalette, 1);
    ASSERT_NE(whole, nullptr);
    whole->alternateIndex = 1;
    State().notes.NoteTools.selectedEntry = 1;
    NotesToolHandler(view_, ToolAction::Select, nullptr, window_, win::Message::Null, 0, 0);
    const SelectionState* s = TheSelectionState();
    EXPECT_EQ(s->armed, 1);
    EXPECT_EQ(s->toolType, TypeCode(ObjectType::Rest));
    EXPECT_EQ(State().notes.RestTools.paletteIndex, 1);
    EXPECT_EQ(State().notes.RestTools.variant, 1);
    // Back to note faces: the next message arms the Note type again.
    ToggleNoteRest(view_, ToolAction::Message, nullptr, window_, win::Message::Null, 0, 0);
    State().notes.NoteTools.selectedEntry = 3;
    NotesToolHandler(view_, ToolAction::Message, nullptr, window_, win::Message::MouseMove, 0,
                     win::PackPoint({5, 5}));
    EXPECT_EQ(s->toolType, TypeCode(ObjectType::Note));
}

}  // namespace
}  // namespace ql::testing_editing
