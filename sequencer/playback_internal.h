// The parts of a playback run shared by its files: the ports opened onto their
// devices, the metronome, the program changes sent before a run, and MIDI sync.
#pragma once

#include <array>
#include <functional>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include "sequencer/playback.h"

namespace ql::playback_detail {

using OwnedOutputs = std::vector<std::unique_ptr<midi::OutputDevice>>;

// The open device of the name, opened now when none is; null (with a notice)
// when it refuses.
midi::OutputDevice* OpenShared(const std::string& name, OwnedOutputs& devices, std::vector<std::string>& notices);

// A notice for each missing device of the ports (ResolvePortDevices) that `told`
// does not hold yet, naming the device that stands in; `told` then holds exactly
// the missing ones, so a device that came back is told of again should it go.
void TellMissingDevices(const std::vector<std::string>& missing, const std::string& standIn,
                        std::vector<std::string>& told, std::vector<std::string>& notices);

// Opens each distinct device of the names once; the ports share its handle. False
// (with everything closed and one notice) when a device refuses.
bool OpenPorts(const std::array<std::string, kLogicalPortCount>& names, OwnedOutputs& devices,
               std::vector<std::string>& notices, RunConstants& run);

// The metronome's device (its own one when open among the devices, else its
// port's), channel, keys and velocity, each clamped to its range.
void SetMetronome(RunConstants& run, const PlaybackRequest::Metronome& metronome, const OwnedOutputs& devices);

// The metronome's patch when it is on; with "SendPatches" the patch of every voice
// entry with port, channel and patch set, once per port and channel of a staff
// (a port beyond H plays on A for this run; the staff keeps its own).
void SendProgramChanges(const RunConstants& run, const PlaybackRequest& request);

// Ends every note a run may have left sounding (Pause and Stop): note-offs of the
// metronome's keys, then on each device and channel the score's voices play on
// the sustain pedal up, All Notes Off and a note-off for each of the 128 keys.
void SilenceAllNotes(const SequencerState& state, ScoreDocument* document);
// The same worked out now and sent later (the last measure's ring): the devices
// and channels to silence. The devices must stay open until it is sent.
struct SilencePlan {
    midi::OutputDevice* metronome = nullptr;  // with the metronome's two keys
    uint8_t metronomeChannel = 0;
    std::array<uint8_t, 2> metronomeKeys{};
    std::vector<std::pair<midi::OutputDevice*, int>> channels;
};
SilencePlan PlanSilence(const SequencerState& state, ScoreDocument* document);
void SendSilence(const SilencePlan& plan);

// The last measure's ring: a run that ends in its last measure keeps its devices
// open for `ms` while its last notes ring, then sends the plan and closes them,
// without holding up the user interface: a timer posts kMsgRingEnded to the
// Sequencer window. False when no timer can be had (nothing is taken: the caller
// silences at once).
bool BeginRing(OwnedOutputs& devices, SilencePlan plan, win::WindowHandle window, uint32_t ms);
// Ends the ring under way, if any: its plan sent, its devices closed.
void EndRing();
// The device a logical port (0..7) plays on, or null.
using DeviceOfPort = std::function<midi::OutputDevice*(int port)>;
// The pedal up, All Notes Off and the 128 note-offs once on each device and
// channel the score's voices play on (a port beyond H plays on A).
void SilenceVoiceChannels(ScoreDocument* document, const DeviceOfPort& deviceOfPort);

// MIDI sync: masterByte, slaveByte and the sync ports of the request's mode.
void SetSyncConstants(RunConstants& run, const PlaybackRequest& request);
// Slave while only playing: the sync input, opened (not started). When it will not
// open, a notice, slaveByte cleared and null: the run plays on its own clock.
std::unique_ptr<midi::InputDevice> OpenSyncInput(const PlaybackRequest& request, RunConstants& run,
                                                 std::vector<std::string>& notices);
// As master: Start to the sync ports before the first tick, and Stop at the end
// (sent once a run, whoever ends it).
void SendSyncStart(SequencerState& state);
void SendSyncStop(SequencerState& state);

}  // namespace ql::playback_detail
