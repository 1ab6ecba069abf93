// The MIDI menu's Start, Pause and Stop commands and their item states.
#include "shell/program/transport_commands.h"

#include "core/ui/status_bar.h"
#include "platform/ui/menu.h"
#include "sequencer/playback.h"
#include "shell/program/sequencer_window.h"
#include "shell/program/view_procedures.h"
#include "shell/program/view_transport.h"
#include "shell/program_options.h"

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

void UpdateTransportMenu(platform::MenuHandle popup, const ScoreView* view) {
    if (!popup || ui::GetMenuItemFlags(popup, transport_cmd::kStartPlayback) == ui::kMenuItemMissing) return;
    const bool running = IsPlaybackRunning();
    const auto state = [](bool usable) { return usable ? ui::MenuItemState::Enabled : ui::MenuItemState::Grayed; };
    const bool canPlay = (!running && view != nullptr && HasPlaybackOutput()) || IsPlaybackPaused();
    ui::EnableMenuItem(popup, transport_cmd::kStartPlayback, state(canPlay));
    const bool canRecord = !running && view != nullptr && HasPlaybackOutput() && HasRecordInput();
    ui::EnableMenuItem(popup, transport_cmd::kStartRecording, state(canRecord));
    ui::CheckMenuItem(popup, transport_cmd::kStartRecording, Transport().punchInArmed != 0);
    ui::EnableMenuItem(popup, transport_cmd::kPausePlayback, state(running && Transport().recording == 0));
    ui::EnableMenuItem(popup, transport_cmd::kStopPlayback, state(running));
    // A new transcription of the kept recording: only with recordings kept and an input.
    const bool canTranscribe = !running && view != nullptr && Options().KeepMIDI != 0 && HasRecordInput();
    ui::EnableMenuItem(popup, view_cmd::kNewTranscription, state(canTranscribe));
}

}  // namespace ql
