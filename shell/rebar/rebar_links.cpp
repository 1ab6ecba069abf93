// The main bar following the toolbar buttons' model and Toolbar Options (see
// rebar_links.h).
#include "shell/rebar/rebar_links.h"

#include "platform/ui/toolbar.h"
#include "shell/program/frame_layout.h"
#include "shell/rebar/band_layout_keys.h"
#include "shell/rebar/main_rebar.h"

namespace ql {
namespace {

void ShowModelButton(const Toolbar& /*toolbar*/, const ToolbarButton& button) {
    SetToolbarButtonState(button.command, BandButtonBits(button));
}

}  // namespace

uint8_t BandButtonBits(const ToolbarButton& button) {
    uint8_t bits = 0;
    if (button.enabled) bits |= ui::kToolButtonEnabled;
    if (button.checked) bits |= ui::kToolButtonChecked;
    if (button.pressed) bits |= ui::kToolButtonPressed;
    return bits;
}

void ConnectMainRebar() {
    SetToolbarButtonListener(ShowModelButton);
    SetToolbarOptionsListener(FollowToolbarOptions);
    for (int kind = 0; kind < kToolbarKindCount; ++kind) {
        const Toolbar& toolbar = *ProgramToolbar(static_cast<ToolbarKind>(kind));
        for (const ToolbarButton& button : toolbar.buttons) ShowModelButton(toolbar, button);
    }
}

void DisconnectMainRebar() {
    SetToolbarButtonListener(nullptr);
    SetToolbarOptionsListener(nullptr);
}

void FollowToolbarOptions(const ToolbarOptionsChange& change) {
    if (!MainRebarWindow()) return;
    // The Main palette's band is moved by its own swap, never from here.
    if (change.bandsChanged)
        for (const BandRecord& band : BandTable()) {
            if (band.id == kMainPaletteBand) continue;
            if (IsBandShown(band.id))
                ShowBand(band.id);
            else
                HideBand(band.id);
        }
    if (change.rebuild) RebuildMainRebar();
    if (change.bandsChanged || change.rebuild || change.floatChanged) LayoutFrameClient();
}

}  // namespace ql
