// The time-signature tool's handler. Every edit it makes runs inside one undoable
// edit; the pointer's moves (and the press itself) carry the view's location along,
// so that the dialog opens on the measure clicked.
#include "staves/time_signature_tool.h"

#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/ui/status_bar.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "display/view_pointer.h"
#include "notes/beatmap/beat_map.h"
#include "notes/rests/staff_place.h"
#include "platform/win/keys.h"
#include "staves/time_signature.h"
#include "staves/time_signature_dialog.h"

namespace ql {

namespace {

constexpr int kSelectAction = 0;
constexpr int kMessageAction = 1;
constexpr int kStatusPart = 0;

intptr_t OnToolMessage(ScoreView* view, platform::WindowHandle window, win::Message message, uint32_t word,
                       intptr_t data) {
    if (message == win::Message::MouseMove) {
        AutoScrollAtEdge(view, window, data);
        PointerToLogicalPoint(view, static_cast<uint32_t>(data));
        return 0;  // the rest of the move's handling goes on as for any tool
    }
    if (message == win::Message::LeftButtonDown) {
        PointerToLogicalPoint(view, static_cast<uint32_t>(data));
        UndoStep step(view->document, view, UndoKind::Item, TypeCode(ObjectType::TimeSignature), UndoVerb::Add);
        if (TimeSignatureDialog(view) == 1) {
            UpdateBeatMaps(view, 1);
            InvalidateLinkedViews(view);
        }
        return 1;
    }
    if (message == win::Message::LeftButtonUp) return 1;  // the click ends here
    if (message != win::Message::KeyDown) return 0;
    const auto key = static_cast<win::Key>(word);
    if (key != win::Key::Add && key != win::Key::Subtract) return 0;
    UndoStep step(view->document, view, UndoKind::Item, TypeCode(ObjectType::TimeSignature), UndoVerb::Add);
    const bool upper = PointerStepsUpperNumber(view->pointerPoint.y, StaffBaseY(view));
    StepTimeSignature(view, key == win::Key::Add ? 1 : -1, upper);
    return 1;
}

}  // namespace

intptr_t TimeSignatureTool(ScoreView* view, int action, ToolRecord* /*record*/, platform::WindowHandle window,
                           win::Message message, uint32_t word, intptr_t data) {
    if (view == nullptr || view->document == nullptr) return 0;
    if (action == kSelectAction) {
        SetStatusText(kStatusPart, kTimeToolStatus);
        return 1;
    }
    return action == kMessageAction ? OnToolMessage(view, window, message, word, data) : 0;
}

}  // namespace ql
