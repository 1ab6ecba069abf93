// Chords of a part whose notes stand on more than one staff. The score writes each
// staff's notes of such a chord as a chord of that staff; the chord's one stem
// goes from the staff it starts on towards the others, so the part on the staff
// the stem points away from (below an upward stem, above a downward one) is drawn
// without a stem or beam of its own, which would run through the other staff's
// heads, and its staff's beams do not reach it. The part that draws the stem
// takes the chord's beams, which the file gives the chord's first note.
#pragma once

#include <unordered_map>

#include "interchange/musicxml/musicxml_model.h"

namespace ql::musicxml {

struct ChordSpan {
    const MxlNote* beams = nullptr;  // the note that carries the chord's beams
    int firstStaff = 1;  // the staves its notes stand on: the first (highest on
    int lastStaff = 1;   // the page) and the last
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

// Whether the part of a chord on `staff` has its stem drawn, by the chord's stem
// (kStemUp, kStemDown of musicxml_staff_voices.h, or neither).
bool DrawsStemOnStaff(const ChordSpan& chord, int staff, int stem);

}  // namespace ql::musicxml
