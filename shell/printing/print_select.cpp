// The print dialog run and the print file. The dialog's page limits are the
// document's first and last page numbers, so a number past the last page gets
// the range box.
#include "shell/printing/print_select.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/core_strings.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/status_bar.h"
#include "files/commands/file_command_support.h"
#include "files/commands/file_command_texts.h"
#include "platform/sys/file_lock.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/message_box.h"
#include "shell/printing/print_document.h"
#include "shell/printing/print_hook.h"
#include "shell/resources/print_resources.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

constexpr char kSavePrintFileTitle[] = "Save Print File";
constexpr char kPrintFileExtension[] = "pdf";
constexpr uint32_t kReplaceStyle = ui::kBoxYesNo | ui::kBoxIconExclamation;

sysdlg::PrintDialogRequest DialogRequest(ScoreDocument* document, CheckedPrintChoice* checked,
                                         const sysdlg::PrintChoice& initial) {
    const std::vector<int32_t> numbers = DocumentPageNumbers(document);
    sysdlg::PrintDialogRequest request;
    request.documentTitle = fs::path(document->path).filename().string();
    request.minPage = numbers.empty() ? 1 : numbers.front();
    request.maxPage = numbers.empty() ? 1 : *std::max_element(numbers.begin(), numbers.end());
    request.initial = initial;
    request.paper = DocumentPaper(*document);
    request.check = MakePrintDialogHook(document, checked);
    return request;
}

// The print file may be written: not the file of an open score (told, as Save As
// tells), and an existing file the user agreed to replace (asked unless the print
// dialog asked already).
bool MayWritePrintFile(const fs::path& path, bool replaceConfirmed) {
    int lock = LockFileToReplace(path);
    if (lock == kLockRefused) return false;
    sys::ReleaseFileLock(lock);
    std::error_code error;
    if (replaceConfirmed || !fs::exists(path, error)) return true;
    return ModalMessageBox(FormatFileText(kReplaceFileText, path.native()), kSaveAsTitle,
                           kReplaceStyle) == ui::kIdYes;
}

}  // namespace

std::optional<PrintSelection> SelectPrinter(ScoreDocument* document) {
    CheckedPrintChoice checked;
    sysdlg::PrintDialogAnswer answer =
        sysdlg::RunPrintDialog(DialogRequest(document, &checked, LastPrintChoice()));
    if (answer.status == sysdlg::PrintDialogStatus::Failed) {
        SetStatusText(0, ProgramString(kStrUsingDefaultDriver).c_str());
        answer = sysdlg::RunPrintDialog(DialogRequest(document, &checked, sysdlg::PrintChoice{}));
    }
    if (answer.status != sysdlg::PrintDialogStatus::Chosen) return std::nullopt;
    LastPrintChoice() = answer.choice;
    return PrintSelection{std::move(answer.choice), std::move(checked.pages)};
}

std::optional<std::string> ChoosePrintFile(const ScoreDocument& document,
                                           const sysdlg::PrintChoice& choice) {
    if (!choice.filePath.empty()) {
        if (!MayWritePrintFile(choice.filePath, choice.replaceConfirmed)) return std::nullopt;
        return choice.filePath;
    }
    const fs::path score(document.path);
    ui::FileDialogRequest request;
    request.kind = ui::FileDialogKind::Save;
    request.title = kSavePrintFileTitle;
    request.filter = ProgramString(kStrPrintFileFilter);
    request.defaultExtension = kPrintFileExtension;
    request.initialName = fs::path(score.filename()).replace_extension(kPrintFileExtension);
    request.initialFolder = score.parent_path();
    const ui::FileDialogAnswer answer = ui::RunFileDialog(request);
    if (answer.status != ui::FileDialogStatus::Chosen || answer.path.empty()) return std::nullopt;
    if (!MayWritePrintFile(answer.path, false)) return std::nullopt;
    return answer.path.string();
}

}  // namespace ql
