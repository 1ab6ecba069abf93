// Keypad + and - on a note with the Notes tool armed: the key takes the note under
// the pointer, and each press steps the span from the note to the end of its beat
// again, however many come one after the other. A step ends the note's focus: the
// selection names no object the rebuild of the handles freed, and the note's handles
// are there again for the next key or click; the focus's undo step closes with it.
// Alt with the arrows reaches a chosen note through the view's tool hand-over, the
// key acts on the head the click took, and the focused note's handles go where the
// head went.
#include <gtest/gtest.h>

#include <vector>

#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "editing/selection.h"
#include "editing/selection_internal.h"
#include "editing/tests/marquee_score.h"
#include "editing/tool_dispatch.h"
#include "editing/tools.h"
#include "notes/handler/notes_handler.h"
#include "platform/win/headless.h"
#include "notes/beatmap/beat_map.h"
#include "platform/win/keys.h"
#include "platform/win/messages.h"

namespace ql::testing_note_commands {
namespace {

using namespace ::ql::selection;

constexpr int kNoteType = 29;
constexpr int kMiddleLine = -4;
constexpr int kQuarter = marquee_score::kQuarterTicks;

class NoteKeypadFocus : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(score_.ok());
        view_ = score_.view();
        for (int beat = 0; beat < 4; ++beat) notes_.push_back(score_.Note(1, 1, 0, beat * kQuarter, kMiddleLine));
        State().documents.ActiveView = view_;
        SelectToolType(view_, kNoteType);
    }
    // The pointer on the head of the note at `beat` of measure 1.
    void PointAtNote(int beat) {
        view_->pointerPoint = score_.Place(1, 1, notes_[beat]);
        SetCurrentMeasureQuick(view_, 1, 1);
    }
    // A key pressed and let go as the window's messages bring it.
    void Press(win::Key key) {
        HandleToolMouseMessage(view_, view_->ViewWindow, win::Message::KeyDown, static_cast<uint32_t>(key), 1);
        HandleToolMouseMessage(view_, view_->ViewWindow, win::Message::KeyUp, static_cast<uint32_t>(key), 1);
    }
    // The distance from one beat's note to the next.
    int32_t Span(int beat) {
        SetCurrentMeasureQuick(view_, 1, 1);
        return BeatMapTickToX(view_, (beat + 1) * kQuarter) - BeatMapTickToX(view_, beat * kQuarter);
    }
    // Whether the selection names no focused object, not even one it no longer counts
    // as focused.
    static bool NothingNamedFocused() {
        const SelectionState* s = TheSelectionState();
        return s->focusedObject == s->defaultObject && !s->focusRecord;
    }

    marquee_score::MarqueeScore score_{1, 1, 2};
    ScoreView* view_ = nullptr;
    std::vector<EventRecord*> notes_;
};

// Three presses of keypad + on the second note widen its span three times, a press
// of keypad - narrows it; after each press nothing stays focused or named focused.
TEST_F(NoteKeypadFocus, EveryPressStepsTheNoteUnderThePointer) {
    PointAtNote(1);
    const int32_t start = Span(1);
    ASSERT_GT(start, 8);
    int32_t last = start;
    for (int press = 1; press <= 3; ++press) {
        Press(win::Key::Add);
        EXPECT_GT(Span(1), last) << "press " << press << " of keypad + left the span as it was";
        last = Span(1);
        EXPECT_EQ(TheSelectionState()->editMode, 0) << "the step ends the focus";
        EXPECT_TRUE(NothingNamedFocused()) << "after press " << press << " the selection still names the object";
        PointAtNote(1);
    }
    Press(win::Key::Subtract);
    EXPECT_LT(Span(1), last) << "keypad - after the pluses did nothing";
}

// After a step the note's handles come back: the hit lists give the note's head
// under the pointer again, as a click would find it.
TEST_F(NoteKeypadFocus, TheSteppedNoteCanBeTakenAgain) {
    PointAtNote(2);
    Press(win::Key::Add);
    PointAtNote(2);
    FocusHoveredElement(view_);
    ASSERT_NE(FocusedObject(), nullptr) << "no handle of the stepped note under the pointer";
    const HitRecord* focus = TheSelectionState()->focusRecord.get();
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->noteEvent.get(), notes_[2]);
    CommitFocusedElement(view_);
}

