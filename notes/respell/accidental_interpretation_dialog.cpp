// The Accidental Interpretation dialog (see accidental_interpretation_dialog.h). The
// tables as they were when the dialog opened are kept for Reset and Cancel in the
// run's own record, which lives for the modal run only. The staff picture shows what
// the radios say (accidental_interpretation_picture.h): it is drawn again after every
// radio click and Reset, and a click on one of its columns toggles that interval.
#include "notes/respell/accidental_interpretation_dialog.h"

#include <cstring>

#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "notes/pitch/spelling_preferences.h"
#include "notes/respell/accidental_interpretation_picture.h"
#include "notes/settings/note_dialog_resources.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

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

// The spellings the radios show now.
accidental_picture::Spellings CheckedSpellings(platform::WindowHandle dialog) {
    accidental_picture::Spellings spellings;
    for (const bool minor : {false, true})
        for (int row = 0; row < aid::kEditedIntervalCount; ++row)
            spellings.sharp[minor][row] = ui::IsItemChecked(dialog, aid::SharpRadio(minor, row));
    return spellings;
}

void RedrawPicture(platform::WindowHandle dialog) {
    if (platform::WindowHandle picture = ui::GetDialogItem(dialog, aid::kPicture))
        win::InvalidateRect(picture, nullptr, true);
}

intptr_t DrawPicture(platform::WindowHandle dialog, const win::DrawItemInfo* item) {
    if (item == nullptr || item->controlId != aid::kPicture) return 0;
    accidental_picture::DrawPicture(item->dc, item->rect, CheckedSpellings(dialog));
    return 1;
}

// A click on the picture: the interval of the column under the pointer changes
// spelling; a click beside the columns does nothing.
void TogglePictureColumn(platform::WindowHandle dialog) {
    platform::WindowHandle picture = ui::GetDialogItem(dialog, aid::kPicture);
    if (!picture) return;
    const win::Point at = win::ScreenToClient(picture, win::GetCursorPosition());
    const accidental_picture::PictureFrame frame =
        accidental_picture::FrameInRect(win::GetClientRect(picture));
    const auto column = accidental_picture::PictureColumnAt(frame.PictureX(at.x));
    if (!column) return;
    const int32_t sharp = aid::SharpRadio(column->minor, column->row);
    const int32_t flat = aid::FlatRadio(column->minor, column->row);
    ui::CheckRadioButton(dialog, sharp, flat, ui::IsItemChecked(dialog, sharp) ? flat : sharp);
    RedrawPicture(dialog);
}

bool IsRadio(int32_t id) {
    for (const bool minor : {false, true})
        for (int row = 0; row < aid::kEditedIntervalCount; ++row)
            if (id == aid::SharpRadio(minor, row) || id == aid::FlatRadio(minor, row)) return true;
    return false;
}

intptr_t OnCommand(platform::WindowHandle dialog, uint32_t word) {
    const auto id = static_cast<int32_t>(win::CommandId(word));
    if (id == aid::kPicture) {
        TogglePictureColumn(dialog);
        return 1;
    }
    if (IsRadio(id)) {
        RedrawPicture(dialog);
        return 0;
    }
    switch (id) {
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
            RedrawPicture(dialog);
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
                                         uint32_t word, intptr_t data) {
    switch (message) {
        case win::Message::InitDialog:
            ResetAccidentalInterpretationControls(dialog);
            return 1;
        case win::Message::Command:
            return OnCommand(dialog, word);
        case win::Message::DrawItem:
            return DrawPicture(dialog, reinterpret_cast<const win::DrawItemInfo*>(data));
        default:
            return 0;
    }
}

intptr_t RunAccidentalInterpretationDialog(ScoreView* view) {
    ScopedRun run;
    return ModalDialogBox(view, aid::kDialogId, AccidentalInterpretationDlgProc);
}

}  // namespace ql
