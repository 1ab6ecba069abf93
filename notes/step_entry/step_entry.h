// MIDI step entry: notes and rests entered at the note cursor from a MIDI keyboard.
// Keys pressed together make one chord; releasing a key moves the cursor past the
// chord's first note. With the sustain pedal down a few keys are commands: they
// choose the note value on the Notes palette or, in rest mode, enter rests.
//
// Messages are packed words: status in bits 0-7, data 1 in bits 8-15, data 2 in
// bits 16-23. When step entry is off (the "AllowStepEntry" setting clear, the
// sequencer not in its step state, or playback running) a channel message only goes
// through to the thru ports. User-interface thread only.
#pragma once

#include <cstdint>

#include "core/memory/pool.h"

namespace ql {

struct ScoreView;

// What step entry keeps between messages (one program-wide instance).
struct StepEntryState {
    uint8_t stepPedalDown = 0;  // the sustain pedal (controller 64) is down
    uint8_t stepChordOpen = 0;  // a chord is being collected: the first key's note is known
    // The first note of the open chord, its time, length, pointer x, value and dots.
    RecordHandle stepNote;
    int32_t stepNoteTime = 0;
    int32_t stepNoteTicks = 0;
    int32_t stepPointerX = 0;
    uint8_t stepNoteCode = 0;
    uint8_t stepNoteDots = 0;
    // 0: pedal keys choose note values on the Notes palette; 1: they enter rests.
    uint32_t stepRestMode = 0;
};

// The keys that are commands while the pedal is down.
constexpr int kRestModeKey = 48;
// The sustain pedal's controller.
constexpr int kStepPedalController = 64;
// The palette set of the Notes palette (the third palette).
constexpr int kNotesPaletteSet = 2;

// The program-wide state; ResetStepEntry returns it to the start (pedal up, no
// chord, note values mode).
const StepEntryState& StepEntryNow();
void ResetStepEntry();

// True when key messages enter notes rather than going through.
bool IsStepEntryActive();

// One channel message from the MIDI input, for the active view. A view without a
// document or current cell takes the message as thru only. Messages of other kinds
// (system messages, other controllers, aftertouch) are ignored.
void StepEntryFromMidiInput(ScoreView* view, uint32_t message);

// Enters a rest of a DurationCode at the cursor through the rest class's click,
// moves the cursor past it, stores the cursor context and posts a left-button-up at
// the view's pointer (device coordinates), which ends the entry as a click would.
// False when no rest was made (a code outside the rest values, no room).
bool EnterRestAtCursor(ScoreView* view, int code);

}  // namespace ql
