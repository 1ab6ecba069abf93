// Rebuilding the focused object's handle chain in place after a keyed change (see
// handle_refresh.h): a fresh chain from the object's class is compared with the
// held one and either copied into it record by record or put behind its first
// record. Before a commit a fresh chain gives the area the stored object covers.
#include "editing/handle_refresh.h"

#include <algorithm>

#include "core/draw/record_area.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "display/view_location.h"
#include "editing/editing_services.h"
#include "editing/feedback.h"
#include "editing/selection_internal.h"

namespace ql {

using namespace selection;

namespace {

constexpr int kChainLimit = 4096;

bool KeepsOwnHandles(uint8_t type) {
    using T = ObjectType;
    for (T kept : {T::Note, T::Rest, T::Measure, T::Staff, T::Area, T::Tie})
        if (type == TypeCode(kept)) return true;
    return type == kMarqueeType;
}

bool SamePlace(const HitRecord& a, const HitRecord& b) {
    return a.point == b.point && a.outer == b.outer && a.inner == b.inner;
}

// The first record keeps where it was made (the commit anchors the object there);
// its point follows.
void CopyPlace(HitRecord* to, const HitRecord& from, bool first) {
    if (first)
        to->location.point = from.location.point;
    else
        to->location = from.location;
    to->outer = from.outer;
    to->inner = from.inner;
    to->point = from.point;
    to->secondPoint = from.secondPoint;
}

// Whether two chains hold the same kinds of record in the same order, and whether
// every record stands where its partner does.
struct Comparison {
    bool sameKinds = true;
    bool samePlaces = true;
};
Comparison Compare(const HitRecord* held, const HitRecord* fresh) {
    Comparison c;
    int n = 0;
    for (; held != nullptr && fresh != nullptr && n < kChainLimit; held = held->child.get(), fresh = fresh->child.get(), ++n) {
        if (held->kind != fresh->kind) c.sameKinds = false;
        if (!SamePlace(*held, *fresh)) c.samePlaces = false;
    }
    if (held != nullptr || fresh != nullptr) c.sameKinds = false;
    c.samePlaces = c.samePlaces && c.sameKinds;
    return c;
}

void FreeChain(HitRecord* head) {
    if (head == nullptr) return;
    FreeHitRecordChain(head);
    FreeHitRecord(head);
}

// The held chain takes the fresh one's records behind its first record; the
// selection's references into the old records give way to the first record.
void ReplaceTail(SelectionState* s, HitRecord* head, HitRecord* fresh) {
    HitRecord* old = head->child.get();
    for (HitRecord* r = old; r != nullptr; r = r->child.get()) {
        if (s->grabbedRecord.get() == r) SetGrabbedRecord(s, head);
        for (Ref32<HitRecord>* held : {&s->hoverRecord, &s->statusRecord})
            if (held->get() == r) *held = Ref32<HitRecord>::To(head);
    }
    head->child = Ref32<HitRecord>{};
    FreeChain(old);
    HitRecord* tail = fresh->child.get();
    fresh->child = Ref32<HitRecord>{};
    if (tail == nullptr) return;
    head->child = Ref32<HitRecord>::To(tail);
    tail->parent = Ref32<HitRecord>::To(head);
}

// The object's handles as its stored form gives them, built where `head` was made
// (as the selection built them: the view may stand elsewhere, at the pointer). The
// object goes on naming the held chain as its handles, whatever its class does.
HitRecord* FreshHandles(ScoreView* view, ScoreObject* object, const HitRecord* head) {
    const ScopedViewAt at(view, head);
    const Ref32<HitRecord> held = object->handleChain;
    HitRecord* fresh = ClassOf(object).BuildHandles(object, view);
    object->handleChain = held;
    return fresh;
}

// The area keyed changes left behind, in the view they were made in.
struct KeptArea {
    const ScoreView* view = nullptr;
    RecordRect area{};
};
KeptArea g_kept;

// The kept area invalidated in `view` (where it was kept) and forgotten.
void InvalidateKeptArea(ScoreView* view) {
    if (g_kept.view == view) InvalidateRecordArea(view, g_kept.area, true);
    g_kept = {};
}

bool CanRebuild(const ScoreObject* object, const HitRecord* head) {
    return head->owner.get() == object && !KeepsOwnHandles(object->type);
}

}  // namespace

void InvalidateStoredObjectArea(ScoreView* view, ScoreObject* object, const HitRecord* head) {
    if (view == nullptr || object == nullptr || head == nullptr) return;
    InvalidateKeptArea(view);
    if (!CanRebuild(object, head)) return;
    HitRecord* fresh = FreshHandles(view, object, head);
    InvalidateChainArea(view, fresh, true);
    FreeChain(fresh);
}

void KeepFocusedAreaForCommit(ScoreView* view) {
    SelectionState* s = Sel();
    ScoreObject* object = FocusedObject();
    HitRecord* head = s != nullptr ? s->focusRecord.get() : nullptr;
    if (view == nullptr || object == nullptr || head == nullptr || !IsFocused() || !CanRebuild(object, head)) return;
    HitRecord* fresh = FreshHandles(view, object, head);
    if (fresh == nullptr) return;
    const RecordRect r = ChainBounds(fresh);
    FreeChain(fresh);
    if (r.right <= r.left) return;
    if (g_kept.view != view || g_kept.area.right <= g_kept.area.left) {
        g_kept = {view, r};
        return;
    }
    RecordRect& k = g_kept.area;
    k = RecordRect{std::min(k.left, r.left), std::min(k.top, r.top), std::max(k.right, r.right), std::max(k.bottom, r.bottom)};
}

namespace {

// The focused chain rebuilt from the object's stored form; `anyKind` also for the
// objects that keep their own handles, whose chains only take new places.
void Refresh(ScoreView* view, bool redraw, bool anyKind) {
    SelectionState* s = Sel();
    ScoreObject* object = FocusedObject();
    HitRecord* head = s != nullptr ? s->focusRecord.get() : nullptr;
    if (view == nullptr || object == nullptr || head == nullptr || !IsFocused()) return;
    if (anyKind ? head->owner.get() != object : !CanRebuild(object, head)) return;
    HitRecord* fresh = FreshHandles(view, object, head);
    if (fresh == nullptr) return;  // the held handles stay
    const Comparison c = Compare(head, fresh);
    if (!c.samePlaces && (c.sameKinds || !anyKind)) {
        if (redraw) HideFocusFeedback(view);
        CopyPlace(head, *fresh, true);
        if (c.sameKinds) {
            HitRecord* to = head->child.get();
            for (const HitRecord* from = fresh->child.get(); from != nullptr && to != nullptr;
                 from = from->child.get(), to = to->child.get())
                CopyPlace(to, *from, false);
        } else {
            ReplaceTail(s, head, fresh);
        }
        if (redraw) ShowFocusFeedback(view);
    }
    FreeChain(fresh);
}

}  // namespace

void RefreshFocusedHandles(ScoreView* view, bool redraw) {
    Refresh(view, redraw, false);
}

void engine::MoveFocusedHandlesToStoredPlaces(ScoreView* view, bool redraw) {
    Refresh(view, redraw, true);
}

}  // namespace ql
