// Bounded walks and soundness checks of the page list and system chains.
#include "layout/page_chain.h"

#include <algorithm>
#include <cassert>
#include <utility>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "layout/page_edit.h"
#include "layout/page_format.h"
#include "layout/page_records.h"
#include "layout/spacing/spacing_collect.h"

namespace ql::pages {

int SystemsPerPage(const ScoreDocument* document) {
    return document == nullptr ? 1 : std::max<int>(1, document->header.newScoreBlock.initSystemsPerPage);
}

int MeasuresPerSystem(const ScoreDocument* document) {
    return document == nullptr ? 1
                               : std::max<int>(1, document->header.newScoreBlock.initMeasuresPerSystem);
}

int StaffSeparation(const ScoreDocument* document) {
    const int separation = document != nullptr ? document->header.newScoreBlock.staffSeparation : 0;
    return std::max<int>(separation, kStaffHeight);
}

int ShownStaffCount(const ScoreSystem* system, int staffCount) {
    const int8_t* flags = StaffFlagsOf(system);
    int shown = 0;
    for (int staff = 1; flags != nullptr && staff <= staffCount; ++staff)
        if ((static_cast<uint8_t>(flags[staff]) & kHiddenStaff) == 0) ++shown;
    return shown;
}

ScorePage* LastPage(ScoreDocument* document) {
    ScorePage* page = document != nullptr ? document->firstPage : nullptr;
    for (int i = 0; page != nullptr && page->next && i < kMaxChain; ++i) page = page->next.get();
    return page;
}

namespace {

// The innermost hold; holds live on the user-interface thread only.
PageListHold* g_innermostHold = nullptr;

// The place of a page on the bounded walk of the list from the first page, or -1.
int PlaceOnList(const ScoreDocument* document, const ScorePage* page) {
    const ScorePage* walk = document->firstPage;
    for (int i = 0; walk != nullptr && i < kMaxChain; ++i, walk = walk->next.get())
        if (walk == page) return i;
    return -1;
}

}  // namespace

PageListHold::PageListHold(const ScoreDocument* document)
    : document_(document), outer_(g_innermostHold) {
    g_innermostHold = this;
}

PageListHold::~PageListHold() { g_innermostHold = outer_; }

bool IsPageInList(const ScoreDocument* document, const ScorePage* page) {
    if (document == nullptr || page == nullptr) return false;
    PageListHold* hold = g_innermostHold;
    if (hold == nullptr || hold->document_ != document) return PlaceOnList(document, page) >= 0;
    // The page found last is where the walk found it, and the one after it is one
    // step further: both are on the list while it does not change.
    const ScorePage* found = hold->found_;
    if (found != nullptr && page == found) {
        assert(PlaceOnList(document, page) >= 0);
        return true;
    }
    if (found != nullptr && hold->foundAt_ + 1 < kMaxChain && page == found->next.get()) {
        assert(PlaceOnList(document, page) >= 0);
        hold->found_ = page;
        ++hold->foundAt_;
        return true;
    }
    const int place = PlaceOnList(document, page);
    if (place < 0) return false;
    hold->found_ = page;
    hold->foundAt_ = place;
    return true;
}

bool IsSystemOnPage(const ScorePage* page, const ScoreSystem* system) {
    if (page == nullptr || system == nullptr) return false;
    const ScoreSystem* walk = page->firstSystem.get();
    for (int i = 0; walk != nullptr && i < kMaxChain; ++i, walk = walk->next.get())
        if (walk == system) return true;
    return false;
}

int CountSystems(const ScorePage* page) {
    int count = 0;
    const ScoreSystem* walk = page != nullptr ? page->firstSystem.get() : nullptr;
    for (; walk != nullptr && count < kMaxChain; walk = walk->next.get()) ++count;
    return count;
}

ScoreSystem* LastSystem(const ScorePage* page) {
    ScoreSystem* walk = page != nullptr ? page->firstSystem.get() : nullptr;
    for (int i = 0; walk != nullptr && walk->next && i < kMaxChain; ++i) walk = walk->next.get();
    return walk;
}

namespace {

// One page's systems: consecutive from the page's first measure to its last, each
// first not above its last, linked back, and as many as the page says.
bool IsPageSound(const ScorePage* page, int expectedFirst) {
    if (page->firstMeasure != expectedFirst || page->firstMeasure > page->lastMeasure) return false;
    const ScoreSystem* system = page->firstSystem.get();
    if (system == nullptr) return false;
    int next = expectedFirst;
    int count = 0;
    const ScoreSystem* previous = nullptr;
    for (; system != nullptr; system = system->next.get()) {
        if (++count > kMaxChain || system->previous.get() != previous) return false;
        if (system->firstMeasure != next || system->firstMeasure > system->lastMeasure) return false;
        next = system->lastMeasure + 1;
        previous = system;
    }
    return count == page->systemCount && next == page->lastMeasure + 1;
}

}  // namespace

bool IsPageListSound(ScoreDocument* document) {
    if (document == nullptr || document->firstPage == nullptr) return false;
    int first = 1;
    int count = 0;
    const ScorePage* previous = nullptr;
    for (const ScorePage* page = document->firstPage; page != nullptr; page = page->next.get()) {
        if (++count > kMaxChain) return false;
        if (previous != nullptr && page->previous.get() != previous) return false;
        if (!IsPageSound(page, first)) return false;
        first = page->lastMeasure + 1;
        previous = page;
    }
    // Every measure of the score is on a page.
    return count == document->header.pageCount && first - 1 == document->header.measureCount;
}

ScorePage* LinkBlankPageAfter(ScoreDocument* document, ScorePage* page) {
    ScorePage* blank = NewBlankPageRecord(page);
    if (blank == nullptr) return nullptr;
    return LinkPageAfter(document, page, blank);
}

ScorePage* LinkPageAfter(ScoreDocument* document, ScorePage* page, ScorePage* blank) {
    const int index = GetPageIndex(document, page) + 1;
    CopyPageMargins(blank, IsLeftPage(document, index) ? document->leftMaster : document->rightMaster);
    ScorePage* next = page->next.get();
    blank->pageNumber = page->pageNumber;  // its old number, so that the run goes on through it
    blank->previous = Ref32<ScorePage>::To(page);
    blank->next = next != nullptr ? Ref32<ScorePage>::To(next) : Ref32<ScorePage>{};
    if (next != nullptr) next->previous = Ref32<ScorePage>::To(blank);
    page->next = Ref32<ScorePage>::To(blank);
    RenumberPageRun(blank, page->pageNumber + 1);
    document->header.pageCount = static_cast<uint16_t>(document->header.pageCount + 1);
    return blank;
}

void SpaceStaves(ScoreDocument* document, ScoreSystem* system) {
    uint16_t* offsets = StaffOffsetsOf(system);
    int8_t* flags = StaffFlagsOf(system);
    if (offsets == nullptr || flags == nullptr) return;
    const int separation = StaffSeparation(document);
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        offsets[staff] = static_cast<uint16_t>((staff - 1) * separation);
        flags[staff] = 0;
    }
}

