// The keys of a focused note (the notes handler's OnKey). The key set is chosen by
// the modifier state, Shift x 4 + Alt x 2 + Ctrl (a latched Ctrl or Shift counting as
// held): 0 the plain keys (the comma and the full stop attach the marks of entries 0
// and 10 of the articulation palette in force; Ctrl with the comma lands in set 1,
// which consumes it), 1 Ctrl (frets, enharmonic change, Tab to the voice's first
// note, keypad + and - stepping the value), 2 and 3 Alt (spacing nudges, chord notes
// upwards, keypad + and -), 4 Shift (walking from note to note); 5-7 consume every
// key. Each key that edits runs in one undoable edit labelled with its kind.
#include <algorithm>

#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/private_messages.h"
#include "core/state.h"
#include "core/ui/selection_services.h"
#include "core/undo/undo.h"
#include "display/view_location.h"
#include "layout/measure_spacing.h"
#include "notes/entry/note_duration.h"
#include "notes/entry/note_entry.h"
#include "notes/entry/note_edits.h"
#include "notes/entry/note_preview.h"
#include "notes/handler/notes_handler.h"
#include "notes/respell/respell.h"
#include "notes/stems/stems.h"
#include "notes/ties/ties.h"
#include "platform/win/keys.h"
#include "platform/win/message_loop.h"

