// The MIDI menu's Start, Pause and Stop commands.
#include "shell/program/transport_commands.h"

#include "core/settings/program_options.h"
#include "core/ui/status_bar.h"
#include "sequencer/playback.h"
#include "shell/program/sequencer_window.h"
#include "shell/program/view_procedures.h"
#include "shell/program/view_transport.h"

namespace ql {
namespace {

void StartPlaybackCommand(ScoreView* view) {
    if (IsPlaybackPaused()) {
        PauseSequencerCommand();  // continues where the run was paused
        return;
    }
    if (view == nullptr || IsPlaybackRunning()) return;
    SetStatusText(0, nullptr);
    StartTransport(view);
}

}  // namespace

bool TransportCommand(ScoreView* view, int32_t command) {
    switch (command) {
        case transport_cmd::kStartPlayback: StartPlaybackCommand(view); return true;
        case transport_cmd::kPausePlayback:
            // Pauses, or continues a paused run; a recording is not paused.
            if (IsPlaybackRunning() && Transport().recording == 0) PauseSequencerCommand();
            return true;
        case transport_cmd::kStopPlayback: StopTransport(); return true;
        default: return false;
    }
}

}  // namespace ql
