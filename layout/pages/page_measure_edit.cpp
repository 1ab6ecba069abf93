// The pages kept in step with one measure inserted or deleted at a barline
// (FollowMeasureEdit): the system holding the measure grows or shrinks, and the
// systems and pages after it move on, so that every measure stays on one system.
#include <algorithm>

#include "core/memory/pool.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "layout/page_edit.h"

namespace ql {

using namespace pages;

namespace {

struct SystemPlace {
    ScorePage* page = nullptr;
    ScoreSystem* system = nullptr;
};

// The system whose range holds the measure, with its page.
SystemPlace FindSystemOf(ScoreDocument* document, int measure) {
    ScorePage* page = document->firstPage;
    for (int i = 0; page != nullptr && i < kMaxChain; ++i, page = page->next.get()) {
        ScoreSystem* s = page->firstSystem.get();
        for (int k = 0; s != nullptr && k < kMaxChain; ++k, s = s->next.get())
            if (s->firstMeasure <= measure && measure <= s->lastMeasure) return {page, s};
    }
    return {};
}

// Takes a system out of its page's chain, frees it and numbers the rest 0, 1, ...
void DropSystem(ScorePage* page, ScoreSystem* system) {
    ScoreSystem* before = system->previous.get();
    ScoreSystem* after = system->next.get();
    if (before != nullptr)
        before->next = after != nullptr ? Ref32<ScoreSystem>::To(after) : Ref32<ScoreSystem>{};
    else
        page->firstSystem = after != nullptr ? Ref32<ScoreSystem>::To(after) : Ref32<ScoreSystem>{};
    if (after != nullptr)
        after->previous = before != nullptr ? Ref32<ScoreSystem>::To(before) : Ref32<ScoreSystem>{};
    system->next = system->previous = Ref32<ScoreSystem>{};
    FreeSystemRecord(system);
    int index = 0;
    for (ScoreSystem* s = page->firstSystem.get(); s != nullptr && index < kMaxChain; s = s->next.get())
        s->number = static_cast<uint8_t>(index++);
    page->systemCount = static_cast<uint16_t>(index);
}

// A page left without systems leaves the list; the views on it go to the page
// after it (else the one before), which is returned.
ScorePage* DropEmptyPage(ScoreDocument* document, ScorePage* page) {
    ScorePage* after = page->next.get();
    ScorePage* shown = after != nullptr ? after : page->previous.get();
    const int number = page->pageNumber;
    const bool runsOn = after != nullptr && after->pageNumber == number + 1;
    UnlinkPage(document, page);
    MoveViewsOffPage(document, page, shown);
    FreePageRecord(page);
    if (runsOn) RenumberPageRun(after, number);
    return shown;
}

}  // namespace

void FollowMeasureEdit(ScoreView* view, int measure, int delta) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || document->firstPage == nullptr || (delta != 1 && delta != -1)) return;
    const int oldCount = document->header.measureCount - delta;
    const int held = delta > 0 && measure > oldCount ? oldCount : measure;
    SystemPlace place = FindSystemOf(document, held);
    if (place.system == nullptr) return;
    ScopedPoolSet pools(document->pools);
    ScorePage* formatFrom = place.page;
    if (delta < 0 && place.system->firstMeasure == place.system->lastMeasure) {
        DropSystem(place.page, place.system);
        if (!place.page->firstSystem) formatFrom = DropEmptyPage(document, place.page);
    } else {
        place.system->lastMeasure = static_cast<uint16_t>(place.system->lastMeasure + delta);
    }
    LayPageRangesFrom(document->firstPage, 1);
    KeepViewsOnTheirMeasures(document);
    if (formatFrom != nullptr) FormatMeasures(view, formatFrom);
}

}  // namespace ql
