// Where step entry sends what it receives: through to the thru ports while it is
// off, and echoed on the current staff's port and channel while it is on, so that
// the player hears the staff's sound. Each logical port opens its device on first
// use (the device the port map names, else the built-in synthesizer, else the first
// output) and keeps it until CloseStepEntryOutputs.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

// A channel message (0x80..0xEF) unchanged to every port whose bit is set in the
// "ThruPorts" setting; other messages go nowhere.
void SendStepThru(uint32_t message);
// A channel message to the port of the active voice slot of the view's current
// staff, on that slot's channel.
void EchoToStaffPort(ScoreView* view, uint32_t message);
// Closes the devices opened here (before the MIDI backend is replaced, at the end).
void CloseStepEntryOutputs();

}  // namespace ql
