// Keypad + and - on a note with the Notes tool armed: the key takes the note under
// the pointer, and each press steps the span from the note to the end of its beat
// again, however many come one after the other. A step ends the note's focus: the
// selection names no object the rebuild of the handles freed, and the note's handles
// are there again for the next key or click; the focus's undo step closes with it.
#include <gtest/gtest.h>

#include <vector>

#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "editing/selection.h"
#include "editing/selection_internal.h"
#include "editing/tests/marquee_score.h"
#include "editing/tools.h"
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

}  // namespace
}  // namespace ql::testing_note_commands
