// The marquee's class: making one at the pointer, its three handles, dragging a
// corner (the rectangle stays normalised) or the whole, its inversion drawn and
// erased, the end of a drag and the commit, the cursors, and its records' pools.
// Keys, edit commands and the delete are in marquee_commands.cpp.
#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/handle_flags.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/shell_services.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "display/view_modes.h"
#include "editing/editing_services.h"
#include "editing/feedback.h"
#include "editing/marquee.h"
#include "editing/marquee_internal.h"
#include "editing/marquee_walk.h"
#include "editing/selection.h"
#include "editing/selection_internal.h"
#include "platform/gfx/mapping.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace ql {
namespace {

constexpr int kMarqueeRecordPool = kTextObjectPool;  // while prototypes are built
constexpr int kHandleCount = 3;

MarqueeState& Globals() {
    return State().marquee;
}

// The rectangle is kept where the marquee's walks read it too.
void SetMarqueeRect(const gfx::Rect& r) {
    Globals().rect = r;
    const RecordRect record{r.left, r.top, r.right, r.bottom};
    SetMarqueeWalkRectangle(&record);
}

// The marquee is gone: its state and the walks' rectangle with it.
void ClearMarqueeState() {
    Globals() = MarqueeState{};
    SetMarqueeWalkRectangle(nullptr);
}

ScoreObject* NewMarqueeRecord() {
    void* record = State().files.BuildingPrototypes ? AllocRecord(kMarqueeRecordPool)
                                                    : AllocStaticRecord(kTransientStaticPool);
    auto* object = static_cast<ScoreObject*>(record);
    if (object != nullptr) ConstructMarquee(object);
    return object;
}

bool IsStaticMarquee(const ScoreObject* object) {
    return IsLiveRecord(PoolSet(TheStaticPoolSet()), kTransientStaticPool, object);
}

// A chain's member by kind, or null.
HitRecord* HandleOfKind(ScoreObject* object, uint8_t kind) {
    int n = 0;
    for (HitRecord* r = object->handleChain.get(); r != nullptr && n < kHandleCount; r = r->child.get(), ++n)
        if (r->kind == kind) return r;
    return nullptr;
}

// Corners of the rectangle, each ± 2 x the handle size.
void BuildCornerSquares(const gfx::Rect& r) {
    const int32_t half = 2 * HandleSize();
    const gfx::Point corners[4] = {{r.left, r.top}, {r.left, r.bottom}, {r.right, r.top}, {r.right, r.bottom}};
    for (int i = 0; i < 4; ++i)
        Globals().corners[i] = gfx::Rect{corners[i].x - half, corners[i].y - half, corners[i].x + half,
                                         corners[i].y + half};
}

gfx::Point MoveHandlePoint(const gfx::Rect& r) {
    return gfx::Point{r.left + (r.right - r.left) / 2, r.bottom - kMarqueeMoveHandleRise};
}

// Handle 0 carries the rectangle, handle 2 covers it with its point near the bottom
// edge, and the corner squares follow.
void PlaceHandles(ScoreObject* object, const gfx::Rect& r) {
    const RecordRect record{r.left, r.top, r.right, r.bottom};
    if (HitRecord* frame = HandleOfKind(object, kMarqueeFrameHandle)) CenterHitRecordOnRect(frame, &record);
    if (HitRecord* move = HandleOfKind(object, kMarqueeMoveHandle)) {
        PlaceHitRecord(move, MoveHandlePoint(r), HandleSize());
        move->outer = record;
    }
    SetMarqueeRect(r);
    BuildCornerSquares(r);
}

// Corners ordered after a round trip through device units.
gfx::Rect NormalisedThroughDevice(ScoreView* view, gfx::Rect r) {
    const bool opened = !view->ViewDC;
    if (opened) BeginViewDraw(view);
    if (view->ViewDC) {
        gfx::Point corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
        gfx::LogicalToDevice(view->ViewDC, corners, 2);
        gfx::DeviceToLogical(view->ViewDC, corners, 2);
        r = gfx::Rect{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    }
    if (opened) EndViewDraw(view);
    return gfx::Normalised(r);
}

HitRecord* NewHandle(ScoreView* view, ScoreObject* object, uint8_t kind, LogicalPoint at) {
    HitRecord* hit = AllocHitRecord();
    if (hit == nullptr) return nullptr;
    ConstructHitRecordAtPoint(hit, view, kind, at);
    hit->owner = Ref32<ScoreObject>::To(object);
    hit->ownerType = object->type;
    return hit;
}

// No field of the selection goes on naming a record of the chain.
void ForgetHandleFields(HitRecord* chain) {
    SelectionState* s = TheSelectionState();
    if (s == nullptr) return;
    int n = 0;
    for (HitRecord* r = chain; r != nullptr && n < kHandleCount; r = r->child.get(), ++n) {
        for (Ref32<HitRecord>* field : {&s->focusRecord, &s->hoverListRecord, &s->hoverRecord, &s->statusRecord,
                                        &s->pendingRecord})
            if (field->get() == r) *field = {};
        if (s->grabbedRecord.get() == r) selection::SetGrabbedRecord(s, nullptr);
    }
}

void FreeHandles(ScoreObject* object) {
    HitRecord* chain = object->handleChain.get();
    if (chain == nullptr) return;
    ForgetHandleFields(chain);
    UnlinkHitRecord(chain);
    FreeHitRecordChain(chain);
    FreeHitRecord(chain);
    object->handleChain = {};
}

bool IsShownIn(const ScoreObject* object, const ScoreView* view) {
    return view != nullptr && object != nullptr && object == Globals().current &&
           view->ViewWindow == Globals().ownerWindow;
}

// The old marquee goes: its inversion off the screen, its record back.
void EndOldMarquee(ScoreView* view) {
    ScoreObject* old = Globals().current;
    if (old == nullptr) return;
    if (Globals().ownerWindow == view->ViewWindow) EraseMarqueeInversion(view);
    EndViewDrawAll(view);
    ReleaseObjectByType(view->document, old);  // forgets it (DestroyMarquee)
    ClearMarqueeState();
}

class MarqueeClass final : public ScoreObjectClass {
  public:
    uint32_t GetBodySize(const ScoreObject*) const override { return kMarqueeBodyBytes; }

    ScoreObject* CreateAtClick(ScoreObject*, ScoreView* view) const override {
        if (view == nullptr || view->document == nullptr) return nullptr;
        EndOldMarquee(view);
        ScoreObject* object = NewMarqueeRecord();
        if (object == nullptr) return nullptr;
        const LogicalPoint at = view->pointerPoint;
        const LocatedPlace place = LocatePoint(view, at);
        if (place.staff != view->currentStaff || place.measure != view->currentMeasure)
            SetCurrentMeasure(view, place.staff, place.measure);
        const bool page = IsPageLayout(view);
        object->subtype = SubtypeCode(page ? ObjectSubtype::PageList : ObjectSubtype::MeasureTimeList);
        MarqueeBody& body = AsMarquee(object)->body;
        if (page)
            EncodePageAnchors(view, &body.location, &at, 1);
        else
            EncodeTimeAnchors(view, &at, &body.location, 0);
        body.width = body.height = kNewMarqueeExtent;
        Globals().inverted = gfx::Rect{};
        return object;
    }

    int EditAttributes(ScoreObject*, ScoreView*) const override { return 0; }

    // A marquee of no width and no height inverts nothing.
    void DrawTracking(ScoreObject* object, ScoreView* view) const override {
        MarqueeState& g = Globals();
        if (!IsShownIn(object, view)) return;
        UpdateInvertedMarquee(view, g.rect, &g.inverted);
    }

    void EraseTracking(ScoreObject* object, ScoreView* view) const override {
        if (!IsShownIn(object, view) || Globals().eraseSuppressed) return;
        EraseMarqueeInversion(view);
    }

    // The marquee leaves: nothing of it stays on the screen or in the lists, and
    // its record is released at the end of the message.
    int CommitDrag(ScoreObject* object, ScoreView* view) const override {
        if (object == Globals().current) {
            if (view != nullptr && Globals().ownerWindow == view->ViewWindow) EraseMarqueeInversion(view);
            ClearMarqueeState();
        }
        AsMarquee(object)->body.width = AsMarquee(object)->body.height = 0;
        FreeHandles(object);
        SelectionState* s = TheSelectionState();
        if (s == nullptr) return 1;
        const bool prototype = view != nullptr && view->document != nullptr &&
                               view->document->prototypes[TypeCode(ObjectType::Selection)] == object;
        if (!prototype && !object->prev && !object->next) InsertObjectAfter(&s->temporaryChain, object);
        s->rebuildRequested = 1;
        return 1;
    }

    void EndDrag(ScoreObject* object, ScoreView* view) const override {
        if (view == nullptr || object != Globals().current) return;
        if (Globals().rect.right - Globals().rect.left < kNarrowMarqueeUnits) UnfocusElement(view);
        UpdateToolbarButtons(view);
    }

    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override {
        MarqueeBody& body = AsMarquee(object)->body;
        LogicalPoint at{};
        if (view != nullptr) DecodeAnchors(view, object->subtype, &body.location, &at, 1);
        const gfx::Rect r{at.x, at.y, at.x + body.width, at.y + body.height};
        HitRecord* handles[kHandleCount] = {
            NewHandle(view, object, kMarqueeFrameHandle, at),
            NewHandle(view, object, kMarqueeCornerHandle, {r.right, r.bottom}),
            NewHandle(view, object, kMarqueeMoveHandle, MoveHandlePoint(r)),
        };
        if (handles[0] == nullptr || handles[1] == nullptr || handles[2] == nullptr) {
            for (HitRecord* made : handles)
                if (made != nullptr) FreeHitRecord(made);
            ui::Beep(ui::BeepKind::Default);
            return nullptr;
        }
        // The inversion is the marquee's whole feedback: no handle draws itself.
        handles[0]->style = kShapeNever;
        handles[1]->style = kShapeNone;
        handles[2]->style = kShapeNone;  // hit over the whole rectangle
        handles[2]->flags |= kHandleMovesWhole | kHandleGrabAtPointer;
        for (int i = 1; i < kHandleCount; ++i) {
            handles[i]->parent = Ref32<HitRecord>::To(handles[i - 1]);
            handles[i - 1]->child = Ref32<HitRecord>::To(handles[i]);
        }
        object->handleChain = Ref32<HitRecord>::To(handles[0]);
        MarqueeState& g = Globals();
        g.current = object;
        g.ownerWindow = view != nullptr ? view->ViewWindow : platform::WindowHandle{};
        PlaceHandles(object, r);
        return handles[0];
    }

    // Only the corner handle: the edges on the grabbed corner's side of the centre
    // follow the drag.
    void TrackDrag(ScoreObject* object, ScoreView* view) const override {
        SelectionState* s = TheSelectionState();
        HitRecord* corner = HandleOfKind(object, kMarqueeCornerHandle);
        if (s == nullptr || view == nullptr || corner == nullptr || s->grabbedRecord.get() != corner) return;
        gfx::Rect r = Globals().rect;
        const LogicalPoint grabbed = corner->point;
        if (grabbed.x >= r.left + (r.right - r.left) / 2)
            r.right += s->dragOffsetX;
        else
            r.left += s->dragOffsetX;
        if (grabbed.y >= r.top + (r.bottom - r.top) / 2)
            r.bottom += s->dragOffsetY;
        else
            r.top += s->dragOffsetY;
        OffsetHitRecord(corner, {s->dragOffsetX, s->dragOffsetY});
        PlaceHandles(object, NormalisedThroughDevice(view, r));
    }

    void DragMove(ScoreObject* object, ScoreView*) const override {
        SelectionState* s = TheSelectionState();
        HitRecord* frame = HandleOfKind(object, kMarqueeFrameHandle);
        if (s == nullptr || frame == nullptr) return;
        int n = 0;
        for (HitRecord* r = object->handleChain.get(); r != nullptr && n < kHandleCount; r = r->child.get(), ++n)
            OffsetHitRecord(r, {s->dragOffsetX, s->dragOffsetY});
        SetMarqueeRect(gfx::Rect{frame->outer.left, frame->outer.top, frame->outer.right, frame->outer.bottom});
        BuildCornerSquares(Globals().rect);
    }

    // Kind 2 (the move handle): the move cursor; else by the pointer's quadrant.
    void SetToolCursor(ScoreObject*, int32_t, int32_t kind) const override {
        int cursor = kMarqueeMoveCursor;
        const ScoreView* view = State().documents.ActiveView;
        if (kind != kMarqueeMoveHandle && view != nullptr) {
            const gfx::Rect& r = Globals().rect;
            const LogicalPoint p = view->pointerPoint;
            if (p.y >= r.top + (r.bottom - r.top) / 2)
                cursor = kMarqueeLowerCursor;
            else
                cursor = p.x >= r.left + (r.right - r.left) / 2 ? kMarqueeUpperRightCursor : kMarqueeUpperLeftCursor;
        }
        win::SetCursor(win::LoadCursorResource(cursor));
    }

    int FollowLocation(ScoreObject*, ScoreView* view) const override {
        if (view == nullptr || view->document == nullptr) return 0;
        // The barline handler and the notes handler follow the location for the marquee.
        for (ObjectType type : {ObjectType::Measure, ObjectType::Note})
            if (ScoreObject* prototype = view->document->prototypes[TypeCode(type)])
                ClassOf(prototype).FollowLocation(prototype, view);
        return 0;
    }

    void EditInPlace(ScoreObject* object, ScoreView* view) const override { MarqueeEditInPlace(object, view); }
    void Invalidate(ScoreObject* object, ScoreView* view) const override {
        OnKey(object, view, static_cast<uint32_t>(win::Key::Shift));
    }
    int HandleDrop(ScoreObject*, ScoreView* view, ScoreObject* target, HitRecord* hit) const override {
        return MarqueeDelete(view, target, hit);
    }
    int OnKey(ScoreObject* object, ScoreView* view, uint32_t key) const override {
        return MarqueeKey(object, view, key);
    }
    int OnEditCommand(ScoreObject* object, ScoreView* view, int command, int type) const override {
        return MarqueeEditCommand(object, view, command, type);
    }
};

const MarqueeClass& TheMarqueeClass() {
    static const MarqueeClass instance;
    return instance;
}

}  // namespace

void ConstructMarquee(ScoreObject* object) {
    ConstructScoreObject(object);
    object->classId = ClassOfType(ObjectType::Selection);
    object->type = TypeCode(ObjectType::Selection);
    object->subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);
    AsMarquee(object)->body = MarqueeBody{};
}

