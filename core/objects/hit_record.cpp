// HitRecord construction, geometry and list links. Records come from static pool 0;
// a record's location is taken from the view it is built in. List operations never
// touch the head and tail records embedded in the SelectionState except as anchors.
#include "core/objects/hit_record.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"

namespace ql {

namespace {

constexpr int kOuterFactor = 2;  // the pick rectangle is twice the handle half size

RecordRect Square(int32_t x, int32_t y, int32_t half) {
    return RecordRect{x - half, y - half, x + half, y + half};
}

void ZeroRecord(HitRecord* hit) {
    *hit = HitRecord{};
}

void SetLocationFromView(HitRecord* hit, const ScoreView* view, LogicalPoint point) {
    hit->location.location = ObjectLocation{};
    if (view != nullptr) {
        hit->location.location.position = view->positionWord;
        hit->location.location.staff = static_cast<uint8_t>(view->currentStaff);
        hit->location.location.measure = static_cast<uint16_t>(view->currentMeasure);
    }
    hit->location.point = point;
}

void SetPoints(HitRecord* hit, LogicalPoint point) {
    hit->point = point;
    hit->secondPoint = point;
    hit->location.point = point;
}

void MarkLive(HitRecord* hit) {
    hit->flags = static_cast<uint16_t>((hit->flags | kHitFlagLive) &
                                       ~(kHitFlagConstructorClear | kHitFlagUnlinked));
}

HitRecord* LastOfChain(HitRecord* chain) {
    HitRecord* last = chain;
    while (HitRecord* next = last->next.get()) {
        if (next == chain) break;  // a damaged circular chain ends here
        last = next;
    }
    return last;
}

bool IsWellOrdered(const RecordRect& outer, const RecordRect& inner) {
    return outer.right > outer.left && outer.bottom > outer.top && inner.right >= inner.left &&
           inner.bottom >= inner.top;
}

}  // namespace

int32_t HandleSize() {
    return State().drawing.HandleSize;
}
void SetHandleSize(int32_t logicalUnits) {
    State().drawing.HandleSize = logicalUnits;
}

void SetHandleRects(uint8_t style, int32_t x, int32_t y, RecordRect& outer, RecordRect& inner,
                    bool force) {
    if (!force && IsWellOrdered(outer, inner)) return;
    if (style == kHitStyleEmpty) {
        outer = RecordRect{};
        inner = RecordRect{};
        return;
    }
    int32_t h = HandleSize();
    outer = Square(x, y, kOuterFactor * h);
    inner = style == kHitStyleOuterOnly ? outer : Square(x, y, h);
}

void ConstructHitRecordAtPoint(HitRecord* hit, const ScoreView* view, uint8_t kind,
                               LogicalPoint point) {
    ZeroRecord(hit);
    MarkLive(hit);
    hit->kind = kind;
    hit->style = kHitStyleDefault;
    SetPoints(hit, point);
    SetHandleRects(kHitStyleDefault, point.x, point.y, hit->outer, hit->inner, true);
    SetLocationFromView(hit, view, point);
}

void ConstructHitRecordAtPointEx(HitRecord* hit, const ScoreView* view, uint8_t kind,
                                 LogicalPoint point, int32_t half) {
    ConstructHitRecordAtPoint(hit, view, kind, point);
    hit->outer = Square(point.x, point.y, kOuterFactor * half);
    hit->inner = Square(point.x, point.y, half);
}

void ConstructHitRecordWithOwner(HitRecord* hit, const ScoreView* view, uint8_t kind,
                                 LogicalPoint point, HitRecord* parent) {
    ConstructHitRecordAtPoint(hit, view, kind, point);
    if (parent == nullptr) return;
    hit->parent = Ref32<HitRecord>::To(parent);
    parent->child = Ref32<HitRecord>::To(hit);
}

void ConstructHitRecordFlagged(HitRecord* hit, const ScoreView* view, uint8_t kind,
                               const RecordRect& rect) {
    ZeroRecord(hit);
    hit->flags = kHitFlagLive;
    hit->kind = kind;
    hit->style = kHitStyleDefault;
    LogicalPoint centre{rect.left + ((rect.right - rect.left) >> 1),
                        rect.top + ((rect.bottom - rect.top) >> 1)};
    SetPoints(hit, centre);
    hit->outer = rect;
    hit->inner = rect;
    SetLocationFromView(hit, view, centre);
}

void InitHitRecordBasic(HitRecord* hit, const ScoreView* view) {
    hit->child = Ref32<HitRecord>{};
    hit->kind = kHitKindBasic;
    hit->style = kHitStyleDefault;
    MarkLive(hit);
    SetLocationFromView(hit, view, view != nullptr ? view->pointerPoint : hit->location.point);
}

void SetHitRecordPoint(HitRecord* hit, LogicalPoint point) {
    SetPoints(hit, point);
    hit->flags = static_cast<uint16_t>((hit->flags | kHitFlagLive) & ~kHitFlagUnlinked);
    SetHandleRects(hit->style, point.x, point.y, hit->outer, hit->inner, false);
}

void CenterHitRecordOnRect(HitRecord* hit, const RecordRect* rect) {
    if (rect == nullptr) return;
    LogicalPoint centre{rect->left + (rect->right - rect->left) / 2,
                        rect->top + (rect->bottom - rect->top) / 2};
    SetPoints(hit, centre);
    hit->outer = *rect;
    hit->inner = *rect;
}

void PlaceHitRecord(HitRecord* hit, LogicalPoint point, int32_t half) {
    SetPoints(hit, point);
    hit->outer = Square(point.x, point.y, kOuterFactor * half);
    hit->inner = Square(point.x, point.y, half);
}

void OffsetHitRecord(HitRecord* hit, LogicalPoint delta) {
    auto shift = [&](RecordRect& r) {
        r = RecordRect{r.left + delta.x, r.top + delta.y, r.right + delta.x, r.bottom + delta.y};
    };
    hit->point = LogicalPoint{hit->point.x + delta.x, hit->point.y + delta.y};
    hit->secondPoint = LogicalPoint{hit->secondPoint.x + delta.x, hit->secondPoint.y + delta.y};
    shift(hit->outer);
    shift(hit->inner);
    hit->location.point = hit->point;
}

bool HitRecordContainsPoint(const HitRecord* hit, LogicalPoint point) {
    const RecordRect& r = hit->outer;
    return point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom;
}

HitRecord* GetHitRecordChild(const HitRecord* hit) {
    return hit->child.get();
}

void AppendHitRecord(HitRecord* anchor, HitRecord* chain) {
    if (anchor == nullptr || chain == nullptr || chain == anchor) return;
    HitRecord* last = LastOfChain(chain);
    HitRecord* before = anchor->prev.get();
    if (before != nullptr) before->next = Ref32<HitRecord>::To(chain);
    chain->prev = Ref32<HitRecord>::To(before);
    last->next = Ref32<HitRecord>::To(anchor);
    anchor->prev = Ref32<HitRecord>::To(last);
}

void LinkHitRecordAfter(HitRecord* anchor, HitRecord* chain) {
    if (anchor == nullptr || chain == nullptr || chain == anchor) return;
    HitRecord* last = LastOfChain(chain);
    HitRecord* after = anchor->next.get();
    if (after != nullptr) after->prev = Ref32<HitRecord>::To(last);
    last->next = Ref32<HitRecord>::To(after);
    chain->prev = Ref32<HitRecord>::To(anchor);
    anchor->next = Ref32<HitRecord>::To(chain);
}

void UnlinkHitRecord(HitRecord* hit) {
    if (hit == nullptr || TheSelectionState() == nullptr || IsSelectionListEnd(hit)) return;
    HitRecord* before = hit->prev.get();
    HitRecord* after = hit->next.get();
    if (before != nullptr) before->next = Ref32<HitRecord>::To(after);
    if (after != nullptr) after->prev = Ref32<HitRecord>::To(before);
    hit->flags |= kHitFlagUnlinked;
    hit->next = Ref32<HitRecord>{};
    hit->prev = Ref32<HitRecord>{};
}

void ReplaceHitRecord(HitRecord* oldRecord, HitRecord* newRecord) {
    if (oldRecord == nullptr || newRecord == nullptr || oldRecord == newRecord) return;
    HitRecord* before = oldRecord->prev.get();
    HitRecord* after = oldRecord->next.get();
    newRecord->prev = oldRecord->prev;
    newRecord->next = oldRecord->next;
    if (before != nullptr) before->next = Ref32<HitRecord>::To(newRecord);
    if (after != nullptr) after->prev = Ref32<HitRecord>::To(newRecord);
    oldRecord->flags |= kHitFlagUnlinked;
}

// Depth first: the far end of the child chain is freed first. The records embedded
// in the SelectionState are never freed (they are not pool records).
void FreeHitRecordChain(HitRecord* hit) {
    if (hit == nullptr) return;
    std::vector<HitRecord*> children;
    for (HitRecord* child = hit->child.get(); child != nullptr; child = child->child.get()) {
        if (child == hit || std::find(children.begin(), children.end(), child) != children.end())
            break;  // a damaged circular chain ends here
        children.push_back(child);
    }
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        (*it)->child = Ref32<HitRecord>{};
        (*it)->flags |= kHitFlagUnlinked;
        FreeHitRecord(*it);
    }
    hit->child = Ref32<HitRecord>{};
    hit->flags |= kHitFlagUnlinked;
}

HitRecord* AllocHitRecord() {
    auto* hit = static_cast<HitRecord*>(AllocStaticRecord(kHitRecordPool));
    if (hit != nullptr) ZeroRecord(hit);
    return hit;
}

void FreeHitRecord(HitRecord* hit) {
    if (hit == nullptr || IsSelectionListEnd(hit)) return;
    FreeStaticRecord(kHitRecordPool, hit);
}

}  // namespace ql
