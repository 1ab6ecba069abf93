// The shared bodies of the score-object protocol: owner note, deferred update,
// location change, ownership toggle, drop, paste, focus rebuild and drag commit.
// An object's location is the ObjectLocation at the start of its body (GetBody).
#include <cstddef>
#include <cstring>
#include <vector>

#include "core/draw/colour_sets.h"
#include "core/model/document.h"
#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/objects/class_table.h"
#include "core/objects/object_classes.h"
#include "core/model/object_list.h"
#include "core/memory/pool.h"
#include "core/private_messages.h"
#include "core/services/display_services.h"
#include "core/services/score_object_services.h"
#include "core/units/save_stacks.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/selection_services.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"

namespace ql {

namespace {

constexpr int kObjectPools[] = {kRootObjectPool, kSmallObjectPool, kTextObjectPool,
                                kLargeObjectPool};
constexpr int kMaxHandlePoints = 64;
constexpr uint8_t kNibbleModulus = 16;
constexpr int kMaxListWalk = 1 << 16;  // a damaged circular list ends the count
constexpr uint32_t kLowByteMask = 0xFF;

// A live object: a record of one of the object pools, or an object kept inside a
// record at its type's offset (the marks and texts that carry a MIDI action before
// the object), whose record is live.
bool IsLiveObjectRecord(const void* record) {
    for (int pool : kObjectPools)
        if (IsLiveRecord(CurrentPoolSet(), pool, record)) return true;
    const auto* bytes = static_cast<const std::byte*>(record);
    for (int type = 0; bytes != nullptr && type <= kLastObjectType; ++type) {
        const ObjectTypeEntry entry = FindObjectType(static_cast<uint8_t>(type));
        if (entry.construct != nullptr && entry.objectOffset != 0 &&
            IsLiveRecord(CurrentPoolSet(), entry.pool, bytes - entry.objectOffset))
            return true;
    }
    return false;
}

ObjectLocation* BodyLocation(ScoreObject* object) {
    std::byte* body = ClassOf(object).GetBody(object);
    return reinterpret_cast<ObjectLocation*>(body);
}

ScoreObject* CellListAt(ScoreView* view, int staff, int measure) {
    ScoreDocument* document = view->document;
    StaffRecord* staffRecord = StaffRecordOf(document, staff);
    if (staffRecord == nullptr) return nullptr;
    MeasureCell* cell = GetOrCreateMeasureCell(staffRecord, document, measure);
    return cell != nullptr ? GetOrCreateCellObjectList(cell) : nullptr;
}

// Moves the view's location to a hit record's staff and measure.
void MoveViewToHitRecord(ScoreView* view, const HitRecord* hit) {
    display::SetCurrentMeasure(view, hit->location.location.staff, hit->location.location.measure);
}

MeasureCell* CellOfLocation(ScoreView* view, const ObjectLocation& at) {
    StaffRecord* staffRecord = StaffRecordOf(view->document, at.staff);
    return staffRecord != nullptr ? GetOrCreateMeasureCell(staffRecord, view->document, at.measure)
                                  : nullptr;
}

// A deleted key signature leaves the key of the measure as it is; only the count of
// key changes in its cell (cellWord bits 4-7) is made true again.
void RecountKeySignatures(MeasureCell* cell) {
    int count = 0;
    ScoreObject* head = cell->objects.get();
    int walked = 0;
    for (ScoreObject* o = head != nullptr ? head->next.get() : nullptr;
         o != nullptr && o != head && walked < kMaxListWalk; o = o->next.get(), ++walked)
        if (o->type == TypeCode(ObjectType::KeySignature)) ++count;
    cell->cellWord = static_cast<uint16_t>(
        (cell->cellWord & ~kCellKeyCountMask) |
        (((count % kNibbleModulus) << kCellKeyCountShift) & kCellKeyCountMask));
}

bool IsShuttingDown() {
    return State().program.ShutdownFlag != 0;
}

// The point a drag commit moves the view to: the focused record's, or for endings,
// octave signs and tuplets the point of its child (their far end) when there is one.
LogicalPoint DragCommitPoint(const ScoreObject* object, const HitRecord* focus) {
    bool followsChild = object->type == TypeCode(ObjectType::RepeatEnding) ||
                        object->type == TypeCode(ObjectType::Octave) ||
                        object->type == TypeCode(ObjectType::Tuplet);
    const HitRecord* child = focus->child.get();
    return followsChild && child != nullptr ? child->point : focus->point;
}

int CollectChainPoints(HitRecord* first, LogicalPoint* points) {
    int count = 0;
    for (HitRecord* hit = first; hit != nullptr && count < kMaxHandlePoints; hit = hit->child.get())
        points[count++] = hit->point;
    return count;
}

// Relinks a measure-owned object into the cell of its new location.
void MoveToNewCell(ScoreObject* object, ScoreView* view, const LocationRecord& moved,
                   HitRecord* focus) {
    const ObjectLocation& to = moved.location;
    const ObjectLocation& from = focus->location.location;
    if (to.measure == from.measure && to.staff == from.staff && to.position == from.position)
        return;
    ScoreObject* list = CellListAt(view, to.staff, to.measure);
    if (list == nullptr) return;
    UnlinkObject(object);
    InsertObjectAfter(list, object);
    // An edit of two measures' lists: the undo step around the commit records it.
    SetDocumentModified(view->document);
    display::SetCurrentSystemAndMeasure(view, display::SystemOfMeasure(view, to.measure), to.staff,
                                        to.measure);
    focus->location.location.position = to.position;
    focus->location.location.staff = to.staff;
    focus->location.location.measure = to.measure;
}

}  // namespace

EventRecord* OwnerNoteOf(const ScoreObject* object) {
    if (object == nullptr || object->subtype != SubtypeCode(ObjectSubtype::NoteAttachment))
        return nullptr;
    const ScoreObject* at = object;
    while (at->type != TypeCode(ObjectType::Accidental)) {
        const ScoreObject* prev = at->prev.get();
        if (prev == nullptr || prev == object || !IsLiveObjectRecord(prev)) return nullptr;
        at = prev;
    }
    auto* note = reinterpret_cast<EventRecord*>(at->prev.get());
    if (note == nullptr || !IsLiveRecord(CurrentPoolSet(), kEventRecordPool, note)) return nullptr;
    return GetEventAttachment(note) == at ? note : nullptr;
}

bool UpdateIsDeferred(const ScoreObject* object) {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr) return false;
    if (selection->modal) return true;
    if (selection->focusedObject.get() == object && selection->editMode > 0) {
        win::PostMessage(selection->boundWindow, kMsgRedrawFocusedObject);
        return true;
    }
    return false;
}

