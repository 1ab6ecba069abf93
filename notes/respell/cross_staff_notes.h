// Cross-staff notes around a rewrite of their pitches. A cross-staff note is drawn on
// the staff below (its above bit clear; that staff must exist) or above (bit set; the
// note's own staff must be the second or later) and keeps its place there as a
// position on that neighbour staff. Respelling and transposition work in the note's
// own staff positions, so CountCrossStaffNotes first brings each such note into its
// own staff (the neighbour position under the neighbour's clef shifted to the own
// clef, then seven steps down for the staff below, up for the staff above), and
// UpdateCrossStaffNotes takes it back out afterwards. The two are inverse: count then
// update with nothing rewritten in between leaves every neighbour position as it was.
#pragma once

namespace ql {

struct ScoreView;
struct MeasureCell;

// Steps between a note's own-staff position and the same note on a neighbour staff.
constexpr int kCrossStaffSteps = 7;

// Brings the cross-staff notes of a voice of (staff, measure)'s cell into their own
// staff's positions; with `onlyNeighbour` non-zero only the notes drawn on that
// staff. A neighbour position of -127 (none) counts as 0; a clef outside the clef
// codes takes the neighbour position unchanged. Returns how many notes were set.
int CountCrossStaffNotes(ScoreView* view, MeasureCell* cell, int staff, int measure, int voice,
                         int onlyNeighbour);
// Takes them back: each note's own position loses the seven steps again and its
// neighbour position becomes that position shifted from its own clef to the
// neighbour's (a result of -127 stores 0). The callers redraw the measure.
void UpdateCrossStaffNotes(ScoreView* view, MeasureCell* cell, int staff, int measure, int voice);

}  // namespace ql
