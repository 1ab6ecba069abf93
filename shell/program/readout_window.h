// The position readout: a small popup at the right end of the frame's menu bar that
// shows the pointer's measure and beat in cyan on black. It follows the frame when
// the frame moves or changes size.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

constexpr char kReadoutClassName[] = "ReadoutClass";

intptr_t ReadoutWndProc(platform::WindowHandle window, win::Message message, uint32_t word, intptr_t data);

// Creates the readout (owned by the frame) and places it.
platform::WindowHandle CreateReadoutWindow();
// Moves the readout to the frame's menu bar; nothing while the frame's client
// area is lower than the readout needs.
void PlaceReadout();
// The text shown.
void SetReadoutText(std::string_view text);
std::string_view ReadoutShownText();

}  // namespace ql
