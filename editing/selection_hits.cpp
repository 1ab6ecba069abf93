// The hit-record lists of the selection: collecting the handle chains of the
// objects at a location into list A (through list B), testing the pointer against
// them (Ctrl picks the second of two overlapping handles), the hover, and the
// re-collection over the visible systems. Records that leave the lists are freed
// with their chains and their owners forget them.
#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/handle_flags.h"
#include "core/state.h"
#include "core/units/save_stacks.h"
#include "display/view_location.h"
#include "editing/editing_services.h"
#include "editing/marquee.h"
#include "editing/selection.h"
#include "editing/selection_internal.h"
#include "editing/status_readout.h"
#include "objects/margin/margin_class.h"
#include "platform/win/input.h"

namespace ql {

using namespace selection;

namespace {

constexpr int kWalkLimit = 1 << 16;  // records or objects one walk visits at most
constexpr uint8_t kMarginType = 33;

bool ListContains(const HitRecord& head, const HitRecord& tail, const ScoreObject* owner) {
    int n = 0;
    for (const HitRecord* r = head.next.get(); r != nullptr && r != &tail && n < kWalkLimit;
         r = r->next.get(), ++n)
        if (r->owner.get() == owner) return true;
    return false;
}

bool TypeIsCollected(const SelectionState* s, uint8_t type, bool everyType) {
    return (everyType && s->toolType == kMarqueeType) || type == s->toolType ||
           type == s->secondaryType;
}

// Moves list B's records in right after list A's head and empties B.
void SpliceListB(SelectionState* s) {
    HitRecord* first = s->listBHead.next.get();
    if (first == nullptr || first == &s->listBTail) return;
    HitRecord* last = s->listBTail.prev.get();
    HitRecord* after = s->listAHead.next.get();
    s->listAHead.next = Ref32<HitRecord>::To(first);
    first->prev = Ref32<HitRecord>::To(&s->listAHead);
    last->next = Ref32<HitRecord>::To(after);
    if (after != nullptr) after->prev = Ref32<HitRecord>::To(last);
    ResetHitList(s->listBHead, s->listBTail);
}

// Appends an object's handle chain to list B, unless its type is not collected or
// it is in a list already. False when the object gives no handles.
bool CollectObject(ScoreView* view, ScoreObject* o, bool everyType) {
    SelectionState* s = Sel();
    if (!TypeIsCollected(s, o->type, everyType)) return true;
    if (ListContains(s->listAHead, s->listATail, o) || ListContains(s->listBHead, s->listBTail, o)) return true;
    HitRecord* handles = ClassOf(o).BuildHandles(o, view);
    if (handles == nullptr) return false;
    if (handles->ownerType == 0) handles->ownerType = o->type;
    AppendHitRecord(&s->listBTail, handles);
    return true;
}

// The walk stops at the first object that gives no handles.
void CollectChain(ScoreView* view, ScoreObject* chain, bool everyType) {
    int n = 0;
    for (ScoreObject* o = chain; o != nullptr && n < kWalkLimit; o = o->next.get(), ++n)
        if (!CollectObject(view, o, everyType)) break;
}

// The page's margin element heads the page's object list, which the walks over
// its members pass by. Its handles are taken only while the margins are shown (what
// is not drawn cannot be dragged), and last of all, so that they lie behind every
// other handle of the location: a press on a margin line that also lies on another
// object's handle takes that handle, and with Ctrl the margin gives way to it.
void CollectPageMargins(ScoreView* view, ScoreObject* pageList) {
    if (pageList == nullptr || pageList->type != kMarginType || !AreMarginsShown(view)) return;
    CollectObject(view, pageList, true);
}

bool IsMatch(const HitRecord* r, LogicalPoint p, const EventRecord* note) {
    if (r->style == kShapeNever) return false;
    if (HitRecordContainsPoint(r, p)) return true;
    return note != nullptr && r->ownerType == TypeCode(ObjectType::Note) && r->noteEvent.get() == note;
}

struct Match {
    HitRecord* listRecord = nullptr;
    HitRecord* record = nullptr;
};

// On a note handle object, a press on a stem or chord handle that also lies on one
// of the notes' heads takes that head: the head is the more precise target.
HitRecord* PreferNoteHead(HitRecord* match, LogicalPoint p) {
    if (match->ownerType != TypeCode(ObjectType::Note) || match->kind >= kFirstNoteHeadHandle) return match;
    int n = 0;
    for (HitRecord* r = match->child.get(); r != nullptr && n < kWalkLimit; r = r->child.get(), ++n)
        if (r->kind >= kFirstNoteHeadHandle && IsUsableRecord(r) && r->style != kShapeNever &&
            HitRecordContainsPoint(r, p))
            return r;
    return match;
}

// The first matching handle, or with Ctrl the second (a Margin's second gives way
// to the first). `takeFirst` skips the Ctrl rule.
Match WalkLists(ScoreView* view, bool takeFirst) {
    SelectionState* s = Sel();
    const EventRecord* note = IsNoteOrRestTool() ? HitTestSelectedVoice(view) : nullptr;
    const bool ctrl = !takeFirst && (win::IsKeyDown(win::Key::Control) || State().input.StickyCtrlFlag);
    Match first;
    int n = 0;
    for (HitRecord* list = s->listAHead.next.get(); list != nullptr && list != &s->listATail && n < kWalkLimit;
         list = list->next.get()) {
        for (HitRecord* r = list; r != nullptr && n < kWalkLimit; r = r->child.get(), ++n) {
            if (!IsUsableRecord(r) || !IsMatch(r, view->pointerPoint, note)) continue;
            if (!ctrl) return {list, PreferNoteHead(r, view->pointerPoint)};
            if (first.record == nullptr) {
                first = {list, r};
                continue;
            }
            const ScoreObject* owner = r->owner.get();
            if (owner != nullptr && owner->type == kMarginType) return first;
            return {list, r};
        }
    }
    return first;
}

// A marquee with an empty rectangle is no target: its record leaves list A.
bool DropEmptyMarquee(HitRecord* list, const ScoreObject* owner) {
    if (owner == nullptr || owner->type != kMarqueeType) return false;
    const RecordRect& r = list->inner;
    if (r.right > r.left && r.bottom > r.top) return false;
    UnlinkHitRecord(list);
    return true;
}

// On a marquee, a press on its whole (the move handle) inside one of its corner
// squares takes that corner instead: the corner handle moves there.
Match PreferMarqueeCorner(ScoreView* view, Match m) {
    const ScoreObject* owner = m.record->owner.get();
    if (owner == nullptr || owner->type != kMarqueeType || m.record->kind != kMarqueeMoveHandle) return m;
    for (HitRecord* r = m.listRecord; r != nullptr && r != m.record; r = r->child.get())
        if (r->kind == kMarqueeCornerHandle && GrabMarqueeHandle(view, r) != 0) return {m.listRecord, r};
    return m;
}

}  // namespace

void engine::AddHitRecords(ScoreView* /*view*/, HitRecord* chain) {
    SelectionState* s = Sel();
    if (s == nullptr || chain == nullptr) return;
    if (ScoreObject* owner = chain->owner.get();
        owner != nullptr && ListContains(s->listAHead, s->listATail, owner))
        return;
    AppendHitRecord(&s->listATail, chain);
}

void AddObjectHitRecords(ScoreView* view, ScoreObject* chain) {
    SelectionState* s = Sel();
    if (s == nullptr || view == nullptr) return;
    ResetHitList(s->listBHead, s->listBTail);
    CollectChain(view, chain, false);
    SpliceListB(s);
}

// Per voice the view's voice mask allows (every voice when it is 0): the objects
// attached to the voice's events (ties, accidentals) and, with `elements`, the
// voice's element list (its rests). While a voice's objects build their handles the
// view's current-voice mask names that voice alone; the mask comes back at the end.
static void CollectVoiceObjects(ScoreView* view, bool everyType, bool elements) {
    const uint8_t allowed = view->voiceMask;
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        if (allowed != 0 && (allowed & (1u << voice)) == 0) continue;
        view->voiceMask = static_cast<uint8_t>(1u << voice);
        int n = 0;
        for (EventRecord* e = GetVoiceFirstEvent(view->currentCell, voice); e != nullptr && n < kWalkLimit;
             e = NextEvent(e), ++n)
            if (ScoreObject* attached = GetEventAttachment(e)) CollectChain(view, attached, everyType);
        if (elements) CollectChain(view, GetVoiceFirstElement(view->currentCell, voice), everyType);
    }
    view->voiceMask = allowed;
}

