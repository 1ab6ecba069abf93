// The envelope of a MIDI transition: a pooled record of sixteen signed 16-bit
// values, the starting value, the scale, then points 1..7 (x 0..8,192 across the
// transition, y -2,048..2,048, stored growing downward) after the implicit point 0
// at (0, 0). Points 0-3 are the control points of the first Bezier segment, which
// covers the transition up to point 3's x; points 4-7 those of the second, which
// covers the rest. A value is start + B(u) x scale / divisor, B taken upward.
#pragma once

#include <array>
#include <cstdint>

namespace ql {

struct MidiAction;

constexpr int32_t kEnvelopeDivisor = 2048;
constexpr int32_t kPitchWheelEnvelopeDivisor = 4096;  // pitch wheel: the range halved
constexpr int kEnvelopePoints = 8;
constexpr int kEnvelopeRecordBytes = 32;

struct EnvelopePoint {
    int32_t x = 0;
    int32_t y = 0;
};

struct TransitionEnvelope {
    int32_t start = 0;
    int32_t scale = 0;
    std::array<EnvelopePoint, kEnvelopePoints> points{};  // point 0 is (0, 0)
};

// Reads the envelope of an action with envelope timing from its pooled record in
// the current pool set; false when the action has none or the record is short.
bool ReadTransitionEnvelope(const MidiAction& action, TransitionEnvelope* out);

// The value at tick t (0..length) of a transition `length` ticks long, not clamped.
int32_t EnvelopeValueAt(const TransitionEnvelope& envelope, int32_t t, int32_t length, int32_t divisor);

}  // namespace ql
