// Stepping a focused note's values: the accidental table by key and direction (and
// with Ctrl through every code), velocity and timing by the keys held, the keypad
// keys in the Ctrl and Alt key sets (the span of a whole note), Ctrl+Tab to the
// voice's first note, and the reset of a chord's head offsets.
#include <gtest/gtest.h>

#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "notes/beatmap/beat_map.h"
#include "notes/entry/note_preview.h"
#include "notes/handler/notes_handler.h"
#include "notes/rests/staff_place.h"
#include "notes/tests/entry/entry_fixture.h"
#include "platform/win/headless.h"
#include "platform/win/keys.h"

namespace ql::testing_entry {
namespace {

constexpr int kStep = -4;
constexpr int kNone = -1;
constexpr int kFlatKey = -1;
constexpr int kSharpKey = 1;

class NoteValues : public EntryTest {
  protected:
    // Focuses `note` in edit mode `mode` and runs StepValue with `held` down (Shift
    // stands for no value key: it plays no part in stepping).
    void StepValue(EventRecord* note, int mode, int n, win::Key held, bool ctrl = false) {
        Key(note, 0);  // makes the focus record name the note
        TheSelectionState()->editMode = static_cast<int8_t>(mode);
        win::headless::SetKeyDown(held, true);
        win::headless::SetKeyDown(win::Key::Control, ctrl);
        FindObjectClass(ClassOfType(ObjectType::Note))->StepValue(nullptr, view_, n);
        win::headless::SetKeyDown(held, false);
        win::headless::SetKeyDown(win::Key::Control, false);
        TheSelectionState()->editMode = 0;
    }
    // The key of the last note-on (velocity above 0) sent, or -1.
    int LastNoteOnKey() const {
        int key = -1;
        for (const std::vector<uint8_t>& m : Sent())
            if (m.size() == 3 && (m[0] & 0xF0) == 0x90 && m[2] > 0) key = m[1];
        return key;
    }
    static int Code(const EventRecord* note) { return (note->flags >> 1) & 7; }
};

// The table's corners: up from none by key, the double signs' dead ends, down to
// none; Ctrl wraps through 0..5 both ways.
TEST_F(NoteValues, AccidentalTableByKeyAndDirection) {
    EXPECT_EQ(NextAccidentalCode(0, 1, 0, false), 1) << "up, no key: sharp";
    EXPECT_EQ(NextAccidentalCode(0, 1, kFlatKey, false), 5) << "up in a flat key: natural";
    EXPECT_EQ(NextAccidentalCode(0, 1, kSharpKey, false), 2) << "up in a sharp key: double sharp";
    EXPECT_EQ(NextAccidentalCode(0, -1, kSharpKey, false), 5);
    EXPECT_EQ(NextAccidentalCode(2, 1, 0, false), kNone) << "nothing above a double sharp";
    EXPECT_EQ(NextAccidentalCode(4, -1, 0, false), kNone) << "nothing below a double flat";
    EXPECT_EQ(NextAccidentalCode(1, -1, 0, false), 0);
    EXPECT_EQ(NextAccidentalCode(5, 1, 0, true), 0) << "Ctrl wraps up";
    EXPECT_EQ(NextAccidentalCode(0, -1, 0, true), 5) << "Ctrl wraps down";
    EXPECT_EQ(NextAccidentalCode(6, 1, 0, false), kNone) << "a damaged code";
}

// With a value focused and nothing held, the accidental steps: sharp, double sharp,
// then no further.
TEST_F(NoteValues, StepValueCyclesTheAccidental) {
    EventRecord* note = Note(0, 0, kQuarter, kStep);
    StepValue(note, 3, 1, win::Key::Shift);
    EXPECT_EQ(Code(note), 1);
    StepValue(note, 3, 1, win::Key::Shift);
    EXPECT_EQ(Code(note), 2);
    StepValue(note, 3, 1, win::Key::Shift);
    EXPECT_EQ(Code(note), 2) << "no step above a double sharp";
}

// V steps the velocity by n; A the attack by 8n on the focused note, by n on every
// chord note with Ctrl.
TEST_F(NoteValues, PerformanceValuesByTheKeysHeld) {
    EventRecord* low = Note(0, 0, kQuarter, kStep);
    EventRecord* high = Note(0, 0, kQuarter, kStep - 2);
    StepValue(low, 3, 2, win::LetterKey('V'));
    EXPECT_EQ(low->velocity, 2);
    StepValue(low, 3, 1, win::LetterKey('A'));
    EXPECT_EQ(low->attack, 8);
    EXPECT_EQ(high->attack, 0) << "without Ctrl the focused note alone";
    StepValue(low, 3, 1, win::LetterKey('A'), true);
    EXPECT_EQ(low->attack, 9);
    EXPECT_EQ(high->attack, 1) << "with Ctrl every note of the chord";
}

// The whole note focused: keypad + with Ctrl widens the span from the note to the
// end of its group as one undoable edit, and keypad - with Alt narrows it, the
// distance before the note staying put; Ctrl+Tab goes to the voice's first note and
// sounds it.
TEST_F(NoteValues, KeypadAndCtrlTab) {
    EventRecord* first = Note(0, 0, kQuarter, kStep);
    EventRecord* second = Note(0, 1024, kQuarter, kStep - 1);
    const int32_t before = BeatMapTickToX(view_, 1024) - BeatMapTickToX(view_, 0);
    const int32_t span = BeatMapTickToX(view_, 2048) - BeatMapTickToX(view_, 1024);
    ASSERT_EQ(Key(second, static_cast<uint32_t>(win::Key::Add), true), 1);
    EXPECT_EQ(UndoLabel(), "Undo - Change Note");
    const int32_t wider = BeatMapTickToX(view_, 2048) - BeatMapTickToX(view_, 1024);
    EXPECT_NEAR(wider, span + span / 8, 1);
    EXPECT_EQ(BeatMapTickToX(view_, 1024) - BeatMapTickToX(view_, 0), before);
    ASSERT_EQ(Key(second, static_cast<uint32_t>(win::Key::Subtract), false, true), 1);
    EXPECT_NEAR(BeatMapTickToX(view_, 2048) - BeatMapTickToX(view_, 1024), wider - wider / 8, 1);
    ASSERT_EQ(Key(second, static_cast<uint32_t>(win::Key::Tab), true), 1);
    const int tabKey = LastNoteOnKey();
    ASSERT_GE(tabKey, 0) << "a note was sounded";
    AuditionNote(view_, second);
    EXPECT_NE(LastNoteOnKey(), tabKey);
    AuditionNote(view_, first);
    EXPECT_EQ(LastNoteOnKey(), tabKey) << "Ctrl+Tab sounded the voice's first note";
}

// Invalidate with a value focused sets every head offset of the chord to 0 and ends
// the value focus; with the whole note focused it changes nothing.
TEST_F(NoteValues, InvalidateResetsTheChordsOffsets) {
    EventRecord* a = Note(0, 0, kQuarter, kStep);
    EventRecord* b = Note(0, 0, kQuarter, kStep - 1);
    a->nudge = 3;
    b->nudge = -2;
    Key(a, 0);
    const ScoreObjectClass* handler = FindObjectClass(ClassOfType(ObjectType::Note));
    handler->Invalidate(nullptr, view_);
    EXPECT_EQ(a->nudge, 3) << "whole note focused";
    TheSelectionState()->editMode = 3;
    handler->Invalidate(nullptr, view_);
    EXPECT_EQ(a->nudge, 0);
    EXPECT_EQ(b->nudge, 0);
    EXPECT_EQ(TheSelectionState()->editMode, 0);
}

}  // namespace
}  // namespace ql::testing_entry
