// The calls of the selection engine's service table, each doing nothing while its
// slot is empty.
#include "core/ui/selection_services.h"

#include "core/services/service_call.h"

namespace ql {
namespace {

constexpr int kDialogCancelled = 2;

SelectionServices& Table() {
    static SelectionServices table;
    return table;
}

template <auto Slot, typename... Args>
auto Call(Args... args) {
    return CallSlot(Table().*Slot, args...);
}

}  // namespace

void SetSelectionServices(const SelectionServices& services) {
    Table() = services;
}

void ResetSelection(ScoreView* view, int mode) {
    Call<&SelectionServices::resetSelection>(view, mode);
}
void EndFocus(ScoreView* view, int mode) {
    Call<&SelectionServices::endFocus>(view, mode);
}
void UnfocusElement(ScoreView* view) {
    Call<&SelectionServices::unfocusElement>(view);
}
void EndFocusWithoutCommit(ScoreView* view) {
    Call<&SelectionServices::endFocusWithoutCommit>(view);
}
void CommitFocusedElement(ScoreView* view) {
    Call<&SelectionServices::commitFocusedElement>(view);
}
void ClearFocusState() {
    Call<&SelectionServices::clearFocusState>();
}
void ClearHoverState() {
    Call<&SelectionServices::clearHoverState>();
}
void ClearHandleState() {
    Call<&SelectionServices::clearHandleState>();
}
void SetEditMode(int mode) {
    Call<&SelectionServices::setEditMode>(mode);
}
void SaveRestoreFeedbackDC(ScoreView* view, ScoreObject* object, bool restore) {
    Call<&SelectionServices::saveRestoreFeedbackDC>(view, object, restore);
}
void AddHitRecords(ScoreView* view, HitRecord* chain) {
    Call<&SelectionServices::addHitRecords>(view, chain);
}
HitRecord* FindRecordUnderPointer(ScoreView* view) {
    return Call<&SelectionServices::findRecordUnderPointer>(view);
}
void MoveFocusedHandlesToStoredPlaces(ScoreView* view, bool redraw) {
    Call<&SelectionServices::moveFocusedHandlesToStoredPlaces>(view, redraw);
}
int ApplyNoteCommand(ScoreView* view, int command, int value) {
    return Call<&SelectionServices::applyNoteCommand>(view, command, value);
}
int RunEditorDialog(ScoreView* view, EditorDialogProc procedure, int dialogId) {
    if (Table().runEditorDialog == nullptr) return kDialogCancelled;
    return Table().runEditorDialog(view, procedure, dialogId);
}
void DestroyMarquee(ScoreObject* object) {
    Call<&SelectionServices::destroyMarquee>(object);
}

}  // namespace ql
