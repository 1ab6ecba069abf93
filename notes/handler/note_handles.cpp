// Note handle objects: one notes-handler object per beam group (or unbeamed chord) of
// each voice of a measure, through which the selection picks notes and drags stems
// and beams. Handle geometry, in view units:
//  - an unbeamed chord: handle 0 is its stem end, y = the far end note's y + its stem
//    length; handle 1 is the near end note's y (the head the stem leaves from);
//  - a beamed group: handle 0 is the first chord's stem end, handle 1 the last
//    chord's (the two beam ends).
// The far end is the chord's top note for an upward stem (negative stem length),
// else its bottom note. A stem drag stores the dragged end back as stem lengths.
#include <algorithm>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/page_record.h"
#include "core/model/score_document.h"
#include "core/objects/handle_flags.h"
#include "core/objects/hit_record.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "display/hit_test.h"
#include "notes/drawing/note_redraw.h"
#include "notes/handler/notes_handler.h"
#include "notes/rests/staff_place.h"

namespace ql {

namespace {

constexpr int kVoices = 4;
constexpr int kMaxGroupChords = 1024;
constexpr int kMaxHandleObjects = 4096;  // bound of every walk of a handle list
constexpr int kVoiceShift = 2;
constexpr uint8_t kVoiceBits = 0x0C;
constexpr uint8_t kNoteType = TypeCode(ObjectType::Note);
constexpr int kLastHeadKind = 255;

NotesHandlerBody* BodyOf(ScoreObject* object) {
    return reinterpret_cast<NotesHandlerBody*>(object->BodyBytes());
}

// The chord's far (stem) end and near end steps, by its stem direction.
struct ChordEnds {
    int far = 0;
    int near = 0;
};
ChordEnds EndsOf(EventRecord* head) {
    int top = SignedStep(*head);
    int bottom = top;
    EventRecord* e = head;
    for (int i = 0; e != nullptr && e->time == head->time && i < kMaxChainLength; ++i, e = NextEvent(e)) {
        if (IsHeadSentinel(*e)) break;
        top = std::min(top, SignedStep(*e));
        bottom = std::max(bottom, SignedStep(*e));
    }
    const bool up = head->stemLength < 0;
    return up ? ChordEnds{top, bottom} : ChordEnds{bottom, top};
}

int32_t StemEndY(const ScoreView* view, EventRecord* head) {
    return PositionY(view, EndsOf(head).far) + Zoomed(view, head->stemLength);
}

// The last chord head of the beam group that starts at `head` (head itself when it is
// not beamed).
EventRecord* LastChordOfGroup(EventRecord* head) {
    EventRecord* chord = head;
    for (int i = 0; i < kMaxGroupChords; ++i) {
        EventRecord* next = ResolveEvent(chord->beamNext);
        if (next == nullptr || IsHeadSentinel(*next) || next == chord) break;
        chord = next;
    }
    return chord;
}

bool IsVoiceOffered(const ScoreView* view, int voice) {
    const uint8_t mask = view->voiceMask == 0 || view->voiceMask > 15 ? 1 : view->voiceMask;
    return view->allVoicesShown == 1 || ((mask >> voice) & 1) != 0;
}

// The list the handle objects live in: the selection's anchor when it has one, else
// its list of one message's objects.
ScoreObject* HandleList() {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr) return nullptr;
    return selection->voiceChain ? selection->voiceChain.get() : &selection->temporaryChain;
}

bool IsHandleOf(ScoreObject* object, int staff, int measure, int voice) {
    if (object->type != kNoteType) return false;
    const NotesHandlerBody* body = BodyOf(object);
    return body->staff == staff && body->measure == measure &&
           (voice < 0 || ((body->flags & kVoiceBits) >> kVoiceShift) == voice);
}

bool HasHandles(int staff, int measure, int voice) {
    ScoreObject* list = HandleList();
    ScoreObject* o = list != nullptr ? list->next.get() : nullptr;
    for (int i = 0; o != nullptr && i < kMaxHandleObjects; ++i, o = o->next.get())
        if (IsHandleOf(o, staff, measure, voice)) return true;
    return false;
}

// One handle object for the group starting at chord `head`; null when the pool is
// exhausted.
ScoreObject* NewGroupHandle(ScoreView* view, EventRecord* head, int staff, int measure, int voice) {
    ScoreObject* object = NewNotesHandler();
    if (object == nullptr) return nullptr;
    NotesHandlerBody* body = BodyOf(object);
    EventRecord* last = LastChordOfGroup(head);
    const bool beamed = last != head;
    body->handleY[0] = StemEndY(view, head);
    body->handleY[1] = beamed ? StemEndY(view, last) : PositionY(view, EndsOf(head).near);
    body->system = Ref32<ScoreSystem>::To(view->currentSystem);
    body->flags = static_cast<uint8_t>((beamed ? kHandleBeamGroup : 0) | (voice << kVoiceShift));
    body->staff = static_cast<uint8_t>(staff);
    body->measure = static_cast<int16_t>(measure);
    body->note = Ref32<EventRecord>::To(head);
    return object;
}

// The handle objects of one voice, linked in order after `tail`; the count, -1 when
// the pool ran out (the ones made are destroyed).
int MakeVoiceHandles(ScoreView* view, MeasureCell* cell, int staff, int measure, int voice,
                     ScoreObject*& first, ScoreObject*& tail) {
    ScoreObject* voiceFirst = nullptr;
    ScoreObject* previous = nullptr;
    int count = 0;
    EventRecord* chord = GetVoiceFirstEvent(cell, voice);
    for (int i = 0; chord != nullptr && !IsHeadSentinel(*chord) && i < kMaxChainLength; ++i) {
        ScoreObject* object = NewGroupHandle(view, chord, staff, measure, voice);
        if (object == nullptr) return -1;
        if (voiceFirst == nullptr) {
            voiceFirst = object;
            BodyOf(object)->flags |= kHandleFirstOfVoice;
        }
        BodyOf(object)->voiceFirst = Ref32<ScoreObject>::To(voiceFirst);
        if (tail != nullptr) InsertObjectAfter(tail, object);
        if (first == nullptr) first = object;
        tail = previous = object;
        ++count;
        chord = GetNextChordEvent(LastChordOfGroup(chord));
    }
    if (previous != nullptr) BodyOf(previous)->flags |= kHandleLastOfVoice;
    return count;
}

void DestroyChain(ScoreObject* first) {
    for (int i = 0; first != nullptr && i < kMaxHandleObjects; ++i) {
        ScoreObject* next = first->next.get();
        UnlinkObject(first);
        DestroyNotesHandler(first);
        first = next;
    }
}

}  // namespace

