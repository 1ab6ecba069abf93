// The MIDI input of step entry as the program keeps it: open while "AllowStepEntry"
// is on and no recording uses the inputs, on the device of "MidiStepInPortName"
// when the device list holds it, else on the input at "MidiStepInPort" (an index
// among the inputs). Its messages are announced to a window, which hands them to
// step entry for the active view; outside step entry they go through to the thru
// ports.
#pragma once

#include "platform/handles.h"
#include "platform/midi/midi.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

// Opens the input (when closed) or closes it, as `open` says; `notify` gets
// `message` when messages wait. A device that is missing leaves it closed.
void UpdateStepEntryPort(bool open, platform::WindowHandle notify, win::Message message);
// Hands the waiting messages to step entry for the view.
void DeliverStepEntryPort(ScoreView* view);
// The open device, or null.
midi::InputDevice* StepEntryPortDevice();
// Closes it (before the MIDI backend goes).
void CloseStepEntryPort();

}  // namespace ql
