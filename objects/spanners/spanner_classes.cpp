// The spanner classes (see spanner_classes.h). The line operations are those of
// spanner_interface.h; the labelled classes add the label through the text family.
// The dialogs are in bracket_dialogs.cpp and repeat_ending_dialog.cpp.
#include "objects/spanners/spanner_classes.h"

#include <algorithm>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/objects/object_classes.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/ui/tool_services.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "display/view_modes.h"
#include "layout/system_span.h"
#include "objects/curves/curve_interface.h"
#include "objects/object_services.h"
#include "objects/spanners/repeat_ending_list.h"
#include "objects/spanners/spanner_interface.h"
#include "objects/spanners/spanner_interface_class.h"
#include "objects/spanners/spanner_objects.h"

namespace ql {
namespace {

constexpr int32_t kDefaultSpannerWidth = 2048;
constexpr int32_t kWicketteHookHeight = 128;
constexpr int32_t kLabelledHookHeight = 256;
constexpr int32_t kLabelShiftRight = 192;
constexpr int32_t kWidgetNoteLift = 256;
constexpr int32_t kOctaveHighestClick = 640;  // a lower click is moved up ...
constexpr int32_t kOctaveClickHeight = 512;   // ... to this height above the staff
constexpr int32_t kOctaveEndHookDrop = 128;
constexpr int32_t kOctaveLabelLeft = 320;
constexpr int32_t kOctaveLabelUp = 128;
constexpr int32_t kEndingHighestClick = 640;
constexpr int32_t kEndingBarlineGap = 128;
constexpr uint8_t kNoteKind = 3;
constexpr uint8_t kPageKind = 1;
constexpr uint8_t kTimeKind = 0;
constexpr uint8_t kDashedStyle = 1;
constexpr uint8_t kProgramTextStyle = 1;
constexpr int16_t kWidgetTextSize = 342;
constexpr int16_t kEndingTextSize = 320;
constexpr uint16_t kOctaveBelowFlags = 0x0300;  // text flag bits 8 and 9
constexpr uint16_t kOctaveBelowFlag = 0x0100;
constexpr uint16_t kEndingFlagsSet = 0x000C;  // text flag bits 2 and 3
inline constexpr char kWidgetLabel[] = "R.H.";
constexpr uint16_t kFirstEndingLabel = '1';

bool IsHiddenPageObject(const ScoreObject* object, const ScoreView* view) {
    return object->subtype == kPageKind && (view == nullptr || !view->pageView);
}

// The first record of the line's handle chain inside an object's chain.
HitRecord* LineHead(ScoreObject* object) {
    for (HitRecord* hit = HandleChainOf(object); hit != nullptr; hit = hit->child.get())
        if (hit->kind == kSpannerHeadKind && hit->owner.get() == object) return hit;
    return nullptr;
}

// The line's head in a chain (from `chain` when given, else the object's chain).
HitRecord* LineHeadFrom(ScoreObject* object, HitRecord* chain) {
    if (chain == nullptr) return LineHead(object);
    for (HitRecord* hit = chain; hit != nullptr; hit = hit->child.get())
        if (hit->kind == kSpannerHeadKind && hit->owner.get() == object) return hit;
    return nullptr;
}

int InsideLineHandles(ScoreObject* object, const RecordRect& rect, HitRecord* chain) {
    HitRecord* head = LineHeadFrom(object, chain);
    if (head == nullptr) return 0;
    for (int i = 1; i <= kSpannerPointCount; ++i) {
        HitRecord* hit = SpannerHandle(head, i);
        if (hit == nullptr) return 0;
        const LogicalPoint p = hit->point;
        if (!(rect.left < p.x && p.x < rect.right && rect.top < p.y && p.y < rect.bottom)) return 0;
    }
    return 1;
}

// The grabbed line handle's index (1..5), or 0 when the grabbed record is not one.
int GrabbedLineIndex(ScoreObject* object) {
    SelectionState* selection = TheSelectionState();
    HitRecord* grabbed = selection != nullptr ? selection->grabbedRecord.get() : nullptr;
    HitRecord* head = LineHead(object);
    if (grabbed == nullptr || head == nullptr) return 0;
    for (int i = 1; i < kSpannerHandleCount; ++i)
        if (SpannerHandle(head, i) == grabbed) return i;
    return 0;
}

void TrackLine(ScoreObject* object, ScoreView* view, int index, bool octave) {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr) return;
    TrackSpannerHandle(*SpannerOf(object), view, LineHead(object), index,
                       LogicalPoint{selection->dragOffsetX, selection->dragOffsetY}, !CtrlHeld(), octave);
}

// Moves `first` and every record after it in its chain by the drag offset.
void MoveChainFrom(HitRecord* first) {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr) return;
    const LogicalPoint delta{selection->dragOffsetX, selection->dragOffsetY};
    for (HitRecord* hit = first; hit != nullptr; hit = hit->child.get()) OffsetHitRecord(hit, delta);
}

