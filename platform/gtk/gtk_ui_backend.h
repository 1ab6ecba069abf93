// The GTK 3 user-interface backend: message boxes as GtkMessageDialogs, the
// display's beep, modal dialogs and boxes run in a loop of the layer's own (so
// posted messages, paints and timers go on while they are open; a Quit ends the
// loop and is posted again for the outer one), popup menus as GtkMenus, and the
// status bar shown at once when its text changes.
#pragma once

#include "platform/ui/backend.h"

namespace ql::gtk {

class GtkUiBackend final : public ui::Backend {
public:
    int ShowMessageBox(platform::WindowHandle owner, std::string_view text, std::string_view caption,
                       uint32_t style) override;
    void Beep(ui::BeepKind kind) override;
    void RunModalLoop(platform::WindowHandle dialog, const sys::ResourceId& templateId) override;
    void ModalDialogEnded(const sys::ResourceId&, intptr_t) override {}
    int32_t TrackPopupMenu(platform::MenuHandle popup, win::Point screen, platform::WindowHandle owner) override;
    void StatusTextChanged(platform::WindowHandle bar, int part, std::string_view text,
                           ui::StatusTextStyle style) override;
    // Measured once from the font GTK draws the controls' labels with.
    ui::DialogBaseUnits DialogFontUnits() override;
    bool TooltipToolAdded(platform::WindowHandle tip, platform::WindowHandle tool) override;

private:
    ui::DialogBaseUnits fontUnits_;
};

}  // namespace ql::gtk
