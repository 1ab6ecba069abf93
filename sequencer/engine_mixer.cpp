// The mixer's live values during a run (user-interface thread). Mute and solo
// compare the slots heard before and after the change; a slot that became
// inaudible is named in the silence request, and the engine ends its sounding
// notes at its next call.
#include <algorithm>

#include "core/state.h"
#include "sequencer/engine_internal.h"

namespace ql {
namespace {

constexpr int kMaxVelocityOffset = 127;

bool IsValidSlot(int slot) { return slot >= 1 && slot <= kMaxStaves; }

// Bit (slot - 1) for every slot of the run that is heard.
uint64_t AudibleSlots(const SequencerState& state) {
    const LiveTables& live = state.live;
    bool solo = false;
    for (int slot = 1; slot <= state.run.slotCount; ++slot) solo |= live.solo[slot].load(std::memory_order_relaxed) != 0;
    uint64_t audible = 0;
    for (int slot = 1; slot <= state.run.slotCount; ++slot) {
        bool heard = solo ? live.solo[slot].load(std::memory_order_relaxed) != 0
                          : live.mute[slot].load(std::memory_order_relaxed) == 0;
        if (heard) audible |= uint64_t{1} << (slot - 1);
    }
    return audible;
}

template <typename Change>
void ChangeAudibility(SequencerState& state, Change change) {
    uint64_t before = AudibleSlots(state);
    change();
    uint64_t silenced = before & ~AudibleSlots(state);
    if (silenced != 0 && PlaybackFlags().SequencerRunning.load(std::memory_order_acquire))
        state.live.silenceRequest.fetch_or(silenced, std::memory_order_release);
}

int8_t ClampOffset(int offset) {
    return static_cast<int8_t>(std::clamp(offset, -kMaxVelocityOffset, kMaxVelocityOffset));
}

}  // namespace

void SetSlotMute(SequencerState& state, int slot, bool muted) {
    if (!IsValidSlot(slot)) return;
    ChangeAudibility(state, [&] { state.live.mute[slot].store(muted ? 1 : 0, std::memory_order_relaxed); });
}

void SetSlotSolo(SequencerState& state, int slot, bool soloed) {
    if (!IsValidSlot(slot)) return;
    ChangeAudibility(state, [&] { state.live.solo[slot].store(soloed ? 1 : 0, std::memory_order_relaxed); });
}

void SetSlotVelocityOffset(SequencerState& state, int slot, int offset) {
    if (!IsValidSlot(slot)) return;
    state.live.velocityOffset[slot].store(ClampOffset(offset), std::memory_order_relaxed);
}

void SetMasterVelocityOffset(SequencerState& state, int offset) {
    state.live.masterVelocityOffset.store(ClampOffset(offset), std::memory_order_relaxed);
}

void SetPerformanceRate(SequencerState& state, uint32_t ticksPerMinute) {
    state.rate.store(ticksPerMinute, std::memory_order_relaxed);
}

}  // namespace ql
