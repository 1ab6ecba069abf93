// Services of the MIDI sequencer that the score model and the editors call: the
// mixer's mute and solo, patches in use, output ports, transcription clean-up and
// the MIDI dialogs.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct EventRecord;
struct MixerWindow;

// Toggle a staff's mute or solo flag in the document and the engine's live table
// and update the mixer button.
void ToggleMixerMute(MixerWindow* mixer, int staff);
void ToggleMixerSolo(MixerWindow* mixer, int staff);

// Runs the MIDI value dialog (837) on a patch value; the value chosen.
int RunMidiValueDialog(ScoreView* view, int value);

// The transcription clean-up passes over one voice's event chain.
void ApplyTranscribedAttachments(ScoreView* view, EventRecord* firstEvent);
void FixTranscribedEventChain(ScoreView* view, EventRecord* firstEvent);

// Sets the patch's bit in the document's 256-bit patches-in-use mask.
void MarkPatchUsed(ScoreDocument* document, int patch);

// Requests patch caching and re-opens the MIDI output ports. Non-zero on success.
int OpenMidiPortsWithPatchCache(ScoreDocument* document);

// Opens a device for output; afterwards its handle is set or stays null.
// Non-zero on success.
int OpenMidiOutputPort(int device);

// Fills the next half of the performance table while the sequencer plays; the
// painter calls it between measures when a refill is due.
void BuildPerformanceBlock(ScoreView* view);

// Procedure of dialog 830 "MIDI Event".
intptr_t MidiEventDialogProc(platform::WindowHandle dialog, win::Message message, uint32_t word,
                             intptr_t data);

}  // namespace ql
