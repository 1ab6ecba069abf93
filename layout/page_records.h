// Page and system records had before a re-break moves anything (module FMTPAGE).
// A re-break first plans the systems of every page it fills, then has each page
// and system record the plan needs beyond what the pages hold, and only then
// changes the pages, taking the records it has: one that cannot have them is
// refused whole, the pages as they were, with one low-memory box.
#pragma once

#include <vector>

namespace ql {

struct ScoreView;
struct ScorePage;
struct ScoreSystem;

namespace pages {

// The measure counts of the systems of each page a re-break fills, page by page:
// the first entry is the page it starts on, each later one a page made for it.
using PagePlan = std::vector<std::vector<int>>;

// A blank page record (constructed, not linked), with a margin element whenever
// `like` has one; null when the record or its margin element cannot be had.
ScorePage* NewBlankPageRecord(const ScorePage* like);

// Gives a system its place in a page's grid: index, measure range and the page's
// left edge. Its staff arrays stay as they are.
void PlaceGridSystem(ScorePage* page, ScoreSystem* system, int index, int first, int last);

// The records a re-break has reserved. Owns them until they are taken: those left
// are freed with it.
class SpareRecords {
  public:
    SpareRecords() = default;
    SpareRecords(const SpareRecords&) = delete;
    SpareRecords& operator=(const SpareRecords&) = delete;
    ~SpareRecords();

    // Has a page record for each page of the plan after the first and a system
    // record for each planned system beyond `systemsHad` on the first page (systems
    // with spaced staves, to be given their place by PlaceGridSystem when taken).
    // False when one cannot be had: those had are freed and the low-memory box has
    // been shown, once.
    bool Reserve(ScoreView* view, ScorePage* page, const PagePlan& plan, int systemsHad);
    // A reserved record, handed over to the caller; null when none is left.
    ScorePage* TakePage();
    ScoreSystem* TakeSystem();

  private:
    std::vector<ScorePage*> pages_;
    std::vector<ScoreSystem*> systems_;
};

}  // namespace pages
}  // namespace ql
