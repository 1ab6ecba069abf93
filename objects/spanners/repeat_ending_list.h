// The document's repeat-ending list: for every measure that starts an ending, the
// measures it covers and its pass numbers. Derived from the cells, built on the
// first lookup and kept until something frees it (an ending made, cloned, dropped or
// dragged; a document made or its measures changed; an undo). Building reads the
// cells without creating any: a measure without a cell holds no ending.
//
// Also the label parser that turns an ending's label into its pass numbers.
#pragma once

#include <cstdint>
#include <vector>

#include "objects/object_services.h"

namespace ql {

struct RepeatEndingObject;
struct TextObject;

// Owned by the ScoreDocument (repeatEndings), freed by FreeRepeatEndingList. The
// ranges run from the highest first measure down to measure 1; a measure starts at
// most one range (the ending on the lowest-numbered staff).
struct RepeatEndingList {
    std::vector<RepeatEndingRange> ranges;
    // For each measure 0..count, the index in `ranges` of the range a lookup answers
    // with (the first holding it in list order), or -1.
    std::vector<int16_t> rangeOfMeasure;
    // The document's edit generation when the list was built: any later change
    // (measures inserted or deleted, endings moved) builds it again.
    uint32_t generation = 0;
    int holds = 0;  // RepeatEndingListHold objects keeping it as built
};

// Keeps the document's list as built while edits run that change no ending and no
// measure (the ties a transcription makes, each of which marks the document
// modified and would build the list again at the next lookup). A list freed in the
// meantime (an ending made or removed, an undo) is built again as usual.
class RepeatEndingListHold {
  public:
    explicit RepeatEndingListHold(ScoreDocument* document);
    ~RepeatEndingListHold();
    RepeatEndingListHold(const RepeatEndingListHold&) = delete;
    RepeatEndingListHold& operator=(const RepeatEndingListHold&) = delete;

  private:
    ScoreDocument* document_;
    RepeatEndingList* held_;
};

// The last measure an ending starting at `first` covers: first + span - 1, never
// before `first`, never past the measure count.
int RepeatEndingLastMeasure(int first, int span, int measureCount);

// Fills the four passes from the label: a one-character digit label gives pass A;
// an owned string gives up to four runs of digits from its first 32 characters, in
// order (a number above 255 reads as 0). All four are cleared first.
void ParseRepeatPasses(RepeatEndingObject* ending);
// The same parse of a label into four passes, leaving the ending alone.
void ParsePassesOfLabel(const TextObject& label, uint8_t* passes);

}  // namespace ql
