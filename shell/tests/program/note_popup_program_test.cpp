// The right button on an entered note, in the program: the note's own menu opens
// (not the page's) with the Notes tool current and with the Pointer, and a command
// chosen from it changes that note, shows on the page, and is one undo step; a
// double click on the head opens the note's settings.
#include <gtest/gtest.h>

#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/state/note_tool_state.h"
#include "core/undo/undo.h"
#include "core/units/save_stacks.h"
#include "display/hit_test.h"
#include "editing/palette_windows.h"
#include "editing/selection_internal.h"
#include "editing/tool_dispatch.h"
#include "notes/drawing/note_fields.h"
#include "notes/ties/ties.h"
#include "platform/gfx/bitmap.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

constexpr int32_t kHideHeadCommand = 40357;  // on the note's menu only
constexpr int32_t kReformatPageCommand = 42085;  // on the page's menu only
constexpr int kNoteSettingsDialog = 827;

class NotePopupProgramTest : public testing::ProgramFixture {
  protected:
    // A quarter entered with the Notes tool at the middle of the staff of a new
    // one-staff score; the note, null when none was entered.
    EventRecord* EnterNote() {
        if (Start() != StartupCode::Ok || !OpenScorePath(WriteScore("x.ql"))) return nullptr;
        Pump();
        view_ = State().documents.ActiveView;
        if (view_ == nullptr) return nullptr;
        Press(PaletteButton(kNotesPalette, 3));
        const win::Rect client = win::GetClientRect(view_->ViewWindow);
        const EventRecord* before = view_->voiceChain;
        // The staff's middle line, found by the view's own location of the pointer.
        for (int y = 0; y < client.bottom && view_->voiceChain == before; y += 4)
            Click(win::Message::LeftButtonDown, client.Width() * 3 / 8, y);
        EventRecord* note = view_->voiceChain;
        return note != nullptr && note != before && !IsHeadSentinel(*note) ? note : nullptr;
    }
    static void Press(platform::WindowHandle button) {
        win::SendMessage(button, win::Message::LeftButtonDown, 0, 0);
        win::SendMessage(button, win::Message::LeftButtonUp, 0, 0);
    }
    // The pointer moved onto the point (the move after the program set the pointer
    // itself is not the user's, so it comes from beside), then the button pressed
    // (and the left one released).
    void Click(win::Message button, int x, int y) {
        const intptr_t at = win::PackPoint({x, y});
        win::SendMessage(view_->ViewWindow, win::Message::MouseMove, 0, win::PackPoint({x + 1, y}));
        win::SendMessage(view_->ViewWindow, win::Message::MouseMove, 0, at);
        win::SendMessage(view_->ViewWindow, button,
                         button == win::Message::LeftButtonDown ? win::kMouseLeftButton : 0, at);
        if (button == win::Message::LeftButtonDown)
            win::SendMessage(view_->ViewWindow, win::Message::LeftButtonUp, 0, at);
        Pump();
    }
    // A right click on the note's head with `command` chosen from the menu that opens;
    // what the menu answered.
    int32_t RightClickNote(EventRecord* note, int32_t command) {
        const gfx::Point head = selection::ClientOfLogical(view_, GetEventPosition(note, view_));
        ui::headless::QueuePopupMenuChoice(command);
        const size_t menus = ui::headless::PopupMenus().size();
        Click(win::Message::RightButtonDown, head.x, head.y);
        if (ui::headless::PopupMenus().size() != menus + 1) return -1;
        return ui::headless::PopupMenus().back().result;
    }

    // The pixels of the view's picture around the note's head that are not white.
    int InkAtHead(EventRecord* note) {
        win::UpdateWindow(view_->ViewWindow);
        const gfx::Point head = selection::ClientOfLogical(view_, GetEventPosition(note, view_));
        const platform::BitmapHandle image = win::GetWindowImage(view_->ViewWindow);
        int ink = 0;
        for (int y = head.y - 1; y <= head.y + 1; ++y)
            for (int x = head.x - 3; x <= head.x + 3; ++x) ink += gfx::GetBitmapPixel(image, x, y) != gfx::kWhite;
        return ink;
    }

