// CommitNoteDrag: a pitch drag re-links the note at its new step (as a chord member or
// a chord of its own at the same time) after its ties are undone; a sideways drag
// moves the chord's heads. Stems are then restemmed unless the note is cross-staff,
// "Auto beam" is off or Ctrl is held.
#include "notes/entry/note_drag.h"

#include <algorithm>
#include <cstdlib>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/geometry.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "notes/drawing/note_fields.h"
#include "notes/drawing/note_redraw.h"
#include "notes/entry/note_entry.h"
#include "notes/stems/stems.h"
#include "notes/ties/ties.h"

namespace ql {

namespace {

constexpr int32_t kPitchDragUnits = 32;
constexpr int32_t kSideDragUnits = 16;
constexpr int32_t kUnitsPerOffset = 16;
constexpr int kMinOffset = -128;
constexpr int kMaxOffset = 127;
constexpr uint8_t kNoteType = TypeCode(ObjectType::Note);

void DragPitch(ScoreView* view, EventRecord* note, int step) {
    const int voice = EntryVoice(view);
    UntieNote(view, note);
    UntieIncomingTies(view, note, voice);
    EventRecord* head = GetVoiceHead(view->currentCell, voice);
    UnlinkChord(note, view->document);
    note->step = static_cast<uint8_t>(static_cast<int8_t>(step));
    LayoutWalkEventChain(head, view, note);
    view->voiceChain = GetVoiceFirstEvent(view->currentCell, voice);
    const bool cross = (note->flags & kNoteCrossStaff) != 0;
    if (!cross && State().notes.AutoBeam != 0 && !CtrlHeld()) UpdateBeamForNote(view, note);
}

void DragSideways(EventRecord* note, int32_t dx) {
    EventRecord* first = GetFirstEventOfChord(note);
    EventRecord* m = first;
    for (int i = 0; m != nullptr && m->time == first->time && i < kMaxChainLength; ++i, m = NextEvent(m))
        m->nudge = static_cast<int8_t>(std::clamp(m->nudge + dx / kUnitsPerOffset, kMinOffset, kMaxOffset));
}

}  // namespace

int CommitNoteDrag(ScoreView* view, EventRecord* note, const LogicalPoint& from) {
    if (view == nullptr) return 0;
    return CommitNoteDrag(view, note, from, view->pointerPoint);
}

int CommitNoteDrag(ScoreView* view, EventRecord* note, const LogicalPoint& from, const LogicalPoint& to) {
    if (view == nullptr || view->document == nullptr || view->currentCell == nullptr || note == nullptr)
        return 0;
    const int32_t dx = to.x - from.x;
    const int32_t dy = to.y - from.y;
    const bool pitch = std::abs(dy) >= kPitchDragUnits;
    if (!pitch && std::abs(dx) < kSideDragUnits) return 0;
    UndoStep step(view->document, view, pitch ? UndoKind::Pitch : UndoKind::Note, kNoteType,
                  UndoVerb::Move);
    DrawNoteChainSaved(view, EntryVoice(view));
    if (pitch) {
        DragPitch(view, note, StepAtY(view, to.y));
    } else {
        DragSideways(note, dx);
    }
    SetDocumentModified(view->document);
    DrawNoteChain(view, EntryVoice(view));
    return 1;
}

}  // namespace ql
