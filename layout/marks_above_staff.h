// How far the marks of a staff's measures stand above the staff: the page layout
// keeps a page's first system low enough that they stay on the paper.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;
struct ScoreSystem;

// How far above the staff's line its y offsets count from (the view's staff y) the
// highest mark of the staff's measures in the system reaches, at the staff's size:
// the lines and hooks of octave lines, endings, brackets and pedal brackets, the
// ends of hairpins, and texts standing on their anchors (octave signs, ending
// numbers, tempo marks, text lines). 0 when none stands above that line. Marks on
// notes, hidden texts and the staff's signs are not counted.
int64_t MarksReachAboveStaff(ScoreView* view, const ScoreSystem* system, int staff);

}  // namespace ql
