// Building a measure's spacing list from its notes and rests (CollectMeasureSpacing)
// and the duration classes that justification weighs.
//
// Every chord of every voice of every staff gives one stretch: from its time for its
// duration (dots and tuplet ratio applied), with its class word; every rest of a
// voice's element list likewise. After all staves of a voice, the silence from the
// voice's latest end to the measure's length is a filler of class 12. The stretches
// are merged as AddSpacingEntry merges them one by one (each part of the measure
// keeps the larger class word, and every stretch bound stays a bound of the list);
// the merge is done in memory and the list written once, which gives the same list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "layout/spacing/spacing_list.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct MeasureCell;
struct EventRecord;

// Entries counted per DurationClass 0..13 (chords and rests; fillers not counted).
struct ClassCounts {
    int32_t counts[kDurationClassCount] = {};
};

struct CollectResult {
    // False when a note or rest had no note value: the list is then left empty.
    bool valid = true;
    // False when the pool ran out: the list holds the entries written so far.
    bool complete = true;
    // The latest end of a note or rest over the four voices (0 for an empty
    // measure); fillers do not count.
    int32_t naturalEnd = 0;
};

// The DurationClass of a value: its duration code, or inside a tuplet log2 of its
// ticks (at least 4); kept within 0..13.
int DurationClassOf(int durationCode, int ticks, bool inTuplet);

// The cell of a staff and measure when it exists; never creates one.
MeasureCell* FindMeasureCell(ScoreDocument* document, int staff, int measure);

// Builds measures' lists in memory, its buffers reused from one measure to the next.
class MeasureSpacingCollector {
  public:
    MeasureSpacingCollector();
    // As CollectMeasureSpacing, but the list is left in pieces() (class words as
    // values) and the record is not touched. The pieces are empty when not valid.
    CollectResult Collect(ScoreView* view, int measure, ClassCounts* counts);
    std::span<const SpacingPiece> pieces() const { return {pieces_.data(), pieceCount_}; }

  private:
    // A stretch [start, end) of a class word, as its two bounds.
    void AddStretch(int32_t start, int32_t end, uint16_t word);
    void Add(int32_t start, int32_t ticks, int durationClass);
    bool AddVoiceChords(MeasureCell* cell, int voice, int32_t& voiceEnd);
    bool AddVoiceRests(MeasureCell* cell, int voice, int32_t& voiceEnd);
    void Merge();

    std::vector<uint32_t> bounds_;  // packed stretch bounds (spacing_collect.cpp)
    std::vector<SpacingPiece> pieces_;  // only grows: the first pieceCount_ are the list
    size_t pieceCount_ = 0;
    ClassCounts counts_;
    int32_t naturalEnd_ = 0;
};

// Builds the measure's list and adds the counted classes to `counts` (when given)
// once the measure proved valid. The list it had is rewritten in place, its entries
// reused; a measure whose notes cannot be read (not valid) keeps its list untouched.
CollectResult CollectMeasureSpacing(ScoreView* view, int measure, ClassCounts* counts);

}  // namespace ql
