// Slurs the model cannot keep as the file gives them. A slur that goes from one
// staff of a part to another: the score keeps a slur on one staff, and the NIFF
// writer keeps each staff's open slurs apart, so such a slur is left out of the
// model before writing and its number is free again on both staves for the slurs
// that follow. A slur end on a grace note: the score's slurs join notes that follow
// one another in time, and a grace note stands at the time of its note.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "interchange/import_report.h"
#include "interchange/musicxml/musicxml_model.h"

namespace ql::musicxml {

inline constexpr char kSlursAcrossStaves[] = "slur across staves";
inline constexpr char kSlursOnGraceNotes[] = "slur from a grace note to its principal note";

// Pairs each part's slur starts and stops by number in time order (a stop before a
// start at the same time) and removes both ends of every pair whose ends lie on
// different staves, counting each such slur once. Unpaired ends are left as they
// are.
void DropSlursAcrossStaves(MxlScore& score, ImportReport& skipped);

// The slur ends grace notes carry pass to the next principal note of their voice in
// their part, as the reader meets it. A slur that would then start and end on that
// one chord was drawn from the grace notes to their principal note only: it is left
// out, counted.
class GraceSlurs {
  public:
    explicit GraceSlurs(ImportReport& skipped) : skipped_(skipped) {}
    // A grace note of `part`: its slur ends wait for the principal note.
    void Leave(int part, const MxlNote& grace);
    // A principal note of `part` about to be appended to `measure`'s items: it
    // takes the slur ends waiting for its voice (a chord's first note), or gives
    // up the stops that close a slur its chord's first note took.
    void Land(int part, MxlNote& note, MxlMeasure& measure);
    // Ends that no principal note took are counted.
    void Finish();

  private:
    ImportReport& skipped_;
    std::map<std::pair<int, int>, std::vector<MxlSlur>> waiting_;  // (part, voice) -> slur ends
    // The chord that took slur starts last: its part, voice, measure and item, and
    // the numbers it took.
    int landedPart_ = -1;
    int landedVoice_ = 0;
    MxlMeasure* landedMeasure_ = nullptr;
    size_t landedItem_ = 0;
    std::vector<int> landedStarts_;
};

}  // namespace ql::musicxml
