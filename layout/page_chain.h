// Walking and checking the page list and the system chains of a document, and the
// grid settings the page formatter reads (systems per page, measures per system),
// with every walk bounded so that a damaged chain cannot loop.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct ScorePage;
struct ScoreSystem;

namespace pages {

// Longest chain any walk follows.
constexpr int kMaxChain = 64 * 1024;
// Room above a page's first staff, and the height of a staff.
constexpr int32_t kStaffHeight = 512;
// Staff flag bit of a staff hidden in a system.
constexpr uint8_t kHiddenStaff = 0x80;
// Staff flag bit set on the systems made while a Standard MIDI File is written,
// except the score's opening system.
constexpr uint8_t kExportedSystemStaff = 0x40;

// The grid settings, at least 1 each (a 0 setting counts as 1).
int SystemsPerPage(const ScoreDocument* document);
int MeasuresPerSystem(const ScoreDocument* document);
// The staff separation, at least one staff height.
int StaffSeparation(const ScoreDocument* document);
// The staves 1..staffCount of the system not hidden in it (0 without flags).
int ShownStaffCount(const ScoreSystem* system, int staffCount);

// The last page of the list (null without pages).
ScorePage* LastPage(ScoreDocument* document);
// Whether a page is a real page of the document's list / a system on a page's chain.
// Under a PageListHold of the document a page found once, and the page after it,
// are answered without walking the list.
bool IsPageInList(const ScoreDocument* document, const ScorePage* page);
bool IsSystemOnPage(const ScorePage* page, const ScoreSystem* system);
// Systems on a page's chain (bounded).
int CountSystems(const ScorePage* page);
// The page's last system.
ScoreSystem* LastSystem(const ScorePage* page);

// Opened by code that formats pages of a document without linking or unlinking
// any (re-spacing systems, building beat maps, laying systems out on their pages),
// which asks IsPageInList again and again for the page it is on. While it lives
// the page list of its document must not change; IsPageInList remembers the last
// page it found on the list, and its place, and answers for it and for the page
// after it without a walk (builds with assertions walk anyway and compare). Holds
// nest: an inner one is used for its document while it lives. User-interface
// thread only.
class PageListHold {
  public:
    explicit PageListHold(const ScoreDocument* document);
    ~PageListHold();
    PageListHold(const PageListHold&) = delete;
    PageListHold& operator=(const PageListHold&) = delete;

  private:
    friend bool IsPageInList(const ScoreDocument* document, const ScorePage* page);
    const ScoreDocument* document_;
    PageListHold* outer_;
    const ScorePage* found_ = nullptr;  // the last page found on the list
    int foundAt_ = 0;                   // a place of it on the walk from the first page
};

// Whether the page list is sound: pages linked both ways from the first page,
// each page's systems consecutive and matching its range and count, page ranges
// continuing from measure 1 without gap or overlap to the last measure of the
// score, and the page count right.
bool IsPageListSound(ScoreDocument* document);

// A blank page (no systems) linked after `page`, with the master margins of its
// index and the number after the page's; the pages after it move on by one number
// while their numbers ran on, and the page count grows by one. Null, nothing
// changed, when the record or its margin element cannot be had.
ScorePage* LinkBlankPageAfter(ScoreDocument* document, ScorePage* page);
// The same with a blank page record already had (constructed, not linked).
ScorePage* LinkPageAfter(ScoreDocument* document, ScorePage* page, ScorePage* blank);

// Staff offsets (staff - 1) x separation and clear flags for every staff.
void SpaceStaves(ScoreDocument* document, ScoreSystem* system);
// Bit "time signature unchanged" on every staff of a system whose first measure
// keeps the previous measure's time signature; cleared otherwise.
void MarkUnchangedTime(ScoreDocument* document, ScoreSystem* system);

// A system record with both staff arrays and spaced staves, on no page and for no
// measures yet (number, range and x 0), or null.
ScoreSystem* NewSpacedSystem(ScoreView* view);
// A system for measures first..last at the page's left edge with spaced staves,
// or null.
ScoreSystem* NewGridSystem(ScoreView* view, ScorePage* page, int index, int first, int last);

// Left edge of the page's content (logical x), from its margin element; the
// logical origin when the page has none.
int32_t LeftEdge(const ScorePage* page);

}  // namespace pages
}  // namespace ql