// The line's handles after its head record.
void MoveLineHandles(ScoreObject* object) {
    HitRecord* head = LineHead(object);
    if (head != nullptr) MoveChainFrom(head->child.get());
}

// Stores the points and anchors a new spanner: on the note under the pointer
// (kind 3) when there is one, else in the view's kind, inserted by subtype.
bool PlaceNewSpanner(ScoreObject* object, ScoreView* view, const SpannerPoints& points, EventRecord* note) {
    if (note != nullptr) {
        object->subtype = kNoteKind;
        if (AttachObjectToNote(view, note, object) == 0) return false;
        EncodeSpannerPoints(SpannerOf(object), nullptr, view, points);
        return true;
    }
    object->subtype = IsPageLayout(view) ? kPageKind : kTimeKind;
    EncodeSpannerPoints(SpannerOf(object), nullptr, view, points);
    InsertObjectBySubtype(view, object);
    return true;
}

bool CanCreate(const ScoreView* view) {
    return view != nullptr && view->document != nullptr &&
           (view->document->header.staffCount != 0 || view->pageView);
}

void AnchorLabelAt(ScoreObject* object, ScoreView* view, LogicalPoint at) {
    TextObject* label = AsTextObject(object);
    if (object->subtype == kNoteKind) {
        PointToNoteAnchor(view, object, &label->body.location, at);
        return;
    }
    EncodeAnchors(view, nullptr, object->subtype == kPageKind ? kPageKind : kTimeKind, &label->body.location, &at, 1);
}

// A labelled spanner's commit: the line as CommitSpannerDrag stores it, then the
// label's anchor moved as far as its handle (the first of the chain) was, found from
// the handle's own place; the label's drag image goes. The handle stands at the
// centre of the label's rectangle, the anchor on its baseline: the lift between them,
// taken before the line moves the object, keeps a label let go of where it was.
// 1 when anything was stored.
int CommitLabelledDrag(ScoreObject* object, ScoreView* view) {
    TheTextObjectClass().ReleaseCache(object, view);
    HitRecord* handle = HandleChainOf(object);
    const bool labelled = handle != nullptr && handle != LineHead(object) && view != nullptr;
    LogicalPoint lift{};
    if (labelled) {
        const ScopedViewAt at(view, handle);
        lift = TextHandleLift(object, view, *handle);
    }
    const int line = CommitSpannerDrag(object, view);
    if (!labelled) return line;
    TextObject* label = AsTextObject(object);
    const ObjectLocation before = label->body.location;
    {
        const ScopedViewAt at(view, handle);
        AnchorLabelAt(object, view, LogicalPoint{handle->point.x - lift.x, handle->point.y - lift.y});
    }
    return line != 0 || CompareObjectLocations(before, label->body.location) != 0 ? 1 : 0;
}

// Drag feedback: the four handle points as one line split at the system's end, in
// the colours the mouse processing selected (drawn twice it is gone again).
void DrawLineTracking(ScoreObject* object, ScoreView* view) {
    HitRecord* head = LineHead(object);
    if (head == nullptr || view == nullptr || IsHiddenPageObject(object, view)) return;
    const SpannerPoints points = SpannerPointsOfHandles(head);
    gfx::Point path[kSpannerPointCount];
    SpannerPathPoints(*SpannerOf(object), points, path);
    BeginViewDraw(view);
    if (view->ViewDC) DrawSplitPolyline(view, path, kSpannerPointCount);
    EndViewDraw(view);
}

bool IsHiddenLabel(ScoreObject* object) {
    return (AsTextObject(object)->body.flags & kTextHidden) != 0;
}

bool HiddenItemsShown() {
    return State().notes.DisplayHiddenItems != 0 && !IsPrinting();
}

