// Autosave trigger and copy. The copy goes to the score's own folder under the name
// AutoSaveName gives, which is never the score's own path. The writer fills a new
// temporary file in that folder, which then replaces an old copy in one rename, so
// no file is gone before its replacement is complete. The writer runs in autosave
// mode (the AutoSaving flag), which keeps the modified mark; the mark is set again
// afterwards all the same, so the score still asks to be saved.
#include "core/undo/autosave.h"

#include <sys/stat.h>  // fchmod

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/document_context.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/services/display_services.h"
#include "core/services/file_services.h"
#include "core/state.h"
#include "platform/sys/file_io.h"
#include "platform/ui/message_box.h"
#include "platform/ui/status_bar.h"

namespace ql {

namespace {

constexpr int32_t kStrAutoSaveFailedStatus = 1388;
constexpr int32_t kStrAutoSaveOkStatus = 1389;
constexpr int32_t kStrAutoSaveRunning = 1390;
constexpr int32_t kStrAutoSaveCannotCreate = 1689;
constexpr int kAutoSaveStatusPart = 1;
// Appended to the copy's name for the file the writer fills, before six characters
// that make a name no file has yet.
constexpr char kTemporaryMark[] = ".";

// A program text, or the built-in English one when no bundle has it.
std::string TextOr(int32_t id, const char* fallback) {
    std::string text = ProgramString(id);
    return text.empty() ? std::string(fallback) : text;
}

void ShowAutoSaveStatus(int32_t id, const char* fallback) {
    platform::WindowHandle bar = State().dialogs.StatusWindow;
    if (bar) ui::SetStatusBarText(bar, kAutoSaveStatusPart, TextOr(id, fallback));
}

void ReportAutoSaveFailure() {
    ShowAutoSaveStatus(kStrAutoSaveFailedStatus, "Auto Save Failed");
    ui::ShowMessageBox(State().dialogs.FrameWindow,
                       TextOr(kStrAutoSaveCannotCreate, "Unable to create Auto Save file."),
                       TextOr(kStrProductName, "Quaverlinescribe"), ui::kBoxOk | ui::kBoxIconStop);
}

bool IsAutoSaveBlocked() {
    const FileFlags& files = State().files;
    return files.MidiFileTransferActive || files.MidiImportActive || files.ScoreFileReading ||
           files.ScoreFileWriting || PlaybackFlags().PlaybackActive.load(std::memory_order_acquire);
}

// The view position the autosave keeps.
struct RememberedPosition {
    ScoreSystem* system = nullptr;
    int staff = 0;
    int measure = 0;
};

// A new empty file beside `target`, named after it; empty when none can be made.
std::string MakeTemporaryBeside(const std::string& target) {
    std::string name;
    sys::FileDescriptor file = sys::CreateUniqueFile(target + kTemporaryMark, {}, &name, nullptr);
    if (file == sys::kNoFile) return {};
    // The new file is private; the copy gets the mode any new file would.
    fchmod(file, static_cast<mode_t>(sys::NewFilePermissions()));
    sys::CloseFile(file, nullptr);
    return name;
}

// Runs the writer on a temporary file and puts it in place of `copyPath`; the
// temporary file is removed when the writer or the rename fails.
int WriteCopyInPlace(ScoreDocument* document, ScoreView* view, const std::string& copyPath) {
    std::string temporary = MakeTemporaryBeside(copyPath);
    if (temporary.empty()) return 0;
    std::string scorePath = document->path;
    document->path = temporary;
    AutoSaveWriter writer = State().program.AutoSaveWriterHook;
    int saved = (writer != nullptr ? writer : files::SaveScoreFile)(document, view);
    document->path = scorePath;
    if (saved && std::rename(temporary.c_str(), copyPath.c_str()) == 0) return saved;
    std::remove(temporary.c_str());
    return 0;
}

// Whether two paths name one file: the same path once made absolute, or one file
// reached through a link.
bool NamesSameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::equivalent(a, b, error)) return true;
    fs::path first = fs::absolute(a, error);
    if (error) return a == b;
    fs::path second = fs::absolute(b, error);
    if (error) return a == b;
    return first.lexically_normal() == second.lexically_normal();
}

