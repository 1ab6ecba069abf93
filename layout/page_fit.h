// Keeping every system inside its page and every measure on a system: whether a
// page's systems fit between its margins, moving the systems that do not onto the
// following pages (adding pages at the end as needed) after the page geometry
// changed, and giving the measures past the last page's end systems of their own.
#pragma once

namespace ql {

struct ScoreView;
struct ScorePage;

// Whether the page's systems, laid out by LayoutPageSystems, stand between its top
// and bottom margins without overlapping (a gap of at least the smallest system
// separation between neighbours). A page without systems fits.
bool PageSystemsFit(ScoreView* view, const ScorePage* page);

// From `page` on, each page that holds more than one system and does not fit gives
// its last systems to the top of the next page, a blank page being added after the
// last page when there is none; a page keeps at least one system. A view whose
// system moved stays on its page, on the page's last system. Returns the number of
// systems moved, or -1 when a page could not be had (the pages stay sound).
int FitSystemsToPages(ScoreView* view, ScorePage* page);

// The measures after the last page's last measure (up to the measure count) go on
// new systems of the document's measures per system (the last one shorter), on the
// last page up to its systems per page, then on blank pages added at the end; a
// blank last page takes them first, and one left blank goes. The pages that took
// systems are fitted (FitSystemsToPages). No measure is added. The number of
// measures placed, or -1 when a record could not be had (reported).
int CarryMeasuresPastLastPage(ScoreView* view);

// Moves the last system of `page` to the top of the page after it, which must be
// in the list; both pages keep their ranges, counts and system indexes right and
// are laid out again. False when the page has no system or no next page.
bool MoveLastSystemToNextPage(ScoreView* view, ScorePage* page);

}  // namespace ql
