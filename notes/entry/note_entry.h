// Note entry at the view's cursor with the Notes tool: the value, staff step and stem
// of a new note, the chord it may join, the room check with its optional measure
// extension, the link into the active voice, beams, the head offsets against the
// other voices, respacing and redraw, and where the pointer goes next.
//
// A note is entered into the active voice (the lowest set bit of the view's voice
// mask, voice 0 for a mask of 0 or above 15) of the view's current staff and measure,
// at the time after the voice's items before the pointer's time. Step 0 is the
// staff's bottom line, 64 view units per step, negative upwards. Entry opens no undo
// step: the notes handler's Place brackets it.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;
struct EventRecord;
struct StaffRecord;

// The notice of an item that does not fit the room left in its voice, and of a
// measure that stands for a run of rest measures.
inline constexpr char kNoRoomInMeasureNotice[] = "No more room in measure.";
inline constexpr char kMultiMeasureRestNotice[] = "Multi-measure rest";

// The voice entry works in: the lowest set bit of the voice mask, 0 for 0 or > 15.
int EntryVoice(const ScoreView* view);

// DurationCode of a new note from the note palette's selected entry and strips.
int PaletteDurationCode();
// The whole-note rule of entry 1 applied to a code: when entry 1 is selected, 12 when
// it shows the normal note strip, else 13; any other selection leaves the code.
int ApplyWholeNoteEntry(int code);

// Staff step under a logical y on the current staff: d = y - the bottom line's y
// (through the zoom factor when positive), (|d| + 32) >> 6 with the sign of d.
int StepAtY(const ScoreView* view, int32_t y);

// First stem direction of a new note (1 up): StemMode 1 up, 2 down, 0 up exactly when
// the step lies below the middle line of the staff.
int EntryStemUp(const StaffRecord* staff, int step);

// The palette toggles (tuplet, note head, dots) written into a new note.
void ApplyPaletteModifiers(EventRecord* note);

// The note of the active voice under the pointer: its x lies within half a note
// column of the pointer x. Null when none.
struct NoteUnderPointer {
    EventRecord* note = nullptr;
    int time = 0;
    int32_t x = 0;
};
NoteUnderPointer FindNoteUnderPointer(ScoreView* view);

// 1 when another note or rest of any staff of the current measure has the same time,
// head offset and DurationCode, so that the measure's spacing stays as it is.
int IsTimeSlotShared(ScoreView* view, const EventRecord* note, int time, int headOffset, int code);

// Copies the view's system, staff, measure and pointer into the entry context.
void SetNoteCursorContext(ScoreView* view);

// Inserts a note at the pointer into the active voice; the new note, or null when
// nothing was inserted (a full measure shows kNoRoomInMeasureNotice, a measure of a
// multi-measure rest kMultiMeasureRestNotice, no memory the low-memory report).
EventRecord* InsertNoteAtCursor(ScoreView* view);

// Head offsets of the new note's chord against notes of the other voices at the same
// time and offset (the rule of seconds, unisons and dotted heads); returns the total
// offset added.
int OffsetHeadsAgainstOtherVoices(ScoreView* view, EventRecord* note, int voice);

// The pointer after a typed note: just after it while the measure has room (with
// "Auto roll notes" on), else to the next measure of the system.
void ScrollToNoteCursor(ScoreView* view, int time, int ticks);
void AdvanceToNextMeasure(ScoreView* view);

}  // namespace ql
