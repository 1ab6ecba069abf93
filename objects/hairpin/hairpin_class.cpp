// The hairpin's class (see hairpin_class.h): drawing split across a system's end,
// placing at a click, the "F" flip, moving between the page and a measure, cloning
// and the dialog. Handles and drags are in hairpin_handles.cpp.
#include <cstring>

#include "core/draw/draw_surface.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/ui/selection_services.h"
#include "core/undo/undo.h"
#include "display/view_location.h"
#include "layout/system_span.h"
#include "objects/graphics/graphic_class.h"
#include "objects/hairpin/hairpin_class.h"
#include "objects/hairpin/hairpin_internal.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/mark_internal.h"
#include "objects/midi_marks/mark_tools.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/win/input.h"

namespace ql {
namespace {

bool IsPageAttached(const ScoreObject* object) {
    return object->subtype == SubtypeCode(ObjectSubtype::PageList);
}

// Draws the wedge with a solid pen of its width in the context's text colour.
void DrawWedge(HairpinObject* hairpin, ScoreView* view) {
    if (IsPageAttached(&hairpin->header) && view->pageView == 0) return;
    const HairpinShape shape = DecodeHairpinShape(hairpin, view);
    const gfx::Point outline[kHairpinPoints] = {{shape.upper.x, shape.upper.y},
                                                {shape.apex.x, shape.apex.y},
                                                {shape.lower.x, shape.lower.y}};
    BeginViewDraw(view);
    if (platform::DcHandle dc = view->ViewDC) {
        const platform::PenHandle pen =
            gfx::CreatePen(gfx::PenStyle::Solid, hairpin->lineWidth, gfx::GetTextColour(dc));
        const platform::PenHandle previous = gfx::SelectObject(dc, pen);
        DrawSplitPolyline(view, outline, kHairpinPoints);
        gfx::SelectObject(dc, previous);
        gfx::DeleteObject(pen);
    }
    EndViewDraw(view);
}

// The cursor over a handle: the move cursor over the move handle, the second cursor
// over the opening handle, the handle cursor over the apex and the ends.
void SetHairpinCursor() {
    SelectionState* selection = TheSelectionState();
    const HitRecord* hover = selection != nullptr ? selection->hoverRecord.get() : nullptr;
    const int kind = hover != nullptr ? static_cast<int>(hover->kind) : static_cast<int>(kApexHandle);
    const int cursor = kind == kMoveHandle      ? kMoveCursorResource
                       : kind == kOpeningHandle ? kSecondCursorResource
                                                : kHandleCursorResource;
    win::SetCursor(win::LoadCursorResource(cursor));
}

class HairpinObjectClass final : public ScoreObjectClass {
  public:
    std::byte* GetBody(ScoreObject* object) const override {
        return object->BodyBytes() + kHairpinBodyOffset;
    }
    uint32_t GetBodySize(const ScoreObject*) const override { return kHairpinBodyBytes; }
    int32_t GetAnchorWord(const ScoreObject* object) const override {
        return reinterpret_cast<const HairpinObject*>(object)->points[0].coarse[1];
    }
    int HitTest(ScoreObject*, const RecordRect& rect, HitRecord* hit) const override {
        if (hit == nullptr) return 0;
        const LogicalPoint& p = hit->point;
        return p.x > rect.left && p.x < rect.right && p.y > rect.top && p.y < rect.bottom ? 1 : 0;
    }
    void Measure(ScoreObject*, ScoreView*) const override {}
    void Draw(ScoreObject* object, ScoreView* view) const override {
        if (view != nullptr && view->document != nullptr) DrawWedge(AsHairpin(object), view);
    }
    void DrawSelected(ScoreObject* object, ScoreView* view) const override { Draw(object, view); }
    ScoreObject* CreateAtClick(ScoreObject* object, ScoreView* view) const override;
    int EditAttributes(ScoreObject* object, ScoreView* view) const override;
    void DrawTracking(ScoreObject* object, ScoreView* view) const override {
        DrawHairpinTracking(object, view);
    }
    void EraseTracking(ScoreObject* object, ScoreView* view) const override {
        DrawHairpinTracking(object, view);
    }
    int CommitDrag(ScoreObject* object, ScoreView* view) const override {
        return CommitHairpinDrag(object, view);
    }
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override {
        return BuildHairpinHandles(object, view);
    }
    void TrackDrag(ScoreObject* object, ScoreView* view) const override { TrackHairpinDrag(object, view); }
    void DragMove(ScoreObject* object, ScoreView* view) const override { MoveHairpinHandles(object, view); }
    void SetToolCursor(ScoreObject*, int32_t, int32_t) const override { SetHairpinCursor(); }
    void EditInPlace(ScoreObject* object, ScoreView* view) const override {
        ToggleHairpinAttachment(object, view);
    }
    void Invalidate(ScoreObject* object, ScoreView* view) const override {
        InvalidateHairpin(object, view);
    }
    int OnKey(ScoreObject* object, ScoreView* view, uint32_t key) const override {
        return key == kKeyF ? FlipHairpin(object, view) : ScoreObjectClass::OnKey(object, view, key);
    }
    int OnEditCommand(ScoreObject*, ScoreView*, int, int) const override { return 0; }
    ScoreObject* Clone(ScoreObject* object, ScoreView* view, PoolSet source, PoolSet target) const override;
};

// Placing: refused without staves outside page view; a template at the pointer.
ScoreObject* HairpinObjectClass::CreateAtClick(ScoreObject*, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return nullptr;
    if (view->document->header.staffCount == 0 && view->pageView == 0) return nullptr;
    UndoStep step(view->document, view, UndoKind::Item, TypeCode(ObjectType::Hairpin), UndoVerb::Modify);
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::Hairpin));
    if (object == nullptr) return nullptr;
    HairpinObject* hairpin = AsHairpin(object);
    hairpin->lineWidth = HairpinDefaultLineWidth(view->document);
    object->subtype = SubtypeCode(PlacesOnMasterPage(view) ? ObjectSubtype::PageList
                                                           : ObjectSubtype::MeasureTimeList);
    EncodeHairpinShape(hairpin, view, HairpinTemplate(view->pointerPoint, MarkTools().diminuendo));
    return InsertAndFocus(view, object) ? object : nullptr;
}

