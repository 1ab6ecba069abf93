// The session link's frame side (see session_end.h).
#include "shell/program/session_end.h"

#include "core/model/score_document.h"
#include "core/state.h"
#include "platform/sys/session_manager.h"
#include "platform/win/message_loop.h"
#include "platform/win/timers.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/score_windows.h"
#include "shell/program/termination_signals.h"

namespace ql {
namespace {

constexpr char kApplicationId[] = "quaverline";
constexpr char kInhibitReason[] = "Scores with unsaved changes are open";
constexpr char kKeptReason[] = "A score with unsaved changes was kept open";
constexpr uint32_t kInhibitPeriodMs = 1000;

bool AnyScoreModified() {
    for (ScoreDocument* d = State().documents.FirstDocument; d != nullptr; d = d->nextDocument)
        if (d->changeCounter != 0) return true;
    return false;
}

}  // namespace

void StartSessionLink() {
    const platform::WindowHandle frame = Frame().window;
    sys::ConnectSessionManager(kApplicationId,
                               {[frame] { win::PostMessage(frame, kSessionQueryMessage); },
                                [frame] { win::PostMessage(frame, kSessionEndMessage); }});
    win::SetTimer(frame, kLogoutInhibitTimer, kInhibitPeriodMs);
}

void StopSessionLink() {
    if (win::IsWindow(Frame().window)) win::KillTimer(Frame().window, kLogoutInhibitTimer);
    sys::DisconnectSessionManager();
}

void OnSessionQuery() {
    const bool closed = !Frame().terminating && CloseScoreWindows(false);
    sys::AnswerSessionEnd(closed, closed ? "" : kKeptReason);
    UpdateLogoutInhibit();
}

void OnSessionEnd() {
    sys::AnswerSessionEnd(true, "");
    ProgramFrame& frame = Frame();
    if (frame.terminating) return;
    // Ended without asking (or after a No to saving that a forced end overrode):
    // what is unsaved goes to its autosave copy, as on a termination signal.
    if (AnyScoreModified()) {
        OnTerminationSignal();
        return;
    }
    frame.terminating = true;
    win::DestroyWindow(frame.window);
}

void UpdateLogoutInhibit() {
    sys::SetLogoutInhibit(AnyScoreModified(), kInhibitReason);
}

}  // namespace ql