// A staff's own object stands left of every system of the staff but has one chain of
// handles. Where the pointer is, a chain built at another system's start leaves the
// lists (a hover on it is cleared), so that the object is collected here again; not
// while it is being edited. The walk over the visible systems keeps the first chain.
static void ReleaseHandlesOfOtherSystems(ScoreView* view, ScoreObject* chain) {
    if (State().input.CollectingAcrossSystems != 0) return;
    SelectionState* s = Sel();
    int n = 0;
    for (ScoreObject* o = chain; o != nullptr && n < kWalkLimit; o = o->next.get(), ++n) {
        HitRecord* first = FindHitRecordOfElement(o);
        if (first == nullptr || first->location.location.measure == view->currentMeasure) continue;
        const auto owns = [o](const Ref32<HitRecord>& r) {
            return r.get() != nullptr && r->owner.get() == o;
        };
        if (s->focusedObject.get() == o || owns(s->focusRecord) || owns(s->grabbedRecord)) continue;
        if (s->hoverObject.get() == o || owns(s->hoverRecord) || owns(s->hoverListRecord) ||
            owns(s->statusRecord)) {
            s->hoverFlag = 0;
            s->hoverObject = {};
            s->hoverListRecord = {};
            s->hoverRecord = {};
            s->statusRecord = {};
        }
        UnlinkHitRecord(first);
        FreeHitRecordChain(first);
        FreeHitRecord(first);
    }
}

