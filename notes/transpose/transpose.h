// Transposition of a range of measures of one staff: by semitones (with or without a
// new key signature), by a change of key alone (degree for degree, plus octaves), by
// whole measures chromatically, and for the measures inside the marquee. The notes
// are respelled for the key they end in; cells take the new clef and the wrapped
// key; key-signature objects, clef objects, chord symbols, slurs and notes drawn on a
// neighbouring staff move along.
//
// Conventions: staves count from 1, measures from 1; a range runs from (firstMeasure,
// firstTick) to (lastMeasure, lastTick), notes before firstTick in the first measure
// are left, the walk stops at lastTick in the last measure (0 leaves it out). The
// voice mask has bit v for voice v. Directions: 0 none, 1 up, 2 down. A key or clef
// of -1 keeps the one of the range's first cell.
//
// Every entry runs inside the caller's undoable edit, on the user-interface thread.
// A note whose result would leave MIDI 0..127 or the staff positions a note byte can
// hold moves instead by the octave nearest to the asked interval that stays inside;
// such notes are counted and reported once in the status bar per call.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

// Move modes of the callers (the clef and key dialogs).
enum class TransposeDirection : uint8_t { None = 0, Up = 1, Down = 2 };
// Clef modes: Keep leaves every note on its position under the clef in force;
// Transpose spells the new pitches under the new clef.
enum class TransposeClefMode : uint8_t { Keep = 0, Transpose = 1 };
constexpr int kAllVoicesMask = 0xF;
constexpr int kKeepClefOrKey = -1;

// The range and choices of one transposition, as the clef and key dialogs pass them.
struct TransposeRequest {
    int voiceMask = kAllVoicesMask;
    int staff = 1;
    int firstMeasure = 1;
    int firstTick = 0;
    int lastMeasure = 1;
    int lastTick = 0;
    int newClef = kKeepClefOrKey;
    int newKey = kKeepClefOrKey;
    TransposeClefMode clefMode = TransposeClefMode::Keep;
    TransposeDirection direction = TransposeDirection::None;
    int semitones = 0;
    bool chordSymbols = false;
};

// What a transposition did. `refused` is set (with nothing changed) for a range or
// an argument the score cannot take: no staff, no cells, a clef or key code outside
// 0..14.
struct TransposeOutcome {
    bool refused = false;
    int notesMoved = 0;
    int notesFolded = 0;  // moved by the nearest octave that stays in range
};

// The general entry: semitones on top of the interval between the range's key and
// the new key. A multiple of 12 goes to TransposeByKey.
TransposeOutcome TransposeBySemitones(ScoreView* view, const TransposeRequest& request);
// Degree for degree into the new key, plus the octave shift: the semitones (a
// multiple of 12, else refused) when not 0; with equal keys and 0 semitones +12 up, -12 down and
// nothing for direction None; with a key change and direction None the smaller of the two ways (up
// on a tie).
TransposeOutcome TransposeByKey(ScoreView* view, const TransposeRequest& request);
// Chromatic transposition of measures firstMeasure..endMeasure (inclusive) without a
// key change, respelled under the clef and key in force.
TransposeOutcome TransposeMeasures(ScoreView* view, int voiceMask, int staff, int firstMeasure,
                                   int endMeasure, int semitones);
// The measures of the current page that lie wholly inside the marquee, as the
// selection code finds them: staves and measures, both inclusive.
struct MeasureBlock {
    int firstStaff = 1;
    int lastStaff = 1;
    int firstMeasure = 1;
    int lastMeasure = 1;
};
// The marquee command: opens an undoable edit and transposes the block staff by
// staff (all four voices, under the keys in force). An interval outside -127..127 or
// an empty block is refused with a beep, nothing changed.
TransposeOutcome TransposeSelection(ScoreView* view, const MeasureBlock& block, int semitones);

// The same as TransposeBySemitones: applying a key over a range of measures, as part
// extraction does for transposing staves.
inline TransposeOutcome ChangeKeyOverRange(ScoreView* view, const TransposeRequest& request) {
    return TransposeBySemitones(view, request);
}

// Key codes along the circle of fifths: old + sharps, wrapped back into 0..14 by
// octaves of the circle (below 0 into 0..11, above 14 into 3..14).
int WrapTransposedKey(int oldKey, int sharps);

// A chord symbol's root or bass: letter 0 C .. 6 B and accidental 0 none, 1 sharp,
// 2 flat, moved from one key to another along the line of fifths.
struct ChordRoot {
    int letter = 0;
    int accidental = 0;
};
constexpr int kChordRootNatural = 0;
constexpr int kChordRootSharp = 1;
constexpr int kChordRootFlat = 2;
ChordRoot TransposeChordRoot(int oldKey, int newKey, ChordRoot root);

}  // namespace ql