    void CtrlZ() {
        win::headless::SetKeyDown(win::Key::Control, true);
        win::SendMessage(view_->ViewWindow, win::Message::KeyDown, 'Z');
        win::SendMessage(view_->ViewWindow, win::Message::KeyUp, 'Z');
        win::headless::SetKeyDown(win::Key::Control, false);
        Pump();
    }

    ScoreView* view_ = nullptr;
};

TEST_F(NotePopupProgramTest, TheNotesMenuOpensOnANoteWithTheNotesToolAndHidesItsHead) {
    EventRecord* note = EnterNote();
    ASSERT_NE(note, nullptr) << "no note entered";
    EXPECT_EQ(RightClickNote(note, kReformatPageCommand), 0) << "the page's menu opened on the note";
    const int ink = InkAtHead(note);
    ASSERT_GT(ink, 8);
    ASSERT_EQ(RightClickNote(note, kHideHeadCommand), kHideHeadCommand) << "the note's menu did not open";
    EXPECT_TRUE(IsHeadHidden(*note));
    EXPECT_LE(InkAtHead(note), ink * 3 / 4) << "the page still shows the head";
    UndoCommand(view_->document, view_);
    EXPECT_FALSE(IsHeadHidden(*note)) << "one undo step restores the head";
    EXPECT_EQ(CloseAndRun(), 0);
}

TEST_F(NotePopupProgramTest, TheNotesMenuOpensOnANoteWithThePointer) {
    EventRecord* note = EnterNote();
    ASSERT_NE(note, nullptr) << "no note entered";
    Press(PaletteButton(kMainPalette, static_cast<int>(ToolGroup::Pointer)));
    ASSERT_EQ(CurrentToolGroup(), ToolGroup::Pointer);
    ASSERT_EQ(RightClickNote(note, kHideHeadCommand), kHideHeadCommand) << "the note's menu did not open";
    EXPECT_TRUE(IsHeadHidden(*note));
    EXPECT_EQ(CloseAndRun(), 0);
}

// The command from the menu leaves the note chosen; Ctrl+Z takes the command back
// at once, and letting the note go afterwards is no further undo step.
TEST_F(NotePopupProgramTest, CtrlZTakesBackTheMenusCommandWhileTheNoteIsChosen) {
    EventRecord* note = EnterNote();
    ASSERT_NE(note, nullptr) << "no note entered";
    const int depth = UndoDepth(view_->document);
    ASSERT_EQ(RightClickNote(note, kHideHeadCommand), kHideHeadCommand);
    ASSERT_TRUE(IsHeadHidden(*note));
    ASSERT_EQ(UndoDepth(view_->document), depth + 1);
    CtrlZ();
    EXPECT_FALSE(IsHeadHidden(*note)) << "Ctrl+Z did not take the command back";
    EXPECT_EQ(UndoDepth(view_->document), depth);
    EXPECT_EQ(CloseAndRun(), 0);
}

TEST_F(NotePopupProgramTest, LettingTheChosenNoteGoAddsNoUndoStep) {
    EventRecord* note = EnterNote();
    ASSERT_NE(note, nullptr) << "no note entered";
    const int depth = UndoDepth(view_->document);
    ASSERT_EQ(RightClickNote(note, kHideHeadCommand), kHideHeadCommand);
    ASSERT_EQ(UndoDepth(view_->document), depth + 1);
    Click(win::Message::LeftButtonDown, 2, 2);  // above every staff: nothing is entered
    EXPECT_EQ(UndoDepth(view_->document), depth + 1) << "letting the note go was an undo step";
    CtrlZ();
    EXPECT_FALSE(IsHeadHidden(*note)) << "one Ctrl+Z takes the command back";
    EXPECT_EQ(CloseAndRun(), 0);
}

