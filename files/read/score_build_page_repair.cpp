// The load's repair of pages that hold no systems (see score_build_sink.h). Such a
// page has no measures to show and cannot be formatted, and a first page without
// systems leaves the view nowhere to stand; the reader takes it out of the page list
// and keeps its objects on the nearest page that stays. The page numbers that ran on
// through it run on without it, as when a page is deleted. A file in which no page
// holds a system cannot be shown at all and is refused.
#include <vector>

#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "files/read/score_build_sink.h"
#include "files/records/file_codes.h"

namespace ql {
namespace {

ScoreObject* LastObjectOf(ScoreObject* object) {
    while (object != nullptr && object->next) object = object->next.get();
    return object;
}

// The objects of a page's list after its margin element go to the end of the
// keeper's list; *tail is the keeper's last object, found on first use.
void MovePageObjects(ScorePage* from, ScorePage* keeper, ScoreObject** tail) {
    ScoreObject* margins = from->margins.get();
    ScoreObject* moved = margins != nullptr ? margins->next.get() : nullptr;
    if (moved == nullptr) return;
    margins->next = Ref32<ScoreObject>{};
    if (*tail == nullptr) *tail = LastObjectOf(keeper->margins.get());
    if (*tail == nullptr) {
        keeper->margins = Ref32<ScoreObject>::To(moved);
        moved->prev = Ref32<ScoreObject>{};
    } else {
        (*tail)->next = Ref32<ScoreObject>::To(moved);
        moved->prev = Ref32<ScoreObject>::To(*tail);
    }
    *tail = LastObjectOf(moved);
}

ScorePage* FirstPageWithSystems(const std::vector<ScorePage*>& pages) {
    for (ScorePage* page : pages)
        if (page->firstSystem) return page;
    return nullptr;
}

bool EveryPageHasSystems(const std::vector<ScorePage*>& pages) {
    for (ScorePage* page : pages)
        if (!page->firstSystem) return false;
    return true;
}

}  // namespace

int BuildingStreamSink::RemovePagesWithoutSystems() {
    if (EveryPageHasSystems(scorePages_)) return 0;
    ScorePage* keeper = FirstPageWithSystems(scorePages_);
    if (keeper == nullptr) return file_code::kPageCount;
    ScoreObject* keeperTail = nullptr;
    ScorePage* before = document_->rightMaster;  // the page the next kept page follows
    document_->firstPage = nullptr;
    int oldPrevious = scorePages_.front()->pageNumber - 1;
    int newPrevious = oldPrevious;
    int kept = 0;
    for (ScorePage* page : scorePages_) {
        const int old = page->pageNumber;
        if (!page->firstSystem) {
            MovePageObjects(page, keeper, &keeperTail);
            FreePageRecord(page);
            ++repairedPages_;
            oldPrevious = old;
            continue;
        }
        if (page != keeper) {
            keeper = page;
            keeperTail = nullptr;
        }
        // Numbering that ran on through removed pages runs on without them.
        if (old == oldPrevious + 1) page->pageNumber = static_cast<int16_t>(newPrevious + 1);
        oldPrevious = old;
        newPrevious = page->pageNumber;
        page->previous = before != nullptr ? Ref32<ScorePage>::To(before) : Ref32<ScorePage>{};
        if (before != nullptr) before->next = Ref32<ScorePage>::To(page);
        if (document_->firstPage == nullptr) document_->firstPage = page;
        before = page;
        ++kept;
    }
    before->next = Ref32<ScorePage>{};
    document_->header.pageCount = static_cast<uint16_t>(kept);
    scorePages_.clear();
    return 0;
}

}  // namespace ql