void RegisterMarqueeClass() {
    RegisterObjectClass(ClassOfType(ObjectType::Selection), &TheMarqueeClass());
    RegisterObjectType(TypeCode(ObjectType::Selection), {kMarqueeRecordPool, &ConstructMarquee});
}

ScoreObject* CurrentMarquee() {
    return Globals().current;
}

gfx::Rect CurrentMarqueeRect() {
    return Globals().rect;
}

int GrabMarqueeHandle(ScoreView* view, HitRecord* hit) {
    if (view == nullptr || hit == nullptr || Globals().current == nullptr) return 0;
    const gfx::Rect& r = Globals().rect;
    const gfx::Point corners[4] = {{r.left, r.top}, {r.left, r.bottom}, {r.right, r.top}, {r.right, r.bottom}};
    for (int i = 0; i < 4; ++i) {
        if (!Globals().corners[i].Contains(view->pointerPoint)) continue;
        PlaceHitRecord(hit, corners[i], HandleSize());
        return 1;
    }
    return 0;
}

MarqueeEraseSuppressed::MarqueeEraseSuppressed(const ScoreObject* object) : saved_(Globals().eraseSuppressed) {
    if (object != nullptr && object == Globals().current) Globals().eraseSuppressed = 1;
}

MarqueeEraseSuppressed::~MarqueeEraseSuppressed() {
    Globals().eraseSuppressed = saved_;
}

// Another window's inversion cannot be reached without its view: it stays until
// that window is painted again.
void ForgetMarquee(ScoreView* view) {
    MarqueeState& g = Globals();
    if (g.current == nullptr) return;
    if (view != nullptr && g.ownerWindow == view->ViewWindow) {
        g.eraseSuppressed = 0;
        EraseMarqueeInversion(view);
    }
    ClearMarqueeState();
}

void engine::DestroyMarquee(ScoreObject* object) {
    if (object == nullptr) return;
    if (object == Globals().current) ForgetMarquee(State().documents.ActiveView);
    FreeHandles(object);
    if (IsStaticMarquee(object))
        FreeStaticRecord(kTransientStaticPool, object);
    else
        FreeRecord(kMarqueeRecordPool, object);
}

}  // namespace ql
