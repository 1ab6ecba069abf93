// The transport commands of a score window's MIDI menu: Start Playback plays the
// active score from its current measure (or continues a paused run), Pause
// Playback pauses a run and continues it, Stop Play/Record stops a run and ends
// every sounding note, Start Recording arms punch-in (checked while armed) so that
// the next Play records into the score. They reach the Sequencer window as its start, pause and
// stop commands; the menu items are usable as the command state allows
// (shell/program/menu_state.h).
#pragma once

#include <cstdint>

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

}  // namespace ql
