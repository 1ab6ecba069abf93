// The classes of the clef change (type 14) and key-signature (type 15) objects that
// stand inside a measure: how they draw, what their dialogs do on an existing
// object, and how the arrow keys step them. A clef at tick 0, or one repeating the
// clef already in force, is not drawn (the cell's nibble shows it); a key signature
// draws its accidentals with the naturals of the key it replaces. A click of the clef
// or key tool makes one (staves/clef_key_create.h).
#pragma once

#include <cstdint>

namespace ql {

struct ScoreDocument;
struct ScoreObject;
struct ScoreView;

// The x offset from a clef change object's anchor at which a key signature object
// changed at the same time is anchored: its first accidental a quarter space right
// of the clef's ink.
int32_t KeyBesideClefChange(const ScoreDocument& document, int clef, int key);

// Registers both classes over the stored text class of their types (run after the
// stored classes are registered).
void RegisterClefKeyObjectClasses();

// The arrow keys on a focused clef or key signature: when the range from the view's
// measure to the end of the piece holds notes, the focused object's dialog is asked
// for (message 0x8022 posted to the view window) and nothing changes; else the clef
// or key steps (StepClef, StepKey). 1 when a step was made.
int StepClefObject(ScoreView* view, int step);
int StepKeyObject(ScoreView* view, int step);

// The dialog on an existing object (810 or 823, "within measure" preselected at the
// object's tick); on OK the object takes the chosen clef or key and the redundant
// clef changes are removed. 1 on OK.
int EditClefObject(ScoreObject* clef, ScoreView* view);
int EditKeyObject(ScoreObject* key, ScoreView* view);

}  // namespace ql
