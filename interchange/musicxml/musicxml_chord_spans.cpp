#include "interchange/musicxml/musicxml_chord_spans.h"

namespace ql::musicxml {

ChordSpans::ChordSpans(const MxlMeasure& measure) {
    for (const MxlItem& item : measure.items) {
        if (item.kind != MxlItemKind::Note) continue;
        const MxlNote& note = item.note;
        if (!note.chord || chords_.empty()) chords_.push_back({&note});
        ChordSpan& chord = chords_.back();
        const bool beamed = note.beamLeft > 0 || note.beamRight > 0;
        if (beamed && chord.beams->beamLeft == 0 && chord.beams->beamRight == 0) chord.beams = &note;
        chordOf_[&note] = chords_.size() - 1;
    }
}

const ChordSpan* ChordSpans::Of(const MxlNote* note) const {
    const auto found = chordOf_.find(note);
    return found == chordOf_.end() ? nullptr : &chords_[found->second];
}

}  // namespace ql::musicxml
