// Object lists: list heads, insertion and unlinking, insertion by subtype at the
// view's location, and attachment to notes.
#include "core/model/object_list.h"

#include <algorithm>

#include "core/objects/class_table.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/selection_services.h"
#include "platform/ui/message_box.h"

namespace ql {

namespace {

constexpr int kRootObjectReportLine = 1180;
constexpr int kMaxListLength = 64 * 1024;

// The last member of the chain that starts at `first`; null when a member links to
// itself (that link is cleared: the chain is damaged and is not inserted).
ScoreObject* LastOfChain(ScoreObject* first) {
    ScoreObject* last = first;
    for (int i = 0; i < kMaxListLength; ++i) {
        ScoreObject* next = last->next.get();
        if (next == nullptr) return last;
        if (next == last) {
            last->next = Ref32<ScoreObject>{};
            return nullptr;
        }
        last = next;
    }
    return nullptr;
}

// The head of a note's attachment chain: an accidental whose prev names the note.
ScoreObject* CreateAttachmentHead(EventRecord* event) {
    ScoreObject* head = ConstructObject(TypeCode(ObjectType::Accidental));
    if (head == nullptr) return nullptr;
    head->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
    head->prev = Ref32<ScoreObject>::To(reinterpret_cast<ScoreObject*>(event));
    event->attachment = PtrToHandle(kTextObjectPool, head);
    return head;
}

bool IsInChain(ScoreObject* head, const ScoreObject* object) {
    ScoreObject* member = head->next.get();
    for (int i = 0; member != nullptr && i < kMaxListLength; ++i, member = member->next.get())
        if (member == object) return true;
    return false;
}

}  // namespace

ScoreObject* AllocPool6Record(size_t /*size*/) {
    return static_cast<ScoreObject*>(AllocRecord(kRootObjectPool));
}

namespace {

void ConstructRootObject(ScoreObject* head) {
    ConstructScoreObject(head);
    head->prev = Ref32<ScoreObject>{};
    head->next = Ref32<ScoreObject>{};
}

// Heads taken per run call; the handles it gives are not kept (heads are reached
// by Ref32).
constexpr int kRootRunChunk = 256;

}  // namespace

ScoreObject* AllocRootObject() {
    ScoreObject* head = AllocPool6Record(sizeof(ScoreObject));
    if (head == nullptr) {
        ReportLowMemory("UNITS", kRootObjectReportLine);
        return nullptr;
    }
    ConstructRootObject(head);
    return head;
}

// Taken in chunks, which hand out the slots one run would: the pool's next record
// does not depend on how the requests are grouped.
bool AllocRootObjectRun(int count, ScoreObject** heads) {
    void* records[kRootRunChunk];
    RecordHandle handles[kRootRunChunk];
    int made = 0;
    while (made < count) {
        const int want = std::min(count - made, kRootRunChunk);
        const int got = AllocRecordRunWithHandles(kRootObjectPool, want, records, handles);
        for (int i = 0; i < got; ++i) heads[made + i] = static_cast<ScoreObject*>(records[i]);
        made += got;
        if (got < want) break;
    }
    if (made < count) {
        for (int i = made - 1; i >= 0; --i) FreeRecord(kRootObjectPool, heads[i]);
        ReportLowMemory("UNITS", kRootObjectReportLine);
        return false;
    }
    for (int i = 0; i < count; ++i) ConstructRootObject(heads[i]);
    return true;
}

void InsertObjectAfter(ScoreObject* anchor, ScoreObject* object) {
    if (anchor == nullptr || object == nullptr || object == anchor) return;
    ScoreObject* anchorNext = anchor->next.get();
    if (object == anchorNext) return;
    if (anchorNext != nullptr && object == anchorNext->next.get()) return;
    ScoreObject* last = LastOfChain(object);
    if (last == nullptr) return;
    if (anchorNext != nullptr) anchorNext->prev = Ref32<ScoreObject>::To(last);
    last->next = anchor->next;
    object->prev = Ref32<ScoreObject>::To(anchor);
    anchor->next = Ref32<ScoreObject>::To(object);
}

void InsertChainBefore(ScoreObject* anchor, ScoreObject* first) {
    if (anchor == nullptr || first == nullptr) return;
    ScoreObject* last = LastOfChain(first);
    if (last == nullptr) return;
    ScoreObject* anchorPrev = anchor->prev.get();
    if (anchorPrev != nullptr) anchorPrev->next = Ref32<ScoreObject>::To(first);
    last->next = Ref32<ScoreObject>::To(anchor);
    first->prev = anchor->prev;
    anchor->prev = Ref32<ScoreObject>::To(last);
}

void UnlinkObject(ScoreObject* object) {
    if (object == nullptr) return;
    ScoreObject* prev = object->prev.get();
    ScoreObject* next = object->next.get();
    if (prev != nullptr) prev->next = object->next;
    if (next != nullptr) next->prev = object->prev;
    object->prev = Ref32<ScoreObject>{};
    object->next = Ref32<ScoreObject>{};
}

ScoreObject* PageObjectListOf(ScoreView* view) {
    if (view == nullptr) return nullptr;
    if (view->pageObjects != nullptr) return view->pageObjects;
    return view->currentPage != nullptr ? view->currentPage->margins.get() : nullptr;
}

namespace {

// A label becomes the only member of the current staff's object list. The label it
// replaces is released (never the same object twice).
void InsertStaffLabel(ScoreView* view, ScoreObject* label) {
    StaffRecord* staff = view->currentStaffRecord;
    if (staff == nullptr) return;
    if (!staff->objects) {
        ScoreObject* head = AllocRootObject();
        if (head == nullptr) return;
        staff->objects = Ref32<ScoreObject>::To(head);
    }
    ScoreObject* head = staff->objects.get();
    ScoreObject* old = head->next.get();
    label->next = Ref32<ScoreObject>{};
    label->prev = staff->objects;
    head->next = Ref32<ScoreObject>::To(label);
    while (old != nullptr && old != label) {
        ScoreObject* after = old->next.get();
        SelectionState* selection = State().documents.Selection;
        if (selection != nullptr && selection->focusedObject.get() == old) EndFocus(view, 0);
        old->prev = Ref32<ScoreObject>{};
        old->next = Ref32<ScoreObject>{};
        ReleaseObjectByType(view->document, old);
        old = after;
    }
}

}  // namespace

void InsertObjectBySubtype(ScoreView* view, ScoreObject* object) {
    if (object == nullptr || view == nullptr) return;
    SetDocumentModified(view->document);
    switch (object->subtype) {
        case SubtypeCode(ObjectSubtype::MeasureTimeList):
        case SubtypeCode(ObjectSubtype::MeasureAnchorList):
            if (view->currentCell != nullptr)
                InsertObjectAfter(GetOrCreateCellObjectList(view->currentCell), object);
            break;
        case SubtypeCode(ObjectSubtype::PageList):
            InsertObjectAfter(PageObjectListOf(view), object);
            break;
        case SubtypeCode(ObjectSubtype::StaffLabelList):
            if (object->type == static_cast<uint8_t>(ObjectType::Label))
                InsertStaffLabel(view, object);
            break;
        default:
            break;  // attachments go through AttachObjectToNote
    }
}

int AttachObjectToNote(ScoreView* view, EventRecord* event, ScoreObject* object) {
    if (object == nullptr) {
        ui::Beep(ui::BeepKind::Default);
        return 0;
    }
    if (event == nullptr) return 0;
    if (!event->attachment && CreateAttachmentHead(event) == nullptr) return 0;
    ScoreObject* head = GetEventAttachment(event);
    if (head == nullptr) return 0;
    SetDocumentModified(view != nullptr ? view->document : nullptr);
    InsertObjectAfter(head, object);
    return IsInChain(head, object) ? 1 : 0;
}

}  // namespace ql
