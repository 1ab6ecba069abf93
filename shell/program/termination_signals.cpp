// The termination-signal watcher and the frame's answer to it.
#include "shell/program/termination_signals.h"

#include <csignal>
#include <thread>

#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/state.h"
#include "core/undo/autosave.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"

namespace ql {
namespace {

sigset_t TerminationSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

}  // namespace

void BlockTerminationSignals() {
    const sigset_t set = TerminationSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void WatchTerminationSignals() {
    static bool started = false;
    if (started) return;
    started = true;
    std::thread([] {
        const sigset_t set = TerminationSet();
        int signal = 0;
        while (sigwait(&set, &signal) == 0)
            win::PostMessage(Frame().window, kTerminationMessage, static_cast<uint32_t>(signal));
    }).detach();
}

void WriteCopiesOfModifiedScores() {
    for (ScoreDocument* d = State().documents.FirstDocument; d != nullptr; d = d->nextDocument)
        if (d->changeCounter != 0) AutoSave(d, ViewShowing(d));
}

void OnDisplayLost() {
    ProgramFrame& frame = Frame();
    if (frame.terminating) return;
    frame.terminating = true;
    WriteCopiesOfModifiedScores();
}

void OnTerminationSignal() {
    ProgramFrame& frame = Frame();
    if (frame.terminating) return;
    frame.terminating = true;
    WriteCopiesOfModifiedScores();
    frame.exitCode = kTerminationExitCode;
    CloseScoreWindows(true);
    win::DestroyWindow(frame.window);
}

}  // namespace ql
