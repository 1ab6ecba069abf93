// Stepping a focused note's values with the keyboard (the notes handler's StepValue),
// the reset of its chord's head offsets (Invalidate), and the accidental stepped at
// the pointer. With a value of the note focused: V, A or R held step its velocity,
// attack or release (attack and release by 8, or by 1 with Ctrl, within the
// program's limits; with Ctrl every note of the chord), Alt its head kind (modulo
// 32), nothing held its accidental. With the whole note focused the span from it to
// the end of its beam group is widened or narrowed. The status line then describes
// the note; a focus whose note is gone is an internal error.
#include <algorithm>

#include "core/constants.h"
#include "core/error_report.h"
#include "core/objects/hit_record.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/selection_services.h"
#include "core/ui/status_bar_notes.h"
#include "notes/accidentals/accidental.h"
#include "notes/drawing/note_redraw.h"
#include "notes/entry/note_edits.h"
#include "notes/entry/note_entry.h"
#include "notes/handler/notes_handler.h"
#include "notes/pitch/pitch.h"
#include "platform/win/keys.h"

namespace ql {

namespace {

constexpr int kNoChange = -1;
constexpr int kAccidentalCodes = 6;  // 0 none, 1 sharp, 2 double sharp, 3 flat, 4 double flat, 5 natural
constexpr uint16_t kAccidentalCodeMask = 0x000E;  // flags bits 1-3
constexpr int kAccidentalCodeShift = 1;
constexpr int kValueFocusMode = 3;  // edit modes from here on: a value of the note is focused
constexpr int kCoarseTimingStep = 8;
constexpr int kTimingLimit = 32000;  // attack and release stay within +-this
constexpr uint16_t kHeadKindMask = 0xF800;
constexpr int kHeadKindShift = 11;
constexpr int kHeadKinds = 32;
constexpr int kVelocityLow = -128;
constexpr int kVelocityHigh = 127;
constexpr int kMissingNoteLine = 6981;  // the report's line for a focus without its note

// Next accidental code by [current][column]: columns up with the key flat, none,
// sharp, then down with the key flat, none, sharp.
constexpr int kNextAccidental[kAccidentalCodes][6] = {
    {5, 1, 2, 4, 3, 5},
    {2, 2, 2, 5, 0, 5},
    {kNoChange, kNoChange, kNoChange, 1, 1, 0},
    {5, 0, 5, 4, 4, 4},
    {0, 3, 3, kNoChange, kNoChange, kNoChange},
    {1, 1, 0, 0, 3, 3},
};

int AccidentalCodeOf(const EventRecord& note) {
    return (note.flags & kAccidentalCodeMask) >> kAccidentalCodeShift;
}

// Calls `apply` on the focused note, or with `chord` on every note of its chord.
template <typename Apply>
void ForNotes(EventRecord* note, bool chord, Apply apply) {
    if (!chord) {
        apply(note);
        return;
    }
    EventRecord* first = GetFirstEventOfChord(note);
    EventRecord* e = first;
    for (int i = 0; e != nullptr && e->time == first->time && i < kMaxChainLength; ++i, e = NextEvent(e)) {
        if (IsHeadSentinel(*e)) break;
        apply(e);
    }
}

int16_t SteppedTiming(int16_t value, int step) {
    const int next = value + step;
    return next < -kTimingLimit || next > kTimingLimit ? value : static_cast<int16_t>(next);
}

// A performance value of the note: which one by the keys held.
void StepPerformanceValue(ScoreView* view, EventRecord* note, int n) {
    const bool fine = CtrlHeld();
    const int timing = fine ? n : kCoarseTimingStep * n;
    if (win::IsKeyDown(win::LetterKey('V'))) {
        ForNotes(note, fine, [&](EventRecord* e) {
            e->velocity = static_cast<int8_t>(std::clamp(e->velocity + n, kVelocityLow, kVelocityHigh));
        });
    } else if (win::IsKeyDown(win::LetterKey('A'))) {
        ForNotes(note, fine, [&](EventRecord* e) { e->attack = SteppedTiming(e->attack, timing); });
    } else if (win::IsKeyDown(win::LetterKey('R'))) {
        ForNotes(note, fine, [&](EventRecord* e) { e->release = SteppedTiming(e->release, timing); });
    } else if (win::IsKeyDown(win::Key::Alt)) {
        const int kind = (((note->flags & kHeadKindMask) >> kHeadKindShift) + n % kHeadKinds + kHeadKinds) % kHeadKinds;
        note->flags = static_cast<uint16_t>((note->flags & ~kHeadKindMask) | (kind << kHeadKindShift));
        RedrawNotesLinked(view, note);
    } else {
        CycleAccidentalAtPointer(view, note, n);
    }
}

}  // namespace

int NextAccidentalCode(int current, int step, int keyAlteration, bool ctrl) {
    if (current < 0 || current >= kAccidentalCodes || step == 0) return kNoChange;
    if (ctrl) return ((current + step) % kAccidentalCodes + kAccidentalCodes) % kAccidentalCodes;
    const int column = std::clamp(keyAlteration, -1, 1) + 1 + (step > 0 ? 0 : 3);
    return kNextAccidental[current][column];
}

int CycleAccidentalAtPointer(ScoreView* view, EventRecord* note, int step) {
    if (view == nullptr || note == nullptr || view->currentCell == nullptr) return 0;
    const int alteration = KeyAlterationAt(ClefAtTick(view->currentCell, note->time),
                                           KeySignatureAtTick(view->currentCell, note->time), SignedStep(*note));
    const int code = NextAccidentalCode(AccidentalCodeOf(*note), step, alteration, CtrlHeld());
    if (code == kNoChange) return 0;
    SetNoteAccidental(view, note, code, true);
    return 1;
}

void StepNoteValue(ScoreView* view, int n) {
    SelectionState* selection = TheSelectionState();
    if (view == nullptr || view->document == nullptr || selection == nullptr) return;
    if (selection->focusRecord.get() == nullptr) return;
    EventRecord* note = FocusedNote();
    if (note == nullptr) {
        InternalError("BEAM", kMissingNoteLine, 0);
        return;
    }
    SetDocumentModified(view->document);
    if (selection->editMode >= kValueFocusMode) {
        StepPerformanceValue(view, note, n);
        DescribeNote(view, note);
        return;
    }
    NudgeNoteSpacing(view, note, n);
    SetNoteCursorContext(view);
    // The focus ends whole: an edit mode of 0 with the handle object still named would
    // leave the selection holding the object the rebuild of the handles frees, and
    // the next key and click would find no handles of the note.
    EndFocusWithoutCommit(view);
}

void InvalidateNoteOffsets(ScoreView* view) {
    EventRecord* note = FocusedNote();
    SelectionState* selection = TheSelectionState();
    if (view == nullptr || view->document == nullptr) return;
    SetDocumentModified(view->document);
    if (note == nullptr || selection == nullptr || selection->editMode < kValueFocusMode) return;
    ResetChordOffsets(view, note);
    SetNoteCursorContext(view);
    selection->rebuildRequested = 1;
    EndFocusWithoutCommit(view);
}

}  // namespace ql
