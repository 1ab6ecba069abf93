// The Zoom tool: a click or a drag that encloses an area zooms in through the zoom
// area object; a right click steps one level out; Shift+click goes to the zoom preset
// (or back to the previous level when the view is at the preset already), and
// Shift+Ctrl+click stores the view's level as the preset.
#include "core/constants.h"
#include "core/draw/view_metrics.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "display/view_pointer.h"
#include "display/zoom.h"
#include "editing/group_tools.h"
#include "editing/group_tools_internal.h"
#include "editing/selection.h"
#include "platform/win/keys.h"

namespace ql {
namespace {

constexpr char kZoomStatus[] = "Zoom - Click or drag-enclose";
constexpr int kZoomOutStep = -1;

void ShowZoomToolStatus(ScoreView* /*view*/) {
    SetStatusText(0, kZoomStatus);
}

bool ShiftDown(uint32_t word) {
    return (word & win::kMouseShift) != 0 || win::IsKeyDown(win::Key::Shift);
}

bool CtrlDown(uint32_t word) {
    return (word & win::kMouseControl) != 0 || CtrlHeld();
}

// One level out through the document's zoom area, as a drop on the area does.
void StepZoomOut(ScoreView* view) {
    ScoreObject* area = view->document != nullptr
                            ? view->document->prototypes[TypeCode(ObjectType::Area)]
                            : nullptr;
    if (area != nullptr)
        ClassOf(area).StepValue(area, view, kZoomOutStep);
    else
        StepZoom(view, kZoomOutStep);
}

// Shift+click: store the preset (with Ctrl), else go to it or back from it.
void ShiftClick(ScoreView* view, uint32_t word, intptr_t data) {
    PainterState& painter = State().display.painter;
    if (CtrlDown(word)) {
        painter.zoomPreset = view->zoom;
        return;
    }
    PointerToLogicalPoint(view, static_cast<uint32_t>(data));
    if (view->zoom != painter.zoomPreset)
        ZoomAtPointer(view, painter.zoomPreset);
    else
        PreviousZoomLevel(view);
}

}  // namespace

intptr_t ZoomToolHandler(ScoreView* view, int action, ToolRecord* record,
                         platform::WindowHandle window, win::Message message, uint32_t word,
                         intptr_t data) {
    if (view == nullptr) return 0;
    const int area = TypeCode(ObjectType::Area);
    if (action == ToolAction::Select || action == ToolAction::SelectThenMessage ||
        action == ToolAction::Message)
        SetViewToolCursor(view);  // the zoom cursor of the view's level
    action = SelectObjectToolFirst(view, action, record, window, message, word, data, area,
                                   ShowZoomToolStatus);
    if (action < 0) return 1;
    if (action != ToolAction::Message)
        return ObjectToolHandler(view, action, record, window, message, word, data, area);
    const bool shift = ShiftDown(word);
    if (message == win::Message::RightButtonDown && !shift) {
        StepZoomOut(view);
        return 1;
    }
    if (message == win::Message::LeftButtonDown && shift) {
        ShiftClick(view, word, data);
        return 1;
    }
    if (message == win::Message::RightButtonDown && shift && CtrlDown(word)) {
        State().display.painter.secondZoomPreset = view->zoom;
        return 1;
    }
    return ObjectToolHandler(view, action, record, window, message, word, data, area);
}

}  // namespace ql
