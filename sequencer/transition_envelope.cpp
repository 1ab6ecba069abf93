// Reading a transition's envelope and its value along the transition.
#include "sequencer/transition_envelope.h"

#include <algorithm>
#include <cstring>

#include "core/objects/midi_action.h"

namespace ql {
namespace {

constexpr int32_t kEnvelopeWidth = 8192;
constexpr int kSplitPoint = 3;   // the first segment ends at point 3
constexpr int kSecondSegment = 4;
constexpr uint8_t kEnvelopeTiming = 2;

int16_t WordAt(const std::byte* bytes, int index) {
    int16_t word = 0;
    std::memcpy(&word, bytes + index * static_cast<int>(sizeof word), sizeof word);
    return word;
}

// B(u) of a cubic segment over the y of its four control points, y taken upward,
// at u = along / span.
double SegmentCurve(const EnvelopePoint* p, double along, double span) {
    const double u = span > 0 ? std::clamp(along / span, 0.0, 1.0) : 1.0;
    const double v = 1.0 - u;
    return -(v * v * v * p[0].y + 3 * u * v * v * p[1].y + 3 * u * u * v * p[2].y + u * u * u * p[3].y);
}

}  // namespace

bool ReadTransitionEnvelope(const MidiAction& action, TransitionEnvelope* out) {
    if (out == nullptr || MidiTimingOf(action) != kEnvelopeTiming) return false;
    if (action.head.data.length < kEnvelopeRecordBytes) return false;
    const std::byte* bytes = MidiActionDataBytes(action);
    if (bytes == nullptr) return false;
    TransitionEnvelope envelope;
    envelope.start = WordAt(bytes, 0);
    envelope.scale = WordAt(bytes, 1);
    for (int p = 1; p < kEnvelopePoints; ++p) {
        envelope.points[p].x = std::clamp<int32_t>(WordAt(bytes, 2 * p), 0, kEnvelopeWidth);
        envelope.points[p].y = WordAt(bytes, 2 * p + 1);
    }
    *out = envelope;
    return true;
}

int32_t EnvelopeValueAt(const TransitionEnvelope& envelope, int32_t t, int32_t length, int32_t divisor) {
    const double total = std::max(length, 1);
    const double split = total * envelope.points[kSplitPoint].x / kEnvelopeWidth;
    const double at = std::clamp<double>(t, 0, total);
    const bool first = at < split || split >= total;
    const double curve = first ? SegmentCurve(&envelope.points[0], at, split)
                               : SegmentCurve(&envelope.points[kSecondSegment], at - split, total - split);
    return envelope.start + static_cast<int32_t>(curve * envelope.scale / std::max(divisor, 1));
}

}  // namespace ql
