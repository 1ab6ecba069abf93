// The clef and key tools' handlers (see clef_key_tools.h).
#include "staves/clef_key_tools.h"

#include "core/constants.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/ui/status_bar.h"
#include "core/ui/tool_services.h"
#include "display/linked_views.h"
#include "platform/win/keys.h"
#include "staves/clef_changes.h"
#include "staves/clef_drag.h"
#include "staves/key_changes.h"

namespace ql {

namespace {

constexpr int kStatusPart = 0;

// The keys the tool takes itself: 1 when taken.
intptr_t OnToolKey(ScoreView* view, win::Key key, int (*step)(ScoreView*, int)) {
    switch (key) {
    case win::Key::Up:
    case win::Key::Add:
        step(view, 1);
        return 1;
    case win::Key::Down:
    case win::Key::Subtract:
        step(view, -1);
        return 1;
    case win::Key::F1: {
        const SelectionState* selection = TheSelectionState();
        ScoreObject* focused = selection != nullptr ? selection->focusedObject.get() : nullptr;
        if (focused != nullptr) ClassOf(focused).OnKey(focused, view, static_cast<uint32_t>(key));
        return 1;
    }
    default:
        return 0;
    }
}

intptr_t SignTool(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                  win::Message message, uint32_t word, intptr_t data, ObjectType type, const char* status,
                  int (*step)(ScoreView*, int)) {
    if (view == nullptr) return 0;
    if (action == ToolAction::Message && message == win::Message::KeyDown &&
        OnToolKey(view, static_cast<win::Key>(word), step) != 0)
        return 1;
    const intptr_t result = ObjectToolHandler(view, action, record, window, message, word, data, TypeCode(type));
    if (action == ToolAction::Select) SetStatusText(kStatusPart, status);
    return result;
}

}  // namespace

intptr_t ClefTool(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                  win::Message message, uint32_t word, intptr_t data) {
    // While a clef change is dragged every move redraws the views, so that what the
    // drag passes over is drawn afresh.
    if (view != nullptr && action == ToolAction::Message && message == win::Message::MouseMove &&
        PendingClefDrag().measure != 0)
        InvalidateLinkedViews(view);
    return SignTool(view, action, record, window, message, word, data, ObjectType::Clef, kClefToolStatus,
                    &StepClef);
}

intptr_t KeyTool(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                 win::Message message, uint32_t word, intptr_t data) {
    return SignTool(view, action, record, window, message, word, data, ObjectType::KeySignature, kKeyToolStatus,
                    &StepKey);
}

}  // namespace ql
