// The exception guards of the frame and the score windows.
#include "shell/program/exception_guard.h"

#include "core/core_strings.h"
#include "core/error_report.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/state.h"
#include "core/ui/modal_boxes.h"
#include "core/undo/autosave.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"

namespace ql {
namespace {

// The active score to its emergency copy, the other modified scores to their
// autosave copies.
void SaveWhatCanBeSaved() {
    ScoreView* active = GetActiveScoreView();
    if (active != nullptr) SaveEmergencyCopy(active);
    for (ScoreDocument* d = State().documents.FirstDocument; d != nullptr; d = d->nextDocument) {
        if (active != nullptr && d == active->document) continue;
        if (d->changeCounter == 0) continue;
        if (ScoreView* view = ViewShowing(d)) AutoSave(d, view);
    }
}

}  // namespace

void HandleProgramException(GuardKind kind) {
    ProgramFrame& frame = Frame();
    if (frame.terminating) return;
    frame.terminating = true;
    SaveWhatCanBeSaved();
    const int32_t text = kind == GuardKind::Frame  ? kStrFrameException
                         : kind == GuardKind::View ? kStrViewException
                                                   : kStrViewCommandException;
    ModalMessageBox(ProgramString(text),
                    ProgramString(kStrProductName), ui::kBoxIconStop);
    frame.exitCode = kExceptionExitCode;
    // The frame's last stage closes every window without asking, saves the
    // settings and ends the loop with the exit code.
    if (win::IsWindow(frame.window)) {
        CloseScoreWindows(true);
        win::DestroyWindow(frame.window);
    }
}

win::WindowProc Guarded(win::WindowProc procedure, GuardKind kind) {
    return [procedure = std::move(procedure), kind](platform::WindowHandle window, win::Message message,
                                                    uint32_t word, intptr_t data) -> intptr_t {
        try {
            return procedure(window, message, word, data);
        } catch (...) {
            HandleProgramException(kind);
            return 0;
        }
    };
}

}  // namespace ql
