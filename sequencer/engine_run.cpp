// The start and end of a run on the user-interface thread, and its side of the
// double buffer: taking a refill, publishing a filled half, the played index and
// the late queue.
#include <sys/mman.h>

#include <algorithm>

#include "sequencer/engine_internal.h"

namespace ql {
namespace {

constexpr char kVanishedNoticeStart[] = "The MIDI device \"";
constexpr char kVanishedNoticeEnd[] = "\" stopped responding during playback and was closed.";

// Every distinct device of the run that went away.
std::vector<std::string> VanishedDeviceNotices(const RunConstants& run) {
    std::vector<const midi::OutputDevice*> seen;
    std::vector<std::string> notices;
    auto consider = [&](const midi::OutputDevice* device) {
        if (device == nullptr || std::find(seen.begin(), seen.end(), device) != seen.end()) return;
        seen.push_back(device);
        if (device->IsGone()) notices.push_back(kVanishedNoticeStart + device->Name() + kVanishedNoticeEnd);
    };
    for (const midi::OutputDevice* device : run.portHandle) consider(device);
    consider(run.metronomeHandle);
    return notices;
}

// Ends the notes thru left sounding (their note-offs came after the stop).
void SilenceThru(SequencerState& state) {
    const RunConstants& run = state.run;
    uint8_t ports = run.thruPortMask & static_cast<uint8_t>(~(1u << run.recordPort));
    for (int key = 0; key < kMidiKeys; ++key) {
        if (state.thruSounding[key] == 0) continue;
        state.thruSounding[key] = 0;
        uint32_t noteOff = static_cast<uint32_t>(engine_detail::kNoteOff | (run.recordChannel & engine_detail::kChannelMask)) |
                           (static_cast<uint32_t>(key) << 8);
        for (int port = 0; port < kLogicalPortCount; ++port) {
            if ((ports & (1u << port)) == 0) continue;
            if (midi::OutputDevice* out = engine_detail::UsableDevice(run.portHandle[port])) out->Send(noteOff);
        }
    }
}

// Each port's device: the first port with the same handle.
void AssignPortDevices(RunConstants& run) {
    for (int port = 0; port < kLogicalPortCount; ++port) {
        int first = 0;
        while (run.portHandle[first] != run.portHandle[port]) ++first;
        run.deviceOfPort[port] = static_cast<uint8_t>(first);
    }
}

}  // namespace

void BeginRun(SequencerState& state) {
    RunConstants& run = state.run;
    run.blockLength = std::clamp(run.blockLength, kMinBlockLength, kMaxBlockLength);
    run.slotCount = static_cast<uint8_t>(std::clamp<int>(run.slotCount, 1, kMaxStaves));
    AssignPortDevices(run);
    ResetSequencerTiming(state, true);
    state.engine.playHalf = &state.table.halfA;
    state.engine.fillHalf = &state.table.halfB;
    state.baseTick.store(0, std::memory_order_relaxed);
    state.fillReady.store(0, std::memory_order_relaxed);
    state.refillPending.store(0, std::memory_order_relaxed);
    state.syncStopSent.store(0, std::memory_order_relaxed);
    state.underrunCount.store(0, std::memory_order_relaxed);
    state.droppedRecordings.store(0, std::memory_order_relaxed);
    state.live.silenceRequest.store(0, std::memory_order_relaxed);
    state.late.Clear();
    std::fill(std::begin(state.thruSounding), std::end(state.thruSounding), uint8_t{0});
    state.recordHead.store(0, std::memory_order_relaxed);
    state.recordTail.store(0, std::memory_order_relaxed);
    win::RegisterPostRing(state.timerPosts);
    win::RegisterPostRing(state.inputPosts);
    mlock(&state, sizeof state);  // best effort: a refusal costs only latency
}

std::vector<std::string> EndRun(SequencerState& state) {
    for (int slot = 1; slot < kSlotEntries; ++slot) engine_detail::SilenceSlot(state, slot);
    SilenceThru(state);
    state.engine.playHalf = nullptr;
    win::UnregisterPostRing(state.timerPosts);
    win::UnregisterPostRing(state.inputPosts);
    munlock(&state, sizeof state);
    return VanishedDeviceNotices(state.run);
}

bool TakeRefill(SequencerState& state) {
    return state.refillPending.exchange(0, std::memory_order_acq_rel) != 0;
}

TickSlotHalf& FillHalf(SequencerState& state) { return *state.engine.fillHalf; }

void PublishFill(SequencerState& state) { state.fillReady.store(1, std::memory_order_release); }

int AcquirePlayedIndex(SequencerState& state) { return state.playedIndex.load(std::memory_order_acquire); }

bool QueueLateGroup(SequencerState& state, const LateGroup& group) { return state.late.Push(group); }

}  // namespace ql
