// The score windows' procedure: paint, activation and close.
#include "shell/program/score_child.h"

#include "core/model/document_context.h"
#include "core/model/view.h"
#include "core/state.h"
#include "display/linked_views.h"
#include "display/painter.h"
#include "display/view_scroll.h"
#include "files/commands/file_commands.h"
#include "platform/win/mdi.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/rulers.h"
#include "shell/program/score_windows.h"
#include "shell/program/sequencer_window.h"
#include "shell/program_options.h"
#include "shell/shell_services.h"

namespace ql {
namespace {

using platform::WindowHandle;
using win::Message;

intptr_t OnCreate(WindowHandle window, intptr_t data) {
    const auto* info = reinterpret_cast<const win::CreateInfo*>(data);
    auto* view = info != nullptr ? reinterpret_cast<ScoreView*>(info->createData) : nullptr;
    if (view == nullptr) return -1;
    win::SetWindowLong(window, kViewWindowLong, reinterpret_cast<intptr_t>(view));
    view->ViewWindow = window;
    if (Options().RulerOn != 0) CreateRulers(view);
    return 0;
}

// The rulers, scroll bars, auto-scroll timer and tracking lines of the window's view.
bool OnRulersAndScrolling(WindowHandle window, Message message, uint32_t word) {
    ScoreView* view = GetScoreViewOfWindow(window);
    if (view == nullptr || view->ViewWindow != window) return false;
    switch (message) {
        case Message::Size:
            if (Options().RulerOn != 0) CreateRulers(view);
            return false;
        case Message::VerticalScroll:
            HandleVerticalScroll(view, static_cast<uint16_t>(win::ScrollCodeOf(word)), static_cast<int16_t>(word >> 16));
            return true;
        case Message::HorizontalScroll:
            HandleHorizontalScroll(view, static_cast<uint16_t>(win::ScrollCodeOf(word)), static_cast<int16_t>(word >> 16));
            return true;
        case Message::Timer:
            if (word != kAutoScrollTimer) return false;
            AutoScrollStep(view, window);
            return true;
        case Message::MouseMove:
            TrackRulerLines(view);
            return false;
        case Message::Destroy:
            DestroyRuler(view);
            return false;
        default:
            return false;
    }
}

// The invalid part of the window is painted inside its paint cycle; a window whose
// view is gone is only validated.
void OnPaint(WindowHandle window) {
    if (ScoreView* view = GetScoreViewOfWindow(window); view != nullptr && view->ViewWindow == window) {
        PaintScoreWindow(view);
        return;
    }
    win::PaintInfo info;
    win::BeginPaint(window, info);
    win::EndPaint(window, info);
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

intptr_t ScoreChildWndProc(WindowHandle window, Message message, uint32_t word, intptr_t data) {
    // provisional: the score editor's view procedure (keys, mouse, scrolling, view
    // commands) replaces this one; until then the window paints, activates and closes.
    // Activation makes the window's document the current one for good; every other
    // message works on the window's own document for its call only.
    if (message == Message::MdiActivate) {
        if (win::WindowFromData(data) == window) HandleViewActivation(GetScoreViewOfWindow(window));
        return 0;
    }
    const ScopedDocumentContext context(GetScoreViewOfWindow(window));
    if (OnRulersAndScrolling(window, message, word)) return 0;
    switch (message) {
        case Message::Create: return OnCreate(window, data);
        case Message::Paint:
            OnPaint(window);
            return 0;
        case Message::Close:
            CloseScoreWindow(window);
            return 0;
        case Message::Destroy:
            StopSequencerNow();  // a run never outlives the score it plays
            DestroyViewForWindow(window);
            return 0;
        default: break;
    }
    return win::DefMdiChildProc(window, message, word, data);
}

}  // namespace ql
