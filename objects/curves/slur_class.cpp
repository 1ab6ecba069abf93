// The slur's class and tool (see slur_class.h). Keys and thickening are one undo
// step each; drags commit the handle positions back into the four anchors and the
// inner offsets.
#include "objects/curves/slur_class.h"

#include "core/draw/draw_surface.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/tool_services.h"
#include "core/undo/undo.h"
#include "display/anchors.h"
#include "display/view_modes.h"
#include "layout/system_span.h"
#include "objects/curves/curve_interface.h"
#include "objects/curves/drawn_slur.h"
#include "objects/curves/slur_staff_band.h"
#include "objects/spanners/spanner_interface.h"
#include "platform/win/keys.h"
#include "platform/win/message_loop.h"

namespace ql {
namespace {

constexpr int32_t kNewSlurLength = 640;
constexpr int32_t kNewSlurInset = 171;
constexpr int32_t kNewSlurHeight = 256;
constexpr int32_t kCtrlArrowStepY = 64;
constexpr int32_t kCtrlArrowStepX = 16;
constexpr uint8_t kPageListKind = 1;
constexpr uint16_t kDottedStyle = 1;

bool IsPageListSlur(const ScoreObject* object) {
    return object->subtype == kPageListKind;
}

// One undoable change of a slur, the document marked modified.
template <typename Edit>
int EditSlur(ScoreObject* object, ScoreView* view, Edit&& edit) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    UndoStep step(document, view, UndoKind::Item, TypeCode(ObjectType::Slur), UndoVerb::Modify);
    edit(AsSlur(object));
    if (document != nullptr) SetDocumentModified(document);
    return 1;
}

class SlurClass final : public ScoreObjectClass {
  public:
    std::byte* GetBody(ScoreObject* object) const override {
        return reinterpret_cast<std::byte*>(&AsSlur(object)->body);
    }
    uint32_t GetBodySize(const ScoreObject*) const override { return kSlurBodyBytes; }
    int32_t GetAnchorWord(const ScoreObject* object) const override {
        return reinterpret_cast<const SlurObject*>(object)->body.points[0].coarse[1];
    }
    int HitTest(ScoreObject* object, const RecordRect& rect, HitRecord*) const override;
    void Draw(ScoreObject* object, ScoreView* view) const override;
    void Invalidate(ScoreObject*, ScoreView*) const override {}
    ScoreObject* CreateAtClick(ScoreObject*, ScoreView* view) const override {
        return CreateSlurAtClick(view, State().input.SlurToolUpward);
    }
    void DrawTracking(ScoreObject* object, ScoreView* view) const override;
    void EraseTracking(ScoreObject* object, ScoreView* view) const override { DrawTracking(object, view); }
    int CommitDrag(ScoreObject* object, ScoreView* view) const override;
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override {
        return BuildSlurHandles(AsSlur(object), view);
    }
    void TrackDrag(ScoreObject* object, ScoreView* view) const override;
    void DragMove(ScoreObject* object, ScoreView* view) const override;
    // The drag of a slur just made ends: its ends go beyond the heads they stand on.
    void EndDrag(ScoreObject* object, ScoreView* view) const override {
        if (IsDrawnSlur(object)) {
            HitRecord* head = HandleChainOf(object);
            if (head != nullptr && view != nullptr && DrawnSlurWasDragged())
                ShapeDrawnSlur(view, head, IsUpwardSlur(*AsSlur(object)), true);
            EndDrawnSlur();
        }
        ScoreObjectClass::EndDrag(object, view);
    }
    void Slot26(ScoreObject* object, ScoreView*) const override { FlipSlur(AsSlur(object), +1); }
    void Slot27(ScoreObject* object, ScoreView*) const override { FlipSlur(AsSlur(object), -1); }
    void StepValue(ScoreObject* object, ScoreView* view, int step) const override {
        EditSlur(object, view, [&](SlurObject* slur) { ThickenSlur(slur, step); });
    }
    int OnKey(ScoreObject* object, ScoreView* view, uint32_t virtualKey) const override;
    int OnEditCommand(ScoreObject*, ScoreView*, int, int) const override { return 0; }
    ScoreObject* Clone(ScoreObject* object, ScoreView* view, PoolSet source,
                       PoolSet target) const override;
};

int SlurClass::HitTest(ScoreObject* object, const RecordRect& rect, HitRecord* chain) const {
    HitRecord* head = chain != nullptr ? chain : HandleChainOf(object);
    HitRecord* start = head != nullptr ? head->child.get() : nullptr;
    HitRecord* end = start;
    for (int i = 1; i < 4 && end != nullptr; ++i) end = end->child.get();
    if (start == nullptr || end == nullptr) return 0;
    auto inside = [&](LogicalPoint p) {
        return rect.left < p.x && p.x < rect.right && rect.top < p.y && p.y < rect.bottom;
    };
    return inside(start->point) && inside(end->point) ? 1 : 0;
}

void SlurClass::Draw(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || (IsPageListSlur(object) && !view->pageView)) return;
    SlurObject* slur = AsSlur(object);
    CurvePoints c = SlurCurvePoints(slur, view);
    LogicalPoint outer[kSlurPoints] = {c.p[0], c.p[1], c.p[2], c.p[3]};
    const LogicalPoint reference[kSlurPoints] = {c.p[0], c.p[1], c.p[2], c.p[3]};
    InsetCurveEnds(CurveLineValuesOf(view->document).slurEndGap, reference, outer);
    const LogicalPoint inner[kSlurPoints] = {outer[0], c.inner[0], c.inner[1], outer[3]};
    BeginViewDraw(view);
    DrawCurveBand(view, view->ViewDC, outer, inner, slur->body.flags & kSlurStyleMask, false, false);
    EndViewDraw(view);
}

