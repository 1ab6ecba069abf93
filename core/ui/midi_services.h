// What the score model, the music's keys, objects and dialogs and the painter ask
// of the MIDI sequencer (sequencer/): the clean-up of transcribed voices, the
// output ports, the mixer's mute and solo, the MIDI dialogs, the performance
// table's refill and the MIDI event object's class. The sequencer fills the table
// when the program starts (sequencer/sequencer_services.h); until then, as in a
// program built without the sequencer, where nothing plays and no port is open,
// each call does nothing and answers 0 or null, except the dialogs: a MIDI dialog
// answers 2 (cancelled) and `RunMidiValueDialog` the value it was given.
#pragma once

namespace ql {

namespace midi {
class OutputDevice;
}
struct EventRecord;
struct MidiAction;
struct ScoreDocument;
struct ScoreObject;
struct ScoreView;

struct MidiServices {
    void (*applyTranscribedAttachments)(ScoreView* view, EventRecord* firstEvent) = nullptr;
    void (*fixTranscribedEventChain)(ScoreView* view, EventRecord* firstEvent) = nullptr;
    int (*openMidiPortsWithPatchCache)(ScoreDocument* document) = nullptr;
    midi::OutputDevice* (*deviceOfLogicalPort)(int port) = nullptr;
    midi::OutputDevice* (*runDeviceOfLogicalPort)(int port) = nullptr;
    void (*closeMidiOutputPorts)() = nullptr;
    int (*toggleViewStaffMute)(ScoreView* view, int staff) = nullptr;
    int (*toggleViewStaffSolo)(ScoreView* view, int staff) = nullptr;
    void (*buildPerformanceBlock)(ScoreView* view) = nullptr;
    int (*runMidiValueDialog)(ScoreView* view, int value) = nullptr;
    int (*editOutputDestination)(ScoreView* view, MidiAction* action) = nullptr;
    int (*editTransition)(ScoreView* view, MidiAction* action) = nullptr;
    int (*openMidiEventDialog)(ScoreView* view, ScoreObject* object) = nullptr;
    void (*registerMidiEventObjectClass)() = nullptr;
};

void SetMidiServices(const MidiServices& services);

// The transcription clean-up passes over one voice's event chain.
void ApplyTranscribedAttachments(ScoreView* view, EventRecord* firstEvent);
void FixTranscribedEventChain(ScoreView* view, EventRecord* firstEvent);

// Requests patch caching and re-opens the MIDI output ports of the port map. No
// device caches patches, so the request is answered "not supported" and the score's
// mask is kept for later. Non-zero when no device failed to open.
int OpenMidiPortsWithPatchCache(ScoreDocument* document);

// The device a logical port (0-7) plays on: during a run the run's own; outside
// one the port map's device (as the port dialog shows it), opened when it is not
// and kept until CloseMidiOutputPorts. Null for a port set to none, a port
// outside 0-7, or a device that will not open.
midi::OutputDevice* DeviceOfLogicalPort(int port);
// The device the run's constants hold for a logical port (0-7), as they stand
// (a run sets them as it starts): null for a port they hold no device for and for
// a port outside 0-7. Nothing is opened.
midi::OutputDevice* RunDeviceOfLogicalPort(int port);
// Closes every output device opened for the ports (before the MIDI backend goes,
// at program end).
void CloseMidiOutputPorts();

// The staff's mute or solo toggled in the view's document and the live tables, the
// other flag cleared when this one comes on, every mixer of the view refreshed and
// the document marked. Staves outside the score change nothing (0).
int ToggleViewStaffMute(ScoreView* view, int staff);
int ToggleViewStaffSolo(ScoreView* view, int staff);

// Fills the next half of the performance table while the sequencer plays; the
// painter calls it between measures when a refill is due.
void BuildPerformanceBlock(ScoreView* view);

// Runs the MIDI value dialog (837) on a patch value; the value chosen.
int RunMidiValueDialog(ScoreView* view, int value);

// The "Set MIDI Output Destination" (838) and "Set Transition" (853) dialogs, each
// on a copy of `action` written back on OK: 1 OK, 2 cancelled (the action
// unchanged).
int EditOutputDestination(ScoreView* view, MidiAction* action);
int EditTransition(ScoreView* view, MidiAction* action);

// Dialog 830 "MIDI Event" on a MIDI-carrying object (a MIDI event or an
// articulation): 1 OK with a change, 2 otherwise.
int OpenMidiEventDialog(ScoreView* view, ScoreObject* object);

// Registers the class of the MIDI event object (type 25) in the class table.
void RegisterMidiEventObjectClass();

}  // namespace ql