// A labelled spanner's drag feedback: the label's image at its record, then the
// line (drawn twice it is gone again).
void DrawLabelledTracking(ScoreObject* object, ScoreView* view) {
    if (view == nullptr || IsHiddenPageObject(object, view)) return;
    TheTextObjectClass().DrawTracking(object, view);
    DrawLineTracking(object, view);
}

// ---- Wickette ----

class WicketteClass final : public ScoreObjectClass {
  public:
    std::byte* GetBody(ScoreObject* object) const override {
        return reinterpret_cast<std::byte*>(&AsWickette(object)->spanner.endpoint);
    }
    uint32_t GetBodySize(const ScoreObject*) const override { return kSpannerEndpointBytes; }
    int32_t GetAnchorWord(const ScoreObject* object) const override {
        return reinterpret_cast<const Wickette*>(object)->spanner.endpoint.start.coarse[1];
    }
    int HitTest(ScoreObject* object, const RecordRect& rect, HitRecord* chain) const override {
        return InsideLineHandles(object, rect, chain);
    }
    void DrawTracking(ScoreObject* object, ScoreView* view) const override { DrawLineTracking(object, view); }
    void EraseTracking(ScoreObject* object, ScoreView* view) const override { DrawLineTracking(object, view); }
    void Measure(ScoreObject*, ScoreView*) const override {}
    void Draw(ScoreObject* object, ScoreView* view) const override {
        if (!IsHiddenPageObject(object, view)) DrawSpannerLine(SpannerOf(object), view);
    }
    ScoreObject* CreateAtClick(ScoreObject*, ScoreView* view) const override {
        return CreateWicketteAtClick(view, State().input.WicketteHookFirst);
    }
    int EditAttributes(ScoreObject*, ScoreView*) const override { return 0; }
    int CommitDrag(ScoreObject* object, ScoreView* view) const override { return CommitSpannerDrag(object, view); }
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override {
        SpannerInterface* spanner = SpannerOf(object);
        if (object->subtype == kNoteKind && ClassOf(object).GetOwnerNote(object) == nullptr) object->subtype = kTimeKind;
        return BuildLineHandles(spanner, view);
    }
    void TrackDrag(ScoreObject* object, ScoreView* view) const override {
        if (int index = GrabbedLineIndex(object)) TrackLine(object, view, index, false);
    }
    void DragMove(ScoreObject* object, ScoreView*) const override { MoveLineHandles(object); }
    void StepValue(ScoreObject* object, ScoreView*, int step) const override { StepLineWidth(SpannerOf(object), step); }
    void SetToolCursor(ScoreObject* object, int32_t index, int32_t kind) const override {
        BaseSpannerInterfaceClass().SetHandleCursor(SpannerOf(object), SpannerHandleIndex(index, kind));
    }
    ScoreObject* Clone(ScoreObject* object, ScoreView*, PoolSet, PoolSet target) const override {
        ScopedPoolSet allocating(target);
        auto* copy = static_cast<ScoreObject*>(AllocRecord(kTextObjectPool));
        if (copy == nullptr) return nullptr;
        ConstructWickette(copy);
        AsWickette(copy)->spanner.endpoint = AsWickette(object)->spanner.endpoint;
        copy->subtype = object->subtype;
        return copy;
    }
};

// ---- The labelled spanners ----

