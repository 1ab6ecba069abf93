// The Note Heads and Toggle Dots tools of the Notes palette. Note Heads writes the
// Heads palette's chosen head (entry + 1, or + 16 with Alt) into the note under the
// pointer, or clears it when the note has it already; with Ctrl the whole chord
// changes. Head codes are five bits, so an Alt code above 31 is refused with a beep.
// Toggle Dots gives the event under the pointer the dots its button's face shows.
#include "core/constants.h"
#include "core/error_report.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/state/note_tool_state.h"
#include "core/undo/undo.h"
#include "display/hit_test.h"
#include "display/view_location.h"
#include "display/view_pointer.h"
#include "editing/group_tools_internal.h"
#include "editing/selection.h"
#include "editing/tools.h"
#include "notes/drawing/note_redraw.h"
#include "notes/entry/note_edits.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "platform/win/keys.h"

namespace ql {
namespace {

constexpr int kAltHeadOffset = 16;
constexpr int kMaxHeadCode = kNoteHeadKindMask >> kNoteHeadKindShift;  // 31
constexpr int kChordLimit = 128;

int HeadCodeOf(const EventRecord& note) {
    return (note.flags & kNoteHeadKindMask) >> kNoteHeadKindShift;
}

void SetHeadCode(EventRecord& note, int code) {
    note.flags = static_cast<uint16_t>((note.flags & ~kNoteHeadKindMask) |
                                       ((code << kNoteHeadKindShift) & kNoteHeadKindMask));
}

bool CtrlDown(uint32_t word) {
    return (word & win::kMouseControl) != 0 || CtrlHeld();
}

// The clicked note alone, or (with Ctrl) every note of its chord, gets `code`.
void WriteHeads(EventRecord* note, int code, bool wholeChord) {
    if (!wholeChord) {
        SetHeadCode(*note, code);
        return;
    }
    EventRecord* first = GetFirstEventOfChord(note);
    EventRecord* m = first;
    for (int i = 0; m != nullptr && m->time == first->time && i < kChordLimit; ++i, m = NextEvent(m))
        SetHeadCode(*m, code);
}

}  // namespace

intptr_t NoteHeadsToolHandler(ScoreView* view, int action, ToolRecord* record,
                              platform::WindowHandle /*window*/, win::Message message, uint32_t word,
                              intptr_t data) {
    if (action != ToolAction::Message || view == nullptr || view->document == nullptr) return 0;
    if (message != win::Message::MouseMove && message != win::Message::LeftButtonDown) return 0;
    NoteArmedToolCode(record);
    PointerToLogicalPoint(view, static_cast<uint32_t>(data));
    if (message == win::Message::MouseMove) return 1;
    EventRecord* note = HitTestSelectedVoice(view);
    if (note == nullptr) return 1;
    const bool alt = win::IsKeyDown(win::Key::Alt);
    const int code = State().notes.NoteTools.noteHeadEntry + 1 + (alt ? kAltHeadOffset : 0);
    if (code > kMaxHeadCode) {
        PlayAlertBeep(0);
        return 1;
    }
    const int written = HeadCodeOf(*note) == code ? 0 : code;
    UndoStep step(view->document, view, UndoKind::NoteHead, TypeCode(ObjectType::Note), UndoVerb::Change);
    WriteHeads(note, written, CtrlDown(word));
    SetDocumentModified(view->document);
    RedrawNotesLinked(view, note);
    return 1;
}

intptr_t ToggleDotsToolHandler(ScoreView* view, int action, ToolRecord* record,
                               platform::WindowHandle /*window*/, win::Message message,
                               uint32_t /*word*/, intptr_t data) {
    if (action != ToolAction::Message || view == nullptr || view->document == nullptr) return 0;
    if (message != win::Message::MouseMove && message != win::Message::LeftButtonDown) return 0;
    NoteArmedToolCode(record);
    PointerToLogicalPoint(view, static_cast<uint32_t>(data));
    if (message == win::Message::MouseMove) return 1;
    EventRecord* event = HitTestSelectedVoice(view);
    if (event == nullptr) event = HitTestAnyVoice(view);
    if (event == nullptr || view->currentCell == nullptr) return 1;
    const int voice = FindVoiceOfEvent(view->currentCell, event, FirstSelectedVoice(view));
    const uint16_t face = record != nullptr ? record->bitmapId : State().notes.NoteTools.dotsStrip;
    UndoStep step(view->document, view, UndoKind::Dots, TypeCode(ObjectType::Note), UndoVerb::Change);
    if (SetDotsOfNote(view, event, voice, DotsOfStrip(face)) != 0) SetDocumentModified(view->document);
    return 1;
}

}  // namespace ql