void RedrawSelectionMarks(ScoreView* view) {
    SelectionState* selection = TheSelectionState();
    if (view == nullptr || selection == nullptr || selection->selectedCount == 0) return;
    BeginHighlightDraw(view);
    display::RedrawCurrentMeasure(view);
    EndHighlightDraw(view);
}

bool SavedLocationDiffers(const ScoreView* view) {
    const SelectionState* selection = TheSelectionState();
    if (selection == nullptr || view == nullptr) return false;
    if (selection->focusMeasure != static_cast<int16_t>(view->currentMeasure)) return true;
    if (selection->focusStaff != static_cast<int16_t>(view->currentStaff)) return true;
    // The view's position byte is the lowest byte of its position word, signed.
    auto positionByte = static_cast<int8_t>(view->positionWord & kLowByteMask);
    return selection->focusSystem != static_cast<int16_t>(positionByte);
}

void ToggleObjectOwnership(ScoreObject* object, ScoreView* view) {
    SelectionState* selection = TheSelectionState();
    ObjectLocation* location = BodyLocation(object);
    HitRecord* focus = selection != nullptr ? selection->focusRecord.get() : nullptr;
    if (view == nullptr || location == nullptr || focus == nullptr) return;
    LogicalPoint point = focus->location.point;
    MoveViewToHitRecord(view, focus);
    if (object->subtype == SubtypeCode(ObjectSubtype::PageList)) {
        // The anchor starts as the stored location at the view's staff and measure;
        // the encoder fills in the time position from the point.
        // The anchor's words are the time anchor of the point; the cell is the
        // measure under the point, which the encoder reports.
        ObjectLocation anchor = LoadField<ObjectLocation>(location);
        LocationRecord encoded{};
        display::EncodeAnchors(view, &encoded, SubtypeCode(ObjectSubtype::MeasureTimeList), &anchor,
                               &point, 1);
        ScoreObject* list = CellListAt(view, encoded.location.staff, encoded.location.measure);
        if (list == nullptr) return;
        object->subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);
        UnlinkObject(object);
        focus->location = LocationRecord{encoded.location, point};
        StoreField(location, anchor);
        InsertObjectAfter(list, object);
    } else if (object->subtype == SubtypeCode(ObjectSubtype::MeasureTimeList)) {
        ScoreObject* pageList = PageObjectListOf(view);
        if (pageList == nullptr) return;
        ObjectLocation anchor = LoadField<ObjectLocation>(location);
        display::EncodePageAnchors(view, &anchor, &point, 1);
        StoreField(location, anchor);
        object->subtype = SubtypeCode(ObjectSubtype::PageList);
        UnlinkObject(object);
        InsertObjectAfter(pageList, object);
    }
}

