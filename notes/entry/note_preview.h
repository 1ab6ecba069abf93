// Hearing notes while they are entered or visited: a note-on or note-off of one note
// and the sustain pedal, sent at once through the platform's MIDI output to the port
// and channel of the staff's voice slot, on the device the logical port plays on:
// the port map's (the one the MIDI Ports dialog shows), or the run's during a run.
#pragma once

#include <cstdint>

namespace ql {

namespace midi {
class OutputDevice;
}

struct ScoreView;
struct EventRecord;

// Velocity of a sounding preview; a note-off is a note-on of velocity 0.
constexpr uint8_t kPreviewVelocity = 113;
// Sustain pedal: Control Change 64, 65 down and 0 up.
constexpr uint8_t kSustainController = 64;
constexpr uint8_t kSustainDown = 65;

// One note-on (`on`) or note-off of the note, in the active voice's slot of the
// view's current staff. Nothing for a null note, an unset port, a key outside the
// MIDI range or a port without a device.
void PreviewNote(ScoreView* view, const EventRecord* note, bool on);
// The sustain pedal on the active voice's port and channel.
void SendSustainPedal(ScoreView* view, bool on);
// Sustain off, on, note-on; the note described in the status bar; the pointer to the
// note; sustain off and note-off.
void AuditionNote(ScoreView* view, EventRecord* note);
void AuditionNoteOff(ScoreView* view, const EventRecord* note);

// Closes the port map's devices the preview plays on (before the MIDI backend is
// replaced, and at program end).
void ClosePreviewOutputs();
// The device a logical port (0-7) plays on (DeviceOfLogicalPort): opened on first
// use and kept until ClosePreviewOutputs. Null for a port outside 0-7, a port set
// to none, or when the backend has no output.
midi::OutputDevice* PreviewOutputForPort(int port);

}  // namespace ql
