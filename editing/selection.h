// The selection engine (module CSO): focus, hover, hit-record lists and the
// focused element's feedback. The SelectionState record itself is part of the
// score model; these are the operations on it that other parts call.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace ql {

struct ScoreView;
struct ScoreObject;
struct HitRecord;

// Empties the hit-record lists and clears focus, hover, handle and drag fields;
// mode 0 rebinds the state to the view's window.
void ResetSelection(ScoreView* view, int mode);

// When an element is focused, unfocuses it and resets the selection.
void EndFocus(ScoreView* view, int mode);

// Takes the focus from the focused element: erases its feedback, lets it commit
// or cancel, redraws it, clears the focus fields.
void UnfocusElement(ScoreView* view);

// Clears the focus fields and restores the default focus object.
void ClearFocusState();

// Clears the hover fields and restores the tool cursor.
void ClearHoverState();

// Commits the edit of the focused element and marks the document changed.
void CommitFocusedElement(ScoreView* view);

// Redraws the focused element on the previous, current and next system.
void RedrawFocusAcrossSystems(ScoreView* view);

// Sets up the XOR drawing state again (the default object restored when nothing is
// focused); 0 when the view has no drawing surface.
int RefreshFocusDrawing(ScoreView* view);

// Saves (restore false) or restores the pen, brush, raster operation and colours
// of the XOR feedback drawing.
void SaveRestoreFeedbackDC(ScoreView* view, ScoreObject* object, bool restore);

// Stores the selection's edit mode.
void SetEditMode(int mode);

// Makes a handle chain that an object's BuildHandles returned selectable: its
// first record goes into list A (nothing when it is there already).
void AddHitRecords(ScoreView* view, HitRecord* chain);
// Adds to list A the handle chains of every object of a chain (linked through the
// objects' next) whose type is the tool type or the secondary type and that is in
// neither list. Stops at the first object that builds no handles.
void AddObjectHitRecords(ScoreView* view, ScoreObject* chain);

// Makes the object under the pointer the focused object for one key command.
void FocusHoveredElement(ScoreView* view);

// Hit-tests the pointer against list A: mode 0 sets the hover and cursor and shows
// the status, 1 sets the hover only, 2 only records the status record. 1 on a hit.
int HitTestSelectionLists(ScoreView* view, int mode);
// The handle record under the pointer, or null; changes nothing.
HitRecord* FindRecordUnderPointer(ScoreView* view);
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

// Ends the focus from inside an edit of the focused object that ends it itself (a
// note's spacing step): the focus's undo step closes with the edit, and the focus
// and handle fields are cleared with no commit. Nothing names the object then, so
// the rebuild of the handles the edit asked for may free it and make it again.
void EndFocusWithoutCommit(ScoreView* view);

// The smaller clears of the state.
void ClearHandleState();
void ClearHoverAndHandle();
void ResetFocusLists();
void ResetFocusToView(ScoreView* view);
// When an object is focused: sets up the XOR state and unfocuses.
void UnfocusWithFeedback(ScoreView* view);

// The note alteration menu commands on the focused note; non-zero when something
// changed.
int ApplyNoteCommand(ScoreView* view, int command, int value);

// The smallest and largest staff whose band's left-middle point lies inside the
// current marquee (page view: the systems of the current page); 1 then, else 0.
// Outside the Pointer tool group it shows "No selection" and gives 0; without a
// marquee drawn it gives 0.
int MarqueeRangeAtPoint(ScoreView* view, int* firstStaff, int* lastStaff);

// Stores the pointer of a mouse message (x low word, y high word) in the view,
// converts it to logical units and updates the location.
void PointerToLogicalPoint(ScoreView* view, uint32_t packedPoint);

// Scrolls when the pointer is within 48 pixels of the window edge.
void AutoScrollAtEdge(ScoreView* view, platform::WindowHandle window, intptr_t data);

}  // namespace ql