// The handles' curve in the feedback form, with the control arms.
void SlurClass::DrawTracking(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || (IsPageListSlur(object) && !view->pageView)) return;
    HitRecord* h[kSlurHandleCount] = {};
    h[0] = HandleChainOf(object);
    for (int i = 1; i < kSlurHandleCount && h[i - 1] != nullptr; ++i) h[i] = h[i - 1]->child.get();
    if (h[kSlurMoveHandle] == nullptr) return;
    const LogicalPoint outer[kSlurPoints] = {h[1]->point, h[2]->point, h[3]->point, h[4]->point};
    const bool thick = h[5]->point != h[2]->point || h[6]->point != h[3]->point;
    const int32_t shift = thick ? kThicknessHandleShift : 0;
    const LogicalPoint inner[kSlurPoints] = {outer[0], {h[5]->point.x + shift, h[5]->point.y},
                                             {h[6]->point.x - shift, h[6]->point.y}, outer[3]};
    BeginViewDraw(view);
    if (view->ViewDC) {
        const gfx::Point arms[2][2] = {{{outer[0].x, outer[0].y}, {outer[1].x, outer[1].y}},
                                       {{outer[2].x, outer[2].y}, {outer[3].x, outer[3].y}}};
        for (const auto& arm : arms) DrawSplitPolyline(view, arm, 2);
        DrawCurveBand(view, view->ViewDC, outer, inner, AsSlur(object)->body.flags & kSlurStyleMask, true, false);
    }
    EndViewDraw(view);
}

int SlurClass::CommitDrag(ScoreObject* object, ScoreView* view) const {
    SlurObject* slur = AsSlur(object);
    HitRecord* head = HandleChainOf(object);
    if (head == nullptr || view == nullptr) return 0;
    CommitSlurOffsets(slur, head);
    LogicalPoint points[kSlurPoints];
    HitRecord* hit = head->child.get();
    for (int i = 0; i < kSlurPoints && hit != nullptr; ++i, hit = hit->child.get()) points[i] = hit->point;
    LocationRecord location{};
    EncodeAnchors(view, &location, object->subtype, reinterpret_cast<ObjectLocation*>(slur->body.points),
                  points, kSlurPoints);
    if (IsPageListSlur(object)) return 0;
    MoveSlurAcrossStaffBand(slur, view, points, &location);
    MoveObjectToStartCell(object, view, location, head);
    return 1;
}

void SlurClass::TrackDrag(ScoreObject* object, ScoreView* view) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* grabbed = selection != nullptr ? selection->grabbedRecord.get() : nullptr;
    if (grabbed == nullptr) return;
    const bool symmetric = (Options().SymmetricSlurs != 0) != win::IsKeyDown(win::Key::Alt);
    TrackSlurHandle(view, HandleChainOf(object), grabbed->kind,
                    LogicalPoint{selection->dragOffsetX, selection->dragOffsetY}, !CtrlHeld(), symmetric);
    if (IsDrawnSlur(object) && grabbed->kind == kSlurEndHandle) {
        DrawnSlurDragged();
        ShapeDrawnSlur(view, HandleChainOf(object), IsUpwardSlur(*AsSlur(object)), false);
    }
}

