// The real-time engine: the timer callback that plays the tick-slot table and
// re-arms itself from the current rate, the two MIDI-input callbacks (recording,
// with thru, echo and slave sync; and following an external sync master while
// only playing), and the user-interface thread's side of the hand-overs.
//
// One call of the timer callback plays every due slot less than 17 ticks ahead (9
// when a MIDI clock falls there), skipping empty slots without a timer round,
// then re-arms for the ticks it covered at the current rate: the delay is
// computed in 64 bits with the remainder carried, and the lateness of this call
// is taken off it. In slave mode no timer runs: each received clock plays one
// clock step of ticks. The engine never allocates, never blocks on the
// user-interface thread, and posts to the Sequencer window through its thread's
// ring (a full ring stops the run).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sequencer/sequencer_state.h"

namespace ql {

// ---- Engine threads ----

// The timer callback: `user` is the SequencerState.
void SequencerTimerCallback(void* user);
// One engine call; `posts` is the ring of the calling thread.
void SequencerTimerProc(SequencerState& state, win::PostRing& posts);
// Input callbacks (param: the packed short message and its stamp in ms since the
// input was started).
void MidiInRecordProc(SequencerState& state, uint32_t message, uint32_t ms);
void MidiInSyncProc(SequencerState& state, uint32_t message, uint32_t ms);
midi::InputHandler RecordInputHandler(SequencerState& state);
midi::InputHandler SyncInputHandler(SequencerState& state);

// ---- Run start and end (user-interface thread) ----

// Before the threads start, with the run constants set: resets the timing, makes
// halfA the played half and halfB the fill half, empties the late queue, the
// recorded chain and the silence requests, registers the post rings and locks the
// state in memory (best effort). The caller then fills both halves, publishes the
// second (PublishFill), starts the inputs, sets SequencerRunning and arms the timer.
void BeginRun(SequencerState& state);

// After the timer is cancelled and the inputs stopped and closed: sends the
// note-offs of every note still sounding (played, or sent thru), drops playHalf, drains and unregisters
// the post rings and unlocks the state. Returns one notice for each device that
// went away during the run.
std::vector<std::string> EndRun(SequencerState& state);

// ---- The user-interface thread's side of the double buffer ----

// On the refill message: true when a refill is pending (it is taken); the caller
// then fills FillHalf and publishes it.
bool TakeRefill(SequencerState& state);
TickSlotHalf& FillHalf(SequencerState& state);
// The fill half is complete: the engine may swap to it.
void PublishFill(SequencerState& state);
// Slots of the played half below this index have been played and may be freed.
int AcquirePlayedIndex(SequencerState& state);
// Hands a group of late note-ons to the engine; false when the queue is full.
bool QueueLateGroup(SequencerState& state, const LateGroup& group);

// ---- The mixer's live values (user-interface thread) ----

// Mute and solo take effect at the engine's next call; a slot that becomes
// inaudible during a run has its sounding notes ended then.
void SetSlotMute(SequencerState& state, int slot, bool muted);
void SetSlotSolo(SequencerState& state, int slot, bool soloed);
void SetSlotVelocityOffset(SequencerState& state, int slot, int offset);
void SetMasterVelocityOffset(SequencerState& state, int offset);
void SetPerformanceRate(SequencerState& state, uint32_t ticksPerMinute);

// ---- Reading the recorded chain while recording (user-interface thread) ----

// Visits each recorded event once, oldest first. An event is marked transcribed
// (kind 0, so that the input thread may free it when "KeepMIDI" is off) only once
// the reader has moved past it, and the reader never touches it again.
class RecordedChainReader {
public:
    // Visits the events recorded since the last call, in order, at most `limit`
    // of them; returns how many it visited.
    size_t ReadNew(SequencerState& state, const std::function<void(const PerformanceEvent&)>& visit,
                   size_t limit = SIZE_MAX);
    void Reset() { cursor_ = nullptr; }

private:
    PerformanceEvent* cursor_ = nullptr;  // the last event visited; not yet marked
};

// Frees the whole recorded chain back to the sequencer's static pool and empties
// it; only once no input thread is left to append to it.
void FreeRecordedChain(SequencerState& state);

}  // namespace ql
