// Reading a typed number within its field's range (see clamped_edit.h).
#include "sequencer/clamped_edit.h"

#include <algorithm>
#include <optional>

#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"

namespace ql {

int32_t ClampedEdit(platform::WindowHandle dialog, int32_t edit, int32_t low, int32_t high,
                    int32_t fallback, bool& clamped) {
    const std::optional<int32_t> typed = ui::GetItemInt(dialog, edit);
    const int32_t value = typed.value_or(fallback);
    const int32_t kept = std::clamp(value, low, high);
    clamped = clamped || kept != value;
    return kept;
}

void SetupSpinField(platform::WindowHandle dialog, int32_t edit, int32_t low, int32_t high, int32_t value) {
    ui::SetUpDownRange(ui::GetDialogItem(dialog, edit - 1), low, high);
    ui::SetItemInt(dialog, edit, value);
}

}  // namespace ql
