// The hidden "Sequencer" window every start, pause and stop of playback goes
// through: commands 400 (start), 300 (stop) and 1189 (pause or continue) posted
// by the menus and toolbar, and the engine's refill and stop messages. A start
// takes the active view's score and the playback settings (ports, metronome,
// count-in, the playback percent); while paused every command but 1189 stops.
#pragma once

#include <cstdint>

#include "core/ui/shell_services.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

constexpr char kSequencerClass[] = "Sequencer";

// The commands the window takes (cmd::kSequencerStart, kSequencerStop,
// kSequencerPause) and SequencerWindow are in core/ui/shell_services.h.

// Registers the class and creates the window (never shown); null on failure.
platform::WindowHandle CreateSequencerWindow();
// Step entry is on with its setting while no run is on (the setting just changed).
void RefreshStepEntry();
// Stops a run at once (a score that closes: the run never outlives it).
void StopSequencerNow();
// Stops a run synchronously and destroys the window (program end).
void DestroySequencerWindow();

// The window procedure.
intptr_t SequencerWndProc(platform::WindowHandle window, win::Message message, uint32_t word, intptr_t data);

// "Elapsed time:" in the status bar: how long the run has played, or the whole
// time of the run that ended last. The run's own time, not a count of the
// transport clock's ticks: a tick that comes late or not at all does not hold it
// back; a tick is due on the second and shows the nearest one.
void ShowElapsedTime();

// The tempo of the run (quarters a minute) as of its last refill or tempo message;
// what the mixer's tempo fader shows.
uint32_t PlayingTempoBpm();

// The transport commands: Play remembers the view and posts 400; Stop posts 300;
// Pause posts 1189.
void PlayCommand(ScoreView* view);
void StopSequencerCommand();
void PauseSequencerCommand();
// Record: starts a run that records into the view's score.
void StartRecordingCommand(ScoreView* view);
// New Transcription: posts the transcribe message to the window, which writes the
// kept recording again into the view's score; while a run plays it does nothing.
void NewTranscriptionCommand(ScoreView* view);

namespace program {
platform::WindowHandle SequencerWindow();
}  // namespace program

}  // namespace ql