// The staves' own objects (their labels) stand left of every system the staves are
// in, drawn at the system's first measure: there the objects of all the system's
// shown staves are taken, as a label may reach over a neighbour staff.
static void CollectStaffObjectsAtSystemStart(ScoreView* view, bool everyType) {
    const ScoreSystem* system = view->currentSystem;
    if (system == nullptr || view->currentMeasure != system->firstMeasure) return;
    const int8_t* flags = StaffFlagsOf(system);
    for (int staff = 1; staff <= view->document->header.staffCount; ++staff) {
        if (flags != nullptr && flags[staff] < 0) continue;
        StaffRecord* record = StaffRecordOf(view->document, staff);
        ScoreObject* head = record != nullptr ? record->objects.get() : nullptr;
        ScoreObject* members = head != nullptr ? head->next.get() : nullptr;
        ReleaseHandlesOfOtherSystems(view, members);
        CollectChain(view, members, everyType);
    }
}

void CollectHitRecordsAtLocation(ScoreView* view) {
    SelectionState* s = Sel();
    if (s == nullptr || view == nullptr || view->currentCell == nullptr || IsCurrentStaffHidden(view)) return;
    ResetHitList(s->listBHead, s->listBTail);
    ScoreObject* cellList = GetOrCreateCellObjectList(view->currentCell);
    ScoreObject* pageList = PageObjectListOf(view);
    auto members = [](ScoreObject* head) { return head != nullptr ? head->next.get() : nullptr; };
    // The voice chain holds what the location follow made: note handles, barline
    // objects, the staff element.
    ScoreObject* followed = members(s->voiceChain.get());
    switch (s->behaviourCode) {
        case 0:
            CollectChain(view, followed, true);
            CollectVoiceObjects(view, true, true);
            CollectChain(view, members(cellList), true);
            CollectStaffObjectsAtSystemStart(view, true);
            CollectChain(view, s->extraChain.get(), true);
            CollectChain(view, members(pageList), true);
            CollectPageMargins(view, pageList);
            break;
        case 1:
            CollectChain(view, s->extraChain.get(), true);
            break;
        case 2:
            CollectChain(view, members(pageList), true);
            CollectPageMargins(view, pageList);
            break;
        case 3:
        case 4:
            // Nothing while the visible systems are being collected: these tools
            // take the objects of the location the pointer is at only.
            if (State().input.CollectingAcrossSystems != 0) break;
            CollectChain(view, followed, false);
            CollectVoiceObjects(view, false, true);
            break;
        default:
            // Code 5 takes the voice chain too, in place of a second object list of the
            // view: the barline and Notes tools find their followed objects there.
            CollectChain(view, members(cellList), true);
            CollectStaffObjectsAtSystemStart(view, true);
            CollectChain(view, followed, true);
            CollectChain(view, members(pageList), true);
            CollectVoiceObjects(view, true, false);
            CollectPageMargins(view, pageList);
            break;
    }
    SpliceListB(s);
}

