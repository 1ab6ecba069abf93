// SaveScoreFile: the whole save of a document. The stream goes into a temporary file
// of the target folder that this save made under a name no file had, which is
// synced, closed and (in a normal save) verified by reading every record back; only
// then is the current file held (in another new file) as the next ".BAK", the
// temporary file renamed over the document, and the backups rotated. Any
// failure leaves the document's file and its backups as they were, shows one box
// (none in autosave mode, whose caller reports) and leaves the change counter as it
// was found. Autosave and the emergency copy are this save with AutoSaving set: no
// backups, no verification, no recent-files entry, the counter kept.
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <utility>

#include "core/error_report.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/shell_services.h"
#include "core/ui/system_error.h"
#include "core/ui/wait_cursor.h"
#include "core/undo/autosave.h"
#include "display/system_drawing.h"
#include "files/bytes/score_file_handle.h"
#include "files/records/file_codes.h"
#include "files/save/atomic_save.h"
#include "files/score_file.h"
#include "files/stream/score_stream_walker.h"
#include "files/stream/score_stream_writer.h"
#include "layout/page_format.h"
#include "platform/sys/file_io.h"
#include "platform/ui/status_bar.h"

namespace ql {
namespace {

namespace fc = file_code;

constexpr int kStatusMain = 0;
constexpr int kStatusPages = 1;
constexpr int kStatusMeasures = 2;
constexpr int kFirstCodeWithText = 3;
constexpr char kTemplateExtension[] = ".tpl";

SaveScoreFileHook& TestHook() {
    static SaveScoreFileHook hook;
    return hook;
}

void ShowStatus(int part, const std::string& text) {
    if (platform::WindowHandle bar = State().dialogs.StatusWindow) ui::SetStatusBarText(bar, part, text);
}

std::string Format(const char* format, const std::string& a, const std::string& b = {}) {
    int size = std::snprintf(nullptr, 0, format, a.c_str(), b.c_str());
    std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, format, a.c_str(), b.c_str());
    return text;
}

// The program-wide state of one running save; every flag is put back on every path.
class SaveRun {
  public:
    explicit SaveRun(ScoreDocument* document)
        : document_(document), counter_(document->changeCounter), autoSaving_(State().files.AutoSaving != 0) {
        FileFlags& files = State().files;
        files.ScoreFileWriting = 1;
        files.VersionChoice = 0;
        files.InternalErrorsAtSaveStart = files.EmergencySaveActive;
    }
    ~SaveRun() {
        CloseScoreFile();
        State().files.ScoreFileWriting = 0;
        State().files.TempPath.clear();
    }
    SaveRun(const SaveRun&) = delete;
    SaveRun& operator=(const SaveRun&) = delete;

    bool AutoSaving() const { return autoSaving_; }
    // Shows a box unless autosaving (the caller then reports).
    void Box(const std::string& text) const {
        if (!autoSaving_) ErrorBox(text);
    }
    // The trim step removed pages: a failed save leaves the document modified.
    void NoteTrimmed() { trimmed_ = true; }
    // The change counter after the save: cleared by a normal save that succeeded,
    // else as it was found (marked modified when the trim step changed the score).
    void Finish(bool saved) const {
        document_->changeCounter = saved && !autoSaving_ ? 0 : counter_;
        if (!saved && trimmed_) SetDocumentModifiedUnlocked(document_);
    }

