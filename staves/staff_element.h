// The staff element (type 13, "Staff"): the run-time object through which a staff
// of one system is edited as a whole. It is never stored; its body names the staff
// and the system and the rectangle it covers. Its operations run the staff
// management: the dialog, inserting a staff before it, deleting it (asking first
// when it holds anything, since a removal cannot be undone), the staff keys, stepping
// its clef, and the staff drag that moves staves in the system or swaps two of them.
#pragma once

#include <cstdint>

#include "platform/win/keys.h"

namespace ql {

struct ScoreObject;
struct ScoreView;

#pragma pack(push, 1)
struct StaffElementBody {
    int32_t left;    // the system's left edge
    int32_t top;     // the staff's top line - 512
    int32_t right;   // right end of the system's last measure slot
    int32_t bottom;  // the staff's y in the system
    int8_t staff;    // 1..count
    uint8_t system;  // number of the system on its page
};
#pragma pack(pop)
constexpr uint32_t kStaffElementBodyBytes = 18;
static_assert(sizeof(StaffElementBody) == kStaffElementBodyBytes);

// The body of a staff element (null for another object).
StaffElementBody* StaffElementBodyOf(ScoreObject* object);

// A staff element of the view's current staff and system, from pool 8 of the
// current set; null without a current system or staff, or when the pool is full.
ScoreObject* MakeStaffElement(ScoreView* view);
// Registers the class and the constructor of type 13.
void RegisterStaffElementClass();

// Deletes the view's current staff: nothing for the only staff; when a cell of the
// staff is not empty, "Cannot undo staff deletion.  Delete anyway?" is asked first
// and No keeps it. Staff 1 (staff 2 when staff 1 goes) becomes current. 1 when removed.
int DeleteCurrentStaff(ScoreView* view);

// The staff keys on the view's current staff: C the channel, H hide in this system,
// M mute, P patch, S solo (staves/staff_mix_keys.h), W reset this system's measure
// widths. 1 when the key was one of them.
int StaffKey(ScoreView* view, win::Key key);

// The staff drag, ended with the staff's top at `dropY` (logical units): the drop is
// snapped to whole staff spaces. With `swap` (the Ctrl key), a drop below the next
// visible staff or above the previous one exchanges the two staves; otherwise the
// dragged staff moves, and in scroll view without `swap` every staff below it with
// it (in page view the same offsets change in every system of the page). One
// undoable edit (verb "Modify", kind "Staff"); 0 when nothing moved.
int DragStaff(ScoreView* view, int staff, int32_t dropY, bool swap);

}  // namespace ql
