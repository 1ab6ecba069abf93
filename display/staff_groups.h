// Staff groups and staff facts the display derives from the score grid: barline,
// brace and bracket groups, staff line offsets, and the clef and key at a
// measure's end.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;
struct ScoreDocument;
struct MeasureCell;

// Group walks: the staff at the first or last end of a staff's group, the staff
// itself when it joins nothing on that side. Barline connection: first word bits 13
// (joins the staff above) and 14 (joins the staff below); brace: flags bits 0 and 1;
// bracket: flags bits 4 and 5 (staves/staff_group_bits.h). A joining bit that points
// past the first or the last staff joins nothing; while painting, the walk clears it.
int FirstStaffOfBarGroup(ScoreView* view, int staff);
int LastStaffOfBarGroup(ScoreView* view, int staff);
int FirstStaffOfBrace(ScoreView* view, int staff);
int LastStaffOfBrace(ScoreView* view, int staff);
// With skipHidden, staves the view's current system does not show are trimmed from
// both ends of the bracket group.
int FirstStaffOfBracket(ScoreView* view, int staff, bool skipHidden);
int LastStaffOfBracket(ScoreView* view, int staff, bool skipHidden);

// True when the view's current system shows the staff (false out of range).
bool IsStaffShownInSystem(const ScoreView* view, int staff);

// Offsets of a group's outer lines from a five-line frame, scaled by the view's
// staff scale: top by the upper staff's type n (128 x 1, 2, 1, 0 for n = 1..4,
// 128 x (5 - n) from 5 lines, 0 for no lines), bottom -128 when the lower staff has
// 1..4 lines, else 0.
void StaffLineOffsets(ScoreView* view, int firstStaff, int secondStaff, int* top, int* bottom);

// True when none of the four voices of a cell holds an event.
bool StaffHasNoVoices(const MeasureCell* cell);

// Key code and clef code in force at the end of a measure of a staff.
int KeyAtMeasureEnd(ScoreDocument* document, int staff, int measure);
int ClefAtMeasureEnd(ScoreDocument* document, int staff, int measure);
// The same for a cell already found.
int KeyAtCellEnd(const MeasureCell& cell);
int ClefAtCellEnd(const MeasureCell& cell);
// Both from one walk of the cell's list.
struct CellEndSigns {
    int key = 0;
    int clef = 0;
};
CellEndSigns SignsAtCellEnd(const MeasureCell& cell);

}  // namespace ql