  private:
    ScoreDocument* document_;
    uint16_t counter_;
    bool autoSaving_;
    bool trimmed_ = false;
};

// With "Trim Unused Pages" on, the empty pages at the end of the score go before it
// is written. Autosave and the emergency copy never trim. Autosave is held off while
// the pages go, so that this edit cannot start one.
void TrimEmptyPages(SaveRun& run, ScoreView* view) {
    if (run.AutoSaving() || !State().files.TrimPagesOption || view == nullptr) return;
    AutoSaveConfig& autosave = AutoSaveSettings();
    const uint8_t enabled = autosave.enabled;
    autosave.enabled = 0;
    const int removed = RemoveEmptyTrailingPages(view);
    autosave.enabled = enabled;
    if (removed <= 0) return;
    run.NoteTrimmed();
    ShowStatus(kStatusMeasures, "  Trimmed " + std::to_string(removed) + " Pages");
}

// Syncs and closes the temporary file; 0 or its code (after the system-error box).
int FinishTemporary(const SaveRun& run, ScoreDocument* document, const std::string& temporary) {
    ScoreFile& file = TheScoreFile();
    if (!file.Sync()) {
        int error = file.LastError();
        CloseScoreFile();
        if (!run.AutoSaving()) ShowSystemError(kScoreWriteErrorText, error);
        return fc::kWriteSync;
    }
    if (!file.Close()) {
        if (!run.AutoSaving()) ShowSystemError(kScoreWriteErrorText, file.LastError());
        return fc::kWriteSync;
    }
    static_assert(kCreatedFieldCount >= kWriteTimeFields);
    LastWriteTimeFields(temporary, document->created);
    ShowStatus(kStatusPages, "  Pages: " + std::to_string(document->header.pageCount));
    ShowStatus(kStatusMeasures, "  Measures: " + std::to_string(document->header.measureCount));
    return 0;
}

int VerifyTemporary(const SaveRun& run, ScoreDocument* document, ScoreView* view,
                    const std::string& temporary, const std::string& target) {
    if (!OpenScoreFileForRead(temporary)) {
        run.Box(Format("Unable to re-open the saved file (%s).\nContact Customer Support.", target));
        return fc::kReopen;
    }
    ShowStatus(kStatusMain, "Verifying file...");
    int result = VerifyScoreFile(document, view);
    CloseScoreFile();
    if (result != 0) {
        run.Box(Format("Unable to verify the saved file (%s).\nContact Customer Support.", target));
        return fc::kVerify;
    }
    ShowStatus(kStatusMain, "File verified.");
    return 0;
}

// The backups a normal save keeps: "BackupCopies", at least one.
int BackupCount() {
    return Options().BackupCopies < 2 ? 1 : Options().BackupCopies;
}

// Holds the current file for ".BAK", renames the temporary file over the target,
// then rotates the backups. A temporary name that no longer stands for the file
// this save wrote (another file was moved there) is never renamed.
int PutInPlace(const SaveRun& run, const std::string& temporary, const FileIdentity& written,
               const std::string& target) {
    if (IdentityOf(temporary) != written) {
        run.Box(Format("Unable to rename file %s\nto %s.", temporary, target));
        return fc::kRename;
    }
    const bool backups = !run.AutoSaving() && FileExists(target);
    const int copies = BackupCount();
    const std::string base = BackupBaseOf(target, copies);
    std::string holding;
    if (backups && HoldCurrentFile(target, &holding) != 0) {
        run.Box(Format("Unable to rename file %s\nto %s.", target, BackupName(base, 1)));
        return fc::kRename;
    }
    if (ReplaceWithTemporary(temporary, target) != 0) {
        if (backups) std::remove(holding.c_str());
        run.Box(Format("Unable to rename file %s\nto %s.", temporary, target));
        return fc::kRename;
    }
    if (backups) RotateBackups(base, copies, holding);
    return 0;
}

int WriteAndPlace(SaveRun& run, ScoreDocument* document, ScoreView* view,
                  const std::string& temporary, const FileIdentity& written, const std::string& target) {
    RestoreHiddenEmptyStavesOf(document);  // what the painter hid is not the score's
    TrimEmptyPages(run, view);
    int code = WriteScoreStream(document, view);
    if (code != 0) TheScoreFile().Discard();  // its failure has been reported once
    if (code == 0) code = FinishTemporary(run, document, temporary);
    if (code != 0) return code;
    const FileFlags& files = State().files;
    if (files.EmergencySaveActive != files.InternalErrorsAtSaveStart) return fc::kInternalErrorDuringSave;
    if (!run.AutoSaving())
        if (int verified = VerifyTemporary(run, document, view, temporary, target)) return verified;
    return PutInPlace(run, temporary, written, target);
}

bool IsTemplatePath(const std::string& path) {
    if (path.size() < sizeof kTemplateExtension - 1) return false;
    std::string tail = path.substr(path.size() - (sizeof kTemplateExtension - 1));
    for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return tail == kTemplateExtension;
}

// Whether the save may go to `target`: a regular file or none (never a pipe or a
// device, which would be replaced), with backup names that fit beside it. Shows
// the reason when not.
bool MayWriteTarget(const SaveRun& run, const std::string& target) {
    struct stat status{};
    if (::stat(target.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        if (!run.AutoSaving()) ShowSystemError(kScoreWriteErrorText, sys::kNotRegularFile);
        return false;
    }
    const std::string base = BackupBaseOf(target, BackupCount());
    if (run.AutoSaving() || BackupNamesFit(base, BackupCount())) return true;
    run.Box(Format("Unable to keep a backup of %s:\nthe name %s is too long.", target, BackupName(base, 1)));
    return false;
}

int RunSave(ScoreDocument* document, ScoreView* view) {
    SaveRun run(document);
    const std::string target = ResolveDocumentPath(document->path);
    if (!MayWriteTarget(run, target)) {
        run.Finish(false);
        return 0;
    }
    std::string temporary;
    if (!CreateUniqueScoreFileForWrite(FolderPrefixOf(target, kScratchPrefix), kScratchSuffix, &temporary)) {
        run.Box("[" + std::string(kFileModule) + "." + std::to_string(fc::kCreateTemporary) +
                "] \n Cannot write to\n " + document->path);
        run.Finish(false);
        return 0;
    }
    State().files.TempPath = temporary;
    const FileIdentity written = IdentityOf(temporary);
    const uint32_t boxesBefore = ScoreWriteErrorsShown();
    int code = 0;
    {
        const WaitCursor waiting;
        code = WriteAndPlace(run, document, view, temporary, written, target);
    }
    // A failing step that showed no box of its own (2990, a record the file cannot
    // hold) is reported with its code.
    const bool showedNoBox = ScoreWriteErrorsShown() == boxesBefore;
    run.Finish(code == 0);
    if (code == 0) {
        if (!run.AutoSaving() && !IsTemplatePath(document->path)) AddToPickList(document->path);
        return 1;
    }
    // A failed save keeps its scratch file for the user to look into; autosave and
    // the emergency copy, whose score is still in memory, take theirs away.
    if (run.AutoSaving()) std::remove(temporary.c_str());
    bool boxShown = !showedNoBox || code == fc::kReopen || code == fc::kVerify || code == fc::kRename ||
                    code == fc::kWriteSync;
    if (code >= kFirstCodeWithText && !boxShown) run.Box("write error code " + std::to_string(code));
    return 0;
}

}  // namespace

void SetSaveScoreFileHookForTests(SaveScoreFileHook hook) {
    TestHook() = std::move(hook);
}

int SaveScoreFile(ScoreDocument* document, ScoreView* view) {
    if (TestHook()) return TestHook()(document, view);
    if (document == nullptr) return 0;
    const FileFlags& files = State().files;
    // One file operation at a time: a save or load already running keeps this one out.
    if (files.ScoreFileWriting || files.ScoreFileReading) return 0;
    return RunSave(document, view);
}

}  // namespace ql