bool IsInSystemChain(const ScorePage* page, const ScoreSystem* system) {
    if (page == nullptr || system == nullptr) return false;
    for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get())
        if (s == system) return true;
    return false;
}

// Whether a system's number names a place on a page of `systemCount` systems. The
// number byte is read signed: 128 and above are negative, as a damaged record
// can hold, and name no place even on a page that claims that many systems.
bool IsSystemNumberOnPage(const ScoreSystem* system, int systemCount) {
    int number = static_cast<int8_t>(system->number);
    return number >= 0 && number < systemCount;
}

// Puts the view back where it was, when the remembered system is still one of the
// current page's systems; a system whose number does not fit the page gives way
// to the page's first, and staff and measure outside the score become 1.
void RestorePosition(ScoreDocument* document, ScoreView* view, const RememberedPosition& at) {
    if (view == nullptr || !IsInSystemChain(view->currentPage, at.system)) return;
    ScoreSystem* system = at.system;
    int measure = at.measure;
    if (!IsSystemNumberOnPage(system, view->currentPage->systemCount)) {
        system = view->currentPage->firstSystem.get();
        measure = system->firstMeasure;
    }
    int staff = at.staff;
    if (staff < 1 || staff > document->header.staffCount) staff = 1;
    if (measure < 1 || measure > document->header.measureCount) measure = 1;
    display::SetCurrentSystemAndMeasure(view, system, staff, measure);
    if (SelectionState* selection = TheSelectionState()) selection->rebuildRequested = 1;
}

}  // namespace

AutoSaveConfig& AutoSaveSettings() {
    return State().program.AutoSave;
}

void SetAutoSaveWriter(AutoSaveWriter writer) {
    State().program.AutoSaveWriterHook = writer;
}

std::string AutoSaveName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot <= nameStart) return path + kAutoSaveExtension;
    std::string name = path.substr(0, dot) + kAutoSaveExtension;
    // A score that is itself an autosave copy keeps its own file.
    return name == path ? path + kAutoSaveExtension : name;
}

std::string CopyPathApartFrom(std::string copy, const std::string& scorePath) {
    while (NamesSameFile(copy, scorePath)) copy += kAutoSaveExtension;
    return copy;
}

void NoteEditForAutoSave(ScoreDocument* document, ScoreView* view) {
    const AutoSaveConfig& config = AutoSaveSettings();
    if (document == nullptr || !config.enabled || config.count == 0) return;
    if (++document->editsSinceAutoSave >= config.count) AutoSave(document, view);
}

AutoSaveResult AutoSave(ScoreDocument* document, ScoreView* view) {
    if (document == nullptr || IsAutoSaveBlocked()) return AutoSaveResult::Skipped;
    // Any score may be saved this way (the termination signal saves each in turn):
    // the copy is made with the score's own pools current.
    const ScopedDocumentContext context(document);
    FileFlags& files = State().files;
    files.AutoSaving = 1;
    RememberedPosition position;
    if (view != nullptr) position = {view->currentSystem, view->currentStaff, view->currentMeasure};
    ++document->undoState.autoSaveCount;
    ShowAutoSaveStatus(kStrAutoSaveRunning, "Auto Save...");

    int saved = WriteCopyInPlace(document, view, CopyPathApartFrom(AutoSaveName(document->path), document->path));
    if (saved)
        ShowAutoSaveStatus(kStrAutoSaveOkStatus, "Auto Save OK");
    else
        ReportAutoSaveFailure();

    files.AutoSaving = 0;
    document->editsSinceAutoSave = 0;
    SetDocumentModified(document);
    RestorePosition(document, view, position);
    return saved ? AutoSaveResult::Saved : AutoSaveResult::Failed;
}

}  // namespace ql