namespace {

// Beats and beat unit of staff 1's cell of a measure; a measure whose cell is not
// made yet has the program's default time signature.
std::pair<int, int> SignatureOf(ScoreDocument* document, int measure) {
    if (const MeasureCell* cell = FindMeasureCell(document, 1, measure)) return {cell->beats, cell->beatUnit};
    const PreferenceDefaults& prefs = ProgramPreferences();
    return {prefs.timeBeats, prefs.timeBeatUnitExponent};
}

}  // namespace

void MarkUnchangedTime(ScoreDocument* document, ScoreSystem* system) {
    int8_t* flags = StaffFlagsOf(system);
    if (flags == nullptr) return;
    const int first = system->firstMeasure;
    bool same = false;
    if (first >= 2 && first <= document->header.measureCount)
        same = SignatureOf(document, first) == SignatureOf(document, first - 1);
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        if (same)
            flags[staff] = static_cast<int8_t>(flags[staff] | kSystemStaffNoTime);
        else
            flags[staff] = static_cast<int8_t>(flags[staff] & ~kSystemStaffNoTime);
    }
}

ScoreSystem* NewSpacedSystem(ScoreView* view) {
    ScoreSystem* system = ConstructSystemRecord(AllocSystemRecord(sizeof(ScoreSystem)), view);
    if (system == nullptr || !HasSystemArrays(system)) {
        if (system != nullptr) FreeSystemRecord(system);
        return nullptr;
    }
    SpaceStaves(view->document, system);
    return system;
}

// A system for measures first..last at the page's left edge, or null.
ScoreSystem* NewGridSystem(ScoreView* view, ScorePage* page, int index, int first, int last) {
    ScoreSystem* system = NewSpacedSystem(view);
    if (system == nullptr) return nullptr;
    system->number = static_cast<uint8_t>(index);
    system->firstMeasure = static_cast<uint16_t>(first);
    system->lastMeasure = static_cast<uint16_t>(last);
    MarkUnchangedTime(view->document, system);
    system->x = LeftEdge(page);
    return system;
}

int32_t LeftEdge(const ScorePage* page) {
    PageMargins margins;
    if (!GetPageMargins(page, &margins)) return kLogicalOrigin;
    return kLogicalOrigin + margins.logical[0];
}

}  // namespace ql::pages
