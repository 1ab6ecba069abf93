// The pieces every MIDI-carrying object is performed with: the values of a
// transition at its steps, the distinct port and channel destinations of an
// action, and placing an event into the staff's control chain. Shared by the
// marks (perform_objects.cpp) and the MIDI event objects (perform_midi_event.cpp).
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/objects/midi_action.h"
#include "sequencer/performance_builder.h"
#include "sequencer/transition_envelope.h"

namespace ql {
struct StaffRecord;
}

namespace ql::perform_detail {

constexpr int32_t kTicksPerInterval = 256;  // an action's interval counts sixteenths
constexpr uint8_t kTimingSingle = 0;
constexpr uint8_t kTimingGradual = 1;
constexpr uint8_t kTimingEnvelope = 2;

struct PortChannel {
    int port = 0;
    int channel = 0;
    bool operator==(const PortChannel&) const = default;
};

// Where a voice's notes sound: the voice's own timbre, or the staff's main timbre
// (timbre 1) when the voice's has no port; a port beyond H plays on A.
PortChannel VoiceDestination(const StaffRecord& staff, int voice);

// Which voice mask the staves of the named side of an output destination take.
// The marks keep flag bits 12-15 for their own uses, so every staff takes the
// mask of bits 8-11; a MIDI event object or articulation carries a second mask
// for the named side in those bits.
enum class RemoteVoices : uint8_t { ThisStaffMask, OwnMask };

// One destination per distinct port and channel on the staves of the action's
// output destination, for the voices (or timbres) of the side's mask (a mask of 0
// is all four). With "send to timbres" (flag bit 3) the mask picks the staff's
// timbres themselves, and a timbre without a port sends nothing; otherwise each
// voice sends where its notes sound (VoiceDestination).
std::vector<PortChannel> Destinations(const PerformanceRun& run, int staff, const MidiAction& action,
                                      RemoteVoices remote = RemoteVoices::ThisStaffMask);

// A new event into the staff's control chain; false when pool 12 ran out.
bool PlaceControl(PerformanceRun& run, int staff, PerformanceEventKind kind, int port, int32_t time,
                  uint32_t message);

// How a transition runs: its length in ticks and the divisor of its envelope.
struct TransitionShape {
    int32_t length = kTicksPerInterval;
    int32_t envelopeDivisor = kEnvelopeDivisor;
};

// Calls emit(t, value) for each step of the action's transition and stops at the
// first false. A single occurrence is one step at t = 0 with `start`. A gradual one
// steps every transitionStep ticks from t = 0 while t < length, value = start +
// (end - start) x t / length, and with closeOnEnd once more at t = length. An
// envelope takes its values (start and scale included) from its pooled envelope,
// so `start` and `end` do not matter to it; without a readable envelope nothing is
// emitted. Values are not clamped: the emitter holds them to its message's range.
template <class Emit>
bool EachStep(const PerformanceRun& run, const MidiAction& action, const TransitionShape& shape, int32_t start,
              int32_t end, bool closeOnEnd, Emit emit) {
    const uint8_t timing = MidiTimingOf(action);
    if (timing == kTimingSingle) return emit(0, start);
    TransitionEnvelope envelope;
    const bool enveloped = timing == kTimingEnvelope && ReadTransitionEnvelope(action, &envelope);
    if (timing != kTimingGradual && !enveloped) return true;
    const int32_t length = std::max<int32_t>(shape.length, 1);
    const int32_t step = std::max<int32_t>(run.options.transitionStep, 1);
    const auto valueAt = [&](int32_t t) {
        if (enveloped) return EnvelopeValueAt(envelope, t, length, shape.envelopeDivisor);
        return start + static_cast<int32_t>(static_cast<int64_t>(end - start) * t / length);
    };
    for (int32_t t = 0; t < length; t += step)
        if (!emit(t, valueAt(t))) return false;
    return !closeOnEnd || emit(length, valueAt(length));
}

}  // namespace ql::perform_detail