void SlurClass::DragMove(ScoreObject* object, ScoreView*) const {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr) return;
    const LogicalPoint delta{selection->dragOffsetX, selection->dragOffsetY};
    for (HitRecord* hit = HandleChainOf(object); hit != nullptr; hit = hit->child.get())
        OffsetHitRecord(hit, delta);
}

int SlurClass::OnKey(ScoreObject* object, ScoreView* view, uint32_t virtualKey) const {
    const auto key = static_cast<win::Key>(virtualKey);
    const bool ctrl = CtrlHeld();
    if (ctrl && (key == win::Key::Up || key == win::Key::Down || key == win::Key::Left ||
                 key == win::Key::Right)) {
        const int32_t dx = key == win::Key::Left ? -kCtrlArrowStepX : key == win::Key::Right ? kCtrlArrowStepX : 0;
        const int32_t dy = key == win::Key::Up ? -kCtrlArrowStepY : key == win::Key::Down ? kCtrlArrowStepY : 0;
        return EditSlur(object, view, [&](SlurObject* slur) { MoveSlur(slur, dx, dy); });
    }
    if (key == win::LetterKey('F'))
        return EditSlur(object, view, [](SlurObject* slur) { FlipSlur(slur, IsUpwardSlur(*slur) ? -1 : +1); });
    if (key == win::LetterKey('D') && !ctrl)
        return EditSlur(object, view, [](SlurObject* slur) {
            slur->body.flags = static_cast<uint16_t>((slur->body.flags & ~kSlurStyleMask) |
                                                     ((slur->body.flags & kSlurStyleMask) == 0 ? kDottedStyle : 0));
        });
    return ScoreObjectClass::OnKey(object, view, virtualKey);
}

ScoreObject* SlurClass::Clone(ScoreObject* object, ScoreView*, PoolSet, PoolSet target) const {
    ScopedPoolSet allocating(target);
    auto* copy = static_cast<ScoreObject*>(AllocRecord(kLargeObjectPool));
    if (copy == nullptr) return nullptr;
    ConstructSlurObject(copy);
    AsSlur(copy)->body = AsSlur(object)->body;
    copy->type = object->type;
    copy->subtype = object->subtype;
    return copy;
}

const SlurClass kSlurClassInstance{};

}  // namespace

ScoreObject* CreateSlurAtClick(ScoreView* view, bool upward) {
    if (view == nullptr || view->document == nullptr) return nullptr;
    if (view->document->header.staffCount == 0 && !view->pageView) return nullptr;
    auto* object = static_cast<ScoreObject*>(AllocRecord(kLargeObjectPool));
    if (object == nullptr) return nullptr;
    ConstructSlurObject(object);
    SlurObject* slur = AsSlur(object);
    const int32_t d = CurveLineValuesOf(view->document).slurThickness;
    InitCurve(slur, view, kNewSlurLength, kNewSlurInset, upward ? -kNewSlurHeight : kNewSlurHeight,
              upward ? d : -d);
    object->subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);
    const LogicalPoint at = view->pointerPoint;
    const int32_t slotX = view->currentSystem != nullptr
                              ? view->currentSystem->x + view->beatMap.contentX[BeatMapCell(view->currentSystem->number, view->currentSlot)]
                              : 0;
    MoveSlur(slur, at.x - slotX, at.y - view->staffY);
    InsertObjectBySubtype(view, object);
    BeginDrawnSlur(object);
    return object;
}

bool SlurToolMakesUpward() {
    return State().input.SlurToolUpward;
}

intptr_t SlurToolHandler(ScoreView* view, int action, ToolRecord* record,
                         platform::WindowHandle window, win::Message message, uint32_t word,
                         intptr_t data) {
    if (record != nullptr && (action == ToolAction::Select || action == ToolAction::Message ||
                              action == ToolAction::SelectThenMessage))
        State().input.SlurToolUpward = record->bitmapId == kSlurUpwardFaceStrip;
    if (action == ToolAction::AlternateChosen) {
        const bool upward = record != nullptr && record->bitmapId == kSlurUpwardFaceStrip;
        if (view != nullptr) win::PostMessage(view->ViewWindow, upward ? kMsgSlurFlipUp : kMsgSlurFlipDown);
        return 1;
    }
    return ObjectToolHandler(view, action, record, window, message, word, data, TypeCode(ObjectType::Slur));
}

const ScoreObjectClass& TheSlurClass() {
    return kSlurClassInstance;
}

}  // namespace ql
