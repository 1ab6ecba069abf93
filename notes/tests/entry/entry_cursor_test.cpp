// The note cursor: its ledger-line spacing, the steps it is drawn for, and its XOR
// drawing, which a second draw takes away again.
#include <gtest/gtest.h>

#include "core/state.h"
#include "notes/entry/note_cursor.h"
#include "notes/rests/staff_place.h"
#include "notes/tests/entry/entry_fixture.h"

namespace ql::testing_entry {
namespace {

using EntryCursor = EntryTest;

// 1.28 units per percent of staff size; a size byte of 0 is full size.
TEST_F(EntryCursor, LineSpacingFollowsStaffSize) {
    EXPECT_EQ(CursorLineSpacing(0), 128);
    EXPECT_EQ(CursorLineSpacing(100), 128);
    EXPECT_EQ(CursorLineSpacing(75), 96);
}

// Two steps or more beyond an outer line, and at most twelve.
TEST_F(EntryCursor, WantedOnlyBeyondTheStaff) {
    constexpr int kTop = -8;
    constexpr int kBottom = 0;
    EXPECT_FALSE(IsCursorStepWanted(-4, kTop, kBottom));
    EXPECT_FALSE(IsCursorStepWanted(-9, kTop, kBottom));
    EXPECT_TRUE(IsCursorStepWanted(-10, kTop, kBottom));
    EXPECT_TRUE(IsCursorStepWanted(-20, kTop, kBottom));
    EXPECT_FALSE(IsCursorStepWanted(-21, kTop, kBottom));
    EXPECT_TRUE(IsCursorStepWanted(2, kTop, kBottom));
    EXPECT_TRUE(IsCursorStepWanted(12, kTop, kBottom));
    EXPECT_FALSE(IsCursorStepWanted(13, kTop, kBottom));
}

// Drawn at a step above the staff the cursor changes pixels; drawn again it leaves
// every pixel as it was; hiding it after showing does the same.
TEST_F(EntryCursor, SecondXorDrawRestoresThePixels) {
    OpenWindow(400, 256);
    State().input.ToolCursorState = 1;
    const std::vector<uint32_t> blank = WindowPixels();
    PointAt(1024, -14);
    UpdateNoteCursorPos(view_);
    EXPECT_NE(State().notes.NoteEntry.cursorShown, 0u);
    EXPECT_NE(WindowPixels(), blank);
    HideNoteCursor(view_);
    EXPECT_EQ(WindowPixels(), blank);
    DrawNoteCursor(view_, false);
    DrawNoteCursor(view_, false);
    EXPECT_EQ(WindowPixels(), blank);
    // On the staff no cursor is drawn.
    PointAt(1024, -4);
    UpdateNoteCursorPos(view_);
    EXPECT_EQ(State().notes.NoteEntry.cursorShown, 0u);
    EXPECT_EQ(WindowPixels(), blank);
}

}  // namespace
}  // namespace ql::testing_entry