int DropObject(ScoreView* view, ScoreObject* object, HitRecord* hit) {
    SelectionState* selection = TheSelectionState();
    if (IsShuttingDown() || selection == nullptr || !selection->focusRecord || object == nullptr ||
        view == nullptr)
        return 0;
    SetDocumentModified(view->document);
    // A clef change goes back to the clef before it, keeping the notes' pitches.
    if (object->type == TypeCode(ObjectType::Clef))
        return objects::InsertClefInMeasure(view, object);
    if (hit == nullptr) return 0;
    // A focus a key took for this message goes with the object, uncommitted; a focus
    // taken by a click is committed first.
    const bool dropsKeyFocus = selection->commitAfterMessage != 0 && selection->focusedObject.get() == object;
    if (!dropsKeyFocus && selection->focusedObject.get() == object) {
        UnfocusElement(view);
        hit = selection->focusRecord.get();
        if (hit == nullptr) return 0;
    }
    // The object is drawn once more in the erase colours, where it stands.
    BeginSelectionDraw(view);
    PushViewLocation(view);
    if (object->subtype == SubtypeCode(ObjectSubtype::NoteAttachment))
        MoveViewToHitRecord(view, hit);
    else
        display::SetLocationFromPoint(view, hit->point);
    ClassOf(object).DrawSelected(object, view);
    PopViewLocation(view);
    EndHighlightDraw(view);
    SaveRestoreFeedbackDC(view, object, true);
    MeasureCell* keyCell = object->type == TypeCode(ObjectType::KeySignature)
                               ? CellOfLocation(view, hit->location.location)
                               : nullptr;
    UnlinkObject(object);
    if (keyCell != nullptr) RecountKeySignatures(keyCell);
    if (!IsSelectionListEnd(hit)) {
        UnlinkHitRecord(hit);
        FreeHitRecordChain(hit);
        FreeHitRecord(hit);
    }
    ReleaseObjectByType(view->document, object);
    if (dropsKeyFocus) {
        ClearHandleState();
        ClearFocusState();
    }
    win::SetCursor(selection->toolCursor);
    return 1;
}

ScoreObject* PasteObjectCopy(ScoreObject* object, ScoreView* view) {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr || !selection->commitAfterMessage || view == nullptr) return nullptr;
    HitRecord* focus = selection->focusRecord.get();
    if (focus == nullptr) return nullptr;
    ScoreObject* copy = ClassOf(object).Clone(object, view, CurrentPoolSet(), CurrentPoolSet());
    if (copy == nullptr) return nullptr;
    ScoreObject* list =
        copy->subtype != SubtypeCode(ObjectSubtype::MeasureTimeList)
            ? PageObjectListOf(view)
            : CellListAt(view, focus->location.location.staff, focus->location.location.measure);
    if (list != nullptr) InsertObjectAfter(list, copy);
    return copy;
}

