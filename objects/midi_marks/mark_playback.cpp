// The playback side of the placed marks (see mark_playback.h).
#include "objects/midi_marks/mark_playback.h"

#include <algorithm>

#include "core/text/text_object.h"
#include "objects/midi_marks/mark_classes.h"

namespace ql {
namespace {

// Sixteenths per beat of the plain and dotted units (eighth, quarter, half).
constexpr int32_t kSixteenthsPerUnit[] = {2, 4, 8};
constexpr int32_t kSixteenthsPerDottedUnit[] = {3, 6, 12};
constexpr int32_t kSlowestBeats = 1;

bool IsType(const ScoreObject* object, ObjectType type) {
    return object != nullptr && object->type == TypeCode(type);
}

}  // namespace

const MidiAction* MarkPlaybackAction(ScoreObject* mark) {
    if (!IsType(mark, ObjectType::Dynamic) && !IsType(mark, ObjectType::Pedal)) return nullptr;
    if (IsType(mark, ObjectType::Pedal) && AsTextObject(mark)->body.string == 0) return nullptr;
    const MidiAction* action = MidiActionOfText(mark);
    return (action->flags & kMidiFlagEnabled) != 0 ? action : nullptr;
}

int32_t TempoSixteenthsPerMinute(const ScoreObject* tempo, int32_t value) {
    if (!IsType(tempo, ObjectType::Tempo)) return 0;
    const uint16_t flags = AsTextObject(tempo)->body.flags;
    const TempoUnit unit = TempoUnitOf(flags);
    const bool dotted = IsTempoDotted(flags);
    const int32_t beats = std::clamp(value, kSlowestBeats, TempoMaximumBeats(unit, dotted));
    const auto index = static_cast<size_t>(unit);
    return beats * (dotted ? kSixteenthsPerDottedUnit[index] : kSixteenthsPerUnit[index]);
}

bool TempoPlaybackRates(ScoreObject* tempo, TempoRates* out) {
    if (!IsType(tempo, ObjectType::Tempo) || out == nullptr) return false;
    const MidiAction& action = *MidiActionOfText(tempo);
    if ((action.flags & kMidiFlagEnabled) == 0 || IsDataCarrying(action)) return false;
    out->start = TempoSixteenthsPerMinute(tempo, action.head.values.value);
    out->end = MidiTimingOf(action) == 0 ? out->start
                                         : TempoSixteenthsPerMinute(tempo, action.head.values.finalValue);
    return true;
}

}  // namespace ql
