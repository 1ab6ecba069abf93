// The score windows' procedure: binding a window to its view, activation with the
// child menu, and every other message through the guarded view procedure.
#include "shell/program/score_child.h"

#include "core/model/document_context.h"
#include "core/model/view.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/long_operation.h"
#include "display/painter.h"
#include "display/view_scroll.h"
#include "editing/block_clipboard.h"
#include "editing/tool_dispatch.h"
#include "files/commands/file_commands.h"
#include "platform/win/activation.h"
#include "platform/win/input.h"
#include "platform/win/mdi.h"
#include "platform/win/window.h"
#include "sequencer/playback.h"
#include "shell/program/frame.h"
#include "shell/program/rulers.h"
#include "shell/program/score_windows.h"
#include "shell/program/view_transport.h"
#include "shell/shell_services.h"

namespace ql {
namespace {

using platform::WindowHandle;
using win::Message;

intptr_t OnCreate(WindowHandle window, intptr_t data) {
    const auto* info = reinterpret_cast<const win::CreateInfo*>(data);
    auto* view = info != nullptr ? reinterpret_cast<ScoreView*>(info->createData) : nullptr;
    if (view == nullptr) return 0;
    win::SetWindowLong(window, kViewWindowLong, reinterpret_cast<intptr_t>(view));
    view->ViewWindow = window;
    if (Options().RulerOn != 0) CreateRulers(view);
    return 0;
}

// The keyboard focus is on the score window or on a window inside it.
bool HasKeyboardFocus(WindowHandle window) {
    const WindowHandle focus = win::GetFocus();
    return focus && (focus == window || win::IsChild(window, focus));
}

void ShowArrowCursor() { win::SetCursor(win::LoadSystemCursor(win::SystemCursor::Arrow)); }

// Over the score the pointer shows the armed tool's cursor (the zoom-dependent one
// of the view while no tool chose one); the mouse handling that follows may still
// set a handle's cursor. A window without the keyboard focus shows the arrow, as
// its tool does not hear the pointer (see OnMouseMoveWithoutFocus). A long
// operation keeps its wait cursor.
intptr_t OnSetCursor(WindowHandle window, uint32_t word, intptr_t data) {
    if (word != static_cast<uint32_t>(win::HitArea::Client)) return win::DefMdiChildProc(window, Message::SetCursor, word, data);
    if (LongOperationRunning()) return 1;
    if (!HasKeyboardFocus(window)) {
        ShowArrowCursor();
        return 1;
    }
    const SelectionState* selection = State().documents.Selection;
    const ScoreView* view = GetViewFromWindow(window);
    win::CursorHandle cursor = selection != nullptr ? selection->toolCursor : win::CursorHandle{};
    if (!cursor && view != nullptr) cursor = view->toolCursor;
    if (cursor)
        win::SetCursor(cursor);
    else
        ShowArrowCursor();
    return 1;
}

// The keyboard is elsewhere (a dialog, another window's control): the pointer
// moving over the score shows the arrow, and neither the view nor its tool hears
// of the move. A long operation keeps its wait cursor.
intptr_t OnMouseMoveWithoutFocus(WindowHandle window, uint32_t word, intptr_t data) {
    if (!LongOperationRunning()) ShowArrowCursor();
    return win::DefMdiChildProc(window, Message::MouseMove, word, data);
}

intptr_t OnMdiActivate(WindowHandle window, uint32_t word, intptr_t data) {
    if (win::WindowFromData(data) == window) {
        ScoreView* view = ActivateViewByWindow(window);
        if (view == nullptr) {
            ActivateViewByWindow(win::WindowFromData(static_cast<intptr_t>(word)));
            return 0;
        }
        SetChildMenu(view);
        if (ViewInputState().dragFlags != 0) StartAutoScrollTimer(window);
    } else if (win::GetCapture() == window) {
        win::ReleaseCapture();
    }
    return 0;
}

}  // namespace

// The last window of a modified score asks whether to save it first.
bool ScoreViewAgreesToClose(ScoreView* view) {
    return IsLastViewOfModified(view) == 0 || AskSaveChanges(view) != 0;
}

int CountScoreWindows() {
    int count = 0;
    for (WindowHandle child : win::MdiChildrenInZOrder(Frame().mdiClient))
        if (IsScoreWindow(child)) ++count;
    return count;
}

ScoreView* GetViewFromWindow(WindowHandle window) {
    return GetScoreViewOfWindow(window);
}

ScoreView* ActivateViewByWindow(WindowHandle window) {
    UpdateToolbarButtons(nullptr);
    if (!window || TransportBusy() || IsPlaybackRunning() || State().dialogs.ModalFlag != 0)
        return nullptr;
    ScoreView* view = GetViewFromWindow(window);
    if (view == nullptr) return nullptr;
    const bool another = State().documents.ActiveView != view;
    HandleViewActivation(view);
    if (another) ShowPageStatus(view);  // the status bar speaks of the view now active
    return view;
}

void PaintScoreView(ScoreView* view, WindowHandle window) {
    if (view->ViewWindow != window) return;
    PaintScoreWindow(view);
}

void ResetViewProcedures() {
    ViewInputState() = ViewInput{};
    Transport() = TransportFlags{};
    SetViewCommandHook(nullptr);
    SetCurrentToolGroup(ToolGroup::Pointer);
    ClearBlockClipboard();
}

intptr_t ScoreChildWndProc(WindowHandle window, Message message, uint32_t word, intptr_t data) {
    switch (message) {
        case Message::Create:
            return OnCreate(window, data);
        case Message::MdiActivate:
            return OnMdiActivate(window, word, data);
        case Message::SetCursor:
            return OnSetCursor(window, word, data);
        case Message::MouseMove:
            if (!HasKeyboardFocus(window)) return OnMouseMoveWithoutFocus(window, word, data);
            break;
        default:
            break;
    }
    ScoreView* view = GetViewFromWindow(window);
    if (view == nullptr) {
        if (message == Message::Destroy) DestroyViewForWindow(window);
        return win::DefMdiChildProc(window, message, word, data);
    }
    // Every message works on the window's own score for its call only.
    const ScopedDocumentContext context(view);
    return ViewMessageProc(view, window, message, word, data);
}

}  // namespace ql