ScoreObject* BuildNoteHandlerChain(ScoreView* view, int staff, int measure, int* made) {
    if (made != nullptr) *made = 0;
    if (view == nullptr || view->document == nullptr || view->currentSystem == nullptr) return nullptr;
    MeasureCell* cell = ExistingMeasureCell(view->document, staff, measure);
    if (cell == nullptr || measure > view->currentSystem->lastMeasure) return nullptr;
    ScoreObject* first = nullptr;
    ScoreObject* tail = nullptr;
    int total = 0;
    for (int voice = 0; voice < kVoices; ++voice) {
        if (!IsVoiceOffered(view, voice) || HasHandles(staff, measure, voice)) continue;
        const int count = MakeVoiceHandles(view, cell, staff, measure, voice, first, tail);
        if (count < 0) {
            DestroyChain(first);
            return nullptr;
        }
        total += count;
    }
    if (made != nullptr) *made = total;
    return first;
}

int CreateNoteHandlers(ScoreView* view, int staff, int measure) {
    ScoreObject* list = HandleList();
    if (list == nullptr) return 0;
    int made = 0;
    ScoreObject* chain = BuildNoteHandlerChain(view, staff, measure, &made);
    if (chain == nullptr) return 0;
    InsertObjectAfter(list, chain);
    return made;
}

int ReleaseNoteHandlers(int staff, int measure, int voice) {
    ScoreObject* list = HandleList();
    ScoreObject* o = list != nullptr ? list->next.get() : nullptr;
    int released = 0;
    for (int i = 0; o != nullptr && i < kMaxHandleObjects; ++i) {
        ScoreObject* next = o->next.get();
        if (IsHandleOf(o, staff, measure, voice)) {
            UnlinkObject(o);
            DestroyNotesHandler(o);
            ++released;
        }
        o = next;
    }
    return released;
}

int CommitStemDrag(ScoreView* view, ScoreObject* handle, int index, int32_t dy) {
    if (view == nullptr || handle == nullptr || handle->type != kNoteType) return 0;
    NotesHandlerBody* body = BodyOf(handle);
    EventRecord* head = body->note.get();
    if (head == nullptr || view->currentCell == nullptr || index < 0 || index > 2) return 0;
    const bool beamed = (body->flags & kHandleBeamGroup) != 0;
    const int voice = (body->flags & kVoiceBits) >> kVoiceShift;
    DrawNoteChainSaved(view, voice);
    if (!beamed && index != 0) return 0;  // an unbeamed chord's other handles stay
    if (index != 2) body->handleY[0] += dy;
    if (beamed && index != 1) body->handleY[1] += dy;
    EventRecord* last = beamed ? LastChordOfGroup(head) : head;
    for (EventRecord* chord : {head, last}) {
        const int32_t end = chord == head ? body->handleY[0] : body->handleY[1];
        const int far = EndsOf(chord).far;
        const int16_t length = static_cast<int16_t>(Unzoomed(view, end - PositionY(view, far)));
        EventRecord* e = chord;
        for (int i = 0; e != nullptr && e->time == chord->time && i < kMaxChainLength; ++i, e = NextEvent(e)) {
            if (IsHeadSentinel(*e)) break;
            e->stemLength = length;
            e->flags = static_cast<uint16_t>(length < 0 ? e->flags | kEventStemFlag : e->flags & ~kEventStemFlag);
        }
        if (!beamed) break;
    }
    SetDocumentModified(view->document);
    DrawNoteChain(view, voice);
    return 1;
}

