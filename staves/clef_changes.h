// Changing the clef of a staff: over a range of measures (moving the notes or
// keeping their pitches), by the arrow keys of the clef tool, after a clef change
// was dropped inside a measure, and removing clef changes that repeat the clef
// already in force.
//
// Percussion and TAB clefs never move or transpose notes: a change to or from
// either only writes the cells' clef nibbles. Every other change hands the range to
// the transposition (notes/transpose/transpose.h), which writes the nibbles and
// moves the notes: with keep-pitches (the stepping and drop paths) each note keeps
// its sound and takes the position the new clef gives it.
#pragma once

#include <cstdint>

#include "notes/transpose/transpose.h"
#include "staves/signature_step.h"

namespace ql {

struct ScoreView;
struct ScoreObject;

// The step order of clef kinds that the arrow keys follow.
constexpr int kClefStepCount = 15;
// The kind `step` places before `kind` in the step order (wrapping around; a step
// of 0 counts as 1). A kind out of range is returned as it is.
int SteppedClefKind(int kind, int step);
// Whether the kind's notes are never moved (Percussion, TAB).
bool IsUnpitchedClef(int kind);

// One clef change over a range of a staff: measures [firstMeasure, endMeasure), the
// first from firstTick, the end measure up to endTick (0: not at all).
struct ClefRangeChange : SignatureRange {
    int oldClef = 0;
    int newClef = 0;
    TransposeClefMode clefMode = TransposeClefMode::Transpose;  // keep pitches
    TransposeDirection direction = TransposeDirection::None;
    int semitones = 0;
    bool notesInRange = true;  // false: only the nibbles need writing
};
// Applies the change: 0 when it was refused (no document, a staff or clef code out
// of range), else 1. At measure 1 the staff's opening cell (measure 0) takes the
// clef too. The document's layout is not refreshed here.
int ApplyClefOverRange(ScoreView* view, const ClefRangeChange& change);

// The arrow keys of the clef tool at the view's location (staff, measure): when the
// range up to the next clef change holds notes, the view is asked first (the
// synthetic press, core/private_messages.h) and nothing changes (result 0).
// Otherwise the clef at the measure's start steps through the step order, as one
// undoable edit; result 1.
int StepClef(ScoreView* view, int step);

// The staff element's own clef step (kept apart from StepClef): the clef code of
// the view's current staff at its current measure moves by -step (0 counts as 1)
// through the codes 0..9; outside them a beep and nothing changes (so kinds from 10
// on cannot be stepped, and 10 only down). The measure's cell and every following
// cell that had the old code take the new one. 1 when it changed.
int StepStaffElementClef(ScoreView* view, int step);

// A clef change object dropped (deleted) from a measure: the staff and measure of
// the selection's focused hit record (else the view's location) go back, from the
// object's tick up to the next change, to the clef in force before it, the notes
// keeping their pitches; the object then repeats that clef and is removed with the
// other redundant changes of the staff. 1 when done, 0 when refused (no location,
// not a clef change, a kind out of range: nothing changed).
int InsertClefInMeasure(ScoreView* view, ScoreObject* clef);

// Removes, on the staff of the view's location, every clef change object (measures
// 1 up to, not including, the last) whose kind equals the clef in force just before
// it, and recounts each cell's clef changes. The document's clef prototype is never
// removed. With fewer than two measures it only marks the document modified.
// Returns 1 when `clef` was among those removed.
int RemoveRedundantClefs(ScoreView* view, const ScoreObject* clef);

}  // namespace ql
