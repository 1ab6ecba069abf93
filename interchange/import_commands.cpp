// The Import command, the dispatch by extension, and the set-up of a MIDI import:
// the prescan that makes the new score, its staves, and the options dialog.
#include "interchange/import_commands.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/core_strings.h"
#include "core/draw/view_metrics.h"
#include "core/error_report.h"
#include "core/model/document.h"
#include "core/model/document_context.h"
#include "core/model/model_reports.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/help.h"
#include "core/ui/long_operation.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/shell_services.h"
#include "core/ui/status_bar.h"
#include "core/ui/wait_cursor.h"
#include "files/commands/file_commands.h"
#include "interchange/import_flags.h"
#include "interchange/musicxml/musicxml_import.h"
#include "interchange/niff/niff_import.h"
#include "interchange/smf/smf_import.h"
#include "interchange/smf/smf_reader.h"
#include "layout/page_fit.h"
#include "layout/page_format.h"
#include "layout/page_geometry.h"
#include "notes/respell/accidental_interpretation_dialog.h"
#include "platform/sys/path_names.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"
#include "sequencer/transcription_dialog_resources.h"
#include "sequencer/transcription_dialogs.h"
#include "staves/staff_group_bits.h"

namespace ql {
namespace {

namespace dlg = import_options_dialog;
using platform::WindowHandle;

constexpr uint8_t kMostImportMeasuresPerSystem = 3;
constexpr int32_t kImportScrollOrigin = -30720;
constexpr char kNiffExtension[] = ".nif";
constexpr const char* kMusicXmlExtensions[] = {".xml", ".mxl"};
constexpr char kImportedNameSuffix[] = "_MIDI";
constexpr char kNativeExtension[] = ".ql";
constexpr intptr_t kContinue = 1;
constexpr intptr_t kCancel = 2;
constexpr uint32_t kImportOptionsHelp = 811;
constexpr int kImportSmallScoreStaffSize = 4;

// Systems per page of an imported score by its staff count.
uint8_t SystemsPerPageFor(int staves) {
    constexpr uint8_t kByStaves[] = {1, 8, 5, 4, 3, 2, 2};
    return staves >= 0 && staves < static_cast<int>(std::size(kByStaves)) ? kByStaves[staves] : 1;
}

// The staff size an imported score of `staves` staves takes (the fixed sizes 0..9),
// smaller as there are more staves; -1 keeps the score's own.
int ImportStaffSizeFor(int staves) {
    constexpr int kFirstGrownCount = 13;
    constexpr int kBySize[] = {5, 6, 7, 8, 8, 9, 9, 9};  // 13 .. 20 staves
    if (staves < kFirstGrownCount) return kImportSmallScoreStaffSize;
    const int row = staves - kFirstGrownCount;
    return row < static_cast<int>(std::size(kBySize)) ? kBySize[row] : -1;
}

// A refused, failed or cancelled import's score goes at once, without a question.
void DiscardImportedView(ScoreView* view) {
    if (view == nullptr) return;
    if (view->document != nullptr) ClearDocumentModified(view->document);
    if (view->ViewWindow && win::IsWindow(view->ViewWindow)) {
        const WindowHandle window = view->ViewWindow;
        if (CloseScoreWindow(window) == 0 || win::IsWindow(window)) ForceCloseScoreWindow(window);
        return;
    }
    ScoreDocument* document = view->document;
    FreeView(view);
    if (document != nullptr) FreeDocument(document);
}

void ShowImportChoices(WindowHandle dialog) {
    const ProgramOptions& o = Options();
    ui::CheckItem(dialog, dlg::kTriplets, o.AllowTriplets != 0);
    ui::CheckItem(dialog, dlg::kQuintuplets, o.AllowQuin != 0);
    ui::CheckItem(dialog, dlg::kSyncopation, o.AllowSyncopation != 0);
}

void StoreImportChoices(WindowHandle dialog) {
    ProgramOptions& o = Options();
    o.AllowTriplets = ui::IsItemChecked(dialog, dlg::kTriplets) ? 1 : 0;
    o.AllowQuin = ui::IsItemChecked(dialog, dlg::kQuintuplets) ? 1 : 0;
    o.AllowSyncopation = ui::IsItemChecked(dialog, dlg::kSyncopation) ? 1 : 0;
}

ScoreView* ImportMidiFile() {
    // A refused import gives the score that was current back its records.
    KeptDocumentContext kept;
    ScoreView* view = PrescanMidiFile();
    if (view == nullptr) return nullptr;
    ScopedDocumentContext context(view);
    SetStatusText(0, kAlterLayoutText);
    if (ModalDialogBox(view, sys::ResourceId{dlg::kDialog}, ImportOptionsDlgProc) != kContinue) {
        DiscardImportedView(view);
        return nullptr;
    }
    SetStatusText(0, kAlterLayoutText);
    SmfImportResult result = SmfImportResult::Refused;
    {
        ImportFlags flags(ImportKind::MidiFile);
        result = ImportStandardMidiFile(view);
    }
    if (result != SmfImportResult::Imported) {
        DiscardImportedView(view);
        return nullptr;
    }
    kept.Dismiss();
    return view;
}

}  // namespace

std::string ImportFilter(bool musicXml) {
    std::string filter = kImportFilter;
    if (musicXml) {
        const std::string after = "~*.nif~";
        filter.insert(filter.find(after) + after.size(), kMusicXmlFilterEntry);
    }
    return filter;
}

ScoreView* importing::ImportFileByExtension(const std::filesystem::path& path) {
    LongOperation operation;
    if (operation.Refused()) return nullptr;
    // Running out of records is told once; the import goes on with what it made.
    LowMemoryBoxOnce lowMemory;
    FileFlags& files = State().files;
    files.PendingImportPath.clear();
    files.ImportPending = 0;
    files.ImportPath = path.native();
    if (sys::HasExtension(path, kNiffExtension)) return niff::ImportNiffFile(path);
    for (const char* extension : kMusicXmlExtensions)
        if (sys::HasExtension(path, extension)) return ImportMusicXml(path);
    return ImportMidiFile();
}

ScoreView* importing::ChooseAndImportFile() {
    ui::FileDialogRequest request;
    request.kind = ui::FileDialogKind::Open;
    request.title = kImportTitle;
    request.filter = ImportFilter(MusicXmlConverterAvailable());
    request.filterIndex = 1;
    const ui::FileDialogAnswer answer = ui::RunFileDialog(request);
    if (answer.status != ui::FileDialogStatus::Chosen || answer.path.empty()) return nullptr;
    return ImportFileByExtension(answer.path);
}

ScoreView* PrescanMidiFile() {
    const std::string& path = State().files.ImportPath;
    std::unique_ptr<smf::MidiFileReader> file = smf::OpenMidiFileForRead(path);
    if (file == nullptr) return nullptr;
    WaitCursor wait;
    if (file->format == 2) {
        ErrorBox(kFormat2NotSupportedText);
        return nullptr;
    }
    // Format 1: a staff for each track after the signature track that holds more
    // than its end, and one for the signature track itself when it plays notes. The
    // tracks counted are those the file holds, which a damaged header may overstate;
    // a file lacking tracks its header counts keeps a staff, so that the import reads
    // it and says it is damaged, and so does a file of tracks that hold nothing.
    // Format 0: a staff for each channel that plays notes, and one at least.
    const int tracks = file->format == 0 ? 1 : smf::CountTrackChunks(*file, file->trackCount);
    int staves = LastPlannedStaff(PlanTrackStaves(*file, tracks));
    if (file->format == 0 || tracks < file->trackCount || tracks > 1) staves = std::max(staves, 1);
    file.reset();
    staves = std::clamp(staves, 0, kMaxStaves);
    if (staves == 0) {
        ShowNotice(kNoDataText);
        ErrorBox(kNoDataText);
        return nullptr;
    }
    NewScoreBlock block = ProgramPreferences().header.newScoreBlock;
    block.initStavesPerSystem = static_cast<uint16_t>(staves);
    block.initSystemsPerPage = SystemsPerPageFor(staves);
    block.initMeasuresPerSystem =
        std::clamp<uint8_t>(block.initMeasuresPerSystem, 1, kMostImportMeasuresPerSystem);
    // Named after the file it came from, in no folder: its first save proposes the
    // folder of new scores.
    const std::filesystem::path name =
        std::filesystem::path(path).stem().native() + kImportedNameSuffix + kNativeExtension;
    ScoreView* view = NewScoreFromBlock(block, name.native());
    if (view == nullptr) return nullptr;
    // The window's first activation lays the new score out (staves, measures, page
    // one); a view shown without a window is laid out here.
    ActivateView(view);
    if (StaffRecordOf(view->document, 1) == nullptr) BuildInitialScoreLayout(view);
    // A view no window has measured yet measures its note heads here, where a surface
    // can be had: the transcription's beams meet the stems it sets by their widths.
    if (view->glyphWidths.black == 0) InitViewMetrics(view);
    SetupImportStaves(view);
    return view;
}

void SetupImportStaves(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return;
    view->scrollOrigin[0] = kImportScrollOrigin;
    view->scrollOrigin[1] = kImportScrollOrigin;
    ScoreDocument* document = view->document;
    const int staves = document->header.staffCount;
    // A new staff size scales the page's margins and lays the score out again.
    const int size = ImportStaffSizeFor(staves);
    if (size >= 0 && size != document->header.pageGeometry.staffSize && view->UnitsPerInch > 0) {
        StartPageGeometryRun(document);
        State().layout.StaffSizeChosen = static_cast<uint8_t>(size + 1);
        ApplyPageGeometry(view, platform::WindowHandle{});
    }
    for (int s = 1; s <= staves; ++s) {
        StaffRecord* record = StaffRecordOf(document, s);
        if (record == nullptr) continue;
        const GroupKind kind = staves == 2 ? GroupKind::Brace : GroupKind::Bracket;
        ClearGroupBits(*record, GroupKind::Brace);
        ClearGroupBits(*record, GroupKind::Bracket);
        if (staves == 1) {
            SetOneStaffGroup(*record, kind, true);
            continue;
        }
        SetJoinsStaffAbove(*record, kind, s > 1);
        SetJoinsStaffBelow(*record, kind, s < staves);
    }
    FitStaffSizeToSystems(view);
}

intptr_t ImportOptionsDlgProc(WindowHandle dialog, win::Message message, uint32_t word, intptr_t /*data*/) {
    switch (message) {
        case win::Message::InitDialog:
            ui::CheckItem(dialog, dlg::kGuessClefs, true);
            ShowImportChoices(dialog);
            return 1;
        case win::Message::Help: return ShowHelp(dialog, sys::HelpCommand::Context, kImportOptionsHelp, nullptr);
        case win::Message::Command:
            switch (static_cast<int32_t>(win::CommandId(word))) {
                case dlg::kQuantization:
                    StoreImportChoices(dialog);
                    win::EnableWindow(dialog, false);
                    RunSetQuantizationDialog();
                    win::EnableWindow(dialog, true);
                    ShowImportChoices(dialog);
                    return 1;
                case dlg::kFilters: RunMidiMessageFilterDialog(); return 1;
                case dlg::kAccidentals: RunAccidentalInterpretationDialog(GetActiveView(dialog)); return 1;
                case ui::kIdOk:
                    ImportGuessClefs() = ui::IsItemChecked(dialog, dlg::kGuessClefs);
                    StoreImportChoices(dialog);
                    ui::EndDialog(dialog, kContinue);
                    return 1;
                case ui::kIdCancel: ui::EndDialog(dialog, kCancel); return 1;
                default: return 0;
            }
        default: return 0;
    }
}

void InstallImportServices() {
    ImportServices services;
    services.importFileByExtension = importing::ImportFileByExtension;
    services.chooseAndImportFile = importing::ChooseAndImportFile;
    SetImportServices(services);
}

}  // namespace ql