ScoreObject* CloneObjectBody(ScoreObject* object, PoolSet target) {
    if (object == nullptr) return nullptr;
    ScopedPoolSet allocating(target);
    ScoreObject* copy = ConstructObject(object->type);
    if (copy == nullptr) return nullptr;
    const ScoreObjectClass& cls = ClassOf(object);
    std::memcpy(cls.GetBody(copy), cls.GetBody(object), cls.GetBodySize(object));
    copy->classId = object->classId;
    copy->type = object->type;
    copy->subtype = object->subtype;
    return copy;
}

void MakeObjectCurrent(ScoreObject* object, ScoreView* view) {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr) return;
    HitRecord* old = selection->focusRecord.get();
    if (old == nullptr || !selection->focusedObject || object == nullptr || view == nullptr) {
        selection->rebuildRequested = 1;
        return;
    }
    PushViewLocation(view);
    MoveViewToHitRecord(view, old);
    HitRecord* chain = ClassOf(object).BuildHandles(object, view);
    PopViewLocation(view);
    if (chain == nullptr) {
        selection->rebuildRequested = 1;
        return;
    }
    ReplaceHitRecord(old, chain);
    FreeHitRecordChain(old);
    FreeHitRecord(old);
    selection->focusRecord = Ref32<HitRecord>::To(chain);
    // The handle grabbed before is the new chain's record of the same kind; without
    // one, the chain's first record.
    HitRecord* current = chain;
    int members = 0;
    for (HitRecord* r = chain; r != nullptr && members < kMaxListWalk; r = r->child.get(), ++members)
        if (r->kind == selection->grabbedKind) {
            current = r;
            break;
        }
    selection->grabbedRecord = Ref32<HitRecord>::To(current);
    selection->grabbedKind = current->kind;
    ClearHoverState();
}

int CompareObjectLocations(const ObjectLocation& before, const ObjectLocation& after) {
    uint8_t a[sizeof(ObjectLocation)];
    uint8_t b[sizeof(ObjectLocation)];
    const ObjectLocation* sides[] = {&before, &after};
    uint8_t* out[] = {a, b};
    for (int side = 0; side < 2; ++side) {
        const ObjectLocation& l = *sides[side];
        uint8_t* bytes = out[side];
        for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(l.position >> (8 * i));
        bytes[4] = l.classByte;
        bytes[5] = l.staff;
        bytes[6] = static_cast<uint8_t>(l.measure);
        bytes[7] = static_cast<uint8_t>(l.measure >> 8);
    }
    for (size_t i = 0; i < sizeof(ObjectLocation); ++i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}

int ScoreObjectCommitDrag(ScoreObject* object, ScoreView* view) {
    SelectionState* selection = TheSelectionState();
    HitRecord* focus = selection != nullptr ? selection->focusRecord.get() : nullptr;
    ObjectLocation* location = BodyLocation(object);
    if (view == nullptr || focus == nullptr || location == nullptr) return 0;
    if (object->subtype == SubtypeCode(ObjectSubtype::PageList) && !view->pageView) return 0;
    PushViewLocation(view);
    bool onNote = object->subtype == SubtypeCode(ObjectSubtype::NoteAttachment);
    if (onNote)
        MoveViewToHitRecord(view, focus);
    else if (State().input.DragLock == 0)
        display::SetLocationFromPoint(view, DragCommitPoint(object, focus));
    ObjectLocation before = LoadField<ObjectLocation>(location);
    LogicalPoint points[kMaxHandlePoints];
    int count = CollectChainPoints(focus, points);
    if (!onNote) {
        LocationRecord moved{};
        display::EncodeAnchors(view, &moved, object->subtype, location, points, count);
        if (object->subtype == SubtypeCode(ObjectSubtype::MeasureTimeList) ||
            object->subtype == SubtypeCode(ObjectSubtype::MeasureAnchorList))
            MoveToNewCell(object, view, moved, focus);
    } else {
        selection->savedDragLocation = focus->location;
        // The dragged point becomes the object's offsets from its note.
        if (count > 0) display::PointToNoteAnchor(view, object, location, points[0]);
    }
    ClassOf(object).MeasureAndSelect(object, view);
    PopViewLocation(view);
    return CompareObjectLocations(before, LoadField<ObjectLocation>(location));
}

}  // namespace ql
