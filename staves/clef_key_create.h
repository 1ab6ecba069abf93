// Placing a clef change or a key signature where the clef or key tool clicks. The
// dialog of the sign (810 or 823) runs at the click; a change from the start of the
// measure is written to the cells by the dialog and leaves no object, a change
// within the measure is kept as an object in the measure's cell at the click's
// tick. Either is one undoable edit.
#pragma once

#include <cstdint>

namespace ql {

// A key signature object's anchor stands this far above its staff's bottom line: its
// accidentals then sit on the lines the clef in force names. A clef change's anchor
// stands at its kind's glyph offset (ClefGlyphOffset) from that line.
inline constexpr int32_t kKeyAnchorLift = 384;

struct MeasureCell;
struct ScoreObject;
struct ScoreView;

// The clef tool's click at the view's pointer and location: the dialog starts with
// the clef in force there. Returns the clef change object inserted into the cell,
// or null when none was kept (a change from the measure's start, Cancel, a change
// that repeats the clef in force, no staff or measure at the click, a master page,
// no record).
ScoreObject* CreateClefAtClick(ScoreView* view);

// A clef change object takes another kind: its glyph and its height (the glyph
// offset of the kind), its x and tick kept. The view's location is the object's.
void SetClefChangeKind(ScoreView* view, ScoreObject* clef, int kind);

// The key tool's click, the same way with the key in force.
ScoreObject* CreateKeyAtClick(ScoreView* view);

// The ticks of the events around a tick of a cell (any of its four voices): the
// latest event before it (0, the measure's start, when none) and the earliest at or
// after it (the measure's end when none).
struct EventGap {
    int before = 0;
    int after = 0;
};
EventGap EventsAround(MeasureCell* cell, int tick, int measureLength);

// Where a change placed inside a measure at `tick` stands: midway between the
// event before the tick (the measure's start when none) and the event at or after
// it (the measure's end when none), so that it falls between the two events it
// separates. 0 when there is no room between them (the change then stands at the
// measure's start).
int MidwayChangeTick(MeasureCell* cell, int tick, int measureLength);

}  // namespace ql
