// The print dialog and job submission: the installed backend, or the headless
// queue of scripted steps with its record. The headless print system keeps each
// submitted PDF where it was, for the caller to read.
#include "platform/sysdlg/print_dialog.h"

#include <deque>
#include <filesystem>
#include <system_error>
#include <utility>

namespace ql::sysdlg {
namespace {

struct PrintDialogState {
    PrintBackend backend;
    std::deque<headless::PrintDialogStep> steps;
    std::vector<headless::PrintDialogRecord> shown;
    std::vector<PrintJobRequest> submitted;
    int failingSubmissions = 0;
};

PrintDialogState& Print() {
    static PrintDialogState state;
    return state;
}

// Takes steps until an OK passes the check, the user cancels or the dialog fails.
PrintDialogAnswer RunScriptedDialog(const PrintDialogRequest& request,
                                    headless::PrintDialogRecord& record) {
    PrintDialogState& state = Print();
    while (!state.steps.empty()) {
        headless::PrintDialogStep step = std::move(state.steps.front());
        state.steps.pop_front();
        if (step.cancel) break;
        if (step.fail) return PrintDialogAnswer{PrintDialogStatus::Failed, request.initial};
        if (step.choice.listText.size() > kMaxPageListText)
            step.choice.listText.resize(kMaxPageListText);
        if (step.choice.printer.empty()) step.choice.printer = kHeadlessPrinterName;
        if (!request.check || request.check(step.choice))
            return PrintDialogAnswer{PrintDialogStatus::Chosen, std::move(step.choice)};
        ++record.refusedOks;
    }
    return PrintDialogAnswer{PrintDialogStatus::Cancelled, request.initial};
}

}  // namespace

PrintDialogAnswer RunPrintDialog(const PrintDialogRequest& request) {
    PrintDialogState& state = Print();
    if (state.backend.runDialog) return state.backend.runDialog(request);
    headless::PrintDialogRecord record{request, 0, PrintDialogStatus::Cancelled};
    PrintDialogAnswer answer = RunScriptedDialog(request, record);
    record.status = answer.status;
    state.shown.push_back(std::move(record));
    return answer;
}

bool SubmitPrintJob(const PrintJobRequest& job) {
    PrintDialogState& state = Print();
    if (state.backend.submit) return state.backend.submit(job);
    if (state.failingSubmissions > 0) {
        --state.failingSubmissions;
        std::error_code ignored;
        std::filesystem::remove(job.pdfPath, ignored);
        return false;
    }
    state.submitted.push_back(job);
    return true;
}

void InstallPrintBackend(PrintBackend backend) {
    Print().backend = std::move(backend);
}

namespace headless {

void QueuePrintDialogStep(PrintDialogStep step) {
    Print().steps.push_back(std::move(step));
}

const std::vector<PrintDialogRecord>& PrintDialogs() {
    return Print().shown;
}

const std::vector<PrintJobRequest>& SubmittedPrintJobs() {
    return Print().submitted;
}

void FailNextSubmissions(int count) {
    Print().failingSubmissions = count;
}

void ResetPrintDialogs() {
    std::error_code ignored;
    for (const PrintJobRequest& job : Print().submitted)
        std::filesystem::remove(job.pdfPath, ignored);
    Print() = PrintDialogState{};
}

}  // namespace headless
}  // namespace ql::sysdlg
