// The accidental state of the respelling walks: filled from the key in force at each
// note, with natural (5) on the steps the key leaves alone, and rebuilt whenever the
// clef or key in force changes inside the measure.
#pragma once

#include "notes/pitch/accidental_state.h"
#include "notes/pitch/pitch_vocabulary.h"

namespace ql::respell {

class KeyStateWalk {
  public:
    explicit KeyStateWalk(MeasureCell* cell) : cell_(cell) {}
    // Follows the clef and key in force at a tick; true when the state was rebuilt.
    bool Follow(int tick);
    int At(int position) const;
    void Store(int position, int code);
    int clef() const { return clef_; }
    int key() const { return key_; }

  private:
    MeasureCell* cell_;
    AccidentalState state_{};
    int clef_ = -1;
    int key_ = -1;
};

// The index of a position in an AccidentalState, or -1 outside it.
int StateIndex(int position);

}  // namespace ql::respell
