// Services of the MIDI sequencer that the editors call: the mixer's mute and solo,
// patches in use, output ports and the MIDI dialogs; the ones the layers below
// call are in core/ui/midi_services.h, whose table `InstallSequencerServices`
// fills with the sequencer's own functions, declared here in `sequencing`.
#pragma once

#include <cstdint>
#include <string>

#include "core/ui/midi_services.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

namespace midi {
class OutputDevice;
}

struct ScoreDocument;
struct ScoreView;
struct EventRecord;
struct MixerWindow;
struct MidiAction;
struct ScoreObject;

// Toggle a staff's mute or solo flag in the document and the engine's live table
// and update the mixer button.
void ToggleMixerMute(MixerWindow* mixer, int staff);
void ToggleMixerSolo(MixerWindow* mixer, int staff);



// Sets the patch's bit in the document's 256-bit patches-in-use mask (a patch
// outside 0..255 is ignored); IsPatchUsed tests it.
void MarkPatchUsed(ScoreDocument* document, int patch);
bool IsPatchUsed(const ScoreDocument* document, int patch);

// Opens the output device of a device entry (1-based in the output list; 0 none)
// and keeps it open until CloseMidiOutputPorts; an open one stays as it is.
// Non-zero on success; 0 for no entry, an entry past the list, or a refusal.
int OpenMidiOutputPort(int device);
// Whether the device of an entry is open; CloseMidiOutputPorts closes every one
// (before the MIDI backend goes, at program end).
bool IsMidiOutputPortOpen(int device);
// Outside a run: a sync master's listeners are told to stop. Stop (0xFC) goes once
// to each open device of the logical ports of "SyncPorts" (CloseMidiOutputPorts
// does this first, and so does arming a recording).
void StopSequencerClock();
// All Notes Off: outside a run the output ports of the port map are opened again
// and every note the score's voices may hold is ended on them (All Notes Off and a
// note-off for each of the 128 keys, once per device and channel); during a run
// the run's own devices are silenced and the ports stay as they are.
void ReopenMidiAndSilence(ScoreDocument* document);
// The end of every Stop, a run or none: Stop to the sync ports (StopSequencerClock)
// and every note the score's voices may hold ended on the port map's devices that
// are open (the note preview, the mixer and step entry keep them open). Nothing is
// opened or closed here.
void SilenceOpenOutputs(ScoreDocument* document);
// Sends a packed short message to a device entry, opening it first when needed;
// false when it cannot be opened or refuses the message.
bool SendMidiOutputMessage(int device, uint32_t message);
// The same to the device of a name (none for an empty name).
bool SendMidiOutputMessage(const std::string& device, uint32_t message);


// Procedure of dialog 830 "MIDI Event".
intptr_t MidiEventDialogProc(platform::WindowHandle dialog, win::Message message, uint32_t word,
                             intptr_t data);

// Fills the table of core/ui/midi_services.h; the program does it when it starts
// (shell/shell_services.h), as every test, benchmark and fuzz program does as it
// loads.
void InstallSequencerServices();

namespace sequencing {

void ApplyTranscribedAttachments(ScoreView* view, EventRecord* firstEvent);
void FixTranscribedEventChain(ScoreView* view, EventRecord* firstEvent);
int OpenMidiPortsWithPatchCache(ScoreDocument* document);
midi::OutputDevice* DeviceOfLogicalPort(int port);
midi::OutputDevice* RunDeviceOfLogicalPort(int port);
void CloseMidiOutputPorts();
int ToggleViewStaffMute(ScoreView* view, int staff);
int ToggleViewStaffSolo(ScoreView* view, int staff);
void BuildPerformanceBlock(ScoreView* view);
int RunMidiValueDialog(ScoreView* view, int value);
int EditOutputDestination(ScoreView* view, MidiAction* action);
int EditTransition(ScoreView* view, MidiAction* action);
int OpenMidiEventDialog(ScoreView* view, ScoreObject* object);
void RegisterMidiEventObjectClass();

}  // namespace sequencing
}  // namespace ql
