// Keys along the circle of fifths: wrapping a transposed key code back into the
// table, the interval between two keys' tonics in a direction, chord-symbol roots on
// the line of fifths, and the octave fold that keeps a transposed note in range.
#include <cstdlib>
#include <initializer_list>

#include "notes/transpose/transpose_internal.h"
#include "notes/transpose/transpose_tables.h"

namespace ql {

int WrapTransposedKey(int oldKey, int sharps) {
    constexpr int kWrapLow = 11;  // below 0: back into 0..11
    constexpr int kWrapHigh = 3;  // above 14: back into 3..14
    int key = oldKey + sharps;
    if (key < 0) key += kSemitonesPerOctave * ((kWrapLow - key) / kSemitonesPerOctave);
    if (key >= kKeyCodeCount)
        key -= kSemitonesPerOctave * ((key - kWrapHigh) / kSemitonesPerOctave);
    return key;
}

ChordRoot TransposeChordRoot(int oldKey, int newKey, ChordRoot root) {
    if (!IsValidKey(oldKey) || !IsValidKey(newKey)) return root;
    return transpose::TransposeChordRootBySharps(newKey - oldKey, root);
}

namespace transpose {

int SharpsOfSemitones(int semitones) {
    constexpr int kSemitonesPerFifth = 7;
    constexpr int kMostSharps = 6;
    int sharps = ((semitones * kSemitonesPerFifth) % kSemitonesPerOctave + kSemitonesPerOctave) %
                 kSemitonesPerOctave;
    if (sharps > kMostSharps) sharps -= kSemitonesPerOctave;
    return sharps;
}

ChordRoot TransposeChordRootBySharps(int sharps, ChordRoot root) {
    if (root.letter < 0 || root.letter >= kStepsPerOctave || root.accidental < kChordRootNatural ||
        root.accidental > kChordRootFlat)
        return root;
    const int alteration = root.accidental == kChordRootSharp  ? 1
                           : root.accidental == kChordRootFlat ? -1
                                                               : 0;
    int f = kFifthsOfLetter[root.letter] + kStepsPerOctave * alteration + sharps;
    // Back towards the naturals in octaves of the circle, in the order the chord
    // symbols have always been read.
    if (f > 26) f -= kSemitonesPerOctave * ((f - 15) / kSemitonesPerOctave);
    if (f < -7) f += kSemitonesPerOctave * ((4 - f) / kSemitonesPerOctave);
    if (f > 19) f -= kSemitonesPerOctave * ((f - 8) / kSemitonesPerOctave);
    if (f < -1) f += kSemitonesPerOctave * ((10 - f) / kSemitonesPerOctave);
    ChordRoot moved;
    if (f < kLowestNaturalFifth) {
        const int flats = (kHighestNaturalFifth - f) / kStepsPerOctave;
        f += kStepsPerOctave * flats;
        moved.accidental = flats > 0 ? kChordRootFlat : kChordRootNatural;
    } else if (f > kHighestNaturalFifth) {
        const int sharps = (f - kLowestNaturalFifth) / kStepsPerOctave;
        f -= kStepsPerOctave * sharps;
        moved.accidental = sharps > 0 ? kChordRootSharp : kChordRootNatural;
    }
    moved.letter = kLetterOfFifth[f - kLowestNaturalFifth];
    return moved;
}

namespace {

// How far a step count lies from an interval: both scaled to the octave (7 steps,
// 12 semitones) and compared.
int StepMismatch(int steps, int semitones) {
    return std::abs(steps * kSemitonesPerOctave - semitones * kStepsPerOctave);
}

// Of the step counts congruent to `raw` modulo 7, the one that best matches the
// semitones (an octave of 12 semitones is 7 steps).
int StepsForSemitones(int raw, int semitones) {
    int best = raw;
    for (int candidate = raw - 2 * kStepsPerOctave; candidate <= raw + 2 * kStepsPerOctave;
         candidate += kStepsPerOctave)
        if (StepMismatch(candidate, semitones) < StepMismatch(best, semitones)) best = candidate;
    return best;
}

constexpr int kTritone = 6;

}  // namespace

KeyInterval KeyIntervalBetween(int oldKey, int newKey, TransposeDirection direction) {
    const int d = newKey - oldKey;
    if (d == 0) return {};
    constexpr int kSemitonesPerKeyStep = 7;  // one more sharp: a fifth up
    int x = std::abs(d) * kSemitonesPerKeyStep;
    if (x > kSemitonesPerOctave) x -= kSemitonesPerOctave * ((x - 1) / kSemitonesPerOctave);
    const int up = d > 0 ? x : kSemitonesPerOctave - x;
    const int down = up - kSemitonesPerOctave;
    int semitones = 0;
    switch (direction) {
        case TransposeDirection::Up:
            semitones = up;
            break;
        case TransposeDirection::Down:
            semitones = down;
            break;
        case TransposeDirection::None:
            semitones = up <= kTritone ? up : down;
            break;
    }
    const int raw =
        (KeyTonicStep(newKey) - KeyTonicStep(oldKey) + kStepsPerOctave) % kStepsPerOctave;
    return {semitones, StepsForSemitones(raw, semitones)};
}

bool FoldByOctaves(int midiKey, int position, int& shift, int& steps, bool& folded) {
    const auto fits = [&](int octaves) {
        const int key = midiKey + shift + kSemitonesPerOctave * octaves;
        const int at = position - steps - kStepsPerOctave * octaves;
        return IsValidMidiKey(key) && at >= kLowestTransposedPosition &&
               at <= kHighestTransposedPosition;
    };
    constexpr int kMostOctaves = 11;
    for (int distance = 0; distance <= kMostOctaves; ++distance) {
        for (const int octaves : {-distance, distance}) {
            if (!fits(octaves)) continue;
            shift += kSemitonesPerOctave * octaves;
            steps += kStepsPerOctave * octaves;
            folded = octaves != 0;
            return true;
        }
    }
    return false;
}

}  // namespace transpose
}  // namespace ql
