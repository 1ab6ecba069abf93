// The picture's class operations (see picture_class.h): handles and resizing,
// keeping the proportions, moving, the commit, the natural size, the "H" key, and
// the clean-up run when a picture is released.
#include "objects/picture/picture_class.h"

#include <algorithm>
#include <cstdlib>

#include "core/draw/draw_surface.h"
#include "core/draw/record_area.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/objects/object_classes.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/undo/undo.h"
#include "display/anchors.h"
#include "objects/graphics/graphic_object.h"
#include "objects/graphics/graphic_shapes_internal.h"
#include "objects/object_services.h"
#include "platform/gfx/mapping.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"

namespace ql {

using namespace graphics;

namespace {

constexpr uint16_t kResizeFlags = kHandleMoved | kHandleDraggable;
constexpr int kMoveCursor = 384;
constexpr int kResizeCursor = 382;

// The edges each handle kind moves: 0 top left, then clockwise, 7 left middle.
struct HandleEdges {
    bool left, top, right, bottom;
};
constexpr HandleEdges kEdges[kPictureMoveHandle] = {
    {true, true, false, false},  {false, true, false, false}, {false, true, true, false},
    {false, false, true, false}, {false, false, true, true},  {false, false, false, true},
    {true, false, false, true},  {true, false, false, false}};

bool IsCorner(int kind) {
    return kind % 2 == 0 && kind < kPictureMoveHandle;
}

RecordRect PictureRect(PictureObject* picture, ScoreView* view) {
    LogicalPoint at{};
    if (view != nullptr)
        DecodeAnchors(view, SubtypeCode(ObjectSubtype::PageList), &picture->body.location, &at, 1);
    return {at.x, at.y, at.x + picture->body.width, at.y + picture->body.height};
}

LogicalPoint HandlePoint(int kind, const RecordRect& r) {
    int32_t midX = r.left + (r.right - r.left) / 2;
    int32_t midY = r.top + (r.bottom - r.top) / 2;
    switch (kind) {
    case 0: return {r.left, r.top};
    case 1: return {midX, r.top};
    case 2: return {r.right, r.top};
    case 3: return {r.right, midY};
    case 4: return {r.right, r.bottom};
    case 5: return {midX, r.bottom};
    case 6: return {r.left, r.bottom};
    default: return {r.left, midY};
    }
}

void PlacePictureHandles(HitRecord* first, const RecordRect& r) {
    for (int kind = 0; kind < kPictureMoveHandle; ++kind)
        if (HitRecord* hit = ChainHandle(first, kind)) SetHitRecordPoint(hit, HandlePoint(kind, r));
    if (HitRecord* move = ChainHandle(first, kPictureMoveHandle)) {
        CenterHitRecordOnRect(move, &r);
        move->outer = move->inner = r;
    }
}

// The rectangle of the chain: the corners' handles.
RecordRect ChainRect(HitRecord* first) {
    HitRecord* topLeft = ChainHandle(first, 0);
    HitRecord* bottomRight = ChainHandle(first, 4);
    if (topLeft == nullptr || bottomRight == nullptr) return {};
    return {topLeft->point.x, topLeft->point.y, bottomRight->point.x, bottomRight->point.y};
}

// Eight device pixels in logical units (128 without a drawing context).
LogicalPoint CollapsedSize(ScoreView* view) {
    LogicalPoint size{kNoContextCollapse, kNoContextCollapse};
    if (view == nullptr) return size;
    BeginViewDraw(view);
    if (view->ViewDC) {
        gfx::Size logical = gfx::DeviceToLogicalDistance(view->ViewDC, {kSmallestPicture, kSmallestPicture});
        size = {std::abs(logical.cx), std::abs(logical.cy)};
    }
    EndViewDraw(view);
    return size;
}

// A collapsed side keeps its other edge and becomes the smallest size.
void KeepOpen(RecordRect& r, const HandleEdges& moved, LogicalPoint smallest) {
    if (r.right <= r.left) {
        if (moved.left) r.left = r.right - smallest.x;
        else r.right = r.left + smallest.x;
    }
    if (r.bottom <= r.top) {
        if (moved.top) r.top = r.bottom - smallest.y;
        else r.bottom = r.top + smallest.y;
    }
}

// The moved edges stop where the picture would outgrow its stored extents.
void KeepStorable(RecordRect& r, const HandleEdges& moved) {
    if (r.right - r.left > kLargestStoredExtent) {
        if (moved.left) r.left = r.right - kLargestStoredExtent;
        else r.right = r.left + kLargestStoredExtent;
    }
    if (r.bottom - r.top > kLargestStoredExtent) {
        if (moved.top) r.top = r.bottom - kLargestStoredExtent;
        else r.bottom = r.top + kLargestStoredExtent;
    }
}

// The picture's rectangle as it stood when a drag took hold of it, repainted when
// the drag is committed.
RecordRect g_rectBeforeDrag{};

}  // namespace

const std::vector<uint8_t>* PictureBytesOf(PictureObject* picture, ScoreDocument* document) {
    if (picture == nullptr || document == nullptr || picture->data == 0) return nullptr;
    return DocumentRecordOf(document, picture->data);
}

// The picture's bytes belong to the document and stay until it is destroyed; its
// release deletes only the cache.
void DestroyPicture(ScoreObject* object) {
    if (object != nullptr) DropPictureCache(AsPicture(object));
}

std::byte* PictureClass::GetBody(ScoreObject* object) const {
    return object->BodyBytes();
}

uint32_t PictureClass::GetBodySize(const ScoreObject*) const {
    return kPictureBodyBytes;
}

int PictureClass::HitTest(ScoreObject* object, const RecordRect& rect, HitRecord*) const {
    HitRecord* first = OwnFirstHandle(object);
    if (first == nullptr) return 0;
    const PictureBody& body = AsPicture(object)->body;
    return ExtentInside(first->point, body.width, body.height, rect) ? 1 : 0;
}

void PictureClass::DrawSelected(ScoreObject* object, ScoreView*) const {
    DropPictureCache(AsPicture(object));
}

HitRecord* PictureClass::BuildHandles(ScoreObject* object, ScoreView* view) const {
    RecordRect r = PictureRect(AsPicture(object), view);
    HitRecord* handles[kPictureHandleCount] = {};
    for (int kind = 0; kind < kPictureHandleCount; ++kind) {
        bool move = kind == kPictureMoveHandle;
        handles[kind] = NewHandle(object, view, static_cast<uint8_t>(kind), HandlePoint(kind, r),
                                  move ? (kHandleWholeObject | kHandleDraggable) : kResizeFlags);
        if (handles[kind] == nullptr) {
            FreeHandles(handles, kind);
            return nullptr;
        }
    }
    LinkHandleChain(handles, kPictureHandleCount);
    PlacePictureHandles(handles[0], r);
    return handles[0];
}

void PictureClass::TrackDrag(ScoreObject* object, ScoreView* view) const {
    HitRecord* first = FocusedChain();
    HitRecord* dragged = DraggedHandle();
    int kind = ChainIndexOf(first, dragged);
    if (kind < 0 || kind >= kPictureMoveHandle) return;
    LogicalPoint delta = DragOffset();
    RecordRect r = ChainRect(first);
    const HandleEdges& edges = kEdges[kind];
    if (edges.left) r.left += delta.x;
    if (edges.right) r.right += delta.x;
    if (edges.top) r.top += delta.y;
    if (edges.bottom) r.bottom += delta.y;
    KeepOpen(r, edges, CollapsedSize(view));
    KeepStorable(r, edges);
    PlacePictureHandles(first, r);
    if (view != nullptr) view->pointerPoint = dragged->point;
    PictureObject* picture = AsPicture(object);
    picture->body.width = r.right - r.left;
    picture->body.height = r.bottom - r.top;
    DropPictureCache(picture);
}

void PictureClass::DragMove(ScoreObject*, ScoreView*) const {
    MoveWholeChain();
}

// Keep ratio: a corner moves along the picture's diagonal, the larger offset
// leading; an edge handle is held still; the move handle is free.
void PictureClass::ConstrainDrag(ScoreObject* object, ScoreView*) const {
    SelectionState* selection = TheSelectionState();
    PictureObject* picture = AsPicture(object);
    int kind = ChainIndexOf(FocusedChain(), DraggedHandle());
    if (selection == nullptr || (picture->body.flags & kPictureKeepRatio) == 0) return;
    if (kind < 0 || kind >= kPictureMoveHandle) return;
    if (!IsCorner(kind)) {
        selection->dragOffsetX = selection->dragOffsetY = 0;
        return;
    }
    RecordRect r = ChainRect(FocusedChain());
    int64_t width = std::max(r.right - r.left, 1);
    int64_t height = std::max(r.bottom - r.top, 1);
    int32_t dx = selection->dragOffsetX;
    int32_t dy = selection->dragOffsetY;
    // Corners 0 and 4 open with both offsets of one sign, 2 and 6 with opposite signs.
    int sign = (kind == 0 || kind == 4) ? 1 : -1;
    if (std::abs(dx) >= std::abs(dy)) dy = static_cast<int32_t>(sign * dx * height / width);
    else dx = static_cast<int32_t>(sign * dy * width / height);
    selection->dragOffsetX = dx;
    selection->dragOffsetY = dy;
}

void PictureClass::ReleaseCache(ScoreObject* object, ScoreView* view) const {
    g_rectBeforeDrag = PictureRect(AsPicture(object), view);
}

int PictureClass::CommitDrag(ScoreObject* object, ScoreView* view) const {
    object->subtype = SubtypeCode(ObjectSubtype::PageList);
    int result = CommitFirstHandle(object, view);
    DropPictureCache(AsPicture(object));
    InvalidateRecordArea(view, g_rectBeforeDrag, true);
    InvalidateRecordArea(view, PictureRect(AsPicture(object), view), true);
    return result;
}

void PictureClass::SetToolCursor(ScoreObject* object, int32_t, int32_t) const {
    bool hidden = (AsPicture(object)->body.flags & kPictureHidden) != 0;
    if (hidden && Options().ShowHidden == 0) return;
    SelectionState* selection = TheSelectionState();
    HitRecord* hover = selection != nullptr ? selection->hoverRecord.get() : nullptr;
    bool move = hover != nullptr && hover->kind == kPictureMoveHandle;
    win::SetCursor(win::LoadCursorResource(move ? kMoveCursor : kResizeCursor));
}

void PictureClass::Invalidate(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr) return;
    PictureObject* picture = AsPicture(object);
    SetPictureNaturalSize(picture, view);
    if (HitRecord* first = FocusedChain()) {
        PlacePictureHandles(first, PictureRect(picture, view));
        if (HitRecord* dragged = DraggedHandle()) view->pointerPoint = dragged->point;
    }
    if (view->document != nullptr) SetDocumentModified(view->document);
}

int PictureClass::HandleDrop(ScoreObject* object, ScoreView* view, ScoreObject* target,
                             HitRecord* hit) const {
    int result = ScoreObjectClass::HandleDrop(object, view, target, hit);
    InvalidateRecordArea(view, PictureRect(AsPicture(object), view), true);
    return result;
}

// "H" hides the picture, or shows it again: one undoable step.
int PictureClass::OnKey(ScoreObject* object, ScoreView* view, uint32_t virtualKey) const {
    if (virtualKey != kPictureHideKey) return ScoreObjectClass::OnKey(object, view, virtualKey);
    if (view == nullptr || view->document == nullptr) return 0;
    UndoStep step(view->document, view, UndoKind::Item, TypeCode(ObjectType::Picture), UndoVerb::Hide);
    PictureObject* picture = AsPicture(object);
    picture->body.flags ^= kPictureHidden;
    DropPictureCache(picture);
    SetDocumentModified(view->document);
    if (view->ViewWindow) win::InvalidateRect(view->ViewWindow, nullptr, true);
    return 1;
}

const PictureClass& ThePictureClass() {
    static const PictureClass instance;
    return instance;
}

}  // namespace ql
