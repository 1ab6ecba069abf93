// Save and Save As. Save writes a named document onto its own file; everything else
// (no name, a later major version, a damaged load) goes to Save As, which asks for a
// name, takes that file's lock, saves, and only then lets the old lock go. Every
// refusal and a failed write leave path, captions and lock as they were.
#include <filesystem>
#include <string>

#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/modal_boxes.h"
#include "files/commands/file_command_support.h"
#include "files/commands/file_command_texts.h"
#include "files/commands/file_commands.h"
#include "files/commands/score_window_hooks.h"
#include "files/file_guard.h"
#include "files/score_file.h"
#include "platform/sys/file_lock.h"
#include "platform/sys/folders.h"
#include "platform/sys/path_names.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/message_box.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kNoticeStyle = ui::kBoxOk | ui::kBoxIconInformation;
constexpr uint32_t kReadOnlyStyle = ui::kBoxOk | ui::kBoxIconStop;
constexpr uint32_t kReplaceStyle = ui::kBoxYesNo | ui::kBoxIconExclamation;

// A score read from or saved to a file of its own: a new or imported score's name
// has no folder.
bool IsNamedDocument(const ScoreDocument* document) {
    return document->laterMajorVersion == 0 && sys::IsNamedScorePath(document->path) &&
           fs::path(document->path).is_absolute();
}

int SaveOnto(ScoreDocument* document, ScoreView* view) {
    return SaveScoreFile(document, view) != 0 ? 1 : 0;
}

// The Save As dialog; the chosen path, or empty after a cancel or a refusal (told).
fs::path AskSaveAsName(const ScoreDocument* document) {
    ui::FileDialogRequest request;
    request.kind = ui::FileDialogKind::Save;
    request.title = kSaveAsTitle;
    request.filter = kSaveAsFilter;
    request.filterIndex = 1;
    request.defaultExtension = kScoreDefaultExtension;
    request.initialName = document->path;
    request.initialFolder = ProposedSaveFolder();
    const ui::FileDialogAnswer answer = ui::RunFileDialog(request);
    const std::string& name = answer.path.native();
    switch (answer.status) {
        case ui::FileDialogStatus::Chosen: break;
        case ui::FileDialogStatus::Cancelled: return {};
        case ui::FileDialogStatus::InvalidName: ShowFileBox(FormatFileText(kNameNotValidText, name), kNoticeStyle); return {};
        case ui::FileDialogStatus::NameTooLong: ShowFileBox(FormatFileText(kNameTooLongText, name), kNoticeStyle); return {};
        case ui::FileDialogStatus::Failed: ShowFileBox(FormatFileText(kUnableToSaveAsText, name), kNoticeStyle); return {};
    }
    if (name.empty()) return {};
    if (name.size() >= kSaveAsNameLimit) {
        ShowFileBox(FormatFileText(kNameTooLongText, name), kNoticeStyle);
        return {};
    }
    return answer.path;
}

// The existing file may be written over: not read-only and the user agreed.
bool MayReplaceFile(const fs::path& path) {
    std::error_code error;
    if (!fs::exists(path, error)) return true;
    if (IsReadOnlyFile(path)) {
        ShowFileBox(FormatFileText(kReadOnlyFileText, path.native()), kReadOnlyStyle);
        return false;
    }
    return ModalMessageBox(FormatFileText(kReplaceFileText, path.native()), kSaveAsTitle, kReplaceStyle) ==
           ui::kIdYes;
}

}  // namespace

int SaveDocument(ScoreDocument* document, ScoreView* view) {
    if (document == nullptr) return 0;
    if (!IsNamedDocument(document)) return SaveDocumentAs(document, view);
    if (document->changeCounter == 0) return 1;
    if (IsReadOnlyFile(document->path)) {
        ShowFileBox(FormatFileText(kReadOnlyFileText, document->path), kReadOnlyStyle);
        return 0;
    }
    return SaveOnto(document, view);
}

int SaveDocumentAs(ScoreDocument* document, ScoreView* view) {
    if (document == nullptr) return 0;
    const fs::path path = AskSaveAsName(document);
    if (path.empty()) return 0;
    int newLock = LockFileToReplace(path);
    if (newLock == kLockRefused) return 0;
    if (!MayReplaceFile(path)) {
        sys::ReleaseFileLock(newLock);
        return 0;
    }
    const std::string oldPath = document->path;
    document->path = path.native();
    SetScoreWindowCaptions(document, document->path);
    if (SaveOnto(document, view) == 0) {
        sys::ReleaseFileLock(newLock);
        document->path = oldPath;
        SetScoreWindowCaptions(document, oldPath);
        return 0;
    }
    sys::ReleaseFileLock(document->fileLock);
    document->fileLock = newLock;
    document->laterMajorVersion = 0;
    State().files.SaveFolder = path.parent_path().native();
    return 1;
}

fs::path ProposedSaveFolder() {
    const std::string& last = State().files.SaveFolder;
    return last.empty() ? sys::DocumentsFolder() : fs::path(last);
}

}  // namespace ql
