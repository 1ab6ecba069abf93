// The headless user-interface backend: scripted dialogs, queued answers for
// message boxes and popup menus, and the records tests assert on.
#pragma once

#include <deque>
#include <map>

#include "platform/ui/backend.h"
#include "platform/ui/headless.h"

namespace ql::ui::detail {

class HeadlessUiBackend final : public Backend {
public:
    int ShowMessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
                       uint32_t style) override;
    void Beep(BeepKind kind) override { beeps.push_back(kind); }
    void RunModalLoop(WindowHandle dialog, const sys::ResourceId& templateId) override;
    void ModalDialogEnded(const sys::ResourceId& templateId, intptr_t result) override;
    int32_t TrackPopupMenu(platform::MenuHandle popup, win::Point screen, WindowHandle owner) override;
    void StatusTextChanged(WindowHandle bar, int part, std::string_view text, StatusTextStyle style) override;
    // The fixed units of the layer's own dialog font: the same pixels on every machine.
    DialogBaseUnits DialogFontUnits() override { return DialogBaseUnits{kHeadlessUnitX, kHeadlessUnitY}; }

    static constexpr int32_t kHeadlessUnitX = 6;
    static constexpr int32_t kHeadlessUnitY = 13;

    std::map<sys::ResourceId, headless::DialogScript> scripts;
    std::deque<int> boxAnswers;
    std::deque<int32_t> popupChoices;
    std::vector<headless::MessageBoxRecord> boxes;
    std::vector<BeepKind> beeps;
    std::vector<headless::StatusTextRecord> statusTexts;
    std::vector<headless::DialogRecord> dialogs;
    std::vector<headless::PopupMenuRecord> popups;
};

// The installed backend when it is the headless one, else null.
HeadlessUiBackend* HeadlessUi();

// True when a chosen command names an item of the popup (or its submenus) that
// can be chosen: not grayed, disabled, a separator or a popup.
bool IsChoosable(platform::MenuHandle popup, int32_t command);

}  // namespace ql::ui::detail
