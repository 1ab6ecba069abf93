// Dialog 837 (see midi_value_dialog.h), centred vertically at the mouse: the edit
// shows base + value, the combo box lists the 128 General MIDI names (up to the first
// empty one), a chosen name sets the edit, the spin stays within base..base + 127,
// and OK stores edit - base.
#include "sequencer/midi_value_dialog.h"

#include <algorithm>
#include <string>

#include "core/ui/modal_boxes.h"
#include "notes/pitch/patch_names.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/win/input.h"
#include "platform/win/window.h"
#include "sequencer/clamped_edit.h"
#include "sequencer/midi_action_dialog_resources.h"
#include "sequencer/sequencer_services.h"

namespace ql {
namespace {

using platform::WindowHandle;
using namespace midi_value_dialog;

constexpr int32_t kMostValue = 127;

// The value the dialog runs on: the caller's, and the one chosen on OK.
int chosenValue = 0;

void InitValueDialog(WindowHandle dialog) {
    ui::PlaceDialogAtPointer(dialog, false);  // centred on the mouse's row, keeping its x
    const int32_t value = std::clamp(chosenValue, 0, kMostValue);
    ui::SetUpDownRange(ui::GetDialogItem(dialog, kValue - 1), kPatchNumberBase,
                       kPatchNumberBase + kMostValue);
    ui::SetItemInt(dialog, kValue, kPatchNumberBase + value);
    WindowHandle names = ui::GetDialogItem(dialog, kNames);
    for (int program = 0; program < kGeneralMidiPrograms; ++program) {
        const std::string name = GeneralMidiPatchName(program);
        if (name.empty()) break;
        ui::ComboAddString(names, name);
    }
    ui::ComboSetSelection(names, value);
}

}  // namespace

intptr_t MidiValueDlgProc(WindowHandle dialog, win::Message message, uint32_t word, intptr_t) {
    if (message == win::Message::InitDialog) {
        InitValueDialog(dialog);
        return 1;
    }
    if (message != win::Message::Command) return 0;
    const auto id = static_cast<int32_t>(win::CommandId(word));
    if (id == kNames && win::CommandCode(word) == ui::kComboSelectionChanged) {
        const int32_t index = ui::ComboGetSelection(ui::GetDialogItem(dialog, kNames));
        if (index >= 0) ui::SetItemInt(dialog, kValue, kPatchNumberBase + index);
        return 1;
    }
    if (id == ui::kIdOk) {
        bool clamped = false;
        const int32_t typed =
            ClampedEdit(dialog, kValue, kPatchNumberBase, kPatchNumberBase + kMostValue,
                        kPatchNumberBase + chosenValue, clamped);
        if (clamped) ui::Beep(ui::BeepKind::Default);
        chosenValue = typed - kPatchNumberBase;
        ui::EndDialog(dialog, ui::kIdOk);
        return 1;
    }
    if (id == ui::kIdCancel) {
        ui::EndDialog(dialog, ui::kIdCancel);
        return 1;
    }
    return 0;
}

int sequencing::RunMidiValueDialog(ScoreView* view, int value) {
    const int saved = chosenValue;
    chosenValue = value;
    const intptr_t result = ModalDialogBox(view, kMidiValueDialogId, &MidiValueDlgProc);
    const int chosen = result == ui::kIdOk ? chosenValue : value;
    chosenValue = saved;
    return chosen;
}

}  // namespace ql
