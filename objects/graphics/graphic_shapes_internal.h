// What the box, circle and line classes share: the pen width of a width code, the
// object's decoded anchor point, handle records and the walk of a handle chain, the
// dragged handle of the selection, and the page-item test of drawing. Internal to
// objects/graphics.
#pragma once

#include <cstdint>

#include "core/memory/pool.h"
#include "core/model/geometry.h"
#include "core/objects/hit_record.h"
#include "objects/graphics/graphic_object.h"
#include "platform/handles.h"

namespace ql::graphics {

// Handle flag bits the selection engine reads.
constexpr uint16_t kHandleWholeObject = 0x0004;  // bit 2: the handle moves the object
constexpr uint16_t kHandleMoved = 0x0040;        // bit 6
constexpr uint16_t kHandleDraggable = 0x0080;    // bit 7

// The pen of a width code: codes 0..4 give 8, 16, 32, 64, 128 units; 5 and above
// are the width itself.
int32_t GraphicPenWidth(uint8_t code);

// The object's anchor (top-left corner or start point) as a logical point of the view.
LogicalPoint GraphicAnchorPoint(ScoreObject* object, ScoreView* view);
// Stores a point as the object's anchor by its subtype (page or time anchors; the
// offsets from its note for subtype 3).
void StoreGraphicAnchor(ScoreObject* object, ScoreView* view, LogicalPoint point);
// Page items are drawn only in page layout.
bool SkipsDrawing(const ScoreObject* object, const ScoreView* view);

// A handle of the object at a point, with flags and kind; null when the static pool
// is exhausted.
HitRecord* NewHandle(ScoreObject* object, ScoreView* view, uint8_t kind, LogicalPoint point,
                     uint16_t flags);
// Links handles[0..count) as a chain (each the child of the one before).
void LinkHandleChain(HitRecord* const* handles, int count);
// Frees handles[0..count) that are not null; used when a later one failed.
void FreeHandles(HitRecord* const* handles, int count);
// The index-th record of a chain, or null.
HitRecord* ChainHandle(HitRecord* first, int index);
// The position of a record in the chain that starts at first; -1 when absent.
int ChainIndexOf(const HitRecord* first, const HitRecord* handle);
// The selection's focused chain and the handle being dragged (the current handle,
// else the focused record).
HitRecord* FocusedChain();
HitRecord* DraggedHandle();
// The selection's drag offset.
LogicalPoint DragOffset();
// Where the dragged handle would be with the drag offset, and the offset changed so
// that it lands on `to` (the pointer follows). Both need a selection and a handle.
LogicalPoint DraggedTo(const HitRecord* dragged);
void ConstrainDragTo(const HitRecord* dragged, LogicalPoint to, ScoreView* view);

// A copy of a graphic object (body and subtype) in the target pool set, or null.
ScoreObject* CloneGraphic(ScoreObject* object, PoolSet target);

// The object's own first handle (its handleChain), or null when it has none or the
// record named there is freed or belongs to another object.
HitRecord* OwnFirstHandle(ScoreObject* object);
// The box's hit test: the rectangle of a start point and extent lies strictly
// inside the given one.
bool ExtentInside(LogicalPoint start, int32_t width, int32_t height, const RecordRect& rect);
// The whole-object drag: every handle of the chain moves by the drag offset; those
// with flag bit 2 are marked moved.
void MoveWholeChain();

// The shared drag commit for objects with one stored anchor and several handles:
// re-anchors the object at the chain's first handle only (the object's body holds
// one location), then hands the rest of the old chain back to the pool when the
// commit rebuilt the handles. The result of the shared commit.
int CommitFirstHandle(ScoreObject* object, ScoreView* view);

// Saves the context and limits its drawing to a rectangle (in either order of its
// corners) grown by a pen width; returns the saved state for RestoreContext.
int ClipToShape(platform::DcHandle dc, const RecordRect& rect, int32_t penWidth);

// Shift key state, with the sticky Shift setting.
bool ShiftHeld();

}  // namespace ql::graphics
