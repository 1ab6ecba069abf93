// Restemming whole cells one at a time, for a caller that walks the measures itself:
// a transposition restems each measure right after rewriting it, while its events are
// still in the cache, instead of walking the range a second time. The restemmer moves
// the view to each cell it restems and puts the view's location back when it goes;
// RestemMeasureRange (stems.h) is a loop over one.
#pragma once

#include "core/model/saved_location.h"
#include "notes/stems/stems_internal.h"

namespace ql {

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
    // The last measure a restem reaches in the view's document.
    int LastMeasure() const;

  private:
    ScoreView* view_;
    SavedLocation saved_;
    stems::VoiceChords scratch_;
};

}  // namespace ql
