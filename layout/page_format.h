// Breaking the score into pages, and the measure table's extent and numbering
// (module FMTPAGE). Pages live in the document's page list; these operations own
// how measures are distributed over them.
#pragma once

#include <cstdint>
#include <vector>

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct ScorePage;
struct PageRecord;

// What ReformatFromPage does, with the layout it applies.
struct ReformatOptions {
    uint8_t allPages = 1;      // every page from the given one, else that page only
    uint8_t staffSpacing = 0;  // staff offsets to multiples of the staff separation
    uint8_t rebreak = 0;       // deal the systems out to pages again
    uint8_t rebroken = 0;      // set on return when pages were re-broken
    uint8_t model = 0;         // take the system tops of the model page
    uint8_t modelPage = 0;
    uint8_t reformat = 0;      // re-space every system
    // The layout: measures per system, systems per page, staff separation (0 keeps
    // the document's value for each).
    uint16_t measuresPerSystem = 0;
    uint8_t systemsPerPage = 0;
    uint16_t staffSeparation = 0;
    // With all pages: the breaks as given (an imported file's own), page by page from
    // the given one, each page's systems by their measure counts; the pages past the
    // plan take the layout's grid. Null: the grid everywhere. Borrowed for the call.
    const std::vector<std::vector<int>>* breaks = nullptr;
};

// Lays out a new score: measure count := systems per page x measures per system,
// a staff record for every staff, page 1 with its systems (those it cannot hold
// between its margins on the pages after it). Non-zero on success.
int BuildInitialScoreLayout(ScoreView* view);

// The index in the page list of the page holding a measure (PageIndexOfMeasure) is
// in core/model/pages.h.

// The first page whose last measure is at or above the measure; null outside
// 1..measure count.
ScorePage* PageOfMeasure(ScoreDocument* document, int measure);

// Whether a page takes the left-page margins: page -2 (the left master) does, page -1
// does not; without facing pages no page does; otherwise, with the first page a right
// page, the odd page indexes do, else the even ones.
bool IsLeftPage(const ScoreDocument* document, int pageIndex);

// Re-breaks measures into systems and pages from a page on and renumbers; the
// systems a page cannot hold between its margins go on to the next pages. The
// system that would pass MeasureLimit ends at it; a page that starts past it has
// nothing to hold and goes, with the pages after it.
void ReformatFromPage(ScoreView* view, const ReformatOptions* options, ScorePage* page);

// From a page on (that page only without the all-pages flag): every system's staff
// offsets become multiples of the staff separation over its visible staves (a
// hidden staff keeps the offset of the staff before it), with the reformat flag
// every system is re-spaced, and each page is laid out vertically again.
void FormatPagesAfter(ScoreView* view, const ReformatOptions* options, ScorePage* page);

// Moves the page break of a page back by count measures and re-places the pages.
void MovePageBreak(ScoreView* view, ScorePage* page, PageRecord* pageRecord, int count);

// A page of the grid for page index `index` from measure `first` on (not linked),
// its systems placed by the document's model page when it has one (else spread
// between the margins), or null: refused with the measure-limit notice when its
// last measure would pass MeasureLimit; a system that cannot be had is reported
// and nothing is kept.
ScorePage* CreatePage(ScoreView* view, int index, int first);

// AppendPage until the last page reaches the measure count (stops at a refusal).
// Where a whole page of the grid would pass MeasureLimit, the measures left go on
// systems of the grid after the last page instead, the last system shorter.
void ExtendPagesToMeasureCount(ScoreView* view);

// Inserts count measures before measure `at` (every staff gets cells copied from
// the measure before). Refused with the measure-limit notice when the count would
// pass MeasureLimit; on a failed allocation everything is put back. Non-zero on
// success.
int InsertMeasures(ScoreView* view, int at, int count);

// Adds a page after the last one, extending the measures first, and lays it out
// (systems it cannot hold go on to a further page). Non-zero on success; refuses
// when the measure table is full.
int AppendPage(ScoreView* view);

// Deletes count pages from the view's current page on, with their measures, inside
// one undo step; the page after them (else the one before) becomes current and the
// later pages and measures are renumbered. Refused (nothing changes) when the pages
// would run past the last one or every page would go.
void DeletePages(ScoreView* view, int count);

// Renumbers the measures from the view's current page; updates the linked views.
void RenumberFromCurrentPage(ScoreView* view);

// Gives a measure the first number and every later one the number the numbering
// rule requires.
void RenumberMeasuresFrom(ScoreDocument* document, int measure, int firstNumber);

// Extends the measure count to n (at most MaxMeasures - 8), creating cells in
// every staff; nothing when n is not above the count. Unless a MIDI file is being
// written, the scroll bars of the view and its linked views take the new count.
// Non-zero on success; 0 when a record cannot be had (the low-memory box shown),
// the measures made so far taken back and the count as it was.
int AddMeasures(ScoreView* view, int n);

// Removes the pages at the end of the score that hold no music: from the last page
// backwards, a page goes while it is not the view's current page, holds no page
// objects and every measure of it is empty in every staff. Returns the number of
// pages removed (0 with one page).
int RemoveEmptyTrailingPages(ScoreView* view);

}  // namespace ql
