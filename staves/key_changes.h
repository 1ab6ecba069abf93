// Changing the key signature of a staff over a range of measures, and stepping it
// with the arrow keys of the key tool.
//
// SetMeasureKey writes the key in one of two ways. Without transposing, the key
// nibble of every cell of the range changes; with "keep pitches" every note of those
// cells keeps its sound and is spelled again for the new key (notes/respell/respell.h).
// Transposing hands the range to the transposition
// (notes/transpose/transpose.h) with the new key and the direction. At measure 1 the
// staff's opening cell takes the key as well. A key code above 14 is refused with
// nothing changed.
#pragma once

#include "notes/transpose/transpose.h"
#include "staves/signature_step.h"

namespace ql {

struct ScoreView;

struct KeyRangeChange : SignatureRange {
    int key = 7;
    bool transpose = false;  // else only the nibbles (and the spelling) change
    TransposeDirection direction = TransposeDirection::Up;
    bool keepPitches = false;
    bool chordSymbols = true;
};
// 1 when applied, 0 when refused (no document, staff out of range, bad key).
int SetMeasureKey(ScoreView* view, const KeyRangeChange& change);

// The key at the start of the view's location measure moves `step` codes toward the
// sharps (negative: the flats), held inside 0..14, over the range up to the next key
// change, keeping the pitches of the notes, as one undoable edit; 1 when it changed.
// When the range holds notes the view is asked first (the synthetic press) and
// nothing changes; at either end of the codes nothing changes. Both give 0.
int StepKey(ScoreView* view, int step);

}  // namespace ql