class LabelledSpannerClass : public TextObjectClass {
  public:
    int32_t GetAnchorWord(const ScoreObject* object) const override {
        const SpannerInterface* spanner = SpannerOf(const_cast<ScoreObject*>(object));
        return std::min<int32_t>(TextObjectClass::GetAnchorWord(object), spanner->endpoint.start.coarse[1]);
    }
    int HitTest(ScoreObject* object, const RecordRect& rect, HitRecord* chain) const override {
        return InsideLineHandles(object, rect, chain);
    }
    void DrawTracking(ScoreObject* object, ScoreView* view) const override { DrawLabelledTracking(object, view); }
    void EraseTracking(ScoreObject* object, ScoreView* view) const override { DrawLabelledTracking(object, view); }
    // A hidden one shows only while hidden items are displayed, in their colours.
    void Draw(ScoreObject* object, ScoreView* view) const override {
        if (view == nullptr || IsHiddenPageObject(object, view)) return;
        const bool hidden = IsHiddenLabel(object);
        if (hidden && !HiddenItemsShown()) return;
        BeginViewDraw(view);
        if (hidden && view->ViewDC) BeginHighlightDrawAlt(view);
        DrawSpannerLine(SpannerOf(object), view);
        TextObjectClass::Draw(object, view);
        if (hidden && view->ViewDC) EndHighlightDraw(view);
        EndViewDraw(view);
    }
    int CommitDrag(ScoreObject* object, ScoreView* view) const override { return CommitLabelledDrag(object, view); }
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override;
    void TrackDrag(ScoreObject* object, ScoreView* view) const override {
        if (int index = GrabbedLineIndex(object))
            TrackLine(object, view, index, false);
        else
            TextObjectClass::TrackDrag(object, view);
    }
    // The middle handle takes the label and the line along, each record once.
    void DragMove(ScoreObject* object, ScoreView*) const override { MoveChainFrom(HandleChainOf(object)); }
    void StepValue(ScoreObject* object, ScoreView* view, int step) const override {
        if (GrabbedLineIndex(object) == 0)
            TextObjectClass::StepValue(object, view, step);
        else
            StepLineWidth(SpannerOf(object), step);
    }
    int EditAttributes(ScoreObject* object, ScoreView* view) const override {
        return RunBracketDialog(object, view);
    }
    void SetToolCursor(ScoreObject* object, int32_t index, int32_t kind) const override {
        const int handle = SpannerHandleIndex(index, kind);
        if (handle <= 0)
            TextObjectClass::SetToolCursor(object, index, kind);
        else
            BaseSpannerInterfaceClass().SetHandleCursor(SpannerOf(object), handle);
    }
};

HitRecord* LabelledSpannerClass::BuildHandles(ScoreObject* object, ScoreView* view) const {
    HitRecord* label = TextObjectClass::BuildHandles(object, view);
    if (label == nullptr) return nullptr;
    if (object->subtype == kNoteKind && ClassOf(object).GetOwnerNote(object) == nullptr) object->subtype = kTimeKind;
    HitRecord* line = BuildLineHandles(SpannerOf(object), view);
    if (line == nullptr) {
        FreeHitRecordChain(label);
        FreeHitRecord(label);
        return nullptr;
    }
    // Hidden and not shown, the line can be taken only at its label.
    if (IsHiddenLabel(object) && !HiddenItemsShown())
        for (HitRecord* hit = line; hit != nullptr; hit = hit->child.get()) {
            hit->outer = label->outer;
            hit->inner = label->inner;
            hit->point = label->point;
            hit->secondPoint = label->secondPoint;
        }
    HitRecord* last = label;
    while (last->child.get() != nullptr) last = last->child.get();
    last->child = Ref32<HitRecord>::To(line);
    line->parent = Ref32<HitRecord>::To(last);
    return label;
}

// A copy of a labelled spanner with its label duplicated; null (and nothing left)
// when the label's string cannot be copied.
ScoreObject* CloneLabelled(ScoreObject* object, PoolSet source, PoolSet target, void (*construct)(ScoreObject*)) {
    ScopedPoolSet allocating(target);
    auto* copy = static_cast<ScoreObject*>(AllocRecord(kLargeObjectPool));
    if (copy == nullptr) return nullptr;
    construct(copy);
    if (CopyTextObjectBody(AsTextObject(copy), AsTextObject(object)->body, source, target) == 0) {
        DestroyTextObject(AsTextObject(copy));
        FreeRecord(kLargeObjectPool, copy);
        return nullptr;
    }
    SpannerOf(copy)->endpoint = SpannerOf(object)->endpoint;
    copy->type = object->type;
    copy->subtype = object->subtype;
    return copy;
}

class WidgetBracketClass final : public LabelledSpannerClass {
  public:
    ScoreObject* CreateAtClick(ScoreObject*, ScoreView* view) const override { return CreateWidgetBracketAtClick(view); }
    ScoreObject* Clone(ScoreObject* object, ScoreView*, PoolSet source, PoolSet target) const override {
        return CloneLabelled(object, source, target, &ConstructWidgetBracket);
    }
};