// A note chosen by a click holds an undo step open for as long as it is focused; the
// step that ends the focus closes it, so that the step can be undone at once and
// later edits are undone apart from it.
TEST_F(NoteKeypadFocus, TheStepClosesTheUndoStepOfTheFocus) {
    PointAtNote(1);
    FocusHoveredElement(view_);
    ASSERT_NE(FocusedObject(), nullptr);
    TheSelectionState()->commitAfterMessage = 0;  // held, as a click holds it
    OpenFocusBracket(view_, kNoteType);
    const int32_t start = Span(1);
    Press(win::Key::Add);
    ASSERT_GT(Span(1), start);
    EXPECT_FALSE(IsFocusBracketOpen()) << "the focus ended with its undo step still open";
    EXPECT_EQ(UndoDepth(score_.document()), 1) << "the step is not there to undo";
}

// The Alt keys of a chosen note, as the view hands them to the armed tool: with Alt
// held a key comes as a system key.
class NoteAltArrowFocus : public NoteKeypadFocus {
  protected:
    void TearDown() override { win::headless::SetKeyDown(win::Key::Alt, false); }
    // The note at `beat` of measure 1 chosen as a click chooses it.
    void Choose(EventRecord* note) {
        view_->pointerPoint = score_.Place(1, 1, note);
        FocusHoveredElement(view_);
        TheSelectionState()->commitAfterMessage = 0;  // held, as a click holds it
    }
    // Alt+key, as the view hands it on.
    intptr_t AltPress(win::Key key) {
        win::headless::SetKeyDown(win::Key::Alt, true);
        const intptr_t taken = DispatchToCurrentTool(view_, view_->ViewWindow, win::Message::SystemKeyDown,
                                                     static_cast<uint32_t>(key), 1, false);
        win::headless::SetKeyDown(win::Key::Alt, false);
        return taken;
    }
    // The focused chain's record over the head of `note`; null when it holds none.
    static const HitRecord* FocusedHeadRecordOf(const EventRecord* note) {
        const HitRecord* r = TheSelectionState()->focusRecord.get();
        for (int n = 0; r != nullptr && n < 64; r = r->child.get(), ++n)
            if (r->kind >= 3 && r->noteEvent.get() == note) return r;
        return nullptr;
    }
};

// Alt+Right on the chosen second note widens the space before it, Alt+Left narrows
// it again; the note stays chosen.
TEST_F(NoteAltArrowFocus, AltArrowsReachTheChosenNoteThroughTheToolHandOver) {
    Choose(notes_[1]);
    ASSERT_EQ(FocusedNote(), notes_[1]);
    const int32_t start = Span(0);
    EXPECT_NE(AltPress(win::Key::Right), 0) << "the tool did not take Alt+Right";
    const int32_t wider = Span(0);
    EXPECT_GT(wider, start) << "Alt+Right left the space before the note as it was";
    EXPECT_EQ(FocusedNote(), notes_[1]) << "the note is no longer chosen";
    AltPress(win::Key::Left);
    EXPECT_LT(Span(0), wider) << "Alt+Left did not narrow the space again";
}

// After Alt+Right the focused note's head record stands on the moved head, so that a
// click there finds it; and a further press moves it again.
TEST_F(NoteAltArrowFocus, TheChosenNotesHandlesFollowTheMovedHead) {
    Choose(notes_[2]);
    const LogicalPoint before = score_.Place(1, 1, notes_[2]);
    for (int press = 0; press < 4; ++press) AltPress(win::Key::Right);
    const LogicalPoint after = score_.Place(1, 1, notes_[2]);
    ASSERT_GT(after.x, before.x + 4) << "the presses did not move the head";
    const HitRecord* head = FocusedHeadRecordOf(notes_[2]);
    ASSERT_NE(head, nullptr) << "the focus holds no record of the note's head";
    EXPECT_EQ(head->point.x, after.x) << "the head's record stayed where the head was";
    EXPECT_EQ(head->point.y, after.y);
}

// Of a chord, the note whose head the click took is the one the keys act on, not
// the chord's first note.
TEST_F(NoteAltArrowFocus, TheKeysActOnTheHeadTheClickTook) {
    EventRecord* lower = score_.Note(1, 1, 0, 1 * kQuarter, kMiddleLine + 4);
    ASSERT_NE(lower, nullptr);
    SelectToolType(view_, kNoteType);  // the handles made again for the chord
    Choose(lower);
    ASSERT_NE(FocusedObject(), nullptr) << "the click took nothing";
    EXPECT_EQ(FocusedNote(), lower);
    CommitFocusedElement(view_);
    Choose(notes_[1]);
    EXPECT_EQ(FocusedNote(), notes_[1]);
}

}  // namespace
}  // namespace ql::testing_note_commands