namespace ql {

namespace {

using win::Key;

constexpr uint8_t kNoteType = TypeCode(ObjectType::Note);
constexpr uint8_t kTieType = TypeCode(ObjectType::Tie);
constexpr int kShiftWeight = 4;
constexpr int kAltWeight = 2;
constexpr int kFirstChordDigit = 2;
constexpr int kLastChordDigit = 8;
// The articulation palette entries the comma and the full stop attach.
constexpr int kCommaArticulationEntry = 0;
constexpr int kFullStopArticulationEntry = 10;

bool IsKey(uint32_t key, Key k) {
    return key == static_cast<uint32_t>(k);
}

int DigitOf(uint32_t key) {
    const uint32_t zero = static_cast<uint32_t>(win::DigitKey(0));
    return key >= zero && key <= zero + 9 ? static_cast<int>(key - zero) : -1;
}

// Runs `edit` inside an undoable edit of the kind (and type); the edit's result. An
// edit that changed the note keeps every time of its measure in a column of its own
// (a dot, a flag or a stem turned takes room).
template <typename Edit>
int Undoable(ScoreView* view, UndoKind kind, uint8_t type, Edit edit) {
    UndoStep step(view->document, view, kind, type, UndoVerb::Change);
    const int done = edit();
    if (done != 0) {
        SetDocumentModified(view->document);
        KeepEditedColumnsApart(view, view->currentMeasure, true);
    }
    return done;
}

// After a beam or stem change under the pointer the view tracks the pointer again.
int TrackPointerAgain(ScoreView* view, int done) {
    if (done != 0 && view->ViewWindow) win::PostMessage(view->ViewWindow, kMsgTrackPointerAgain);
    return done;
}

// The first or the last chord of the active voice in the current measure; null
// when the measure has none.
EventRecord* EndChordOfMeasure(ScoreView* view, bool last) {
    EventRecord* chord = GetVoiceFirstEvent(view->currentCell, EntryVoice(view));
    if (chord == nullptr || IsHeadSentinel(*chord)) return nullptr;
    for (int i = 0; last && i < kMaxChainLength; ++i) {
        EventRecord* next = GetNextChordEvent(chord);
        if (next == nullptr || IsHeadSentinel(*next)) break;
        chord = next;
    }
    return chord;
}

// The chord a step from the reference note (or, without one, from the pointer's
// time) reaches inside the current measure; null past either end.
EventRecord* ChordInMeasure(ScoreView* view, EventRecord* reference, bool backward) {
    if (reference != nullptr) {
        EventRecord* chord = GetFirstEventOfChord(reference);
        EventRecord* target = backward ? GetPrevChordEvent(chord) : GetNextChordEvent(chord);
        return target == nullptr || IsHeadSentinel(*target) ? nullptr : target;
    }
    EventRecord* first = EndChordOfMeasure(view, false);
    if (first == nullptr) return nullptr;
    const int tick = XToTime(view, view->pointerPoint.x);
    if (!backward) return SeekEventForwardToTime(first, tick);
    EventRecord* before = nullptr;
    for (EventRecord* e = first; e != nullptr && !IsHeadSentinel(*e) && e->time < tick; e = GetNextChordEvent(e))
        before = e;
    return before;
}

}  // namespace

int StepToAdjacentNote(ScoreView* view, EventRecord* note, bool backward) {
    if (view == nullptr || view->currentCell == nullptr) return 0;
    EventRecord* reference = note != nullptr ? note : HitTestSelectedVoice(view);
    EventRecord* target = ChordInMeasure(view, reference, backward);
    const ScoreSystem* system = view->currentSystem;
    // Past the measure's end the walk goes on in the next or previous measure of the system.
    if (target == nullptr && system != nullptr) {
        const int measure = view->currentMeasure + (backward ? -1 : 1);
        const bool inSystem = backward ? measure >= system->firstMeasure && measure >= 1
                                       : measure <= system->lastMeasure;
        if (!inSystem) return 1;
        SetCurrentMeasure(view, view->currentStaff, measure);
        target = EndChordOfMeasure(view, backward);
    }
    if (target != nullptr) {
        BeginViewDraw(view);  // the pointer goes to the note through the view's mapping
        AuditionNote(view, target);
        EndViewDraw(view);
    }
    return 1;
}

namespace {

// A chord note by interval; unlike the plain table's "no verb" it is one undoable edit,
// so that every edit of a note can be undone.
int ChordDigit(ScoreView* view, EventRecord* note, int digit, int direction) {
    if (digit < kFirstChordDigit || digit > kLastChordDigit) return 0;
    Undoable(view, UndoKind::Note, kNoteType,
             [&] { return AddNoteToChord(view, note, direction * (digit - 1)) != nullptr ? 1 : 0; });
    return 1;
}

int PlainKey(ScoreView* view, EventRecord* note, uint32_t key) {
    if (IsKey(key, Key::Tab)) return StepToAdjacentNote(view, note, false);
    if (IsKey(key, Key::Home))
        return Undoable(view, UndoKind::Note, kNoteType, [&] { return ResetChordOffsets(view, note); });
    if (const int digit = DigitOf(key); digit >= 0) return ChordDigit(view, note, digit, 1);
    if (IsKey(key, win::LetterKey('D')))
        return Undoable(view, UndoKind::Dots, kNoteType, [&] { return CycleDotsOfNote(view, note); });
    if (IsKey(key, win::LetterKey('T')))
        return Undoable(view, UndoKind::Item, kTieType,
                        [&] { return ToggleTieOfNote(view, note, EntryVoice(view)); });
    if (IsKey(key, win::LetterKey('L')))
        return Undoable(view, UndoKind::Note, kNoteType, [&] { return ToggleChordMark(view, note, kLegatoBit); });
    if (IsKey(key, win::LetterKey('S')))
        return Undoable(view, UndoKind::Note, kNoteType, [&] { return ToggleChordMark(view, note, kStaccatoBit); });
    if (IsKey(key, win::LetterKey('H')))
        return Undoable(view, UndoKind::Note, kNoteType, [&] { return ToggleGroupHidden(view, note); });
    if (IsKey(key, win::LetterKey('F')))
        return TrackPointerAgain(
            view, Undoable(view, UndoKind::Stem, kNoteType, [&] { return FlipGroupStems(view, note); }));
    if (IsKey(key, Key::Space))
        return TrackPointerAgain(
            view, Undoable(view, UndoKind::Beam, kNoteType, [&] { return ToggleBeamAfter(view, note); }));
    if (IsKey(key, win::LetterKey('X')))
        return Undoable(view, UndoKind::Pitch, kNoteType, [&] { return ToggleCrossStaffShown(view, note); });
    if (IsKey(key, win::LetterKey('E'))) {
        EnharmonicChangeCommand(view, note, view->currentCell, EntryVoice(view));
        return 1;
    }
    if (IsKey(key, Key::Slash))
        return Undoable(view, UndoKind::Note, kNoteType, [&] { return ToggleGraceSlash(view, note); });
    if (IsKey(key, Key::Comma) || IsKey(key, Key::Period)) {
        const int entry = IsKey(key, Key::Comma) ? kCommaArticulationEntry : kFullStopArticulationEntry;
        return Undoable(view, UndoKind::Item, kNoteType, [&] { return AttachEntryArticulation(view, note, entry); });
    }
    return 0;
}

// Keypad + and -: the note's value stepped by one, as one undoable edit. -1 for any
// other key.
int KeypadStep(ScoreView* view, uint32_t key) {
    const int n = IsKey(key, Key::Add) ? 1 : IsKey(key, Key::Subtract) ? -1 : 0;
    if (n == 0) return -1;
    return Undoable(view, UndoKind::Note, kNoteType, [&] {
        StepNoteValue(view, n);
        return 1;
    });
}

// Ctrl+Tab: the first event of the active voice in the current measure (the next
// measure's when this one has none, which becomes current), auditioned. Walking
// changes nothing, so it leaves the document's change state as it was.
int StepToNextVoiceNote(ScoreView* view) {
    const int voice = EntryVoice(view);
    EventRecord* first = GetVoiceFirstEvent(view->currentCell, voice);
    if (first == nullptr || IsHeadSentinel(*first)) {
        const ScoreSystem* system = view->currentSystem;
        if (system == nullptr || view->currentMeasure >= system->lastMeasure) return 1;
        AdvanceToNextMeasure(view);
        first = GetVoiceFirstEvent(view->currentCell, voice);
    }
    if (first != nullptr && !IsHeadSentinel(*first)) AuditionNote(view, first);
    return 1;
}

int CtrlKey(ScoreView* view, EventRecord* note, uint32_t key) {
    if (!CtrlHeld()) return 1;  // released since: consumed
    if (IsKey(key, Key::Tab)) return StepToNextVoiceNote(view);
    if (const int stepped = KeypadStep(view, key); stepped >= 0) return stepped;
    if (const int digit = DigitOf(key); digit >= 0)
        return Undoable(view, UndoKind::NoteHead, kNoteType, [&] { return SetFretOfNote(view, note, digit); });
    if (IsKey(key, win::LetterKey('E'))) EnharmonicChangeCommand(view, note, view->currentCell, EntryVoice(view));
    return 1;
}

int AltKey(ScoreView* view, EventRecord* note, uint32_t key, bool larger) {
    const bool left = IsKey(key, Key::Left);
    if (left || IsKey(key, Key::Right)) {
        Undoable(view, UndoKind::Note, kNoteType, [&] {
            NudgeEventSpacing(view, note->time, left ? -1 : 1, larger || CtrlHeld());
            return 1;
        });
        // The chosen note's handles go where its head went, for the next key and click;
        // the respaced measure is drawn again whole, so no feedback is redrawn.
        MoveFocusedHandlesToStoredPlaces(view, false);
        return 1;
    }
    if (larger) return 1;
    if (const int stepped = KeypadStep(view, key); stepped >= 0) return stepped;
    if (const int digit = DigitOf(key); digit >= 0) ChordDigit(view, note, digit, -1);
    return 1;
}

}  // namespace

int ModifierStateNow() {
    const InputGlobals& input = State().input;
    const bool shift = win::IsKeyDown(Key::Shift) || input.ShiftLatch != 0;
    const bool alt = win::IsKeyDown(Key::Alt);
    return (shift ? kShiftWeight : 0) + (alt ? kAltWeight : 0) + (CtrlHeld() ? 1 : 0);
}

int NoteKey(ScoreView* view, EventRecord* note, uint32_t key) {
    if (view == nullptr || view->document == nullptr || note == nullptr) return 0;
    switch (ModifierStateNow()) {
        case 0:
            return PlainKey(view, note, key);
        case 1:
            return CtrlKey(view, note, key);
        case 2:
            return AltKey(view, note, key, false);
        case 3:
            return AltKey(view, note, key, true);
        case 4:
            StepToAdjacentNote(view, note, win::IsKeyDown(Key::Shift) || State().input.ShiftLatch != 0);
            return 1;
        default:
            return 1;
    }
}

}  // namespace ql
