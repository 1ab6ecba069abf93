// What the staff element does for the selection engine: follows the view's
// location (one element per staff and system in the selection's object list),
// gives its one handle at the staff's left edge, sets the staff cursor, keeps the
// current point when it becomes the focus, and re-spaces its system on Shift.
#pragma once

namespace ql {

struct HitRecord;
struct ScoreObject;
struct ScoreView;

// The element's handle: a type-13 record over the staff's left edge (512 wide, from
// 192 to 448 below the element's top), complete as placed, moving the element
// whole, grabbed at the pointer and ended on release; it carries the staff number
// and points back to the element, which keeps it as its handle chain (the
// selection engine clears that when it lets the records go). Null for another
// object or without a record.
HitRecord* BuildStaffElementHandle(ScoreObject* element, ScoreView* view);

// Whether the element has been dragged away from where its handle was built: a
// key on the element (H, say) commits it without a drag, and that commit must not
// read the element's old place as a drop. True when it has no handle to compare.
bool IsStaffElementMoved(ScoreObject* element);

// Follows the view's location: 0 without staves or when the current staff is
// hidden in the current system; 1 when the selection's object list already holds
// an element of this staff and system, or one was made and appended to it; 0 when
// there is no list or no record.
int FollowStaffLocation(ScoreView* view);

// The element becomes the focus: the selection's current point is kept in the
// element's header words; a beep when there is no current object.
void KeepCurrentPoint(ScoreObject* element);

// The pointer is over the element: the staff cursor (the Staff Tools' tool cursor)
// shows, and when the program's staff-cursor clef is negative it takes the clef
// code of the element's staff at the first measure of the active view's current
// system. A missing cell leaves it negative; nothing in the score changes.
void SetStaffCursor(ScoreObject* element);

// Shift on the element: in page view the current system is placed between the
// page's margins again and re-spaced, the selection reset and the views redrawn;
// in scroll view "Use Page view" and a beep.
void ReformatCurrentSystem(ScoreView* view);

}  // namespace ql