// With the Notes tool the ledger-line cursor follows the pointer off the staff.
TEST_F(NotePopupProgramTest, TheNoteCursorFollowsThePointerOffTheStaff) {
    EventRecord* note = EnterNote();
    ASSERT_NE(note, nullptr) << "no note entered";
    const gfx::Point head = selection::ClientOfLogical(view_, GetEventPosition(note, view_));
    const NoteEntryContext& cursor = State().notes.NoteEntry;
    bool shown = false;
    const win::Rect client = win::GetClientRect(view_->ViewWindow);
    for (int y = 0; y < client.bottom && !shown; y += 2) {
        win::SendMessage(view_->ViewWindow, win::Message::MouseMove, 0, win::PackPoint({head.x + 40, y}));
        shown = cursor.cursorShown != 0;
    }
    ASSERT_TRUE(shown) << "no note cursor off the staff";
    EXPECT_EQ(cursor.cursorX, view_->pointerPoint.x);
    EXPECT_EQ(cursor.cursorY, view_->pointerPoint.y);
    EXPECT_EQ(CloseAndRun(), 0);
}

// Two notes of one pitch tied; with the Pointer, the tie's first control handle
// dragged down makes the curve flatter, stored once the tie is let go, and one undo
// takes it back.
TEST_F(NotePopupProgramTest, DraggingATiesControlHandleReshapesTheTie) {
    EventRecord* first = EnterNote();
    ASSERT_NE(first, nullptr) << "no note entered";
    const gfx::Point head = selection::ClientOfLogical(view_, GetEventPosition(first, view_));
    Click(win::Message::LeftButtonDown, head.x + 80, head.y);
    EventRecord* second = NextEvent(first);
    ASSERT_TRUE(second != nullptr && !IsHeadSentinel(*second)) << "no second note";
    ASSERT_EQ(second->step, first->step);
    ASSERT_GT(second->time, first->time) << "the second note joined the first's chord";
    {
        UndoStep step(view_->document, view_, UndoKind::Item, TypeCode(ObjectType::Tie), UndoVerb::Add);
        ASSERT_EQ(ToggleTie(view_, first, 0), 1) << "no tie made";
    }
    ScoreObject* tie = FindNoteTie(first);
    ASSERT_NE(tie, nullptr);
    const TieBody before = AsTie(tie)->body;
    Press(PaletteButton(kMainPalette, static_cast<int>(ToolGroup::Pointer)));
    const TieCurve curve = ComputeTieCurve(before, view_, first, second, 0);
    const gfx::Point start = selection::ClientOfLogical(view_, curve.outer[1]);
    win::SendMessage(view_->ViewWindow, win::Message::MouseMove, 0, win::PackPoint({start.x + 1, start.y}));
    win::SendMessage(view_->ViewWindow, win::Message::MouseMove, 0, win::PackPoint({start.x, start.y}));
    win::SendMessage(view_->ViewWindow, win::Message::LeftButtonDown, win::kMouseLeftButton,
                     win::PackPoint({start.x, start.y}));
    ASSERT_EQ(TheSelectionState()->editMode, 2) << "no handle grabbed";
    ASSERT_EQ(TheSelectionState()->grabbedOwnerType, TypeCode(ObjectType::Tie)) << "not the tie's handle";
    for (int dy = 2; dy <= 8; dy += 2)
        win::SendMessage(view_->ViewWindow, win::Message::MouseMove, win::kMouseLeftButton,
                         win::PackPoint({start.x, start.y + dy}));
    win::SendMessage(view_->ViewWindow, win::Message::LeftButtonUp, 0, win::PackPoint({start.x, start.y + 8}));
    Click(win::Message::LeftButtonDown, head.x, head.y + 300);  // empty paper: the tie is let go
    const TieBody after = AsTie(tie)->body;
    EXPECT_GT(after.controlRise, before.controlRise) << "the curve did not get flatter";
    EXPECT_EQ(after.startDy, before.startDy) << "the ends moved";
    UndoCommand(view_->document, view_);
    EXPECT_EQ(AsTie(tie)->body.controlRise, before.controlRise) << "one undo does not take the drag back";
    EXPECT_EQ(CloseAndRun(), 0);
}

