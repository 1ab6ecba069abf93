// The Pointer tool's handler and its Escape zoom to the marquee.
#include "editing/pointer_tool.h"

#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "display/view_modes.h"
#include "editing/marquee.h"
#include "editing/marquee_internal.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"
#include "platform/win/window.h"

namespace ql {
namespace {

constexpr int kMarqueeToolType = TypeCode(ObjectType::Selection);

bool IsEscape(win::Message message, uint32_t word) {
    return message == win::Message::KeyDown && word == static_cast<uint32_t>(win::Key::Escape);
}

}  // namespace

int ZoomToMarquee(ScoreView* view) {
    if (view == nullptr || !view->pageView || CurrentMarquee() == nullptr) return 0;
    const gfx::Rect r = CurrentMarqueeRect();
    const int32_t clientHeight = view->ViewWindow ? win::GetClientRect(view->ViewWindow).bottom : 0;
    const int32_t rows = (r.bottom - r.top) / kNarrowMarqueeUnits;  // the height in units of 128
    if (rows == 0) return 0;  // under 128 units high: there is no height to fill
    const int32_t zoom = clientHeight / rows;  // SetZoom keeps it within its range
    EraseMarqueeInversion(view);  // the zoom erases the window at once
    PainterState& painter = State().display.painter;
    painter.savedOrigin[0] = view->pageOrigin[0];
    painter.savedOrigin[1] = view->pageOrigin[1];
    view->pageOrigin[0] = r.left;
    view->pageOrigin[1] = r.top;
    SetZoom(view, zoom);
    return 0;
}

intptr_t PointerToolHandler(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                            win::Message message, uint32_t word, intptr_t data) {
    if (view == nullptr) return 0;
    const bool bound = BindArmedTool(view, message, window, kMarqueeToolType) != 0;
    SelectionState* s = TheSelectionState();
    if (!bound || (action == ToolAction::Message && (s == nullptr || s->armed == 0)))
        action = ToolAction::SelectThenMessage;
    switch (action) {
        case ToolAction::Select:
        case ToolAction::SelectThenMessage:
            SelectToolType(view, kMarqueeToolType);  // the tool cursor shown, no second type
            ClearStatusBar();
            if (action == ToolAction::Select) return 1;
            [[fallthrough]];
        case ToolAction::Message:
            if (record != nullptr) State().locate.ArmedToolCode = static_cast<uint8_t>(record->bitmapId);
            if (IsEscape(message, word) && view->pageView == 1 && CurrentMarquee() != nullptr)
                return ZoomToMarquee(view);
            return HandleToolMouseMessage(view, window, message, word, data);
        case ToolAction::Deselect:
            DeselectTool(view);
            return 0;
        default:
            return 0;
    }
}

}  // namespace ql
