// Formatting measures into systems on a page (module FMTMEAS): the entry points
// the score model and the editors call after an edit changed spacing or staves.
// All of them work on the view's document and redraw through the display.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;
struct ScorePage;
struct ScoreSystem;
struct ScoreDocument;

// Formats the measures of one page: beat maps of all staves, then the page's
// systems unless the document's layout-lock byte is set.
void FormatMeasures(ScoreView* view, ScorePage* page);

// FormatMeasures on the view's current page, then invalidates the linked views.
void FormatMeasuresOfCurrentPage(ScoreView* view);

// FormatMeasures on a page and every later page; marks the document modified.
void FormatMeasuresFromPage(ScoreView* view, ScorePage* page);

// FormatMeasures on every page; rebuilds the beat maps, invalidates the linked
// views and marks the document modified.
void FormatMeasuresOfAllPages(ScoreView* view);

// FormatMeasures from a page up to the page holding a measure.
void FormatMeasuresThroughMeasure(ScoreView* view, ScorePage* page, int measure);

// Re-spaces one system.
void FormatSystem(ScoreView* view, ScorePage* page, ScoreSystem* system);

// Staff labels name their staves on the score's first system only (staves have no
// short names for the systems after it), and that system stands in from the left
// margin by the widest label and a gap, room for the labels between the margin and
// the system. Other systems stand at the margin.
// A new or imported label stands with its right end this far left of the system.
// The indent never takes more than a third of the line between the margins, so
// that a long name leaves the system most of the page (an imported name is fitted
// into that room; see StaffLabelWidthLimit).
constexpr int32_t kStaffLabelGap = 128;
constexpr int kLineShareOfIndent = 3;
bool SystemShowsStaffLabels(const ScoreSystem* system);
// The indent of `system` on a page whose line between the margins is `line` wide.
int32_t StaffLabelIndent(ScoreDocument* document, const ScoreSystem* system, int64_t line);
// The widest a label may be on `page` (the view's page size and the page's
// margins), 0 when the page has no margins.
int32_t StaffLabelWidthLimit(const ScoreView* view, const ScorePage* page);
// After a label was placed, changed, moved or removed: the systems that show labels
// spaced again for the indent they now take (page view), every view's beat map
// rebuilt and every view redrawn.
void RespaceLabelledSystems(ScoreView* view);

// While one stands, beat-map builds leave every system where it stands and its
// measures as wide as they are: for a document put back as it was (undo), whose
// systems were placed when it was.
class SystemPlacementHold {
  public:
    SystemPlacementHold();
    ~SystemPlacementHold();
    SystemPlacementHold(const SystemPlacementHold&) = delete;
    SystemPlacementHold& operator=(const SystemPlacementHold&) = delete;
};

// Page view only: places a system between the page margins and refreshes the
// device coordinates of its measure slots.
void PlaceSystemInMargins(ScoreView* view, ScorePage* page, ScoreSystem* system);

// PlaceSystemInMargins for a system whose beat-map row has just been built from
// the widths its measures have now.
void PlaceBuiltSystemInMargins(ScoreView* view, ScorePage* page, ScoreSystem* system);

// Called by a row build before it lays out the row of `system`: under a
// PlacementCarryScope, takes the placement passes of a re-spaced system that can be
// told without the row, so that the build that follows lays out the final widths.
// Anywhere else it does nothing.
void PlaceSystemBeforeRowBuild(ScoreView* view, ScorePage* page, ScoreSystem* system);

// Re-places the systems of the pages from a page on, up to the system after the
// last measure.
void PlaceSystemsThroughMeasure(ScoreView* view, ScorePage* page, int firstMeasure,
                                int lastMeasure);

// Lays the systems of a page out again after staff offsets changed.
void LayoutPageSystems(ScoreView* view, ScorePage* page);

// System re-break operations (with MovePageBreak, page_format.h): move the break
// after a system back or forward by count measures, across a page break when
// needed, leaving systems and pages consistent. With Ctrl only the next system
// gives or takes the measures. A refused move beeps and changes nothing.
void MoveSystemBreakBack(ScoreView* view, ScorePage* page, ScoreSystem* system, int count);
void MoveSystemBreakForward(ScoreView* view, ScorePage* page, ScoreSystem* system, int count);

}  // namespace ql
