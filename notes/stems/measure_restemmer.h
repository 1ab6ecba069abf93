// Restemming whole cells one at a time, for a caller that walks the measures itself:
// a transposition restems each measure right after rewriting it, while its events are
// still in the cache, instead of walking the range a second time. The restemmer moves
// the view to each cell it restems and puts the view's location back when it goes;
// RestemMeasureRange (stems.h) is a loop over one.
#pragma once

#include <array>

#include "core/constants.h"
#include "core/model/saved_location.h"
#include "notes/stems/stems_internal.h"

namespace ql {

// The voices of one cell as a caller that reads every note of the cell takes them once:
// a snapshot of each voice and the voice's first event (null when it has none). A
// restem from it walks no chain again; it holds while no event is linked in or out.
class CellVoices {
  public:
    CellVoices();
    void Take(MeasureCell* cell);
    EventRecord* First(int voice) const { return first_[voice]; }
    const stems::VoiceChords& Voice(int voice) const { return voices_[voice]; }

  private:
    std::array<stems::VoiceChords, kVoiceCount> voices_;
    std::array<EventRecord*, kVoiceCount> first_{};
};

class MeasureRestemmer {
  public:
    explicit MeasureRestemmer(ScoreView* view);
    MeasureRestemmer(const MeasureRestemmer&) = delete;
    MeasureRestemmer& operator=(const MeasureRestemmer&) = delete;

    // In float mode marks the seconds of every chord of every voice of the cell and
    // restems every unbeamed chord and every group; every rest gets its default place
    // again. Nothing for a staff outside 1..staff count or a measure outside 0..measure
    // count + 4 (the range RestemMeasureRange clamps to).
    void Restem(int staff, int measure, MeasureCell* cell);
    // The same with the cell's voices as the caller took them (after the notes moved:
    // positions may change between Take and the restem, links may not).
    void Restem(int staff, int measure, MeasureCell* cell, const CellVoices& voices);
    // The last measure a restem reaches in the view's document.
    int LastMeasure() const;

  private:
    void Restem(int staff, int measure, MeasureCell* cell, const CellVoices* voices);

    ScoreView* view_;
    SavedLocation saved_;
    stems::VoiceChords scratch_;
};

}  // namespace ql
