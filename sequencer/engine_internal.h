// Steps of the engine shared by its files: posting, the devices of ports, the
// slot loop, the hand-over of the halves, and the atomic words of pooled events.
// Engine threads only, except where a step says otherwise.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "sequencer/engine.h"

namespace ql::engine_detail {

constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kStatusKindMask = 0xF0;
constexpr uint8_t kChannelMask = 0x0F;
constexpr uint8_t kMidiClock = 0xF8;
constexpr uint8_t kMidiStart = 0xFA;
constexpr uint8_t kMidiStop = 0xFC;
constexpr uint8_t kActiveSensing = 0xFE;
constexpr uint8_t kFirstSystemStatus = 0xF0;
constexpr uint8_t kLastSystemCommon = 0xF7;
constexpr uint32_t kMsPerMinute = 60000;

// Posts to the Sequencer window through the thread's ring; a full ring sets
// stopByte instead.
void PostToSequencer(SequencerState& state, win::PostRing& posts, uint32_t message, uint32_t word, intptr_t data);

// The device of a logical port, or null when there is none or it went away.
midi::OutputDevice* UsableDevice(midi::OutputDevice* device);
// Sends a real-time byte to every usable port of the sync mask.
void SendToSyncPorts(SequencerState& state, uint8_t status);

// Plays every event of the slot at currentIndex; false when the end of data was
// reached (the run is then stopped).
bool PlaySlot(SequencerState& state, win::PostRing& posts, uint32_t now);
// Sends the note-offs of the sounding notes of every slot the mixer silenced.
void ServeSilenceRequests(SequencerState& state);
// Sends the note-offs of the slot's sounding notes and forgets them.
void SilenceSlot(SequencerState& state, int slot);

// Times the ticks played since the last change at the rate they were played at
// and those that follow at `rate` (clamped to the engine's range), which becomes
// the run's rate: a tempo event's change takes effect at its own tick.
void ChangeRate(SequencerState& state, uint32_t rate);

// Makes the fill half the played one when the user-interface thread has
// published it; otherwise notes an underrun and returns false.
bool SwapHalves(SequencerState& state, win::PostRing& posts);
// Puts the late groups the builder queued into the played half.
void SpliceLateGroups(SequencerState& state);

// The link and flags words of a pooled event, for atomic access (the records sit
// at 32-byte slot boundaries, so both words are aligned).
inline uint32_t& NextWord(PerformanceEvent* event) {
    return *reinterpret_cast<uint32_t*>(reinterpret_cast<std::byte*>(event) + offsetof(PerformanceEvent, next));
}
inline uint16_t& FlagsWord(PerformanceEvent* event) {
    return *reinterpret_cast<uint16_t*>(reinterpret_cast<std::byte*>(event) + offsetof(PerformanceEvent, flags));
}

}  // namespace ql::engine_detail
