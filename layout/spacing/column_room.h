// Room for every column of a measure: each time at which a note or rest of any staff
// and voice stands takes room either side of its x. After it: a note head and a gap
// (a head and a half for a rest), half a head more per dot, a flag and a head on the
// far side of an up stem. Before it: the chord's accidentals, grace notes drawn left
// of it and a head on the far side of a down stem. Two neighbouring columns stand at
// least the one's room after and the other's room before apart, whatever their
// values or tuplets, so that no two times share a column and nothing is pushed past
// its barline; the syllables of each staff's verse lines (and their hyphens) widen
// the columns between them until they stand apart, and the first column's room
// before it goes into the measure's lead. Long values give up their room first: the
// columns are brought to the minimum and the others scaled down to keep the
// measure's width; a measure whose columns cannot fit its width widens.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace ql {

struct ColumnRoomCache;
struct ScoreDocument;
struct ScoreSystem;
struct ScoreView;

// While one is open, each measure's columns and their rooms are told once from its
// notes and kept (with its length) for the document given: the passes that space
// and place systems change widths and spacing lists, never a note. Scopes nest;
// an inner one for the same document keeps using the outer one's. Nothing may
// edit the document's notes while one is open.
class ColumnRoomScope {
  public:
    explicit ColumnRoomScope(const ScoreDocument* document);
    ~ColumnRoomScope();
    ColumnRoomScope(const ColumnRoomScope&) = delete;
    ColumnRoomScope& operator=(const ColumnRoomScope&) = delete;

  private:
    std::unique_ptr<ColumnRoomCache> cache_;  // null when an outer scope keeps them
    ColumnRoomCache* saved_ = nullptr;
};

// Widths at least their floors that sum to `total`, what is left over the floors
// shared in proportion to the widths as they stand; the floors alone when they do
// not fit.
std::vector<int64_t> ShareWithFloors(const std::vector<int64_t>& widths, const std::vector<int64_t>& floors,
                                     int64_t total);

// The width the measure's columns need at least (the room before its first event
// as it stands). With `tight`, the least a line too short for its measures squeezes
// them to: every column a head and a gap, syllables and signs left out.
int32_t MeasureMinimumWidth(ScoreDocument* document, int measure, bool tight = false);
// Re-spaces the measure so that every column has its minimum (its tight minimum
// with `tight`), keeping its width where the columns fit it and widening it where
// they do not; true when it changed.
bool KeepColumnsApart(ScoreDocument* document, int measure, bool tight = false);
// The same for every measure of a system, first sharing the system's width out
// again so that each measure holds its columns (measures with room to spare give
// it up in proportion); true when a measure changed.
bool KeepSystemColumnsApart(ScoreView* view, ScoreSystem* system);
// The least width a measure takes in a system (its columns, lead and trail), and
// the width it takes at ease: each column at least 14 x sqrt(its ticks) units, which
// gives a sixteenth 1.75 spaces, a quarter 3.5, and each longer value 1.41 times the
// room of the value half as long (the ratio the justification starts from).
struct MeasureWidths {
    int64_t need = 0;
    int64_t ease = 0;
};
MeasureWidths MeasureWidthsOf(ScoreDocument* document, int measure);

}  // namespace ql
