// Switching the user-interface language while the program runs.
#include "shell/program/language_switch.h"

#include <string>
#include <vector>

#include "core/settings/program_options.h"
#include "editing/page_band.h"
#include "editing/palette_windows.h"
#include "platform/sys/settings_format.h"
#include "platform/ui/mdi_frame.h"
#include "platform/ui/menu.h"
#include "platform/win/window.h"
#include "shell/language.h"
#include "shell/program/frame.h"
#include "shell/program/frame_layout.h"
#include "shell/rebar/main_rebar.h"
#include "shell/shell_services.h"

namespace ql {

namespace {

// The two bars built anew in the language chosen, the new counterpart of the one
// the frame showed put in its place; when they cannot be built the old bars stay,
// in the old texts.
void RebuildMenuBars() {
    ProgramFrame& frame = Frame();
    const platform::MenuHandle oldFrameMenu = frame.frameMenu;
    const platform::MenuHandle oldChildMenu = frame.childMenu;
    const bool childShown = frame.window && win::GetWindowMenu(frame.window) == oldChildMenu;
    if (!BuildProgramMenus()) return;
    if (win::IsWindow(frame.mdiClient)) {
        if (childShown)
            ui::SetMdiMenu(frame.mdiClient, frame.childMenu, frame.childWindowMenu);
        else
            ui::SetMdiMenu(frame.mdiClient, frame.frameMenu, frame.frameWindowMenu);
    }
    if (oldFrameMenu) ui::DestroyMenu(oldFrameMenu);
    if (oldChildMenu) ui::DestroyMenu(oldChildMenu);
}

}  // namespace

bool SwitchProgramLanguage(size_t index) {
    const std::vector<std::string> languages = AvailableLanguages();
    if (index >= languages.size() || sys::SameSettingsName(languages[index], Options().Language)) return false;
    const std::string previous = Options().Language;
    if (!sys::SameSettingsName(ChooseLanguage(languages[index]), languages[index])) {
        // The bundle could not be read: the language in use stays.
        ChooseLanguage(previous);
        return false;
    }
    Options().Language = languages[index];
    RebuildMenuBars();
    SetFrameCaption();
    // Labels the bars show are made with their buttons: the bars are made anew.
    if (Options().ToolBarText != 0 && MainRebarWindow()) {
        RebuildMainRebar();
        LayoutFrameClient();
    }
    RetitlePagerArrows();
    RetitleToolPalettes();
    UpdateToolbarButtons(nullptr);
    return true;
}

}  // namespace ql
