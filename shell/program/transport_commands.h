// The transport commands of a score window's MIDI menu: Start Playback plays the
// active score from its current measure (or continues a paused run), Pause
// Playback pauses a run and continues it, Stop Play/Record stops a run and ends
// every sounding note, Start Recording arms punch-in (checked while armed) so that
// the next Play records into the score. They reach the Sequencer window as its start, pause and
// stop commands; the menu items are usable as the transport's state allows.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace ql {

struct ScoreView;

namespace transport_cmd {
constexpr int32_t kStartPlayback = 42035;
constexpr int32_t kStartRecording = 42036;  // arms and disarms punch-in (the view's command)
constexpr int32_t kStopPlayback = 42037;
constexpr int32_t kPausePlayback = 42038;
}  // namespace transport_cmd

// Runs one of the commands above for the active view (null: Play does nothing);
// true when the command is one of them.
bool TransportCommand(ScoreView* view, int32_t command);

// Grays the transport items of a popup that holds them: Play while a run is on
// (unless paused) or without a view or an output device; Record while a run is on
// or without a view, an output or an input device (checked while punch-in is
// armed); Pause while no run is on or while one records; Stop while no run is on.
void UpdateTransportMenu(platform::MenuHandle popup, const ScoreView* view);

}  // namespace ql
