// The interface behind which the user-interface backends sit: message boxes,
// beeps, running a modal dialog until it ends, popup menus, and the status bar's
// display. The headless backend is the default; callers never see which one runs.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/sys/resources.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/status_bar.h"
#include "platform/win/messages.h"

namespace ql::ui {

class Backend {
public:
    virtual ~Backend() = default;
    virtual int ShowMessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
                               uint32_t style) = 0;
    virtual void Beep(BeepKind kind) = 0;
    // Returns once the dialog has ended (ui::EndDialog) or was destroyed.
    virtual void RunModalLoop(WindowHandle dialog, const sys::ResourceId& templateId) = 0;
    // A modal dialog has ended with `result`.
    virtual void ModalDialogEnded(const sys::ResourceId& templateId, intptr_t result) = 0;
    // The command chosen from the popup, 0 when dismissed.
    virtual int32_t TrackPopupMenu(platform::MenuHandle popup, win::Point screen, WindowHandle owner) = 0;
    virtual void StatusTextChanged(WindowHandle bar, int part, std::string_view text, StatusTextStyle style) = 0;
    // The dialog font's average character width and its height in pixels, from
    // which dialog units are converted (a dialog unit is a quarter of the width
    // across and an eighth of the height down).
    virtual DialogBaseUnits DialogFontUnits() = 0;
    // A tool was registered with a tooltip window. A backend that shows its tips
    // with the display's own tooltips (asking GetTooltipToolText for the text when
    // one is due) answers true; otherwise the layer shows its tip window itself.
    virtual bool TooltipToolAdded(WindowHandle /*tip*/, WindowHandle /*tool*/) { return false; }
};

Backend& CurrentUiBackend();
// Null restores a fresh headless backend.
void InstallUiBackend(std::unique_ptr<Backend> backend);

}  // namespace ql::ui