class OctaveLineClass final : public LabelledSpannerClass {
  public:
    ScoreObject* CreateAtClick(ScoreObject*, ScoreView* view) const override { return CreateOctaveLineAtClick(view); }
    int CommitDrag(ScoreObject* object, ScoreView* view) const override {
        const int result = CommitLabelledDrag(object, view);
        FollowOctaveHook(object);
        return result;
    }
    void TrackDrag(ScoreObject* object, ScoreView* view) const override {
        if (int index = GrabbedLineIndex(object))
            TrackLine(object, view, index, true);
        else
            TextObjectClass::TrackDrag(object, view);
    }
    ScoreObject* Clone(ScoreObject* object, ScoreView*, PoolSet source, PoolSet target) const override {
        return CloneLabelled(object, source, target, &ConstructOctaveLine);
    }
};

class RepeatEndingClass final : public LabelledSpannerClass {
  public:
    uint32_t GetBodySize(const ScoreObject*) const override { return 0; }
    ScoreObject* CreateAtClick(ScoreObject*, ScoreView* view) const override { return CreateRepeatEndingAtClick(view); }
    int EditAttributes(ScoreObject* object, ScoreView* view) const override {
        return RunRepeatEndingDialog(object, view);
    }
    int CommitDrag(ScoreObject* object, ScoreView* view) const override {
        FreeRepeatEndingList(view != nullptr ? view->document : nullptr);
        return CommitLabelledDrag(object, view);
    }
    void TrackDrag(ScoreObject* object, ScoreView* view) const override {
        AsRepeatEnding(object)->further[1] = 0;
        LabelledSpannerClass::TrackDrag(object, view);
    }
    int HandleDrop(ScoreObject* object, ScoreView* view, ScoreObject* target, HitRecord* hit) const override {
        FreeRepeatEndingList(view != nullptr ? view->document : nullptr);
        return LabelledSpannerClass::HandleDrop(object, view, target, hit);
    }
    ScoreObject* Clone(ScoreObject* object, ScoreView* view, PoolSet source, PoolSet target) const override {
        ScoreObject* copy = CloneLabelled(object, source, target, &ConstructRepeatEnding);
        if (copy == nullptr) return nullptr;
        const RepeatEndingObject* from = AsRepeatEnding(object);
        RepeatEndingObject* to = AsRepeatEnding(copy);
        to->span = from->span;
        std::copy(from->passes, from->passes + 4, to->passes);
        to->further[0] = from->further[0];
        to->further[1] = from->further[1];
        FreeRepeatEndingList(view != nullptr ? view->document : nullptr);
        return copy;
    }
};

const WicketteClass kWicketteClass{};
const WidgetBracketClass kWidgetBracketClass{};
const OctaveLineClass kOctaveLineClass{};
const RepeatEndingClass kRepeatEndingClass{};
const LabelledSpannerClass kLabelledSpannerOperations{};

}  // namespace

int CommitSpannerDrag(ScoreObject* object, ScoreView* view) {
    HitRecord* head = LineHead(object);
    SpannerInterface* spanner = SpannerOf(object);
    if (head == nullptr || spanner == nullptr || view == nullptr) return 0;
    LocationRecord start{};
    {
        // A line on a note stores offsets from the note as the view finds it: at the
        // measure the handles were made at, wherever the click that ends the drag is.
        const ScopedViewAt at(object->subtype == kNoteKind ? view : nullptr, head);
        EncodeSpannerPoints(spanner, &start, view, SpannerPointsOfHandles(head));
    }
    if (object->subtype == kPageKind) return 1;
    MoveObjectToStartCell(object, view, start, head);
    return 1;
}

ScoreObject* CreateWicketteAtClick(ScoreView* view, bool hookFirst) {
    if (!CanCreate(view)) return nullptr;
    auto* object = static_cast<ScoreObject*>(AllocRecord(kTextObjectPool));
    if (object == nullptr) return nullptr;
    ConstructWickette(object);
    SpannerInterface* spanner = SpannerOf(object);
    SpannerPoints points{};
    InitSpannerInterface(spanner, view, &points, kDefaultSpannerWidth, kWicketteHookHeight,
                         CurveLineValuesOf(view->document).defaultLineWidth);
    if (hookFirst) spanner->endpoint.style = kSpannerHookFirstStyle;
    if (!PlaceNewSpanner(object, view, points, HitTestSelectedVoice(view))) {
        FreeRecord(kTextObjectPool, object);
        return nullptr;
    }
    return object;
}

