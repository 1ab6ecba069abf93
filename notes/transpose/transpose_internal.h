// Internals shared by the transposition modules: the range walk that every
// transposer runs (explicit accidentals from the source, one respelling per note,
// reconciling with what the result already says), the respellers it calls, and the
// per-cell updates of clefs, keys, chord symbols and slurs.
#pragma once

#include <array>
#include <cstdint>

#include "notes/pitch/pitch_frame.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/transpose/transpose.h"

namespace ql {
struct ScoreDocument;
class CellVoices;
}

namespace ql::transpose {

// Positions a transposed note may take: those the accidental state can follow.
constexpr int kLowestTransposedPosition = -63;
constexpr int kHighestTransposedPosition = 64;
constexpr int kLargestSemitoneShift = 127;

// A note about to be respelled: where it is, the code it sounds with, the clef and
// key in force at it, the MIDI key it sounds and what the key does to its step.
struct NoteBefore {
    int position = 0;
    int code = 0;  // explicit: the key's own alteration is 0
    int clef = 0;
    int key = 0;
    int midiKey = 0;
    int keyAlteration = 0;  // -1, 0 or +1
};

// The frame of a clef and a valid key (0..14), made once per key for the clef in force
// and again for every key when the clef changes: a walk reads measure after measure
// under a few keys and usually one clef.
class FrameCache {
  public:
    const PitchFrame& Of(int clef, int key) {
        if (clef != clef_) {
            clef_ = clef;
            for (Slot& slot : slots_) slot.made = false;
        }
        Slot& slot = slots_[key];
        if (!slot.made) {
            slot.made = true;
            slot.frame = PitchFrame(clef, key);
        }
        return slot.frame;
    }

  private:
    struct Slot {
        PitchFrame frame{-1, -1};
        bool made = false;
    };
    int clef_ = -1;
    std::array<Slot, kKeyCodeCount> slots_;
};

// Where it goes: position and code (0: what the new key says) under the clef and key
// it will be read with, and whether it moved by another octave than asked to stay in
// range.
struct NoteAfter {
    int position = 0;
    int code = 0;
    int clef = 0;
    int key = 0;
    bool folded = false;
};

// One way of respelling a note; false leaves the note where it is.
class NoteRespeller {
  public:
    virtual ~NoteRespeller() = default;
    virtual bool Respell(const NoteBefore& before, NoteAfter& after) = 0;
};

// The totals of a walk, for the slur shift and the report.
struct WalkTotals {
    int moved = 0;
    int folded = 0;
};

// The staff record of a staff 1..staffCount, or null.
StaffRecord* StaffOfDocument(ScoreDocument* document, int staff);
// The cell of a measure when it exists (none is made).
MeasureCell* ExistingCell(StaffRecord* staff, int measure);
// The same through a resolver of the cell pool made once for a walk over many measures.
MeasureCell* ExistingCell(StaffRecord* staff, int measure, const PoolResolver<MeasureCell>& pool);

// Runs the common walk over the request's range with the respeller; calls
// `AfterMeasure` for each measure walked, with the sum of position changes and the
// number of notes moved in it, and the cell's voices as the walk took them.
class MeasureHook {
  public:
    virtual ~MeasureHook() = default;
    virtual void AfterMeasure(MeasureCell* cell, int measure, int positionSum, int count,
                              const CellVoices& voices) = 0;
};
WalkTotals WalkTransposedRange(ScoreView* view, StaffRecord* staff, const TransposeRequest& request,
                               NoteRespeller& respeller, MeasureHook& hook);

// The semitones between the tonics of two keys in a direction (up 0..11, down
// -11..0; with None the smaller way, up on a tie), and the steps that go with them.
struct KeyInterval {
    int semitones = 0;
    int steps = 0;
};
KeyInterval KeyIntervalBetween(int oldKey, int newKey, TransposeDirection direction);

// The shift, among shift + 12k, nearest to `shift` that keeps the key in MIDI range
// and the position (moved by `steps` + 7k the other way) in the staff range. False
// when none does. Inline for the usual case, where the asked shift fits.
bool FoldByOctaves(int midiKey, int position, int& shift, int& steps, bool& folded);
inline bool FoldIntoRange(int midiKey, int position, int& shift, int& steps, bool& folded) {
    const int at = position - steps;
    if (IsValidMidiKey(midiKey + shift) && at >= kLowestTransposedPosition &&
        at <= kHighestTransposedPosition) {
        folded = false;
        return true;
    }
    return FoldByOctaves(midiKey, position, shift, steps, folded);
}

// ---- Cells ----
// Moves a chord root by a number of sharps along the line of fifths (a key change of
// that many sharps); TransposeChordRoot is this with the keys' difference.
ChordRoot TransposeChordRootBySharps(int sharps, ChordRoot root);
// The sharps a chromatic shift of semitones adds to a key, in -5..6.
int SharpsOfSemitones(int semitones);
// Moves the chord symbols of a cell by a number of sharps (roots and basses).
void TransposeChordSymbolsOfCell(MeasureCell* cell, int sharps);
// Adds (sum / count) x 64 to the vertical anchors of each slur of the cell.
void ShiftSlursByAverage(MeasureCell* cell, int sum, int count);
// Sets the kind and glyph of the clef objects of a cell whose tick lies strictly
// between afterTick and beforeTick.
void SetClefObjectsInRange(MeasureCell* cell, int clef, int afterTick, int beforeTick);
// Wraps the key of every key-signature object of the cell between the same ticks.
void WrapKeyObjectsInRange(MeasureCell* cell, int sharps, int afterTick, int beforeTick);
// Whether a cell's start (tick 0) lies inside the range: its nibbles then change.
bool CellStartInRange(const TransposeRequest& request, int measure);
// The first and last tick of a measure inside the range (last exclusive).
void TickWindowOf(const TransposeRequest& request, int measure, int& fromTick, int& toTick);

// Reports folded notes once in the status bar.
void ReportFolded(int folded);

}  // namespace ql::transpose
