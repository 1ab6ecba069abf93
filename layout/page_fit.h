// Keeping every system inside its page and every measure on a system: whether a
// page's systems fit between its margins, moving the systems that do not onto the
// following pages (adding pages at the end as needed) after the page geometry
// changed, and giving the measures past the last page's end systems of their own.
#pragma once

#include <cstdint>

#include "layout/page_records.h"

namespace ql {

struct ScoreView;
struct ScorePage;
struct ScoreDocument;
struct ScoreSystem;

// The offset of the system's last shown staff from its first (the system's height
// above that staff's top line); 0 for a system without staves.
int32_t LastShownStaffOffset(const ScoreDocument* document, const ScoreSystem* system);

// The staff size a score takes so that its tallest system stands between the top
// and bottom margins of its page (the page layout needs a staff height above the
// first staff and the last staff's own): the document's size when it does already
// or the score has no system, else the largest of the fixed sizes smaller than it
// at which it does, else the smallest fixed size.
int StaffSizeToFitSystems(const ScoreDocument* document);

// Gives the score the staff size StaffSizeToFitSystems names: the margins keep
// their measure on paper, the view's metrics follow and every page is laid out
// again. When a system is still taller than its page the staves come closer (every
// system's staves spaced evenly, no closer than Page Layout allows). True when the
// size or the spacing changed. Used where a score is made for the user (New, the
// imports), which choose no size of their own afterwards.
bool FitStaffSizeToSystems(ScoreView* view);

// Lays every page out again: the systems each page cannot hold move on, the
// measures are spaced, and each page's first system stands low enough that the
// notes and marks over it stay on the paper. For a new score whose marks were made
// after its pages were first laid out.
void LayOutPagesAgain(ScoreView* view);

// How an import's pages are broken: as the file or the formatter dealt them (the
// systems a page cannot hold move on), or filled by height (FillPagesByHeight).
enum class PageBreaks : uint8_t { Kept, ByHeight };

// Lays an imported score's pages out again once its notes and marks stand: every
// system's staves spaced by their room (layout/staff_room.h); where a system is
// then taller than its page, a smaller fixed staff size or closer staves (never
// closer than their room), and when that is not enough a user staff size smaller
// than the fixed ones, down to a staff 2.5 mm high; then the pages broken as
// `breaks` says and their systems placed and spaced. A score entered by hand keeps its pages' systems as its formatter dealt
// them (LayOutPagesAgain).
void LayOutImportedPages(ScoreView* view, PageBreaks breaks);

// Gives an imported score the staff size of its file's staves, whose line spacing
// on paper is `spaceInches`, when they are smaller than the score's: the fixed size
// within 4 % of it, else a user size of it (no smaller than a staff 2.5 mm high).
// The margins keep their measure on paper, the view's metrics follow and every page
// is laid out again. False when the score keeps the size it has.
bool TakeFileStaffSize(ScoreView* view, double spaceInches);

// After a user's change of the page, the staff size or the staves: a message box
// says so when a system of the score is taller than its page. True when one is.
bool WarnWhenSystemTallerThanPage(ScoreView* view);
inline constexpr char kSystemTallerThanPage[] =
    "A system is taller than the page. Choose a smaller staff size, smaller margins or fewer staves.";

// Whether the page's systems, laid out by LayoutPageSystems, stand between its top
// and bottom margins without overlapping (a gap of at least the smallest system
// separation between neighbours). A page without systems fits.
bool PageSystemsFit(ScoreView* view, const ScorePage* page);

// Whether the page's systems stand between its margins with the gaps their room
// asks (layout/staff_room.h): each the reach below the system above it, a space
// of paper and the reach above the system below it, and the last system's ink
// inside the bottom margin, clear of the texts at the page's foot. A page without
// systems does.
bool PageHoldsSystemsByRoom(ScoreView* view, const ScorePage* page);

// From `page` on, each page that holds more than one system and does not fit gives
// its last systems to the top of the next page, a blank page being added after the
// last page when there is none; a page keeps at least one system. A view whose
// system moved stays on its page, on the page's last system. Returns the number of
// systems moved, or -1 when a page could not be had (the pages stay sound).
int FitSystemsToPages(ScoreView* view, ScorePage* page);

// Each page, from the first, takes as many systems as stand between its margins at
// their least gaps (LayoutPageSystems): the systems a page cannot hold go to the
// next page (a page added at the end as needed), and the first systems of the
// pages after it come up while they fit; pages left without a system go. Returns
// the number of systems moved, or -1 when a page could not be had.
int FillPagesByHeight(ScoreView* view);

// The records had for carrying the measures past the last page: the systems
// planned for the last page, then for each page added after it, and their records.
struct CarryRecords {
    pages::PagePlan plan;
    pages::SpareRecords records;
};

// Plans the carry of the measures past the last page as it will be once the
// caller has moved the last page's end back by `shift` measures (the measure count
// staying), and has its records; with `ownPage` the measures start a page of their
// own. False when a record cannot be had: the low-memory box has been shown, and
// the caller refuses its edit with nothing changed.
bool ReserveCarry(ScoreView* view, int shift, bool ownPage, CarryRecords* carry);

// The measures after the last page's last measure (up to the measure count) go on
// new systems of the document's measures per system (the last one shorter), on the
// last page up to its systems per page, then on blank pages added at the end; a
// blank last page takes them first, and one left blank goes. The pages that took
// systems are fitted (FitSystemsToPages). No measure is added. The number of
// measures placed; -1, nothing placed, when a record could not be had (the
// low-memory box shown). The second form places them as reserved.
int CarryMeasuresPastLastPage(ScoreView* view);
int CarryMeasuresPastLastPage(ScoreView* view, CarryRecords* carry);

// Moves the last system of `page` to the top of the page after it, which must be
// in the list; both pages keep their ranges, counts and system indexes right and
// are laid out again. False when the page has no system or no next page.
bool MoveLastSystemToNextPage(ScoreView* view, ScorePage* page);

}  // namespace ql
