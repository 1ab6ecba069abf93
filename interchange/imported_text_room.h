// What an imported text placed in a measure must keep clear of on its page: the
// boxes, in page units with y growing downwards, that a system's staves and notes
// take, and those of the texts already standing. Read from the view's beat maps,
// so the page's maps must be built; the view's location is moved while reading.
#pragma once

#include <cstdint>
#include <vector>

#include "core/objects/class_table.h"

namespace ql {

struct ScoreView;
struct ScorePage;
struct ScoreSystem;
struct ScoreObject;

// Whether two boxes share any area (boxes that only touch do not).
bool BoxesOverlap(const RecordRect& a, const RecordRect& b);

// The room one staff's music takes in a system: its lines with a staff space
// beyond the outer ones; the signs before each measure's first note (the clef and
// signatures at the system's start, changes later) with two spaces beyond; each
// note with its accidental, ledger lines and stem; each slur and tie; and the verse
// lines of lyrics its notes carry.
std::vector<RecordRect> StaffMusicRoom(ScoreView* view, ScoreSystem* system, int staff);

// The room of the measure numbers due over a system's first staff: a few digits
// beside each barline, as high above the top line as the settings may put them
// (higher over the clef).
std::vector<RecordRect> MeasureNumberRoom(ScoreView* view, ScoreSystem* system);

// Lowers the document's lyric lines, when a slur, a tie or a note's mark (an accent
// below it) in a measure whose notes carry syllables reaches further under its staff
// than the notes the lines were placed under, so that the first line's syllables
// stand clear under the lowest such slur or mark. Reads every page's beat maps; the
// view's location is put back.
void LowerLyricLinesUnderSlursAndMarks(ScoreView* view);

// The y of a staff's lines in a system: the top line and the bottom line.
struct StaffLinesY {
    int32_t top = 0;
    int32_t bottom = 0;
};
StaffLinesY StaffLinesIn(ScoreView* view, ScoreSystem* system, int staff);

// The x of a slot's opening barline in a system (slot count + 1: the closing one);
// the system's left edge outside the beat map.
int32_t SlotBarlineX(const ScoreView* view, const ScoreSystem* system, int slot);

// One staff space at the view's staff scale.
int32_t StaffSpaceUnits(const ScoreView* view);

// The box a text line, a tempo mark or a chord symbol takes around its anchor
// point (measured first): the string centred on the point and standing on it, a
// tempo mark's number beside its symbol, a chord symbol's name above its diagram.
RecordRect TextExtentAround(ScoreView* view, ScoreObject* object);

// While one lives, the view is read as a page view, page by page (Visit), whatever
// view shows the score: an import places its marks against the notes where the
// pages put them. The view's mode, page, system, staff and measure are put back,
// and its beat maps built again, when it ends.
class PageBeatMapScope {
  public:
    explicit PageBeatMapScope(ScoreView* view);
    ~PageBeatMapScope();
    PageBeatMapScope(const PageBeatMapScope&) = delete;
    PageBeatMapScope& operator=(const PageBeatMapScope&) = delete;
    // Makes `page` the view's page, the beat maps of all its systems built.
    void Visit(ScorePage* page);

  private:
    ScoreView* view_;
    ScorePage* page_;
    ScoreSystem* system_;
    int staff_;
    int measure_;
    uint8_t pageView_;
};

// The boxes of the texts on the view's current page list (titles, notices).
std::vector<RecordRect> PageTextRoom(ScoreView* view);

}  // namespace ql
