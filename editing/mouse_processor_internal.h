// The parts of the tool mouse processor split over its files: keys and commands
// (mouse_keys.cpp), the right-button popup (popup_menus.cpp), and the last client
// point a mouse message carried (mouse_drag.cpp).
#pragma once

#include <cstdint>

#include "platform/gfx/types.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

// The document's reformat request after an object was made with a click, and after
// a drag step when no request was pending.
constexpr uint16_t kReformatAfterCreate = 2;
constexpr uint16_t kReformatAfterDrag = 7;

// KeyDown, KeyUp, SystemKeyDown, KillFocus and Command.
intptr_t KeyMessage(ScoreView* view, platform::WindowHandle window, win::Message message, uint32_t word,
                    intptr_t data);
// A key pressed in the processor (the replay of a popup command uses it too).
intptr_t ToolKeyDown(ScoreView* view, platform::WindowHandle window, uint32_t key);
// The right-button press: the popup menu, or Delete with the menus switched off.
intptr_t RightButtonPress(ScoreView* view, platform::WindowHandle window, intptr_t data);

gfx::Point LastClientPoint();
// Forgets the vertical snap's last raw and snapped y (a reset starts it afresh).
void ResetPointerSnap();

}  // namespace ql
