// Arming, binding and disarming a tool; the standard handler of the object tools;
// the editor's dialogs; and focusing the hovered object for a key.
#include <cstring>
#include <string>

#include "core/draw/draw_surface.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/status_bar.h"
#include "core/units/save_stacks.h"
#include "display/hit_test.h"
#include "display/view_location.h"
#include "editing/editing_services.h"
#include "editing/feedback.h"
#include "editing/mouse_processor.h"
#include "editing/selection.h"
#include "editing/selection_internal.h"
#include "editing/status_readout.h"
#include "editing/tools.h"
#include "platform/win/input.h"

namespace ql {

using namespace selection;

namespace {

constexpr int kIdlePart = 2;
constexpr const char* kIdleText = "Ready";
constexpr const char* kBlank = " ";
constexpr int32_t kNoteSideOffset = 19;  // logical units beside a note for a key focus

// Status part 0 names the armed tool: "<object name> tool", or "tool" for a type without a name.
void ShowToolName(int objectType) {
    const std::string name = ObjectTypeStatusName(objectType);
    SetStatusText(0, (name.empty() ? std::string("tool") : name + " tool").c_str());
}

}  // namespace

int engine::BindArmedTool(ScoreView* view, win::Message /*message*/, platform::WindowHandle /*window*/,
                  int /*objectType*/) {
    SelectionState* s = Sel();
    if (s == nullptr || s->armed == 0) return 0;
    if (s->bound != 0) return 1;
    if (view != nullptr) s->boundWindow = view->ViewWindow;
    RedrawFocusAcrossSystems(view);
    s->bound = 1;
    return 1;
}

void engine::SelectToolType(ScoreView* view, int objectType) {
    SelectionState* s = Sel();
    if (s == nullptr || view == nullptr) return;
    s->boundWindow = view->ViewWindow;
    engine::ResetSelection(view, 0);
    SetStatusText(0, kBlank);
    SetStatusText(1, kBlank);
    SetStatusText(kIdlePart, kIdleText);
    s->editMode = kEditIdle;
    s->toolCursor = view->toolCursor ? view->toolCursor : win::LoadSystemCursor(win::SystemCursor::Cross);
    win::SetCursor(s->toolCursor);
    const int type = objectType >= 0 && objectType < kTypeLimit ? objectType : kMarqueeType;
    s->defaultObject = Ref32<ScoreObject>::To(PrototypeOf(view, type));
    s->focusedObject = s->defaultObject;
    s->behaviourCode = 5;
    s->toolType = static_cast<uint8_t>(type);
    s->secondaryType = kNoSecondaryType;
    s->locationChanged = 1;
    State().locate.ForceLocationUpdate = 1;
    s->armed = 1;
    s->bound = 0;
    engine::BindArmedTool(view, win::Message::Null, view->ViewWindow, type);
}

void engine::DeselectTool(ScoreView* view) {
    SelectionState* s = Sel();
    if (s == nullptr || s->armed == 0) return;
    if (s->editMode > 0) engine::UnfocusElement(view);
    engine::ResetSelection(view, 0);
    State().locate.ForceLocationUpdate = 1;
    s->locationChanged = 1;
    s->armed = 0;
    s->bound = 0;
    if (view != nullptr) s->boundWindow = view->ViewWindow;
}

intptr_t engine::ObjectToolHandler(ScoreView* view, int action, ToolRecord* record,
                           platform::WindowHandle window, win::Message message, uint32_t word,
                           intptr_t data, int objectType) {
    if (view == nullptr) return 0;
    const bool bound = engine::BindArmedTool(view, message, window, objectType) != 0;
    SelectionState* s = Sel();
    if (!bound || (action == ToolAction::Message && (s == nullptr || s->armed == 0)))
        action = ToolAction::SelectThenMessage;
    switch (action) {
        case ToolAction::Select:
        case ToolAction::SelectThenMessage:
            engine::SelectToolType(view, objectType);
            ClearStatusBar();
            ShowToolName(objectType);
            if (action == ToolAction::Select) return 1;
            [[fallthrough]];
        case ToolAction::Message:
            if (record != nullptr) State().locate.ArmedToolCode = static_cast<uint8_t>(record->bitmapId);
            return engine::HandleToolMouseMessage(view, window, message, word, data);
        case ToolAction::Deselect:
            engine::DeselectTool(view);
            return 0;
        default:
            return 0;
    }
}

int RefreshFocusDrawing(ScoreView* view) {
    SelectionState* s = Sel();
    if (s == nullptr || view == nullptr) return 0;
    if (!s->focusedObject) s->focusedObject = s->defaultObject;
    return SetupFeedbackState(view) ? 1 : 0;
}

int engine::RunEditorDialog(ScoreView* view, EditorDialogProc procedure, int dialogId) {
    SelectionState* s = Sel();
    if (view == nullptr || procedure == nullptr || dialogId == 0 || s == nullptr) return 2;
    PushViewLocation(view);
    State().dialogs.ModalFlag = 1;
    s->modal = 1;
    s->editMode = kEditFocused;
    if (view->DrawDepth > 0) EndViewDraw(view);
    const intptr_t result = ModalDialogBox(view, dialogId, procedure);
    if (view->ViewWindow) win::SetFocus(view->ViewWindow);
    if (!s->focusedObject) s->focusedObject = s->defaultObject;
    SetupFeedbackState(view);
    s->dragOffsetX = s->dragOffsetY = 0;
    s->modal = 0;
    State().dialogs.ModalFlag = 0;
    State().locate.ForceLocationUpdate = 1;
    PopViewLocation(view);
    return static_cast<int>(result);
}

// A note of the first selected voice under the pointer moves the pointer beside it,
// on the side the pointer came from.
static void SnapBesideNote(ScoreView* view) {
    if (!IsNoteOrRestTool()) return;
    EventRecord* note = HitTestSelectedVoice(view);
    if (note == nullptr) return;
    const LogicalPoint at = GetEventPosition(note, view);
    const int32_t side = view->pointerPoint.x < at.x ? -kNoteSideOffset : kNoteSideOffset;
    WarpToLogical(view, LogicalPoint{at.x + side, view->pointerPoint.y});
}

void FocusHoveredElement(ScoreView* view) {
    SelectionState* s = Sel();
    if (s == nullptr || view == nullptr) return;
    SnapBesideNote(view);
    if (s->hoverFlag == 0) {
        FollowLocationAgain(view);  // a key may come before the next hover
        HitTestSelectionLists(view, 0);
    }
    s->commitAfterMessage = 0;
    if (s->editMode > 0) {
        SetupFeedbackState(view);
        return;
    }
    ScoreObject* object = s->hoverObject.get();
    HitRecord* hover = s->hoverRecord.get();
    if (!IsUsableObject(object) || !IsUsableRecord(hover)) return;
    s->commitAfterMessage = 1;
    s->focusRecord = s->hoverListRecord;
    SetGrabbedRecord(s, s->hoverRecord.get());
    s->grabbedOwnerType = hover->ownerType;
    s->focusedObject = Ref32<ScoreObject>::To(object);
    HitRecord* focus = s->focusRecord.get();
    if (object->subtype != SubtypeCode(ObjectSubtype::PageList) && focus != nullptr)
        SetCurrentMeasure(view, focus->location.location.staff, focus->location.location.measure);
    s->boundWindow = view->ViewWindow;
    s->editMode = kEditFocused;
    ClassOf(object).ReleaseCache(object, view);
    SetupFeedbackState(view);
    std::memcpy(s->grabbedAnchor, &hover->location.location, sizeof s->grabbedAnchor);
    // Nothing is dragged yet: a commit finds the handle where it was.
    s->grabX = hover->point.x;
    s->grabY = hover->point.y;
    s->pointerOffsetX = view->pointerPoint.x - hover->point.x;
    s->pointerOffsetY = view->pointerPoint.y - hover->point.y;
}

}  // namespace ql
