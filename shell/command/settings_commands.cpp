// The settings command map and RunSettingsCommand.
#include "shell/command/settings_commands.h"

#include <algorithm>

#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/state.h"
#include "files/commands/file_commands.h"
#include "layout/page_edit.h"
#include "layout/page_layout_dialogs.h"
#include "notes/respell/accidental_interpretation_dialog.h"
#include "objects/quick_fonts/quick_fonts_dialog.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "sequencer/settings_dialogs.h"
#include "sequencer/transcription_dialogs.h"
#include "shell/options/measure_numbers_dialog.h"
#include "shell/options/option_dialogs.h"
#include "shell/options/toolbar_options_dialogs.h"
#include "shell/program/score_windows.h"
#include "shell/program/sequencer_window.h"
#include "shell/program/view_procedures.h"
#include "shell/shell_services.h"
#include "staves/staff_dialogs.h"

namespace ql {
namespace {

constexpr uint32_t kNoteToolType = 29;

// A Note tool command: the tool opens its dialog on the block's notes.
intptr_t PostNoteToolCommand(ScoreView* view, int32_t command) {
    win::PostMessage(view->ViewWindow, kMsgToolCommand, static_cast<uint32_t>(command), kNoteToolType);
    return 0;
}

intptr_t ExportMidi(ScoreView* /*view*/) {
    win::PostMessage(SequencerWindow(), win::PrivateMessage(kExportMidiMessageOffset));
    return 0;
}

intptr_t QuickFonts(ScoreView* view) {
    const int result = SetupQuickFonts(view);
    for (ScoreView* each = State().documents.FirstView; each != nullptr; each = each->nextView)
        if (each->ViewWindow) win::InvalidateRect(each->ViewWindow, nullptr, true);
    return result;
}

// Page Layout only while the view shows a page.
intptr_t PageLayout(ScoreView* view) {
    if (view->pageView == 0 || view->currentPage == nullptr) return 2;
    return RunPageLayoutDialog(view);
}

const std::vector<SettingsCommand>& Map() {
    static const std::vector<SettingsCommand> map = {
        {1171, 806, [](ScoreView* v) { return RunNonPrintingAreaDialog(v); }},
        {1400, 831, [](ScoreView* v) -> intptr_t { return RunStaffMidiDialog(v, v->currentStaff); }},
        {1401, 851, [](ScoreView* v) { return RunStaffManagementDialog(v); }},
        {40115, 0, ExportMidi},
        {40116, 865, [](ScoreView* v) { return RunPageSetupDialog(v); }},
        {40165, 866, [](ScoreView* v) { return RunPlaybackSettingsDialog(v); }},
        {40168, 850, [](ScoreView* v) { return RunMusicMetricsDialog(v); }},
        {40169, 819, QuickFonts},
        {40173, 867, [](ScoreView* v) { return RunPortAssignmentDialog(v); }},
        {40175, 872, [](ScoreView* v) { return RunRecordSetupDialog(v); }},
        {40178, 873, PageLayout},
        {40200, 875, [](ScoreView* v) { return RunSyncDialog(v); }},
        {40207, 826, [](ScoreView*) { return RunLoosenUpDialog(); }},
        {40211, 863, [](ScoreView* v) { return RunMeasureNumbersDialog(v); }},
        {40217, 893, [](ScoreView* v) { return RunAccidentalInterpretationDialog(v); }},
        {40367, 871, [](ScoreView*) { return RunSetQuantizationDialog(); }},
        {40370, 802, [](ScoreView* v) { return PostNoteToolCommand(v, 40370); }},
        {40371, 843, [](ScoreView* v) { return PostNoteToolCommand(v, 40371); }},
        {40372, 878, [](ScoreView* v) { return RunThruDialog(v); }},
        {40373, 860, [](ScoreView*) { return RunMidiMessageFilterDialog(); }},
        {40376, 805, [](ScoreView* v) { return RunPatchCachingDialog(v); }},
        {40406, 822, [](ScoreView* v) { return RunInsertPagesDialog(v); }},
        {40407, 814, [](ScoreView* v) { return RunDeletePagesDialog(v); }},
        {40412, 829, [](ScoreView* v) { return RunMetronomeDialog(v); }},
        {40415, 824, [](ScoreView* v) { return PostNoteToolCommand(v, 40415); }},
        {40416, 813, [](ScoreView* v) { return RunNoteDurationsDialog(v); }},
        {40423, 803, [](ScoreView*) { return RunAutosaveCountDialog(); }, false},
        {42067, 887, [](ScoreView*) { return RunBackupCopiesDialog(); }, false},
        {42079, 888, [](ScoreView*) { return RunToolbarOptionsDialog(); }, false},
        {42080, 889, [](ScoreView*) { return RunPaletteOptionsDialog(); }, false},
        {57603, 0, [](ScoreView* v) -> intptr_t { return SaveDocument(v->document, v); }},
        {57604, 0,
         [](ScoreView* v) -> intptr_t {
             const int result = SaveDocumentAs(v->document, v);
             RenumberViewCaptions(v->document);
             return result;
         }},
    };
    return map;
}

}  // namespace

const std::vector<SettingsCommand>& SettingsCommands() {
    return Map();
}

const SettingsCommand* FindSettingsCommand(int32_t command) {
    const auto& map = Map();
    const auto found = std::find_if(map.begin(), map.end(),
                                    [command](const SettingsCommand& entry) { return entry.command == command; });
    return found == map.end() ? nullptr : &*found;
}

intptr_t program::RunSettingsCommand(ScoreView* view, int32_t command) {
    const SettingsCommand* entry = FindSettingsCommand(command);
    const bool viewValid = IsValidView(view) && view->document != nullptr;
    if (entry != nullptr && (viewValid || !entry->needsView)) entry->run(view);
    FocusActiveView();
    State().dialogs.ModalFlag = 0;
    return 0;
}

}  // namespace ql
