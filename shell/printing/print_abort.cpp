// The "Printing ..." box and the pump between pages. One print run at a time: the
// box's procedure reaches the run through the one running-run slot, which is set
// only while the box exists.
#include "shell/printing/print_abort.h"

#include "core/state.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/resources/print_resources.h"

namespace ql {
namespace {

PrintAbortBox*& RunningRun() {
    static PrintAbortBox* run = nullptr;
    return run;
}

// A paint of one of the printed document's views.
bool IsSuspendedPaint(const PrintAbortBox& run, const win::QueuedMessage& message) {
    if (message.message != win::Message::Paint || run.document == nullptr) return false;
    for (ScoreView* view = State().documents.FirstView; view != nullptr; view = view->nextView)
        if (view->document == run.document && view->ViewWindow == message.window) return true;
    return false;
}

}  // namespace

intptr_t PrintAbortDialogProc(platform::WindowHandle dialog, win::Message message, uint32_t word,
                              intptr_t data) {
    switch (message) {
        case win::Message::InitDialog: {
            const auto* title = reinterpret_cast<const std::string*>(data);
            if (title != nullptr)
                win::SetWindowText(ui::GetDialogItem(dialog, kPrintAbortTextId), *title);
            return 1;
        }
        case win::Message::Command:
            if (win::CommandId(word) != ui::kIdCancel) return 0;
            if (PrintAbortBox* run = RunningRun()) run->aborted = true;
            return 1;
        default:
            return 0;
    }
}

bool ShowPrintAbortBox(PrintAbortBox& run, const std::string& title) {
    RunningRun() = &run;
    run.box = ui::CreateModelessDialog(kPrintAbortDialogId, State().dialogs.FrameWindow,
                                       PrintAbortDialogProc, reinterpret_cast<intptr_t>(&title));
    if (run.box) win::ShowWindow(run.box, win::ShowCommand::Show);
    return static_cast<bool>(run.box);
}

void ClosePrintAbortBox(PrintAbortBox& run) {
    if (run.box) win::DestroyWindow(run.box);
    run.box = {};
    RunningRun() = nullptr;
}

bool PrintAbortProc(PrintAbortBox& run) {
    win::QueuedMessage message;
    while (!run.aborted && win::PeekMessage(message)) {
        if (message.message == win::Message::Quit) {
            win::PostQuitMessage(static_cast<int32_t>(message.word));
            break;
        }
        if (run.box && ui::IsDialogMessage(run.box, message)) continue;
        if (IsSuspendedPaint(run, message)) {
            // Marked painted for now; the view is invalidated again after the run.
            win::ValidateRect(message.window, nullptr);
            continue;
        }
        win::DispatchMessage(message);
    }
    return !run.aborted;
}

}  // namespace ql