namespace {

// A labelled spanner's record with its line at the pointer; null when none can be had.
ScoreObject* NewLabelledSpanner(ScoreView* view, void (*construct)(ScoreObject*), SpannerPoints* points) {
    auto* object = static_cast<ScoreObject*>(AllocRecord(kLargeObjectPool));
    if (object == nullptr) return nullptr;
    construct(object);
    InitSpannerInterface(SpannerOf(object), view, points, kDefaultSpannerWidth, kLabelledHookHeight,
                         CurveLineValuesOf(view->document).defaultLineWidth);
    return object;
}

void FreeLabelled(ScoreObject* object) {
    DestroyTextObject(AsTextObject(object));
    FreeRecord(kLargeObjectPool, object);
}

// Restores the view's pointer on every path.
class PointerScope {
  public:
    explicit PointerScope(ScoreView* view) : view_(view), saved_(view->pointerPoint) {}
    ~PointerScope() { view_->pointerPoint = saved_; }
    PointerScope(const PointerScope&) = delete;
    PointerScope& operator=(const PointerScope&) = delete;

  private:
    ScoreView* view_;
    LogicalPoint saved_;
};

}  // namespace

ScoreObject* CreateWidgetBracketAtClick(ScoreView* view) {
    if (!CanCreate(view)) return nullptr;
    PointerScope pointer(view);
    EventRecord* note = HitTestSelectedVoice(view);
    if (note != nullptr) view->pointerPoint.y -= kWidgetNoteLift;
    SpannerPoints points{};
    ScoreObject* object = NewLabelledSpanner(view, &ConstructWidgetBracket, &points);
    if (object == nullptr) return nullptr;
    TextObject* label = AsTextObject(object);
    if (SetTextObjectString(label, kWidgetLabel) < 0) {
        FreeLabelled(object);
        return nullptr;
    }
    label->body.flags = static_cast<uint16_t>((label->body.flags | kTextOwnsString | kTextOwnFont) & ~kTextMusicGlyph);
    label->body.style = kProgramTextStyle;
    label->body.size = kWidgetTextSize;
    TheTextObjectClass().Measure(object, view);
    if (!PlaceNewSpanner(object, view, points, note)) {
        FreeLabelled(object);
        return nullptr;
    }
    AnchorLabelAt(object, view, LogicalPoint{view->pointerPoint.x + kLabelShiftRight, view->pointerPoint.y});
    return object;
}

ScoreObject* CreateOctaveLineAtClick(ScoreView* view) {
    if (!CanCreate(view)) return nullptr;
    PointerScope pointer(view);
    if (view->pointerPoint.y > view->staffY - kOctaveHighestClick)
        view->pointerPoint.y = view->staffY - kOctaveClickHeight;
    SpannerPoints points{};
    ScoreObject* object = NewLabelledSpanner(view, &ConstructOctaveLine, &points);
    if (object == nullptr) return nullptr;
    points.p[0] = points.p[1];
    points.p[3].y = points.p[2].y + kOctaveEndHookDrop;
    TextObject* label = AsTextObject(object);
    label->body.flags = static_cast<uint16_t>((label->body.flags & ~kTextOwnsString) | kTextMusicGlyph);
    label->body.string = kOctaveAboveCode;
    TheTextObjectClass().Measure(object, view);
    SpannerOf(object)->endpoint.style = kDashedStyle;
    object->subtype = IsPageLayout(view) ? kPageKind : kTimeKind;
    EncodeSpannerPoints(SpannerOf(object), nullptr, view, points);
    AnchorLabelAt(object, view, LogicalPoint{view->pointerPoint.x - kOctaveLabelLeft, view->pointerPoint.y - kOctaveLabelUp});
    InsertObjectBySubtype(view, object);
    return object;
}

bool EndingEdgesOfCurrentMeasure(const ScoreView* view, int32_t* left, int32_t* right) {
    const ScoreSystem* system = view->currentSystem;
    if (system == nullptr) return false;
    const int row = system->number, slot = std::clamp(view->currentSlot, 1, kBeatMapSlots - 2);
    *left = slot == 1 ? system->x + view->beatMap.contentX[BeatMapCell(row, slot)] - kEndingBarlineGap
                      : system->x + view->beatMap.slotX[BeatMapCell(row, slot)] + kEndingBarlineGap;
    *right = std::max(system->x + view->beatMap.slotX[BeatMapCell(row, slot + 1)] - kEndingBarlineGap, *left + 1);
    return true;
}

