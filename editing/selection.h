// The selection engine (module CSO): focus, hover, hit-record lists and the
// focused element's feedback. The SelectionState record itself is part of the
// score model; these are the operations on it that other parts call (the ones the
// layers below call are in core/ui/selection_services.h).
#pragma once

#include <cstdint>

#include "core/ui/selection_services.h"
#include "platform/handles.h"

namespace ql {

struct ScoreView;
struct ScoreObject;
struct HitRecord;

// Redraws the focused element on the previous, current and next system.
void RedrawFocusAcrossSystems(ScoreView* view);

// Sets up the XOR drawing state again (the default object restored when nothing is
// focused); 0 when the view has no drawing surface.
int RefreshFocusDrawing(ScoreView* view);

// Adds to list A the handle chains of every object of a chain (linked through the
// objects' next) whose type is the tool type or the secondary type and that is in
// neither list. Stops at the first object that builds no handles.
void AddObjectHitRecords(ScoreView* view, ScoreObject* chain);

// Makes the object under the pointer the focused object for one key command.
void FocusHoveredElement(ScoreView* view);

// Hit-tests the pointer against list A: mode 0 sets the hover and cursor and shows
// the status, 1 sets the hover only, 2 only records the status record. 1 on a hit.
int HitTestSelectionLists(ScoreView* view, int mode);
// Sets the hover to a given record; 1 on success.
int SetHoverRecord(ScoreView* view, HitRecord* listRecord, HitRecord* hitRecord);
// The object's list-A record, or null.
HitRecord* FindHitRecordOfElement(ScoreObject* object);
// Fills list A for the view's current measure cell by the behaviour code.
void CollectHitRecordsAtLocation(ScoreView* view);
// The selection's followed list: the objects made for the barlines, notes and staves
// around the location the pointer follows (their records come from the static pools
// a reset empties, and the list is emptied with them). Null without a selection.
ScoreObject* SelectionObjectList();

// The smaller clears of the state.
void ClearHoverAndHandle();
void ResetFocusLists();
void ResetFocusToView(ScoreView* view);
// When an object is focused: sets up the XOR state and unfocuses.
void UnfocusWithFeedback(ScoreView* view);

// The smallest and largest staff whose band's left-middle point lies inside the
// current marquee (page view: the systems of the current page); 1 then, else 0.
// Outside the Pointer tool group it shows "No selection" and gives 0; without a
// marquee drawn it gives 0.
int MarqueeRangeAtPoint(ScoreView* view, int* firstStaff, int* lastStaff);

}  // namespace ql