// The chain is only made when the selection has an anchor to take it (the caller
// links it there), so that nothing is made that no list owns.
ScoreObject* FollowNotesHandlerLocation(ScoreView* view) {
    SelectionState* selection = TheSelectionState();
    if (view == nullptr || selection == nullptr || !selection->voiceChain) return nullptr;
    return BuildNoteHandlerChain(view, view->currentStaff, view->currentMeasure, nullptr);
}

HitRecord* BuildNoteHandleRecords(ScoreObject* object, ScoreView* view) {
    if (object == nullptr || view == nullptr || object->type != kNoteType) return nullptr;
    const NotesHandlerBody* body = BodyOf(object);
    EventRecord* head = body->note.get();
    if (head == nullptr || IsHeadSentinel(*head)) return nullptr;
    const bool beamed = (body->flags & kHandleBeamGroup) != 0;
    EventRecord* last = beamed ? LastChordOfGroup(head) : head;
    const int32_t firstX = GetEventPosition(head, view).x;
    const int32_t lastX = GetEventPosition(last, view).x;
    // 0: the group (both beam ends) or the chord's stem end; 1 and 2: the beam's
    // left and right ends, or the chord's near end and its stem end again.
    const LogicalPoint ends[3] = {
        {firstX, body->handleY[0]},
        beamed ? LogicalPoint{firstX, body->handleY[0]} : LogicalPoint{firstX, body->handleY[1]},
        beamed ? LogicalPoint{lastX, body->handleY[1]} : LogicalPoint{firstX, body->handleY[0]}};
    HitRecord* first = nullptr;
    HitRecord* previous = nullptr;
    auto add = [&](uint8_t kind, LogicalPoint point, int32_t half, EventRecord* note) {
        HitRecord* hit = AllocHitRecord();
        if (hit == nullptr) return false;
        if (half > 0)
            ConstructHitRecordAtPointEx(hit, view, kind, point, half);
        else
            ConstructHitRecordAtPoint(hit, view, kind, point);
        hit->owner = Ref32<ScoreObject>::To(object);
        hit->ownerType = kNoteType;
        hit->noteEvent = Ref32<EventRecord>::To(note);
        if (previous != nullptr) {
            hit->parent = Ref32<HitRecord>::To(first);
            previous->child = Ref32<HitRecord>::To(hit);
        }
        if (first == nullptr) first = hit;
        previous = hit;
        return true;
    };
    bool made = true;
    for (uint8_t kind = 0; kind < 3 && made; ++kind) made = add(kind, ends[kind], 0, head);
    // 3 and on: each note of the group's chords, over its head.
    const int32_t half = std::max<int32_t>(view->glyphWidths.halfBlack, 1);
    int kind = kFirstNoteHeadHandle;
    EventRecord* chord = head;
    for (int c = 0; made && chord != nullptr && c < kMaxGroupChords; ++c) {
        EventRecord* e = chord;
        for (int i = 0; made && e != nullptr && e->time == chord->time && i < kMaxChainLength; ++i, e = NextEvent(e)) {
            if (IsHeadSentinel(*e)) break;
            made = add(static_cast<uint8_t>(std::min(kind++, kLastHeadKind)), GetEventPosition(e, view), half, e);
        }
        if (chord == last) break;
        chord = GetNextChordEvent(chord);
    }
    if (!made && first != nullptr) {
        FreeHitRecordChain(first);
        FreeHitRecord(first);
        return nullptr;
    }
    object->handleChain = Ref32<HitRecord>::To(first);
    return first;
}

int FollowNoteHandlesForSelection(ScoreView* view) {
    SelectionState* selection = TheSelectionState();
    ScoreObject* followed = FollowNotesHandlerLocation(view);
    if (selection == nullptr || followed == nullptr || !selection->voiceChain) return 0;
    InsertObjectAfter(selection->voiceChain.get(), followed);
    return 1;
}

}  // namespace ql
