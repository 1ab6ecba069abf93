// Dialog 827 "Note Settings": the performance and display attributes of one note
// (staccato, legato, cross-staff, hidden sound, stem and head; timbre, relative key
// velocity, attack and release delays in ticks), edited on a scratch copy that OK
// writes back as one undoable edit and Cancel drops.
//
// Typed numbers are clamped on OK to the range each field shows (timbre 0..4,
// velocity -127..127, the delays within their limits widened to include the note's
// own value), with one beep when anything was clamped; text that is no number keeps
// the note's value and counts as clamped. "Cross staff" only flips its check box; OK
// applies the change to the note after the copy-back, inside the same undo step, and
// updates the beams.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;
struct EventRecord;

// The delay limits of a note: attack -limit..limit, release -limit..releaseMax, where
// limit is the plain ticks of the note's duration code, at most 4,096 (2,048 without
// a note or with a code out of range), and releaseMax is min(2 x limit, 4,096).
struct DelayLimits {
    int limit = 0;
    int releaseMax = 0;
};
DelayLimits ResetNoteDefaults(const EventRecord* note);

// A note's timbre as the dialog shows it: 0 plays with the staff's, 1..4 its own.
int NoteTimbre(const EventRecord& note);
void SetNoteTimbre(EventRecord& note, int timbre);

// Runs the dialog on a note of the view's document; 1 after OK, 2 after Cancel (and
// without a note), -1 without a template.
intptr_t RunNoteSettingsDialog(ScoreView* view, EventRecord* note);

intptr_t NoteSettingsDialogProc(platform::WindowHandle dialog, win::Message message, uint32_t word,
                                intptr_t data);

}  // namespace ql
