// Chords of a part whose notes stand on more than one staff. The score writes each
// staff's notes of such a chord as a chord of that staff, with its own stem in the
// chord's direction; every part takes the chord's beams, which the file gives one
// of the chord's notes (most often its first).
#pragma once

#include <unordered_map>

#include "interchange/musicxml/musicxml_model.h"

namespace ql::musicxml {

struct ChordSpan {
    const MxlNote* beams = nullptr;  // the note that carries the chord's beams
};

class ChordSpans {
  public:
    // The chords of one measure of a part, by their notes.
    explicit ChordSpans(const MxlMeasure& measure);
    // The chord of a note of the measure; null for a note made by the converter.
    const ChordSpan* Of(const MxlNote* note) const;

  private:
    std::unordered_map<const MxlNote*, size_t> chordOf_;
    std::vector<ChordSpan> chords_;
};

}  // namespace ql::musicxml
