// Inserting and removing whole staves. Insertion builds the new staff from a
// neighbour, joins it into the groups it falls inside, gives it its own channel and
// re-spaces every system evenly; removal cuts the group links at the removed staff,
// frees everything the staff holds and empties the undo history (a removal cannot be
// undone). Both keep every other staff's mix (mute, solo, velocity) with its staff;
// a new staff starts with none.
//
// Order of insertion: the staff record is made first; only then are the systems'
// staff arrays grown and the staves moved up, so a failed allocation leaves the
// score as it was (the partial record is freed).
#pragma once

namespace ql {

struct ScoreView;

// The commands of the staff insertion.
constexpr int kInsertStaffBefore = 40417;
constexpr int kInsertStaffAfter = 40418;

// Inserts a staff before or after staff `staff`; 1 on success. 0 when the staff
// count is at its limit (kMaxStaves), for a staff out of range, when memory fails
// (the low-memory box of module "STAFFEDI") and for an unknown command (an internal
// error report naming "STAFFEDI"); nothing changed in each case. The new staff
// becomes the view's current staff.
int InsertStaves(ScoreView* view, int command, int staff);

// Removes staff `staff`; 1 when removed, 0 for the only staff or a staff out of
// range. Empties the undo and redo history.
int RemoveStaff(ScoreView* view, int staff);

// Hides the view's current staff in its current system (the staff key "H"), as one
// undoable edit (verb "Hide", kind "Staff"). 0 without a current system or staff;
// the only visible staff of a system, or one hidden already, only beeps.
int HideStaffInCurrentSystem(ScoreView* view);

}  // namespace ql
