// Pitch arithmetic between staff positions and MIDI keys under a clef and a key
// signature: the step name of a position, the alteration a key gives it, the MIDI
// key a written note sounds (tablature staves through their tuning), the natural
// staff position of a MIDI key, and the position that keeps a written pitch across a
// clef change.
//
// Positions count diatonic steps from the bottom line, negative upwards; a written
// note sounds its clef's natural at that position, altered by its own accidental
// code or, with none, by the key signature. The staff's transposition is added by
// the callers (playback, preview), except on tablature staves.
//
// Bad input: a clef or key code above 14 or a MIDI key outside 0..127 gives 0 and
// writes nothing; ShiftPositionForClef returns the position unchanged instead.
#pragma once

#include <cstdint>

#include "notes/pitch/pitch_vocabulary.h"

namespace ql {

// The step (0 C .. 6 B) of a position under a clef; 0 for a clef out of range.
int StepOfPosition(int clef, int position);

// -1, 0 or +1: what the key signature does to the step at a position. 0 for
// Percussion, TAB and key 7, and for codes out of range.
int KeyAlterationAt(int clef, int key, int position);

// The natural at or just below a MIDI key under a clef: the low 16 bits hold its
// StaffPosition, bit 16 is set when the key lies a semitone above that natural.
int32_t PitchToStaffPosition(int clef, int midiKey);
constexpr int32_t kPitchRaised = 0x10000;
inline int PositionOfPitch(int32_t pitch) {
    return static_cast<int16_t>(pitch & 0xFFFF);
}
inline bool IsPitchRaised(int32_t pitch) {
    return (pitch & kPitchRaised) != 0;
}

// The MIDI key of a written note. On a TAB staff the note's line and fret, the
// staff's line count, first-voice program and transposition decide
// (notes/pitch/tablature.h); `staff` may be null on other staves. Sets
// LastEffectiveAccidental on the other staves: the note's code, or for a note without
// one the key's contribution made explicit (3 flat, 1 sharp, 5 natural).
int NoteToMidiKey(const StaffRecord* staff, const EventRecord& note, int clef, int key);
// The accidental the last NoteToMidiKey applied (read by the selection code).
uint8_t LastEffectiveAccidental();

// The position that keeps the written pitch when the clef changes: the none
// position -127 gives 0; a clef out of range returns the position unchanged.
int ShiftPositionForClef(int position, int fromClef, int toClef);
// The same shift worked out once for a pair of clefs, for a walk that moves many
// positions between the same two.
class ClefShift {
  public:
    ClefShift(int fromClef, int toClef);
    int Apply(int position) const {
        if (!valid_) return position;
        return position == kNoStaffPosition ? 0 : position + steps_;
    }

  private:
    bool valid_ = false;
    int steps_ = 0;
};

}  // namespace ql