int HairpinObjectClass::EditAttributes(ScoreObject* object, ScoreView* view) const {
    const int result = RunHairpinDialog(view, object);
    CommitFocusedElement(view);
    return result == 1 ? 1 : 0;
}

ScoreObject* HairpinObjectClass::Clone(ScoreObject* object, ScoreView*, PoolSet /*source*/,
                                       PoolSet target) const {
    ScopedPoolSet allocating(target);
    ScoreObject* copy = ConstructObject(TypeCode(ObjectType::Hairpin));
    if (copy == nullptr) return nullptr;
    std::memcpy(GetBody(copy), GetBody(object), kHairpinBodyBytes);
    copy->type = object->type;
    copy->subtype = object->subtype;
    MidiAction& action = AsHairpin(copy)->action;
    if (IsDataCarrying(action)) ResetHairpinAction(&action);  // a hairpin never owns data
    return copy;
}

}  // namespace

int FlipHairpin(ScoreObject* object, ScoreView* view) {
    if (object == nullptr || view == nullptr || view->document == nullptr) return 0;
    HairpinObject* hairpin = AsHairpin(object);
    UndoStep step(view->document, view, UndoKind::Item, TypeCode(ObjectType::Hairpin), UndoVerb::Modify);
    EraseBeforeChange(object, view);
    EncodeHairpinShape(hairpin, view, FlipHairpinShape(DecodeHairpinShape(hairpin, view)));
    PlaceHandlesOfShape(object, DecodeHairpinShape(hairpin, view));
    SetDocumentModified(view->document);
    RedrawAfterChange(object, view);
    if (SelectionState* selection = TheSelectionState()) selection->rebuildRequested = 1;
    return 1;
}

void ToggleHairpinAttachment(ScoreObject* object, ScoreView* view) {
    if (object == nullptr || view == nullptr || view->document == nullptr) return;
    HairpinObject* hairpin = AsHairpin(object);
    const HairpinShape shape = DecodeHairpinShape(hairpin, view);
    UndoStep step(view->document, view, UndoKind::Item, TypeCode(ObjectType::Hairpin), UndoVerb::Modify);
    if (IsPageAttached(object)) {
        SetLocationFromPoint(view, shape.apex);
        if (view->currentCell == nullptr) return;
        UnlinkObject(object);
        object->subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);
        EncodeHairpinShape(hairpin, view, shape);
        InsertObjectAfter(GetOrCreateCellObjectList(view->currentCell), object);
    } else {
        ScoreObject* pageList = PageObjectListOf(view);
        if (pageList == nullptr) return;
        object->subtype = SubtypeCode(ObjectSubtype::PageList);
        EncodeHairpinShape(hairpin, view, shape);
        UnlinkObject(object);
        InsertObjectAfter(pageList, object);
    }
    SetDocumentModified(view->document);
}

const ScoreObjectClass& HairpinClass() {
    static const HairpinObjectClass instance;
    return instance;
}

}  // namespace ql
