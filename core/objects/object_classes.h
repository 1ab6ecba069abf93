// The shared bodies of the score-object protocol: the work behind the root class's
// default operations, callable by classes that override an operation and still want
// the common behaviour. All run on the user-interface thread and check for a missing
// SelectionState, focused hit chain or object first.
#pragma once

#include <cstdint>

#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"

namespace ql {

struct ScoreView;
struct EventRecord;

// The help context of a type code for F1 (0: no help).
uint32_t HelpContextOfType(uint8_t type);
// Opens the help topic of an object type (the F1 key on a focused object); 0 when the
// type has none.
int ShowHelpOfType(uint8_t type);

// Subtype 3 only: the note whose attachment chain (headed by its Accidental, whose
// prev is the note) holds the object, when that note's attachment is the accidental.
EventRecord* OwnerNoteOf(const ScoreObject* object);

// True when Update must not draw now: an editor dialog runs, or the object is the
// focused one being edited (a redraw message is posted to the bound window instead).
bool UpdateIsDeferred(const ScoreObject* object);

// Redraws the current measure's selection marks when something is selected.
void RedrawSelectionMarks(ScoreView* view);

// True when the SelectionState's saved location (measure, staff, position) differs
// from the view's current one, each compared as a signed 16-bit number.
bool SavedLocationDiffers(const ScoreView* view);

// Moves an object between measure ownership (subtype 0) and page ownership (1).
void ToggleObjectOwnership(ScoreObject* object, ScoreView* view);

// Removes an object from the score and frees it (the root HandleDrop); 1 when done.
int DropObject(ScoreView* view, ScoreObject* object, HitRecord* hit);

// Clones the object into the current set and links the copy where the focused hit
// record is; the copy or null.
ScoreObject* PasteObjectCopy(ScoreObject* object, ScoreView* view);

// The copy of an object whose body owns nothing outside its record (no string, no
// chain of its own): a new record of its type in `target`, made by the type's
// constructor, with the body's bytes, the class, the type and the subtype; not
// linked anywhere. Null when no record can be had.
ScoreObject* CloneObjectBody(ScoreObject* object, PoolSet target);

// Rebuilds the handles of the focused object and makes them current.
void MakeObjectCurrent(ScoreObject* object, ScoreView* view);

// The root CommitDrag: re-anchors a dragged object; -1, 0 or 1 by the first byte in
// which the stored location changed.
int ScoreObjectCommitDrag(ScoreObject* object, ScoreView* view);

// Compares two locations byte by byte in storage order (position word lowest byte
// first, class byte, staff, measure lowest byte first) as unsigned bytes: 0 equal,
// -1 when the first differing byte of `before` is smaller, else 1.
int CompareObjectLocations(const ObjectLocation& before, const ObjectLocation& after);

}  // namespace ql
