// Editing the page list as a whole (module FMTPAGE): blank pages inserted before or
// after the current page with their measures, runs of pages deleted with their
// music, page numbers and measure ranges kept continuous afterwards, and the page
// bookkeeping checked and repaired when a system is added to or taken from a page.
//
// Page numbering rule: from a page given a number, each following page takes the
// next number as long as its old number continued the old run (old previous + 1);
// the first page that broke the run, and every page after it, keeps its number.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/ui/dialog.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct ScorePage;
struct ScoreSystem;

// Inserts count blank pages (systems per page x measures per system measures each)
// after the view's current page, or before it, as one undoable edit, and shows the
// first new page; systems a page cannot hold between its margins go on to the
// following pages. False when refused (a master page, the measure limit, a failed
// allocation); a refusal leaves the page list as it was.
bool InsertPages(ScoreView* view, int count, bool after);

// Removes one page with every measure of it from the document (cells freed, the
// measures after it moved down, the four spare measures after the new count
// cleared); the later pages take its number and measure range when the numbering
// ran on. False (nothing changed) for a page not in the list, the only page, or a
// page whose range does not lie within the measure count.
bool DeletePageAndMeasures(ScoreDocument* document, ScorePage* page);

// Takes the page out of the list (the page after a deleted first page becomes the
// document's first page) and lowers the page count; the page is not freed.
void UnlinkPage(ScoreDocument* document, ScorePage* page);

// Every view of the document that showed `gone` shows `to` (its first system).
void MoveViewsOffPage(ScoreDocument* document, ScorePage* gone, ScorePage* to);

// The pages after one measure was inserted in front of `measure` (delta 1) or the
// measure was deleted (delta -1), the measure table already changed: the system
// that held the measure (before an insertion at the end, the last system) grows or
// shrinks by one and the later systems and pages move on; a system left without a
// measure goes, and a page left without a system goes with it (the pages after
// it take its number when their numbers ran on). The changed page is formatted
// again. Nothing when no system held the measure.
void FollowMeasureEdit(ScoreView* view, int measure, int delta);

// Gives `page` and the pages after it consecutive measure ranges from `first` on,
// each system keeping its length, and numbers the pages from `number` by the page
// numbering rule.
void RenumberPagesFrom(ScorePage* page, int number, int first);

// Gives `page` and the pages after it consecutive measure ranges from `first` on,
// each system keeping its length; page numbers are left alone.
void LayPageRangesFrom(ScorePage* page, int first);

// Moves every system and page from `page` on by (newFirst - system's first
// measure), and numbers the pages from `number` by the page numbering rule.
void ShiftPageMeasures(ScorePage* page, const ScoreSystem* system, int number, int newFirst);

// Numbers `page` with `number` and the following pages by the page numbering rule.
void RenumberPageRun(ScorePage* page, int number);

// Checks a page's bookkeeping before a system is added or removed: the system
// count against the chain, and (with a next page) the page's last measure against
// its last system's; each correction is shown as a warning box. `adding` also
// zeroes the count of a page without systems. Returns the corrections made.
int RepairPageBookkeeping(ScorePage* page, bool adding);

// The layout repairs of a bottom-margin drag: one system taken from a page, or one
// added to it; with `move` the system goes to (or comes from) the next page rather
// than being freed (or made). False when nothing could be done.
bool RemoveSystemFromPage(ScoreView* view, ScorePage* page, bool move);
bool AddSystemToPage(ScoreView* view, ScorePage* page, bool move);

// Every page view of the document takes the system of its page that holds its
// measure, keeping the measure; when the page no longer holds it, the page's
// nearest system at its nearest measure; a page without systems leaves the view
// without one. No view keeps a system that left its page.
void KeepViewsOnTheirMeasures(ScoreDocument* document);

// Dialogs "Insert Pages" (822) and "Delete Pages" (814) for the view's current page
// (commands 40406 and 40407). 1 when pages were inserted or deleted, else 2.
intptr_t RunInsertPagesDialog(ScoreView* view);
intptr_t RunDeletePagesDialog(ScoreView* view);

}  // namespace ql
