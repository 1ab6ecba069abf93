// How far the marks of a staff's measures stand above and below the staff: the
// room each staff takes in its system (layout/staff_room.h) and the page layout,
// which keeps a page's first system low enough that they stay on the paper, read it.
#pragma once

#include <cstdint>
#include <functional>

namespace ql {

struct ScoreView;
struct ScoreSystem;
struct ScoreObject;

// A reach past a line, both counted from it, positive away from it: `above` up the
// page, `below` down it; 0 where nothing passes it.
struct VerticalReach {
    int64_t above = 0;
    int64_t below = 0;
    // Takes in ink from `top` to `bottom` (y, down the page, from the line).
    void Take(int64_t top, int64_t bottom);
    void Take(const VerticalReach& other);
};

// The ink of one mark whose y offsets count from `origin` (units from the line,
// down the page), at `scale`: a slur's curve, the lines and hooks of octave lines,
// endings, brackets and pedal brackets, a hairpin's ends, a text standing on its
// anchor (its ascent, or its first glyph's ink where that rises higher, and its
// descent; a labelled line's number or text as well as its line). A mark of none
// of these kinds or a hidden text leaves `reach` as it was.
void TakeMarkReach(ScoreView* view, ScoreObject* object, int64_t origin, double scale, VerticalReach* reach);

// How far above and below the staff's bottom line (the view's staff y, from which
// its marks' y offsets count) the marks of its measures in the system reach, at
// the staff's size, with the lines and curves carried on into the system from its
// measures in the system before on the page. Marks on notes and the staff's signs
// are not counted.
VerticalReach MarksReachOfStaff(ScoreView* view, const ScoreSystem* system, int staff);

// The x of a time in a measure of the system, with an anchor's x offset (unscaled)
// added, in the units of the span it is weighed against.
using TimeX = std::function<int64_t(int measure, int tick, int offset)>;

// The top (y from the staff's bottom line, at `scale`, negative upwards; 0 when
// none rises above it) of the lines and curves anchored in time in the staff's
// measures of the system, with the lines carried on into it from the system before
// and the labels of all of them, and of the ties and lines anchored at the staff's
// notes in the system, that pass over [left, right] of the system: a measure number
// stands clear above these.
int64_t LinesTopOver(ScoreView* view, const ScoreSystem* system, int staff, int64_t left, int64_t right,
                     double scale, const TimeX& xOf);

}  // namespace ql
