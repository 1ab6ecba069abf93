// The progress dialog and the message pump of long operations.
#include "core/ui/progress.h"

#include <algorithm>
#include <string>

#include "core/core_strings.h"
#include "core/draw/draw_surface.h"
#include "core/ui/modal_boxes.h"
#include "core/state.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql {
namespace {

constexpr int32_t kCancelButtonId = ui::kIdCancel;
constexpr int kSystemHeightPerStaff = 1152;
constexpr int kSystemHeightTrim = 640;
constexpr int kMinimumSystemHeight = 512;
constexpr int kSystemGap = 1536;

void PostPendingQuit() {
    DialogGlobals& dialogs = State().dialogs;
    if (dialogs.QuitPending == 0) return;
    dialogs.QuitPending = 0;
    win::PostQuitMessage(dialogs.QuitExitCode);
}

void ShowRangeAndCaption(platform::WindowHandle dialog) {
    const DialogGlobals& dialogs = State().dialogs;
    platform::WindowHandle bar = ui::GetDialogItem(dialog, kProgressBarId);
    ui::SetProgressRange(bar, dialogs.ProgressLow, dialogs.ProgressHigh);
    ui::SetProgressPosition(bar, dialogs.ProgressLow);
    win::SetWindowText(dialog, dialogs.ProgressCaption);
}

void ConfirmCancel() {
    int answer = ModalMessageBox(ProgramString(kStrConfirmCancel), ProgramString(kStrProductName),
                                 ui::kBoxYesNo | ui::kBoxIconExclamation);
    if (answer == ui::kIdYes) State().dialogs.CancelRequested = 1;
}

}  // namespace

int PumpPendingMessages() {
    platform::WindowHandle dialog = State().dialogs.ProgressDialog;
    win::MessageFilter filter = [dialog](const win::QueuedMessage& message) {
        return dialog && ui::IsDialogMessage(dialog, message);
    };
    win::PumpResult result = win::PumpMessages({&filter, 1});
    if (!result.quit) return 0;
    DialogGlobals& dialogs = State().dialogs;
    dialogs.QuitPending = 1;
    dialogs.QuitExitCode = result.exitCode;
    // Without a running operation nobody would post it again: do it now.
    if (!dialogs.ProgressDialog) PostPendingQuit();
    return kPumpTookQuit;
}

intptr_t ProgressDialogProc(platform::WindowHandle dialog, win::Message message, uint32_t word,
                            intptr_t /*data*/) {
    switch (message) {
        case win::Message::InitDialog:
            ShowRangeAndCaption(dialog);
            win::SetFocus(ui::GetDialogItem(dialog, kCancelButtonId));
            return 0;
        case win::Message::Activate:
            win::SetExtendedStyle(dialog, win::GetExtendedStyle(dialog) & ~win::kExStyleTopMost);
            return 0;
        case win::Message::Command:
            if (win::CommandId(word) != kCancelButtonId) return 0;
            ConfirmCancel();
            return 1;
        default:
            return 0;
    }
}

int32_t BeginProgressDialog(int32_t low, int32_t high, const char* caption) {
    DialogGlobals& dialogs = State().dialogs;
    dialogs.ProgressCaption = caption != nullptr ? caption : "";
    dialogs.ProgressLow = low;
    dialogs.ProgressHigh = high;
    PumpPendingMessages();
    if (dialogs.ProgressDialog) {
        ShowRangeAndCaption(dialogs.ProgressDialog);
    } else {
        dialogs.CancelRequested = 0;
        dialogs.ProgressDialog =
            ui::CreateModelessDialog(kProgressDialogId, dialogs.FrameWindow, ProgressDialogProc, 0,
                                     sys::Lookup::ProgramOnly);
        if (dialogs.ProgressDialog) win::EnableWindow(dialogs.FrameWindow, false);
    }
    PumpPendingMessages();
    return dialogs.CancelRequested;
}

int32_t StepProgressDialog(int32_t position) {
    DialogGlobals& dialogs = State().dialogs;
    if (dialogs.ProgressDialog) {
        ui::SetProgressPosition(ui::GetDialogItem(dialogs.ProgressDialog, kProgressBarId),
                                position);
        PumpPendingMessages();
    }
    return dialogs.CancelRequested;
}

void EndProgressDialog() {
    DialogGlobals& dialogs = State().dialogs;
    win::EnableWindow(dialogs.FrameWindow, true);
    if (dialogs.ProgressDialog) win::DestroyWindow(dialogs.ProgressDialog);
    dialogs.ProgressDialog = {};
    dialogs.CancelRequested = 0;
    PostPendingQuit();
}

int EstimateSystemsPerPage(int32_t pageBottom, int32_t scrollY, int staffCount) {
    int height =
        std::max(staffCount * kSystemHeightPerStaff - kSystemHeightTrim, kMinimumSystemHeight);
    int available = pageBottom - scrollY + 1;
    int systems = (available - height) / (height + kSystemGap) + 1;
    return systems > 0 ? systems : 1;
}

int EstimateSystemsPerPage(ScoreView* view, int staffCount) {
    return EstimateSystemsPerPage(view->PageBottom, ScrollY(view), staffCount);
}

}  // namespace ql
