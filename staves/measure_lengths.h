// Measure lengths and widths set again from scratch: every measure's length from its
// time signature (staff 1's cell) with its spacing list dropped, and the widths of the
// current system's measures reset (the staff key "W"). A reset measure takes the
// program's default spacing factor and the document's default margins, and is as
// wide as its length at that factor.
#pragma once

namespace ql {

struct ScoreDocument;
struct ScoreView;

// Drops the measure's spacing list and gives it the default factor, margins and
// the proportional width of its length. Nothing for a measure out of range.
void ResetMeasureSpacing(ScoreDocument* document, int measure);

// Length = (1 << beat unit) x beats from staff 1's cell, for measures 1..count, each
// reset as above. A cell whose time signature gives no length that fits a measure
// (no beats, a unit past a whole note times 16) keeps its measure's length. Returns
// the number of measures whose length changed.
int RecomputeMeasureLengths(ScoreDocument* document, ScoreView* view);

// Resets the measures of the view's current system as one undoable edit (verb
// "Format", kind "Staff") and redraws the linked views; 0 without a current system.
int ResetSystemMeasureWidths(ScoreView* view);

}  // namespace ql
