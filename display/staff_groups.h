// Staff groups and staff facts the display derives from the score grid: barline,
// brace and bracket groups, staff line offsets, and the clef and key at a
// measure's end.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;
struct ScoreDocument;
struct MeasureCell;

// First and last staff of the barline group holding a staff (flag byte 2, bits
// 0x01 and 0x02).
int FirstStaffOfBarGroup(ScoreView* view, int staff);
int LastStaffOfBarGroup(ScoreView* view, int staff);

// The same for brace groups (bits 0x10 and 0x20).
int FirstStaffOfBrace(ScoreView* view, int staff);
int LastStaffOfBrace(ScoreView* view, int staff);

// The same for bracket groups (flag byte 1, bits 0x20 and 0x40), optionally
// skipping hidden staves.
int FirstStaffOfBracket(ScoreView* view, int staff, bool skipHidden);
int LastStaffOfBracket(ScoreView* view, int staff, bool skipHidden);

// Vertical offsets of two staves' outer lines from a five-line frame by their
// staff-type nibble, scaled by the view's zoom.
void StaffLineOffsets(ScoreView* view, int firstStaff, int secondStaff, int* top, int* bottom);

// True when none of the four voices of a cell holds an event.
bool StaffHasNoVoices(const MeasureCell* cell);

// Key code and clef code in force at the end of a measure of a staff.
int KeyAtMeasureEnd(ScoreDocument* document, int staff, int measure);
int ClefAtMeasureEnd(ScoreDocument* document, int staff, int measure);
// The same for a cell already found.
int KeyAtCellEnd(const MeasureCell& cell);
int ClefAtCellEnd(const MeasureCell& cell);

}  // namespace ql
