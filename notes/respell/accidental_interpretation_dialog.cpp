// The Accidental Interpretation dialog (see accidental_interpretation_dialog.h). The
// tables as they were when the dialog opened are kept for Reset and Cancel in the
// run's own record, which lives for the modal run only.
#include "notes/respell/accidental_interpretation_dialog.h"

#include <cstring>

#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "notes/pitch/spelling_preferences.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "shell/resources/note_dialog_resources.h"

namespace ql {
namespace {

namespace aid = accidental_interpretation_dialog;

constexpr intptr_t kDialogOk = 1;
constexpr intptr_t kDialogCancelled = 0;
constexpr int kSharpPreference = 1;
constexpr int kFlatPreference = -1;

// The tables as they were when the dialog opened.
struct SavedTables {
    int8_t major[kSpellingIntervals] = {};
    int8_t minor[kSpellingIntervals] = {};
};
SavedTables* g_saved = nullptr;

// Keeps the run's record reachable from the procedure for one modal run.
class ScopedRun {
  public:
    ScopedRun() : previous_(g_saved) {
        std::memcpy(tables_.major, SpellingPreferencesOf(false), sizeof tables_.major);
        std::memcpy(tables_.minor, SpellingPreferencesOf(true), sizeof tables_.minor);
        g_saved = &tables_;
    }
    ~ScopedRun() { g_saved = previous_; }
    ScopedRun(const ScopedRun&) = delete;
    ScopedRun& operator=(const ScopedRun&) = delete;

  private:
    SavedTables tables_;
    SavedTables* previous_;
};

void RestoreSavedTables() {
    if (g_saved == nullptr) return;
    for (int i = 0; i < kSpellingIntervals; ++i) {
        SetSpellingPreference(false, i, g_saved->major[i]);
        SetSpellingPreference(true, i, g_saved->minor[i]);
    }
}

void StoreCheckedRadios(platform::WindowHandle dialog) {
    for (const bool minor : {false, true})
        for (int row = 0; row < aid::kEditedIntervalCount; ++row) {
            const bool sharp = ui::IsItemChecked(dialog, aid::SharpRadio(minor, row));
            SetSpellingPreference(minor, aid::kEditedIntervals[row],
                                  sharp ? kSharpPreference : kFlatPreference);
        }
}

intptr_t OnCommand(platform::WindowHandle dialog, uint32_t word) {
    switch (static_cast<int32_t>(win::CommandId(word))) {
        case ui::kIdOk:
            StoreCheckedRadios(dialog);
            ui::EndDialog(dialog, kDialogOk);
            return 1;
        case ui::kIdCancel:
            RestoreSavedTables();
            ui::EndDialog(dialog, kDialogCancelled);
            return 1;
        case aid::kReset:
            RestoreSavedTables();
            ResetAccidentalInterpretationControls(dialog);
            return 1;
        default:
            return 0;
    }
}

}  // namespace

void ResetAccidentalInterpretationControls(platform::WindowHandle dialog) {
    for (const bool minor : {false, true}) {
        const int8_t* table = SpellingPreferencesOf(minor);
        for (int row = 0; row < aid::kEditedIntervalCount; ++row) {
            const bool flat = table[aid::kEditedIntervals[row]] < 0;
            ui::CheckRadioButton(dialog, aid::SharpRadio(minor, row), aid::FlatRadio(minor, row),
                                 flat ? aid::FlatRadio(minor, row) : aid::SharpRadio(minor, row));
        }
    }
}

intptr_t AccidentalInterpretationDlgProc(platform::WindowHandle dialog, win::Message message,
                                         uint32_t word, intptr_t /*data*/) {
    switch (message) {
        case win::Message::InitDialog:
            ResetAccidentalInterpretationControls(dialog);
            return 1;
        case win::Message::Command:
            return OnCommand(dialog, word);
        default:
            return 0;
    }
}

intptr_t RunAccidentalInterpretationDialog(ScoreView* view) {
    ScopedRun run;
    return ModalDialogBox(view, aid::kDialogId, AccidentalInterpretationDlgProc);
}

}  // namespace ql
