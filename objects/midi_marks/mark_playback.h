// What playback takes from the placed marks: the action of a dynamic or pedal mark
// as stored, and a tempo mark's rate in sixteenth notes per minute. The sequencer
// calls these; it clamps every data byte to 0..127 itself when it builds messages.
#pragma once

#include <cstdint>

#include "core/objects/midi_action.h"

namespace ql {

struct ScoreObject;

// The action of a dynamic or pedal mark, or null when the mark plays nothing
// (Enable MIDI clear, a pedal mark without a symbol, another type).
const MidiAction* MarkPlaybackAction(ScoreObject* mark);

// The rate a tempo value means for the mark's beat unit: value x 2, 4 or 8 for an
// eighth, quarter or half, x 3, 6 or 12 dotted. A value below 1 plays as 1, one
// above the unit's maximum as the maximum; the stored value is left alone.
int32_t TempoSixteenthsPerMinute(const ScoreObject* tempo, int32_t value);

// The start and end rates of a playing tempo mark (equal for a single occurrence);
// false when the mark plays nothing (Enable MIDI clear, pooled envelope data, not a
// tempo mark).
struct TempoRates {
    int32_t start = 0;
    int32_t end = 0;
};
bool TempoPlaybackRates(ScoreObject* tempo, TempoRates* out);

}  // namespace ql
