// What the score model, the music's objects and their dialogs ask of the selection
// engine (the editor's focus, hover and handle lists, editing/): ending and
// committing a focus, clearing its fields, adding handles to the lists, the note
// menu's commands, the attribute dialogs run from the editor, and the marquee's own
// delete. The editor fills the table when the program starts
// (editing/editing_services.h); until then, as in a program built without the
// editor, where nothing is ever focused, hovered or selected, each call does
// nothing and answers null or 0, except `RunEditorDialog`, which answers 2 (the
// dialog cancelled).
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct HitRecord;
struct ScoreObject;
struct ScoreView;

// The procedure of an attribute dialog run from the editor.
using EditorDialogProc = intptr_t (*)(platform::WindowHandle dialog, win::Message message,
                                      uint32_t word, intptr_t data);

struct SelectionServices {
    void (*resetSelection)(ScoreView* view, int mode) = nullptr;
    void (*endFocus)(ScoreView* view, int mode) = nullptr;
    void (*unfocusElement)(ScoreView* view) = nullptr;
    void (*endFocusWithoutCommit)(ScoreView* view) = nullptr;
    void (*commitFocusedElement)(ScoreView* view) = nullptr;
    void (*clearFocusState)() = nullptr;
    void (*clearHoverState)() = nullptr;
    void (*clearHandleState)() = nullptr;
    void (*setEditMode)(int mode) = nullptr;
    void (*saveRestoreFeedbackDC)(ScoreView* view, ScoreObject* object, bool restore) = nullptr;
    void (*addHitRecords)(ScoreView* view, HitRecord* chain) = nullptr;
    HitRecord* (*findRecordUnderPointer)(ScoreView* view) = nullptr;
    void (*moveFocusedHandlesToStoredPlaces)(ScoreView* view, bool redraw) = nullptr;
    int (*applyNoteCommand)(ScoreView* view, int command, int value) = nullptr;
    int (*runEditorDialog)(ScoreView* view, EditorDialogProc procedure, int dialogId) = nullptr;
    void (*destroyMarquee)(ScoreObject* object) = nullptr;
};

void SetSelectionServices(const SelectionServices& services);

// Empties the hit-record lists and clears focus, hover, handle and drag fields;
// mode 0 rebinds the state to the view's window.
void ResetSelection(ScoreView* view, int mode);

// When an element is focused, unfocuses it and resets the selection.
void EndFocus(ScoreView* view, int mode);

// Takes the focus from the focused element: erases its feedback, lets it commit
// or cancel, redraws it, clears the focus fields.
void UnfocusElement(ScoreView* view);

// Ends the focus from inside an edit of the focused object that ends it itself (a
// note's spacing step): the focus's undo step closes with the edit, and the focus
// and handle fields are cleared with no commit. Nothing names the object then, so
// the rebuild of the handles the edit asked for may free it and make it again.
void EndFocusWithoutCommit(ScoreView* view);

// Commits the edit of the focused element and marks the document changed.
void CommitFocusedElement(ScoreView* view);

// Clears the focus fields and restores the default focus object.
void ClearFocusState();

// Clears the hover fields and restores the tool cursor.
void ClearHoverState();

// Clears the focus record, the grabbed handle and the edit mode.
void ClearHandleState();

// Stores the selection's edit mode.
void SetEditMode(int mode);

// Saves (restore false) or restores the pen, brush, raster operation and colours
// of the XOR feedback drawing.
void SaveRestoreFeedbackDC(ScoreView* view, ScoreObject* object, bool restore);

// Makes a handle chain that an object's BuildHandles returned selectable: its
// first record goes into list A (nothing when it is there already).
void AddHitRecords(ScoreView* view, HitRecord* chain);

// The handle record under the pointer, or null; changes nothing.
HitRecord* FindRecordUnderPointer(ScoreView* view);

// For an object that keeps its own handles (a note moved by a spacing key): the
// held records take the places of a fresh chain when it holds the same kinds of
// record (with `redraw` the feedback is taken off before and put back after, only
// when something changed); nothing else.
void MoveFocusedHandlesToStoredPlaces(ScoreView* view, bool redraw);

// The note alteration menu commands on the focused note; non-zero when something
// changed.
int ApplyNoteCommand(ScoreView* view, int command, int value);

// Runs a modal dialog with the selection's modal state set; the dialog's result
// (2 = cancelled).
int RunEditorDialog(ScoreView* view, EditorDialogProc procedure, int dialogId);

// The marquee's own delete: forgets it when current, frees its handles' records when
// it names them, and returns its record to the pool it came from.
void DestroyMarquee(ScoreObject* object);

}  // namespace ql
