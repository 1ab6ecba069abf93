// The value dialogs of the note commands (see note_command_dialogs.h): transpose,
// key velocity, attack and release offsets, cross-staff and note timbre. Each shows
// the value it starts from; OK stores the typed number clamped to the dialog's
// bounds (one beep when it had to clamp), Cancel leaves it.
#include <algorithm>
#include <cstdio>

#include "core/ui/settings_dialog_frame.h"
#include "editing/note_command_dialogs.h"
#include "platform/ui/controls.h"
#include "sequencer/midi_settings_resources.h"
#include "sequencer/transcription_dialog_resources.h"

namespace ql {
namespace {

using platform::WindowHandle;

constexpr uint32_t kTransposeHelp = 1169;
constexpr uint32_t kNoteValueHelp = 1171;
constexpr uint32_t kCrossStaffHelp = 1531;

struct ValueBounds {
    int32_t low;
    int32_t high;
    uint32_t help;
};

ValueBounds BoundsOf(int dialogId) {
    switch (dialogId) {
        case kKeyVelocityDialog: return {-127, 127, kNoteValueHelp};
        case kAttackOffsetDialog:
        case kReleaseOffsetDialog: return {-4096, 4096, kNoteValueHelp};
        case kTransposeDialog: return {-32, 32, kTransposeHelp};
        case kCrossStaffDialog: return {0, 1, kCrossStaffHelp};
        default: return {-1, 3, kNoteTimbreDialog};
    }
}

// Chromatic (whole measures) or by staff degrees; kept for the next transposition.
bool g_transposeByDegrees = false;

void ShowValue(WindowHandle dialog, int dialogId, int value, const ValueBounds& bounds) {
    namespace v = note_value_dialog;
    namespace t = note_timbre_dialog;
    if (dialogId == kCrossStaffDialog) {
        ui::CheckItem(dialog, v::kValue, value != 0);
        return;
    }
    if (dialogId == kNoteTimbreDialog) {
        ui::CheckRadioButton(dialog, t::kStaffDefault, t::kLastTimbre, t::kStaffDefault + 1 + std::clamp(value, -1, 3));
        return;
    }
    ui::SetItemInt(dialog, v::kValue, std::clamp(value, bounds.low, bounds.high));
    char text[32];
    std::snprintf(text, sizeof text, "(%d - %d)", bounds.low, bounds.high);
    ui::SetItemText(dialog, v::kBounds, text);
    if (dialogId == kTransposeDialog)
        ui::CheckRadioButton(dialog, v::kChromatic, v::kStaffDegrees, g_transposeByDegrees ? v::kStaffDegrees : v::kChromatic);
}

// The value the dialog holds now; for the timbre, the radio checked.
int ReadValue(WindowHandle dialog, int dialogId, int value, const ValueBounds& bounds) {
    namespace v = note_value_dialog;
    namespace t = note_timbre_dialog;
    if (dialogId == kCrossStaffDialog) return ui::IsItemChecked(dialog, v::kValue) ? 1 : 0;
    if (dialogId == kNoteTimbreDialog) {
        for (int32_t id = t::kStaffDefault; id <= t::kLastTimbre; ++id)
            if (ui::IsItemChecked(dialog, id)) return id - t::kStaffDefault - 1;
        return value;
    }
    TypedNumbers typed(dialog);
    const int32_t read = typed.Read(v::kValue, bounds.low, bounds.high, value);
    typed.BeepIfClamped();
    if (dialogId == kTransposeDialog) g_transposeByDegrees = ui::IsItemChecked(dialog, v::kStaffDegrees);
    return read;
}

}  // namespace

intptr_t RunNoteValueDialog(ScoreView* /*view*/, int dialogId, int* value) {
    if (value == nullptr) return -1;
    const ValueBounds bounds = BoundsOf(dialogId);
    int chosen = *value;
    const intptr_t result = RunSettingsDialog(
        dialogId, bounds.help, [&](WindowHandle dialog) { ShowValue(dialog, dialogId, *value, bounds); },
        [&](WindowHandle dialog) { chosen = ReadValue(dialog, dialogId, *value, bounds); }, kNoCommand);
    if (result == 1) *value = chosen;
    return result;
}

bool TransposeByStaffDegrees() {
    return g_transposeByDegrees;
}

}  // namespace ql
