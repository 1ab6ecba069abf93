// Opening files by their extension, showing a loaded score, New and Import. A native
// file is opened only when no score window shows it already and no other process
// holds its lock; the lock then stays with the document. Templates, and scores opened
// as the base of a new manuscript, become unnamed scores.
#include <filesystem>
#include <string>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/state.h"
#include "core/ui/import_services.h"
#include "core/ui/progress.h"
#include "core/ui/shell_services.h"
#include "display/view_location.h"
#include "files/commands/file_command_support.h"
#include "files/commands/file_command_texts.h"
#include "files/commands/file_commands.h"
#include "files/commands/score_window_hooks.h"
#include "files/file_guard.h"
#include "files/read/score_read_rules.h"
#include "files/read/score_reader.h"
#include "files/records/file_version.h"
#include "layout/measure_format.h"
#include "layout/page_fit.h"
#include "platform/sys/file_lock.h"
#include "platform/sys/path_names.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/message_box.h"
#include "staves/score_truncate.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kOpenReadOnlyStyle = ui::kBoxYesNo | ui::kBoxIconExclamation;

fs::path& RememberedFolder() {
    static fs::path folder;
    return folder;
}

bool IsImportPath(const fs::path& path) {
    for (const char* extension : kImportExtensions) {
        if (sys::HasExtension(path, extension)) return true;
    }
    return false;
}

// The checks before a native file is read: false when the file is already shown
// (its window is made active) or the user declined a read-only file.
bool MayOpenNativeFile(const fs::path& path) {
    if (State().files.OpeningAsBase) return true;
    RememberedFolder() = path.parent_path();
    if (ScoreView* shown = FindViewShowingFile(path)) {
        HandleViewActivation(shown);
        return false;
    }
    if (!IsReadOnlyFile(path)) return true;
    return ShowFileBox(FormatFileText(kOpenReadOnlyText, path.native()), kOpenReadOnlyStyle) == ui::kIdYes;
}

// The loaded document's name: the file's own, or that of a new score.
void NameLoadedDocument(ScoreDocument* document, const fs::path& path) {
    const bool unnamed = State().files.OpeningAsBase || sys::HasExtension(path, kTemplateFileExtension);
    document->path = unnamed ? std::string(kNewScoreName) : path.native();
    SetScoreWindowCaptions(document, document->path);
}

// Reads a native file into a new score window; its view, or null when nothing was
// opened (the user was told, or the file's window was made active).
ScoreView* OpenNativeScore(const fs::path& path) {
    FileFlags& files = State().files;
    files.Opening = 1;
    if (!MayOpenNativeFile(path)) {
        files.Opening = 0;
        return nullptr;
    }
    int lock = -1;
    if (!files.OpeningAsBase) {
        const ScoreFileGuard guard = CheckFileOpenElsewhere(path.native());
        if (guard.openElsewhere) {
            files.Opening = 0;
            return nullptr;
        }
        lock = guard.lock;
    }
    ScoreLoad load = LoadScoreFile(path.native());
    if (load.code != 0 || load.view == nullptr) {
        FreeLoadedScore(load);
        files.Opening = 0;
        sys::ReleaseFileLock(lock);
        return nullptr;
    }
    load.document->fileLock = lock;
    if (files.OpeningAsBase && !sys::HasExtension(path, kTemplateFileExtension)) {
        // A score (not a template) chosen as the base of a new manuscript gives it
        // its first page only.
        const bool damaged = load.document->changeCounter != 0;
        CutToFirstPage(load.view);
        if (!damaged) ClearDocumentModified(load.document);
    }
    NameLoadedDocument(load.document, path);
    ShowLoadedDocument(load.view);
    ShowLoadNotice(load);
    return load.view;
}

void GoToFirstMeasure(ScoreView* view) {
    ScorePage* first = view->document->firstPage;
    if (first == nullptr || first->firstSystem.get() == nullptr) return;
    view->currentPage = first;
    SetCurrentSystem(view, first->firstSystem.get());
}

}  // namespace

int OpenDocumentFile(const fs::path& path) {
    if (IsImportPath(path)) {
        ImportFileByExtension(path);
        EndProgressDialog();
        return 1;
    }
    OpenNativeScore(path);
    return 1;
}

int CmdOpenFile() {
    ui::FileDialogRequest request;
    request.kind = ui::FileDialogKind::Open;
    request.title = kOpenTitle;
    request.filter = kOpenFilter;
    request.filterIndex = 1;
    request.defaultExtension = kScoreDefaultExtension;
    request.initialName = kOpenInitialName;
    request.initialFolder = RememberedFolder();
    const ui::FileDialogAnswer answer = ui::RunFileDialog(request);
    if (answer.status != ui::FileDialogStatus::Chosen || answer.path.empty()) return 0;
    return OpenDocumentFile(answer.path);
}

fs::path LastOpenFolder() {
    return RememberedFolder();
}

void ShowLoadedDocument(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return;
    // A damaged load stays modified: its partial score is not what its file holds.
    const bool modified = view->document->changeCounter != 0;
    GoToFirstMeasure(view);
    State().files.Opening = 0;
    ShowScoreWindow(view);
    FormatMeasuresOfAllPages(view);
    GoToFirstMeasure(view);
    if (!modified) ClearDocumentModified(view->document);
}

ScoreView* NewManuscriptFromChoice(const NewManuscriptChoice& choice) {
    FileFlags& files = State().files;
    if (!choice.accepted) return nullptr;
    if (choice.useTemplate) {
        files.OpeningAsBase = 1;
        ScoreView* view = OpenNativeScore(choice.templatePath);
        files.OpeningAsBase = 0;
        return view;
    }
    return NewScoreFromBlock(choice.block, kNewScoreName);
}

ScoreView* NewScoreFromBlock(const NewScoreBlock& block, const std::string& path) {
    ScoreView* view = InitView(AllocView());
    if (view == nullptr) return nullptr;
    LinkView(view);
    ScoreDocument* document = AllocDocument();
    if (document == nullptr || CreateDocument(document, view, &block) != document) {
        delete document;
        FreeView(view);
        return nullptr;
    }
    // The new score holds what its file will read back as: the page sizes the reader
    // derives, and the galley a loaded view is given.
    ConvertStoredPageSizes(*document, kCurrentFileVersion);
    if (!BuildGalleyPage(view, nullptr)) {
        FreeView(view);
        FreeDocument(document);
        return nullptr;
    }
    document->path = path;
    ShowScoreWindow(view);
    // A score of many staves takes a staff size at which its systems stand on the page.
    FitStaffSizeToSystems(view);
    ClearDocumentModified(document);
    FocusActiveView();
    GoToFirstMeasure(view);
    return view;
}

void CmdNewManuscript() {
    FileFlags& files = State().files;
    files.Opening = 1;
    NewManuscriptFromChoice(RunNewManuscriptDialog());
    files.Opening = 0;
}

void CmdImportFile() {
    FileFlags& files = State().files;
    files.Opening = 1;
    ScoreView* view = ChooseAndImportFile();
    files.Opening = 0;
    FocusActiveView();
    if (view != nullptr) GoToFirstMeasure(view);
}

}  // namespace ql
