// The pitch arithmetic of one clef and one key signature, worked out once for a run of
// notes read under them (a voice, a measure): the step and the natural MIDI key of
// every position come from a table per clef, made at compile time by the same
// functions NoteToMidiKey and StepOfPosition use, and the key's alteration of each
// step is read once when the frame is made. A walk that reads every note of a range
// makes one frame per clef and key in force instead of working each note out afresh.
//
// A frame of a clef or key code out of range, or of a TAB clef (whose pitches come
// from the staff's tuning), is not valid; its readers then return 0.
#pragma once

#include <cstdint>

#include "notes/pitch/pitch_tables.h"
#include "notes/pitch/pitch_vocabulary.h"

namespace ql {

namespace pitch_detail {

// The non-negative residue of a modulo m.
constexpr int Residue(int a, int m) {
    const int r = a % m;
    return r < 0 ? r + m : r;
}

// Octaves of a position above the clef's octave base: u = steps above the bottom
// line, n = steps from the bottom line to the next C.
constexpr int OctavesAboveBase(int u, int n) {
    int octaves = 0;
    if (u >= n) {
        octaves = (u - n + kStepsPerOctave) / kStepsPerOctave;
        u -= kStepsPerOctave * octaves;
    }
    if (u < n - kStepsPerOctave) octaves -= (n - kStepsPerOctave - u + 6) / kStepsPerOctave;
    return octaves;
}

// The step (0 C .. 6 B) of a position under a clef row.
constexpr int StepOfPositionIn(const ClefRow& row, int position) {
    return (Residue(-position, kStepsPerOctave) + IndexOf(row.bottomStep)) % kStepsPerOctave;
}

// The MIDI key of the natural written at a position under a clef row.
constexpr int NaturalKeyIn(const ClefRow& row, int position) {
    const int octaves = OctavesAboveBase(-position, row.stepsToNextC);
    return row.octaveBase + kMajorScale[StepOfPositionIn(row, position)] +
           kSemitonesPerOctave * octaves;
}

// The semitone change of each stored accidental code 0..7 under each alteration the
// key gives its step (-1, 0, +1): codes 0, 6 and 7 sound as the key says. A table
// rather than a switch: every note read goes through it, and its code changes from
// note to note, where a branch on it is mispredicted.
constexpr int kStoredCodes = 8;
constexpr int kKeyAlterationKinds = 3;
inline constexpr int8_t kCodeAlterations[kStoredCodes][kKeyAlterationKinds] = {
    {-1, 0, 1}, {1, 1, 1}, {2, 2, 2}, {-1, -1, -1}, {-2, -2, -2}, {0, 0, 0}, {-1, 0, 1}, {-1, 0, 1}};
static_assert(kCodeAlterations[static_cast<int>(AccidentalCode::Flat)][1] == -1 &&
              kCodeAlterations[static_cast<int>(AccidentalCode::Natural)][2] == 0);

// The semitone change of a stored accidental code; 0, 6 and 7 take the key's.
constexpr int AlterationOfCode(int code, int keyAlteration) {
    if (code >= 0 && code < kStoredCodes && keyAlteration >= -1 && keyAlteration <= 1)
        return kCodeAlterations[code][keyAlteration + 1];
    switch (static_cast<AccidentalCode>(code)) {
        case AccidentalCode::Sharp:
            return 1;
        case AccidentalCode::DoubleSharp:
            return 2;
        case AccidentalCode::Flat:
            return -1;
        case AccidentalCode::DoubleFlat:
            return -2;
        case AccidentalCode::Natural:
            return 0;
        default:
            return keyAlteration;
    }
}

// Percussion and TAB staves take nothing from the key signature.
constexpr bool ClefHasKeyAlterations(int clef) {
    return clef != CodeOf(ClefKind::Percussion) && clef != CodeOf(ClefKind::Tab);
}

// -1, 0 or +1: what the key signature does to a step (0 C .. 6 B) under a clef;
// KeyAlterationAt is this at the step of a position.
int KeyAlterationOfStep(int clef, int key, int step);
// The same for every step of a valid key on a clef with key alterations, from the key
// mask table: bit (6 - step) set alters the step, flat below key 7 and sharp above.
using StepAlterations = int8_t[kStepsPerOctave];
const StepAlterations& KeyAlterationsOf(int key);

}  // namespace pitch_detail

class PitchFrame {
  public:
    PitchFrame(int clef, int key);

    bool valid() const { return row_ != nullptr; }
    int clef() const { return clef_; }
    int key() const { return key_; }
    // As KeyAlterationAt(clef, key, position).
    int KeyAlteration(int position) const {
        return valid() ? alteration_[Entry(position).step] : 0;
    }
    // The MIDI key a note at the position with the code sounds, as NoteToMidiKey
    // gives it (which also records the code it applied; this does not).
    int MidiKey(int position, int code) const { return Read(position, code).midiKey; }
    // What the frame makes of a position: the natural's MIDI key and the key's
    // alteration of its step (both 0 in a frame that is not valid), and the key a
    // code sounds there.
    struct PositionReading {
        int natural = 0;
        int keyAlteration = 0;
        int Sounded(int code) const {
            return natural + pitch_detail::AlterationOfCode(code, keyAlteration);
        }
    };
    PositionReading At(int position) const {
        if (!valid()) return {};
        const PositionEntry& entry = Entry(position);
        return {entry.natural, alteration_[entry.step]};
    }
    // MidiKey and KeyAlteration of one note, from one look-up of its position.
    struct NoteReading {
        int midiKey = 0;
        int keyAlteration = 0;
    };
    NoteReading Read(int position, int code) const {
        if (!valid()) return {};
        const PositionReading at = At(position);
        return {at.Sounded(code), at.keyAlteration};
    }

  private:
  public:
    // What a clef makes of one position; a clef's table has one per position byte.
    struct PositionEntry {
        int16_t natural;
        uint8_t step;
    };

  private:
    const PositionEntry& Entry(int position) const {
        return row_[static_cast<uint8_t>(static_cast<int8_t>(position))];
    }

    const PositionEntry* row_ = nullptr;  // 256 entries, indexed by the position's byte
    int clef_;
    int key_;
    const int8_t* alteration_ = nullptr;  // by step; a table row, borrowed
};

}  // namespace ql