// Shift on a chosen note draws the Notes palette's current button again, and so does
// its release; Shift with nothing chosen does not.
TEST_F(NotePopupProgramTest, ShiftOnAChosenNoteRedrawsTheToolsButton) {
    EventRecord* note = EnterNote();
    ASSERT_NE(note, nullptr) << "no note entered";
    const platform::WindowHandle button = PaletteButton(kNotesPalette, State().notes.NoteTools.selectedEntry);
    ASSERT_TRUE(button);
    auto pending = [&] {
        const win::Rect r = win::GetUpdateRect(button);
        return r.right > r.left && r.bottom > r.top;
    };
    auto shift = [&](win::Message message) {
        win::SendMessage(view_->ViewWindow, message, static_cast<uint32_t>(win::Key::Shift), 0);
    };
    win::UpdateWindow(button);
    shift(win::Message::KeyDown);
    shift(win::Message::KeyUp);
    EXPECT_FALSE(pending()) << "redrawn with nothing chosen";
    const gfx::Point head = selection::ClientOfLogical(view_, GetEventPosition(note, view_));
    Click(win::Message::LeftButtonDown, head.x, head.y);  // the note chosen
    ASSERT_GT(TheSelectionState()->editMode, 0) << "the note is not chosen";
    win::UpdateWindow(button);
    shift(win::Message::KeyDown);
    EXPECT_TRUE(pending()) << "not redrawn for Shift";
    win::UpdateWindow(button);
    shift(win::Message::KeyUp);
    EXPECT_TRUE(pending()) << "not redrawn when Shift came up";
    EXPECT_EQ(CloseAndRun(), 0);
}

// Leaving the Notes tool for another button set forgets the pointer positions kept
// while it was chosen and puts a tool entry of the palette back to the eighth.
TEST_F(NotePopupProgramTest, LeavingTheNotesToolForgetsKeptPointerPositions) {
    ASSERT_NE(EnterNote(), nullptr) << "no note entered";
    State().notes.NoteTools.selectedEntry = 8;
    PushCursorPosition();
    ASSERT_GT(State().stacks.pointerPositions.count, 0);
    Press(PaletteButton(kMainPalette, static_cast<int>(ToolGroup::Pointer)));
    EXPECT_EQ(State().stacks.pointerPositions.count, 0);
    EXPECT_EQ(State().notes.NoteTools.selectedEntry, 4);
    EXPECT_EQ(CloseAndRun(), 0);
}

TEST_F(NotePopupProgramTest, ADoubleClickOnAHeadOpensTheNoteSettings) {
    EventRecord* note = EnterNote();
    ASSERT_NE(note, nullptr) << "no note entered";
    const gfx::Point head = selection::ClientOfLogical(view_, GetEventPosition(note, view_));
    const intptr_t at = win::PackPoint({head.x, head.y});
    win::SendMessage(view_->ViewWindow, win::Message::MouseMove, 0, win::PackPoint({head.x + 1, head.y}));
    win::SendMessage(view_->ViewWindow, win::Message::MouseMove, 0, at);
    const size_t dialogs = ui::headless::Dialogs().size();
    win::SendMessage(view_->ViewWindow, win::Message::LeftButtonDoubleClick, win::kMouseLeftButton, at);
    win::SendMessage(view_->ViewWindow, win::Message::LeftButtonUp, 0, at);
    Pump();
    ASSERT_EQ(ui::headless::Dialogs().size(), dialogs + 1) << "no dialog opened";
    EXPECT_EQ(ui::headless::Dialogs().back().templateId.Number(), kNoteSettingsDialog);
    EXPECT_EQ(CloseAndRun(), 0);
}

}  // namespace
}  // namespace ql
