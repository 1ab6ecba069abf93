// What ties the main bar to the rest of the program while it exists: the toolbar
// buttons' model drives the bits of the band buttons, and an OK of Toolbar Options
// shows and hides bands, rebuilds the bar for another button size or labels, and
// lays the frame out again.
#pragma once

#include <cstdint>

#include "shell/command/toolbar_buttons.h"
#include "shell/options/toolbar_options_dialogs.h"

namespace ql {

// The model button's bits as the band toolbars hold them.
uint8_t BandButtonBits(const ToolbarButton& button);

// Follows the model and Toolbar Options from now on, and gives every band button
// the bits its model button has now.
void ConnectMainRebar();
void DisconnectMainRebar();

// The bar after an OK of Toolbar Options: the bands' shown settings applied, then
// a rebuild when the button text or size changed, then the frame laid out.
void FollowToolbarOptions(const ToolbarOptionsChange& change);

}  // namespace ql
