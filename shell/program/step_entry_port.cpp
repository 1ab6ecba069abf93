// The program's step-entry input (see step_entry_port.h).
#include "shell/program/step_entry_port.h"

#include <string>

#include "core/settings/program_options.h"
#include "notes/step_entry/step_entry_input.h"
#include "sequencer/playback.h"

namespace ql {
namespace {

StepEntryInput& Port() {
    static StepEntryInput port;
    return port;
}

}  // namespace

void UpdateStepEntryPort(bool open, platform::WindowHandle notify, win::Message message) {
    if (!open) {
        Port().Close();
        return;
    }
    if (Port().IsOpen()) return;
    const std::string name = ResolveRecordInput(midi::CurrentBackend().Devices(), Options().MidiStepInPortName,
                                                Options().MidiStepInPort);
    if (!name.empty()) Port().Open(name, notify, message);
}

void DeliverStepEntryPort(ScoreView* view) { Port().Deliver(view); }

midi::InputDevice* StepEntryPortDevice() { return Port().Device(); }

void CloseStepEntryPort() { Port().Close(); }

}  // namespace ql
