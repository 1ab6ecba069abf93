// The MIDI and playback settings dialogs: default note durations (813), playback
// settings (866), metronome (829), patch caching (805), port assignment (867),
// synchronisation (875), thru (878) and record set-up (872). OK stores the values
// in the program options, the settings file and the active document; Cancel
// changes nothing. Typed numbers are clamped on OK to their field's range, with
// one beep for the whole OK when any was. Each returns the dialog's result (1 OK,
// 2 Cancel, -1 not shown).
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

intptr_t RunNoteDurationsDialog(ScoreView* view);
intptr_t RunPlaybackSettingsDialog(ScoreView* view);
intptr_t RunMetronomeDialog(ScoreView* view);
intptr_t RunPatchCachingDialog(ScoreView* view);

// Port assignment closes the output ports while it is open and reopens them on OK
// and on Cancel.
intptr_t RunPortAssignmentDialog(ScoreView* view);
intptr_t RunSyncDialog(ScoreView* view);
intptr_t RunThruDialog(ScoreView* view);
intptr_t RunRecordSetupDialog(ScoreView* view);

// Whether MIDI synchronisation can be used: some MIDI input device is listed.
bool MidiSyncAvailable();

}  // namespace ql
