// The tooltips of dialogs: a tooltip window of a dialog and the fixed texts of its
// controls (see dialog_tooltips.h).
#include "core/ui/dialog_tooltips.h"

#include "platform/ui/tooltips.h"
#include "platform/win/window.h"

namespace ql {

platform::WindowHandle AddDialogTooltip(platform::WindowHandle dialog) {
    return win::IsWindow(dialog) ? ui::CreateTooltipWindow(dialog) : platform::WindowHandle{};
}

bool AddDialogTooltipText(platform::WindowHandle tooltip, platform::WindowHandle dialog, int controlId,
                          const char* text) {
    const platform::WindowHandle control = win::FindChildById(dialog, controlId);
    return text != nullptr && control && ui::AddTooltipToolText(tooltip, control, text);
}

}  // namespace ql
