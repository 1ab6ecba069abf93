// What the pointer and deletions draw in a score window goes away with them: after
// the note cursor's ledger lines have followed the pointer off the staff and back,
// after a chosen rest is deleted and after a chosen note is deleted with the Pointer,
// the window shows what a full repaint shows, pixel for pixel.
#include <gtest/gtest.h>

#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "core/state/note_tool_state.h"
#include "display/hit_test.h"
#include "display/painter.h"
#include "editing/palette_windows.h"
#include "editing/selection_internal.h"
#include "editing/tool_dispatch.h"
#include "platform/win/headless.h"
#include "platform/win/keys.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/program_fixture.h"
#include "shell/tests/program/window_pictures.h"

namespace ql {
namespace {

constexpr int kMiddleLineStep = -4;  // steps from the bottom line

class ScreenLeftoversTest : public testing::ProgramFixture {
  protected:
    // A new one-staff score with the Notes tool armed and a quarter entered at the
    // middle of the staff; the head's place in the window, {-1, -1} without a note.
    gfx::Point EnterNote() {
        if (Start() != StartupCode::Ok || !OpenScorePath(WriteScore("x.ql"))) return {-1, -1};
        Pump();
        view_ = State().documents.ActiveView;
        if (view_ == nullptr) return {-1, -1};
        Press(PaletteButton(kNotesPalette, 3));
        const win::Rect client = win::GetClientRect(view_->ViewWindow);
        const EventRecord* before = view_->voiceChain;
        // The staff's middle line, found by the cursor's own step under the pointer.
        const int x = client.Width() * 3 / 8;
        int y = 0;
        for (; y < client.bottom; y += 2) {
            MoveTo(x, y);
            if (State().notes.NoteEntry.cursorStep == kMiddleLineStep) break;
        }
        Click(win::Message::LeftButtonDown, x, y);
        note_ = view_->voiceChain;
        if (note_ == nullptr || note_ == before || IsHeadSentinel(*note_)) return {-1, -1};
        return selection::ClientOfLogical(view_, GetEventPosition(note_, view_));
    }
    static void Press(platform::WindowHandle button) {
        win::SendMessage(button, win::Message::LeftButtonDown, 0, 0);
        win::SendMessage(button, win::Message::LeftButtonUp, 0, 0);
    }
    void MoveTo(int x, int y) {
        win::SendMessage(view_->ViewWindow, win::Message::MouseMove, 0, win::PackPoint({x, y}));
    }
    // The pointer onto the point (from beside it), then a left click there.
    void Click(win::Message button, int x, int y) {
        const intptr_t at = win::PackPoint({x, y});
        MoveTo(x + 1, y);
        MoveTo(x, y);
        win::SendMessage(view_->ViewWindow, button, win::kMouseLeftButton, at);
        win::SendMessage(view_->ViewWindow, win::Message::LeftButtonUp, 0, at);
        Pump();
    }
    void Key(uint32_t key) {
        win::SendMessage(view_->ViewWindow, win::Message::KeyDown, key);
        win::SendMessage(view_->ViewWindow, win::Message::KeyUp, key);
        Pump();
    }
    const ScoreObject* Chosen() const {
        const SelectionState* s = TheSelectionState();
        if (s == nullptr || s->editMode <= 0 || s->focusedObject == s->defaultObject) return nullptr;
        return s->focusedObject.get();
    }
    int Leftovers() { return testing::PixelsAFullRepaintChanges(view_->ViewWindow); }
    // A fingerprint of the window's picture once its paints are done.
    uint64_t Picture() {
        win::UpdateWindow(view_->ViewWindow);
        return testing::WindowImageHash(view_->ViewWindow);
    }

    // A note entered, the pointer on the staff beside it and the picture then; the
    // pointer's place is in onStaff_. False without a note.
    bool BesideTheNote() {
        const gfx::Point head = EnterNote();
        if (head.x < 0) return false;
        onStaff_ = {head.x + 40, head.y};
        MoveTo(onStaff_.x, onStaff_.y);
        Pump();
        picture_ = Picture();
        return true;
    }
    // The pointer up from the staff until the note cursor shows; its height then.
    int UpToTheCursor() {
        int y = onStaff_.y;
        while (y > 0 && State().notes.NoteEntry.cursorShown == 0) MoveTo(onStaff_.x, y -= 2);
        return y;
    }