ScoreObject* CreateRepeatEndingAtClick(ScoreView* view) {
    if (!CanCreate(view)) return nullptr;
    PointerScope pointer(view);
    view->pointerPoint.y = std::min(view->pointerPoint.y, view->staffY - kEndingHighestClick);
    SpannerPoints points{};
    ScoreObject* object = NewLabelledSpanner(view, &ConstructRepeatEnding, &points);
    if (object == nullptr) return nullptr;
    RepeatEndingObject* ending = AsRepeatEnding(object);
    TextObject* label = &ending->text;
    label->body.string = kFirstEndingLabel;
    label->body.style = kProgramTextStyle;
    label->body.size = kEndingTextSize;
    label->body.flags = static_cast<uint16_t>((label->body.flags & ~kTextOwnsString) | kEndingFlagsSet);
    TheTextObjectClass().Measure(object, view);  // its size is part of the record from the start
    ending->passes[0] = 1;
    object->subtype = kTimeKind;
    int32_t left = 0, right = 0;
    if (EndingEdgesOfCurrentMeasure(view, &left, &right)) {
        points.p[0].x = points.p[1].x = left;
        points.p[2].x = points.p[3].x = right;
    }
    EncodeSpannerPoints(SpannerOf(object), nullptr, view, points);
    AnchorLabelAt(object, view, LogicalPoint{points.p[1].x + kLabelShiftRight, points.p[1].y});
    InsertObjectBySubtype(view, object);
    FreeRepeatEndingList(view->document);
    return object;
}

void FollowOctaveHook(ScoreObject* octave) {
    if (State().input.SkipOctaveFollow) {
        State().input.SkipOctaveFollow = 0;
        return;
    }
    TextObject* label = AsTextObject(octave);
    if ((label->body.flags & kTextOwnsString) != 0) return;
    if (SpannerOf(octave)->endpoint.endHook < 0) {
        if (label->body.string != kOctaveKeptBelowCode) label->body.string = kOctaveBelowCode;
        label->body.flags |= kOctaveBelowFlag;
    } else {
        label->body.string = kOctaveAboveCode;
        label->body.flags = static_cast<uint16_t>(label->body.flags & ~kOctaveBelowFlags);
    }
}

void SkipNextOctaveFollow() {
    State().input.SkipOctaveFollow = 1;
}

const ScoreObjectClass& TheWicketteClass() { return kWicketteClass; }
const ScoreObjectClass& TheWidgetBracketClass() { return kWidgetBracketClass; }
const ScoreObjectClass& TheRepeatEndingClass() { return kRepeatEndingClass; }
const ScoreObjectClass& TheOctaveLineClass() { return kOctaveLineClass; }
const ScoreObjectClass& LabelledSpannerOperations() { return kLabelledSpannerOperations; }

intptr_t WicketteToolHandler(ScoreView* view, int action, ToolRecord* record,
                             platform::WindowHandle window, win::Message message, uint32_t word,
                             intptr_t data) {
    if (record != nullptr) State().input.WicketteHookFirst = record->bitmapId == kHookFirstPedalStrip;
    return ObjectToolHandler(view, action, record, window, message, word, data, TypeCode(ObjectType::PedalBracket));
}

intptr_t WidgetBracketToolHandler(ScoreView* view, int action, ToolRecord* record,
                                  platform::WindowHandle window, win::Message message,
                                  uint32_t word, intptr_t data) {
    return ObjectToolHandler(view, action, record, window, message, word, data, TypeCode(ObjectType::Widget));
}

intptr_t OctaveLineToolHandler(ScoreView* view, int action, ToolRecord* record,
                               platform::WindowHandle window, win::Message message, uint32_t word,
                               intptr_t data) {
    return ObjectToolHandler(view, action, record, window, message, word, data, TypeCode(ObjectType::Octave));
}

intptr_t RepeatEndingToolHandler(ScoreView* view, int action, ToolRecord* record,
                                 platform::WindowHandle window, win::Message message,
                                 uint32_t word, intptr_t data) {
    return ObjectToolHandler(view, action, record, window, message, word, data, TypeCode(ObjectType::RepeatEnding));
}

}  // namespace ql
