// DeleteNote and the drop that calls it. The null test comes before anything touches
// the note; attachments other than ties and the note's own accidental go to a note at
// the same time; ties starting or ending here are undone; then the note leaves its
// chord (the chord's head and beam links pass on) or, alone at its time, its chord
// and beam group, and the gap closes unless a rest keeps the time.
#include "notes/entry/note_delete.h"

#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/error_report.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/note_redraw.h"
#include "notes/entry/entry_internal.h"
#include "notes/entry/note_entry.h"
#include "notes/rests/rest.h"
#include "notes/rests/staff_place.h"
#include "notes/stems/stems.h"
#include "notes/ties/ties.h"

namespace ql {

namespace {

constexpr char kReportModule[] = "NOTES";
constexpr int kKeepTimeReportLine = 3059;
constexpr uint32_t kAlertBeep = 0;
constexpr uint8_t kNoteType = static_cast<uint8_t>(ObjectType::Note);

bool StaysWithNote(const ScoreObject* object) {
    return object->type == TypeCode(ObjectType::Tie) || object->type == TypeCode(ObjectType::Accidental);
}

// Attachments after the chain's first record (the note's accidental) that are not
// ties move to the partner.
void MoveAttachments(ScoreView* view, EventRecord* note, EventRecord* partner) {
    ScoreObject* first = GetEventAttachment(note);
    if (first == nullptr || partner == nullptr) return;
    ScoreObject* object = first->next.get();
    for (int i = 0; object != nullptr && i < kMaxChainLength; ++i) {
        ScoreObject* next = object->next.get();
        if (!StaysWithNote(object)) {
            UnlinkObject(object);
            if (AttachObjectToNote(view, partner, object) == 0) ReleaseObjectByType(view->document, object);
        }
        object = next;
    }
}

// The rest that keeps the deleted note's time, made before anything changes; false
// (low-memory report) when none could be had.
bool KeepTimeWithRest(ScoreView* view, const EventRecord* note) {
    if (NewRestInActiveVoice(view, note) != nullptr) return true;
    ReportLowMemory(kReportModule, kKeepTimeReportLine);
    return false;
}

// A note alone at its time: its chord leaves the chain and the beam group closes
// over it; the neighbours are restemmed.
void UnlinkLoneChord(ScoreView* view, EventRecord* note, int voice, bool keepTime) {
    EventRecord* before = GetBeamPrevChord(note);
    EventRecord* after = ResolveEvent(note->beamNext);
    const int time = note->time;
    const int ticks = EventDurationTicks(*note);
    UnlinkChord(note, view->document);
    if (!keepTime)
        ShiftVoiceElementsFromTick(view->document, view->currentStaff, view->currentMeasure, voice,
                                   time + ticks, -ticks);
    if (before != nullptr) UpdateBeamForNote(view, before);
    if (after != nullptr && !IsHeadSentinel(*after)) UpdateBeamForNote(view, after);
}

void RedrawAfterDeletion(ScoreView* view, int voice) {
    BuildBeatMapSlot(view, view->currentSlot);
    if (entry::RespaceForEntry(view) == 0) DrawNoteChain(view, voice);
}

}  // namespace

EventRecord* DeletionNeighbour(EventRecord* note) {
    if (note == nullptr) return nullptr;
    if (EventRecord* e = GetNextEventSameTime(note)) return e;
    if (EventRecord* e = GetPrevEventSameTime(note)) return e;
    EventRecord* next = NextEvent(note);
    if (next != nullptr && !IsHeadSentinel(*next)) return next;
    EventRecord* prev = PrevEvent(note);
    return prev != nullptr && !IsHeadSentinel(*prev) ? prev : nullptr;
}

int DeleteNote(ScoreView* view, EventRecord* note, bool redraw, int voice) {
    if (note == nullptr) {
        PlayAlertBeep(kAlertBeep);
        return 0;
    }
    if (view == nullptr || view->document == nullptr || !HandleOfEvent(note) || IsHeadSentinel(*note))
        return 0;
    const bool keepTime = CtrlHeld() || State().input.KeepTimeOnDelete != 0;
    EventRecord* partner = GetNextEventSameTime(note);
    if (partner == nullptr) partner = GetPrevEventSameTime(note);
    if (partner == nullptr && keepTime && !KeepTimeWithRest(view, note)) return 0;
    BeginViewDraw(view);
    if (redraw) DrawNoteChainSaved(view, voice);
    MoveAttachments(view, note, partner);
    UntieNote(view, note);
    UntieIncomingTies(view, note, voice);
    if (partner == nullptr) {
        UnlinkLoneChord(view, note, voice, keepTime);
    } else {
        UnlinkChord(note, view->document);
        UpdateBeamForNote(view, partner);
    }
    FreeEventAttachment(note);
    FreeEvent(note);
    SetDocumentModified(view->document);
    RedrawAfterDeletion(view, voice);
    EndViewDraw(view);
    return 1;
}

int DeleteNoteAndFollow(ScoreView* view, EventRecord* note) {
    if (view == nullptr || view->document == nullptr) return 0;
    UndoStep step(view->document, view, UndoKind::Item, kNoteType, UndoVerb::Delete);
    EventRecord* neighbour = DeletionNeighbour(note);
    const LogicalPoint before = view->pointerPoint;
    const int voice = EntryVoice(view);
    if (DeleteNote(view, note, true, voice) == 0) return 0;
    if (neighbour != nullptr) {
        MovePointerToLogical(view, CurrentSlotX(view) + BeatMapTickToX(view, neighbour->time),
                             PositionY(view, SignedStep(*neighbour)));
    } else {
        MovePointerToLogical(view, before.x, before.y);
    }
    ScanCurrentCellVoice(view, voice);
    return 1;
}

}  // namespace ql
