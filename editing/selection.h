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

// Redraws the focused element's XOR feedback.
void RefreshFocusDrawing(ScoreView* view);

// Saves (restore false) or restores the pen, brush, raster operation and colours
// of the XOR feedback drawing.
void SaveRestoreFeedbackDC(ScoreView* view, ScoreObject* object, bool restore);

// Stores the selection's edit mode.
void SetEditMode(int mode);

// Makes the handle objects of a chain selectable.
void AddHitRecords(ScoreView* view, HitRecord* chain);

// The note alteration menu commands on the focused note; non-zero when something
// changed.
int ApplyNoteCommand(ScoreView* view, int command, int value);

// Turns the marquee point into a staff and measure; 0 when there is none.
int MarqueeRangeAtPoint(ScoreView* view, int* staffOut, int* measureOut);

// Stores the pointer of a mouse message (x low word, y high word) in the view,
// converts it to logical units and updates the location.
void PointerToLogicalPoint(ScoreView* view, uint32_t packedPoint);

// Scrolls when the pointer is within 48 pixels of the window edge.
void AutoScrollAtEdge(ScoreView* view, platform::WindowHandle window, intptr_t data);

}  // namespace ql
