// The spanner interface's classes (see spanner_interface_class.h): the base table
// over the line operations of spanner_interface.h, and the owners' table that hands
// slots 0-4 and 6-10 to the owner's class (slot 5 stays the base's).
#include "objects/spanners/spanner_interface_class.h"

#include <array>

#include "core/draw/draw_surface.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "layout/system_span.h"
#include "objects/spanners/spanner_interface.h"
#include "platform/win/input.h"

namespace ql {
namespace {

constexpr ObjectType kSpannerOwners[] = {ObjectType::PedalBracket, ObjectType::Widget,
                                         ObjectType::RepeatEnding, ObjectType::Octave,
                                         ObjectType::Tuplet};
constexpr int kMoveHandleIndex = 5;

LogicalPoint HandlePoint(HitRecord* head, int index) {
    HitRecord* hit = SpannerHandle(head, index);
    return hit != nullptr ? hit->point : LogicalPoint{};
}

// The cursor pointing the way a hook runs from `from` to `to`.
void VerticalCursor(LogicalPoint from, LogicalPoint to) {
    const auto shape = from.y >= to.y ? win::SystemCursor::SizeNs : win::SystemCursor::UpArrow;
    win::SetCursor(win::LoadSystemCursor(shape));
}

class OwnerSpannerClass final : public SpannerInterfaceClass {
  public:
    uint32_t GetPayloadSize(SpannerInterface* s) const override { return ClassOf(s->owner.get()).GetBodySize(s->owner.get()); }
    std::byte* GetPayload(SpannerInterface* s) const override { return ClassOf(s->owner.get()).GetBody(s->owner.get()); }
    int IsInsideRect(SpannerInterface* s, const RecordRect& rect, HitRecord* chain) const override {
        return ClassOf(s->owner.get()).HitTest(s->owner.get(), rect, chain);
    }
    void DrawLine(SpannerInterface* s, ScoreView* view) const override { ClassOf(s->owner.get()).Draw(s->owner.get(), view); }
    void DrawTrackingLine(SpannerInterface* s, ScoreView* view) const override {
        ClassOf(s->owner.get()).DrawTracking(s->owner.get(), view);
    }
    void DragAll(SpannerInterface* s, ScoreView* view) const override { ClassOf(s->owner.get()).DragMove(s->owner.get(), view); }
    HitRecord* BuildLineHandles(SpannerInterface* s, ScoreView* view) const override {
        return ClassOf(s->owner.get()).BuildHandles(s->owner.get(), view);
    }
    void TrackHandle(SpannerInterface* s, ScoreView* view) const override { ClassOf(s->owner.get()).TrackDrag(s->owner.get(), view); }
    void SetHandleCursor(SpannerInterface* s, int index) const override {
        ClassOf(s->owner.get()).SetToolCursor(s->owner.get(), index, 0);
    }
    void StepLineWidth(SpannerInterface* s, ScoreView* view, int step) const override {
        ClassOf(s->owner.get()).StepValue(s->owner.get(), view, step);
    }
};

const SpannerInterfaceClass kBaseSpannerClass{};
const OwnerSpannerClass kOwnerSpannerClass{};
std::array<const SpannerInterfaceClass*, kClassIdLimit - kSecondClassBase> g_spannerClasses{};

}  // namespace

uint32_t SpannerInterfaceClass::GetPayloadSize(SpannerInterface*) const {
    return kSpannerEndpointBytes;
}
std::byte* SpannerInterfaceClass::GetPayload(SpannerInterface* spanner) const {
    return reinterpret_cast<std::byte*>(&spanner->endpoint);
}
int SpannerInterfaceClass::IsInsideRect(SpannerInterface*, const RecordRect& rect, HitRecord* chain) const {
    for (int i = 1; i <= kSpannerPointCount; ++i) {
        HitRecord* hit = SpannerHandle(chain, i);
        if (hit == nullptr) return 0;
        const LogicalPoint p = hit->point;
        if (!(rect.left < p.x && p.x < rect.right && rect.top < p.y && p.y < rect.bottom)) return 0;
    }
    return 1;
}
void SpannerInterfaceClass::DrawLine(SpannerInterface* spanner, ScoreView* view) const {
    DrawSpannerLine(spanner, view);
}
void SpannerInterfaceClass::DrawTrackingLine(SpannerInterface* spanner, ScoreView* view) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* head = selection != nullptr ? selection->focusRecord.get() : nullptr;
    if (head == nullptr) return;
    gfx::Point path[kSpannerPointCount];
    SpannerPathPoints(*spanner, SpannerPointsOfHandles(head), path);
    BeginViewDraw(view);
    if (view->ViewDC) DrawSplitPolyline(view, path, kSpannerPointCount);
    EndViewDraw(view);
}
LocationRecord SpannerInterfaceClass::StoreHandlePoints(SpannerInterface* spanner, ScoreView* view) const {
    LocationRecord start{};
    SelectionState* selection = TheSelectionState();
    HitRecord* head = selection != nullptr ? selection->focusRecord.get() : nullptr;
    if (head != nullptr) EncodeSpannerPoints(spanner, &start, view, SpannerPointsOfHandles(head));
    start.point = LogicalPoint{};
    return start;
}
void SpannerInterfaceClass::DragAll(SpannerInterface*, ScoreView*) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* head = selection != nullptr ? selection->focusRecord.get() : nullptr;
    if (head == nullptr) return;
    const LogicalPoint delta{selection->dragOffsetX, selection->dragOffsetY};
    for (HitRecord* hit = head->child.get(); hit != nullptr; hit = hit->child.get()) OffsetHitRecord(hit, delta);
}
HitRecord* SpannerInterfaceClass::BuildLineHandles(SpannerInterface* spanner, ScoreView* view) const {
    return ::ql::BuildLineHandles(spanner, view);
}
void SpannerInterfaceClass::TrackHandle(SpannerInterface* spanner, ScoreView* view) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* head = selection != nullptr ? selection->focusRecord.get() : nullptr;
    HitRecord* grabbed = selection != nullptr ? selection->grabbedRecord.get() : nullptr;
    if (head == nullptr || grabbed == nullptr) return;
    TrackSpannerHandle(*spanner, view, head, grabbed->kind,
                       LogicalPoint{selection->dragOffsetX, selection->dragOffsetY}, !CtrlHeld());
}
void SpannerInterfaceClass::SetHandleCursor(SpannerInterface*, int index) const {
    SelectionState* selection = TheSelectionState();
    // A labelled line's chain starts with its label's records: the line's own start.
    HitRecord* head = selection != nullptr ? selection->focusRecord.get() : nullptr;
    while (head != nullptr && head->kind != kSpannerHeadKind) head = head->child.get();
    const int other[] = {0, 2, 1, 4, 3};  // the hook point each end handle is read against
    if (head != nullptr && index >= 1 && index <= kSpannerPointCount) {
        VerticalCursor(HandlePoint(head, index), HandlePoint(head, other[index]));
        return;
    }
    const auto shape = index == kMoveHandleIndex ? win::SystemCursor::SizeAll : win::SystemCursor::SizeNs;
    win::SetCursor(win::LoadSystemCursor(shape));
}
void SpannerInterfaceClass::StepLineWidth(SpannerInterface* spanner, ScoreView*, int step) const {
    ::ql::StepLineWidth(spanner, step);
}

const SpannerInterfaceClass& BaseSpannerInterfaceClass() {
    return kBaseSpannerClass;
}

const SpannerInterfaceClass& SpannerClassOf(const SpannerInterface* spanner) {
    const ClassId id = spanner != nullptr ? spanner->interfaceClass : kNoClass;
    if (id < kSecondClassBase || id >= kClassIdLimit) return kBaseSpannerClass;
    const SpannerInterfaceClass* cls = g_spannerClasses[id - kSecondClassBase];
    return cls != nullptr ? *cls : kBaseSpannerClass;
}

void RegisterSpannerInterfaceClasses() {
    for (ObjectType type : kSpannerOwners) g_spannerClasses[SecondClassOfType(type) - kSecondClassBase] = &kOwnerSpannerClass;
}

}  // namespace ql
