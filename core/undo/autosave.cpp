// Autosave trigger and copy. The copy goes to the score's own folder under the name
// AutoSaveName gives; an old copy of that name is deleted first. The writer runs in
// autosave mode (the AutoSaving flag), which keeps the modified mark; the mark is
// set again afterwards all the same, so the score still asks to be saved.
#include "core/undo/autosave.h"

#include <cstdio>
#include <string>

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "display/view_location.h"
#include "files/score_file.h"
#include "platform/ui/message_box.h"
#include "platform/ui/status_bar.h"

namespace ql {

namespace {

constexpr int32_t kStrAutoSaveFailedStatus = 1388;
constexpr int32_t kStrAutoSaveOkStatus = 1389;
constexpr int32_t kStrAutoSaveRunning = 1390;
constexpr int32_t kStrAutoSaveCannotCreate = 1689;
constexpr int kAutoSaveStatusPart = 1;

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

bool IsInSystemChain(const ScorePage* page, const ScoreSystem* system) {
    if (page == nullptr || system == nullptr) return false;
    for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get())
        if (s == system) return true;
    return false;
}

// Puts the view back where it was, when the remembered system is still one of the
// current page's systems; staff and measure outside the score become 1.
void RestorePosition(ScoreDocument* document, ScoreView* view, const RememberedPosition& at) {
    if (view == nullptr || !IsInSystemChain(view->currentPage, at.system)) return;
    ScoreSystem* system = at.system;
    int measure = at.measure;
    if (system->number >= view->currentPage->systemCount) {
        system = view->currentPage->firstSystem.get();
        measure = system->firstMeasure;
    }
    int staff = at.staff;
    if (staff < 1 || staff > document->header.staffCount) staff = 1;
    if (measure < 1 || measure > document->header.measureCount) measure = 1;
    SetCurrentSystemAndMeasure(view, system, staff, measure);
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
    return path.substr(0, dot) + kAutoSaveExtension;
}

void NoteEditForAutoSave(ScoreDocument* document, ScoreView* view) {
    const AutoSaveConfig& config = AutoSaveSettings();
    if (document == nullptr || !config.enabled || config.count == 0) return;
    if (++document->editsSinceAutoSave >= config.count) AutoSave(document, view);
}

AutoSaveResult AutoSave(ScoreDocument* document, ScoreView* view) {
    if (document == nullptr || IsAutoSaveBlocked()) return AutoSaveResult::Skipped;
    FileFlags& files = State().files;
    files.AutoSaving = 1;
    RememberedPosition position;
    if (view != nullptr) position = {view->currentSystem, view->currentStaff, view->currentMeasure};
    ++document->undoState.autoSaveCount;
    ShowAutoSaveStatus(kStrAutoSaveRunning, "Auto Save...");

    std::string scorePath = document->path;
    document->path = AutoSaveName(scorePath);
    std::remove(document->path.c_str());
    AutoSaveWriter writer = State().program.AutoSaveWriterHook;
    int saved = (writer != nullptr ? writer : SaveScoreFile)(document, view);
    document->path = scorePath;
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
