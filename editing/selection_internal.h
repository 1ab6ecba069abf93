// Helpers shared by the files of the selection engine and the tool mouse
// processor: the program's SelectionState, pointer validation, prototypes, the
// drag's warp deficit and the module tag of the internal-error reports.
#pragma once

#include <cstdint>

#include "core/objects/hit_record.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/model/geometry.h"
#include "platform/gfx/types.h"

namespace ql {

struct ScoreView;

namespace selection {

constexpr const char* kModuleTag = "CSO";
// Lines of the internal-error reports.
constexpr int kCommitLine = 2708;
constexpr int kUnfocusObjectLine = 2757;
constexpr int kUnfocusRecordLine = 2784;
constexpr int kEntryLine = 3807;

constexpr int8_t kEditIdle = 0;
constexpr int8_t kEditFocused = 1;
constexpr int8_t kEditDragging = 2;

constexpr uint8_t kMarqueeType = 0;
constexpr uint8_t kTypeLimit = 55;  // type codes are below this
constexpr int16_t kNoGrabbedKind = -1;

// The static pool of the marquee objects, emptied by the reset.
constexpr int kMarqueePool = 1;

SelectionState* Sel();

// Pointer validation: with the validation byte set, a pointer must be a live
// record of its pool; without it only null fails.
bool IsUsableRecord(const HitRecord* record);
bool IsUsableObject(const ScoreObject* object);

// The document's prototype of a type; the marquee's (type 0) when the type has
// none; null without a document.
ScoreObject* PrototypeOf(const ScoreView* view, int type);
// The focused object, or null when it is the default object or missing.
ScoreObject* FocusedObject();
bool IsDragging();
bool IsFocused();  // edit mode above 0
bool IsNoteOrRestTool();  // tool type 0, Note or Rest: the note snap applies
// Whether the view's current staff is hidden in its current system (its staff flag
// has bit 0x80): nothing is followed or collected there.
bool IsCurrentStaffHidden(const ScoreView* view);

// The warp deficit of the drag in progress (device units): real pointer minus the
// pointer the program meant. Zero outside a drag.
gfx::Point WarpDeficit();
void SetWarpDeficit(gfx::Point deficit);
// Puts the view's logical pointer on a point and tries to warp the system pointer
// there; false when the windowing system refused.
bool WarpToLogical(ScoreView* view, LogicalPoint point);
// During a drag: the pointer is put on a point by adjusting the deficit (no warp).
void MoveDragPointer(ScoreView* view, LogicalPoint point);

// Releases the objects of the temporary chain and empties it.
void ReleaseTemporaryChain(ScoreView* view);
// Releases the objects made while following the location (note handles) with their
// hit records, all but `keep`; a hover on one of them is cleared.
void ReleaseFollowedObjects(SelectionState* s, const ScoreObject* keep);
// When the location is to be followed again (its objects were released or the hit
// records rebuilt), the focused object follows it now and the records at the
// location are collected, as a hover does.
void FollowLocationAgain(ScoreView* view);

}  // namespace selection
}  // namespace ql

namespace ql::selection {

// The undo bracket that a focus opens (verb Modify) and the commit or unfocus
// closes: at most one is open, so that brackets always pair.
void OpenFocusBracket(ScoreView* view, uint8_t type);
void CloseFocusBracket(ScoreView* view, uint8_t type);
bool IsFocusBracketOpen();

// Invalidates the window area under the object's handles for a later repaint.
void InvalidateObjectArea(ScoreView* view, ScoreObject* object);
// The same for the area under a handle chain; with `erase` the area is painted
// afresh from the background (what stands there now goes). A logical rectangle's
// area: InvalidateRecordArea (core/draw/record_area.h).
void InvalidateChainArea(ScoreView* view, const HitRecord* chain, bool erase);
// The union of the hit rectangles of a handle chain; empty for none.
RecordRect ChainBounds(const HitRecord* chain);

}  // namespace ql::selection

namespace ql::selection {
// Client (device) point of a logical point through the view's surface.
gfx::Point ClientOfLogical(ScoreView* view, LogicalPoint point);
}  // namespace ql::selection

namespace ql::selection {
// Sets the grabbed record and the grabbed kind with it (none: kNoGrabbedKind).
void SetGrabbedRecord(SelectionState* s, HitRecord* record);
// Stores the location the focus was followed to (and its older saved-location copy).
void SetFocusLocation(SelectionState* s, const ScoreView* view);
}  // namespace ql::selection
