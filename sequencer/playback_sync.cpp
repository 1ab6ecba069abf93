// MIDI sync of a playback run: the sync constants of the engine, the input of a
// run that follows an external master while only playing, and the real-time
// Start and Stop a master sends to its sync ports.
#include <memory>
#include <string>
#include <vector>

#include "sequencer/engine_internal.h"
#include "sequencer/playback_internal.h"

namespace ql::playback_detail {
namespace {

constexpr char kCantOpenSyncStart[] = "Can't open midi: the sync input \"";
constexpr char kCantOpenSyncEnd[] = "\" is not available; playing on the program's own clock.";

}  // namespace

void SetSyncConstants(RunConstants& run, const PlaybackRequest& request) {
    run.masterByte = request.sync.mode == SyncMode::Master ? 1 : 0;
    run.slaveByte = request.sync.mode == SyncMode::Slave ? 1 : 0;
    run.syncPortMask = request.sync.ports;
}

std::unique_ptr<midi::InputDevice> OpenSyncInput(const PlaybackRequest& request, RunConstants& run,
                                                 std::vector<std::string>& notices) {
    if (!run.slaveByte || request.recording) return nullptr;
    std::unique_ptr<midi::InputDevice> input;
    if (!request.sync.input.empty()) input = midi::CurrentBackend().OpenInput(request.sync.input);
    if (input == nullptr) {
        run.slaveByte = 0;
        notices.push_back(kCantOpenSyncStart + request.sync.input + kCantOpenSyncEnd);
    }
    return input;
}

void SendSyncStart(SequencerState& state) {
    if (state.run.masterByte) engine_detail::SendToSyncPorts(state, engine_detail::kMidiStart);
}

void SendSyncStop(SequencerState& state) {
    if (state.run.masterByte) engine_detail::SendToSyncPorts(state, engine_detail::kMidiStop);
}

}  // namespace ql::playback_detail
