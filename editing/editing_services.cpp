// Fills the tables of the services the layers below call with the editor's own
// functions (see editing_services.h).
#include "editing/editing_services.h"

namespace ql {

void InstallEditingServices() {
    SelectionServices selection;
    selection.resetSelection = engine::ResetSelection;
    selection.endFocus = engine::EndFocus;
    selection.unfocusElement = engine::UnfocusElement;
    selection.endFocusWithoutCommit = engine::EndFocusWithoutCommit;
    selection.commitFocusedElement = engine::CommitFocusedElement;
    selection.clearFocusState = engine::ClearFocusState;
    selection.clearHoverState = engine::ClearHoverState;
    selection.clearHandleState = engine::ClearHandleState;
    selection.setEditMode = engine::SetEditMode;
    selection.saveRestoreFeedbackDC = engine::SaveRestoreFeedbackDC;
    selection.addHitRecords = engine::AddHitRecords;
    selection.findRecordUnderPointer = engine::FindRecordUnderPointer;
    selection.moveFocusedHandlesToStoredPlaces = engine::MoveFocusedHandlesToStoredPlaces;
    selection.applyNoteCommand = engine::ApplyNoteCommand;
    selection.runEditorDialog = engine::RunEditorDialog;
    selection.destroyMarquee = engine::DestroyMarquee;
    SetSelectionServices(selection);

    ToolServices tools;
    tools.objectToolHandler = engine::ObjectToolHandler;
    tools.bindArmedTool = engine::BindArmedTool;
    tools.selectToolType = engine::SelectToolType;
    tools.deselectTool = engine::DeselectTool;
    tools.handleToolMouseMessage = engine::HandleToolMouseMessage;
    tools.drawToolButtonPressed = engine::DrawToolButtonPressed;
    tools.selectToolButtonByKey = engine::SelectToolButtonByKey;
    tools.hideAllPalettes = engine::HideAllPalettes;
    tools.showAllPalettes = engine::ShowAllPalettes;
    tools.layoutPagersToolbar = engine::LayoutPagersToolbar;
    tools.updatePagersToolbar = engine::UpdatePagersToolbar;
    tools.toolRecordOf = engine::ToolRecordOf;
    tools.hideCursorAndPopUpNotePalette = engine::HideCursorAndPopUpNotePalette;
    SetToolServices(tools);

    BlockEditServices blocks;
    blocks.pasteMarkedStaffBlock = engine::PasteMarkedStaffBlock;
    blocks.editBlockAllStaves = engine::EditBlockAllStaves;
    SetBlockEditServices(blocks);
}

}  // namespace ql