HitRecord* engine::FindRecordUnderPointer(ScoreView* view) {
    if (Sel() == nullptr || view == nullptr) return nullptr;
    return WalkLists(view, true).record;
}

HitRecord* FindHitRecordOfElement(ScoreObject* object) {
    SelectionState* s = Sel();
    if (s == nullptr || object == nullptr) return nullptr;
    int n = 0;
    for (HitRecord* r = s->listAHead.next.get(); r != nullptr && r != &s->listATail && n < kWalkLimit;
         r = r->next.get(), ++n)
        if (r->owner.get() == object) return r;
    return nullptr;
}

int SetHoverRecord(ScoreView* /*view*/, HitRecord* listRecord, HitRecord* hitRecord) {
    SelectionState* s = Sel();
    if (s == nullptr || IsDragging() || listRecord == nullptr || hitRecord == nullptr) return 0;
    ScoreObject* owner = hitRecord->owner.get();
    s->hoverFlag = 1;
    s->hoverListRecord = Ref32<HitRecord>::To(listRecord);
    s->hoverRecord = Ref32<HitRecord>::To(hitRecord);
    s->hoverObject = Ref32<ScoreObject>::To(owner);
    if (owner != nullptr && owner->type < kTypeLimit && owner->type != kMarqueeType)
        ClassOf(owner).SetToolCursor(owner, 0, hitRecord->kind);
    s->statusRecord = Ref32<HitRecord>::To(hitRecord);
    return 1;
}

int HitTestSelectionLists(ScoreView* view, int mode) {
    SelectionState* s = Sel();
    if (s == nullptr || view == nullptr || IsDragging()) return 0;
    for (int tries = 0; tries < kWalkLimit; ++tries) {
        Match m = WalkLists(view, false);
        if (m.record == nullptr) return 0;
        ScoreObject* owner = m.record->owner.get();
        if (!IsUsableObject(owner)) return 0;
        if (DropEmptyMarquee(m.listRecord, owner)) continue;
        if (mode != 2) m = PreferMarqueeCorner(view, m);
        if (mode != 2) {
            s->hoverFlag = 1;
            s->hoverListRecord = Ref32<HitRecord>::To(m.listRecord);
            s->hoverRecord = Ref32<HitRecord>::To(m.record);
            ClassOf(owner).SetToolCursor(owner, 0, m.record->kind);
        }
        s->hoverObject = Ref32<ScoreObject>::To(owner);
        if (mode != 1 && m.record != s->statusRecord.get())
            ShowObjectStatus(view, m.record, owner->type);
        s->statusRecord = Ref32<HitRecord>::To(m.record);
        return 1;
    }
    return 0;
}

}  // namespace ql