    ScoreView* view_ = nullptr;
    EventRecord* note_ = nullptr;
    gfx::Point onStaff_;
    uint64_t picture_ = 0;
};

// The pointer goes up and down beside the note, drawing the cursor's ledger lines
// above and below the staff, with the window painting between the moves; back on
// the staff it leaves no ledger line behind.
TEST_F(ScreenLeftoversTest, TheNoteCursorsLedgerLinesGoWithThePointer) {
    ASSERT_TRUE(BesideTheNote()) << "no note entered";
    const win::Rect client = win::GetClientRect(view_->ViewWindow);
    bool shown = false;
    for (int x : {onStaff_.x, onStaff_.x - 28, onStaff_.x + 30})
        for (int y = 0; y < client.bottom; y += 3) {
            MoveTo(x, y);
            shown = shown || State().notes.NoteEntry.cursorShown != 0;
            if (y % 9 == 0) Pump();
        }
    ASSERT_TRUE(shown) << "no note cursor off the staff";
    MoveTo(onStaff_.x, onStaff_.y);
    Pump();
    ASSERT_EQ(State().notes.NoteEntry.cursorShown, 0u);
    EXPECT_EQ(Picture(), picture_);
    EXPECT_EQ(CloseAndRun(), 0);
}

// The pointer leaves the window from above the staff (for a palette, another
// window): the cursor's ledger lines go with it.
TEST_F(ScreenLeftoversTest, LedgerLinesGoWhenThePointerLeavesTheWindow) {
    ASSERT_TRUE(BesideTheNote()) << "no note entered";
    UpToTheCursor();
    ASSERT_NE(State().notes.NoteEntry.cursorShown, 0u) << "no note cursor above the staff";
    win::PostMessage(view_->ViewWindow, win::Message::MouseLeave, 0, 0);
    Pump();
    EXPECT_EQ(State().notes.NoteEntry.cursorShown, 0u);
    EXPECT_EQ(Picture(), picture_);
    EXPECT_EQ(CloseAndRun(), 0);
}

// The window paints part of the cursor's ledger lines again while they are shown
// (another window went over it, something near them changed), erasing first or
// not, straight or through the off-screen picture: the lines it did not paint go
// away with the pointer all the same.
TEST_F(ScreenLeftoversTest, LedgerLinesPaintedInPartGoWithThePointer) {
    ASSERT_TRUE(BesideTheNote()) << "no note entered";
    const gfx::Point onStaff = onStaff_;
    for (int pass = 0; pass < 4; ++pass) {
        const bool erase = pass % 2 == 0;
        Options().SmoothScreen = pass / 2;
        int y = UpToTheCursor();
        for (int steps = 0; steps < 10 && y > 0; ++steps) MoveTo(onStaff.x, y -= 2);
        ASSERT_NE(State().notes.NoteEntry.cursorShown, 0u) << "no note cursor above the staff";
        const win::Rect part{onStaff.x - 30, y - 4, onStaff.x + 30, (y + onStaff.y) / 2};
        win::InvalidateRect(view_->ViewWindow, &part, erase);
        Pump();
        MoveTo(onStaff.x, onStaff.y);
        Pump();
        EXPECT_EQ(Picture(), picture_) << (erase ? "erased" : "painted over") << " smooth " << pass / 2;
    }
    Options().SmoothScreen = 0;
    ReleaseSmoothPaint(true);  // as the menu's toggle does
    EXPECT_EQ(CloseAndRun(), 0);
}

// A rest placed with the Notes tool showing rests is chosen in the selection's
// colours; Delete takes it away with its colours.
TEST_F(ScreenLeftoversTest, ADeletedRestLeavesNoColourBehind) {
    const gfx::Point head = EnterNote();
    ASSERT_GE(head.x, 0) << "no note entered";
    Key(static_cast<uint32_t>(win::LetterKey('R')));
    const win::Rect client = win::GetClientRect(view_->ViewWindow);
    const gfx::Point at{client.Width() * 5 / 8, head.y};
    MoveTo(at.x, at.y);
    Pump();
    const uint64_t before = Picture();
    Click(win::Message::LeftButtonDown, at.x, at.y);
    const ScoreObject* rest = Chosen();
    ASSERT_NE(rest, nullptr) << "no rest chosen";
    ASSERT_EQ(rest->type, TypeCode(ObjectType::Rest));
    ASSERT_NE(Picture(), before) << "the rest is not shown";
    Key(static_cast<uint32_t>(win::Key::Delete));
    EXPECT_EQ(Chosen(), nullptr);
    EXPECT_EQ(Leftovers(), 0);
    EXPECT_EQ(CloseAndRun(), 0);
}

// With the Pointer, the note chosen by a click shows its handles; Delete takes the
// note away with them.
TEST_F(ScreenLeftoversTest, ADeletedNoteLeavesNoHandlesBehind) {
    const gfx::Point head = EnterNote();
    ASSERT_GE(head.x, 0) << "no note entered";
    Press(PaletteButton(kMainPalette, static_cast<int>(ToolGroup::Pointer)));
    Click(win::Message::LeftButtonDown, head.x, head.y);
    ASSERT_NE(Chosen(), nullptr) << "the click chose nothing";
    Key(static_cast<uint32_t>(win::Key::Delete));
    EXPECT_EQ(Chosen(), nullptr);
    EXPECT_EQ(Leftovers(), 0);
    EXPECT_EQ(CloseAndRun(), 0);
}

}  // namespace
}  // namespace ql
