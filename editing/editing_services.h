// The editor's side of the services the layers below call
// (core/ui/selection_services.h, core/ui/tool_services.h,
// core/ui/block_edit_services.h): `InstallEditingServices` fills their tables with
// the selection engine's, the tools' and the block edits' own functions, declared
// here; the program does it when
// it starts (shell/shell_services.h), as every test, benchmark and fuzz program of
// the build does as it loads. Everything else, in the editor too, calls the
// table's functions of the same names.
#pragma once

#include "core/ui/block_edit_services.h"
#include "core/ui/selection_services.h"
#include "core/ui/tool_services.h"

namespace ql {

void InstallEditingServices();

namespace engine {

void ResetSelection(ScoreView* view, int mode);
void EndFocus(ScoreView* view, int mode);
void UnfocusElement(ScoreView* view);
void EndFocusWithoutCommit(ScoreView* view);
void CommitFocusedElement(ScoreView* view);
void ClearFocusState();
void ClearHoverState();
void ClearHandleState();
void SetEditMode(int mode);
void SaveRestoreFeedbackDC(ScoreView* view, ScoreObject* object, bool restore);
void AddHitRecords(ScoreView* view, HitRecord* chain);
HitRecord* FindRecordUnderPointer(ScoreView* view);
void MoveFocusedHandlesToStoredPlaces(ScoreView* view, bool redraw);
int ApplyNoteCommand(ScoreView* view, int command, int value);
int RunEditorDialog(ScoreView* view, EditorDialogProc procedure, int dialogId);
void DestroyMarquee(ScoreObject* object);

intptr_t ObjectToolHandler(ScoreView* view, int action, ToolRecord* record,
                           platform::WindowHandle window, win::Message message, uint32_t word,
                           intptr_t data, int objectType);
int BindArmedTool(ScoreView* view, win::Message message, platform::WindowHandle window,
                  int objectType);
void SelectToolType(ScoreView* view, int objectType);
void DeselectTool(ScoreView* view);
intptr_t HandleToolMouseMessage(ScoreView* view, platform::WindowHandle window,
                                win::Message message, uint32_t word, intptr_t data);
void DrawToolButtonPressed(ScoreView* view, int palette, int button);
void SelectToolButtonByKey(ScoreView* view, int palette, int index);
void HideAllPalettes();
void ShowAllPalettes();
void LayoutPagersToolbar(ScoreView* view);
void UpdatePagersToolbar(ScoreView* view);
ToolRecord* ToolRecordOf(int palette, int index);
void HideCursorAndPopUpNotePalette(ScoreView* view);

int PasteMarkedStaffBlock(ScoreView* view);
int EditBlockAllStaves(ScoreDocument* document, ScoreView* view, int measure);

}  // namespace engine
}  // namespace ql
