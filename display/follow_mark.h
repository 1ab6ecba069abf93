// The follow highlight of playback: the measure being played, framed in red on the
// staves that are heard, in the view that plays. The sequencer window moves it at
// each downbeat and takes it away when the run ends; the painter draws it with each
// staff, so a repaint keeps it.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

// Frames `measure` on the staves of the mask (bit n = staff n, staves 1..63) in the
// view and repaints the view; a measure below 1 or a null view clears the mark.
void SetFollowMark(ScoreView* view, int measure, uint64_t staves);
// Takes the mark away (and repaints the view that had it).
void ClearFollowMark();
// The measure framed in the view; 0 when none.
int FollowedMeasure(const ScoreView* view);
// Whether the mark frames the staff.
bool FollowsStaff(const ScoreView* view, int staff);

// The painter's part: the frame on one staff of the view's current system, when
// the followed measure lies in it.
void DrawFollowMark(ScoreView* view, int staff);

}  // namespace ql
